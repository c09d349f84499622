// The report dialogs' services (progress bar, timers, pump step, TAB order)
// and the dialog helpers that work on whole windows: centring, owner-drawn
// combo items and the dialog picture.
#include <gtest/gtest.h>

#include <vector>

#include "qv_ui.h"
#include "qv_ui_windows.h"

namespace {

// A dialog-class window with child controls of the given ids, in creation
// order (which is the first TAB order).
struct Dialog {
  HWND window = nullptr;
  Dialog(std::initializer_list<int> ids, DWORD style = WS_POPUP | WS_VISIBLE) {
    window = CreateWindowExA(0, "#32770", "", style, 0, 0, 300, 200, nullptr, nullptr, nullptr, nullptr);
    int y = 0;
    for (int id : ids) {
      CreateWindowExA(0, "BUTTON", "", WS_CHILD | WS_VISIBLE | WS_TABSTOP, 0, y, 80, 20, window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
      y += 25;
    }
  }
  ~Dialog() { DestroyWindow(window); }
  HWND Item(int id) const { return GetDlgItem(window, id); }
};

void Drain() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&m);
}

TEST(DialogServicesTest, TheProgressBarTakesTheReportMessagesAndHidesItsPlaceholder) {
  Dialog dialog{101};
  SetWindowPos(dialog.Item(101), nullptr, 10, 40, 120, 16, SWP_NOZORDER);
  EXPECT_EQ(QVUI_CreateProgressBar(dialog.window, 999), nullptr);
  HWND bar = QVUI_CreateProgressBar(dialog.window, 101);
  ASSERT_NE(bar, nullptr);
  EXPECT_FALSE(IsWindowVisible(dialog.Item(101)));
  RECT place;
  GetWindowRect(bar, &place);
  MapWindowPoints(nullptr, dialog.window, reinterpret_cast<POINT*>(&place), 2);
  EXPECT_EQ(place.left, 10);
  EXPECT_EQ(place.top, 40);
  EXPECT_EQ(place.right - place.left, 120);
  SendMessageA(bar, QVUI_PROGRESS_SETRANGE, 250, 0);
  SendMessageA(bar, QVUI_PROGRESS_SETPOS, 100, 0);
  EXPECT_EQ(SendMessageA(bar, PBM_GETRANGE, FALSE, 0), 250);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 100);
  // The control's own messages still work beside them.
  SendMessageA(bar, PBM_SETPOS, 7, 0);
  EXPECT_EQ(SendMessageA(bar, PBM_GETPOS, 0, 0), 7);
  DestroyWindow(bar);  // unhooks itself on the way out
}

