// Rectangles, shapes, lines and pixels.
#include <algorithm>
#include <climits>

#include "gdi/draw.h"
#include "gdi/gdi_error.h"
#include "gdi/sys_colors.h"

using namespace qvp::gdi;

namespace {

// A brush handle, or a system colour index + 1 as window classes pass them.
std::shared_ptr<BrushObj> BrushFromHandle(HBRUSH hbr) {
  uintptr_t v = reinterpret_cast<uintptr_t>(hbr);
  if (v >= 1 && v <= static_cast<uintptr_t>(kSysColorCount)) {
    return LookupAs<BrushObj>(GetSysColorBrush(static_cast<int>(v - 1)), Kind::kBrush);
  }
  return LookupAs<BrushObj>(hbr, Kind::kBrush);
}

COLORREF BrushColor(const DcObj& dc, const BrushObj* b) { return b ? dc.Resolve(b->Color()) : 0; }

PenInk ScaledPen(const DcObj& dc) {
  PenInk p = CurrentPen(dc);
  if (!p.null && dc.st.pen && dc.st.pen->lp.lopnWidth.x > 1)
    p.width = std::max<LONG>(1, dc.ScaleX(dc.st.pen->lp.lopnWidth.x));
  return p;
}

PaintRecord ShapeRecord(PaintKind kind, const DcObj& dc, const RECT& r, const PenInk& pen) {
  PaintRecord rec;
  rec.kind = kind;
  rec.rect = r;
  rec.color = pen.null ? 0 : pen.color;
  const BrushObj* b = dc.st.brush.get();
  rec.opaque = b != nullptr && b->style != BS_NULL;
  rec.fill = BrushColor(dc, b);
  return rec;
}

// Outer and inner boxes of a shape's outline, for a pen of width pw centred on
// the path (or inside it for PS_INSIDEFRAME).
void OutlineBoxes(ShapeBox box, int pw, bool inside_frame, ShapeBox* outer, ShapeBox* inner) {
  if (pw <= 1 || inside_frame) {
    *outer = box;
  } else {
    double lo = (pw - 1) / 2, hi = pw / 2;
    box.l -= lo;
    box.t -= lo;
    box.r += hi;
    box.b += hi;
    box.ew += lo + hi;
    box.eh += lo + hi;
    *outer = box;
  }
  *inner = outer->Shrunk(pw);
}

enum class Figure { kRectangle, kEllipse, kRoundRect };

BOOL DrawFigure(HDC hdc, Figure fig, int left, int top, int right, int bottom, int ew, int eh) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return FALSE;
  DcObj& dc = *t.dc;
  RECT r = dc.ToSurface(RECT{left, top, right, bottom});
  PenInk pen = ScaledPen(dc);
  uint8_t code = Rop2ToRop3(dc.st.rop2);
  Pattern brush = BrushPattern(dc, dc.st.brush.get());
  ShapeBox box;
  box.kind = fig == Figure::kRectangle ? ShapeKind::kRect
                                       : (fig == Figure::kEllipse ? ShapeKind::kEllipse : ShapeKind::kRoundRect);
  box.l = r.left;
  box.t = r.top;
  box.r = r.right;
  box.b = r.bottom;
  box.ew = dc.ScaleX(ew);
  box.eh = dc.ScaleY(eh);
  // Masks cover only the figure (with room for a wide pen) inside the clip.
  long long pad = pen.null ? 0 : pen.width;
  RECT reach{static_cast<LONG>(std::max<long long>(INT_MIN, r.left - pad)),
             static_cast<LONG>(std::max<long long>(INT_MIN, r.top - pad)),
             static_cast<LONG>(std::min<long long>(INT_MAX, r.right + pad)),
             static_cast<LONG>(std::min<long long>(INT_MAX, r.bottom + pad))};
  RECT limit = RectIntersect(reach, RectIntersect(ClipBox(t.clip), t.surface->Bounds()));
  bool inside_frame = dc.st.pen && dc.st.pen->Style() == PS_INSIDEFRAME;
  if (pen.null) {
    // Without a pen the figure is one pixel smaller on the right and bottom.
    ShapeBox inner = box;
    inner.r -= 1;
    inner.b -= 1;
    Mask m(limit);
    AddShape(m, inner, nullptr);
    FillMask(*t.surface, t.clip, m, brush, code);
  } else {
    ShapeBox outer, inner;
    OutlineBoxes(box, pen.width, inside_frame, &outer, &inner);
    Mask fill(limit);
    AddShape(fill, inner, nullptr);
    FillMask(*t.surface, t.clip, fill, brush, code);
    if (fig == Figure::kRectangle && pen.width <= 1 && pen.style != PS_SOLID) {
      // Styled thin pens follow the outline as lines so the dashes run round it.
      std::vector<POINT> path{{r.left, r.top}, {r.right - 1, r.top}, {r.right - 1, r.bottom - 1}, {r.left, r.bottom - 1}};
      StrokePath(*t.surface, t.clip, path, true, pen, code);
    } else {
      Mask ring(limit);
      AddShape(ring, outer, &inner);
      FillMask(*t.surface, t.clip, ring, Pattern::Solid(pen.color), code);
    }
  }
  if (Visible(t, r)) {
    PaintKind kind = fig == Figure::kRectangle ? PaintKind::kRectangle
                                               : (fig == Figure::kEllipse ? PaintKind::kEllipse : PaintKind::kRoundRect);
    Record(dc, ShapeRecord(kind, dc, r, pen));
  }
  return TRUE;
}

