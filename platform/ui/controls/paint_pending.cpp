// Controls that draw themselves do so through the layer's GDI; until it draws,
// their WM_PAINT validates the window and draws nothing.
#include "ui/controls/button.h"
#include "ui/controls/edit.h"
#include "ui/controls/static_control.h"

namespace qvp::ui {

void PaintButton(HWND, const ButtonState&, HDC) {}
void PaintStatic(HWND, const StaticState&, HDC) {}
void PaintEdit(HWND, const EditState&, HDC) {}

}  // namespace qvp::ui
