#include "loopback_peers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <system_error>
#include <thread>
#include <utility>

extern char** environ;

namespace qvtest {

namespace {

sockaddr_in Loopback(int port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  return address;
}

// Spawns `args`; with `errors` the child's error output goes to that file,
// with `output` its output too.
pid_t Spawn(const std::vector<std::string>& args, const std::string& errors, const std::string& output = "") {
  if (args.empty()) return -1;
  std::vector<char*> argv;
  for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
  argv.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  if (!output.empty()) {
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
  } else if (!errors.empty()) {
    posix_spawn_file_actions_addopen(&actions, 2, errors.c_str(), O_WRONLY, 0);
  }
  // The peer gets none of the test's sockets: a port the test closes is closed.
  posix_spawn_file_actions_addclosefrom_np(&actions, 3);
  // A folder an earlier test removed is no place to start from (interpreters
  // and their launcher scripts fail there): such a peer starts in the
  // temporary folder instead.
  std::error_code error;
  const bool gone = std::filesystem::current_path(error).empty() || error;
  const std::string start = std::filesystem::temp_directory_path().string();
  if (gone) posix_spawn_file_actions_addchdir_np(&actions, start.c_str());
  pid_t pid = -1;
  const int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  return spawned == 0 ? pid : -1;
}

int ExitCode(pid_t pid) {
  int status = 0;
  if (pid <= 0 || waitpid(pid, &status, 0) != pid) return -1;
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace

namespace {

int FreePortOf(int type) {
  const int fd = socket(AF_INET, type | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  int port = 0;
  if (bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0) {
    port = ntohs(address.sin_port);
  }
  close(fd);
  return port;
}

}  // namespace

bool Accepting(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  const sockaddr_in address = Loopback(port);
  const bool up = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return up;
}

int ListenLoopback(int* port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address = Loopback(0);
  socklen_t length = sizeof address;
  if (fd < 0 || bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0 || listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    if (fd >= 0) close(fd);
    return -1;
  }
  *port = ntohs(address.sin_port);
  return fd;
}

bool Readable(int fd, int milliseconds) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, milliseconds) > 0;
}

bool SendAll(int fd, const char* bytes, size_t size) {
  size_t done = 0;
  while (done < size) {
    const ssize_t sent = send(fd, bytes + done, size - done, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    done += static_cast<size_t>(sent);
  }
  return true;
}

LoopbackServer::LoopbackServer(std::function<bool(int fd)> serve) : serve_(std::move(serve)) {
  listener_ = ListenLoopback(&port_);
  if (pipe2(stop_, O_CLOEXEC) != 0) stop_[0] = stop_[1] = -1;
  if (listener_ < 0 || stop_[0] < 0) return;
  thread_ = std::thread([this] {
    for (;;) {
      pollfd fds[2] = {{listener_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
      if (poll(fds, 2, -1) <= 0 || fds[1].revents != 0) return;
      const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd < 0) continue;
      connections_.fetch_add(1);
      if (!serve_(fd)) return;
    }
  });
}

LoopbackServer::~LoopbackServer() {
  if (stop_[1] >= 0) {
    const char byte = 1;
    const ssize_t written = write(stop_[1], &byte, 1);
    (void)written;
  }
  if (thread_.joinable()) thread_.join();
  for (const int fd : {listener_, stop_[0], stop_[1]}) {
    if (fd >= 0) close(fd);
  }
}

int FreePort() { return FreePortOf(SOCK_STREAM); }

int FreeUdpPort() { return FreePortOf(SOCK_DGRAM); }

std::string PythonWith(const std::string& module) {
  for (const char* candidate : {"/usr/bin/python3", "python3"}) {
    if (ExitCode(Spawn({candidate, "-c", "import " + module}, "/dev/null")) == 0) return candidate;
  }
  return std::string();
}

std::string CommandOutput(const std::string& command) {
  std::string out;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) out.append(buffer, n);
  pclose(pipe);
  return out;
}

int RunToExit(const std::vector<std::string>& args) { return ExitCode(Spawn(args, "")); }

bool PeerProcess::Start(const std::vector<std::string>& args, const std::string& output) {
  Stop();
  pid_ = Spawn(args, "", output);
  return pid_ > 0;
}

bool PeerProcess::WaitUntilListening(int port) {
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (pid_ > 0 && port > 0) {
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;  // it ended (the port may have been taken): reaped
      return false;
    }
    if (Accepting(port)) return true;
    if (std::chrono::steady_clock::now() >= until) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  return false;
}

void PeerProcess::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}

}  // namespace qvtest
