// The chooser, driven as a user drives it.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "app_globals.h"
#include "display/image.h"
#include "qvplatform/display.h"
#include "qvplatform/ui_driver.h"
#include "resource_cache.h"
#include "test_plugins.h"

namespace {

using qvp::UiDriver;
using Lines = std::vector<std::string>;

// The chooser is made from its template in memory, so the driver finds it by
// its caption (string 32028).
qvp::driver::WindowQuery Chooser() {
  qvp::driver::WindowQuery query;
  query.class_name = "#32770";
  query.title = "Choose a plug-in";
  return query;
}

class ChooserTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_app.resourceModule = GetModuleHandleA(nullptr);
    std::snprintf(g_app.helpPath, sizeof g_app.helpPath, "%s", "C:\\QV\\HELP\\ENGLISH\\PRODUCT.HLP");
    SetChooserViewKind(-1);
  }
  void TearDown() override {
    FreeResourceCache();
    g_app.resourceModule = nullptr;
    g_app.helpPath[0] = '\0';
    SetChooserViewKind(-1);
  }
  static UINT Checked(HWND dialog, int id) { return qvp::driver::CheckState(GetDlgItem(dialog, id)); }
};

TEST_F(ChooserTest, NoDialogUnlessSeveralPluginsOfferTheFunction) {
  FakePlugins fakes({{1, "Logs", {PF_GENERATE_REPORT}}, {4, "Alerting", {PF_EDIT_PROFILE, PF_GENERATE_REPORT}}});
  UiDriver d;
  EXPECT_EQ(ChoosePlugin(nullptr, PF_EDIT_PROFILE), 4);
  EXPECT_EQ(ChoosePlugin(nullptr, PF_MENU_COMMAND_5250), -1);
  EXPECT_EQ(ChoosePlugin(nullptr, 0), -1);
  EXPECT_EQ(ChoosePlugin(nullptr, 33), -1);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_TRUE(d.Prompts().Records().empty());
}

TEST_F(ChooserTest, TheUserPicksAmongThePluginsAndReadsTheirHelp) {
  FakePlugins fakes({{1, "Logs", {PF_EDIT_PROFILE, PF_GET_HELP_TEXT}},
                     {4, "Alerting", {PF_EDIT_PROFILE, PF_GET_HELP_TEXT}},
                     {5, "Quiet", {PF_EDIT_PROFILE}}});
  g_fakes[0].help = "Analyses web-server logs.";
  g_fakes[1].help = "Watches servers and raises alerts.";
  SetChooserViewKind(1);
  UiDriver d;
  std::string caption, prompt, firstHelp, secondHelp, quietHelp;
  Lines names(3);
  d.OnWindow(Chooser())
      .Do([&](HWND dialog) {
        char text[100];
        GetWindowTextA(dialog, text, sizeof text);
        caption = text;
        EXPECT_EQ(Checked(dialog, 10000), static_cast<UINT>(BST_CHECKED));
        EXPECT_EQ(GetDlgItem(dialog, 10003), nullptr);
      })
      .Read(1127, &prompt)
      .Read(10000, &names[0])
      .Read(10001, &names[1])
      .Read(10002, &names[2])
      .Read(1123, &firstHelp)
      .Check(10002)
      .Read(1123, &quietHelp)
      .Check(10001)
      .Read(1123, &secondHelp)
      .Do([&](HWND dialog) {
        EXPECT_EQ(Checked(dialog, 10000), static_cast<UINT>(BST_UNCHECKED));
        EXPECT_EQ(Checked(dialog, 10002), static_cast<UINT>(BST_UNCHECKED));
      })
      .Click(5000);
  EXPECT_EQ(ChoosePlugin(nullptr, PF_EDIT_PROFILE), 4);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(caption, "Choose a plug-in");
  EXPECT_EQ(prompt, "Which kind of profile do you want to create?");
  EXPECT_EQ(names, (Lines{"Logs", "Alerting", "Quiet"}));
  EXPECT_EQ(firstHelp, "Analyses web-server logs.");
  EXPECT_EQ(quietHelp, "");
  EXPECT_EQ(secondHelp, "Watches servers and raises alerts.");
}

