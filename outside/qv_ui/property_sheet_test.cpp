// The options window's child sheet: made inside its frame, applied and
// cancelled by the frame's commands.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qv_ui.h"

namespace {

std::vector<std::string> g_journal;
LRESULT g_applyAnswer[3] = {0, 0, 0};
LRESULT g_killAnswer = 0;

const char* PageName(HWND page) {
  static char name[32];
  GetWindowTextA(page, name, sizeof name);
  return name;
}

int PageIndex(HWND page) { return static_cast<int>(GetWindowLongPtrA(page, DWLP_USER)); }

INT_PTR CALLBACK Page(HWND page, UINT message, WPARAM, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    const auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(lParam);
    SetWindowLongPtrA(page, DWLP_USER, record->lParam);
    g_journal.push_back("init " + std::to_string(record->lParam));
    return TRUE;
  }
  if (message != WM_NOTIFY) return FALSE;
  const auto* notify = reinterpret_cast<const NMHDR*>(lParam);
  const int index = PageIndex(page);
  LRESULT answer = 0;
  switch (notify->code) {
    case PSN_SETACTIVE: g_journal.push_back("setactive " + std::to_string(index)); break;
    case PSN_KILLACTIVE:
      g_journal.push_back("killactive " + std::to_string(index));
      answer = g_killAnswer;
      break;
    case PSN_APPLY:
      g_journal.push_back("apply " + std::to_string(index));
      answer = g_applyAnswer[index];
      break;
    case PSN_RESET: g_journal.push_back("reset " + std::to_string(index)); break;
    default: return FALSE;
  }
  (void)PageName;
  SetWindowLongPtrA(page, DWL_MSGRESULT, answer);
  return TRUE;
}

class ChildSheetTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_journal.clear();
    g_applyAnswer[0] = g_applyAnswer[1] = g_applyAnswer[2] = 0;
    g_killAnswer = 0;
    frame_ = CreateWindowExA(0, "#32770", "Options", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 700, 500, nullptr,
                             nullptr, nullptr, nullptr);
    for (int i = 0; i < 3; ++i) {
      PROPSHEETPAGEA& p = pages_[i];
      p.dwSize = sizeof p;
      p.dwFlags = PSP_HASHELP;
      p.hInstance = GetModuleHandleA(nullptr);
      p.pszTemplate = MAKEINTRESOURCEA(501 + i);
      p.pfnDlgProc = Page;
      p.lParam = i;
    }
    header_.dwSize = sizeof header_;
    header_.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
    header_.hwndParent = frame_;
    header_.hInstance = GetModuleHandleA(nullptr);
    header_.pszCaption = "Options";
    header_.nPages = 3;
    header_.ppsp = pages_;
  }
  void TearDown() override { DestroyWindow(frame_); }

  HWND frame_ = nullptr;
  PROPSHEETPAGEA pages_[3] = {};
  PROPSHEETHEADERA header_ = {};
};

int g_precreate = 0;
int CALLBACK CountPrecreate(HWND, UINT message, LPARAM) {
  if (message == PSCB_PRECREATE) ++g_precreate;
  return 0;
}

TEST_F(ChildSheetTest, TheSheetIsAChildOfItsFrameWithoutButtonsOfItsOwn) {
  header_.dwFlags |= PSH_USECALLBACK;
  header_.pfnCallback = CountPrecreate;
  g_precreate = 0;
  HWND sheet = QVUI_PropertySheet(&header_);
  ASSERT_NE(sheet, nullptr);
  EXPECT_EQ(g_precreate, 1);  // the caller's own callback still runs
  EXPECT_EQ(GetParent(sheet), frame_);
  EXPECT_TRUE(GetWindowLongPtrA(sheet, GWL_STYLE) & WS_CHILD);
  EXPECT_FALSE(GetWindowLongPtrA(sheet, GWL_STYLE) & WS_CAPTION);
  EXPECT_TRUE(IsWindowEnabled(frame_));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, IDOK)));
  EXPECT_FALSE(IsWindowVisible(GetDlgItem(sheet, IDCANCEL)));
  EXPECT_EQ(g_journal, (std::vector<std::string>{"init 0", "setactive 0"}));
  DestroyWindow(sheet);
  EXPECT_EQ(QVUI_PropertySheet(nullptr), nullptr);
}

TEST_F(ChildSheetTest, OkAppliesOnlyThePagesMadeAndTheSheetStaysUsable) {
  HWND sheet = QVUI_PropertySheet(&header_);
  ASSERT_NE(sheet, nullptr);
  SendMessageA(sheet, PSM_SETCURSEL, 2, 0);
  g_journal.clear();
  EXPECT_EQ(SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), 0);
  EXPECT_EQ(g_journal, (std::vector<std::string>{"killactive 2", "apply 0", "apply 2"}));
  // Still running: a second OK applies again.
  g_journal.clear();
  EXPECT_EQ(SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), 0);
  EXPECT_EQ(g_journal, (std::vector<std::string>{"killactive 2", "apply 0", "apply 2"}));
  DestroyWindow(sheet);
}

TEST_F(ChildSheetTest, ARefusalAnswersNonZeroAndStopsTheApply) {
  HWND sheet = QVUI_PropertySheet(&header_);
  ASSERT_NE(sheet, nullptr);
  SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
  SendMessageA(sheet, PSM_SETCURSEL, 2, 0);

  g_killAnswer = TRUE;  // the current page does not let go
  g_journal.clear();
  EXPECT_NE(SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), 0);
  EXPECT_EQ(g_journal, (std::vector<std::string>{"killactive 2"}));

  g_killAnswer = 0;
  g_applyAnswer[1] = PSNRET_INVALID;  // the sheet goes to the refusing page
  g_journal.clear();
  EXPECT_NE(SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), 0);
  EXPECT_EQ(g_journal, (std::vector<std::string>{"killactive 2", "apply 0", "apply 1", "killactive 2",
                                                 "setactive 1"}));
  EXPECT_EQ(PageIndex(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0))), 1);

  g_applyAnswer[1] = PSNRET_INVALID_NOCHANGEPAGE;
  g_journal.clear();
  EXPECT_NE(SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0), 0);
  EXPECT_EQ(g_journal, (std::vector<std::string>{"killactive 1", "apply 0", "apply 1"}));
  DestroyWindow(sheet);
}

TEST_F(ChildSheetTest, CancelResetsThePagesMade) {
  HWND sheet = QVUI_PropertySheet(&header_);
  ASSERT_NE(sheet, nullptr);
  SendMessageA(sheet, PSM_SETCURSEL, 1, 0);
  g_journal.clear();
  EXPECT_EQ(SendMessageA(sheet, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0), 0);
  EXPECT_EQ(g_journal, (std::vector<std::string>{"reset 0", "reset 1"}));
  DestroyWindow(sheet);
}

}  // namespace
