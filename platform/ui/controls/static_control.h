// The state of a "Static" control, shared by its procedure and its painting.
#pragma once

#include "qvplatform/ui.h"
#include "qvplatform/ui_controls.h"

namespace qvp::ui {

struct StaticState {
  HFONT font = nullptr;
  HANDLE image = nullptr;  // SS_BITMAP, SS_ICON, SS_ENHMETAFILE
  bool owns_image = false;  // loaded by the control from its text; freed with it
  UINT owned_type = IMAGE_BITMAP;
};

inline DWORD StaticType(DWORD style) { return style & SS_TYPEMASK; }

// Paints a static control that draws itself (every kind but SS_OWNERDRAW).
void PaintStatic(HWND hwnd, const StaticState& s, HDC hdc);

}  // namespace qvp::ui
