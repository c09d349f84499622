// Input from the display reaches the windows as the messages a user's mouse and
// keys make: hit-tested, activating, through the thread's queue and dialog
// manager. No X server is needed: the input is queued as the event thread does.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "display/input.h"
#include "qvplatform.h"
#include "qvplatform/dlgtemplate.h"
#include "qvplatform/ui_cursor.h"
#include "qvplatform/display.h"

namespace {

using qvp::display::InputKind;
using qvp::display::RawInput;

enum : int { kEdit = 101, kCheck = 102, kGroup = 103, kOff = 104 };

std::vector<std::pair<int, int>>* g_commands = nullptr;  // (id, code)
std::vector<UINT>* g_dialog_msgs = nullptr;

INT_PTR CALLBACK Proc(HWND, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && g_commands) g_commands->emplace_back(LOWORD(wp), HIWORD(wp));
  if (g_dialog_msgs && (msg == WM_LBUTTONDOWN || msg == WM_SYSCOMMAND)) g_dialog_msgs->push_back(msg);
  return FALSE;
}

qvp::ControlDesc Control(const char* cls, uint32_t id, const char* text, uint32_t style, int16_t x, int16_t y,
                         int16_t cx, int16_t cy) {
  qvp::ControlDesc c;
  c.window_class = qvp::NameOrId::Text(cls);
  c.id = id;
  c.text = qvp::NameOrId::Text(text);
  c.style = style | WS_CHILD | WS_VISIBLE;
  c.x = x;
  c.y = y;
  c.cx = cx;
  c.cy = cy;
  return c;
}

// Messages a subclassed control received, for the few checks that need them.
struct Spy {
  WNDPROC old = nullptr;
  std::vector<MSG> seen;
};
Spy* g_spy = nullptr;
LRESULT CALLBACK SpyProc(HWND h, UINT m, WPARAM wp, LPARAM lp) {
  if (g_spy) g_spy->seen.push_back(MSG{h, m, wp, lp, 0, {}});
  return CallWindowProcA(g_spy->old, h, m, wp, lp);
}

class Input : public ::testing::Test {
 protected:
  void SetUp() override {
    g_commands = &commands_;
    g_dialog_msgs = &dialog_msgs_;
    qvp::DialogDesc d;
    d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_SETFONT | WS_VISIBLE;
    d.x = 20;
    d.y = 20;
    d.cx = 200;
    d.cy = 120;
    d.caption = qvp::NameOrId::Text("Input");
    d.font_face = qvp::NameOrId::Text("MS Sans Serif");
    d.font_point_size = 8;
    d.controls = {
        Control("Button", kGroup, "Group", BS_GROUPBOX, 5, 5, 100, 40),
        Control("Button", kCheck, "Check", BS_AUTOCHECKBOX | WS_TABSTOP, 12, 18, 60, 10),
        Control("Edit", kEdit, "", ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 5, 55, 100, 14),
        Control("Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 140, 5, 50, 14),
        Control("Button", kOff, "Off", BS_PUSHBUTTON | WS_DISABLED, 140, 25, 50, 14),
    };
    std::string error;
    ASSERT_TRUE(qvp::BuildDialogTemplate(d, &block_, &error)) << error;
    dlg_ = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(block_.data()), nullptr, Proc, 0);
    ASSERT_TRUE(dlg_);
    Pump();
    commands_.clear();
    dialog_msgs_.clear();
  }
  void TearDown() override {
    if (IsWindow(dlg_)) DestroyWindow(dlg_);
    g_commands = nullptr;
    g_dialog_msgs = nullptr;
    g_spy = nullptr;
  }

