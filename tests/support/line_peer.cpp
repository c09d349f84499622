#include "line_peer.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace qvtest {

std::vector<std::string> CurrentEnvironment() {
  std::vector<std::string> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) environment.emplace_back(*entry);
  return environment;
}

LinePeer::LinePeer(const std::vector<std::string>& args, bool errors_too, const std::vector<std::string>& environment) {
  if (args.empty()) return;
  std::vector<std::string> arguments = args, variables = environment;
  std::vector<char*> argv, envp;
  for (std::string& a : arguments) argv.push_back(a.data());
  argv.push_back(nullptr);
  for (std::string& e : variables) envp.push_back(e.data());
  envp.push_back(nullptr);
  int out[2];
  if (pipe2(out, O_CLOEXEC) != 0) return;
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, out[1], 1);
  if (errors_too) posix_spawn_file_actions_adddup2(&actions, out[1], 2);
  if (posix_spawnp(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
  posix_spawn_file_actions_destroy(&actions);
  close(out[1]);
  out_ = out[0];
}

LinePeer::~LinePeer() {
  if (pid_ > 0) {
    kill(pid_, SIGKILL);
    Wait();
  }
  if (out_ >= 0) close(out_);
}

std::string LinePeer::Line() {
  for (;;) {
    const size_t end = buffer_.find('\n');
    if (end != std::string::npos) {
      std::string line = buffer_.substr(0, end);
      buffer_.erase(0, end + 1);
      return line;
    }
    pollfd p{out_, POLLIN, 0};
    if (out_ < 0 || poll(&p, 1, 30000) <= 0) return std::string();
    char chunk[512];
    const ssize_t got = read(out_, chunk, sizeof chunk);
    if (got <= 0) return std::string();
    buffer_.append(chunk, static_cast<size_t>(got));
  }
}

int LinePeer::Wait() {
  if (pid_ <= 0) return status_;
  int status = 0;
  if (waitpid(pid_, &status, 0) == pid_) {
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  }
  pid_ = -1;
  return status_;
}

}  // namespace qvtest
