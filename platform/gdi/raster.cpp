#include "gdi/raster.h"

#include <algorithm>
#include <climits>
#include <cmath>
#include <cstdlib>

namespace qvp::gdi {

uint8_t Rop2ToRop3(int rop2) {
  unsigned table = static_cast<unsigned>(rop2 - 1) & 0x0F;  // bit (P << 1 | D)
  uint8_t code = 0;
  for (unsigned i = 0; i < 8; ++i) {
    unsigned p = (i >> 2) & 1, d = i & 1;
    if ((table >> ((p << 1) | d)) & 1) code = static_cast<uint8_t>(code | (1u << i));
  }
  return code;
}

COLORREF ApplyRop3(uint8_t code, COLORREF p, COLORREF s, COLORREF d) {
  constexpr COLORREF kAll = 0x00FFFFFF;
  switch (code) {
    case 0x00: return 0;
    case 0xFF: return kAll;
    case 0xCC: return s & kAll;
    case 0xF0: return p & kAll;
    case 0xAA: return d & kAll;
    case 0x55: return ~d & kAll;
    case 0x33: return ~s & kAll;
    case 0x66: return (s ^ d) & kAll;
    case 0x88: return s & d & kAll;
    case 0xEE: return (s | d) & kAll;
    case 0x5A: return (p ^ d) & kAll;
    default: break;
  }
  COLORREF r = 0;
  for (unsigned i = 0; i < 8; ++i) {
    if (!((code >> i) & 1)) continue;
    COLORREF term = ((i & 4) ? p : ~p) & ((i & 2) ? s : ~s) & ((i & 1) ? d : ~d);
    r |= term;
  }
  return r & kAll;
}

bool InClip(const ClipList& clip, int x, int y) {
  for (const RECT& r : clip)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

RECT ClipBox(const ClipList& clip) {
  if (clip.empty()) return RECT{0, 0, 0, 0};
  RECT b = clip[0];
  for (const RECT& r : clip) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

namespace {

bool HatchBit(int style, int x, int y) {
  x &= 7;
  y &= 7;
  bool h = y == 7, v = x == 7, f = x == y, b = ((x + y) & 7) == 7;
  switch (style) {
    case HS_HORIZONTAL: return h;
    case HS_VERTICAL: return v;
    case HS_FDIAGONAL: return f;
    case HS_BDIAGONAL: return b;
    case HS_CROSS: return h || v;
    case HS_DIAGCROSS: return f || b;
    default: return false;
  }
}

}  // namespace

Pattern BrushPattern(const DcObj& dc, const BrushObj* brush) {
  Pattern p;
  if (brush == nullptr) return p;
  switch (brush->style) {
    case BS_SOLID:
      return Pattern::Solid(dc.Resolve(brush->Color()));
    case BS_HATCHED: {
      p.type = Pattern::Type::kTile;
      p.w = p.h = 8;
      COLORREF fg = dc.Resolve(brush->Color());
      COLORREF bg = dc.Resolve(dc.st.bk_color);
      bool opaque = dc.st.bk_mode == OPAQUE;
      for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
          bool on = HatchBit(brush->hatch, x, y);
          p.pixels.push_back(on ? fg : bg);
          p.drawn.push_back(on || opaque ? 1 : 0);
        }
      return p;
    }
    case BS_PATTERN: {
      const Surface* s = brush->pattern.get();
      if (s == nullptr) return p;
      p.type = Pattern::Type::kTile;
      p.w = s->width();
      p.h = s->height();
      COLORREF fg = dc.Resolve(dc.st.text_color), bg = dc.Resolve(dc.st.bk_color);
      for (int y = 0; y < p.h; ++y)
        for (int x = 0; x < p.w; ++x) {
          COLORREF c = s->Get(x, y);
          // A monochrome pattern paints its 0 bits in the text colour and its 1 bits
          // in the background colour.
          if (brush->mono_pattern) c = s->GetRaw(x, y) ? bg : fg;
          p.pixels.push_back(c);
        }
      return p;
    }
    default:
      return p;  // BS_NULL
  }
}

Mask::Mask(RECT b) : box(b) {
  if (RectEmpty(b)) {
    box = RECT{0, 0, 0, 0};
    return;
  }
  bits.assign(static_cast<size_t>(b.right - b.left) * static_cast<size_t>(b.bottom - b.top), 0);
}

namespace {

void SetPixelRop(Surface& s, int x, int y, COLORREF p, uint8_t code) {
  COLORREF d = RopUsesDest(code) ? s.Get(x, y) : 0;
  s.Set(x, y, ApplyRop3(code, p, 0, d));
}

}  // namespace

void FillRectPattern(Surface& s, const ClipList& clip, const RECT& r, const Pattern& pat, uint8_t code) {
  if (pat.empty() && RopUsesPattern(code)) return;
  for (const RECT& c : clip) {
    RECT i = RectIntersect(RectIntersect(r, c), s.Bounds());
    if (RectEmpty(i)) continue;
    if (pat.type == Pattern::Type::kSolid && code == 0xF0 && s.bpp() == 32) {
      // Common case: a solid fill of a 32-bit surface.
      s.Set(i.left, i.top, pat.solid);
      uint32_t raw = s.GetRaw(i.left, i.top);
      for (int y = i.top; y < i.bottom; ++y) {
        uint32_t* row = reinterpret_cast<uint32_t*>(s.Row(y));
        std::fill(row + i.left, row + i.right, raw);
      }
      continue;
    }
    for (int y = i.top; y < i.bottom; ++y)
      for (int x = i.left; x < i.right; ++x) {
        COLORREF p = 0;
        if (!pat.empty() && !pat.At(x, y, &p)) continue;
        SetPixelRop(s, x, y, p, code);
      }
  }
}

void FillMask(Surface& s, const ClipList& clip, const Mask& m, const Pattern& pat, uint8_t code) {
  if (m.empty() || (pat.empty() && RopUsesPattern(code))) return;
  RECT box = RectIntersect(m.box, s.Bounds());
  bool simple = clip.size() == 1;
  for (int y = box.top; y < box.bottom; ++y)
    for (int x = box.left; x < box.right; ++x) {
      if (!m.Get(x, y)) continue;
      if (simple ? !(x >= clip[0].left && x < clip[0].right && y >= clip[0].top && y < clip[0].bottom)
                 : !InClip(clip, x, y))
        continue;
      COLORREF p = 0;
      if (!pat.empty() && !pat.At(x, y, &p)) continue;
      SetPixelRop(s, x, y, p, code);
    }
}

PenInk CurrentPen(const DcObj& dc) {
  PenInk p;
  const PenObj* pen = dc.st.pen.get();
  if (pen == nullptr || pen->Style() == PS_NULL) {
    p.null = true;
    return p;
  }
  p.color = dc.Resolve(pen->lp.lopnColor);
  p.width = pen->Width();
  p.style = pen->Style();
  if (p.width > 1 || p.style == PS_INSIDEFRAME) p.style = PS_SOLID;  // styles apply to thin pens
  p.gap_opaque = dc.st.bk_mode == OPAQUE;
  p.gap_color = dc.Resolve(dc.st.bk_color);
  return p;
}

namespace {

// On/off run lengths of the styled one-pixel pens.
const std::vector<int>& DashPattern(int style) {
  static const std::vector<int> kNone;
  static const std::vector<int> kDash{18, 6};
  static const std::vector<int> kDot{3, 3};
  static const std::vector<int> kDashDot{9, 6, 3, 6};
  static const std::vector<int> kDashDotDot{9, 3, 3, 3, 3, 3};
  switch (style) {
    case PS_DASH: return kDash;
    case PS_DOT: return kDot;
    case PS_DASHDOT: return kDashDot;
    case PS_DASHDOTDOT: return kDashDotDot;
    default: return kNone;
  }
}

struct DashState {
  const std::vector<int>* runs;
  int total = 0;
  long long offset = 0;  // length of the path already drawn
  long long phase = 0;   // step along the current segment
  bool On() const {
    if (runs->empty() || total <= 0) return true;
    long long p = (offset + phase) % total;
    for (size_t i = 0; i < runs->size(); ++i) {
      if (p < (*runs)[i]) return (i % 2) == 0;
      p -= (*runs)[i];
    }
    return true;
  }
};

// One-pixel line from a to b, b itself left out. Only the steps that can reach
// the clip box are walked, so far-away end points cost nothing.
void ThinLine(Surface& s, const ClipList& clip, const RECT& box, POINT a, POINT b, const PenInk& pen,
              uint8_t code, DashState& dash) {
  long long dx = static_cast<long long>(b.x) - a.x, dy = static_cast<long long>(b.y) - a.y;
  long long adx = dx < 0 ? -dx : dx, ady = dy < 0 ? -dy : dy;
  long long steps = std::max(adx, ady);
  if (steps == 0) return;
  bool x_major = adx >= ady;
  long long major0 = x_major ? a.x : a.y;
  long long sign = (x_major ? dx : dy) < 0 ? -1 : 1;
  long long lo = x_major ? box.left : box.top, hi = (x_major ? box.right : box.bottom) - 1;
  // Steps i with major0 + sign * i inside [lo, hi].
  long long i0, i1;
  if (sign > 0) {
    i0 = lo - major0;
    i1 = hi - major0;
  } else {
    i0 = major0 - hi;
    i1 = major0 - lo;
  }
  i0 = std::max<long long>(i0, 0);
  i1 = std::min<long long>(i1, steps - 1);
  long long dminor = x_major ? dy : dx, amajor = steps;
  for (long long i = i0; i <= i1; ++i) {
    // Minor coordinate: the nearest pixel to the exact line (ties round up).
    Int128 num = 2 * static_cast<Int128>(i) * dminor + amajor;
    Int128 den = 2 * static_cast<Int128>(amajor);
    long long q = static_cast<long long>(num >= 0 ? num / den : -((-num + den - 1) / den));
    long long mx = major0 + sign * i;
    long long mn = (x_major ? a.y : a.x) + q;
    long long x = x_major ? mx : mn, y = x_major ? mn : mx;
    dash.phase = i;
    if (x < INT_MIN || x > INT_MAX || y < INT_MIN || y > INT_MAX) continue;
    int xi = static_cast<int>(x), yi = static_cast<int>(y);
    if (!s.Contains(xi, yi) || !InClip(clip, xi, yi)) continue;
    if (dash.On()) {
      SetPixelRop(s, xi, yi, pen.color, code);
    } else if (pen.gap_opaque) {
      SetPixelRop(s, xi, yi, pen.gap_color, code);
    }
  }
}

double SegmentDistance2(double px, double py, double ax, double ay, double bx, double by) {
  double vx = bx - ax, vy = by - ay;
  double len2 = vx * vx + vy * vy;
  double t = len2 > 0 ? ((px - ax) * vx + (py - ay) * vy) / len2 : 0;
  t = std::clamp(t, 0.0, 1.0);
  double qx = ax + t * vx - px, qy = ay + t * vy - py;
  return qx * qx + qy * qy;
}

}  // namespace

void StrokePath(Surface& s, const ClipList& clip, const std::vector<POINT>& pts, bool closed, const PenInk& pen,
                uint8_t code) {
  if (pen.null || pts.size() < 2 || clip.empty()) return;
  RECT box = RectIntersect(ClipBox(clip), s.Bounds());
  if (RectEmpty(box)) return;
  size_t n = pts.size();
  size_t segments = closed ? n : n - 1;
  if (pen.width <= 1) {
    DashState dash{&DashPattern(pen.style)};
    for (int r : *dash.runs) dash.total += r;
    for (size_t i = 0; i < segments; ++i) {
      POINT a = pts[i], b = pts[(i + 1) % n];
      ThinLine(s, clip, box, a, b, pen, code, dash);
      // The dash pattern runs on along the path.
      dash.offset += std::max(std::llabs(static_cast<long long>(b.x) - a.x),
                              std::llabs(static_cast<long long>(b.y) - a.y));
    }
    return;
  }
  // Wide pens: every pixel within width/2 of the path, gathered once so that
  // overlapping joints are painted once.
  double half = pen.width / 2.0;
  long long pad = pen.width / 2 + 1;
  auto bounds_of = [pad](POINT a, POINT b) {
    return RECT{static_cast<LONG>(std::clamp<long long>(std::min<long long>(a.x, b.x) - pad, INT_MIN, INT_MAX)),
                static_cast<LONG>(std::clamp<long long>(std::min<long long>(a.y, b.y) - pad, INT_MIN, INT_MAX)),
                static_cast<LONG>(std::clamp<long long>(std::max<long long>(a.x, b.x) + pad + 1, INT_MIN, INT_MAX)),
                static_cast<LONG>(std::clamp<long long>(std::max<long long>(a.y, b.y) + pad + 1, INT_MIN, INT_MAX))};
  };
  RECT reach{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
  for (size_t i = 0; i < segments; ++i) {
    RECT b = RectIntersect(bounds_of(pts[i], pts[(i + 1) % n]), box);
    if (RectEmpty(b)) continue;
    reach = RECT{std::min(reach.left, b.left), std::min(reach.top, b.top), std::max(reach.right, b.right),
                 std::max(reach.bottom, b.bottom)};
  }
  Mask m(reach);
  if (m.empty()) return;
  for (size_t i = 0; i < segments; ++i) {
    const POINT& a = pts[i];
    const POINT& b = pts[(i + 1) % n];
    RECT sb = RectIntersect(bounds_of(a, b), m.box);
    for (int y = sb.top; y < sb.bottom; ++y)
      for (int x = sb.left; x < sb.right; ++x)
        if (SegmentDistance2(x + 0.5, y + 0.5, a.x + 0.5, a.y + 0.5, b.x + 0.5, b.y + 0.5) <= half * half) m.Set(x, y);
  }
  FillMask(s, clip, m, Pattern::Solid(pen.color), code);
}

bool ShapeBox::Inside(double x, double y) const {
  if (x < l || x >= r || y < t || y >= b) return false;
  switch (kind) {
    case ShapeKind::kRect:
      return true;
    case ShapeKind::kEllipse: {
      double rx = (r - l) / 2, ry = (b - t) / 2;
      if (rx <= 0 || ry <= 0) return false;
      double u = (x - (l + rx)) / rx, v = (y - (t + ry)) / ry;
      return u * u + v * v <= 1.0;
    }
    case ShapeKind::kRoundRect: {
      double rx = std::min(ew, r - l) / 2, ry = std::min(eh, b - t) / 2;
      if (rx <= 0 || ry <= 0) return true;
      double cx = x < l + rx ? l + rx : (x > r - rx ? r - rx : x);
      double cy = y < t + ry ? t + ry : (y > b - ry ? b - ry : y);
      if (cx == x || cy == y) return true;  // not in a corner zone
      double u = (x - cx) / rx, v = (y - cy) / ry;
      return u * u + v * v <= 1.0;
    }
  }
  return false;
}

ShapeBox ShapeBox::Shrunk(double by) const {
  ShapeBox s = *this;
  s.l += by;
  s.t += by;
  s.r -= by;
  s.b -= by;
  s.ew = std::max(0.0, ew - 2 * by);
  s.eh = std::max(0.0, eh - 2 * by);
  return s;
}

void AddShape(Mask& m, const ShapeBox& outer, const ShapeBox* inner) {
  if (m.empty()) return;
  long long y0 = std::max<long long>(m.box.top, static_cast<long long>(std::floor(outer.t)));
  long long y1 = std::min<long long>(m.box.bottom, static_cast<long long>(std::ceil(outer.b)));
  long long x0 = std::max<long long>(m.box.left, static_cast<long long>(std::floor(outer.l)));
  long long x1 = std::min<long long>(m.box.right, static_cast<long long>(std::ceil(outer.r)));
  for (long long y = y0; y < y1; ++y)
    for (long long x = x0; x < x1; ++x) {
      double px = static_cast<double>(x) + 0.5, py = static_cast<double>(y) + 0.5;
      if (!outer.Inside(px, py)) continue;
      if (inner != nullptr && inner->Inside(px, py)) continue;
      m.Set(static_cast<int>(x), static_cast<int>(y));
    }
}

void AddPolygon(Mask& m, const std::vector<POINT>& pts) {
  if (m.empty() || pts.size() < 3) return;
  size_t n = pts.size();
  std::vector<double> xs;
  for (int y = m.box.top; y < m.box.bottom; ++y) {
    double py = y + 0.5;
    xs.clear();
    for (size_t i = 0; i < n; ++i) {
      const POINT& a = pts[i];
      const POINT& b = pts[(i + 1) % n];
      double ay = a.y + 0.5, by = b.y + 0.5;
      if ((ay <= py && by > py) || (by <= py && ay > py)) {
        double t = (py - ay) / (by - ay);
        xs.push_back(a.x + 0.5 + t * (static_cast<double>(b.x) - a.x));
      }
    }
    std::sort(xs.begin(), xs.end());
    for (size_t k = 0; k + 1 < xs.size(); k += 2) {
      // Pixel centres from xs[k] up to (not including) xs[k+1].
      double from = std::max<double>(xs[k], m.box.left), to = std::min<double>(xs[k + 1], m.box.right);
      for (long long x = static_cast<long long>(std::ceil(from - 0.5)); x + 0.5 < to; ++x) m.Set(static_cast<int>(x), y);
    }
  }
}

}  // namespace qvp::gdi
