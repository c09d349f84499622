// The start's steps up to the product library, in their order: each failure
// shows its own message (or none) and ends the start with -1 before anything
// needs shutting down; a failed scheduler mutex is reported and tolerated.
#include "start_steps.h"

#include <unistd.h>

#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "app_globals.h"
#include "app_start.h"
#include "program_paths.h"
#include "qvplatform.h"
#include "test_dir.h"

namespace {

using S = StartStep;

qvp::ExpectedPrompt Box(const char* caption, const char* text) {
  qvp::ExpectedPrompt e;
  e.caption = caption;
  e.text_contains = text;
  e.answer.result = IDOK;
  return e;
}

const std::vector<StartStep> kUpToProduct = {S::kRegisterClass,    S::kHiddenWindow, S::kCommandLine,
                                             S::kSchedulerMutex,     S::kOwnerDefaults, S::kCpuUsage,
                                             S::kNetworkLibraries,   S::kDisplayAndControls, S::kLanguage,
                                             S::kProductLibrary};

class StartSteps : public ::testing::Test {
 protected:
  void SetUp() override {
    // A program directory of the test's own, without any resource library.
    previous_ = std::filesystem::current_path();
    std::filesystem::current_path(dir_.path());
    qv::SetProgramDirForTests(dir_.dir().c_str());
    g_app = AppGlobals{};
  }
  void TearDown() override {
    qvapp::SetStepObserverForTests({});
    if (g_app.hiddenWindow != nullptr) DestroyWindow(g_app.hiddenWindow);
    UnregisterClassA(kMainWindowClass, nullptr);
    qv::SetProgramDirForTests(nullptr);
    std::filesystem::current_path(previous_);
    g_app = AppGlobals{};
  }

  // Runs the start, failing `failing` steps; answers the start's result.
  int Run(std::vector<StartStep> failing = {}) {
    qvapp::SetStepObserverForTests([this, failing](StartStep step) {
      seen_.push_back(step);
      return std::find(failing.begin(), failing.end(), step) == failing.end();
    });
    return RunApplication(nullptr, nullptr, "/x", SW_SHOWNORMAL);
  }

  TestDir dir_;
  std::filesystem::path previous_;
  std::vector<StartStep> seen_;
};

TEST_F(StartSteps, AMissingProductLibraryEndsTheStartWithItsMessage) {
  qvp::PromptScript script;
  script.Expect(Box("Error!", "Unable to locate a CURRENT product resource support file (.PRD)."));
  EXPECT_EQ(Run(), -1);
  EXPECT_EQ(seen_, kUpToProduct);
  EXPECT_EQ(script.Pending(), 0u);
  EXPECT_EQ(script.Records().size(), 1u);
  EXPECT_STREQ(g_app.commandLine, "/x");
  EXPECT_EQ(g_app.languageId, 1033);
}

TEST_F(StartSteps, EachEarlyFailureEndsTheStartAtItsStep) {
  struct Case {
    StartStep failing;
    const char* message;  // null: the start ends silently
  };
  for (const Case& c : {Case{S::kRegisterClass, "Unable to register the main Quorvane window class."},
                        Case{S::kHiddenWindow, nullptr}, Case{S::kLanguage, nullptr}}) {
    seen_.clear();
    qvp::PromptScript script;
    if (c.message) script.ExpectMessageBox(c.message, IDOK);
    EXPECT_EQ(Run({c.failing}), -1);
    ASSERT_FALSE(seen_.empty());
    EXPECT_EQ(seen_.back(), c.failing);
    EXPECT_TRUE(std::equal(seen_.begin(), seen_.end(), kUpToProduct.begin()));
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_EQ(script.Records().size(), c.message ? 1u : 0u);
    TearDown();
    SetUp();
  }
}

TEST_F(StartSteps, AFailedSchedulerMutexIsReportedAndTheStartGoesOn) {
  qvp::PromptScript script;
  script.Expect(Box("Quorvane Error", "Failed to create scheduler mutex"));
  script.ExpectMessageBox("(.PRD)", IDOK);
  EXPECT_EQ(Run({S::kSchedulerMutex}), -1);
  EXPECT_EQ(seen_, kUpToProduct);
  EXPECT_EQ(script.Pending(), 0u);
}

}  // namespace
