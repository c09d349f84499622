// Wizards: the order of notifications on Next, Back, Finish and Cancel, the
// answers to PSN_WIZNEXT, and pages that steer the wizard themselves.
#include <gtest/gtest.h>

#include "propsheet_test_support.h"

namespace {

using pstest::ActiveSheet;
using pstest::CurrentIndex;
using pstest::Journal;
using pstest::Page;
using pstest::Script;
using Lines = std::vector<std::string>;

std::vector<Page> FourPages() {
  return {Page("Alpha", IDD_PAGE_ALPHA), Page("Beta", IDD_PAGE_BETA), Page("Gamma", IDD_PAGE_GAMMA),
          Page("Delta", IDD_PAGE_DELTA)};
}

// The lines after the first one equal to `from`.
Lines After(const std::string& from) {
  const Lines& all = Journal();
  for (size_t i = 0; i < all.size(); ++i)
    if (all[i] == from) return Lines(all.begin() + static_cast<long>(i) + 1, all.end());
  return {"<no " + from + ">"};
}

class WizardTest : public ::testing::Test {
 protected:
  void SetUp() override { pstest::SetUpPages(); }

  // Runs a wizard over `pages`: `steps`, then a check of where it stands, then Cancel.
  INT_PTR Run(std::vector<Page>& pages, const std::function<void(Script&)>& steps, int* index_at_end) {
    auto records = pstest::Records(pages);
    PROPSHEETHEADERA h = pstest::Header(records, PSH_WIZARD);
    Script script;
    steps(script);
    script.Then([&] { *index_at_end = CurrentIndex(ActiveSheet(), pages); });
    script.Press(PSBTN_CANCEL);
    INT_PTR result = PropertySheetA(&h);
    EXPECT_FALSE(script.stalled());
    return result;
  }
};

TEST_F(WizardTest, NextCreatesEachPageWhenFirstShownAndCancelResetsOnlyThose) {
  std::vector<Page> pages = FourPages();
  int at = -1;
  EXPECT_EQ(Run(pages, [](Script& s) { s.Press(PSBTN_NEXT); }, &at), 0);
  EXPECT_EQ(at, 1);
  EXPECT_EQ(Journal(), (Lines{"init Alpha", "setactive Alpha", "wiznext Alpha", "killactive Alpha", "init Beta",
                              "setactive Beta", "querycancel Beta", "reset Alpha 0", "reset Beta 0"}));
  EXPECT_EQ(pages[2].hwnd, nullptr);
  EXPECT_EQ(pages[0].destroyed, 1u);
}

TEST_F(WizardTest, WizNextAnswersStayStepOrJump) {
  struct Case {
    LRESULT answer;
    int lands_on;
    Lines after_wiznext;
  } cases[] = {
      {-1, 0, {"querycancel Alpha"}},
      {0, 1, {"killactive Alpha", "init Beta", "setactive Beta", "querycancel Beta"}},
      {IDD_PAGE_GAMMA, 2, {"killactive Alpha", "init Gamma", "setactive Gamma", "querycancel Gamma"}},
      // An id no page has leaves the wizard where it is, without PSN_KILLACTIVE.
      {2, 0, {"querycancel Alpha"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    Journal().clear();
    std::vector<Page> pages = FourPages();
    pages[0].On(PSN_WIZNEXT, c.answer);
    int at = -1;
    Run(pages, [](Script& s) { s.Press(PSBTN_NEXT); }, &at);
    EXPECT_EQ(at, c.lands_on);
    Lines after = After("wiznext Alpha");
    after.resize(std::min(after.size(), c.after_wiznext.size()));
    EXPECT_EQ(after, c.after_wiznext);
  }
}

// A page moves the wizard itself with PSM_SETCURSEL from inside PSN_WIZNEXT;
// its answer then counts from the page that move made current.
TEST_F(WizardTest, SetCurSelInsideWizNextIsFollowedByTheAnswer) {
  struct Case {
    LRESULT answer;
    int lands_on;
    Lines tail;  // after the nested move to Gamma
  } cases[] = {
      {-1, 2, {}},
      {0, 3, {"killactive Gamma", "init Delta", "setactive Delta"}},
      {IDD_PAGE_BETA, 1, {"killactive Gamma", "init Beta", "setactive Beta"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    Journal().clear();
    std::vector<Page> pages = FourPages();
    LRESULT moved = 0;
    pages[0].On(PSN_WIZNEXT, [&moved, &c](HWND page) {
      moved = SendMessageA(GetParent(page), PSM_SETCURSEL, 2, 0);
      return c.answer;
    });
    int at = -1;
    Run(pages, [](Script& s) { s.Press(PSBTN_NEXT); }, &at);
    EXPECT_EQ(moved, TRUE);
    EXPECT_EQ(at, c.lands_on);
    Lines expected = {"wiznext Alpha", "killactive Alpha", "init Gamma", "setactive Gamma"};
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    expected.push_back("querycancel " + pages[static_cast<size_t>(c.lands_on)].name);
    Lines got = After("setactive Alpha");
    got.resize(std::min(got.size(), expected.size()));
    EXPECT_EQ(got, expected);
  }
}

TEST_F(WizardTest, SetActiveMinusOneSkipsThePageInTheDirectionOfTravel) {
  std::vector<Page> pages = FourPages();
  pages[1].On(PSN_SETACTIVE, -1);
  int at = -1;
  Run(pages, [](Script& s) { s.Press(PSBTN_NEXT).Press(PSBTN_BACK); }, &at);
  EXPECT_EQ(at, 0);
  EXPECT_EQ(Journal(),
            (Lines{"init Alpha", "setactive Alpha", "wiznext Alpha", "killactive Alpha", "init Beta", "setactive Beta",
                   "init Gamma", "setactive Gamma", "wizback Gamma", "killactive Gamma", "setactive Beta",
                   "setactive Alpha", "querycancel Alpha", "reset Alpha 0", "reset Beta 0", "reset Gamma 0"}));
}

TEST_F(WizardTest, SetActiveWithATemplateIdRedirects) {
  std::vector<Page> pages = FourPages();
  pages[1].On(PSN_SETACTIVE, IDD_PAGE_DELTA);
  int at = -1;
  Run(pages, [](Script& s) { s.Press(PSBTN_NEXT); }, &at);
  EXPECT_EQ(at, 3);
  EXPECT_EQ(pages[2].hwnd, nullptr);
}

TEST_F(WizardTest, FinishEndsWithoutApplyUnlessThePageRefuses) {
  std::vector<Page> pages = FourPages();
  pages.erase(pages.begin() + 2, pages.end());
  pages[1].On(PSN_SETACTIVE, [](HWND page) {
    PostMessageA(GetParent(page), PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_FINISH);
    return LRESULT{0};
  });
  int finishes = 0;
  pages[1].On(PSN_WIZFINISH, [&finishes](HWND) { return LRESULT{++finishes == 1 ? TRUE : FALSE}; });
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, PSH_WIZARD);
  Script script;
  bool next_shown = true, finish_shown = false;
  LRESULT def_id = 0;
  script.Press(PSBTN_NEXT)
      .Then([&] {
        HWND sheet = ActiveSheet();
        next_shown = IsWindowVisible(GetDlgItem(sheet, ID_WIZNEXT)) != FALSE;
        finish_shown = IsWindowVisible(GetDlgItem(sheet, ID_WIZFINISH)) && IsWindowEnabled(GetDlgItem(sheet, ID_WIZFINISH));
        def_id = LOWORD(SendMessageA(sheet, DM_GETDEFID, 0, 0));
      })
      .Press(PSBTN_FINISH)
      .Then([&] { EXPECT_EQ(CurrentIndex(ActiveSheet(), pages), 1); })
      .Press(PSBTN_FINISH);
  EXPECT_EQ(PropertySheetA(&h), 1);
  EXPECT_FALSE(script.stalled());
  EXPECT_FALSE(next_shown);
  EXPECT_TRUE(finish_shown);
  EXPECT_EQ(def_id, ID_WIZFINISH);
  EXPECT_EQ(finishes, 2);
  EXPECT_TRUE(pstest::JournalOf({"apply", "reset"}).empty());
}

TEST_F(WizardTest, ButtonsFollowSetWizButtonsAndEnterPressesTheDefault) {
  std::vector<Page> pages = FourPages();
  pages[0].On(PSN_SETACTIVE, [](HWND page) {
    SendMessageA(GetParent(page), PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
    return LRESULT{0};
  });
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, PSH_WIZARD);
  Script script;
  bool back_enabled = true, disabled_finish_shown = false, finish_enabled = true, back_hidden = false;
  std::string finish_text;
  script
      .Then([&] {
        back_enabled = IsWindowEnabled(GetDlgItem(ActiveSheet(), ID_WIZBACK)) != FALSE;
        // Back cannot be pressed while it is disabled.
        SendMessageA(ActiveSheet(), PSM_PRESSBUTTON, PSBTN_BACK, 0);
      })
      .Then([] { PostMessageA(GetFocus(), WM_KEYDOWN, VK_RETURN, 0); })
      .Then([&] {
        EXPECT_EQ(CurrentIndex(ActiveSheet(), pages), 1);
        SendMessageA(ActiveSheet(), PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_DISABLEDFINISH);
        HWND finish = GetDlgItem(ActiveSheet(), ID_WIZFINISH);
        disabled_finish_shown = IsWindowVisible(finish) != FALSE;
        finish_enabled = IsWindowEnabled(finish) != FALSE;
        SendMessageA(ActiveSheet(), PSM_SETFINISHTEXTA, 0, reinterpret_cast<LPARAM>("Done"));
        char text[32] = {};
        GetWindowTextA(finish, text, sizeof(text));
        finish_text = text;
        back_hidden = !IsWindowVisible(GetDlgItem(ActiveSheet(), ID_WIZBACK));
      })
      .Press(PSBTN_CANCEL);
  EXPECT_EQ(PropertySheetA(&h), 0);
  EXPECT_FALSE(script.stalled());
  EXPECT_FALSE(back_enabled);
  EXPECT_TRUE(pstest::JournalOf({"wizback"}).empty());
  EXPECT_EQ(pstest::JournalOf({"wiznext"}), Lines{"wiznext Alpha"});
  EXPECT_TRUE(disabled_finish_shown);
  EXPECT_FALSE(finish_enabled);
  EXPECT_EQ(finish_text, "Done");
  EXPECT_TRUE(back_hidden);
}

TEST_F(WizardTest, TheCaptionIsThePageTitleWhenThePageHasOne) {
  std::vector<Page> pages = FourPages();
  pages.erase(pages.begin() + 2, pages.end());
  auto records = pstest::Records(pages);
  records[1].dwFlags |= PSP_USETITLE;
  records[1].pszTitle = "Step two";
  PROPSHEETHEADERA h = pstest::Header(records, PSH_WIZARD, nullptr, "Make a thing");
  std::string first, second;
  auto caption = [] {
    char text[64] = {};
    GetWindowTextA(ActiveSheet(), text, sizeof(text));
    return std::string(text);
  };
  Script script;
  script.Then([&] { first = caption(); }).Press(PSBTN_NEXT).Then([&] { second = caption(); }).Press(PSBTN_CANCEL);
  PropertySheetA(&h);
  EXPECT_EQ(first, "Make a thing");
  EXPECT_EQ(second, "Step two");
}

}  // namespace
