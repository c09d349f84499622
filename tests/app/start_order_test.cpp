// The start in this process, with the built resource libraries in a program
// directory of the test's own: later failures run the shutdown in its order
// (or not, before the splash), and the language chooses the help folder.
#include <algorithm>
#include <filesystem>
#include <vector>

#include <gtest/gtest.h>

#include "app/app_start.h"
#include "app/start_steps.h"
#include "app_globals.h"
#include "program_paths.h"
#include "qvplatform.h"
#include "test_files.h"

namespace fs = std::filesystem;

namespace {

using S = StartStep;

const std::vector<StartStep> kShutdown = {S::kFreeResourceCache,   S::kReleaseProductSplash,
                                          S::kUnregisterControls,  S::kUnloadPlugins,
                                          S::kReleaseResourceModule, S::kReleaseProductLibrary};

class StartOrder : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"PRODUCT.RSL", "BASE.RSL", "ctlpack4.dll"})
      fs::copy_file(fs::path(QV_TEST_DIST_DIR) / name, dir_.path() / name);
    previous_ = fs::current_path();
    fs::current_path(dir_.path());  // the libraries are found here, beside no program of theirs
    qv::SetProgramDirForTests(dir_.dir().c_str());
    g_app = AppGlobals{};
  }
  void TearDown() override {
    qvapp::SetStepObserverForTests({});
    if (g_app.hiddenWindow != nullptr && IsWindow(g_app.hiddenWindow)) DestroyWindow(g_app.hiddenWindow);
    UnregisterClassA(kMainWindowClass, nullptr);
    UnregisterClassA("Quorvane Progress Bar", nullptr);
    if (g_app.resourceModule != nullptr && g_app.resourceModule != g_app.instance) FreeLibrary(g_app.resourceModule);
    if (g_app.productModule != nullptr) FreeLibrary(g_app.productModule);
    qv::SetProgramDirForTests(nullptr);
    fs::current_path(previous_);
    g_app = AppGlobals{};
  }

  int Run(StartStep failing) {
    qvapp::SetStepObserverForTests([this, failing](StartStep step) {
      seen_.push_back(step);
      // The start has just taken the test program's own directory: the
      // test's directory stands in for it from here on.
      if (step == S::kSchedulerMutex) qv::SetProgramDirForTests(dir_.dir().c_str());
      return step != failing;
    });
    return RunApplication(nullptr, nullptr, "", SW_SHOWNORMAL);
  }

  // The steps seen after `step`.
  std::vector<StartStep> After(StartStep step) const {
    auto it = std::find(seen_.begin(), seen_.end(), step);
    return it == seen_.end() ? std::vector<StartStep>{} : std::vector<StartStep>(it + 1, seen_.end());
  }

  qvtest::TempDir dir_{"qvstart"};
  fs::path previous_;
  std::vector<StartStep> seen_;
};

TEST_F(StartOrder, TheLanguageChoosesTheIdAndTheHelpFolder) {
  dir_.write("QUORVANE.INI", "[Language]\r\nProgram=Spanish\r\n");
  qvp::PromptScript script;
  script.ExpectMessageBox("", IDOK);  // the progress bar class's message
  EXPECT_EQ(Run(S::kProgressBarWindowClass), -1);
  EXPECT_EQ(g_app.languageId, 1033);
  EXPECT_EQ(std::string(g_app.helpPath), std::string(GetProgramDir()) + "HELP\\Spanish\\PRODUCT.HLP");
  EXPECT_NE(g_app.productModule, nullptr);
  EXPECT_NE(g_app.resourceModule, nullptr);
  // Failures before the splash leave what is loaded to the process's end.
  EXPECT_TRUE(After(S::kProgressBarWindowClass).empty());
  ASSERT_EQ(script.Records().size(), 1u);
  EXPECT_EQ(script.Records()[0].caption, "Quorvane");
}

TEST_F(StartOrder, AFailedSplashShutsDownInOrder) {
  dir_.write("QUORVANE.INI", "[Language]\r\nProgram=german\r\n");
  qvp::PromptScript script;
  script.ExpectMessageBox("Splash screen failed to load.", IDOK);
  EXPECT_EQ(Run(S::kSplash), -1);
  EXPECT_EQ(g_app.languageId, 1031);
  EXPECT_EQ(After(S::kSplash), kShutdown);
  EXPECT_EQ(script.Pending(), 0u);
  // The product library is gone, and the program is its own resource module again.
  EXPECT_EQ(g_app.productModule, nullptr);
  EXPECT_EQ(g_app.resourceModule, g_app.instance);
}

TEST_F(StartOrder, AFailedFirstStartStepShutsDownAfterThePlugins) {
  qvp::PromptScript script;
  EXPECT_EQ(Run(S::kFirstStart), -1);
  const std::vector<StartStep> expected = {S::kSplash, S::kPendingMessages, S::kSplashHold, S::kPlugins,
                                           S::kFirstStart};
  auto from = std::find(seen_.begin(), seen_.end(), S::kSplash);
  ASSERT_NE(from, seen_.end());
  EXPECT_TRUE(std::equal(expected.begin(), expected.end(), from));
  EXPECT_EQ(After(S::kFirstStart), kShutdown);
  EXPECT_TRUE(script.Records().empty());
}

TEST_F(StartOrder, WithoutTheBaseLibraryTheStartEndsWithItsMessage) {
  fs::remove(dir_.path() / "BASE.RSL");
  qvp::PromptScript script;
  script.ExpectMessageBox("Unable to locate a .BSE resource support file.", IDOK);
  EXPECT_EQ(Run(S::kMessageLoop), -1);
  EXPECT_EQ(seen_.back(), S::kResourceModule);
  EXPECT_EQ(script.Pending(), 0u);
}

}  // namespace
