// Snapshots of dialogs: the picture holds the frame, the caption with its text
// and the controls in the classic look where the template puts them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "display/display_test_support.h"
#include "qvplatform.h"
#include "qvplatform/dlgtemplate.h"

namespace {

using qvp::display::Image;

enum : int { kEdit = 101, kList = 102, kCheck = 103, kGroup = 104 };

qvp::ControlDesc Control(const char* cls, uint32_t id, const char* text, uint32_t style, int16_t x, int16_t y,
                         int16_t cx, int16_t cy, uint32_t ex = 0) {
  qvp::ControlDesc c;
  c.window_class = qvp::NameOrId::Text(cls);
  c.id = id;
  c.text = qvp::NameOrId::Text(text);
  c.style = style | WS_CHILD | WS_VISIBLE;
  c.exstyle = ex;
  c.x = x;
  c.y = y;
  c.cx = cx;
  c.cy = cy;
  return c;
}

INT_PTR CALLBACK FillProc(HWND dlg, UINT msg, WPARAM, LPARAM) {
  if (msg != WM_INITDIALOG) return FALSE;
  for (const char* item : {"Alpha", "Bravo", "Charlie", "Delta", "Echo", "Foxtrot", "Golf"})
    SendDlgItemMessageA(dlg, kList, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
  CheckDlgButton(dlg, kCheck, BST_CHECKED);
  return TRUE;
}

class Snapshot : public ::testing::Test {
 protected:
  void TearDown() override {
    if (dlg_) DestroyWindow(dlg_);
  }

  HWND Open() {
    qvp::DialogDesc d;
    d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | WS_VISIBLE;
    d.x = 10;
    d.y = 10;
    d.cx = 200;
    d.cy = 120;
    d.caption = qvp::NameOrId::Text("Server Settings");
    d.font_face = qvp::NameOrId::Text("MS Sans Serif");
    d.font_point_size = 8;
    d.controls = {
        Control("Button", kGroup, "Options", BS_GROUPBOX, 7, 5, 110, 40),
        Control("Button", kCheck, "&Log requests", BS_AUTOCHECKBOX | WS_TABSTOP, 14, 18, 90, 10),
        Control("Edit", kEdit, "server01", ES_AUTOHSCROLL | WS_TABSTOP, 7, 55, 110, 14, WS_EX_CLIENTEDGE),
        Control("ListBox", kList, "", LBS_NOTIFY | WS_VSCROLL | WS_TABSTOP, 7, 75, 110, 38, WS_EX_CLIENTEDGE),
        Control("Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 140, 7, 50, 14),
        Control("Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 140, 25, 50, 14),
    };
    std::string error;
    EXPECT_TRUE(qvp::BuildDialogTemplate(d, &block_, &error)) << error;
    dlg_ = CreateDialogIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(block_.data()), nullptr, FillProc, 0);
    return dlg_;
  }

  // A control's rectangle in the dialog window's picture, from its template
  // units as the dialog manager converts them.
  RECT InPicture(int x, int y, int cx, int cy) const {
    RECT units{0, 0, 4, 8};
    MapDialogRect(dlg_, &units);
    POINT origin{0, 0};
    ClientToScreen(dlg_, &origin);
    RECT w;
    GetWindowRect(dlg_, &w);
    LONG left = MulDiv(x, units.right, 4) + origin.x - w.left, top = MulDiv(y, units.bottom, 8) + origin.y - w.top;
    return RECT{left, top, left + MulDiv(cx, units.right, 4), top + MulDiv(cy, units.bottom, 8)};
  }

  Image Take(const std::string& name) {
    std::string path = dir_.file(name);
    EXPECT_TRUE(qvp::SnapshotWindow(dlg_, path.c_str())) << GetLastError();
    Image img;
    EXPECT_TRUE(qvp::display::ReadPng(path.c_str(), &img));
    if (const char* keep = std::getenv("QV_KEEP_SNAPSHOTS"))
      std::filesystem::copy_file(path, std::string(keep) + "/" + name,
                                 std::filesystem::copy_options::overwrite_existing);
    return img;
  }

  static int Count(const Image& img, RECT r, COLORREF c) {
    int n = 0;
    for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, img.height); ++y)
      for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, img.width); ++x) n += img.ColorAt(x, y) == c;
    return n;
  }

  disptest::ScratchDir dir_;
  std::vector<uint8_t> block_;
  HWND dlg_ = nullptr;
};

constexpr COLORREF kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0), kGrey = RGB(128, 128, 128),
                   kFace = RGB(192, 192, 192), kNavy = RGB(0, 0, 128);

