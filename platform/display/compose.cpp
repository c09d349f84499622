#include "display/compose.h"

#include <algorithm>
#include <vector>

#include "gdi/window_dc.h"
#include "qvplatform/gdi.h"
#include "ui/window_state.h"

namespace qvp::display {
namespace {

constexpr int kMaxSide = 0x7FFF;

using Area = std::vector<RECT>;  // rectangles that do not overlap

struct Layer {
  HWND hwnd = nullptr;
  RECT window{};  // image coordinates
  RECT client{};
  Area visible;   // what of the window shows, image coordinates
};

bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

Area Intersect(const Area& area, const RECT& r) {
  Area out;
  for (const RECT& a : area)
    if (RECT i = Intersect(a, r); !Empty(i)) out.push_back(i);
  return out;
}

// The area without `cut`: each rectangle leaves up to four pieces.
Area Subtract(const Area& area, const RECT& cut) {
  Area out;
  for (const RECT& a : area) {
    RECT i = Intersect(a, cut);
    if (Empty(i)) {
      out.push_back(a);
      continue;
    }
    if (a.top < i.top) out.push_back(RECT{a.left, a.top, a.right, i.top});
    if (i.bottom < a.bottom) out.push_back(RECT{a.left, i.bottom, a.right, a.bottom});
    if (a.left < i.left) out.push_back(RECT{a.left, i.top, i.left, i.bottom});
    if (i.right < a.right) out.push_back(RECT{i.right, i.top, a.right, i.bottom});
  }
  return out;
}

RECT Offset(const RECT& r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

// `origin`: where the parent's client area starts in the image. Siblings are
// composed in the order Windows paints them, the top of the z-order first, so
// that a later (lower) sibling shows over an earlier one it overlaps unless it
// clips its siblings (WS_CLIPSIBLINGS), as on the screen of Windows.
void Collect(const ui::Window* w, POINT origin, const Area& clip, std::vector<Layer>* out) {
  Layer l;
  l.hwnd = w->handle;
  l.window = Offset(w->window_rect, origin.x, origin.y);
  l.client = Offset(w->client_rect, origin.x, origin.y);
  l.visible = Intersect(clip, l.window);
  out->push_back(l);
  Area inner = Intersect(l.visible, l.client);
  if (inner.empty()) return;
  Area above;
  for (const ui::Window* c : w->children) {
    if (!(c->style & WS_VISIBLE) || c->gone) continue;
    Area child_clip = inner;
    if (c->style & WS_CLIPSIBLINGS)
      for (const RECT& a : above) child_clip = Subtract(child_clip, a);
    above.push_back(Offset(c->window_rect, l.client.left, l.client.top));
    if (!child_clip.empty()) Collect(c, POINT{l.client.left, l.client.top}, child_clip, out);
  }
}

}  // namespace

bool ComposeWindow(HWND hwnd, Image* out) {
  std::vector<Layer> layers;
  {
    ui::WindowSystem& s = ui::Sys();
    ui::Lock g(s.lock);
    ui::Window* w = ui::FindLocked(hwnd);
    if (!w || w->is_root) return false;
    LONG width = w->window_rect.right - w->window_rect.left, height = w->window_rect.bottom - w->window_rect.top;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) return false;
    out->width = width;
    out->height = height;
    Collect(w, POINT{-w->window_rect.left, -w->window_rect.top}, Area{RECT{0, 0, width, height}}, &layers);
  }
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const uint32_t fill = (static_cast<uint32_t>(GetRValue(face)) << 16) | (static_cast<uint32_t>(GetGValue(face)) << 8) |
                        GetBValue(face);
  out->pixels.assign(static_cast<size_t>(out->width) * static_cast<size_t>(out->height), fill);
  for (const Layer& l : layers) {
    SIZE whole{l.window.right - l.window.left, l.window.bottom - l.window.top};
    SIZE client{l.client.right - l.client.left, l.client.bottom - l.client.top};
    for (const RECT& part : l.visible) {
      qvp::CopyWindowPixels(l.hwnd, true, whole, out->pixels.data(), out->width, out->height,
                            POINT{l.window.left, l.window.top}, part);
      qvp::CopyWindowPixels(l.hwnd, false, client, out->pixels.data(), out->width, out->height,
                            POINT{l.client.left, l.client.top}, Intersect(part, l.client));
    }
  }
  return true;
}

}  // namespace qvp::display
