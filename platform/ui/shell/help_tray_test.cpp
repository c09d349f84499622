#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qvplatform.h"

namespace {

TEST(WinHelp, EveryRequestIsRecordedAndAnsweredTrue) {
  qvp::TakeUnexpectedPrompts();
  qvp::CaptureDebugOutput(true);
  EXPECT_TRUE(WinHelpA(nullptr, "HELP\\ENGLISH\\PRODUCT.HLP", HELP_CONTEXT, 1004));
  std::string out = qvp::TakeDebugOutput();
  qvp::CaptureDebugOutput(false);
  EXPECT_NE(out.find("Help [HELP\\ENGLISH\\PRODUCT.HLP] HELP_CONTEXT 1004"), std::string::npos) << out;

  // A script that expects nothing still sees them, and they are never unexpected.
  qvp::PromptScript script;
  EXPECT_TRUE(WinHelpA(nullptr, "p.hlp", HELP_FINDER, 0));
  EXPECT_TRUE(WinHelpA(nullptr, "p.hlp", HELP_KEY, reinterpret_cast<ULONG_PTR>("scheduler")));
  EXPECT_TRUE(WinHelpA(nullptr, nullptr, HELP_QUIT, 0));
  EXPECT_TRUE(WinHelpA(nullptr, "p.hlp", 0x77, 5));
  std::vector<qvp::PromptRecord> records = script.Records();
  ASSERT_EQ(records.size(), 4u);
  EXPECT_EQ(records[0].kind, qvp::PromptKind::kHelp);
  EXPECT_EQ(records[0].caption, "p.hlp");
  EXPECT_EQ(records[0].flags, static_cast<UINT>(HELP_FINDER));
  EXPECT_EQ(records[1].text, "HELP_KEY scheduler");
  EXPECT_EQ(records[2].caption, "");
  EXPECT_EQ(records[2].text, "HELP_QUIT 0");
  EXPECT_EQ(records[3].text, "HELP_0x77 5");
  EXPECT_EQ(records[3].data, 5u);
  EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());

  // A script may make help fail.
  qvp::ExpectedPrompt fail;
  fail.kind = qvp::PromptKind::kHelp;
  fail.caption = "missing.hlp";
  script.Expect(fail);
  EXPECT_FALSE(WinHelpA(nullptr, "missing.hlp", HELP_CONTENTS, 0));
}

class TrayWindow {
 public:
  TrayWindow() {
    static const ATOM atom = [] {
      WNDCLASSA wc{};
      wc.lpfnWndProc = DefWindowProcA;
      wc.lpszClassName = "TrayTestWindow";
      return RegisterClassA(&wc);
    }();
    (void)atom;
    hwnd = CreateWindowExA(0, "TrayTestWindow", "t", WS_OVERLAPPEDWINDOW, 0, 0, 10, 10, nullptr, nullptr, nullptr,
                           nullptr);
  }
  ~TrayWindow() {
    if (IsWindow(hwnd)) DestroyWindow(hwnd);
  }
  TrayWindow(const TrayWindow&) = delete;
  TrayWindow& operator=(const TrayWindow&) = delete;
  HWND hwnd;
};

NOTIFYICONDATAA Data(HWND hwnd, UINT id, UINT flags) {
  NOTIFYICONDATAA nid{};
  nid.cbSize = sizeof nid;
  nid.hWnd = hwnd;
  nid.uID = id;
  nid.uFlags = flags;
  return nid;
}

TEST(Tray, AddModifyDelete) {
  TrayWindow w;
  NOTIFYICONDATAA nid = Data(w.hwnd, 10, NIF_MESSAGE | NIF_ICON | NIF_TIP);
  nid.uCallbackMessage = 5031;
  nid.hIcon = reinterpret_cast<HICON>(0x1234);
  std::strcpy(nid.szTip, "Quorvane");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &nid));  // one icon per window and id
  std::vector<qvp::TrayIcon> icons = qvp::TrayIcons();
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].hwnd, w.hwnd);
  EXPECT_EQ(icons[0].id, 10u);
  EXPECT_EQ(icons[0].callback_message, 5031u);
  EXPECT_EQ(icons[0].icon, reinterpret_cast<HICON>(0x1234));
  EXPECT_EQ(icons[0].tip, "Quorvane");

  // Only the fields named change; a tip that fills its array is cut before the last byte.
  NOTIFYICONDATAA tip = Data(w.hwnd, 10, NIF_TIP);
  std::memset(tip.szTip, 'x', sizeof tip.szTip);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &tip));
  icons = qvp::TrayIcons();
  EXPECT_EQ(icons[0].tip, std::string(63, 'x'));
  EXPECT_EQ(icons[0].callback_message, 5031u);

  NOTIFYICONDATAA other = Data(w.hwnd, 11, NIF_TIP);
  EXPECT_FALSE(Shell_NotifyIconA(NIM_MODIFY, &other));
  EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &other));
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
  EXPECT_TRUE(qvp::TrayIcons().empty());
  EXPECT_FALSE(Shell_NotifyIconA(NIM_DELETE, &nid));

  NOTIFYICONDATAA no_window = Data(reinterpret_cast<HWND>(0x4242), 1, 0);
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &no_window));
  NOTIFYICONDATAA bad_size = Data(w.hwnd, 1, 0);
  bad_size.cbSize = 20;
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &bad_size));
  bad_size.cbSize = 88;  // the 32-bit size
  EXPECT_TRUE(Shell_NotifyIconA(NIM_ADD, &bad_size));
  EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &bad_size));
}

TEST(Tray, AClickPostsTheCallbackMessage) {
  TrayWindow w;
  NOTIFYICONDATAA nid = Data(w.hwnd, 10, NIF_MESSAGE);
  nid.uCallbackMessage = 5031;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &nid));
  ASSERT_TRUE(qvp::ClickTrayIcon(w.hwnd, 10, WM_RBUTTONUP));
  ASSERT_TRUE(qvp::ClickTrayIcon(w.hwnd, 10, WM_LBUTTONDBLCLK));
  MSG m{};
  ASSERT_TRUE(PeekMessageA(&m, w.hwnd, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.message, 5031u);
  EXPECT_EQ(m.wParam, 10u);
  EXPECT_EQ(m.lParam, WM_RBUTTONUP);
  ASSERT_TRUE(PeekMessageA(&m, w.hwnd, 0, 0, PM_REMOVE));
  EXPECT_EQ(m.lParam, WM_LBUTTONDBLCLK);
  EXPECT_FALSE(qvp::ClickTrayIcon(w.hwnd, 99, WM_RBUTTONUP));

  // An icon without a callback message tells nobody; a dead window's icon neither.
  NOTIFYICONDATAA mute = Data(w.hwnd, 12, 0);
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &mute));
  EXPECT_FALSE(qvp::ClickTrayIcon(w.hwnd, 12, WM_RBUTTONUP));
  Shell_NotifyIconA(NIM_DELETE, &mute);
  HWND gone = w.hwnd;
  DestroyWindow(gone);
  EXPECT_FALSE(qvp::ClickTrayIcon(gone, 10, WM_RBUTTONUP));
  EXPECT_TRUE(Shell_NotifyIconA(NIM_DELETE, &nid));
}

}  // namespace
