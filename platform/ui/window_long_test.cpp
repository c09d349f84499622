#include <gtest/gtest.h>

#include <string>

#include "qvplatform.h"
#include "ui_test_support.h"

namespace {

using uitest::Recorder;

LRESULT CALLBACK Plain(HWND h, UINT m, WPARAM w, LPARAM l) { return DefWindowProcA(h, m, w, l); }

TEST(WindowClass, RegistrationRulesFollowWindows) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Plain;
  wc.lpszClassName = "Quorvane Progress Bar";
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_BYTEALIGNCLIENT;
  wc.cbWndExtra = 32;
  wc.hbrBackground = reinterpret_cast<HBRUSH>(6);
  wc.lpszMenuName = "MainMenu";
  ATOM atom = RegisterClassA(&wc);
  ASSERT_NE(atom, 0);
  EXPECT_GE(atom, 0xC000);

  SetLastError(0);
  wc.lpszClassName = "QUORVANE progress BAR";  // names compare without regard to case
  EXPECT_EQ(RegisterClassA(&wc), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_ALREADY_EXISTS));

  WNDCLASSA got{};
  ASSERT_TRUE(GetClassInfoA(nullptr, "quorvane progress bar", &got));
  EXPECT_EQ(got.cbWndExtra, 32);
  EXPECT_EQ(got.style, static_cast<UINT>(CS_HREDRAW | CS_VREDRAW | CS_BYTEALIGNCLIENT));
  EXPECT_EQ(got.hbrBackground, reinterpret_cast<HBRUSH>(6));
  EXPECT_STREQ(got.lpszMenuName, "MainMenu");
  EXPECT_EQ(got.lpfnWndProc, &Plain);

  HWND h = CreateWindowExA(0, MAKEINTATOM(atom), "", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(h);
  char name[64];
  EXPECT_EQ(GetClassNameA(h, name, sizeof(name)), 21);
  EXPECT_STREQ(name, "Quorvane Progress Bar");
  EXPECT_EQ(GetClassLongA(h, GCW_ATOM), atom);
  EXPECT_EQ(GetClassLongA(h, GCL_CBWNDEXTRA), 32u);

  // A class with windows stays.
  EXPECT_FALSE(UnregisterClassA("Quorvane Progress Bar", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_HAS_WINDOWS));
  DestroyWindow(h);
  EXPECT_TRUE(UnregisterClassA("Quorvane Progress Bar", nullptr));
  EXPECT_FALSE(GetClassInfoA(nullptr, "Quorvane Progress Bar", &got));
  EXPECT_FALSE(UnregisterClassA("Quorvane Progress Bar", nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_CLASS_DOES_NOT_EXIST));
}

TEST(WindowClass, LocalClassesBelongToTheirInstance) {
  auto* inst_a = reinterpret_cast<HINSTANCE>(0x1000);
  auto* inst_b = reinterpret_cast<HINSTANCE>(0x2000);
  WNDCLASSA wc{};
  wc.lpfnWndProc = Plain;
  wc.lpszClassName = "Shared";
  wc.hInstance = inst_a;
  ASSERT_TRUE(RegisterClassA(&wc));
  wc.hInstance = inst_b;
  ASSERT_TRUE(RegisterClassA(&wc));  // the same name in another module is another class
  EXPECT_EQ(CreateWindowExA(0, "Shared", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr), nullptr);
  HWND h = CreateWindowExA(0, "Shared", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, inst_b, nullptr);
  ASSERT_TRUE(h);
  DestroyWindow(h);
  wc.hInstance = nullptr;
  wc.style = CS_GLOBALCLASS;
  wc.lpszClassName = "EveryModule";
  ASSERT_TRUE(RegisterClassA(&wc));
  h = CreateWindowExA(0, "EveryModule", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, inst_a, nullptr);
  EXPECT_TRUE(h);
  DestroyWindow(h);
  EXPECT_TRUE(UnregisterClassA("Shared", inst_a));
  EXPECT_TRUE(UnregisterClassA("Shared", inst_b));
  EXPECT_TRUE(UnregisterClassA("EveryModule", nullptr));
}

TEST(WindowLong, ExtraBytesHoldPointerWideValuesAtByteOffsets) {
  Recorder rec("ExtraClass", 0, 32, 16);
  HWND h = rec.Create(WS_POPUP);
  int object = 0;
  auto ptr = reinterpret_cast<LONG_PTR>(&object);
  EXPECT_EQ(SetWindowLongA(h, 0, ptr), 0);
  EXPECT_EQ(GetWindowLongA(h, 0), ptr);  // the full pointer survives the non-Ptr call
  SetWindowLongPtrA(h, 24, -5);
  EXPECT_EQ(GetWindowLongPtrA(h, 24), -5);
  EXPECT_EQ(GetWindowLongA(h, 0), ptr);
  SetLastError(0);
  EXPECT_EQ(GetWindowLongA(h, 25), 0);  // 25..32 runs past the 32 bytes
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));
  EXPECT_EQ(SetWindowLongA(h, 32, 1), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_INDEX));

  EXPECT_EQ(SetClassLongA(h, 8, 99), 0u);
  EXPECT_EQ(GetClassLongA(h, 8), 99u);
  EXPECT_EQ(GetClassLongA(h, 9), 0u);

  SetWindowLongPtrA(h, GWL_USERDATA, ptr);
  EXPECT_EQ(GetWindowLongPtrA(h, GWL_USERDATA), ptr);
  SetWindowLongA(h, GWL_ID, 77);
  EXPECT_EQ(GetWindowLongA(h, GWL_ID), 77);
  DestroyWindow(h);
}

