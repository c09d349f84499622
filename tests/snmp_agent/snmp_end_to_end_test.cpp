// The SNMP agent end to end, without root and on loopback only: Debian's
// snmpd (AgentX master, its socket in the test's folder) and snmptrapd,
// qvagent as the layer's service "SNMP" or as a plain process, and the
// program's side of the link in a process of its own.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <netinet/in.h>
#include <signal.h>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "loopback_peers.h"
#include "snmp_link_probe.h"
#include "snmp_service_control.h"
#include "test_files.h"

extern char** environ;

namespace {

constexpr char kRoot[] = "1.3.6.1.4.1.99999.7";
const std::string kDot = std::string(".") + kRoot;

using qvtest::ReadFile;

// A child process: standard output and error into a file, standard input a pipe.
class Child {
 public:
  Child(const std::vector<std::string>& arguments, const std::string& output,
        const std::vector<std::string>& environment = {}) : output_(output) {
    std::vector<std::string> args = arguments;
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) env.emplace_back(*e);
    env.insert(env.end(), environment.begin(), environment.end());
    std::vector<char*> envp;
    for (std::string& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    int input[2];
    if (pipe2(input, O_CLOEXEC) != 0) return;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, input[0], 0);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    if (posix_spawn(&pid_, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid_ = -1;
    posix_spawn_file_actions_destroy(&actions);
    close(input[0]);
    input_ = input[1];
  }
  ~Child() {
    Stop(SIGKILL);
    if (input_ >= 0) close(input_);
  }
  Child(const Child&) = delete;
  Child& operator=(const Child&) = delete;

  bool running() const { return pid_ > 0; }
  void Say(const std::string& line) {
    ssize_t written = write(input_, line.data(), line.size());
    (void)written;
  }
  // Sends the signal; after SIGSTOP, returns once the child has stopped.
  void Signal(int signal) {
    if (pid_ <= 0) return;
    kill(pid_, signal);
    int status = 0;
    if (signal == SIGSTOP) waitpid(pid_, &status, WUNTRACED);
  }
  int Stop(int signal) {
    if (pid_ <= 0) return status_;
    kill(pid_, signal);
    return Wait();
  }
  int Wait() {
    if (pid_ <= 0) return status_;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = -1;
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return status_;
  }
  std::string Output() const { return ReadFile(output_); }
  // Waits (bounded) until the output holds the text.
  bool AwaitOutput(const std::string& text, int seconds = 30) const {
    for (int i = 0; i < seconds * 20; ++i) {
      if (Output().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }
  // Waits (bounded) until the output holds `count` lines "<word> <number>";
  // their numbers in order.
  std::vector<int> AwaitResults(const std::string& word, size_t count, int seconds = 30) const {
    std::vector<int> results;
    for (int i = 0; i < seconds * 100; ++i) {
      results.clear();
      std::istringstream lines(Output());
      for (std::string line; std::getline(lines, line);) {
        if (line.rfind(word + " ", 0) == 0) results.push_back(std::atoi(line.c_str() + word.size() + 1));
      }
      if (results.size() >= count) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return results;
  }

 private:
  pid_t pid_ = -1;
  int input_ = -1;
  int status_ = -1;
  std::string output_;
};

// One HTTP GET to 127.0.0.1:port; the whole answer, "" when nothing listens.
std::string HttpGetLoopback(int port, const std::string& path) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<uint16_t>(port));
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  timeval patience{30, 0};  // a guard against a hung server, not a measure
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  std::string answer;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
    const std::string request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
    if (send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
      char chunk[4096];
      for (ssize_t got; (got = recv(fd, chunk, sizeof chunk, 0)) > 0;) answer.append(chunk, static_cast<size_t>(got));
    }
  }
  close(fd);
  return answer;
}

bool Installed(const char* path) { return access(path, X_OK) == 0; }

class SnmpEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* tool : {"/usr/sbin/snmpd", "/usr/sbin/snmptrapd", "/usr/bin/snmpwalk"}) {
      if (!Installed(tool)) {
        if (std::getenv("CI") != nullptr) FAIL() << tool << " is missing";
        GTEST_SKIP() << tool << " is missing (snmpd, snmptrapd, snmp)";
      }
    }
    port_ = qvtest::FreeUdpPort();
    trapPort_ = qvtest::FreeUdpPort();
    socket_ = dir_.file("agentx.sock");
    dir_.write("persist/.keep", "");
    dir_.write("snmpd.conf", "agentaddress udp:127.0.0.1:" + std::to_string(port_) +
                                 "\nmaster agentx\nagentXSocket " + socket_ +
                                 "\nagentXPerms 0600 0700\nrocommunity public 127.0.0.1\n"
                                 "rwcommunity private 127.0.0.1\ntrap2sink 127.0.0.1:" +
                                 std::to_string(trapPort_) + " public\n");
    dir_.write("snmptrapd.conf", "authCommunity log public\n");
    env_ = {"SNMP_PERSISTENT_DIR=" + dir_.file("persist"), "MIBS=", "MIBDIRS=/nonexistent",
            "QV_KERNEL_NAMESPACE=e2e" + std::to_string(getpid()), "QV_STATE_DIR=" + dir_.file("state"),
            // The program's log-on service is configured, so its server may start.
            "PAM_WRAPPER=1", "PAM_WRAPPER_SERVICE_DIR=" + dir_.file("pam")};
    dir_.write("pam/quorvane", "auth required pam_deny.so\n");
    std::filesystem::copy_file(std::string(QV_DIST_DIR) + "/FTP4W32.DLL", dir_.file("FTP4W32.DLL"));
    for (const std::string& e : env_) {
      const size_t equals = e.find('=');
      setenv(e.substr(0, equals).c_str(), e.c_str() + equals + 1, 1);
    }
    traps_ = std::make_unique<Child>(
        std::vector<std::string>{"/usr/sbin/snmptrapd", "-f", "-C", "-c", dir_.file("snmptrapd.conf"), "-On",
                                 "-Lf", dir_.file("traps.log"), "udp:127.0.0.1:" + std::to_string(trapPort_)},
        dir_.file("snmptrapd.out"), env_);
    snmpd_ = std::make_unique<Child>(
        std::vector<std::string>{"/usr/sbin/snmpd", "-f", "-C", "-c", dir_.file("snmpd.conf"), "-Lf",
                                 dir_.file("snmpd.log"), "-I", "-ifTable,ifXTable,ipAddressTable"},
        dir_.file("snmpd.out"), env_);
    ASSERT_TRUE(AwaitFile(socket_)) << ReadFile(dir_.file("snmpd.log"));
  }
  void TearDown() override {
    host_.reset();
    agent_.reset();
    snmpd_.reset();
    traps_.reset();
    const std::string prefix = "qv-" + std::to_string(geteuid()) + "-e2e" + std::to_string(getpid()) + "-";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
      if (entry.path().filename().string().rfind(prefix, 0) == 0) std::filesystem::remove(entry.path(), error);
    }
  }

  static bool AwaitFile(const std::string& path) {
    for (int i = 0; i < 600 && !std::filesystem::exists(path); ++i) {
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return std::filesystem::exists(path);
  }

  // Runs an snmp tool against snmpd; its output.
  std::string Tool(const std::string& tool, const std::string& community, const std::vector<std::string>& rest) {
    const std::string out = dir_.file("tool.out");
    std::filesystem::remove(out);
    std::vector<std::string> args{"/usr/bin/" + tool, "-v2c", "-c", community, "-On", "-t", "3", "-r", "1",
                                  "127.0.0.1:" + std::to_string(port_)};
    args.insert(args.end(), rest.begin(), rest.end());
    Child child(args, out, env_);
    child.Wait();
    return ReadFile(out);
  }

  // Waits until the agent answers for the root (bounded).
  bool AwaitAgent() {
    for (int i = 0; i < 60; ++i) {
      if (Tool("snmpget", "public", {kDot + ".2.0"}).find("STRING: \"2\"") != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return false;
  }

  // The first value an agent gives for root.2.0, once snmpd hands it the
  // requests (bounded): no answer of another agent's exchange comes first.
  std::string FirstValue() {
    std::string got;
    for (int i = 0; i < 60; ++i) {
      got = Tool("snmpget", "public", {kDot + ".2.0"});
      if (got.find(" = ") != std::string::npos && got.find("No Such Object") == std::string::npos) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(250));
    }
    return got;
  }

  void StartAgent() {
    agent_ = std::make_unique<Child>(std::vector<std::string>{std::string(QV_DIST_DIR) + "/qvagent", "-x", socket_,
                                                              "-r", kRoot},
                                     dir_.file("qvagent.out"), env_);
  }
  void StartProgram() {
    host_ = std::make_unique<Child>(std::vector<std::string>{QV_SNMP_PROGRAM_HOST, kRoot, dir_.dir()},
                                    dir_.file("host.out"), env_);
  }
  std::string TrapLog() const { return ReadFile(dir_.file("traps.log")); }
  bool AwaitTrap(unsigned code) {
    const std::string wanted = kDot + ".0." + std::to_string(code);
    for (int i = 0; i < 400; ++i) {
      if (TrapLog().find(wanted) != std::string::npos) return true;
      std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return false;
  }

  qvtest::TempDir dir_{"qvsnmp_e2e"};
  int port_ = 0;
  int trapPort_ = 0;
  std::string socket_;
  std::vector<std::string> env_;
  std::unique_ptr<Child> traps_, snmpd_, agent_, host_;
};

TEST_F(SnmpEndToEnd, ManagersReadSetAndHearTheProgram) {
  const int webPort = qvtest::FreePort();
  dir_.write("QUORVANE.INI", "[Defaults]\nWebEnable=FALSE\nWebAddress=127.0.0.1:" + std::to_string(webPort) + "\n");
  dir_.write("wwwroot/index.htm", "<p>served after the set</p>");
  StartAgent();
  StartProgram();
  ASSERT_TRUE(AwaitAgent()) << agent_->Output();
  ASSERT_TRUE(host_->AwaitOutput("up ")) << host_->Output();
  EXPECT_NE(host_->Output().find("up 0"), std::string::npos) << host_->Output();
  EXPECT_TRUE(AwaitTrap(102)) << TrapLog();

  const std::string walk = Tool("snmpwalk", "public", {kDot});
  EXPECT_EQ(walk, kDot + ".2.0 = STRING: \"2\"\n" + kDot + ".3.0 = STRING: \"Quorvane test panel\"\n" + kDot +
                      ".4.0 = INTEGER: 1\n" + kDot + ".5.0 = INTEGER: " + std::to_string(webPort) + "\n");
  EXPECT_NE(Tool("snmpget", "public", {kDot + ".6.0"}).find("No Such Object"), std::string::npos);

  EXPECT_NE(Tool("snmpset", "public", {kDot + ".4.0", "i", "2"}).find("noAccess"), std::string::npos);
  EXPECT_NE(Tool("snmpset", "private", {kDot + ".5.0", "i", "1"}).find("notWritable"), std::string::npos);
  EXPECT_NE(Tool("snmpset", "private", {kDot + ".4.0", "i", "7"}).find("wrongValue"), std::string::npos);
  EXPECT_NE(dir_.read("QUORVANE.INI").find("WebEnable=FALSE"), std::string::npos);
  EXPECT_EQ(HttpGetLoopback(webPort, "/index.htm"), "");  // the server is off
  EXPECT_EQ(Tool("snmpset", "private", {kDot + ".4.0", "i", "2"}), kDot + ".4.0 = INTEGER: 2\n");
  EXPECT_NE(dir_.read("QUORVANE.INI").find("WebEnable=TRUE"), std::string::npos);
  // The variable answers the server's loaded settings: 2 once the program
  // has applied the set.
  std::string enabled;
  for (int i = 0; i < 100 && enabled != kDot + ".4.0 = INTEGER: 2\n"; ++i) {
    if (i > 0) std::this_thread::sleep_for(std::chrono::milliseconds(100));
    enabled = Tool("snmpget", "public", {kDot + ".4.0"});
  }
  EXPECT_EQ(enabled, kDot + ".4.0 = INTEGER: 2\n");
  // The set started the remote report server: its listener's trap comes, and
  // its port serves pages.
  EXPECT_TRUE(AwaitTrap(104)) << TrapLog() << host_->Output();
  std::string page;
  for (int i = 0; i < 600 && page.empty(); ++i) {
    page = HttpGetLoopback(webPort, "/index.htm");
    if (page.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(page.rfind("HTTP/1.0 200", 0), 0u) << page;
  EXPECT_NE(page.find("<p>served after the set</p>"), std::string::npos) << page;

  // Set to 1: FALSE is stored and the server stops.
  EXPECT_EQ(Tool("snmpset", "private", {kDot + ".4.0", "i", "1"}), kDot + ".4.0 = INTEGER: 1\n");
  EXPECT_NE(dir_.read("QUORVANE.INI").find("WebEnable=FALSE"), std::string::npos);
  EXPECT_TRUE(AwaitTrap(105)) << TrapLog() << host_->Output();
  for (int i = 0; i < 600 && !page.empty(); ++i) {
    page = HttpGetLoopback(webPort, "/index.htm");
    if (!page.empty()) std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  EXPECT_EQ(page, "");

  host_->Say("exit\n");
  EXPECT_EQ(host_->Wait(), 0);
  EXPECT_NE(host_->Output().find("down 0"), std::string::npos) << host_->Output() << agent_->Output();
  EXPECT_TRUE(AwaitTrap(103)) << TrapLog();
}

TEST_F(SnmpEndToEnd, TheProgramFirstThenAnAgentKilledAndANewOne) {
  StartProgram();
  ASSERT_TRUE(host_->AwaitOutput("up ")) << host_->Output();
  EXPECT_NE(host_->Output().find("up -1"), std::string::npos);  // no agent yet
  StartAgent();
  ASSERT_TRUE(AwaitAgent()) << agent_->Output();
  EXPECT_EQ(Tool("snmpget", "public", {kDot + ".3.0"}), kDot + ".3.0 = STRING: \"Quorvane test panel\"\n");

  agent_->Stop(SIGKILL);
  const auto before = std::chrono::steady_clock::now();
  host_->Say("trap\n");
  ASSERT_TRUE(host_->AwaitOutput("enabled ")) << host_->Output();
  EXPECT_NE(host_->Output().find("enabled -1"), std::string::npos);
  // Bounded: the trap gives up after its waits, it does not hang.
  EXPECT_LT(std::chrono::steady_clock::now() - before, std::chrono::seconds(20));

  StartAgent();
  ASSERT_TRUE(AwaitAgent()) << agent_->Output();
  host_->Say("exit\n");
  EXPECT_EQ(host_->Wait(), 0);
  EXPECT_NE(host_->Output().find("down 0"), std::string::npos) << host_->Output();
  EXPECT_TRUE(AwaitTrap(103)) << TrapLog();
}

// An agent killed in the middle of an exchange: the program's next trap gives
// up within its own bound, and a new agent serves as the first did.
TEST_F(SnmpEndToEnd, AnAgentKilledMidExchangeAndANewOne) {
  constexpr unsigned kInstance = 7;  // the root's last number
  StartAgent();
  StartProgram();
  ASSERT_TRUE(host_->AwaitOutput("up ")) << host_->Output();
  ASSERT_TRUE(AwaitAgent()) << agent_->Output();
  const std::string walked = kDot + ".2.0 = STRING: \"2\"\n" + kDot + ".3.0 = STRING: \"Quorvane test panel\"\n" +
                             kDot + ".4.0 = INTEGER: 1\n" + kDot + ".5.0 = INTEGER: 99\n";
  // Each trap of the program, timed from the line that asks for it to its result.
  auto trap = [&](size_t nth) {
    const auto before = std::chrono::steady_clock::now();
    host_->Say("trap\n");
    const std::vector<int> results = host_->AwaitResults("enabled", nth);
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - before);
    std::cout << "trap " << nth << " returned after " << ms.count() << " ms\n";
    return results.size() >= nth ? results[nth - 1] : -2;
  };

  // 1. The agent dies while its request waits on the program: the program is
  // held still so that the request stays unanswered, and the agent ends
  // holding the link's mutex.
  host_->Signal(SIGSTOP);
  Child get({"/usr/bin/snmpget", "-v2c", "-c", "public", "-On", "-t", "3", "-r", "0",
             "127.0.0.1:" + std::to_string(port_), kDot + ".2.0"},
            dir_.file("get.out"), env_);
  const bool inFlight = snmptest::AwaitExchangeInFlight(kInstance);
  agent_->Stop(SIGKILL);
  host_->Signal(SIGCONT);
  EXPECT_TRUE(inFlight);
  get.Wait();
  // The program answers the dead agent's request and traps again at once:
  // the mutex left behind is taken, the trap goes unanswered and gives up.
  EXPECT_EQ(trap(1), -1) << host_->Output();

  // A new agent: the answer left over from the dead one is not taken for its own.
  StartAgent();
  EXPECT_EQ(FirstValue(), kDot + ".2.0 = STRING: \"2\"\n") << agent_->Output();
  EXPECT_EQ(Tool("snmpwalk", "public", {kDot}), walked);
  EXPECT_EQ(trap(2), 0) << host_->Output();
  EXPECT_TRUE(AwaitTrap(104)) << TrapLog();

  // 2. The agent dies while the program's trap waits on it.
  agent_->Signal(SIGSTOP);
  host_->Say("trap\n");
  EXPECT_TRUE(snmptest::AwaitExchangeInFlight(kInstance));
  agent_->Stop(SIGKILL);
  const std::vector<int> given = host_->AwaitResults("enabled", 3);
  ASSERT_EQ(given.size(), 3u) << host_->Output();
  EXPECT_EQ(given[2], -1);
  EXPECT_EQ(trap(4), -1) << host_->Output();

  StartAgent();
  EXPECT_EQ(FirstValue(), kDot + ".2.0 = STRING: \"2\"\n") << agent_->Output();
  EXPECT_EQ(Tool("snmpwalk", "public", {kDot}), walked);
  EXPECT_EQ(trap(5), 0) << host_->Output();
  host_->Say("exit\n");
  EXPECT_EQ(host_->Wait(), 0);
  EXPECT_NE(host_->Output().find("down 0"), std::string::npos) << host_->Output();
  EXPECT_TRUE(AwaitTrap(103)) << TrapLog();
  // Every agent of the test wrote to the same file; none was caught by a sanitizer.
  EXPECT_EQ(agent_->Output().find("Sanitizer"), std::string::npos) << agent_->Output();
}

TEST_F(SnmpEndToEnd, TheServiceSnmpStartsAndStopsTheAgent) {
  StartProgram();
  ASSERT_TRUE(host_->AwaitOutput("up ")) << host_->Output();
  const std::string line = "\"" + std::string(QV_DIST_DIR) + "/qvagent\" -x \"" + socket_ + "\" -r " + kRoot;
  ASSERT_TRUE(snmptest::StartSnmpService(line)) << ReadFile(dir_.file("state/services/SNMP.log"));
  ASSERT_TRUE(AwaitAgent()) << ReadFile(dir_.file("state/services/SNMP.log"));
  EXPECT_EQ(Tool("snmpget", "public", {kDot + ".2.0"}), kDot + ".2.0 = STRING: \"2\"\n");
  ASSERT_TRUE(snmptest::StopSnmpService());
  EXPECT_NE(Tool("snmpget", "public", {kDot + ".2.0"}).find("No Such Object"), std::string::npos);
  host_->Say("exit\n");
  EXPECT_EQ(host_->Wait(), 0);
  EXPECT_NE(host_->Output().find("down -1"), std::string::npos) << host_->Output();
}

}  // namespace