std::vector<POINT> SurfacePoints(const DcObj& dc, const POINT* apt, int cpt) {
  std::vector<POINT> pts;
  pts.reserve(static_cast<size_t>(cpt));
  for (int i = 0; i < cpt; ++i) pts.push_back(dc.ToSurface(apt[i].x, apt[i].y));
  return pts;
}

RECT PointsBounds(const std::vector<POINT>& pts) {
  RECT b{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (const POINT& p : pts) {
    b.left = std::min(b.left, p.x);
    b.top = std::min(b.top, p.y);
    b.right = std::max(b.right, p.x == INT_MAX ? p.x : p.x + 1);
    b.bottom = std::max(b.bottom, p.y == INT_MAX ? p.y : p.y + 1);
  }
  return b;
}

void RecordLine(DcObj& dc, const DrawTarget& t, POINT a, POINT b, const PenInk& pen) {
  RECT bounds = RectNormalize(RECT{a.x, a.y, b.x, b.y});
  bounds.right = bounds.right == INT_MAX ? bounds.right : bounds.right + 1;
  bounds.bottom = bounds.bottom == INT_MAX ? bounds.bottom : bounds.bottom + 1;
  if (pen.null || !Visible(t, bounds)) return;
  PaintRecord rec;
  rec.kind = PaintKind::kLine;
  rec.rect = bounds;
  rec.from = a;
  rec.to = b;
  rec.color = pen.color;
  Record(dc, std::move(rec));
}

}  // namespace

int FillRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hDC, &t)) return 0;
  std::shared_ptr<BrushObj> brush = BrushFromHandle(hbr);
  if (!brush || lprc == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  RECT r = t.dc->ToSurface(*lprc);
  FillRectPattern(*t.surface, t.clip, r, BrushPattern(*t.dc, brush.get()), 0xF0);
  if (Visible(t, r) && brush->style != BS_NULL) {
    PaintRecord rec;
    rec.kind = PaintKind::kFill;
    rec.rect = r;
    rec.color = BrushColor(*t.dc, brush.get());
    rec.rop = PATCOPY;
    Record(*t.dc, std::move(rec));
  }
  return 1;
}

int FrameRect(HDC hDC, const RECT* lprc, HBRUSH hbr) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hDC, &t)) return 0;
  std::shared_ptr<BrushObj> brush = BrushFromHandle(hbr);
  if (!brush || lprc == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  RECT r = t.dc->ToSurface(*lprc);
  if (RectEmpty(r)) return 1;
  LONG bw = std::max<LONG>(1, t.dc->ScaleX(1)), bh = std::max<LONG>(1, t.dc->ScaleY(1));
  Mask m(RectIntersect(r, RectIntersect(ClipBox(t.clip), t.surface->Bounds())));
  ShapeBox outer;
  outer.l = r.left;
  outer.t = r.top;
  outer.r = r.right;
  outer.b = r.bottom;
  ShapeBox inner = outer;
  inner.l += bw;
  inner.r -= bw;
  inner.t += bh;
  inner.b -= bh;
  AddShape(m, outer, &inner);
  FillMask(*t.surface, t.clip, m, BrushPattern(*t.dc, brush.get()), 0xF0);
  if (Visible(t, r)) {
    PaintRecord rec;
    rec.kind = PaintKind::kFrame;
    rec.rect = r;
    rec.color = BrushColor(*t.dc, brush.get());
    Record(*t.dc, std::move(rec));
  }
  return 1;
}

BOOL InvertRect(HDC hDC, const RECT* lprc) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hDC, &t)) return FALSE;
  if (lprc == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECT r = t.dc->ToSurface(*lprc);
  FillRectPattern(*t.surface, t.clip, r, Pattern(), 0x55);
  if (Visible(t, r)) {
    PaintRecord rec;
    rec.kind = PaintKind::kInvert;
    rec.rect = r;
    rec.rop = DSTINVERT;
    Record(*t.dc, std::move(rec));
  }
  return TRUE;
}

