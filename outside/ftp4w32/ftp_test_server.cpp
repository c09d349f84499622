// Tests only: the scripted FTP server and the pyftpdlib peer.
#include "ftp_test_server.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

#include "loopback_peers.h"

extern char** environ;

namespace ftptest {
namespace {

constexpr int kWaitMs = 30000;

using qvtest::ListenLoopback;
using qvtest::Readable;

int AcceptWithin(int listener, int milliseconds) {
  if (listener < 0 || !Readable(listener, milliseconds)) return -1;
  return accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
}

void SendAllBlocking(int fd, const std::string& bytes) { qvtest::SendAll(fd, bytes); }

}  // namespace

ScriptedConnection::~ScriptedConnection() {
  if (dataHeld_ >= 0) close(dataHeld_);
  if (dataListener_ >= 0) close(dataListener_);
  close(fd_);
}

void ScriptedConnection::Send(const std::string& text) { SendAllBlocking(fd_, text); }

std::string ScriptedConnection::Command() {
  for (;;) {
    const size_t end = pending_.find("\r\n");
    if (end != std::string::npos) {
      std::string line = pending_.substr(0, end);
      pending_.erase(0, end + 2);
      return line;
    }
    if (!Readable(fd_, kWaitMs)) return std::string();
    char buffer[1024];
    const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
    if (got <= 0) return std::string();
    pending_.append(buffer, static_cast<size_t>(got));
  }
}

int ScriptedConnection::ListenData() {
  if (dataListener_ >= 0) close(dataListener_);
  int port = 0;
  dataListener_ = ListenLoopback(&port);
  return port;
}

bool ScriptedConnection::SendData(const std::string& bytes) {
  const int data = AcceptWithin(dataListener_, kWaitMs);
  if (data < 0) return false;
  SendAllBlocking(data, bytes);
  close(data);
  return true;
}

std::string ScriptedConnection::ReceiveData() {
  const int data = AcceptWithin(dataListener_, kWaitMs);
  std::string bytes;
  if (data < 0) return bytes;
  char buffer[4096];
  while (Readable(data, kWaitMs)) {
    const ssize_t got = recv(data, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    bytes.append(buffer, static_cast<size_t>(got));
  }
  close(data);
  return bytes;
}

bool ScriptedConnection::AcceptDataAndHold() {
  dataHeld_ = AcceptWithin(dataListener_, kWaitMs);
  return dataHeld_ >= 0;
}

void ScriptedConnection::SendHeld(const std::string& bytes) {
  if (dataHeld_ >= 0) SendAllBlocking(dataHeld_, bytes);
}

void ScriptedConnection::WaitForClose() {
  char buffer[256];
  while (Readable(fd_, kWaitMs)) {
    if (recv(fd_, buffer, sizeof buffer, 0) <= 0) return;
  }
}

ScriptedServer::ScriptedServer(std::function<void(ScriptedConnection&)> script)
    : script_(std::move(script)), server_([this](int fd) {
        ScriptedConnection connection(fd);
        script_(connection);
        return true;
      }) {}

namespace {

// The peer's program: pyftpdlib on 127.0.0.1, port chosen by the system and
// printed on the first line.
const char kPyServer[] = R"(
import logging, sys
from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.handlers import FTPHandler
from pyftpdlib.servers import FTPServer
logging.basicConfig(level=logging.ERROR)
authorizer = DummyAuthorizer()
authorizer.add_user(sys.argv[2], sys.argv[3], sys.argv[1], perm='elradfmwMT')
FTPHandler.authorizer = authorizer
server = FTPServer(('127.0.0.1', 0), FTPHandler)
print(server.socket.getsockname()[1], flush=True)
server.serve_forever()
)";

}  // namespace

PyFtpServer::PyFtpServer(const std::string& root, const std::string& user, const std::string& password) {
  const std::string python = qvtest::PythonWith("pyftpdlib");
  int out[2];
  if (python.empty() || pipe2(out, O_CLOEXEC) != 0) return;
  const char* argv[] = {python.c_str(), "-c", kPyServer, root.c_str(), user.c_str(), password.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  if (spawned != 0) {
    close(out[0]);
    return;
  }
  pid_ = pid;
  std::string line;
  while (line.find('\n') == std::string::npos && Readable(out[0], kWaitMs)) {
    char buffer[64];
    const ssize_t got = read(out[0], buffer, sizeof buffer);
    if (got <= 0) break;
    line.append(buffer, static_cast<size_t>(got));
  }
  close(out[0]);
  port_ = std::atoi(line.c_str());
}

PyFtpServer::~PyFtpServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
}

}  // namespace ftptest
