#include "gdi/dc.h"

#include <algorithm>
#include <climits>

#include "gdi/gdi_error.h"
#include "gdi/raster_text.h"

namespace qvp::gdi {

LONG MulDivRound(long long a, long long b, long long c) {
  if (c == 0) return 0;
  Int128 n = static_cast<Int128>(a) * b;
  Int128 d = c;
  if (d < 0) {
    n = -n;
    d = -d;
  }
  Int128 q = n >= 0 ? (n + d / 2) / d : -((-n + d / 2) / d);
  if (q < INT_MIN) return INT_MIN;
  if (q > INT_MAX) return INT_MAX;
  return static_cast<LONG>(q);
}

namespace {

LONG AddClamp(long long a, long long b) {
  return static_cast<LONG>(std::clamp<long long>(a + b, INT_MIN, INT_MAX));
}

}  // namespace

DcObj::~DcObj() = default;

Surface* DcObj::surface() const {
  switch (dc_kind) {
    case DcKind::kMemory:
      return st.bitmap ? st.bitmap->surface.get() : nullptr;
    case DcKind::kWindow:
    case DcKind::kDisplay:
      return target ? target->surface.get() : nullptr;
    case DcKind::kInfo:
      return nullptr;
  }
  return nullptr;
}

PaintLog* DcObj::log() {
  switch (dc_kind) {
    case DcKind::kMemory:
      return st.bitmap ? &st.bitmap->log : nullptr;
    case DcKind::kWindow:
    case DcKind::kDisplay:
      return target ? &target->log : nullptr;
    case DcKind::kInfo:
      return nullptr;
  }
  return nullptr;
}

POINT DcObj::LogicalToDevice(POINT p) const {
  POINT d;
  d.x = AddClamp(MulDivRound(static_cast<long long>(p.x) - st.window_org.x, st.viewport_ext.cx, st.window_ext.cx),
                 st.viewport_org.x);
  d.y = AddClamp(MulDivRound(static_cast<long long>(p.y) - st.window_org.y, st.viewport_ext.cy, st.window_ext.cy),
                 st.viewport_org.y);
  return d;
}

POINT DcObj::DeviceToLogical(POINT p) const {
  POINT l;
  l.x = AddClamp(MulDivRound(static_cast<long long>(p.x) - st.viewport_org.x, st.window_ext.cx, st.viewport_ext.cx),
                 st.window_org.x);
  l.y = AddClamp(MulDivRound(static_cast<long long>(p.y) - st.viewport_org.y, st.window_ext.cy, st.viewport_ext.cy),
                 st.window_org.y);
  return l;
}

POINT DcObj::ToSurface(LONG x, LONG y) const {
  POINT d = LogicalToDevice(POINT{x, y});
  return POINT{AddClamp(d.x, origin.x), AddClamp(d.y, origin.y)};
}

RECT DcObj::ToSurface(const RECT& r) const {
  POINT a = ToSurface(r.left, r.top);
  POINT b = ToSurface(r.right, r.bottom);
  return RectNormalize(RECT{a.x, a.y, b.x, b.y});
}

LONG DcObj::ScaleX(LONG len) const {
  LONG v = MulDivRound(len, st.viewport_ext.cx, st.window_ext.cx);
  return v < 0 ? -v : v;
}
LONG DcObj::ScaleY(LONG len) const {
  LONG v = MulDivRound(len, st.viewport_ext.cy, st.window_ext.cy);
  return v < 0 ? -v : v;
}
LONG DcObj::UnscaleX(LONG len) const {
  LONG v = MulDivRound(len, st.window_ext.cx, st.viewport_ext.cx);
  return v < 0 ? -v : v;
}
LONG DcObj::UnscaleY(LONG len) const {
  LONG v = MulDivRound(len, st.window_ext.cy, st.viewport_ext.cy);
  return v < 0 ? -v : v;
}

RECT DcObj::VisibleRect() const {
  Surface* s = surface();
  if (s == nullptr) return RECT{0, 0, 0, 0};
  if (dc_kind == DcKind::kWindow) {
    RECT v{origin.x, origin.y, AddClamp(origin.x, extent.cx), AddClamp(origin.y, extent.cy)};
    return RectIntersect(v, s->Bounds());
  }
  return s->Bounds();
}

std::vector<RECT> DcObj::ClipRects() const {
  Region r(VisibleRect());
  if (st.has_clip) r.Intersect(st.clip);
  return r.rects();
}

RECT DcObj::ClipBounds() const {
  Region r(VisibleRect());
  if (st.has_clip) r.Intersect(st.clip);
  return r.Box();
}

FontMetrics DcObj::Metrics() const {
  LOGFONTA lf = st.font ? st.font->lf : LOGFONTA{};
  LONG h = lf.lfHeight;
  LONG dev = h < 0 ? -ScaleY(-h) : ScaleY(h);
  if (h != 0 && dev == 0) dev = h < 0 ? -1 : 1;
  if (lf.lfWidth > 0) lf.lfWidth = std::max<LONG>(1, ScaleX(lf.lfWidth));
  FontMetrics real;
  if (real_fonts && RasterFontMetrics(lf, dev, &real)) return real;
  return ComputeFontMetrics(lf, dev);
}

void UseRealFontMetrics(HDC hdc) {
  std::lock_guard<std::recursive_mutex> g(Lock());
  if (auto dc = LookupDC(hdc)) dc->real_fonts = true;
}

std::shared_ptr<DcObj> LookupDC(HDC hdc) {
  std::shared_ptr<GdiObject> o = Lookup(hdc);
  if (!o || (o->kind != Kind::kDC && o->kind != Kind::kMemDC)) {
    SetError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return std::static_pointer_cast<DcObj>(o);
}

std::shared_ptr<DcObj> NewDC(DcKind kind) {
  Guard g(Lock());
  auto dc = std::make_shared<DcObj>(kind);
  Reselect(dc->st.pen, std::static_pointer_cast<PenObj>(StockObject(BLACK_PEN)));
  Reselect(dc->st.brush, std::static_pointer_cast<BrushObj>(StockObject(WHITE_BRUSH)));
  Reselect(dc->st.font, std::static_pointer_cast<FontObj>(StockObject(SYSTEM_FONT)));
  Reselect(dc->st.palette, std::static_pointer_cast<PaletteObj>(StockObject(DEFAULT_PALETTE)));
  if (kind == DcKind::kMemory) {
    std::shared_ptr<BitmapObj> b = DefaultBitmap();
    Reselect(dc->st.bitmap, b);
  }
  Insert(dc);
  return dc;
}

void DestroyDC(const std::shared_ptr<DcObj>& dc) {
  Guard g(Lock());
  DcState& st = dc->st;
  Reselect(st.pen, std::shared_ptr<PenObj>());
  Reselect(st.brush, std::shared_ptr<BrushObj>());
  Reselect(st.font, std::shared_ptr<FontObj>());
  Reselect(st.palette, std::shared_ptr<PaletteObj>());
  if (st.bitmap && st.bitmap->owner == dc.get()) st.bitmap->owner = nullptr;
  Reselect(st.bitmap, std::shared_ptr<BitmapObj>());
  dc->saved.clear();
  Remove(dc->handle);
}

void AppendRecord(PaintLog& log, PaintRecord record) {
  if (log.records.size() >= kPaintLogLimit)
    log.records.erase(log.records.begin(), log.records.begin() + kPaintLogLimit / 4);
  log.records.push_back(std::move(record));
}

}  // namespace qvp::gdi
