// The X11 display: one connection and one event thread of the layer.
//
// The event thread keeps an X window for every visible top-level window of the
// window system (placed where the window system has it; pop-ups without a
// caption are placed exactly, outside the window manager's care), pushes the
// composed picture of a window after it painted, answers exposures from the
// last picture, and turns the user's input into RawInput for the window's own
// thread (display/input.h). Nothing here calls a window procedure.
#pragma once

#include "qvplatform/types.h"

namespace qvp::display {

// Connects (null: $DISPLAY) and starts the event thread. False when the server
// cannot be reached; true when already open.
bool OpenX11(const char* name);
// Stops and joins the event thread and closes the connection.
void CloseX11();
bool X11IsOpen();

// Any thread, with or without the window lock: something about the window
// changed (shown, hidden, moved, retitled, activated, destroyed).
void X11WindowChanged(HWND hwnd);
// Any thread: the window painted; its top-level window's picture is pushed.
void X11WindowPainted(HWND hwnd);
// The window's thread: the user drags the window by its caption (edge 0) or
// resizes it by a border (edge WMSZ_LEFT .. WMSZ_BOTTOMRIGHT) with the left
// button held.
void X11BeginMove(HWND hwnd, UINT edge);

// The window's thread: the pointer over a top-level window now shows this stock
// cursor (an IDC_ number; 0 for a cursor of the program's own, shown as the arrow).
void X11ShowCursor(HWND top, WORD stock_id);

// Any thread: the notification-area icons changed (added, modified, deleted).
void X11TrayChanged();

}  // namespace qvp::display
