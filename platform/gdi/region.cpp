#include "gdi/region.h"

#include <algorithm>
#include <climits>

namespace qvp::gdi {

bool RectEmpty(const RECT& r) { return r.left >= r.right || r.top >= r.bottom; }

RECT RectIntersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
         std::min(a.bottom, b.bottom)};
  if (RectEmpty(r)) return RECT{0, 0, 0, 0};
  return r;
}

RECT RectNormalize(RECT r) {
  if (r.left > r.right) std::swap(r.left, r.right);
  if (r.top > r.bottom) std::swap(r.top, r.bottom);
  return r;
}

Region::Region(const RECT& r) {
  RECT n = RectNormalize(r);
  if (!RectEmpty(n)) rects_.push_back(n);
}

int Region::Type() const {
  if (rects_.empty()) return NULLREGION;
  return rects_.size() == 1 ? SIMPLEREGION : COMPLEXREGION;
}

RECT Region::Box() const {
  if (rects_.empty()) return RECT{0, 0, 0, 0};
  RECT b = rects_[0];
  for (const RECT& r : rects_) {
    b.left = std::min(b.left, r.left);
    b.top = std::min(b.top, r.top);
    b.right = std::max(b.right, r.right);
    b.bottom = std::max(b.bottom, r.bottom);
  }
  return b;
}

bool Region::Contains(int x, int y) const {
  for (const RECT& r : rects_)
    if (x >= r.left && x < r.right && y >= r.top && y < r.bottom) return true;
  return false;
}

void Region::Intersect(const RECT& clip) {
  std::vector<RECT> out;
  for (const RECT& r : rects_) {
    RECT i = RectIntersect(r, clip);
    if (!RectEmpty(i)) out.push_back(i);
  }
  rects_ = std::move(out);
}

void Region::Intersect(const Region& other) {
  std::vector<RECT> out;
  for (const RECT& a : rects_)
    for (const RECT& b : other.rects_) {
      RECT i = RectIntersect(a, b);
      if (!RectEmpty(i)) out.push_back(i);
    }
  rects_ = std::move(out);
}

void Region::Subtract(const RECT& cut) {
  std::vector<RECT> out;
  for (const RECT& r : rects_) {
    RECT i = RectIntersect(r, cut);
    if (RectEmpty(i)) {
      out.push_back(r);
      continue;
    }
    // Up to four pieces: above, below, left and right of the cut.
    if (r.top < i.top) out.push_back(RECT{r.left, r.top, r.right, i.top});
    if (i.bottom < r.bottom) out.push_back(RECT{r.left, i.bottom, r.right, r.bottom});
    if (r.left < i.left) out.push_back(RECT{r.left, i.top, i.left, i.bottom});
    if (i.right < r.right) out.push_back(RECT{i.right, i.top, r.right, i.bottom});
  }
  rects_ = std::move(out);
}

void Region::Subtract(const Region& other) {
  for (const RECT& r : other.rects_) Subtract(r);
}

void Region::Union(const Region& other) {
  Region extra = other;
  extra.Subtract(*this);
  rects_.insert(rects_.end(), extra.rects_.begin(), extra.rects_.end());
}

void Region::Xor(const Region& other) {
  Region a = *this;
  a.Subtract(other);
  Region b = other;
  b.Subtract(*this);
  rects_ = std::move(a.rects_);
  rects_.insert(rects_.end(), b.rects_.begin(), b.rects_.end());
}

void Region::Offset(int dx, int dy) {
  auto add = [](LONG v, int d) {
    long long s = static_cast<long long>(v) + d;
    return static_cast<LONG>(std::clamp<long long>(s, INT_MIN, INT_MAX));
  };
  for (RECT& r : rects_) {
    r.left = add(r.left, dx);
    r.right = add(r.right, dx);
    r.top = add(r.top, dy);
    r.bottom = add(r.bottom, dy);
  }
  std::vector<RECT> kept;
  for (const RECT& r : rects_)
    if (!RectEmpty(r)) kept.push_back(r);
  rects_ = std::move(kept);
}

}  // namespace qvp::gdi
