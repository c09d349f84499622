// A modeless sheet made into a child of its owner (PSCB_PRECREATE) and run by
// the owner's own message loop through PSM_ISDIALOGMESSAGE.
#include <gtest/gtest.h>

#include "propsheet_test_support.h"

namespace {

using pstest::Journal;
using pstest::Page;
using Lines = std::vector<std::string>;

int CALLBACK MakeChild(HWND, UINT msg, LPARAM lp) {
  if (msg == PSCB_PRECREATE) {
    auto* t = reinterpret_cast<DLGTEMPLATE*>(lp);
    t->style = (t->style & ~(WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME)) | WS_CHILD | DS_CONTROL;
  }
  return 0;
}

// The owner's loop: what the sheet takes is the sheet's.
void OwnerLoop(HWND sheet) {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (SendMessageA(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&m))) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

TEST(ModelessSheetTest, AChildSheetLivesInItsOwnersLoopUntilTheOwnerDestroysIt) {
  pstest::SetUpPages();
  HWND frame = CreateWindowExA(0, "#32770", "Options", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 500, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_TRUE(frame);
  std::vector<Page> pages = {Page("Alpha", IDD_PAGE_ALPHA), Page("Beta", IDD_PAGE_BETA)};
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, PSH_MODELESS | PSH_USECALLBACK, frame, "General");
  h.pfnCallback = MakeChild;

  auto sheet = reinterpret_cast<HWND>(PropertySheetA(&h));
  ASSERT_TRUE(IsWindow(sheet));
  EXPECT_EQ(GetParent(sheet), frame);
  EXPECT_TRUE(GetWindowLongPtrA(sheet, GWL_STYLE) & WS_CHILD);
  EXPECT_TRUE(IsWindowEnabled(frame));  // a modeless sheet leaves its owner alone
  EXPECT_TRUE(IsWindowVisible(sheet));
  EXPECT_EQ(Journal(), (Lines{"init Alpha", "setactive Alpha"}));

  HWND edit = GetDlgItem(pages[0].hwnd, IDC_PAGE_EDIT);
  HWND check = GetDlgItem(pages[0].hwnd, IDC_PAGE_CHECK);
  SetFocus(edit);
  PostMessageA(edit, WM_KEYDOWN, VK_TAB, 0);
  PostMessageA(edit, WM_KEYUP, VK_TAB, 0);
  OwnerLoop(sheet);
  EXPECT_EQ(GetFocus(), check);

  MSG other{frame, WM_KEYDOWN, VK_TAB, 0, 0, {0, 0}};
  EXPECT_FALSE(SendMessageA(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&other)));
  EXPECT_EQ(SendMessageA(sheet, PSM_GETRESULT, 0, 0), -1);  // still running

  // Enter on a page's focused push button presses that button.
  HWND run = GetDlgItem(pages[0].hwnd, IDC_PAGE_RUN);
  ASSERT_TRUE(run);
  SetFocus(run);
  PostMessageA(run, WM_KEYDOWN, VK_RETURN, 0);
  OwnerLoop(sheet);
  EXPECT_EQ(Journal().back(), "run Alpha");
  Journal().pop_back();

  // Elsewhere Enter presses the sheet's default button, OK.
  PostMessageA(check, WM_KEYDOWN, VK_RETURN, 0);
  OwnerLoop(sheet);
  EXPECT_EQ(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0), 0);
  EXPECT_EQ(SendMessageA(sheet, PSM_GETRESULT, 0, 0), 1);
  EXPECT_EQ(Journal(), (Lines{"init Alpha", "setactive Alpha", "killactive Alpha", "apply Alpha 1"}));
  EXPECT_TRUE(IsWindow(sheet));  // the owner destroys it when it sees the sheet is done

  DestroyWindow(sheet);
  EXPECT_EQ(pages[0].destroyed, 1u);
  EXPECT_FALSE(IsWindow(sheet));
  DestroyWindow(frame);
}

}  // namespace