TEST_F(Snapshot, DialogShowsFrameCaptionTextAndThreeDimensionalControls) {
  QV_NEED_FONTS();
  ASSERT_TRUE(Open());
  Image img = Take("dialog.png");
  RECT wr;
  GetWindowRect(dlg_, &wr);
  ASSERT_EQ(img.width, wr.right - wr.left);
  ASSERT_EQ(img.height, wr.bottom - wr.top);

  // The dialog frame: raised edge outside (light, then white), dark bottom-right.
  EXPECT_EQ(img.ColorAt(5, 0), kFace);
  EXPECT_EQ(img.ColorAt(5, 1), kWhite);
  EXPECT_EQ(img.ColorAt(5, img.height - 1), kBlack);
  EXPECT_EQ(img.ColorAt(img.width - 2, 20), kGrey);

  // The caption bar of the active dialog with its title in white, left aligned.
  const int caption_top = 3, caption_bottom = 3 + GetSystemMetrics(SM_CYCAPTION) - 1;
  RECT bar{3, caption_top, img.width - 3, caption_bottom};
  EXPECT_GT(Count(img, bar, kNavy), (bar.right - bar.left) * (bar.bottom - bar.top) / 2);
  int text_left = img.width, text_right = 0;
  for (int y = caption_top; y < caption_bottom; ++y)
    for (int x = 3; x < img.width - 40; ++x) {
      COLORREF c = img.ColorAt(x, y);
      if (GetRValue(c) > 200 && GetGValue(c) > 200 && GetBValue(c) > 200) {
        text_left = std::min(text_left, x);
        text_right = std::max(text_right, x);
      }
    }
  EXPECT_GE(text_left, 5);
  EXPECT_LE(text_left, 8);
  EXPECT_GT(text_right - text_left, 60);  // "Server Settings" in bold
  // The close button at the right end of the caption: a raised face with an X.
  EXPECT_GT(Count(img, RECT{img.width - 22, caption_top + 2, img.width - 5, caption_bottom - 2}, kFace), 50);
  EXPECT_GT(Count(img, RECT{img.width - 22, caption_top + 2, img.width - 5, caption_bottom - 2}, kBlack), 8);

  // Cancel: white top-left edge, black outer and grey inner bottom-right edge.
  RECT cancel = InPicture(140, 25, 50, 14);
  EXPECT_EQ(img.ColorAt(cancel.left + 5, cancel.top), kWhite);
  EXPECT_EQ(img.ColorAt(cancel.left, cancel.top + 5), kWhite);
  EXPECT_EQ(img.ColorAt(cancel.left + 5, cancel.bottom - 1), kBlack);
  EXPECT_EQ(img.ColorAt(cancel.right - 1, cancel.top + 5), kBlack);
  EXPECT_EQ(img.ColorAt(cancel.left + 5, cancel.bottom - 2), kGrey);
  // OK is the default button: a black frame around its edges.
  RECT ok = InPicture(140, 7, 50, 14);
  EXPECT_EQ(img.ColorAt(ok.left + 5, ok.top), kBlack);
  EXPECT_EQ(img.ColorAt(ok.left, ok.top + 5), kBlack);
  EXPECT_EQ(img.ColorAt(ok.left + 5, ok.top + 1), kWhite);
  // Button captions are dark text in the middle of the face.
  EXPECT_GT(Count(img, RECT{cancel.left + 3, cancel.top + 3, cancel.right - 3, cancel.bottom - 3}, kBlack), 10);

  // The edit: sunken client edge (grey, then black at the top), white inside with its text.
  RECT edit = InPicture(7, 55, 110, 14);
  EXPECT_EQ(img.ColorAt(edit.left + 10, edit.top), kGrey);
  EXPECT_EQ(img.ColorAt(edit.left + 10, edit.top + 1), kBlack);
  EXPECT_EQ(img.ColorAt(edit.left + 10, edit.bottom - 1), kWhite);
  RECT inside{edit.left + 2, edit.top + 2, edit.right - 2, edit.bottom - 2};
  int inked = (inside.right - inside.left) * (inside.bottom - inside.top) - Count(img, inside, kWhite);
  EXPECT_GT(inked, 20);

  // The list box: its items written in its white client area, a scroll bar at its right.
  RECT list = InPicture(7, 75, 110, 38);
  RECT items{list.left + 2, list.top + 2, list.right - 2 - GetSystemMetrics(SM_CXVSCROLL), list.bottom - 2};
  EXPECT_GT(Count(img, items, kWhite), 100);
  EXPECT_GT(Count(img, items, kBlack), 20);
  RECT bar_area{list.right - 2 - GetSystemMetrics(SM_CXVSCROLL), list.top + 2, list.right - 2, list.bottom - 2};
  EXPECT_GT(Count(img, bar_area, kFace), 30);

  // The check box: its box has a white inside and a black tick.
  RECT check = InPicture(14, 18, 90, 10);
  EXPECT_GT(Count(img, RECT{check.left, check.top, check.left + 14, check.bottom}, kBlack), 6);
  EXPECT_GT(Count(img, RECT{check.left, check.top, check.left + 14, check.bottom}, kWhite), 20);

  // The group box: an etched line (grey over white) along its top, its title over it.
  RECT group = InPicture(7, 5, 110, 40);
  int grey_then_white = 0;
  for (int y = group.top; y < group.top + 12; ++y)
    grey_then_white += img.ColorAt(group.right - 10, y) == kGrey && img.ColorAt(group.right - 10, y + 1) == kWhite;
  EXPECT_EQ(grey_then_white, 1);
  EXPECT_GT(Count(img, RECT{group.left + 6, group.top, group.left + 50, group.top + 12}, kBlack), 10);
}

