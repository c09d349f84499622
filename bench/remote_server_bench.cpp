// The remote report server against lighttpd, both on loopback, loaded by ab
// (HTTP/1.0, no keep-alive) with the same files: a 2 KB and a 100 KB report
// page, and for ours also a script page listing 100 reports. Prints requests
// per second, the p50/p90/p99/max times, failed requests, ab's share of the
// CPU, and ours against lighttpd. Arguments: [requests] (default 20000).
#include <signal.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/time.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "net/test_client.h"
#include "program_paths.h"
#include "remote_server.h"
#include "remote_users.h"

namespace fs = std::filesystem;
extern char** environ;

namespace {

struct Figures {
  double perSecond = 0;
  double p50 = 0, p90 = 0, p99 = 0, max = 0;
  long failed = -1;
  double abCpu = 0;  // ab's CPU time over the wall time, in percent
};

void Write(const fs::path& file, const std::string& text) {
  fs::create_directories(file.parent_path());
  std::ofstream(file, std::ios::binary) << text;
}

std::string Page(size_t bytes) {
  std::string page = "<HTML><BODY><TABLE>\r\n";
  for (int row = 0; page.size() + 40 < bytes; ++row) page += "<TR><TD>row " + std::to_string(row) + "</TD></TR>\r\n";
  page.resize(bytes - 16, ' ');
  return page + "\r\n</BODY></HTML>";
}

// Runs a program to its end; its output in `out`, its CPU time in seconds.
int Run(const std::vector<std::string>& arguments, std::string* out, double* cpuSeconds, double* wallSeconds) {
  char name[] = "/tmp/qv-bench-out-XXXXXX";
  const int fd = mkstemp(name);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fd, 1);
  posix_spawn_file_actions_adddup2(&actions, fd, 2);
  std::vector<char*> argv;
  for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  const auto start = std::chrono::steady_clock::now();
  pid_t pid = 0;
  if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  int status = -1;
  rusage usage{};
  if (pid > 0) wait4(pid, &status, 0, &usage);
  *wallSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  *cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  close(fd);
  std::ifstream in(name);
  std::stringstream text;
  text << in.rdbuf();
  *out = text.str();
  unlink(name);
  return pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

double After(const std::string& text, const std::string& label) {
  const size_t at = text.find(label);
  return at == std::string::npos ? -1 : std::atof(text.c_str() + at + label.size());
}

Figures Load(uint16_t port, const std::string& path, int concurrency, int requests) {
  std::string out;
  double cpu = 0;
  double wall = 0;
  Run({"ab", "-q", "-r", "-s", "60", "-n", std::to_string(requests), "-c", std::to_string(concurrency),
       "http://127.0.0.1:" + std::to_string(port) + path},
      &out, &cpu, &wall);
  Figures f;
  f.perSecond = After(out, "Requests per second:");
  f.failed = static_cast<long>(After(out, "Failed requests:"));
  f.p50 = After(out, "\n  50%");
  f.p90 = After(out, "\n  90%");
  f.p99 = After(out, "\n  99%");
  f.max = After(out, "\n 100%");
  f.abCpu = wall > 0 ? 100.0 * cpu / wall : 0;
  if (f.perSecond < 0) std::fprintf(stderr, "ab did not finish:\n%s\n", out.c_str());
  return f;
}

void Print(const char* server, const char* page, int concurrency, const Figures& f, double ratio) {
  std::printf("%-9s %-12s c=%-4d %9.0f req/s  p50 %6.1f  p90 %6.1f  p99 %6.1f  max %7.1f ms  failed %5ld  ab cpu %5.1f%%",
              server, page, concurrency, f.perSecond, f.p50, f.p90, f.p99, f.max, f.failed, f.abCpu);
  if (ratio > 0) std::printf("  ours/lighttpd %.2f", ratio);
  std::printf("\n");
}

bool WaitForPort(uint16_t port) {
  for (int i = 0; i < 1000; ++i) {
    const int fd = qvtest::Connect(port, 5);
    if (fd >= 0) {
      qvtest::Close(fd);
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const int requests = argc > 1 ? std::atoi(argv[1]) : 20000;
  char pattern[] = "/tmp/qv-remote-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const fs::path root = pattern;
  const fs::path web = root / "wwwroot";
  Write(web / "page2k.htm", Page(2048));
  Write(web / "page100k.htm", Page(100 * 1024));
  Write(web / "list.htm", "<!-- Quorvane Script -->\r\n%sendheader%<TABLE>\r\n%listrep%<TR><TD>%item%</TD><TD>%itemid%"
                          "</TD></TR>\r\n%end%</TABLE>\r\n");
  for (int i = 0; i < 100; ++i) {
    std::string status(415, '\0');
    const std::string title = "Report number " + std::to_string(i);
    std::memcpy(status.data(), title.data(), title.size());
    status[101] = 100;
    Write(root / "Reports" / "Remote Reports" / "users" / "bench" / ("r" + std::to_string(i)) / "status.rep",
          status + "0");
  }
  // Ours, in this process.
  fs::copy_file(fs::path(QV_BENCH_DIST_DIR) / "FTP4W32.DLL", root / "FTP4W32.DLL");
  Write(root / "pam" / "quorvane", "auth required pam_deny.so\n");
  setenv("PAM_WRAPPER", "1", 1);
  setenv("PAM_WRAPPER_SERVICE_DIR", (root / "pam").c_str(), 1);
  if (chdir(root.c_str()) != 0) return 1;
  qv::SetProgramDirForTests((root.string() + "/").c_str());
  const uint16_t ours = qvtest::FreeLoopbackPort();
  Write(root / "QUORVANE.INI", "[Defaults]\r\nWebEnable=TRUE\r\nWebAddress=127.0.0.1:" + std::to_string(ours) +
                                   "\r\nWebLogging=0\r\nWebNoDays=0\r\n");
  ApplyWebServerSettings();
  if (!qvnet::WaitUntilListening(60000)) {
    std::fprintf(stderr, "our server did not start\n");
    return 1;
  }
  const uint32_t user = g_remoteUsers.LogOn("bench", 0, GetTickCount64()).id;

  // lighttpd on the same files.
  const uint16_t theirs = qvtest::FreeLoopbackPort();
  Write(root / "lighttpd.conf", "server.document-root = \"" + web.string() + "\"\nserver.bind = \"127.0.0.1\"\n"
                                "server.port = " + std::to_string(theirs) + "\nserver.max-keep-alive-requests = 0\n"
                                "mimetype.assign = (\".htm\" => \"text/html\")\n");
  pid_t lighttpd = 0;
  std::string conf = (root / "lighttpd.conf").string();
  char* lighttpdArgs[] = {const_cast<char*>("lighttpd"), const_cast<char*>("-D"), const_cast<char*>("-f"),
                          conf.data(), nullptr};
  const bool haveLighttpd = posix_spawnp(&lighttpd, "lighttpd", nullptr, nullptr, lighttpdArgs, environ) == 0 &&
                            WaitForPort(theirs);
  if (!haveLighttpd) std::printf("lighttpd is not available: only our figures follow\n");

  std::printf("%d requests per run, HTTP/1.0 without keep-alive, times in ms\n", requests);
  for (const char* page : {"/page2k.htm", "/page100k.htm"}) {
    for (int concurrency : {1, 64, 256}) {
      const Figures mine = Load(ours, page, concurrency, requests);
      Figures other;
      if (haveLighttpd) other = Load(theirs, page, concurrency, requests);
      Print("ours", page + 1, concurrency, mine, haveLighttpd && other.perSecond > 0 ? mine.perSecond / other.perSecond : 0);
      if (haveLighttpd) Print("lighttpd", page + 1, concurrency, other, 0);
    }
  }
  const std::string list = "/list.htm?User=" + std::to_string(user);
  for (int concurrency : {1, 64, 256}) Print("ours", "100-list", concurrency, Load(ours, list, concurrency, requests), 0);

  if (lighttpd > 0) {
    kill(lighttpd, SIGTERM);
    waitpid(lighttpd, nullptr, 0);
  }
  StopRemoteServer();
  qv::SetProgramDirForTests(nullptr);
  std::error_code ignored;
  fs::remove_all(root, ignored);
  return 0;
}
