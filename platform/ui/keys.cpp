// Key state and TranslateMessage.
#include "ui/keys.h"

#include <atomic>
#include <mutex>

#include "kernel/handles.h"
#include "ui/queue.h"

namespace qvp::ui {
namespace {

// Bit 0x80: down; bit 0x01: toggled (caps lock and the like).
std::atomic<BYTE> g_keys[256];

bool Down(UINT vk) { return (g_keys[vk & 0xFF].load() & 0x80) != 0; }

void Set(UINT vk, bool down) {
  vk &= 0xFF;
  BYTE old = g_keys[vk].load();
  BYTE now = static_cast<BYTE>(down ? (old | 0x80) : (old & ~0x80));
  if (down && !(old & 0x80)) now ^= 0x01;
  g_keys[vk].store(now);
}

}  // namespace

void NoteKeyMessage(const MSG& msg) {
  bool down;
  switch (msg.message) {
    case WM_KEYDOWN: case WM_SYSKEYDOWN: down = true; break;
    case WM_KEYUP: case WM_SYSKEYUP: down = false; break;
    default: return;
  }
  UINT vk = static_cast<UINT>(msg.wParam) & 0xFF;
  Set(vk, down);
  // The generic modifier follows either of its keys.
  if (vk == VK_LSHIFT || vk == VK_RSHIFT) Set(VK_SHIFT, Down(VK_LSHIFT) || Down(VK_RSHIFT));
  if (vk == VK_LCONTROL || vk == VK_RCONTROL) Set(VK_CONTROL, Down(VK_LCONTROL) || Down(VK_RCONTROL));
  if (vk == VK_LMENU || vk == VK_RMENU) Set(VK_MENU, Down(VK_LMENU) || Down(VK_RMENU));
}

char CharOfKey(UINT vk) {
  return CharOfKeyIn(vk, Down(VK_SHIFT), (g_keys[VK_CAPITAL].load() & 0x01) != 0, Down(VK_CONTROL), Down(VK_MENU));
}

char CharOfKeyIn(UINT vk, bool shift, bool caps, bool control, bool alt) {
  if (control && !alt) {
    if (vk >= 'A' && vk <= 'Z') return static_cast<char>(vk - 'A' + 1);
    switch (vk) {
      case VK_OEM_4: return 0x1B;
      case VK_OEM_5: return 0x1C;
      case VK_OEM_6: return 0x1D;
      case VK_BACK: return 0x7F;
      case VK_RETURN: return '\n';
      default: break;
    }
  }
  if (vk >= 'A' && vk <= 'Z') return static_cast<char>((shift != caps) ? vk : vk - 'A' + 'a');
  if (vk >= '0' && vk <= '9') return shift ? ")!@#$%^&*("[vk - '0'] : static_cast<char>(vk);
  if (vk >= VK_NUMPAD0 && vk <= VK_NUMPAD9) return static_cast<char>('0' + vk - VK_NUMPAD0);
  switch (vk) {
    case VK_SPACE: return ' ';
    case VK_RETURN: return '\r';
    case VK_BACK: return '\b';
    case VK_TAB: return '\t';
    case VK_ESCAPE: return 0x1B;
    case VK_MULTIPLY: return '*';
    case VK_ADD: return '+';
    case VK_SUBTRACT: return '-';
    case VK_DECIMAL: return '.';
    case VK_DIVIDE: return '/';
    case VK_OEM_1: return shift ? ':' : ';';
    case VK_OEM_PLUS: return shift ? '+' : '=';
    case VK_OEM_COMMA: return shift ? '<' : ',';
    case VK_OEM_MINUS: return shift ? '_' : '-';
    case VK_OEM_PERIOD: return shift ? '>' : '.';
    case VK_OEM_2: return shift ? '?' : '/';
    case VK_OEM_3: return shift ? '~' : '`';
    case VK_OEM_4: return shift ? '{' : '[';
    case VK_OEM_5: return shift ? '|' : '\\';
    case VK_OEM_6: return shift ? '}' : ']';
    case VK_OEM_7: return shift ? '"' : '\'';
    default: return 0;
  }
}

}  // namespace qvp::ui

using namespace qvp::ui;

SHORT WINAPI GetKeyState(int nVirtKey) {
  BYTE v = g_keys[static_cast<UINT>(nVirtKey) & 0xFF].load();
  return static_cast<SHORT>(((v & 0x80) ? 0x8000 : 0) | (v & 0x01));
}

SHORT WINAPI GetAsyncKeyState(int vKey) {
  BYTE v = g_keys[static_cast<UINT>(vKey) & 0xFF].load();
  return static_cast<SHORT>((v & 0x80) ? 0x8000 : 0);
}

BOOL WINAPI TranslateMessage(const MSG* lpMsg) {
  if (!lpMsg) return FALSE;
  UINT m = lpMsg->message;
  if (m != WM_KEYDOWN && m != WM_KEYUP && m != WM_SYSKEYDOWN && m != WM_SYSKEYUP) return FALSE;
  if (m == WM_KEYDOWN || m == WM_SYSKEYDOWN) {
    char c = CharOfKey(static_cast<UINT>(lpMsg->wParam));
    if (c != 0) {
      // The character comes next, before any later keystroke.
      MSG ch = *lpMsg;
      ch.message = m == WM_KEYDOWN ? WM_CHAR : WM_SYSCHAR;
      ch.wParam = static_cast<WPARAM>(static_cast<unsigned char>(c));
      std::shared_ptr<ThreadQueue> q = CurrentQueue();
      {
        std::lock_guard<std::mutex> g(qvp::WaitLock());
        q->posted.push_front(ch);
        q->changed |= QS_POSTMESSAGE | QS_ALLPOSTMESSAGE;
        q->wake.Notify();
      }
    }
  }
  return TRUE;
}
