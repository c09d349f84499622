// DrawEdge: the 3-D borders of controls in the system colours.
#include "gdi/draw.h"
#include "gdi/gdi_error.h"
#include "gdi/sys_colors.h"

using namespace qvp::gdi;

namespace {

struct LayerColors {
  COLORREF top_left;
  COLORREF bottom_right;
};

void FillLine(DrawTarget& t, const RECT& r, COLORREF c) {
  FillRectPattern(*t.surface, t.clip, r, Pattern::Solid(c), 0xF0);
}

// One-pixel border: top and left first, then bottom and right, which own the
// top-right and bottom-left corners.
void DrawLayer(DrawTarget& t, RECT& r, UINT sides, const LayerColors& c) {
  if (RectEmpty(r)) return;
  if (sides & BF_TOP) FillLine(t, RECT{r.left, r.top, r.right - 1, r.top + 1}, c.top_left);
  if (sides & BF_LEFT) FillLine(t, RECT{r.left, r.top, r.left + 1, r.bottom - 1}, c.top_left);
  if (sides & BF_BOTTOM) FillLine(t, RECT{r.left, r.bottom - 1, r.right, r.bottom}, c.bottom_right);
  if (sides & BF_RIGHT) FillLine(t, RECT{r.right - 1, r.top, r.right, r.bottom}, c.bottom_right);
  if (sides & BF_LEFT) ++r.left;
  if (sides & BF_TOP) ++r.top;
  if (sides & BF_RIGHT) --r.right;
  if (sides & BF_BOTTOM) --r.bottom;
}

}  // namespace

BOOL DrawEdge(HDC hdc, LPRECT qrc, UINT edge, UINT grfFlags) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return FALSE;
  if (qrc == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  if (grfFlags & BF_DIAGONAL) {
    // Diagonal edges are not drawn by this layer.
    SetError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
  }
  RECT r = t.dc->ToSurface(*qrc);
  RECT whole = r;
  bool flat = grfFlags & BF_FLAT, mono = grfFlags & BF_MONO, soft = grfFlags & BF_SOFT;
  LayerColors outer, inner;
  if (mono) {
    outer = {SysColor(COLOR_WINDOWFRAME), SysColor(COLOR_WINDOWFRAME)};
    inner = {SysColor(COLOR_WINDOW), SysColor(COLOR_WINDOW)};
  } else if (flat) {
    outer = {SysColor(COLOR_BTNSHADOW), SysColor(COLOR_BTNSHADOW)};
    inner = {SysColor(COLOR_BTNFACE), SysColor(COLOR_BTNFACE)};
  } else {
    bool outer_sunken = (edge & BDR_OUTER) == BDR_SUNKENOUTER;
    bool inner_sunken = (edge & BDR_INNER) == BDR_SUNKENINNER;
    outer = outer_sunken ? LayerColors{SysColor(COLOR_BTNSHADOW), SysColor(COLOR_BTNHIGHLIGHT)}
                         : LayerColors{SysColor(COLOR_3DLIGHT), SysColor(COLOR_3DDKSHADOW)};
    inner = inner_sunken ? LayerColors{SysColor(COLOR_3DDKSHADOW), SysColor(COLOR_3DLIGHT)}
                         : LayerColors{SysColor(COLOR_BTNHIGHLIGHT), SysColor(COLOR_BTNSHADOW)};
    if (soft && !outer_sunken && !inner_sunken) std::swap(outer.top_left, inner.top_left);
  }
  UINT sides = grfFlags & BF_RECT;
  if (edge & BDR_OUTER) DrawLayer(t, r, sides, outer);
  if (edge & BDR_INNER) DrawLayer(t, r, sides, inner);
  if (grfFlags & BF_MIDDLE)
    FillLine(t, r, SysColor(mono || flat ? COLOR_WINDOW : COLOR_BTNFACE));
  if (Visible(t, whole)) {
    PaintRecord rec;
    rec.kind = PaintKind::kEdge;
    rec.rect = whole;
    rec.flags = (edge & 0xFFFF) | (grfFlags << 16);
    Record(*t.dc, std::move(rec));
  }
  if (grfFlags & BF_ADJUST) {
    POINT a = t.dc->DeviceToLogical(POINT{r.left - t.dc->origin.x, r.top - t.dc->origin.y});
    POINT b = t.dc->DeviceToLogical(POINT{r.right - t.dc->origin.x, r.bottom - t.dc->origin.y});
    *qrc = RECT{a.x, a.y, b.x, b.y};
  }
  return TRUE;
}