  void Pump() {
    MSG m;
    while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
      if (IsWindow(dlg_) && IsDialogMessageA(dlg_, &m)) continue;
      TranslateMessage(&m);
      DispatchMessageA(&m);
    }
  }

  POINT Center(int id) const {
    RECT r;
    GetWindowRect(GetDlgItem(dlg_, id), &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  static RawInput Button(POINT pt, bool down, int button = 1) {
    RawInput in;
    in.kind = InputKind::kButton;
    in.pt = pt;
    in.button = button;
    in.down = down;
    if (!down) in.buttons = button == 1 ? MK_LBUTTON : MK_RBUTTON;
    return in;
  }
  void Click(POINT pt) {
    qvp::display::QueueInput(dlg_, Button(pt, true));
    qvp::display::QueueInput(dlg_, Button(pt, false));
    Pump();
  }
  static RawInput Key(UINT vk, unsigned char ch, bool down, UINT scan, bool shift = false) {
    RawInput in;
    in.kind = InputKind::kKey;
    in.vk = vk;
    in.ch = ch;
    in.down = down;
    in.scan = scan;
    in.shift = shift;
    return in;
  }
  void Type(UINT vk, unsigned char ch, UINT scan, bool shift = false) {
    qvp::display::QueueInput(dlg_, Key(vk, ch, true, scan, shift));
    qvp::display::QueueInput(dlg_, Key(vk, ch, false, scan, shift));
  }
  std::string EditText() const {
    char buf[64] = {};
    GetDlgItemTextA(dlg_, kEdit, buf, sizeof buf);
    return buf;
  }
  bool Commanded(int id) const {
    for (auto& c : commands_)
      if (c.first == id && c.second == BN_CLICKED) return true;
    return false;
  }

  std::vector<uint8_t> block_;
  HWND dlg_ = nullptr;
  std::vector<std::pair<int, int>> commands_;
  std::vector<UINT> dialog_msgs_;
};

TEST_F(Input, ClicksFindTheControlUnderThePointer) {
  Click(Center(IDOK));
  EXPECT_TRUE(Commanded(IDOK));
  // The group box lets clicks through to the check box it holds.
  Click(Center(kCheck));
  EXPECT_EQ(IsDlgButtonChecked(dlg_, kCheck), static_cast<UINT>(BST_CHECKED));
  // A disabled button takes no click; its dialog gets it instead.
  commands_.clear();
  Click(Center(kOff));
  EXPECT_FALSE(Commanded(kOff));
  EXPECT_EQ(std::count(dialog_msgs_.begin(), dialog_msgs_.end(), static_cast<UINT>(WM_LBUTTONDOWN)), 1);
  // Outside the window, nothing happens.
  Click(POINT{5, 5});
  EXPECT_TRUE(commands_.empty());
}

TEST_F(Input, KeysTypeIntoTheFocusThroughTheDialogManager) {
  Click(Center(kEdit));
  ASSERT_EQ(GetFocus(), GetDlgItem(dlg_, kEdit));
  Type('H', 'h', 35);
  Type('I', 'i', 23);
  qvp::display::QueueInput(dlg_, Key(VK_SHIFT, 0, true, 42, false));
  Type('A', 'A', 30, true);
  qvp::display::QueueInput(dlg_, Key(VK_SHIFT, 0, false, 42, true));
  Type('1', '!', 2, false);  // '!' without shift: a keyboard whose layout differs from the layer's
  Type('E', 0xE9, 18);        // a character the layer's keyboard has no key for
  Pump();
  EXPECT_EQ(EditText(), "hiA!\xE9");
  // Tab moves on to the next control, Enter presses the default button.
  Type(VK_TAB, '\t', 15);
  Pump();
  EXPECT_EQ(GetFocus(), GetDlgItem(dlg_, IDOK));
  Type(VK_RETURN, '\r', 28);
  Pump();
  EXPECT_TRUE(Commanded(IDOK));
}

TEST_F(Input, WheelGoesToTheFocusAndCaptureTakesThePointer) {
  HWND edit = GetDlgItem(dlg_, kEdit);
  SetFocus(edit);
  Spy spy;
  g_spy = &spy;
  spy.old = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(SpyProc)));
  RawInput wheel;
  wheel.kind = InputKind::kWheel;
  wheel.pt = Center(IDOK);
  wheel.wheel = -1;
  qvp::display::QueueInput(dlg_, wheel);
  // Captured, the pointer's motion anywhere goes to the edit in its own coordinates.
  SetCapture(edit);
  RawInput move;
  move.kind = InputKind::kMotion;
  move.pt = Center(IDOK);
  qvp::display::QueueInput(dlg_, move);
  move.pt.x += 3;  // merged with the one before
  qvp::display::QueueInput(dlg_, move);
  Pump();
  ReleaseCapture();
  int wheels = 0, moves = 0;
  for (const MSG& m : spy.seen) {
    if (m.message == WM_MOUSEWHEEL) {
      ++wheels;
      EXPECT_EQ(static_cast<SHORT>(HIWORD(m.wParam)), -WHEEL_DELTA);
    }
    if (m.message == WM_MOUSEMOVE) {
      ++moves;
      POINT at = Center(IDOK);
      at.x += 3;
      ScreenToClient(edit, &at);
      EXPECT_EQ(static_cast<SHORT>(LOWORD(m.lParam)), at.x);
      EXPECT_EQ(static_cast<SHORT>(HIWORD(m.lParam)), at.y);
    }
  }
  EXPECT_EQ(wheels, 1);
  EXPECT_EQ(moves, 1);
  SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(spy.old));
}

