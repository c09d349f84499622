// Device contexts of windows, as the window system asks the GDI for them.
#pragma once

#include "qvplatform/ui.h"

namespace qvp::ui {

// A device context for drawing into a window: its client area, or the whole
// window including the frame.
HDC AcquireWindowDC(HWND hwnd, bool whole_window);
// Gives a context back; false when it was not one of the window's.
bool ReleaseWindowDC(HWND hwnd, HDC hdc);
// Fills a rectangle with a class background brush (a brush handle, or a
// system colour index plus one).
void FillBackground(HDC hdc, const RECT& rect, HBRUSH brush);
// Drops what a window that is gone had painted.
void ForgetPaintTarget(HWND hwnd);

}  // namespace qvp::ui
