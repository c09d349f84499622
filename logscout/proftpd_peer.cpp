// Tests only: proftpd for the log finder's tests.
#include "proftpd_peer.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <grp.h>
#include <netinet/in.h>
#include <poll.h>
#include <pwd.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <vector>

extern char** environ;

namespace logscouttest {
namespace {

int FreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
  getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  close(fd);
  return ntohs(address.sin_port);
}

bool Connectable(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  address.sin_port = htons(static_cast<uint16_t>(port));
  const bool up = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  close(fd);
  return up;
}

// The SHA-512 crypt form of the password, from openssl.
std::string Hash(const std::string& password) {
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return std::string();
  const char* argv[] = {"/usr/bin/openssl", "passwd", "-6", password.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  std::string hash;
  if (spawned == 0) {
    char buffer[256];
    ssize_t got;
    while ((got = read(out[0], buffer, sizeof buffer)) > 0) hash.append(buffer, static_cast<size_t>(got));
    int status = 0;
    waitpid(pid, &status, 0);
  }
  close(out[0]);
  while (!hash.empty() && (hash.back() == '\n' || hash.back() == '\r')) hash.pop_back();
  return hash;
}

}  // namespace

Proftpd::Proftpd(const std::string& folder, const std::string& home, const std::string& user,
                 const std::string& password) {
  if (access("/usr/sbin/proftpd", X_OK) != 0 || access("/usr/lib/proftpd/mod_vroot.so", R_OK) != 0) return;
  const std::string hash = Hash(password);
  if (hash.empty()) return;
  // Its files lie in a folder nobody else may write to.
  chmod(folder.c_str(), 0700);
  const passwd* me = getpwuid(geteuid());
  const group* myGroup = getgrgid(getegid());
  if (me == nullptr || myGroup == nullptr) return;
  const int port = FreePort();
  std::ofstream(folder + "/passwd") << user << ":" << hash << ":" << geteuid() << ":" << getegid() << "::" << home
                                    << ":/bin/sh\n";
  std::ofstream(folder + "/group") << myGroup->gr_name << ":x:" << getegid() << ":\n";
  chmod((folder + "/passwd").c_str(), 0600);
  chmod((folder + "/group").c_str(), 0600);
  std::ofstream(folder + "/proftpd.conf")
      << "ModulePath /usr/lib/proftpd\nLoadModule mod_vroot.c\nServerType standalone\nDefaultServer on\n"
      << "Port " << port << "\nDefaultAddress 127.0.0.1\nSocketBindTight on\nUseIPv6 off\n"
      << "User " << me->pw_name << "\nGroup " << myGroup->gr_name << "\n"
      << "PidFile " << folder << "/proftpd.pid\nScoreboardFile " << folder << "/scoreboard\n"
      << "WtmpLog off\nUseFtpUsers off\nRequireValidShell off\nRootLogin on\n"
      << "AuthOrder mod_auth_file.c\nAuthUserFile " << folder << "/passwd\nAuthGroupFile " << folder << "/group\n"
      << "VRootEngine on\nDefaultRoot ~\nUseReverseDNS off\nDelayEngine off\n"
      << "SystemLog " << folder << "/system.log\nTransferLog NONE\n"
      << "<Limit LOGIN>\n  AllowAll\n</Limit>\n";
  const std::string config = folder + "/proftpd.conf";
  const std::string output = folder + "/proftpd.out";
  const char* argv[] = {"/usr/sbin/proftpd", "-n", "-q", "-c", config.c_str(), nullptr};
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  pid_t pid = -1;
  const int spawned = posix_spawn(&pid, argv[0], &actions, nullptr, const_cast<char**>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) return;
  pid_ = pid;
  for (int i = 0; i < 600; ++i) {
    if (Connectable(port)) {
      port_ = port;
      return;
    }
    int status = 0;
    if (waitpid(pid_, &status, WNOHANG) == pid_) {
      pid_ = -1;
      return;
    }
    usleep(50000);
  }
}

Proftpd::~Proftpd() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    int status = 0;
    waitpid(pid_, &status, 0);
  }
}

}  // namespace logscouttest
