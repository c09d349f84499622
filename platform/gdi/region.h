// A region as a set of disjoint rectangles: what clipping and the HRGN calls use.
#pragma once

#include <vector>

#include "qvplatform/gdi.h"

namespace qvp::gdi {

bool RectEmpty(const RECT& r);
RECT RectIntersect(const RECT& a, const RECT& b);  // empty rectangle when they do not meet
RECT RectNormalize(RECT r);                        // left <= right, top <= bottom

class Region {
 public:
  Region() = default;
  explicit Region(const RECT& r);

  const std::vector<RECT>& rects() const { return rects_; }
  bool empty() const { return rects_.empty(); }
  // NULLREGION, SIMPLEREGION or COMPLEXREGION.
  int Type() const;
  RECT Box() const;
  bool Contains(int x, int y) const;

  void Intersect(const Region& other);
  void Intersect(const RECT& r);
  void Union(const Region& other);
  void Subtract(const Region& other);
  void Subtract(const RECT& r);
  void Xor(const Region& other);
  void Offset(int dx, int dy);

 private:
  std::vector<RECT> rects_;  // disjoint, none empty
};

}  // namespace qvp::gdi