TEST(DialogServicesTest, TimersFireUntilKilledAndThePumpStepStopsAtQuit) {
  Dialog dialog{};
  ASSERT_TRUE(QVUI_SetTimerEx(dialog.window, 7, 10));
  MSG m;
  const DWORD start = GetTickCount();
  bool fired = false;
  while (!fired && GetTickCount() - start < 5000) {
    if (GetMessageA(&m, nullptr, 0, 0) <= 0) break;
    fired = m.message == WM_TIMER && m.hwnd == dialog.window && m.wParam == 7;
    DispatchMessageA(&m);
  }
  EXPECT_TRUE(fired);
  EXPECT_TRUE(QVUI_KillTimerEx(dialog.window, 7));
  EXPECT_FALSE(QVUI_KillTimerEx(dialog.window, 7));
  Drain();

  // One pump step dispatches what waits; a WM_QUIT ends it and stays for the
  // caller's own loop.
  WNDCLASSA counter{};
  counter.lpszClassName = "PumpCounter";
  counter.lpfnWndProc = [](HWND w, UINT msg, WPARAM wp, LPARAM lp) -> LRESULT {
    if (msg == WM_USER + 1) ++*reinterpret_cast<int*>(lp);
    return DefWindowProcA(w, msg, wp, lp);
  };
  RegisterClassA(&counter);
  HWND target = CreateWindowExA(0, "PumpCounter", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
  int handled = 0;
  PostMessageA(target, WM_USER + 1, 0, reinterpret_cast<LPARAM>(&handled));
  PostMessageA(target, WM_USER + 1, 0, reinterpret_cast<LPARAM>(&handled));
  EXPECT_TRUE(QVUI_PumpMessages(dialog.window));
  EXPECT_EQ(handled, 2);
  DestroyWindow(target);
  PostQuitMessage(3);
  EXPECT_FALSE(QVUI_PumpMessages(nullptr));
  ASSERT_TRUE(PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, static_cast<UINT>(WM_QUIT));
  EXPECT_EQ(m.wParam, 3u);
}

TEST(DialogServicesTest, TabOrderFollowsTheListAndSkipsMissingControls) {
  Dialog dialog{1, 2, 3, 4};
  const int order[] = {4, 42, 2, 1};
  EXPECT_FALSE(QVUI_SetTabOrder(nullptr, order, 4));
  ASSERT_TRUE(QVUI_SetTabOrder(dialog.window, order, 4));
  std::vector<int> seen;
  HWND at = dialog.Item(4);
  for (int i = 0; i < 4; ++i) {
    seen.push_back(GetDlgCtrlID(at));
    at = GetNextDlgTabItem(dialog.window, at, FALSE);
  }
  // 4, 2 and 1 in the list's order; 3 keeps its place after them.
  EXPECT_EQ(seen, (std::vector<int>{4, 2, 1, 3}));
}

TEST(DialogServicesTest, ADialogIsCentredAndAPageCentresItsFrame) {
  const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
  Dialog frame{};
  HWND page = CreateWindowExA(0, "#32770", "", WS_CHILD | WS_VISIBLE, 5, 5, 100, 100, frame.window, nullptr,
                              nullptr, nullptr);
  QVUI_CenterDialog(page);
  RECT r;
  GetWindowRect(frame.window, &r);
  EXPECT_EQ(r.left, (cx - 300) / 2);
  EXPECT_EQ(r.top, (cy - 200) / 2);
  RECT pageRect;
  GetWindowRect(page, &pageRect);
  EXPECT_EQ(pageRect.left - r.left, 5);  // the page stays where it is in its frame

  // A dialog larger than the screen stays on it, at the top left.
  SetWindowPos(frame.window, nullptr, 50, 50, cx + 100, cy + 100, SWP_NOZORDER);
  QVUI_CenterDialog(frame.window);
  GetWindowRect(frame.window, &r);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  QVUI_CenterDialog(nullptr);  // nothing to do, no fault
}

TEST(DialogServicesTest, CustomComboItemsAreMeasuredAndDrawnInTheSelectionColours) {
  Dialog dialog{};
  MEASUREITEMSTRUCT measure{};
  EXPECT_FALSE(QVUI_MeasureCustomComboBox(dialog.window, nullptr));
  ASSERT_TRUE(QVUI_MeasureCustomComboBox(dialog.window, &measure));
  EXPECT_GT(measure.itemHeight, 4u);

  HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_CHILD | CBS_DROPDOWNLIST, 0, 0, 100, 100, dialog.window,
                               nullptr, nullptr, nullptr);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("HTTP"));
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, 60, 20);
  ReleaseDC(nullptr, screen);
  HGDIOBJ old = SelectObject(memory, bitmap);
  DRAWITEMSTRUCT draw{};
  draw.CtlType = ODT_COMBOBOX;
  draw.hwndItem = combo;
  draw.hDC = memory;
  draw.rcItem = {0, 0, 60, 20};
  draw.itemID = 0;
  draw.itemState = ODS_SELECTED;
  ASSERT_TRUE(QVUI_DrawCustomComboBox(&draw));
  EXPECT_EQ(GetPixel(memory, 59, 0), GetSysColor(COLOR_HIGHLIGHT));
  draw.itemState = 0;
  draw.itemID = static_cast<UINT>(-1);  // the empty field of a list with nothing chosen
  ASSERT_TRUE(QVUI_DrawCustomComboBox(&draw));
  EXPECT_EQ(GetPixel(memory, 59, 0), GetSysColor(COLOR_WINDOW));
  draw.hDC = nullptr;
  EXPECT_FALSE(QVUI_DrawCustomComboBox(&draw));
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
}

TEST(DialogServicesTest, TheDialogPictureNeedsItsControlAndAPictureThatExists) {
  Dialog dialog{1145};
  EXPECT_FALSE(QVUI_DisplayDlgBmp(dialog.window, 77, 11, QVUI_GetBitmapInstance()));
  EXPECT_FALSE(QVUI_DisplayDlgBmp(dialog.window, 1145, 4242, QVUI_GetBitmapInstance()));
  EXPECT_TRUE(QVUI_DisplayDlgBmp(dialog.window, 1145, 11, QVUI_GetBitmapInstance()));
  EXPECT_TRUE(QVUI_DisplayDlgBmp(dialog.window, 1145, 11, QVUI_GetBitmapInstance()));  // each WM_PAINT again
  QVUI_DestroyDlgBmp(dialog.window);
  QVUI_DestroyDlgBmp(dialog.window);  // twice is harmless
  // The picture belongs to the cache: it is still there for the next dialog.
  EXPECT_NE(QVUI_GetBitmapHandleFromCache(nullptr, 11, QVUI_GetBitmapInstance()), nullptr);
}

}  // namespace

