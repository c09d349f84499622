// Logging on through PAM, run against pam_wrapper's pam_matrix module.
//
// pam_wrapper must be preloaded when the program starts, so the test program
// runs itself again with it in LD_PRELOAD. A sanitizer's runtime must stay
// first in LD_PRELOAD; the one this program runs with is put before it.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

#include "accounts/pam_conversation.h"
#include "qvplatform.h"
#include "test_files.h"

namespace {

const char* const kWrapper = QVTEST_PAM_WRAPPER;
const char* const kMatrix = QVTEST_PAM_MATRIX;
const char* const kPassword = "S3cret pass;$(x)";

using qvtest::ReadFile;

// The sanitizer runtime mapped into this process, if any.
std::string SanitizerRuntime() {
  std::istringstream maps(ReadFile("/proc/self/maps"));
  std::string line;
  while (std::getline(maps, line)) {
    const size_t slash = line.find('/');
    if (slash == std::string::npos) continue;
    const std::string path = line.substr(slash);
    if (path.find("/libasan.so") != std::string::npos || path.find("/libtsan.so") != std::string::npos) return path;
  }
  return {};
}

bool WrapperAvailable() { return kWrapper[0] != '\0' && kMatrix[0] != '\0' && access(kMatrix, R_OK) == 0; }

bool RunAgainWithWrapper() {
  if (!WrapperAvailable() || std::getenv("QVTEST_PAM_WRAPPED") != nullptr) return false;
  const char* preload = std::getenv("LD_PRELOAD");
  std::string value = SanitizerRuntime();
  if (!value.empty()) value += ':';
  value += kWrapper;
  if (preload != nullptr && *preload != '\0') value = value + ':' + preload;
  setenv("LD_PRELOAD", value.c_str(), 1);
  // Sanitizers and deep binding do not mix; older wrappers read the second name.
  setenv("PAM_WRAPPER_DISABLE_DEEPBIND", "1", 1);
  setenv("UID_WRAPPER_DISABLE_DEEPBIND", "1", 1);
  setenv("QVTEST_PAM_WRAPPED", "1", 1);
  const std::string cmdline = ReadFile("/proc/self/cmdline");
  std::vector<char*> argv;
  for (size_t pos = 0; pos < cmdline.size(); pos += std::strlen(cmdline.c_str() + pos) + 1) {
    argv.push_back(const_cast<char*>(cmdline.c_str() + pos));
  }
  argv.push_back(nullptr);
  execv("/proc/self/exe", argv.data());
  return false;  // could not run again: the tests below say why they skip
}

[[maybe_unused]] const bool g_ran_again = RunAgainWithWrapper();

std::string ProcessUser() {
  passwd* pw = getpwuid(geteuid());
  return pw != nullptr ? pw->pw_name : std::to_string(geteuid());
}

// pam_wrapper reads its service directory once per process, so all tests
// share one directory and rewrite the files in it.
class PamFiles {
 public:
  PamFiles() {
    std::string pattern = "/tmp/qvp-pam-XXXXXX";
    if (mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
  }
  ~PamFiles() {
    std::error_code ignored;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ignored);
  }
  PamFiles(const PamFiles&) = delete;
  PamFiles& operator=(const PamFiles&) = delete;
  const std::string& dir() const { return dir_; }
  void Write(const std::string& name, const std::string& text) const {
    std::filesystem::create_directories(std::filesystem::path(dir_ + "/" + name).parent_path());
    std::ofstream(dir_ + "/" + name, std::ios::binary) << text;
  }

 private:
  std::string dir_;
};

const PamFiles& Pam() {
  static const PamFiles files;
  return files;
}

class Logon : public ::testing::Test {
 protected:
  void SetUp() override {
    if (std::getenv("QVTEST_PAM_WRAPPED") == nullptr) {
      const char* why = WrapperAvailable() ? "the test program could not run itself with pam_wrapper preloaded"
                                           : "pam_wrapper and pam_matrix are not installed (libpam-wrapper)";
      if (std::getenv("CI") != nullptr) FAIL() << why;
      GTEST_SKIP() << why;
    }
    ASSERT_FALSE(Pam().dir().empty());
    me_ = ProcessUser();
    // Users: this process's own, "nobody" (another local account), one that
    // PAM knows but the system does not, and one refused by the account check.
    Pam().Write("passdb", me_ + ":" + kPassword + ":quorvane\n" + "nobody:nobody-pw:quorvane\n" +
                              "matrixonly:pw:quorvane\n" + "daemon:daemon-pw:elsewhere\n");
    WriteService("");
    Pam().Write("services/other", "auth required " + std::string(kMatrix) + " passdb=" + Pam().dir() + "/passdb\n");
    setenv("PAM_WRAPPER", "1", 1);
    setenv("PAM_WRAPPER_SERVICE_DIR", (Pam().dir() + "/services").c_str(), 1);
    StartWrapperOnce();
  }

