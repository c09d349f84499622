// BitBlt, StretchBlt, PatBlt and the raster blit behind them.
#include <algorithm>
#include <climits>

#include "gdi/draw.h"
#include "gdi/gdi_error.h"

namespace qvp::gdi {

bool OpenDraw(HDC hdc, DrawTarget* out) {
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return false;
  if (!dc->CanDraw()) {
    SetError(ERROR_INVALID_HANDLE);
    return false;
  }
  out->dc = dc;
  out->surface = dc->surface();
  out->clip = dc->ClipRects();
  return true;
}

void Record(DcObj& dc, PaintRecord rec) {
  PaintLog* log = dc.log();
  if (log != nullptr) AppendRecord(*log, std::move(rec));
}

bool Visible(const DrawTarget& t, const RECT& r) {
  for (const RECT& c : t.clip)
    if (!RectEmpty(RectIntersect(c, r))) return true;
  return false;
}

namespace {

bool IsMonoDdb(const Surface& s, const DcObj* dc) {
  if (s.bpp() != 1) return false;
  if (dc == nullptr || dc->dc_kind != DcKind::kMemory || !dc->st.bitmap) return true;
  return !dc->st.bitmap->dib_section;
}

}  // namespace

void RasterBlit(DrawTarget& t, const RECT& dest, const BlitSource* src, uint8_t code) {
  Surface& s = *t.surface;
  long long dw = static_cast<long long>(dest.right) - dest.left;
  long long dh = static_cast<long long>(dest.bottom) - dest.top;
  if (dw <= 0 || dh <= 0) return;
  Pattern pat;
  if (RopUsesPattern(code)) pat = BrushPattern(*t.dc, t.dc->st.brush.get());
  // The source pixels that can be read, copied first so that a blit within one
  // surface reads the old pixels.
  std::vector<COLORREF> buf;
  RECT have{0, 0, 0, 0};
  long long sw = 0, sh = 0;
  bool use_src = src != nullptr && src->surface != nullptr && RopUsesSource(code);
  if (use_src) {
    sw = static_cast<long long>(src->rect.right) - src->rect.left;
    sh = static_cast<long long>(src->rect.bottom) - src->rect.top;
    if (sw <= 0 || sh <= 0) return;
    have = RectIntersect(src->rect, src->surface->Bounds());
    size_t w = static_cast<size_t>(have.right - have.left);
    buf.resize(w * static_cast<size_t>(have.bottom - have.top));
    for (int y = have.top; y < have.bottom; ++y)
      for (int x = have.left; x < have.right; ++x) {
        COLORREF c = src->surface->Get(x, y);
        switch (src->convert) {
          case BlitSource::Convert::kMonoToColor:
            c = src->surface->GetRaw(x, y) ? src->mono_one : src->mono_zero;
            break;
          case BlitSource::Convert::kColorToMono:
            c = c == src->background ? RGB(255, 255, 255) : RGB(0, 0, 0);
            break;
          case BlitSource::Convert::kNone:
            break;
        }
        buf[static_cast<size_t>(y - have.top) * w + static_cast<size_t>(x - have.left)] = c;
      }
  }
  for (const RECT& c : t.clip) {
    RECT i = RectIntersect(RectIntersect(dest, c), s.Bounds());
    for (int y = i.top; y < i.bottom; ++y) {
      long long sy = 0;
      if (use_src) {
        long long off = static_cast<long long>((static_cast<Int128>(2 * (static_cast<long long>(y) - dest.top) + 1) * sh) / (2 * dh));
        if (src->flip_y) off = sh - 1 - off;
        sy = src->rect.top + off;
        if (sy < have.top || sy >= have.bottom) continue;
      }
      for (int x = i.left; x < i.right; ++x) {
        COLORREF sv = 0;
        if (use_src) {
          long long off = static_cast<long long>((static_cast<Int128>(2 * (static_cast<long long>(x) - dest.left) + 1) * sw) / (2 * dw));
          if (src->flip_x) off = sw - 1 - off;
          long long sx = src->rect.left + off;
          if (sx < have.left || sx >= have.right) continue;
          sv = buf[static_cast<size_t>(sy - have.top) * static_cast<size_t>(have.right - have.left) +
                   static_cast<size_t>(sx - have.left)];
        }
        COLORREF pv = 0;
        if (!pat.empty() && !pat.At(x, y, &pv)) continue;
        COLORREF dv = RopUsesDest(code) ? s.Get(x, y) : 0;
        s.Set(x, y, ApplyRop3(code, pv, sv, dv));
      }
    }
  }
}

void CarryText(const PaintLog& src, const RECT& src_rect, PaintLog& dst, const RECT& dst_rect) {
  if (&src == &dst) return;
  long long sw = static_cast<long long>(src_rect.right) - src_rect.left;
  long long sh = static_cast<long long>(src_rect.bottom) - src_rect.top;
  long long dw = static_cast<long long>(dst_rect.right) - dst_rect.left;
  long long dh = static_cast<long long>(dst_rect.bottom) - dst_rect.top;
  if (sw <= 0 || sh <= 0 || dw <= 0 || dh <= 0) return;
  auto mx = [&](LONG x) { return static_cast<LONG>(dst_rect.left + MulDivRound(x - src_rect.left, dw, sw)); };
  auto my = [&](LONG y) { return static_cast<LONG>(dst_rect.top + MulDivRound(y - src_rect.top, dh, sh)); };
  std::vector<PaintRecord> moved;
  for (const PaintRecord& r : src.records) {
    if (r.kind != PaintKind::kText) continue;
    RECT vis = r.clipped ? RectIntersect(r.rect, r.clip_rect) : r.rect;
    if (RectEmpty(RectIntersect(vis, src_rect))) continue;
    PaintRecord c = r;
    c.rect = RECT{mx(r.rect.left), my(r.rect.top), mx(r.rect.right), my(r.rect.bottom)};
    RECT clip = r.clipped ? RectIntersect(r.clip_rect, src_rect) : src_rect;
    c.clip_rect = RECT{mx(clip.left), my(clip.top), mx(clip.right), my(clip.bottom)};
    c.clipped = true;
    moved.push_back(std::move(c));
  }
  for (PaintRecord& r : moved) AppendRecord(dst, std::move(r));
}

}  // namespace qvp::gdi

