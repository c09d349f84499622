// The X11 display under a private X server: a dialog shows on the screen, and
// xdotool's clicks, typing and drags reach it as a user's would.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "display/image.h"
#include "display/xvfb_support.h"
#include "qvplatform.h"
#include "qvplatform/dlgtemplate.h"
#include "qvplatform/display.h"

namespace {

enum : int { kEdit = 101 };

std::vector<int>* g_clicked = nullptr;

INT_PTR CALLBACK Proc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg == WM_COMMAND && HIWORD(wp) == BN_CLICKED) {
    if (g_clicked) g_clicked->push_back(LOWORD(wp));
    if (LOWORD(wp) == IDCANCEL) DestroyWindow(dlg);
    return TRUE;
  }
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

class X11Display : public ::testing::Test {
 protected:
  void SetUp() override {
    const bool have = !xvfbtest::FindProgram("Xvfb").empty() && !xvfbtest::FindProgram("xdotool").empty();
    if (!have) {
      if (std::getenv("CI")) FAIL() << "Xvfb and xdotool are needed: install xvfb and xdotool";
      GTEST_SKIP() << "xvfb or xdotool is not installed; the display is not tested";
    }
    if (!qvp::RasterTextAvailable()) {
      if (std::getenv("CI")) FAIL() << "no fonts: install fonts-liberation2 and fonts-dejavu-core";
      GTEST_SKIP() << "fonts-liberation2 is not installed";
    }
    server_ = std::make_unique<xvfbtest::Server>();
    ASSERT_TRUE(server_->ok()) << "Xvfb did not start";
    ASSERT_TRUE(qvp::OpenDisplay(server_->name().c_str()));
    g_clicked = &clicked_;
  }
  void TearDown() override {
    if (dlg_ && IsWindow(dlg_)) DestroyWindow(dlg_);
    qvp::CloseDisplay();
    qvp::SetRasterText(false);
    g_clicked = nullptr;
    server_.reset();
  }

  HWND Open(const char* title) {
    qvp::DialogDesc d;
    d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE;
    d.x = 60;
    d.y = 40;
    d.cx = 180;
    d.cy = 80;
    d.caption = qvp::NameOrId::Text(title);
    d.font_face = qvp::NameOrId::Text("MS Sans Serif");
    d.font_point_size = 8;
    d.controls = {
        Control("Edit", kEdit, "", ES_AUTOHSCROLL | WS_TABSTOP | WS_BORDER, 7, 7, 100, 14),
        Control("Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 120, 7, 50, 14),
        Control("Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 120, 25, 50, 14),
    };
    std::string error;
    EXPECT_TRUE(qvp::BuildDialogTemplate(d, &block_, &error)) << error;
    dlg_ = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(block_.data()), nullptr, Proc, 0);
    return dlg_;
  }

  POINT Center(int id) const {
    RECT r;
    GetWindowRect(GetDlgItem(dlg_, id), &r);
    return POINT{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
  }
  int Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    return xvfbtest::RunPumping(*server_, dlg_, args);
  }
  int ClickAt(POINT p) {
    return Xdotool({"mousemove", "--sync", std::to_string(p.x), std::to_string(p.y), "click", "1"});
  }
  // The dialog's caption is on the screen where the window system has it.
  bool CaptionShown() {
    RECT r;
    GetWindowRect(dlg_, &r);
    return server_->PixelAt(r.left + 30, r.top + 6) == RGB(0, 0, 128);
  }
  std::string EditText() const {
    char buf[64] = {};
    GetDlgItemTextA(dlg_, kEdit, buf, sizeof buf);
    return buf;
  }
  // With QV_KEEP_SNAPSHOTS set, what the screen shows of the dialog is kept there.
  void KeepScreen(const char* name) {
    const char* keep = std::getenv("QV_KEEP_SNAPSHOTS");
    if (!keep) return;
    xvfbtest::PumpUntil(dlg_, [] { return false; }, 100);
    RECT r;
    GetWindowRect(dlg_, &r);
    qvp::display::Image img;
    img.width = r.right - r.left;
    img.height = r.bottom - r.top;
    img.pixels = server_->Grab(r);
    std::string error;
    qvp::display::WritePng(img, (std::string(keep) + "/" + name).c_str(), &error);
  }
  bool Clicked(int id) const { return std::find(clicked_.begin(), clicked_.end(), id) != clicked_.end(); }

  std::unique_ptr<xvfbtest::Server> server_;
  std::vector<uint8_t> block_;
  HWND dlg_ = nullptr;
  std::vector<int> clicked_;
};

TEST_F(X11Display, ADialogIsShownClickedTypedIntoAndClosed) {
  ASSERT_TRUE(Open("Display Test"));
  ASSERT_TRUE(qvp::DisplayOpen());
  ASSERT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return CaptionShown(); }, 10000)) << "the dialog never showed";
  ASSERT_NE(server_->WindowTitled("Display Test"), 0u);

  // Click into the edit and type: the text arrives through the dialog manager.
  ASSERT_EQ(ClickAt(Center(kEdit)), 0);
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return GetFocus() == GetDlgItem(dlg_, kEdit); }, 5000));
  ASSERT_EQ(Xdotool({"type", "--delay", "15", "Hello 42"}), 0);
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return EditText() == "Hello 42"; }, 5000)) << EditText();
  KeepScreen("x11_typed.png");

  // A click on OK presses it.
  ASSERT_EQ(ClickAt(Center(IDOK)), 0);
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return Clicked(IDOK); }, 5000));

  // The window manager's close is the dialog's Cancel; the X window goes with it.
  unsigned long xid = server_->WindowTitled("Display Test");
  server_->AskToClose(xid);
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return !IsWindow(dlg_); }, 5000));
  EXPECT_TRUE(Clicked(IDCANCEL));
  EXPECT_TRUE(xvfbtest::PumpUntil(nullptr, [&] { return server_->WindowTitled("Display Test") == 0; }, 5000));
}