namespace {

// What the tabbed dialog of the keyboard hook tests was told by its tab control.
struct TabNotes {
  std::vector<UINT> codes;
  bool refuse = false;  // TCN_SELCHANGING keeps the page
  WNDPROC old = nullptr;
};
TabNotes* g_tab_notes = nullptr;

LRESULT CALLBACK NotedDialog(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NOTIFY && g_tab_notes != nullptr) {
    const auto* header = reinterpret_cast<const NMHDR*>(lParam);
    g_tab_notes->codes.push_back(header->code);
    if (header->code == TCN_SELCHANGING) return g_tab_notes->refuse ? TRUE : FALSE;
    return 0;
  }
  return CallWindowProcA(g_tab_notes->old, window, message, wParam, lParam);
}

class TabKeysTest : public ::testing::Test {
 protected:
  void SetUp() override {
    g_tab_notes = &notes;
    notes.old = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(dialog.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&NotedDialog)));
    tabs = CreateWindowExA(0, WC_TABCONTROLA, "", WS_CHILD | WS_VISIBLE, 0, 100, 200, 80, dialog.window,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(50)), nullptr, nullptr);
    for (const char* name : {"Range", "Style", "Save As"}) {
      TCITEMA item{};
      item.mask = TCIF_TEXT;
      item.pszText = const_cast<char*>(name);
      SendMessageA(tabs, TCM_INSERTITEMA, SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0), reinterpret_cast<LPARAM>(&item));
    }
    SetFocus(dialog.Item(1));
  }
  void TearDown() override {
    QVUI_RemoveKeyboardHook(dialog.window);
    SetWindowLongPtrA(dialog.window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(notes.old));
    g_tab_notes = nullptr;
  }
  // Presses `key` with Ctrl (and Shift) held, as the dialog's pump step sees it.
  void Press(UINT key, bool shift = false) {
    HWND focus = GetFocus();
    PostMessageA(focus, WM_KEYDOWN, VK_CONTROL, 1);
    if (shift) PostMessageA(focus, WM_KEYDOWN, VK_SHIFT, 1);
    PostMessageA(focus, WM_KEYDOWN, key, 1);
    PostMessageA(focus, WM_KEYUP, key, 1);
    if (shift) PostMessageA(focus, WM_KEYUP, VK_SHIFT, 1);
    PostMessageA(focus, WM_KEYUP, VK_CONTROL, 1);
    QVUI_PumpMessages(dialog.window);
  }
  int Page() { return static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0)); }

  Dialog dialog{1, 2};
  TabNotes notes;
  HWND tabs = nullptr;
};

TEST_F(TabKeysTest, CtrlTabAndCtrlPageKeysTurnThePagesBothWaysAndWrap) {
  ASSERT_TRUE(QVUI_SetKeyboardHook(dialog.window, tabs));
  ASSERT_EQ(Page(), 0);
  Press(VK_TAB);
  EXPECT_EQ(Page(), 1);
  EXPECT_EQ(notes.codes, (std::vector<UINT>{static_cast<UINT>(TCN_SELCHANGING), static_cast<UINT>(TCN_SELCHANGE)}));
  Press(VK_NEXT);
  Press(VK_NEXT);
  EXPECT_EQ(Page(), 0);  // past the last page comes the first
  Press(VK_TAB, true);
  EXPECT_EQ(Page(), 2);  // and before the first the last
  Press(VK_PRIOR);
  EXPECT_EQ(Page(), 1);
  EXPECT_EQ(GetFocus(), dialog.Item(1));  // the keys never moved the focus
  // Tab alone still walks the controls.
  notes.codes.clear();
  PostMessageA(GetFocus(), WM_KEYDOWN, VK_TAB, 1);
  QVUI_PumpMessages(dialog.window);
  EXPECT_EQ(GetFocus(), dialog.Item(2));
  EXPECT_TRUE(notes.codes.empty());
}

TEST_F(TabKeysTest, ARefusedPageChangeKeepsThePageAndRemovingTheHookEndsTheKeys) {
  ASSERT_TRUE(QVUI_SetKeyboardHook(dialog.window, tabs));
  notes.refuse = true;
  Press(VK_TAB);
  EXPECT_EQ(Page(), 0);
  EXPECT_EQ(notes.codes, (std::vector<UINT>{static_cast<UINT>(TCN_SELCHANGING)}));
  notes.refuse = false;
  notes.codes.clear();
  QVUI_RemoveKeyboardHook(dialog.window);
  Press(VK_TAB);
  EXPECT_EQ(Page(), 0);
  EXPECT_TRUE(notes.codes.empty());
  // A second dialog's keys are not this one's: only the dialog holding the key turns its pages.
  Dialog other{7};
  ASSERT_TRUE(QVUI_SetKeyboardHook(dialog.window, tabs));
  SetFocus(other.Item(7));
  Press(VK_TAB);
  EXPECT_EQ(Page(), 0);
  EXPECT_FALSE(QVUI_SetKeyboardHook(nullptr, tabs));
}

}  // namespace
