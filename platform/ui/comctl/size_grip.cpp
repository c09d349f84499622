#include "ui/comctl/size_grip.h"

namespace qvp::ui::comctl {

void DrawSizeGrip(HDC hdc, const RECT& box) {
  // Three ridges, each a light line over two shadow lines, running corner to corner.
  HPEN light = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNHIGHLIGHT));
  HPEN dark = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNSHADOW));
  const int x = box.right, y = box.bottom;
  for (int k = 0; k < 3; ++k) {
    const int d = 3 + 4 * k;
    for (int line = 0; line < 3; ++line) {
      HGDIOBJ old = SelectObject(hdc, line == 0 ? light : dark);
      MoveToEx(hdc, x - d - 1 + line, y - 1, nullptr);
      LineTo(hdc, x - 1, y - d - 2 + line);
      SelectObject(hdc, old);
    }
  }
  DeleteObject(light);
  DeleteObject(dark);
}

}  // namespace qvp::ui::comctl