// A window's icon reaches the window manager as _NET_WM_ICON, with the icon's
// mask as transparency, and follows WM_SETICON.
TEST_F(X11Display, TheWindowsIconIsGivenToTheWindowManager) {
  ASSERT_TRUE(Open("Icon Test"));
  ASSERT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return CaptionShown(); }, 10000));
  const unsigned long xid = server_->WindowTitled("Icon Test");
  ASSERT_NE(xid, 0u);
  EXPECT_TRUE(server_->Property32(xid, "_NET_WM_ICON").empty());

  // A 2x2 icon: red, green, blue, and one transparent corner.
  const uint32_t colours[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0x00FFFFFF};
  const uint8_t maskRows[4] = {0x00, 0x00, 0x40, 0x00};  // word-aligned rows; bottom-right set
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = CreateBitmap(2, 2, 1, 32, colours);
  info.hbmMask = CreateBitmap(2, 2, 1, 1, maskRows);
  const HICON icon = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  ASSERT_NE(icon, nullptr);
  SendMessageA(dlg_, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon));
  std::vector<unsigned long> pixels;
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, [&] {
    pixels = server_->Property32(xid, "_NET_WM_ICON");
    return !pixels.empty();
  }, 5000));
  ASSERT_EQ(pixels.size(), 6u);
  EXPECT_EQ(pixels[0], 2u);
  EXPECT_EQ(pixels[1], 2u);
  EXPECT_EQ(pixels[2], 0xFFFF0000u);
  EXPECT_EQ(pixels[3], 0xFF00FF00u);
  EXPECT_EQ(pixels[4], 0xFF0000FFu);
  EXPECT_EQ(pixels[5], 0u);

  SendMessageA(dlg_, WM_SETICON, ICON_BIG, 0);
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return server_->Property32(xid, "_NET_WM_ICON").empty(); }, 5000));
  DestroyIcon(icon);
}

TEST_F(X11Display, TheScreenFollowsTheWindowSystem) {
  ASSERT_TRUE(Open("Follow Test"));
  ASSERT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return CaptionShown(); }, 10000));
  const unsigned long xid = server_->WindowTitled("Follow Test");
  ASSERT_NE(xid, 0u);
  // Hidden and shown again.
  ShowWindow(dlg_, SW_HIDE);
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return !server_->Viewable(xid); }, 5000));
  ShowWindow(dlg_, SW_SHOW);
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return server_->Viewable(xid); }, 5000));
  // Moved and sized by the program; retitled.
  SetWindowPos(dlg_, nullptr, 200, 150, 330, 170, SWP_NOZORDER);
  auto placed = [&] {
    RECT g = server_->Geometry(xid);
    return g.left == 200 && g.top == 150 && g.right == 530 && g.bottom == 320;
  };
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, placed, 5000));
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return CaptionShown(); }, 5000));
  SetWindowTextA(dlg_, "Renamed");
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return server_->WindowTitled("Renamed") == xid; }, 5000));
}

TEST_F(X11Display, ASizingBorderResizesTheWindow) {
  dlg_ = CreateWindowExA(0, "#32770", "Sizing", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 100, 100, 300, 200, nullptr, nullptr,
                         nullptr, nullptr);
  ASSERT_TRUE(dlg_);
  ASSERT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return server_->WindowTitled("Sizing") != 0; }, 10000));
  ASSERT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return server_->PixelAt(140, 106) == RGB(0, 0, 128); }, 10000));
  ASSERT_EQ(Xdotool({"mousemove", "--sync", "398", "298", "mousedown", "1", "sleep", "0.2", "mousemove", "--sync", "438",
                     "328", "sleep", "0.2", "mouseup", "1"}),
            0);
  RECT r{};
  EXPECT_TRUE(xvfbtest::PumpUntil(
      dlg_, [&] { return GetWindowRect(dlg_, &r) && r.right == 440 && r.bottom == 330 && r.left == 100; }, 5000))
      << r.right << "," << r.bottom;
  RECT client;
  GetClientRect(dlg_, &client);
  EXPECT_EQ(client.right, 340 - 2 * GetSystemMetrics(SM_CXFRAME));
}

TEST_F(X11Display, TheCaptionDragsTheWindowAndItsCloseButtonCancels) {
  ASSERT_TRUE(Open("Drag Test"));
  ASSERT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return CaptionShown(); }, 10000));
  RECT before;
  GetWindowRect(dlg_, &before);
  const int x = before.left + 40, y = before.top + 8;
  ASSERT_EQ(Xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y), "mousedown", "1", "sleep", "0.2",
                     "mousemove", "--sync", std::to_string(x + 60), std::to_string(y + 35), "sleep", "0.2", "mouseup",
                     "1"}),
            0);
  RECT after{};
  EXPECT_TRUE(xvfbtest::PumpUntil(
      dlg_, [&] { return GetWindowRect(dlg_, &after) && after.left == before.left + 60 && after.top == before.top + 35; },
      5000))
      << after.left << "," << after.top;
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return CaptionShown(); }, 5000));  // drawn at its new place

  // The close button at the right end of the caption.
  GetWindowRect(dlg_, &after);
  ASSERT_EQ(ClickAt(POINT{after.right - 3 - 2 - 8, after.top + 3 + 9}), 0);
  EXPECT_TRUE(xvfbtest::PumpUntil(dlg_, [&] { return !IsWindow(dlg_); }, 5000));
  EXPECT_TRUE(Clicked(IDCANCEL));
}

}  // namespace
