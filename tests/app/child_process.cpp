// Child processes for the program's end-to-end tests.
#include "child_process.h"
#include "test_files.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <thread>

extern char** environ;

namespace qvtest {

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& environment, const std::string& workingDirectory,
                           const std::string& outputFile)
    : output_(outputFile) {
  std::vector<std::string> env;
  for (char** e = environ; *e; ++e) {
    std::string entry(*e);
    bool replaced = false;
    for (const std::string& mine : environment)
      if (entry.substr(0, entry.find('=') + 1) == mine.substr(0, mine.find('=') + 1)) replaced = true;
    if (!replaced) env.push_back(entry);
  }
  env.insert(env.end(), environment.begin(), environment.end());
  // Named objects that the program shares with other processes (the SNMP
  // link's) are kept apart from every other test's program, unless the test
  // chose a namespace itself.
  const bool chosen = std::any_of(env.begin(), env.end(),
                                  [](const std::string& e) { return e.rfind("QV_KERNEL_NAMESPACE=", 0) == 0; });
  static std::atomic<unsigned> children{0};
  if (!chosen) {
    env.push_back("QV_KERNEL_NAMESPACE=test" + std::to_string(getpid()) + "-" + std::to_string(++children));
  }
  std::vector<char*> envp;
  for (std::string& e : env) envp.push_back(e.data());
  envp.push_back(nullptr);
  std::vector<std::string> args{program};
  args.insert(args.end(), arguments.begin(), arguments.end());
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);

  const int out = open(outputFile.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
  pid_ = fork();
  if (pid_ == 0) {
    dup2(out, 1);
    dup2(out, 2);
    if (chdir(workingDirectory.c_str()) != 0) _exit(126);
    execve(program.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(out);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && status_ < 0) {
    kill(pid_, SIGKILL);
    Wait();
  }
}

void ChildProcess::Signal(int signalNumber) const {
  if (pid_ > 0 && status_ < 0) kill(pid_, signalNumber);
}

bool ChildProcess::Reap(bool block) const {
  if (pid_ <= 0) return true;
  if (status_ >= 0) return true;
  int status = 0;
  pid_t got;
  do {
    got = waitpid(pid_, &status, block ? 0 : WNOHANG);
  } while (got < 0 && errno == EINTR);
  if (got != pid_) return false;
  status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return true;
}

int ChildProcess::Wait() {
  if (pid_ <= 0) return -1;
  Reap(true);
  return status_;
}

namespace {

// The one-letter state of each thread of `pid`; empty when it is gone.
std::string ThreadStates(int pid) {
  std::string states;
  const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
  DIR* dir = opendir(tasks.c_str());
  if (dir == nullptr) return states;
  while (dirent* entry = readdir(dir)) {
    if (entry->d_name[0] == '.') continue;
    std::ifstream in(tasks + "/" + entry->d_name + "/stat");
    std::string stat;
    std::getline(in, stat);
    const size_t close = stat.rfind(')');
    if (close != std::string::npos && close + 2 < stat.size()) states += stat[close + 2];
  }
  closedir(dir);
  return states;
}

}  // namespace

bool ChildProcess::Idle() const {
  if (pid_ <= 0 || status_ >= 0) return false;
  for (int look = 0; look < 3; ++look) {
    if (look > 0) std::this_thread::sleep_for(std::chrono::milliseconds(2));
    const std::string states = ThreadStates(pid_);
    if (states.empty() || states.find_first_of("RD") != std::string::npos) return false;
  }
  return true;
}

std::string ChildProcess::Output() const {
  std::ifstream in(output_, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool ChildProcess::WaitForOutput(const std::string& text, int seconds) const {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
  while (std::chrono::steady_clock::now() < end) {
    if (Output().find(text) != std::string::npos) return true;
    if (Reap(false)) return Output().find(text) != std::string::npos;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

int RunToEnd(const std::string& program, const std::vector<std::string>& arguments,
             const std::vector<std::string>& environment, const std::string& workingDirectory,
             const std::string& outputFile) {
  ChildProcess child(program, arguments, environment, workingDirectory, outputFile);
  return child.Wait();
}

namespace {

using qvtest::ReadFile;

// Gone, or a zombie waiting for whoever adopted it.
bool Ended(pid_t pid) {
  const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
  const size_t close = stat.rfind(')');
  return close == std::string::npos || close + 2 >= stat.size() || stat[close + 2] == 'Z' || stat[close + 2] == 'X';
}

}  // namespace

int KillServiceCopies(const std::string& programDirectory, int graceSeconds) {
  const std::string prefix = programDirectory + "/";
  std::vector<pid_t> found;
  if (DIR* proc = opendir("/proc")) {
    while (dirent* entry = readdir(proc)) {
      char* end = nullptr;
      const long pid = std::strtol(entry->d_name, &end, 10);
      if (pid <= 0 || *end != '\0' || pid == getpid()) continue;
      const std::string cmdline = ReadFile("/proc/" + std::string(entry->d_name) + "/cmdline");
      if (cmdline.rfind(prefix, 0) != 0 || cmdline.find(std::string("\0--qv-service=", 14)) == std::string::npos)
        continue;
      found.push_back(static_cast<pid_t>(pid));
    }
    closedir(proc);
  }
  const auto waitFor = [](pid_t pid, int seconds) {
    for (int i = 0; i < seconds * 100 && !Ended(pid); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  };
  int killed = 0;
  for (pid_t pid : found) {
    waitFor(pid, graceSeconds);
    if (Ended(pid)) continue;
    kill(pid, SIGKILL);
    ++killed;
    waitFor(pid, 30);
  }
  return killed;
}

}  // namespace qvtest