  // pam_wrapper copies the service files into a directory /tmp/pam.<letter>
  // of its own when first used, and two processes starting at the same moment
  // can pick the same letter. The first use is taken in turns with the other
  // test processes.
  static void StartWrapperOnce() {
    static const bool started = [] {
      const int fd = open("/tmp/qvp-pam-wrapper.lock", O_RDWR | O_CREAT | O_CLOEXEC, 0666);
      if (fd >= 0) flock(fd, LOCK_EX);
      HANDLE token = nullptr;
      LogonUserA("nobody", nullptr, "-", LOGON32_LOGON_NETWORK, 0, &token);
      if (fd >= 0) close(fd);
      return true;
    }();
    (void)started;
  }
  void TearDown() override { RevertToSelf(); }

  void WriteService(const std::string& options) {
    const std::string module = std::string(kMatrix) + " passdb=" + Pam().dir() + "/passdb" + options + "\n";
    Pam().Write("services/quorvane", "auth required " + module + "account required " + module);
  }

  DWORD LogonError(const char* user, const char* password, const char* domain = nullptr,
                   DWORD type = LOGON32_LOGON_INTERACTIVE) {
    HANDLE token = nullptr;
    SetLastError(0);
    if (LogonUserA(user, domain, password, type, LOGON32_PROVIDER_DEFAULT, &token)) {
      CloseHandle(token);
      return ERROR_SUCCESS;
    }
    EXPECT_EQ(token, nullptr);
    return GetLastError();
  }

  std::string UserName() {
    char name[UNLEN + 1];
    DWORD size = sizeof name;
    return GetUserNameA(name, &size) ? std::string(name) : std::string("<failed>");
  }

