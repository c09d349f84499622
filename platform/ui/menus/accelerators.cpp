// Keyboard accelerators: tables from resources or from code, and
// TranslateAcceleratorA turning a keystroke into the command it stands for.
#include <cctype>
#include <cstring>
#include <mutex>
#include <optional>
#include <unordered_map>
#include <vector>

#include "ui/last_error.h"
#include "ui/menus/menu_store.h"

using qvp::ui::SetError;

namespace {

struct Tables {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::vector<ACCEL>> tables;
  uintptr_t next_handle = 0x00B00010;
};

Tables& TheTables() {
  static auto* t = new Tables;
  return *t;
}

HACCEL AddTable(std::vector<ACCEL> entries) {
  Tables& t = TheTables();
  std::lock_guard<std::mutex> g(t.lock);
  uintptr_t key = t.next_handle;
  t.next_handle += 4;
  t.tables.emplace(key, std::move(entries));
  return reinterpret_cast<HACCEL>(key);
}

bool CopyTable(HACCEL h, std::vector<ACCEL>* out) {
  Tables& t = TheTables();
  std::lock_guard<std::mutex> g(t.lock);
  auto it = t.tables.find(reinterpret_cast<uintptr_t>(h));
  if (it == t.tables.end()) return false;
  *out = it->second;
  return true;
}

constexpr BYTE kFlagBits = FVIRTKEY | FNOINVERT | FSHIFT | FCONTROL | FALT;
constexpr WORD kLastEntry = 0x80;
constexpr size_t kResourceEntrySize = 8;

bool Down(int vk) { return (GetKeyState(vk) & 0x8000) != 0; }

// The command of the entry a keystroke matches, or nothing.
std::optional<WORD> Match(const std::vector<ACCEL>& table, const MSG& msg) {
  const bool key_message = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
  const bool char_message = msg.message == WM_CHAR || msg.message == WM_SYSCHAR;
  if (!key_message && !char_message) return std::nullopt;
  const bool shift = Down(VK_SHIFT);
  const bool control = Down(VK_CONTROL);
  // The context bit of a system key message says Alt is down.
  const bool alt = Down(VK_MENU) || ((msg.message == WM_SYSKEYDOWN || msg.message == WM_SYSCHAR) &&
                                     (static_cast<DWORD>(msg.lParam) & 0x20000000u) != 0);
  for (const ACCEL& a : table) {
    const bool wants_alt = (a.fVirt & FALT) != 0;
    if (a.fVirt & FVIRTKEY) {
      if (!key_message || a.key != static_cast<WORD>(msg.wParam)) continue;
      if (((a.fVirt & FSHIFT) != 0) != shift || ((a.fVirt & FCONTROL) != 0) != control || wants_alt != alt) continue;
      return a.cmd;
    }
    if (!char_message || wants_alt != (msg.message == WM_SYSCHAR)) continue;
    const auto key = static_cast<unsigned>(a.key);
    const auto typed = static_cast<unsigned>(msg.wParam);
    // With Alt the character is matched without regard to case.
    if (key == typed || (wants_alt && key < 256 && typed < 256 &&
                         std::toupper(static_cast<int>(key)) == std::toupper(static_cast<int>(typed)))) {
      return a.cmd;
    }
  }
  return std::nullopt;
}

}  // namespace

HACCEL WINAPI CreateAcceleratorTableA(LPACCEL paccel, int cAccel) {
  if (!paccel || cAccel <= 0) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  std::vector<ACCEL> entries(paccel, paccel + cAccel);
  for (ACCEL& a : entries) a.fVirt &= kFlagBits;
  return AddTable(std::move(entries));
}

HACCEL WINAPI LoadAcceleratorsA(HINSTANCE hInstance, LPCSTR lpTableName) {
  HRSRC info = FindResourceA(hInstance, lpTableName, RT_ACCELERATOR);
  if (!info) return nullptr;
  const auto* bytes = static_cast<const BYTE*>(LockResource(LoadResource(hInstance, info)));
  const DWORD size = SizeofResource(hInstance, info);
  if (!bytes) return nullptr;
  std::vector<ACCEL> entries;
  bool ended = false;
  for (size_t at = 0; !ended && at + kResourceEntrySize <= size; at += kResourceEntrySize) {
    WORD raw[3];
    std::memcpy(raw, bytes + at, sizeof raw);
    ACCEL a{};
    a.fVirt = static_cast<BYTE>(raw[0] & kFlagBits);
    a.key = raw[1];
    a.cmd = raw[2];
    entries.push_back(a);
    ended = (raw[0] & kLastEntry) != 0;
  }
  if (!ended || entries.empty()) {
    SetError(ERROR_INVALID_DATA);  // a table must end with its marked last entry
    return nullptr;
  }
  return AddTable(std::move(entries));
}

BOOL WINAPI DestroyAcceleratorTable(HACCEL hAccel) {
  Tables& t = TheTables();
  std::lock_guard<std::mutex> g(t.lock);
  if (t.tables.erase(reinterpret_cast<uintptr_t>(hAccel)) == 0) {
    SetError(ERROR_INVALID_ACCEL_HANDLE);
    return FALSE;
  }
  return TRUE;
}

int WINAPI TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg) {
  std::vector<ACCEL> table;
  if (!CopyTable(hAccTable, &table)) {
    SetError(ERROR_INVALID_ACCEL_HANDLE);
    return 0;
  }
  if (!lpMsg) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (!IsWindow(hWnd)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  std::optional<WORD> cmd = Match(table, *lpMsg);
  if (!cmd) return 0;

  // A command of the window's menu is offered as if the user opened the menu:
  // the window can update the item first, and a grayed or disabled item (or a
  // minimised window) gets no command.
  HMENU bar = GetMenu(hWnd);
  std::vector<qvp::ui::menus::Step> path;
  if (bar) {
    qvp::ui::menus::Guard g(qvp::ui::menus::TheStore().lock);
    path = qvp::ui::menus::PathTo(bar, *cmd);
  }
  if (!path.empty()) {
    if (!IsWindowEnabled(hWnd)) return 1;
    SendMessageA(hWnd, WM_INITMENU, reinterpret_cast<WPARAM>(bar), 0);
    for (size_t i = 0; i + 1 < path.size(); ++i) {
      HMENU sub = GetSubMenu(path[i].menu, static_cast<int>(path[i].pos));
      if (sub) SendMessageA(hWnd, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(sub), MAKELONG(path[i].pos, FALSE));
    }
    UINT state = GetMenuState(bar, *cmd, MF_BYCOMMAND);
    if (state == static_cast<UINT>(-1) || (state & (MF_GRAYED | MF_DISABLED)) || IsIconic(hWnd)) return 1;
  }
  SendMessageA(hWnd, WM_COMMAND, static_cast<WPARAM>(static_cast<DWORD>(MAKELONG(*cmd, 1))), 0);
  return 1;
}
