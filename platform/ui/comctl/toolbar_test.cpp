// Toolbar: buttons and their states, a user's clicks becoming WM_COMMAND,
// check buttons and groups, bitmaps, strings and placement in the parent.
#include <gtest/gtest.h>

#include "comctl_test_support.h"

namespace {

using cctest::Parent;

constexpr int kId = 7000;

TBBUTTON Button(int image, int command, BYTE style = TBSTYLE_BUTTON, BYTE state = TBSTATE_ENABLED,
                INT_PTR string = -1) {
  TBBUTTON b{};
  b.iBitmap = image;
  b.idCommand = command;
  b.fsState = state;
  b.fsStyle = style;
  b.iString = string;
  return b;
}

class ToolbarTest : public ::testing::Test {
 protected:
  void SetUp() override {
    tb = parent.Add(TOOLBARCLASSNAMEA, 0, kId, RECT{0, 0, 10, 10});
    SendMessageA(tb, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    const TBBUTTON buttons[] = {
        Button(0, 5000),
        Button(1, 5030),
        Button(8, 0, TBSTYLE_SEP, 0),
        Button(2, 5040, TBSTYLE_CHECK),
        Button(3, 40003, TBSTYLE_CHECKGROUP, TBSTATE_ENABLED | TBSTATE_CHECKED),
        Button(4, 40004, TBSTYLE_CHECKGROUP),
        Button(5, 40007, TBSTYLE_CHECKGROUP),
    };
    ASSERT_TRUE(SendMessageA(tb, TB_ADDBUTTONSA, 7, reinterpret_cast<LPARAM>(buttons)));
  }
  RECT ItemRect(int index) {
    RECT r{};
    EXPECT_TRUE(SendMessageA(tb, TB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&r)));
    return r;
  }
  void ClickButton(int index) {
    POINT p = cctest::Centre(ItemRect(index));
    cctest::Click(tb, p.x, p.y);
  }
  Parent parent;
  HWND tb = nullptr;
};

TEST_F(ToolbarTest, ClickSendsTheCommandId) {
  ClickButton(1);
  ASSERT_EQ(parent.commands.size(), 1u);
  EXPECT_EQ(parent.commands[0].first, 5030);
  EXPECT_EQ(parent.commands[0].second, BN_CLICKED);
  // The press shows the button down until the release.
  RECT r = ItemRect(0);
  SendMessageA(tb, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(r.left + 2, r.top + 2));
  EXPECT_TRUE(SendMessageA(tb, TB_ISBUTTONPRESSED, 5000, 0));
  EXPECT_EQ(parent.commands.size(), 1u);
  // Released away from the button: no command.
  SendMessageA(tb, WM_LBUTTONUP, 0, MAKELPARAM(r.right + 200, r.top + 2));
  EXPECT_FALSE(SendMessageA(tb, TB_ISBUTTONPRESSED, 5000, 0));
  EXPECT_EQ(parent.commands.size(), 1u);
  // Separators take no clicks.
  ClickButton(2);
  EXPECT_EQ(parent.commands.size(), 1u);
}

TEST_F(ToolbarTest, DisabledAndHiddenButtonsIgnoreClicks) {
  EXPECT_TRUE(SendMessageA(tb, TB_ENABLEBUTTON, 5000, MAKELPARAM(FALSE, 0)));
  EXPECT_FALSE(SendMessageA(tb, TB_ISBUTTONENABLED, 5000, 0));
  ClickButton(0);
  EXPECT_TRUE(parent.commands.empty());
  EXPECT_FALSE(SendMessageA(tb, TB_ISBUTTONPRESSED, 5000, 0));
  SendMessageA(tb, TB_ENABLEBUTTON, 5000, MAKELPARAM(TRUE, 0));
  ClickButton(0);
  EXPECT_EQ(parent.commands.size(), 1u);

  const RECT where = ItemRect(1);
  EXPECT_TRUE(SendMessageA(tb, TB_HIDEBUTTON, 5030, MAKELPARAM(TRUE, 0)));
  RECT r{};
  EXPECT_FALSE(SendMessageA(tb, TB_GETITEMRECT, 1, reinterpret_cast<LPARAM>(&r)));
  POINT p = cctest::Centre(where);
  parent.Clear();
  cctest::Click(tb, p.x, p.y);  // the buttons after it moved into its place
  for (const auto& c : parent.commands) EXPECT_NE(c.first, 5030);
  EXPECT_FALSE(SendMessageA(tb, TB_ENABLEBUTTON, 9999, MAKELPARAM(TRUE, 0)));
}

TEST_F(ToolbarTest, CheckButtonsAndGroups) {
  ClickButton(3);
  EXPECT_TRUE(SendMessageA(tb, TB_ISBUTTONCHECKED, 5040, 0));
  ClickButton(3);
  EXPECT_FALSE(SendMessageA(tb, TB_ISBUTTONCHECKED, 5040, 0));
  // In a group one button stays checked.
  ClickButton(5);
  EXPECT_TRUE(SendMessageA(tb, TB_ISBUTTONCHECKED, 40004, 0));
  EXPECT_FALSE(SendMessageA(tb, TB_ISBUTTONCHECKED, 40003, 0));
  ClickButton(5);
  EXPECT_TRUE(SendMessageA(tb, TB_ISBUTTONCHECKED, 40004, 0));
  EXPECT_EQ(parent.commands.size(), 4u);
  // From code: states change and nobody is told.
  parent.Clear();
  EXPECT_TRUE(SendMessageA(tb, TB_CHECKBUTTON, 40007, MAKELPARAM(TRUE, 0)));
  EXPECT_EQ(SendMessageA(tb, TB_GETSTATE, 40007, 0), TBSTATE_ENABLED | TBSTATE_CHECKED);
  EXPECT_TRUE(SendMessageA(tb, TB_SETSTATE, 40007, MAKELPARAM(TBSTATE_ENABLED, 0)));
  EXPECT_EQ(SendMessageA(tb, TB_GETSTATE, 40007, 0), TBSTATE_ENABLED);
  EXPECT_EQ(SendMessageA(tb, TB_GETSTATE, 12345, 0), -1);
  EXPECT_TRUE(parent.commands.empty());
}

TEST_F(ToolbarTest, ButtonsByIndexAndCommand) {
  EXPECT_EQ(SendMessageA(tb, TB_BUTTONCOUNT, 0, 0), 7);
  EXPECT_EQ(SendMessageA(tb, TB_COMMANDTOINDEX, 40004, 0), 5);
  EXPECT_EQ(SendMessageA(tb, TB_COMMANDTOINDEX, 1, 0), -1);
  TBBUTTON b{};
  ASSERT_TRUE(SendMessageA(tb, TB_GETBUTTON, 3, reinterpret_cast<LPARAM>(&b)));
  EXPECT_EQ(b.idCommand, 5040);
  EXPECT_EQ(b.iBitmap, 2);
  EXPECT_EQ(b.fsStyle, TBSTYLE_CHECK);
  TBBUTTON extra = Button(7, 5060);
  ASSERT_TRUE(SendMessageA(tb, TB_INSERTBUTTONA, 1, reinterpret_cast<LPARAM>(&extra)));
  EXPECT_EQ(SendMessageA(tb, TB_COMMANDTOINDEX, 5060, 0), 1);
  EXPECT_EQ(SendMessageA(tb, TB_COMMANDTOINDEX, 5030, 0), 2);
  ASSERT_TRUE(SendMessageA(tb, TB_DELETEBUTTON, 0, 0));
  EXPECT_EQ(SendMessageA(tb, TB_COMMANDTOINDEX, 5060, 0), 0);
  EXPECT_FALSE(SendMessageA(tb, TB_DELETEBUTTON, 7, 0));
  EXPECT_FALSE(SendMessageA(tb, TB_GETBUTTON, 7, reinterpret_cast<LPARAM>(&b)));

  // Buttons sit side by side at the button size; the separator is narrower.
  SendMessageA(tb, TB_SETBUTTONSIZE, 0, MAKELPARAM(40, 30));
  EXPECT_EQ(SendMessageA(tb, TB_GETBUTTONSIZE, 0, 0), MAKELONG(40, 30));
  const RECT a = ItemRect(1), sep = ItemRect(2), c = ItemRect(3);
  EXPECT_EQ(a.right - a.left, 40);
  EXPECT_EQ(a.bottom - a.top, 30);
  EXPECT_EQ(sep.left, a.right);
  EXPECT_EQ(sep.right - sep.left, 8);
  EXPECT_EQ(c.left, sep.right);
}

TEST_F(ToolbarTest, BitmapsStringsAndPlacement) {
  // Images from a bitmap go into the toolbar's own image list.
  BITMAPINFO bi{};
  bi.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
  bi.bmiHeader.biWidth = 48;
  bi.bmiHeader.biHeight = 15;
  bi.bmiHeader.biPlanes = 1;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  TBADDBITMAP add{nullptr, reinterpret_cast<UINT_PTR>(bmp)};
  EXPECT_EQ(SendMessageA(tb, TB_ADDBITMAP, 3, reinterpret_cast<LPARAM>(&add)), 0);
  EXPECT_EQ(SendMessageA(tb, TB_ADDBITMAP, 3, reinterpret_cast<LPARAM>(&add)), 3);
  HIMAGELIST own = reinterpret_cast<HIMAGELIST>(SendMessageA(tb, TB_GETIMAGELIST, 0, 0));
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(ImageList_GetImageCount(own), 6);
  TBADDBITMAP standard{HINST_COMMCTRL, 0};
  EXPECT_EQ(SendMessageA(tb, TB_ADDBITMAP, 15, reinterpret_cast<LPARAM>(&standard)), -1);
  DeleteObject(bmp);

  EXPECT_EQ(SendMessageA(tb, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>("Report\0Schedule\0")), 0);
  EXPECT_EQ(SendMessageA(tb, TB_ADDSTRINGA, 0, reinterpret_cast<LPARAM>("Exit\0")), 2);
  TBBUTTON labelled = Button(0, 5780, TBSTYLE_BUTTON, TBSTATE_ENABLED, 2);
  SendMessageA(tb, TB_ADDBUTTONSA, 1, reinterpret_cast<LPARAM>(&labelled));
  std::vector<std::string> texts = cctest::PaintedTexts(tb);
  EXPECT_EQ(texts, std::vector<std::string>{"Exit"});

  // Along the top of the parent, as wide as its client area.
  SendMessageA(tb, TB_AUTOSIZE, 0, 0);
  RECT r{}, pr{};
  GetWindowRect(tb, &r);
  GetClientRect(parent.hwnd(), &pr);
  MapWindowPoints(nullptr, parent.hwnd(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, 0);
  EXPECT_EQ(r.top, 0);
  EXPECT_EQ(r.right, pr.right);
  EXPECT_GE(r.bottom - r.top, HIWORD(SendMessageA(tb, TB_GETBUTTONSIZE, 0, 0)));

  // Its own image list goes when another one is set or the toolbar goes.
  HIMAGELIST mine = ImageList_Create(16, 16, ILC_COLOR, 1, 1);
  EXPECT_EQ(SendMessageA(tb, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(mine)), 0);
  EXPECT_EQ(ImageList_GetImageCount(own), 0);  // destroyed
  DestroyWindow(tb);
  EXPECT_TRUE(ImageList_Destroy(mine));
}

}  // namespace