TEST_F(Input, TheWindowManagerMovesAndClosesWindows) {
  RawInput geo;
  geo.kind = InputKind::kGeometry;
  RECT r;
  GetWindowRect(dlg_, &r);
  geo.rect = RECT{300, 200, 300 + (r.right - r.left), 200 + (r.bottom - r.top)};
  qvp::display::QueueInput(dlg_, geo);
  Pump();
  GetWindowRect(dlg_, &r);
  EXPECT_EQ(r.left, 300);
  EXPECT_EQ(r.top, 200);
  // Closing is the system command, which a dialog takes as Cancel.
  RawInput close;
  close.kind = InputKind::kClose;
  qvp::display::QueueInput(dlg_, close);
  Pump();
  ASSERT_FALSE(dialog_msgs_.empty());
  EXPECT_EQ(dialog_msgs_.back(), static_cast<UINT>(WM_SYSCOMMAND));
  bool cancelled = false;
  for (auto& c : commands_) cancelled = cancelled || c.first == IDCANCEL;
  EXPECT_TRUE(cancelled);
}

TEST_F(Input, ADisabledOwnerSendsTheUserToItsDialog) {
  HWND popup = CreateWindowExA(0, "Static", "p", WS_POPUP | WS_VISIBLE | WS_CAPTION, 400, 400, 100, 60, dlg_, nullptr,
                               nullptr, nullptr);
  ASSERT_TRUE(popup);
  EnableWindow(dlg_, FALSE);
  SetActiveWindow(popup);
  SetActiveWindow(nullptr);
  Click(Center(IDOK));
  EXPECT_FALSE(Commanded(IDOK));
  EXPECT_EQ(GetActiveWindow(), popup);
  // The window manager's focus on the owner also goes to the dialog.
  SetActiveWindow(nullptr);
  RawInput focus;
  focus.kind = InputKind::kActivate;
  qvp::display::QueueInput(dlg_, focus);
  Pump();
  EXPECT_EQ(GetActiveWindow(), popup);
  EnableWindow(dlg_, TRUE);
  DestroyWindow(popup);
}

TEST_F(Input, DoubleClicksForWindowsThatAskForThem) {
  static std::vector<UINT> seen;
  seen.clear();
  WNDCLASSA wc{};
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
    if (m >= WM_LBUTTONDOWN && m <= WM_LBUTTONDBLCLK) seen.push_back(m);
    return DefWindowProcA(h, m, wp, lp);
  };
  wc.lpszClassName = "InputDoubleClick";
  RegisterClassA(&wc);
  HWND w = CreateWindowExA(0, "InputDoubleClick", "", WS_POPUP | WS_VISIBLE, 600, 100, 50, 50, nullptr, nullptr,
                           nullptr, nullptr);
  for (int i = 0; i < 2; ++i) {
    qvp::display::QueueInput(w, Button(POINT{610, 110}, true));
    qvp::display::QueueInput(w, Button(POINT{610, 110}, false));
  }
  Pump();
  std::vector<UINT> want = {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP};
  EXPECT_EQ(seen, want);
  DestroyWindow(w);
  // Input for a window that is gone is dropped.
  qvp::display::QueueInput(w, Button(POINT{610, 110}, true));
  Pump();
  UnregisterClassA("InputDoubleClick", nullptr);
}

}  // namespace

namespace {

TEST(InputCursor, StockCursorsAreKnownByTheirNumbers) {
  EXPECT_EQ(qvp::display::StockCursorId(LoadCursorA(nullptr, IDC_IBEAM)), 32513);
  EXPECT_EQ(qvp::display::StockCursorId(LoadCursorA(nullptr, IDC_SIZEWE)), 32644);
  EXPECT_EQ(qvp::display::StockCursorId(nullptr), 0);
  EXPECT_EQ(qvp::display::StockCursorId(reinterpret_cast<HCURSOR>(0x4321)), 0);
}

}  // namespace
