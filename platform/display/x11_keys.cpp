#include "display/x11_keys.h"

#include <X11/keysym.h>

#include "qvplatform.h"

namespace qvp::display {
namespace {

// The unshifted key of the US keyboard that carries a printable character.
UINT VkOfAscii(unsigned long c) {
  if (c >= 'a' && c <= 'z') return static_cast<UINT>(c - 'a' + 'A');
  if (c >= 'A' && c <= 'Z') return static_cast<UINT>(c);
  if (c >= '0' && c <= '9') return static_cast<UINT>(c);
  switch (c) {
    case ' ': return VK_SPACE;
    case ';': case ':': return VK_OEM_1;
    case '=': case '+': return VK_OEM_PLUS;
    case ',': case '<': return VK_OEM_COMMA;
    case '-': case '_': return VK_OEM_MINUS;
    case '.': case '>': return VK_OEM_PERIOD;
    case '/': case '?': return VK_OEM_2;
    case '`': case '~': return VK_OEM_3;
    case '[': case '{': return VK_OEM_4;
    case '\\': case '|': return VK_OEM_5;
    case ']': case '}': return VK_OEM_6;
    case '\'': case '"': return VK_OEM_7;
    case '!': return '1';
    case '@': return '2';
    case '#': return '3';
    case '$': return '4';
    case '%': return '5';
    case '^': return '6';
    case '&': return '7';
    case '*': return '8';
    case '(': return '9';
    case ')': return '0';
    default: return 0;
  }
}

KeyName Special(unsigned long k) {
  if (k >= XK_F1 && k <= XK_F24) return {static_cast<UINT>(VK_F1 + (k - XK_F1)), false};
  if (k >= XK_KP_0 && k <= XK_KP_9) return {static_cast<UINT>(VK_NUMPAD0 + (k - XK_KP_0)), false};
  switch (k) {
    case XK_Return: return {VK_RETURN, false};
    case XK_KP_Enter: return {VK_RETURN, true};
    case XK_BackSpace: return {VK_BACK, false};
    case XK_Tab: case XK_ISO_Left_Tab: case XK_KP_Tab: return {VK_TAB, false};
    case XK_Escape: return {VK_ESCAPE, false};
    case XK_Delete: return {VK_DELETE, true};
    case XK_Insert: return {VK_INSERT, true};
    case XK_Home: return {VK_HOME, true};
    case XK_End: return {VK_END, true};
    case XK_Prior: return {VK_PRIOR, true};
    case XK_Next: return {VK_NEXT, true};
    case XK_Left: return {VK_LEFT, true};
    case XK_Up: return {VK_UP, true};
    case XK_Right: return {VK_RIGHT, true};
    case XK_Down: return {VK_DOWN, true};
    case XK_KP_Delete: return {VK_DELETE, false};
    case XK_KP_Insert: return {VK_INSERT, false};
    case XK_KP_Home: return {VK_HOME, false};
    case XK_KP_End: return {VK_END, false};
    case XK_KP_Prior: return {VK_PRIOR, false};
    case XK_KP_Next: return {VK_NEXT, false};
    case XK_KP_Left: return {VK_LEFT, false};
    case XK_KP_Up: return {VK_UP, false};
    case XK_KP_Right: return {VK_RIGHT, false};
    case XK_KP_Down: return {VK_DOWN, false};
    case XK_KP_Begin: return {VK_CLEAR, false};
    case XK_KP_Decimal: case XK_KP_Separator: return {VK_DECIMAL, false};
    case XK_KP_Add: return {VK_ADD, false};
    case XK_KP_Subtract: return {VK_SUBTRACT, false};
    case XK_KP_Multiply: return {VK_MULTIPLY, false};
    case XK_KP_Divide: return {VK_DIVIDE, true};
    case XK_Shift_L: case XK_Shift_R: return {VK_SHIFT, false};
    case XK_Control_L: return {VK_CONTROL, false};
    case XK_Control_R: return {VK_CONTROL, true};
    case XK_Alt_L: case XK_Meta_L: return {VK_MENU, false};
    case XK_Alt_R: case XK_Meta_R: case XK_ISO_Level3_Shift: return {VK_MENU, true};
    case XK_Super_L: return {VK_LWIN, true};
    case XK_Super_R: return {VK_RWIN, true};
    case XK_Menu: return {VK_APPS, true};
    case XK_Caps_Lock: return {VK_CAPITAL, false};
    case XK_Num_Lock: return {VK_NUMLOCK, true};
    case XK_Scroll_Lock: return {VK_SCROLL, false};
    case XK_Pause: case XK_Break: return {VK_PAUSE, false};
    case XK_Print: case XK_Sys_Req: return {VK_SNAPSHOT, true};
    default: return {};
  }
}

}  // namespace

KeyName KeyOfKeysym(unsigned long keysym, unsigned long base) {
  // The keypad follows Num Lock, so its meaning now decides.
  if (keysym >= XK_KP_Space && keysym <= XK_KP_Equal) return Special(keysym);
  if (base >= 0x20 && base <= 0x7E) return {VkOfAscii(base), false};
  KeyName k = Special(keysym);
  if (k.vk) return k;
  k = Special(base);
  if (k.vk) return k;
  if (keysym >= 0x20 && keysym <= 0x7E) return {VkOfAscii(keysym), false};
  return {};
}

unsigned char CharOfKeysym(unsigned long keysym) {
  if ((keysym >= 0x20 && keysym <= 0x7E) || (keysym >= 0xA0 && keysym <= 0xFF))
    return static_cast<unsigned char>(keysym);
  if (keysym == XK_EuroSign || keysym == 0x10020AC) return 0x80;
  if (keysym >= XK_KP_0 && keysym <= XK_KP_9) return static_cast<unsigned char>('0' + (keysym - XK_KP_0));
  switch (keysym) {
    case XK_KP_Decimal: return '.';
    case XK_KP_Add: return '+';
    case XK_KP_Subtract: return '-';
    case XK_KP_Multiply: return '*';
    case XK_KP_Divide: return '/';
    case XK_KP_Space: return ' ';
    default: return 0;
  }
}

}  // namespace qvp::display
