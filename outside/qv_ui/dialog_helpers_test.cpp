// Strings, combo texts, bitmap statics and off-screen bitmaps.
#include <gtest/gtest.h>

#include <string>

#include "qv_ui.h"

namespace {

TEST(DialogHelpersTest, StringsComeFromTheModuleInTwoSlots) {
  HINSTANCE self = GetModuleHandleA(nullptr);
  const char* first = QVUI_GetString(7, self, 0);
  const char* second = QVUI_GetString(99, self, 1);
  EXPECT_STREQ(first, "Seven");  // the other slot keeps it
  EXPECT_STREQ(second, "");
}

TEST(DialogHelpersTest, ComboTextsAreCutToTheBufferAndAbsentItemsRefused) {
  HWND combo = CreateWindowExA(0, "COMBOBOX", "", WS_VISIBLE | CBS_DROPDOWN, 0, 0, 100, 100, nullptr, nullptr,
                               nullptr, nullptr);
  ASSERT_NE(combo, nullptr);
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Disk Space\t - Local"));
  SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("DNS"));
  char text[8];
  EXPECT_EQ(QVUI_GetSelectedComboText(combo, 0, text, sizeof text, 0), 7);
  EXPECT_STREQ(text, "Disk Sp");
  EXPECT_EQ(QVUI_GetSelectedComboText(combo, 0, text, sizeof text, -1), CB_ERR);  // nothing selected
  EXPECT_STREQ(text, "");
  SetWindowTextA(combo, "typed");
  EXPECT_EQ(QVUI_GetSelectedComboText(combo, 1, text, sizeof text, -1), 5);
  EXPECT_STREQ(text, "typed");
  SendMessageA(combo, CB_SETCURSEL, 1, 0);
  EXPECT_EQ(QVUI_GetSelectedComboText(combo, 0, text, sizeof text, -1), 3);
  EXPECT_STREQ(text, "DNS");
  EXPECT_EQ(QVUI_GetSelectedComboText(combo, 0, text, sizeof text, 5), CB_ERR);
  DestroyWindow(combo);
}

TEST(DialogHelpersTest, AFancyBitmapPaintsUntilUnsubclassed) {
  HWND control = CreateWindowExA(0, "STATIC", "", WS_VISIBLE | WS_CHILD, 0, 0, 80, 200,
                                 CreateWindowExA(0, "#32770", "", WS_VISIBLE, 0, 0, 300, 300, nullptr, nullptr,
                                                 nullptr, nullptr),
                                 nullptr, nullptr, nullptr);
  ASSERT_NE(control, nullptr);
  const LONG_PTR procedure = GetWindowLongPtrA(control, GWLP_WNDPROC);
  EXPECT_FALSE(QVUI_SubclassFancyBitmap(control, QVUI_GetBitmapResource(12345), QVUI_GetBitmapInstance()));
  EXPECT_EQ(GetWindowLongPtrA(control, GWLP_WNDPROC), procedure);
  ASSERT_TRUE(QVUI_SubclassFancyBitmap(control, QVUI_GetBitmapResource(11), QVUI_GetBitmapInstance()));
  EXPECT_FALSE(QVUI_SubclassFancyBitmap(control, QVUI_GetBitmapResource(11), QVUI_GetBitmapInstance()));
  EXPECT_NE(GetWindowLongPtrA(control, GWLP_WNDPROC), procedure);
  UpdateWindow(control);
  EXPECT_TRUE(QVUI_UnsubclassWindow(control));
  EXPECT_EQ(GetWindowLongPtrA(control, GWLP_WNDPROC), procedure);
  EXPECT_FALSE(QVUI_UnsubclassWindow(control));
  // A window destroyed while subclassed gives its bitmap back by itself.
  ASSERT_TRUE(QVUI_SubclassFancyBitmap(control, QVUI_GetBitmapResource(14), QVUI_GetBitmapInstance()));
  DestroyWindow(GetParent(control));
}

TEST(DialogHelpersTest, CachedBitmapsAreSharedAndMeasured) {
  HBITMAP first = QVUI_GetBitmapHandleFromCache(nullptr, 11, QVUI_GetBitmapInstance());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(QVUI_GetBitmapHandleFromCache(nullptr, 11, QVUI_GetBitmapInstance()), first);
  int width = -1, height = -1;
  EXPECT_TRUE(QVUI_GetBitmapSize(first, &width, &height));
  EXPECT_EQ(width, 64);
  EXPECT_EQ(height, 160);
  EXPECT_FALSE(QVUI_GetBitmapSize(nullptr, &width, &height));
  EXPECT_EQ(width, 0);
  EXPECT_EQ(QVUI_GetBitmapHandleFromCache(nullptr, 4242, QVUI_GetBitmapInstance()), nullptr);
}

TEST(DialogHelpersTest, AnOffScreenBitmapIsSelectedAndGivenBack) {
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  ReleaseDC(nullptr, screen);
  HGDIOBJ previous = nullptr;
  EXPECT_EQ(QVUI_GetCompatibleBitmap(memory, 0, 10, &previous), nullptr);
  HBITMAP bitmap = QVUI_GetCompatibleBitmap(memory, 20, 10, &previous);
  ASSERT_NE(bitmap, nullptr);
  EXPECT_NE(previous, nullptr);
  EXPECT_EQ(GetCurrentObject(memory, OBJ_BITMAP), bitmap);
  int width = 0, height = 0;
  QVUI_GetBitmapSize(bitmap, &width, &height);
  EXPECT_EQ(width, 20);
  EXPECT_EQ(height, 10);
  QVUI_DeleteBitmapAndHDC(memory, bitmap, previous);
}

}  // namespace
