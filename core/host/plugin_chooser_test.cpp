// The chooser, driven as a user drives it.
#include <gtest/gtest.h>

#include "app_globals.h"
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
