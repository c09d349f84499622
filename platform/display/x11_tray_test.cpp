// The notification-area icon on a private X server whose system tray is the
// test's own: the icon asks to be docked (again, when the tray comes late),
// paints its pixels, reports clicks and goes away when deleted.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

#include "display/xvfb_support.h"
#include "qvplatform.h"
#include "qvplatform/display.h"

#include <X11/Xlib.h>

namespace {

constexpr UINT kCallback = WM_APP + 7;
constexpr UINT kIconId = 10;

std::vector<std::pair<WPARAM, LPARAM>>* g_calls = nullptr;

LRESULT CALLBACK OwnerProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == kCallback && g_calls) g_calls->emplace_back(wp, lp);
  return DefWindowProcA(hwnd, msg, wp, lp);
}

// A 16x16 icon, opaque red but for a clear top-left quarter.
HICON RedIcon() {
  std::vector<uint32_t> colour(16 * 16, 0x00FF0000u);
  std::vector<uint16_t> mask(16, 0);  // 1 bit a pixel, rows of 16 bits
  for (int row = 0; row < 8; ++row) mask[static_cast<size_t>(row)] = 0x00FF;  // bytes FF 00: columns 0..7
  ICONINFO info{};
  info.fIcon = TRUE;
  info.hbmColor = CreateBitmap(16, 16, 1, 32, colour.data());
  info.hbmMask = CreateBitmap(16, 16, 1, 1, mask.data());
  HICON icon = CreateIconIndirect(&info);
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return icon;
}