using namespace qvp::gdi;

namespace {

// Surface rectangle of logical x, y, w, h; flip flags when w or h turn it around.
RECT SurfaceRect(const DcObj& dc, int x, int y, int w, int h, bool* flip_x, bool* flip_y) {
  POINT a = dc.ToSurface(x, y);
  POINT b = dc.ToSurface(static_cast<LONG>(std::clamp<long long>(static_cast<long long>(x) + w, INT_MIN, INT_MAX)),
                         static_cast<LONG>(std::clamp<long long>(static_cast<long long>(y) + h, INT_MIN, INT_MAX)));
  *flip_x = b.x < a.x;
  *flip_y = b.y < a.y;
  return RectNormalize(RECT{a.x, a.y, b.x, b.y});
}

BOOL DoBlit(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
            int hSrc, DWORD rop) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdcDest, &t)) return FALSE;
  uint8_t code = Rop3Code(rop);
  bool dfx, dfy;
  RECT dest = SurfaceRect(*t.dc, xDest, yDest, wDest, hDest, &dfx, &dfy);
  PaintRecord rec;
  rec.kind = PaintKind::kBlit;
  rec.rect = dest;
  rec.rop = rop;
  if (!RopUsesSource(code)) {
    RasterBlit(t, dest, nullptr, code);
    if (Visible(t, dest)) Record(*t.dc, std::move(rec));
    return TRUE;
  }
  std::shared_ptr<DcObj> sdc = LookupDC(hdcSrc);
  if (!sdc || sdc->surface() == nullptr) {
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  BlitSource src;
  src.surface = sdc->surface();
  bool sfx, sfy;
  src.rect = SurfaceRect(*sdc, xSrc, ySrc, wSrc, hSrc, &sfx, &sfy);
  src.flip_x = dfx != sfx;
  src.flip_y = dfy != sfy;
  bool src_mono = IsMonoDdb(*src.surface, sdc.get());
  bool dst_mono = IsMonoDdb(*t.surface, t.dc.get());
  if (src_mono && !dst_mono) {
    src.convert = BlitSource::Convert::kMonoToColor;
    src.mono_zero = t.dc->Resolve(t.dc->st.text_color);
    src.mono_one = t.dc->Resolve(t.dc->st.bk_color);
  } else if (!src_mono && dst_mono) {
    src.convert = BlitSource::Convert::kColorToMono;
    src.background = src.surface->Quantize(sdc->Resolve(sdc->st.bk_color));
  }
  RasterBlit(t, dest, &src, code);
  if (Visible(t, dest)) {
    Record(*t.dc, std::move(rec));
    PaintLog* slog = sdc->log();
    PaintLog* dlog = t.dc->log();
    if (slog != nullptr && dlog != nullptr) CarryText(*slog, src.rect, *dlog, dest);
  }
  return TRUE;
}

}  // namespace

BOOL BitBlt(HDC hdc, int x, int y, int cx, int cy, HDC hdcSrc, int x1, int y1, DWORD rop) {
  return DoBlit(hdc, x, y, cx, cy, hdcSrc, x1, y1, cx, cy, rop);
}

BOOL StretchBlt(HDC hdcDest, int xDest, int yDest, int wDest, int hDest, HDC hdcSrc, int xSrc, int ySrc, int wSrc,
                int hSrc, DWORD rop) {
  return DoBlit(hdcDest, xDest, yDest, wDest, hDest, hdcSrc, xSrc, ySrc, wSrc, hSrc, rop);
}

BOOL PatBlt(HDC hdc, int x, int y, int w, int h, DWORD rop) {
  uint8_t code = Rop3Code(rop);
  if (RopUsesSource(code)) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return FALSE;
  bool fx, fy;
  RECT dest = SurfaceRect(*t.dc, x, y, w, h, &fx, &fy);
  RasterBlit(t, dest, nullptr, code);
  if (Visible(t, dest)) {
    PaintRecord rec;
    rec.kind = code == 0x55 ? PaintKind::kInvert : PaintKind::kFill;
    rec.rect = dest;
    rec.rop = rop;
    if (t.dc->st.brush) rec.color = t.dc->Resolve(t.dc->st.brush->Color());
    if (code == 0x00) rec.color = RGB(0, 0, 0);
    if (code == 0xFF) rec.color = RGB(255, 255, 255);
    Record(*t.dc, std::move(rec));
  }
  return TRUE;
}