TEST_F(Snapshot, InactiveCaptionAndRasterStateKept) {
  QV_NEED_FONTS();
  ASSERT_FALSE(qvp::RasterTextEnabled());
  ASSERT_TRUE(Open());
  // Another window takes the activation: the caption turns grey.
  HWND other = CreateWindowExA(0, "Static", "x", WS_POPUP | WS_VISIBLE, 600, 600, 20, 20, nullptr, nullptr, nullptr,
                               nullptr);
  SetActiveWindow(other);
  Image img = Take("inactive.png");
  EXPECT_EQ(img.ColorAt(40, 6), kGrey);
  EXPECT_FALSE(qvp::RasterTextEnabled());  // the snapshot left the switch as it was
  DestroyWindow(other);
}

TEST_F(Snapshot, MainWindowWithMenuBarScrollBarAndChildren) {
  QV_NEED_FONTS();
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_STRING, 1, "&File");
  AppendMenuA(bar, MF_STRING, 2, "&View");
  dlg_ = CreateWindowExA(0, "#32770", "Event Log", WS_OVERLAPPEDWINDOW | WS_VSCROLL | WS_VISIBLE, 50, 50, 320, 200,
                         nullptr, bar, nullptr, nullptr);
  ASSERT_TRUE(dlg_);
  SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 99, 20, 40, 0};
  SetScrollInfo(dlg_, SB_VERT, &si, TRUE);
  CreateWindowExA(WS_EX_CLIENTEDGE, "Edit", "12:00 started", WS_CHILD | WS_VISIBLE, 10, 10, 200, 24, dlg_, nullptr,
                  nullptr, nullptr);
  Image img = Take("mainwindow.png");
  const int b = GetSystemMetrics(SM_CXFRAME), cap = GetSystemMetrics(SM_CYCAPTION), menu = GetSystemMetrics(SM_CYMENU);
  // Minimize, maximize and close buttons: three raised faces at the caption's right end.
  EXPECT_GT(Count(img, RECT{img.width - b - 54, b + 2, img.width - b - 2, b + cap - 3}, kFace), 200);
  // The menu bar's words under the caption.
  EXPECT_GT(Count(img, RECT{b, b + cap, b + 80, b + cap + menu}, kBlack), 20);
  // The scroll bar's thumb sits about 40% down its track (raised face between the arrows).
  RECT client;
  GetClientRect(dlg_, &client);
  const int bar_x = b + client.right, top = b + cap + menu, track = client.bottom - 32;
  const int thumb_guess = top + 16 + track * 40 / 100;
  EXPECT_EQ(img.ColorAt(bar_x + 8, thumb_guess + 4), kFace);
  EXPECT_NE(img.ColorAt(bar_x + 8, top + 20), kFace);  // the checkered track above it
}

TEST_F(Snapshot, RefusesBadWindowsAndPaths) {
  EXPECT_FALSE(qvp::SnapshotWindow(nullptr, dir_.file("x.png").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  EXPECT_FALSE(qvp::SnapshotWindow(reinterpret_cast<HWND>(0x1234), dir_.file("x.png").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_WINDOW_HANDLE));
  ASSERT_TRUE(Open());
  EXPECT_FALSE(qvp::SnapshotWindow(dlg_, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_FALSE(qvp::SnapshotWindow(dlg_, dir_.file("no/such/dir/x.png").c_str()));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_FALSE(std::filesystem::exists(dir_.file("x.png")));
}

}  // namespace