TEST(WindowLong, StyleChangesAreAnnounced) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP);
  rec.SetHook([](HWND, UINT m, WPARAM wp, LPARAM lp) -> std::optional<LRESULT> {
    if (m == WM_STYLECHANGING && wp == static_cast<WPARAM>(GWL_STYLE))
      reinterpret_cast<STYLESTRUCT*>(lp)->styleNew |= WS_BORDER;  // the window may amend the change
    return std::nullopt;
  });
  LONG_PTR old = SetWindowLongA(h, GWL_STYLE, WS_POPUP | WS_DISABLED);
  EXPECT_EQ(old & WS_DISABLED, 0);
  EXPECT_EQ(GetWindowLongA(h, GWL_STYLE) & (WS_DISABLED | WS_BORDER), static_cast<LONG_PTR>(WS_DISABLED | WS_BORDER));
  EXPECT_FALSE(IsWindowEnabled(h));
  EXPECT_EQ(rec.Of(h, {WM_STYLECHANGING, WM_STYLECHANGED}),
            (std::vector<UINT>{WM_STYLECHANGING, WM_STYLECHANGED}));
  rec.SetHook(nullptr);
  DestroyWindow(h);
}

std::vector<std::string>* g_trail = nullptr;
WNDPROC g_previous = nullptr;

LRESULT CALLBACK Subclass(HWND h, UINT m, WPARAM w, LPARAM l) {
  if (m == WM_SETTEXT) {
    g_trail->push_back(std::string("sub:") + reinterpret_cast<LPCSTR>(l));
    if (std::string(reinterpret_cast<LPCSTR>(l)) == "blocked") return FALSE;
  }
  return CallWindowProcA(g_previous, h, m, w, l);
}

TEST(WindowLong, SubclassingChainsToThePreviousProcedure) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP);
  std::vector<std::string> trail;
  g_trail = &trail;
  g_previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(&Subclass)));
  EXPECT_EQ(g_previous, &Recorder::Proc);
  EXPECT_EQ(GetWindowLongPtrA(h, GWL_WNDPROC), reinterpret_cast<LONG_PTR>(&Subclass));

  EXPECT_TRUE(SetWindowTextA(h, "hello"));
  EXPECT_FALSE(SetWindowTextA(h, "blocked"));
  char text[16];
  GetWindowTextA(h, text, sizeof(text));
  EXPECT_STREQ(text, "hello");
  EXPECT_EQ(trail, (std::vector<std::string>{"sub:hello", "sub:blocked"}));
  EXPECT_EQ(rec.Of(h, {WM_SETTEXT}).size(), 1u);  // the blocked one never reached the original

  SetWindowLongPtrA(h, GWL_WNDPROC, reinterpret_cast<LONG_PTR>(g_previous));
  SetWindowTextA(h, "blocked");
  GetWindowTextA(h, text, sizeof(text));
  EXPECT_STREQ(text, "blocked");
  g_trail = nullptr;
  DestroyWindow(h);
}

TEST(WindowText, GetTextTruncatesAndCountsLikeWindows) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP, nullptr, 0, 0, "Monitoring");
  EXPECT_EQ(GetWindowTextLengthA(h), 10);
  char buf[5] = "xxxx";
  EXPECT_EQ(GetWindowTextA(h, buf, 5), 4);
  EXPECT_STREQ(buf, "Moni");
  EXPECT_EQ(GetWindowTextA(h, buf, 0), 0);
  SetWindowTextA(h, nullptr);
  EXPECT_EQ(GetWindowTextLengthA(h), 0);
  DestroyWindow(h);
}

BOOL CALLBACK CollectProps(HWND, LPCSTR name, HANDLE data) {
  (void)name;
  return reinterpret_cast<intptr_t>(data) != 2;  // stop at the second
}

TEST(WindowProps, SetGetRemoveAndEnumerate) {
  Recorder rec;
  HWND h = rec.Create(WS_POPUP);
  EXPECT_EQ(EnumPropsA(h, CollectProps), -1);  // nothing to enumerate
  EXPECT_TRUE(SetPropA(h, "Owner", reinterpret_cast<HANDLE>(1)));
  EXPECT_TRUE(SetPropA(h, MAKEINTATOM(0x1234), reinterpret_cast<HANDLE>(2)));
  EXPECT_TRUE(SetPropA(h, "owner", reinterpret_cast<HANDLE>(3)));  // same property, new value
  EXPECT_EQ(GetPropA(h, "OWNER"), reinterpret_cast<HANDLE>(3));
  EXPECT_EQ(GetPropA(h, MAKEINTATOM(0x1234)), reinterpret_cast<HANDLE>(2));
  EXPECT_EQ(EnumPropsA(h, CollectProps), 0);
  EXPECT_EQ(RemovePropA(h, "Owner"), reinterpret_cast<HANDLE>(3));
  EXPECT_EQ(GetPropA(h, "Owner"), nullptr);
  EXPECT_EQ(RemovePropA(h, "Owner"), nullptr);
  DestroyWindow(h);
}

}  // namespace
