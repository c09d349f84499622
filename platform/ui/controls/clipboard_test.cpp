#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <thread>

#include "qvplatform.h"

namespace {

HANDLE TextBlock(const char* text) {
  size_t n = std::strlen(text) + 1;
  HANDLE h = GlobalAlloc(GMEM_MOVEABLE, n);
  std::memcpy(GlobalLock(h), text, n);
  GlobalUnlock(h);
  return h;
}

std::string ReadText(HANDLE h) {
  auto* p = static_cast<const char*>(GlobalLock(h));
  std::string s = p ? p : "";
  GlobalUnlock(h);
  return s;
}

class ClipboardTest : public ::testing::Test {
 protected:
  void TearDown() override {
    if (OpenClipboard(nullptr)) {
      EmptyClipboard();
      CloseClipboard();
    }
  }
};

TEST_F(ClipboardTest, TextRoundTripsAndIsFreedWhenEmptied) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  ASSERT_TRUE(EmptyClipboard());
  HANDLE h = TextBlock("caf\xE9");
  EXPECT_EQ(SetClipboardData(CF_TEXT, h), h);
  ASSERT_TRUE(CloseClipboard());

  EXPECT_TRUE(IsClipboardFormatAvailable(CF_TEXT));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_UNICODETEXT));
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_BITMAP));

  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_EQ(GetClipboardData(CF_TEXT), h);
  EXPECT_EQ(ReadText(h), "caf\xE9");
  // The other text format is made from it, in UTF-16.
  HANDLE wide = GetClipboardData(CF_UNICODETEXT);
  ASSERT_NE(wide, nullptr);
  auto* w = static_cast<const WCHAR*>(GlobalLock(wide));
  EXPECT_EQ(std::u16string(w), u"caf\u00e9");
  GlobalUnlock(wide);
  EXPECT_EQ(GetClipboardData(CF_BITMAP), nullptr);

  // Emptying frees the data the clipboard was given.
  ASSERT_TRUE(EmptyClipboard());
  EXPECT_EQ(GlobalSize(h), 0u);
  EXPECT_FALSE(IsClipboardFormatAvailable(CF_TEXT));
  ASSERT_TRUE(CloseClipboard());
}

TEST_F(ClipboardTest, UnicodeTextGivesAnsiText) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  const char16_t text[] = u"\u20ac5";
  HANDLE h = GlobalAlloc(GMEM_MOVEABLE, sizeof(text));
  std::memcpy(GlobalLock(h), text, sizeof(text));
  GlobalUnlock(h);
  SetClipboardData(CF_UNICODETEXT, h);
  HANDLE ansi = GetClipboardData(CF_TEXT);
  ASSERT_NE(ansi, nullptr);
  EXPECT_EQ(ReadText(ansi), "\x80" "5");
  // New text replaces the converted copy.
  HANDLE replaced = TextBlock("new");
  SetClipboardData(CF_TEXT, replaced);
  EXPECT_EQ(GetClipboardData(CF_TEXT), replaced);
  CloseClipboard();
}

TEST_F(ClipboardTest, OnlyTheOpeningThreadMayUseIt) {
  EXPECT_FALSE(CloseClipboard());
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLIPBOARD_NOT_OPEN));
  EXPECT_FALSE(EmptyClipboard());
  HANDLE h = TextBlock("x");
  EXPECT_EQ(SetClipboardData(CF_TEXT, h), nullptr);
  GlobalFree(h);
  EXPECT_EQ(GetClipboardData(CF_TEXT), nullptr);

  ASSERT_TRUE(OpenClipboard(nullptr));
  EXPECT_TRUE(OpenClipboard(nullptr));  // the same thread again
  bool other_opened = true;
  DWORD other_error = 0;
  std::thread t([&] {
    other_opened = OpenClipboard(nullptr) != FALSE;
    other_error = GetLastError();
  });
  t.join();
  EXPECT_FALSE(other_opened);
  EXPECT_EQ(other_error, static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_TRUE(CloseClipboard());
  std::thread t2([&] {
    other_opened = OpenClipboard(nullptr) != FALSE;
    if (other_opened) CloseClipboard();
  });
  t2.join();
  EXPECT_TRUE(other_opened);
}

TEST_F(ClipboardTest, EmptyingTellsThePreviousOwner) {
  static int destroyed = 0;
  WNDCLASSA wc{};
  wc.lpfnWndProc = [](HWND h, UINT m, WPARAM w, LPARAM l) -> LRESULT {
    if (m == WM_DESTROYCLIPBOARD) ++destroyed;
    return DefWindowProcA(h, m, w, l);
  };
  wc.lpszClassName = "ClipboardOwnerTest";
  RegisterClassA(&wc);
  HWND owner = CreateWindowExA(0, "ClipboardOwnerTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(OpenClipboard(owner));
  EmptyClipboard();
  SetClipboardData(CF_TEXT, TextBlock("mine"));
  CloseClipboard();
  EXPECT_EQ(destroyed, 0);
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  CloseClipboard();
  EXPECT_EQ(destroyed, 1);
  DestroyWindow(owner);
  UnregisterClassA("ClipboardOwnerTest", nullptr);
}

}  // namespace