BOOL DrawFocusRect(HDC hDC, const RECT* lprc) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hDC, &t)) return FALSE;
  if (lprc == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  RECT r = t.dc->ToSurface(*lprc);
  if (RectEmpty(r)) return TRUE;
  // A dotted frame drawn by inverting every other pixel: drawing it twice
  // leaves the pixels as they were.
  Mask m(RectIntersect(r, RectIntersect(ClipBox(t.clip), t.surface->Bounds())));
  for (int y = m.box.top; y < m.box.bottom; ++y)
    for (int x = m.box.left; x < m.box.right; ++x) {
      bool edge = x == r.left || x == r.right - 1 || y == r.top || y == r.bottom - 1;
      if (edge && ((x + y) & 1) == 0) m.Set(x, y);
    }
  FillMask(*t.surface, t.clip, m, Pattern(), 0x55);
  if (Visible(t, r)) {
    PaintRecord rec;
    rec.kind = PaintKind::kFocusRect;
    rec.rect = r;
    Record(*t.dc, std::move(rec));
  }
  return TRUE;
}

BOOL Rectangle(HDC hdc, int left, int top, int right, int bottom) {
  return DrawFigure(hdc, Figure::kRectangle, left, top, right, bottom, 0, 0);
}

BOOL RoundRect(HDC hdc, int left, int top, int right, int bottom, int width, int height) {
  return DrawFigure(hdc, Figure::kRoundRect, left, top, right, bottom, width, height);
}

BOOL Ellipse(HDC hdc, int left, int top, int right, int bottom) {
  return DrawFigure(hdc, Figure::kEllipse, left, top, right, bottom, 0, 0);
}

BOOL Polygon(HDC hdc, const POINT* apt, int cpt) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return FALSE;
  if (apt == nullptr || cpt < 2) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DcObj& dc = *t.dc;
  std::vector<POINT> pts = SurfacePoints(dc, apt, cpt);
  uint8_t code = Rop2ToRop3(dc.st.rop2);
  RECT bounds = PointsBounds(pts);
  Mask fill(RectIntersect(bounds, RectIntersect(ClipBox(t.clip), t.surface->Bounds())));
  AddPolygon(fill, pts);
  FillMask(*t.surface, t.clip, fill, BrushPattern(dc, dc.st.brush.get()), code);
  PenInk pen = ScaledPen(dc);
  StrokePath(*t.surface, t.clip, pts, true, pen, code);
  if (Visible(t, bounds)) {
    PaintRecord rec = ShapeRecord(PaintKind::kPolygon, dc, bounds, pen);
    rec.points = pts;
    Record(dc, std::move(rec));
  }
  return TRUE;
}

BOOL Polyline(HDC hdc, const POINT* apt, int cpt) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return FALSE;
  if (apt == nullptr || cpt < 2) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  std::vector<POINT> pts = SurfacePoints(*t.dc, apt, cpt);
  PenInk pen = ScaledPen(*t.dc);
  StrokePath(*t.surface, t.clip, pts, false, pen, Rop2ToRop3(t.dc->st.rop2));
  for (size_t i = 0; i + 1 < pts.size(); ++i) RecordLine(*t.dc, t, pts[i], pts[i + 1], pen);
  return TRUE;
}

BOOL MoveToEx(HDC hdc, int x, int y, LPPOINT lppt) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return FALSE;
  if (lppt != nullptr) *lppt = dc->st.pos;
  dc->st.pos = POINT{x, y};
  return TRUE;
}

BOOL GetCurrentPositionEx(HDC hdc, LPPOINT lppt) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc || lppt == nullptr) return FALSE;
  *lppt = dc->st.pos;
  return TRUE;
}

BOOL LineTo(HDC hdc, int x, int y) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return FALSE;
  DcObj& dc = *t.dc;
  std::vector<POINT> pts{dc.ToSurface(dc.st.pos.x, dc.st.pos.y), dc.ToSurface(x, y)};
  PenInk pen = ScaledPen(dc);
  StrokePath(*t.surface, t.clip, pts, false, pen, Rop2ToRop3(dc.st.rop2));
  RecordLine(dc, t, pts[0], pts[1], pen);
  dc.st.pos = POINT{x, y};
  return TRUE;
}

COLORREF SetPixel(HDC hdc, int x, int y, COLORREF color) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return CLR_INVALID;
  POINT p = t.dc->ToSurface(x, y);
  if (!t.surface->Contains(p.x, p.y) || !InClip(t.clip, p.x, p.y)) return CLR_INVALID;
  t.surface->Set(p.x, p.y, t.dc->Resolve(color));
  return t.surface->Get(p.x, p.y);
}

COLORREF GetPixel(HDC hdc, int x, int y) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return CLR_INVALID;
  POINT p = t.dc->ToSurface(x, y);
  if (!t.surface->Contains(p.x, p.y) || !InClip(t.clip, p.x, p.y)) return CLR_INVALID;
  return t.surface->Get(p.x, p.y);
}