  std::string me_;
};

TEST_F(Logon, TheRightPasswordLogsOn) {
  EXPECT_EQ(LogonError(me_.c_str(), kPassword), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(LogonError(me_.c_str(), kPassword, "."), static_cast<DWORD>(ERROR_SUCCESS));
  char computer[MAX_COMPUTERNAME_LENGTH + 1];
  DWORD size = sizeof computer;
  ASSERT_TRUE(GetComputerNameA(computer, &size));
  EXPECT_EQ(LogonError(me_.c_str(), kPassword, computer, LOGON32_LOGON_SERVICE), static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(LogonError("NOBODY", "nobody-pw", "", LOGON32_LOGON_NETWORK), static_cast<DWORD>(ERROR_SUCCESS));
}

TEST_F(Logon, FailuresAreLogonFailures) {
  EXPECT_EQ(LogonError(me_.c_str(), "wrong"), static_cast<DWORD>(ERROR_LOGON_FAILURE));
  EXPECT_EQ(LogonError(me_.c_str(), ""), static_cast<DWORD>(ERROR_LOGON_FAILURE));
  EXPECT_EQ(LogonError(me_.c_str(), nullptr), static_cast<DWORD>(ERROR_LOGON_FAILURE));
  EXPECT_EQ(LogonError("no-such-user", "pw"), static_cast<DWORD>(ERROR_LOGON_FAILURE));
  EXPECT_EQ(LogonError("LocalSystem", "morlivex"), static_cast<DWORD>(ERROR_LOGON_FAILURE));
  EXPECT_EQ(LogonError("matrixonly", "pw"), static_cast<DWORD>(ERROR_LOGON_FAILURE));  // no local account
  EXPECT_EQ(LogonError(me_.c_str(), kPassword, "FARAWAY"), static_cast<DWORD>(ERROR_LOGON_FAILURE));
  EXPECT_EQ(LogonError("daemon", "daemon-pw"), static_cast<DWORD>(ERROR_ACCOUNT_RESTRICTION));
  EXPECT_EQ(LogonError(me_.c_str(), kPassword, nullptr, 6), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(LogonUserA(me_.c_str(), nullptr, kPassword, LOGON32_LOGON_INTERACTIVE, 0, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

TEST_F(Logon, ImpersonationBelongsToTheThread) {
  HANDLE token = nullptr;
  ASSERT_TRUE(LogonUserA("nobody", nullptr, "nobody-pw", LOGON32_LOGON_SERVICE, 0, &token)) << GetLastError();
  const qvp::Identity process = qvp::ThreadIdentity();
  EXPECT_FALSE(qvp::IsImpersonating());

  ASSERT_TRUE(ImpersonateLoggedOnUser(token));
  EXPECT_TRUE(qvp::IsImpersonating());
  EXPECT_EQ(UserName(), "nobody");
  const qvp::Identity nobody = qvp::ThreadIdentity();
  EXPECT_EQ(nobody.uid, getpwnam("nobody")->pw_uid);
  ASSERT_FALSE(nobody.groups.empty());
  EXPECT_EQ(nobody.groups[0], nobody.gid);

  std::string other_thread;
  std::thread([&] { other_thread = UserName(); }).join();
  EXPECT_EQ(other_thread, process.user);
  EXPECT_EQ(geteuid(), process.uid);  // the process's own credentials are untouched

  // The identity outlives the token's handle, as on Windows.
  ASSERT_TRUE(CloseHandle(token));
  EXPECT_EQ(UserName(), "nobody");
  EXPECT_TRUE(RevertToSelf());
  EXPECT_EQ(UserName(), me_);
  EXPECT_FALSE(qvp::IsImpersonating());

  EXPECT_FALSE(ImpersonateLoggedOnUser(nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  HANDLE event = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  EXPECT_FALSE(ImpersonateLoggedOnUser(event));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  CloseHandle(event);
}

TEST_F(Logon, ThreadsLogOnAtTheSameTime) {
  std::atomic<int> successes{0};
  std::atomic<int> refusals{0};
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < 5; ++i) {
        HANDLE token = nullptr;
        const bool right = (t + i) % 2 == 0;
        if (LogonUserA("nobody", "", right ? "nobody-pw" : "nope", LOGON32_LOGON_NETWORK, 0, &token)) {
          ImpersonateLoggedOnUser(token);
          char name[UNLEN + 1];
          DWORD size = sizeof name;
          if (GetUserNameA(name, &size) && std::strcmp(name, "nobody") == 0) ++successes;
          RevertToSelf();
          CloseHandle(token);
        } else if (GetLastError() == ERROR_LOGON_FAILURE) {
          ++refusals;
        }
      }
    });
  }
  for (std::thread& t : threads) t.join();
  EXPECT_EQ(successes.load(), 10);
  EXPECT_EQ(refusals.load(), 10);
}

// Needs no PAM.
TEST(GetUserName, BufferSizesCountTheNul) {
  const std::string me = ProcessUser();
  DWORD size = 0;
  EXPECT_FALSE(GetUserNameA(nullptr, &size));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(size, me.size() + 1);
  std::vector<char> buffer(size);
  size = static_cast<DWORD>(me.size());
  EXPECT_FALSE(GetUserNameA(buffer.data(), &size));
  size = static_cast<DWORD>(buffer.size());
  ASSERT_TRUE(GetUserNameA(buffer.data(), &size));
  EXPECT_EQ(std::string(buffer.data()), me);
  EXPECT_EQ(size, me.size() + 1);
  EXPECT_FALSE(GetUserNameA(buffer.data(), nullptr));
}

}  // namespace

namespace qvp::accounts {
namespace {

struct Prompt {
  int style;
  const char* text;
};

// Runs the conversation over the prompts; the answers, or the failure.
int Ask(Conversation& conversation, const std::vector<Prompt>& prompts, std::vector<std::string>* answers) {
  std::vector<pam_message> messages(prompts.size());
  std::vector<const pam_message*> pointers;
  for (size_t i = 0; i < prompts.size(); ++i) {
    messages[i].msg_style = prompts[i].style;
    messages[i].msg = prompts[i].text;
    pointers.push_back(&messages[i]);
  }
  pam_response* responses = nullptr;
  const int status = Converse(static_cast<int>(prompts.size()), pointers.data(), &responses, &conversation);
  if (status == PAM_SUCCESS) {
    for (size_t i = 0; i < prompts.size(); ++i) {
      answers->push_back(responses[i].resp != nullptr ? responses[i].resp : "<none>");
    }
    FreeResponses(responses, static_cast<int>(prompts.size()));
  } else {
    EXPECT_EQ(responses, nullptr);
  }
  return status;
}

TEST(PamConversation, OnlyThePasswordPromptIsAnswered) {
  Conversation conversation{"pw"};
  std::vector<std::string> answers;
  ASSERT_EQ(Ask(conversation, {{PAM_TEXT_INFO, "hello"}, {PAM_PROMPT_ECHO_OFF, "Password: "}}, &answers),
            PAM_SUCCESS);
  EXPECT_EQ(answers, (std::vector<std::string>{"<none>", "pw"}));
  // A second password prompt (a new password, a one-time code) is not answered.
  EXPECT_EQ(Ask(conversation, {{PAM_PROMPT_ECHO_OFF, "Again: "}}, &answers), PAM_CONV_ERR);

  Conversation echoed{"pw"};
  EXPECT_EQ(Ask(echoed, {{PAM_PROMPT_ECHO_ON, "Login: "}}, &answers), PAM_CONV_ERR);
  EXPECT_EQ(Ask(echoed, {{PAM_ERROR_MSG, "error"}, {PAM_PROMPT_ECHO_ON, "Login: "}}, &answers), PAM_CONV_ERR);
  EXPECT_EQ(Converse(0, nullptr, nullptr, &echoed), PAM_CONV_ERR);
}

}  // namespace
}  // namespace qvp::accounts
