#include "private_spooler.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <cups/cups.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>

extern char** environ;

namespace qvtest {

namespace {

constexpr char kScheduler[] = "/usr/sbin/cupsd";
constexpr auto kPatience = std::chrono::seconds(90);

// A listening socket on a free loopback port; its port through `port`.
int ListenOnLoopback(int* port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof a;
  if (bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(fd, 16) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&a), &len) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(a.sin_port);
  return fd;
}

bool Connects(int port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  a.sin_port = htons(static_cast<uint16_t>(port));
  const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
  close(fd);
  return ok;
}

}  // namespace

PrivateSpooler::PrivateSpooler(const std::vector<SpoolQueue>& queues) {
  if (access(kScheduler, X_OK) != 0) {
    problem_ = "no CUPS scheduler installed";
    return;
  }
  int device_port = 0;
  listener_ = ListenOnLoopback(&device_port);
  if (listener_ < 0) {
    problem_ = "no loopback listener";
    return;
  }
  thread_ = std::thread([this] { Listen(); });

  char pattern[] = "/tmp/qv-spooler-XXXXXX";
  if (mkdtemp(pattern) == nullptr) {
    problem_ = "no temporary folder";
    return;
  }
  dir_ = pattern;
  // The scheduler hands spool files to its back ends under another user.
  chmod(dir_.c_str(), 0755);
  for (const char* sub : {"spool", "tmp", "cache", "state", "log", "ppd"}) {
    const std::string path = dir_ + "/" + sub;
    mkdir(path.c_str(), 0755);
  }
  int port = 0;
  const int probe = ListenOnLoopback(&port);
  if (probe < 0) {
    problem_ = "no free port";
    return;
  }
  close(probe);
  {
    std::ofstream conf(dir_ + "/cupsd.conf");
    conf << "Listen 127.0.0.1:" << port << "\nBrowsing No\nLogLevel warn\nDefaultAuthType None\nWebInterface No\n"
         << "<Location />\nOrder allow,deny\nAllow all\n</Location>\n";
    std::ofstream files(dir_ + "/cups-files.conf");
    files << "ServerRoot " << dir_ << "\nRequestRoot " << dir_ << "/spool\nTempDir " << dir_ << "/tmp\nCacheDir "
          << dir_ << "/cache\nStateDir " << dir_ << "/state\nErrorLog " << dir_ << "/log/error_log\nAccessLog "
          << dir_ << "/log/access_log\nPageLog " << dir_ << "/log/page_log\n"
          << "ServerBin /usr/lib/cups\nDataDir /usr/share/cups\nFileDevice No\n";
    std::ofstream printers(dir_ + "/printers.conf");
    for (const SpoolQueue& q : queues) {
      printers << (q.is_default ? "<DefaultPrinter " : "<Printer ") << q.name << ">\nInfo " << q.name
               << "\nDeviceURI socket://127.0.0.1:" << device_port << "\nState Idle\nAccepting "
               << (q.accepting ? "Yes" : "No") << "\nShared No\n"
               << (q.is_default ? "</DefaultPrinter>\n" : "</Printer>\n");
    }
  }
  const std::string conf = dir_ + "/cupsd.conf";
  const std::string files = dir_ + "/cups-files.conf";
  const std::string log = dir_ + "/log/scheduler_out";
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
  posix_spawn_file_actions_adddup2(&actions, 1, 2);
  const char* argv[] = {kScheduler, "-f", "-c", conf.c_str(), "-s", files.c_str(), nullptr};
  pid_t pid = -1;
  const int spawned =
      posix_spawn(&pid, kScheduler, &actions, nullptr, const_cast<char* const*>(argv), environ);
  posix_spawn_file_actions_destroy(&actions);
  if (spawned != 0) {
    problem_ = "the scheduler did not start";
    return;
  }
  scheduler_ = pid;
  const auto until = std::chrono::steady_clock::now() + kPatience;
  while (!Connects(port)) {
    int status = 0;
    if (waitpid(scheduler_, &status, WNOHANG) == scheduler_) {
      scheduler_ = -1;
      std::ifstream out(log);
      problem_ = "the scheduler ended: " + std::string(std::istreambuf_iterator<char>(out), {});
      return;
    }
    if (std::chrono::steady_clock::now() > until) {
      problem_ = "the scheduler does not answer";
      return;
    }
    usleep(20000);
  }
  setenv("CUPS_SERVER", ("127.0.0.1:" + std::to_string(port)).c_str(), 1);
}

PrivateSpooler::~PrivateSpooler() {
  unsetenv("CUPS_SERVER");
  if (scheduler_ > 0) {
    kill(scheduler_, SIGTERM);
    int status = 0;
    waitpid(scheduler_, &status, 0);
  }
  {
    std::lock_guard<std::mutex> g(lock_);
    stopping_ = true;
  }
  if (listener_ >= 0) shutdown(listener_, SHUT_RDWR);
  if (thread_.joinable()) thread_.join();
  if (listener_ >= 0) close(listener_);
  if (!dir_.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(dir_, ec);
  }
}

void PrivateSpooler::Listen() {
  for (;;) {
    pollfd p{listener_, POLLIN, 0};
    if (poll(&p, 1, 200) < 0) return;
    {
      std::lock_guard<std::mutex> g(lock_);
      if (stopping_) return;
    }
    if ((p.revents & POLLIN) == 0) continue;
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) {
      std::lock_guard<std::mutex> g(lock_);
      if (stopping_) return;
      continue;
    }
    char buffer[65536];
    for (;;) {
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n <= 0) break;
      std::lock_guard<std::mutex> g(lock_);
      received_.append(buffer, static_cast<size_t>(n));
      changed_.notify_all();
    }
    close(fd);
  }
}

std::string PrivateSpooler::WaitForBytes(size_t bytes) {
  std::unique_lock<std::mutex> g(lock_);
  changed_.wait_for(g, kPatience, [&] { return received_.size() >= bytes; });
  return received_;
}

std::vector<std::string> PrivateSpooler::JobTitles() const {
  std::vector<std::string> titles;
  cupsSetServer(nullptr);  // the server CUPS_SERVER names now
  cups_job_t* jobs = nullptr;
  const int count = cupsGetJobs2(CUPS_HTTP_DEFAULT, &jobs, nullptr, 0, CUPS_WHICHJOBS_ALL);
  for (int i = 0; i < count; ++i) titles.emplace_back(jobs[i].title != nullptr ? jobs[i].title : "");
  cupsFreeJobs(count, jobs);
  return titles;
}

}  // namespace qvtest
