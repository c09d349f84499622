// Tests only: proftpd for the log finder's tests.
#include "proftpd_peer.h"

#include <fcntl.h>
#include <grp.h>
#include <pwd.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <fstream>
#include <vector>

extern char** environ;

namespace logscouttest {
namespace {

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
  const int port = qvtest::FreePort();
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
  if (process_.Start({"/usr/sbin/proftpd", "-n", "-q", "-c", config}, output) && process_.WaitUntilListening(port)) {
    port_ = port;
  }
}

}  // namespace logscouttest
