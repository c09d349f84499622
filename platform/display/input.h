// User input from the display, turned into the window messages Windows sends.
//
// The display's event thread queues what happened (in screen coordinates of
// the window system) for the top-level window it happened in, and posts that
// window a registered message. When the window's own thread dispatches it,
// DefWindowProc hands it here: the pointer is hit-tested down the window tree
// with WM_NCHITTEST, a click activates (WM_MOUSEACTIVATE) and the mouse and key
// messages are posted to the window under the pointer, the capture or the focus,
// so that they come out of the thread's queue like any other input.
#pragma once

#include "qvplatform/types.h"

namespace qvp::display {

enum class InputKind {
  kButton,    // a mouse button went down or up
  kMotion,    // the pointer moved
  kWheel,     // the wheel turned
  kKey,       // a key went down (again, when repeating) or up
  kGeometry,  // the window was moved or sized from outside (window manager, user)
  kClose,     // the window manager asks the window to close
  kActivate,  // the window was given the keyboard focus from outside
  kRestore,   // an iconified window was opened again from outside
};

struct RawInput {
  InputKind kind = InputKind::kMotion;
  POINT pt{};          // the pointer, screen coordinates
  int button = 0;      // 1 left, 2 middle, 3 right
  bool down = false;   // button or key pressed; false: released
  int wheel = 0;       // notches, positive away from the user
  UINT buttons = 0;    // MK_LBUTTON, MK_RBUTTON, MK_MBUTTON held before this event
  bool shift = false;
  bool control = false;
  bool alt = false;
  UINT vk = 0;          // virtual key
  UINT scan = 0;        // scan code
  bool extended = false;
  bool repeat = false;   // a key held down repeating
  unsigned char ch = 0;  // the character the key types (Windows ANSI), 0 for none
  RECT rect{};           // kGeometry: the window's new rectangle, screen coordinates
};

// The registered message that asks a window's thread to take its input.
UINT InputMessage();
// Queues input for a top-level window (any thread). Consecutive pointer motion
// is merged; a window that does not take its input does not make the queue grow
// without bound.
void QueueInput(HWND top, const RawInput& input);
// Called on the window's own thread when it receives InputMessage(): delivers
// what was queued for it.
void DeliverInput(HWND top);

// The IDC_ number of a stock cursor handle; 0 for any other cursor or none.
WORD StockCursorId(HCURSOR cursor);

}  // namespace qvp::display
