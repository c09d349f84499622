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
// Besides the client-area target, a window has a frame target for what is drawn
// over the whole window (its non-client area: borders, caption, scroll bars), in
// window coordinates: CreateWindowFrameDC draws there. The two are composed for
// showing (the client target over the frame one at the client area's offset).
//
// hwnd null is the screen (1024 x 768), also what CreateDCA("DISPLAY") draws on.
// Reading the log: qvp::GetWindowPaintLog / ClearWindowPaintLog (qvplatform/gdi_paint_log.h).
#pragma once

#include <cstdint>

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

// A new DC on the window's frame target, seeing width x height pixels from its
// (0,0); released with ReleaseWindowDC. Null for no window or a refused size.
HDC CreateWindowFrameDC(HWND hwnd, int width, int height);

// Called with the window after a DC drawing on it was released (outside the
// GDI's lock), so that whatever shows the window can take the new pixels.
using WindowDamageHook = void (*)(HWND hwnd);
void SetWindowDamageHook(WindowDamageHook hook);

// Copies the top-left `size` pixels of a window's client (or frame) target onto
// an image of 0x00RRGGBB pixels, rows top-down, placing them at `at` and
// changing only pixels inside `clip` (image coordinates). Pixels the window never
// painted are left as they are, so a control that draws no background (a group
// box) shows its parent through. False when nothing was ever drawn on that target.
bool CopyWindowPixels(HWND hwnd, bool frame, SIZE size, uint32_t* image, int image_width, int image_height, POINT at,
                      RECT clip);

}  // namespace qvp