TEST_F(ChooserTest, APictureOfTheChooserShowsItsCaptionAndRaisedButtons) {
  if (!qvp::RasterTextAvailable()) {
    if (std::getenv("CI")) FAIL() << "no fonts: install fonts-liberation2 and fonts-dejavu-core";
    GTEST_SKIP() << "fonts-liberation2 is not installed";
  }
  FakePlugins fakes({{1, "Logs", {PF_EDIT_PROFILE}}, {4, "Alerting", {PF_EDIT_PROFILE}}});
  const std::string path = ::testing::TempDir() + "chooser_snapshot.png";
  RECT window{}, ok{};
  UiDriver d;
  d.OnWindow(Chooser())
      .Do([&](HWND dialog) {
        GetWindowRect(dialog, &window);
        GetWindowRect(GetDlgItem(dialog, 5000), &ok);
        EXPECT_TRUE(qvp::SnapshotWindow(dialog, path.c_str()));
      })
      .Click(5000);
  ChoosePlugin(nullptr, PF_EDIT_PROFILE);
  qvp::SetRasterText(false);  // the other tests measure with the fixed metrics
  EXPECT_EQ(d.Problems(), Lines{});

  qvp::display::Image shot;
  ASSERT_TRUE(qvp::display::ReadPng(path.c_str(), &shot));
  std::remove(path.c_str());
  ASSERT_EQ(shot.width, window.right - window.left);
  const auto count = [&](RECT r, std::initializer_list<COLORREF> colors) {
    int n = 0;
    for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, shot.height); ++y)
      for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, shot.width); ++x)
        for (COLORREF c : colors) n += shot.ColorAt(x, y) == c ? 1 : 0;
    return n;
  };
  const int width = shot.width;
  EXPECT_GT(count(RECT{0, 3, width, 20}, {RGB(0, 0, 128)}), width * 8);  // the active caption
  EXPECT_GT(count(RECT{0, 3, width, 20}, {RGB(255, 255, 255)}), 30);     // its title
  // The OK button where the template puts it: light edges above, dark below.
  const RECT b{ok.left - window.left, ok.top - window.top, ok.right - window.left, ok.bottom - window.top};
  const int bw = b.right - b.left;
  EXPECT_GT(count(RECT{b.left, b.top, b.right, b.top + 3}, {RGB(255, 255, 255)}), bw / 2);
  EXPECT_GT(count(RECT{b.left, b.bottom - 3, b.right, b.bottom}, {RGB(128, 128, 128), RGB(0, 0, 0)}), bw);
}

TEST_F(ChooserTest, PreselectsTheViewKindElseTheLastChoiceElseTheFirst) {
  FakePlugins fakes({{1, "Logs", {PF_EDIT_SCHEDULED_EVENT}},
                     {3, "Without", {PF_EDIT_PROFILE}},
                     {4, "Alerting", {PF_EDIT_SCHEDULED_EVENT}},
                     {5, "Other", {PF_EDIT_SCHEDULED_EVENT}}});
  UiDriver d;
  std::string prompt;
  // The view kind's plug-in, accepted as it stands with Enter.
  SetChooserViewKind(5);
  d.OnWindow(Chooser()).Read(1127, &prompt).Press(VK_RETURN);
  EXPECT_EQ(ChoosePlugin(nullptr, PF_EDIT_SCHEDULED_EVENT), 5);
  EXPECT_EQ(prompt, "Which kind of schedule event do you want to create?");
  // A view kind without the function: the first supporting plug-in.
  SetChooserViewKind(3);
  d.OnWindow(Chooser()).Click(5000);
  EXPECT_EQ(ChoosePlugin(nullptr, PF_EDIT_SCHEDULED_EVENT), 1);
  // All profiles: the kind chosen last.
  SetChooserViewKind(4);
  d.OnWindow(Chooser()).Check(10002).Click(5000);
  EXPECT_EQ(ChoosePlugin(nullptr, PF_EDIT_SCHEDULED_EVENT), 5);
  SetChooserViewKind(-1);
  d.OnWindow(Chooser()).Click(5000);
  EXPECT_EQ(ChoosePlugin(nullptr, PF_EDIT_SCHEDULED_EVENT), 5);
  EXPECT_EQ(d.Problems(), Lines{});
}

TEST_F(ChooserTest, CancelAnswersNoneAndHelpOpensTheChoosersTopic) {
  FakePlugins fakes({{1, "Logs", {PF_MENU_COMMAND_5250}}, {4, "Alerting", {PF_MENU_COMMAND_5250}}});
  UiDriver d;
  d.OnWindow(Chooser()).Click(IDHELP).Check(10001).Click(5001);
  EXPECT_EQ(ChoosePlugin(nullptr, PF_MENU_COMMAND_5250), -1);
  d.OnWindow(Chooser()).Press(VK_ESCAPE);
  EXPECT_EQ(ChoosePlugin(nullptr, PF_MENU_COMMAND_5250), -1);
  EXPECT_EQ(d.Problems(), Lines{});
  const std::vector<qvp::PromptRecord> prompts = d.Prompts().Records();
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0].kind, qvp::PromptKind::kHelp);
  EXPECT_EQ(prompts[0].data, 1008u);
  EXPECT_EQ(prompts[0].caption, "C:\\QV\\HELP\\ENGLISH\\PRODUCT.HLP");
  EXPECT_EQ(prompts[0].flags, static_cast<UINT>(HELP_CONTEXT));
}

}  // namespace