class X11Tray : public ::testing::Test {
 protected:
  void SetUp() override {
    if (xvfbtest::FindProgram("Xvfb").empty()) {
      if (std::getenv("CI")) FAIL() << "Xvfb is needed: install xvfb";
      GTEST_SKIP() << "xvfb is not installed; the tray is not tested";
    }
    server_ = std::make_unique<xvfbtest::Server>();
    ASSERT_TRUE(server_->ok()) << "Xvfb did not start";
    ASSERT_TRUE(qvp::OpenDisplay(server_->name().c_str()));
    tray_ = XOpenDisplay(server_->name().c_str());
    ASSERT_NE(tray_, nullptr);
    WNDCLASSA wc{};
    wc.lpfnWndProc = OwnerProc;
    wc.lpszClassName = "TrayTestOwner";
    RegisterClassA(&wc);
    owner_ = CreateWindowExA(0, "TrayTestOwner", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(owner_, nullptr);
    g_calls = &calls_;
  }
  void TearDown() override {
    g_calls = nullptr;
    if (owner_) DestroyWindow(owner_);
    UnregisterClassA("TrayTestOwner", nullptr);
    if (icon_) DestroyIcon(icon_);
    if (tray_) XCloseDisplay(tray_);
    qvp::CloseDisplay();
    server_.reset();
  }

  bool Notify(DWORD what) {
    NOTIFYICONDATAA data{};
    data.cbSize = sizeof data;
    data.hWnd = owner_;
    data.uID = kIconId;
    data.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data.uCallbackMessage = kCallback;
    data.hIcon = icon_;
    std::strcpy(data.szTip, "Quorvane");
    return Shell_NotifyIconA(what, &data) != FALSE;
  }

  // Becomes the screen's tray: owns the selection and tells the root.
  void BecomeTray() {
    const ::Window root = DefaultRootWindow(tray_);
    XSetWindowAttributes a{};
    a.background_pixel = 0;
    manager_ = XCreateWindow(tray_, root, 10, 10, 64, 64, 0, CopyFromParent, InputOutput, CopyFromParent, CWBackPixel,
                             &a);
    selection_ = XInternAtom(tray_, "_NET_SYSTEM_TRAY_S0", False);
    XSetSelectionOwner(tray_, selection_, manager_, CurrentTime);
    XEvent ev{};
    ev.xclient.type = ClientMessage;
    ev.xclient.window = root;
    ev.xclient.message_type = XInternAtom(tray_, "MANAGER", False);
    ev.xclient.format = 32;
    ev.xclient.data.l[0] = CurrentTime;
    ev.xclient.data.l[1] = static_cast<long>(selection_);
    ev.xclient.data.l[2] = static_cast<long>(manager_);
    XSendEvent(tray_, root, False, StructureNotifyMask, &ev);
    XFlush(tray_);
  }

  // Waits (generously) for an event of the tray's connection that `want` accepts.
  template <class Want>
  bool TrayEvent(Want want, XEvent* out) {
    for (int round = 0; round < 2000; ++round) {
      while (XPending(tray_) > 0) {
        XNextEvent(tray_, out);
        if (want(*out)) return true;
      }
      xvfbtest::PumpOnce(nullptr);
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return false;
  }

  void Click(::Window icon, unsigned button, int type, ::Time time) {
    XEvent ev{};
    ev.xbutton.type = type;
    ev.xbutton.window = icon;
    ev.xbutton.button = button;
    ev.xbutton.time = time;
    ev.xbutton.x = ev.xbutton.y = 4;
    ev.xbutton.same_screen = True;
    XSendEvent(tray_, icon, False, type == ButtonPress ? ButtonPressMask : ButtonReleaseMask, &ev);
    XFlush(tray_);
  }

  std::unique_ptr<xvfbtest::Server> server_;
  Display* tray_ = nullptr;
  ::Window manager_ = 0;
  Atom selection_ = 0;
  HWND owner_ = nullptr;
  HICON icon_ = nullptr;
  std::vector<std::pair<WPARAM, LPARAM>> calls_;
};

TEST_F(X11Tray, TheIconDocksWithALateTrayShowsItsPixelsAndReportsClicks) {
  icon_ = RedIcon();
  ASSERT_NE(icon_, nullptr);
  // No tray yet: the icon is recorded and nothing fails.
  ASSERT_TRUE(Notify(NIM_ADD));
  xvfbtest::PumpUntil(nullptr, [] { return false; }, 200);

  BecomeTray();
  const Atom opcode = XInternAtom(tray_, "_NET_SYSTEM_TRAY_OPCODE", False);
  XEvent ev{};
  ASSERT_TRUE(TrayEvent(
      [&](const XEvent& e) {
        return e.type == ClientMessage && e.xclient.message_type == opcode && e.xclient.data.l[1] == 0;
      },
      &ev))
      << "no dock request reached the tray";
  const ::Window icon = static_cast<::Window>(ev.xclient.data.l[2]);
  EXPECT_EQ(server_->Property32(icon, "_XEMBED_INFO"), (std::vector<unsigned long>{0, 1}));

  // Embed it at twice the icon's size: the icon is scaled to fill it.
  XSelectInput(tray_, icon, StructureNotifyMask);
  XReparentWindow(tray_, icon, manager_, 0, 0);
  XResizeWindow(tray_, icon, 32, 32);
  XMapWindow(tray_, manager_);
  XMapWindow(tray_, icon);
  XFlush(tray_);
  const COLORREF red = RGB(255, 0, 0);
  EXPECT_TRUE(xvfbtest::PumpUntil(nullptr, [&] { return server_->PixelAt(10 + 24, 10 + 24) == red; }, 10000))
      << "the icon's pixels are not shown";
  EXPECT_EQ(server_->PixelAt(10 + 24, 10 + 4), red);
  EXPECT_NE(server_->PixelAt(10 + 4, 10 + 4), red) << "the icon's clear part is painted";

  // Clicks come back as the callback message, the mouse message in lParam.
  Click(icon, Button1, ButtonPress, 1000);
  Click(icon, Button1, ButtonRelease, 1050);
  Click(icon, Button1, ButtonPress, 1100);
  Click(icon, Button1, ButtonRelease, 1150);
  Click(icon, Button3, ButtonPress, 5000);
  Click(icon, Button3, ButtonRelease, 5050);
  ASSERT_TRUE(xvfbtest::PumpUntil(nullptr, [&] { return calls_.size() >= 6; }, 10000));
  const std::vector<std::pair<WPARAM, LPARAM>> expected = {
      {kIconId, WM_LBUTTONDOWN},    {kIconId, WM_LBUTTONUP},   {kIconId, WM_LBUTTONDBLCLK},
      {kIconId, WM_LBUTTONUP},      {kIconId, WM_RBUTTONDOWN}, {kIconId, WM_RBUTTONUP}};
  EXPECT_EQ(calls_, expected);

  // Deleted, its window goes.
  ASSERT_TRUE(Notify(NIM_DELETE));
  EXPECT_TRUE(TrayEvent([&](const XEvent& e) { return e.type == DestroyNotify && e.xdestroywindow.window == icon; },
                        &ev))
      << "the deleted icon's window stayed";
}

}  // namespace
