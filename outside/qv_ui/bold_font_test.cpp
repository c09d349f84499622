#include <gtest/gtest.h>

#include "qv_ui.h"
#include "qvplatform.h"

namespace {

// A window that keeps the font it is given, as controls do.
LRESULT CALLBACK FontKeeper(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_SETFONT) return SetPropA(window, "font", reinterpret_cast<HANDLE>(wParam)), 0;
  if (message == WM_GETFONT) return reinterpret_cast<LRESULT>(GetPropA(window, "font"));
  if (message == WM_DESTROY) RemovePropA(window, "font");
  return DefWindowProcA(window, message, wParam, lParam);
}

TEST(BoldFontTest, ABoldCopyOfTheWindowsFont) {
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = FontKeeper;
  windowClass.lpszClassName = "QvBoldFontTest";
  ASSERT_NE(RegisterClassA(&windowClass), 0);
  HWND window = CreateWindowExA(0, "QvBoldFontTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_NE(window, nullptr);

  LOGFONTA italic{};
  italic.lfHeight = -13;
  italic.lfItalic = 1;
  HFONT bold = QVUI_GetBoldFaceFont(window);  // the window has no font: the default GUI font
  ASSERT_NE(bold, nullptr);
  LOGFONTA seen{};
  ASSERT_NE(GetObjectA(bold, sizeof seen, &seen), 0);
  EXPECT_EQ(seen.lfWeight, FW_BOLD);
  DeleteObject(bold);

  HFONT original = CreateFontIndirectA(&italic);
  SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(original), FALSE);
  bold = QVUI_GetBoldFaceFont(window);
  ASSERT_NE(GetObjectA(bold, sizeof seen, &seen), 0);
  EXPECT_EQ(seen.lfWeight, FW_BOLD);
  EXPECT_EQ(seen.lfItalic, 1);  // otherwise the window's own font
  EXPECT_EQ(seen.lfHeight, -13);
  DeleteObject(bold);
  DeleteObject(original);
  DestroyWindow(window);
  UnregisterClassA("QvBoldFontTest", nullptr);
}

}  // namespace
