// The program on a screen: the built quorvane started on a private X server
// shows its main panel there, and a user's clicks (xdotool) on its toolbar and
// menu bar and the window manager's close reach it.
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "display/image.h"
#include "qvplatform.h"
#include "screen_session.h"

namespace fs = std::filesystem;

namespace {

class ProgramOnScreen : public qvtest::ScreenTest {
 protected:
  ProgramOnScreen() : ScreenTest({.folder = "qvscreen", .modules = {QV_TEST_FAKE_PLUGIN}, .folders = {"snapshots"}}) {}
};

TEST_F(ProgramOnScreen, ThePanelShowsAndTakesTheUsersClicksAndItsClose) {
  // Dialogs are pictured (and so painted whole) as they first appear.
  const unsigned long panel = StartToPanel({Snapshots()});
  ASSERT_NE(panel, 0u) << program_->Output();
  EXPECT_NE(program_->Output().find("Start-up step: splash"), std::string::npos);
  const RECT g = server_->Geometry(panel);

  // The toolbar's Help button (the eighth, right of two group gaps) asks for help.
  ASSERT_EQ(Click(g.left + 4 + 7 * 76 + 24 + 36, g.top + 41 + 22), 0);
  EXPECT_TRUE(program_->WaitForOutput("HELP_CONTEXT 1004", kPatience)) << program_->Output();

  // View on the menu bar drops down; its second item is Small Icons.
  ASSERT_EQ(PickMenuItem(panel, 90, 95, 81), 0);
  EXPECT_TRUE(program_->WaitForOutput("picked 40008", kPatience)) << program_->Output();

  // The window manager's close ends the program, which keeps the list style.
  server_->AskToClose(panel);
  EXPECT_EQ(program_->Wait(), 0) << program_->Output();
  const std::string settings = ReadProgramFile("QUORVANE.INI");
  EXPECT_NE(settings.find("ListView=2"), std::string::npos) << settings;
  EXPECT_NE(program_->Output().find("Start-up step: shutdown: product library"), std::string::npos);

  // The panel was pictured as it first showed: its caption bar with the title
  // in it, and the toolbar's raised buttons (light and dark edges) below it.
  qvp::display::Image shot;
  ASSERT_TRUE(qvp::display::ReadPng((Path("snapshots") / "dialog_100.png").c_str(), &shot));
  ASSERT_GT(shot.height, 100);
  const auto count = [&](int top, int bottom, COLORREF color) {
    int n = 0;
    for (int y = top; y < bottom; ++y)
      for (int x = 0; x < shot.width; ++x) n += shot.ColorAt(x, y) == color ? 1 : 0;
    return n;
  };
  EXPECT_GT(count(4, 20, RGB(0, 0, 128)), 2000);        // the active caption
  EXPECT_GT(count(4, 20, RGB(255, 255, 255)), 40);      // its title text
  EXPECT_GT(count(41, 85, RGB(255, 255, 255)), 8 * 60);  // button highlights
  EXPECT_GT(count(41, 85, RGB(128, 128, 128)), 8 * 60);  // button shadows
}

// A first start asks the log-file question over the splash; once it is
// answered, the panel shows on the screen whole: toolbar, tab and frames too.
TEST_F(ProgramOnScreen, TheFirstStartsPanelShowsWholeAfterTheQuestion) {
  // A start as from a new installation, with the monitoring plug-in.
  fs::remove(Path("program") / "QUORVANE.INI");
  fs::remove(Path("program") / fs::path(QV_TEST_FAKE_PLUGIN).filename());
  Install(qvtest::kMonitoringPlugIn);
  Start();
  const unsigned long question = WaitForWindow("Log File Detection");
  ASSERT_NE(question, 0u) << program_->Output();
  // No: the right one of the two buttons centred at the foot of the box.
  const RECT box = server_->Geometry(question);
  const int middle = (box.left + box.right) / 2;
  ASSERT_EQ(Click(middle + 41, box.bottom - 26), 0);

  const unsigned long panel = WaitForPanel();
  ASSERT_NE(panel, 0u) << program_->Output();
  const RECT g = server_->Geometry(panel);
  // The screen itself, not a snapshot: the toolbar's raised buttons under the
  // menu bar, once the picture has settled.
  const auto count = [&](int top, int bottom, COLORREF color) {
    const std::vector<uint32_t> pixels = server_->Grab(RECT{g.left, g.top + top, g.right, g.top + bottom});
    const uint32_t want = (static_cast<uint32_t>(GetRValue(color)) << 16) |
                          (static_cast<uint32_t>(GetGValue(color)) << 8) | GetBValue(color);
    int n = 0;
    for (uint32_t p : pixels) n += (p & 0xFFFFFFu) == want ? 1 : 0;
    return n;
  };
  EXPECT_TRUE(Eventually(
      [&] { return count(41, 85, RGB(255, 255, 255)) > 8 * 60 && count(41, 85, RGB(128, 128, 128)) > 8 * 60; })) << "the panel's toolbar never showed on the screen";
  const std::string settings = ReadProgramFile("QUORVANE.INI");
  EXPECT_NE(settings.find("AutoDetectLogFiles=1"), std::string::npos) << settings;
  server_->AskToClose(panel);
  EXPECT_EQ(program_->Wait(), 0) << program_->Output();
}

}  // namespace

