// Window device contexts, for the window system (BeginPaint/EndPaint, GetDC,
// GetWindowDC, ReleaseDC) and the screen.
//
// Each window has a paint target: a 32-bit surface and a paint log. A window DC
// draws on its window's target; the DC's device point (0,0) sits at `origin` on
// the target and the DC sees `width` x `height` pixels from there. The target
// grows to hold every DC made for it and keeps its pixels and log between DCs,
// until DestroyWindowPaintTarget. A client-area DC normally passes the client
// size and the origin {0, 0}, so that the log reads in client coordinates.
//
// hwnd null is the screen (1024 x 768), also what CreateDCA("DISPLAY") draws on.
// Reading the log: qvp::GetWindowPaintLog / ClearWindowPaintLog (qvplatform/gdi_paint_log.h).
#pragma once

#include "qvplatform/gdi.h"

namespace qvp {

namespace gdi {
inline constexpr int kScreenWidth = 1024;
inline constexpr int kScreenHeight = 768;
inline constexpr int kLogPixels = 96;
}  // namespace gdi

// A new DC for the window; null when the size is refused (negative, or a
// surface past the layer's limit).
HDC CreateWindowDC(HWND hwnd, int width, int height, POINT origin);
// Deletes a DC made by CreateWindowDC; false for any other handle.
bool ReleaseWindowDC(HDC hdc);
// Frees the window's surface and log (the window is gone). DCs still open on it
// keep drawing on the old target.
void DestroyWindowPaintTarget(HWND hwnd);
// The window a DC made by CreateWindowDC draws on (null for the screen or other DCs).
HWND WindowFromWindowDC(HDC hdc);

}  // namespace qvp
