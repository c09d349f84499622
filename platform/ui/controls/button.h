// The state of a "Button" control, shared by its procedure and its painting.
#pragma once

#include "qvplatform/ui.h"
#include "qvplatform/ui_controls.h"

namespace qvp::ui {

struct ButtonState {
  UINT check = BST_UNCHECKED;
  bool pushed = false;        // drawn pressed (BM_SETSTATE, a press in progress)
  bool focused = false;
  bool tracking = false;      // the left button went down on the control and is still held
  bool space_down = false;    // the space bar went down on the control and is still held
  bool clicking = false;      // BM_CLICK: its release counts wherever it lands
  bool mouse_pressing = false;  // focus arriving now comes from a click
  HFONT font = nullptr;
  HANDLE image = nullptr;
  UINT image_type = IMAGE_BITMAP;
};

// The button kind of a style (BS_PUSHBUTTON ... BS_OWNERDRAW).
inline UINT ButtonType(DWORD style) { return style & BS_TYPEMASK; }

// Paints a button that draws itself (every kind but BS_OWNERDRAW).
void PaintButton(HWND hwnd, const ButtonState& s, HDC hdc);

}  // namespace qvp::ui
