// Drawing pieces the controls share: colours asked of the parent, the font
// selected for a paint, check and radio marks, arrows, images.
#pragma once

#include "qvplatform/gdi.h"
#include "qvplatform/gdi_text.h"
#include "qvplatform/ui.h"

namespace qvp::ui {

// Selects a control's font (the system font while it has none) for a scope.
class FontScope {
 public:
  FontScope(HDC hdc, HFONT font);
  ~FontScope();
  FontScope(const FontScope&) = delete;
  FontScope& operator=(const FontScope&) = delete;

 private:
  HDC hdc_;
  HGDIOBJ old_;
};

// Sets the default colours for the kind of control (`msg` is the WM_CTLCOLOR*
// message it sends), lets the parent change them, and gives the background brush.
HBRUSH PrepareColours(HWND hwnd, HDC hdc, UINT msg);

// A check box mark: `check` BST_UNCHECKED, BST_CHECKED or BST_INDETERMINATE.
void DrawCheckMark(HDC hdc, const RECT& box, UINT check, bool pushed, bool enabled);
void DrawRadioMark(HDC hdc, const RECT& box, bool checked, bool pushed, bool enabled);
// A filled triangle pointing down, up, left or right, centred in r.
enum class Arrow { kDown, kUp, kLeft, kRight };
void DrawArrow(HDC hdc, const RECT& r, Arrow dir, bool enabled);
// A bitmap or icon at (x, y) in its own size; its size is returned through `size`.
void DrawImage(HDC hdc, HANDLE image, UINT type, int x, int y);
SIZE ImageSize(HANDLE image, UINT type);

RECT Inset(RECT r, int dx, int dy);

}  // namespace qvp::ui
