// The screen tests' fixture itself: what it gives the program and how it
// looks at a screen whose windows come and go.
#include <algorithm>
#include <filesystem>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "screen_session.h"

namespace {

class ScreenSession : public qvtest::ScreenTest {
 protected:
  ScreenSession() : ScreenTest({.folder = "qvsession", .modules = {"Base"}}) {}
};

// A window that is gone (or never was) answers as absent; asking about it
// must not end the test process, as Xlib's own error handler would.
TEST_F(ScreenSession, AWindowThatIsGoneIsNeitherShownNorAnError) {
  const unsigned long gone = 0x3ffffe;  // an id of a client that never connected
  EXPECT_FALSE(server_->Viewable(gone));
  const RECT r = server_->Geometry(gone);
  EXPECT_EQ(r.right - r.left, 0);
  EXPECT_EQ(server_->WindowTitled("no such window"), 0u);
}

// A test's own entries replace the fixture's of the same name: the program
// sees each variable once, with the test's value.
TEST_F(ScreenSession, ATestsEnvironmentEntriesReplaceTheFixturesOnes) {
  const std::vector<std::string> environment = Environment({"QV_TEST=1", Snapshots(), "EXTRA=x"});
  const auto named = [&](const std::string& name) {
    std::vector<std::string> found;
    std::copy_if(environment.begin(), environment.end(), std::back_inserter(found),
                 [&](const std::string& entry) { return entry.rfind(name + "=", 0) == 0; });
    return found;
  };
  EXPECT_EQ(named("QV_TEST"), std::vector<std::string>{"QV_TEST=1"});
  EXPECT_EQ(named("QV_SNAPSHOT_DIR"), std::vector<std::string>{Snapshots()});
  EXPECT_EQ(named("QV_HEADLESS"), std::vector<std::string>{"QV_HEADLESS="});
  EXPECT_EQ(named("EXTRA"), std::vector<std::string>{"EXTRA=x"});
  EXPECT_EQ(named("DISPLAY"), std::vector<std::string>{"DISPLAY=" + server_->name()});
}

// The program directory holds the program, its libraries, a folder copied
// whole, and settings that ask nothing at the start.
TEST_F(ScreenSession, TheProgramDirectoryIsReadyToStart) {
  for (const char* name : {"quorvane", "libqvplatform.so", "libqv_ui.so", "PRODUCT.RSL", "BASE.RSL", "ctlpack4.dll"})
    EXPECT_TRUE(std::filesystem::is_regular_file(Path("program") / name)) << name;
  EXPECT_TRUE(std::filesystem::is_directory(Path("program/Base")));
  EXPECT_FALSE(std::filesystem::is_empty(Path("program/Base")));
  EXPECT_EQ(qvtest::SettingIn(ReadProgramFile("QUORVANE.INI"), "Defaults", "AutoDetectLogFiles"), "1");
  EXPECT_EQ(qvtest::SettingIn(ReadProgramFile("QUORVANE.INI"), "Defaults", "Nothing"), "<absent>");
}

}  // namespace
