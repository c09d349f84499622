#include <gtest/gtest.h>

#include <vector>

#include "menu_test_window.h"
#include "qvplatform.h"

namespace {

using menutest::Pump;
using menutest::RecordingWindow;
using menutest::Seen;

// Holds a modifier key down (as the thread's key messages report it) for a scope.
class HeldKey {
 public:
  HeldKey(HWND hwnd, UINT vk) : hwnd_(hwnd), vk_(vk) {
    PostMessageA(hwnd_, WM_KEYDOWN, vk_, 1);
    Pump();
  }
  ~HeldKey() {
    PostMessageA(hwnd_, WM_KEYUP, vk_, static_cast<LPARAM>(0xC0000001u));
    Pump();
  }
  HeldKey(const HeldKey&) = delete;
  HeldKey& operator=(const HeldKey&) = delete;

 private:
  HWND hwnd_;
  UINT vk_;
};

MSG Key(HWND hwnd, UINT message, WPARAM wp) {
  MSG m{};
  m.hwnd = hwnd;
  m.message = message;
  m.wParam = wp;
  m.lParam = 1;
  return m;
}

std::vector<WPARAM> Commands(RecordingWindow& w) {
  std::vector<WPARAM> out;
  for (const Seen& s : w.Messages())
    if (s.msg == WM_COMMAND) out.push_back(s.wp);
  return out;
}

TEST(Accelerators, KeysBecomeCommandsSentAtOnce) {
  RecordingWindow w;
  ACCEL table[] = {
      {FVIRTKEY | FCONTROL, 'C', 5055},
      {FVIRTKEY, VK_INSERT, 5040},
      {0, 'm', 40002},
      {FALT, 'x', 40001},
  };
  HACCEL acc = CreateAcceleratorTableA(table, 4);
  ASSERT_NE(acc, nullptr);

  MSG insert = Key(w.hwnd, WM_KEYDOWN, VK_INSERT);
  EXPECT_EQ(TranslateAcceleratorA(w.hwnd, acc, &insert), 1);
  EXPECT_EQ(Commands(w), (std::vector<WPARAM>{static_cast<WPARAM>(MAKELONG(5040, 1))}));

  w.Clear();
  MSG c = Key(w.hwnd, WM_KEYDOWN, 'C');
  EXPECT_EQ(TranslateAcceleratorA(w.hwnd, acc, &c), 0);  // Ctrl is up
  {
    HeldKey ctrl(w.hwnd, VK_CONTROL);
    EXPECT_EQ(TranslateAcceleratorA(w.hwnd, acc, &c), 1);
    EXPECT_EQ(TranslateAcceleratorA(w.hwnd, acc, &insert), 0);  // Ctrl+Insert is another key
  }
  EXPECT_EQ(Commands(w), (std::vector<WPARAM>{static_cast<WPARAM>(MAKELONG(5055, 1))}));

  w.Clear();
  MSG m = Key(w.hwnd, WM_CHAR, 'm');
  MSG big_m = Key(w.hwnd, WM_CHAR, 'M');
  MSG alt_x = Key(w.hwnd, WM_SYSCHAR, 'X');
  alt_x.lParam |= 0x20000000;
  MSG key_up = Key(w.hwnd, WM_KEYUP, VK_INSERT);
  EXPECT_EQ(TranslateAcceleratorA(w.hwnd, acc, &m), 1);
  EXPECT_EQ(TranslateAcceleratorA(w.hwnd, acc, &big_m), 0);  // characters match exactly
  EXPECT_EQ(TranslateAcceleratorA(w.hwnd, acc, &alt_x), 1);
  EXPECT_EQ(TranslateAcceleratorA(w.hwnd, acc, &key_up), 0);
  EXPECT_EQ(Commands(w), (std::vector<WPARAM>{static_cast<WPARAM>(MAKELONG(40002, 1)),
                                              static_cast<WPARAM>(MAKELONG(40001, 1))}));

  ASSERT_TRUE(DestroyAcceleratorTable(acc));
  EXPECT_FALSE(DestroyAcceleratorTable(acc));
  EXPECT_EQ(TranslateAcceleratorA(w.hwnd, acc, &insert), 0);
  EXPECT_EQ(CreateAcceleratorTableA(table, 0), nullptr);
}

TEST(Accelerators, MenuCommandsAskTheMenuFirst) {
  RecordingWindow w;
  HMENU bar = CreateMenu();
  HMENU edit = CreatePopupMenu();
  AppendMenuA(edit, MF_STRING | MF_GRAYED, 5060, "&Delete\tDel");
  AppendMenuA(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(edit), "&Edit");
  SetMenu(w.hwnd, bar);
  ACCEL table[] = {{FVIRTKEY, VK_DELETE, 5060}};
  HACCEL acc = CreateAcceleratorTableA(table, 1);
  MSG del = Key(w.hwnd, WM_KEYDOWN, VK_DELETE);

  // Grayed: the key is taken, the window hears of the menu, but no command comes.
  EXPECT_EQ(TranslateAcceleratorA(w.hwnd, acc, &del), 1);
  EXPECT_EQ(w.Ids(), (std::vector<UINT>{WM_INITMENU, WM_INITMENUPOPUP}));

  // The window enables the item while the menu is being prepared.
  w.on_message = [&](UINT msg, WPARAM wp, LPARAM) {
    if (msg == WM_INITMENUPOPUP && reinterpret_cast<HMENU>(wp) == edit)
      EnableMenuItem(edit, 5060, MF_BYCOMMAND | MF_ENABLED);
  };
  w.Clear();
  EXPECT_EQ(TranslateAcceleratorA(w.hwnd, acc, &del), 1);
  EXPECT_EQ(w.Ids(), (std::vector<UINT>{WM_INITMENU, WM_INITMENUPOPUP, WM_COMMAND}));
  DestroyAcceleratorTable(acc);
  SetMenu(w.hwnd, nullptr);
  DestroyMenu(bar);
}

TEST(Accelerators, LoadedFromAResourceTable) {
  // Two entries: Ctrl+N -> 5040, then F1 -> 5070 marked as the last.
  static const unsigned char good[] = {FVIRTKEY | FCONTROL, 0, 'N', 0, 0xB0, 0x13, 0, 0,
                                       FVIRTKEY | 0x80,     0, 0x70, 0, 0xCE, 0x13, 0, 0};
  static const unsigned char unended[] = {FVIRTKEY, 0, 0x70, 0, 0xCE, 0x13, 0, 0};
  static const QvResourceEntry entries[] = {
      {nullptr, nullptr, good, sizeof good, 9, 1, 1033, 0},
      {nullptr, nullptr, unended, sizeof unended, 9, 2, 1033, 0},
  };
  static const QvResourceDirectory directory = {QV_RESOURCE_TABLE_MAGIC, QV_RESOURCE_TABLE_VERSION, 2, 0, entries};
  const HMODULE module = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7e580000));
  qvp::RegisterResourceTableForTests(module, &directory);

  RecordingWindow w;
  HACCEL acc = LoadAcceleratorsA(module, MAKEINTRESOURCEA(1));
  ASSERT_NE(acc, nullptr);
  MSG f1 = Key(w.hwnd, WM_KEYDOWN, 0x70);
  EXPECT_EQ(TranslateAcceleratorA(w.hwnd, acc, &f1), 1);
  EXPECT_EQ(Commands(w), (std::vector<WPARAM>{static_cast<WPARAM>(MAKELONG(5070, 1))}));
  DestroyAcceleratorTable(acc);

  SetLastError(0);
  EXPECT_EQ(LoadAcceleratorsA(module, MAKEINTRESOURCEA(2)), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));
  EXPECT_EQ(LoadAcceleratorsA(module, MAKEINTRESOURCEA(3)), nullptr);
  qvp::RegisterResourceTableForTests(module, nullptr);
}

}  // namespace
