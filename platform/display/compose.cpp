#include "display/compose.h"

#include <algorithm>

#include "gdi/window_dc.h"
#include "qvplatform/gdi.h"
#include "ui/window_state.h"

namespace qvp::display {
namespace {

constexpr int kMaxSide = 0x7FFF;

struct Layer {
  HWND hwnd = nullptr;
  RECT window{};  // image coordinates
  RECT client{};
  RECT clip{};    // what of the window is visible, image coordinates
};

RECT Intersect(const RECT& a, const RECT& b) {
  RECT r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right), std::min(a.bottom, b.bottom)};
  if (r.right < r.left) r.right = r.left;
  if (r.bottom < r.top) r.bottom = r.top;
  return r;
}

RECT Offset(const RECT& r, LONG dx, LONG dy) { return RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy}; }

// `origin`: where the parent's client area starts in the image.
void Collect(const ui::Window* w, POINT origin, const RECT& clip, std::vector<Layer>* out) {
  Layer l;
  l.hwnd = w->handle;
  l.window = Offset(w->window_rect, origin.x, origin.y);
  l.client = Offset(w->client_rect, origin.x, origin.y);
  l.clip = Intersect(clip, l.window);
  out->push_back(l);
  RECT inner = Intersect(l.clip, l.client);
  if (inner.right <= inner.left || inner.bottom <= inner.top) return;
  // Children are kept top of the z-order first: paint from the bottom up.
  for (auto it = w->children.rbegin(); it != w->children.rend(); ++it)
    if (((*it)->style & WS_VISIBLE) && !(*it)->gone) Collect(*it, POINT{l.client.left, l.client.top}, inner, out);
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
    Collect(w, POINT{-w->window_rect.left, -w->window_rect.top}, RECT{0, 0, width, height}, &layers);
  }
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  const uint32_t fill = (static_cast<uint32_t>(GetRValue(face)) << 16) | (static_cast<uint32_t>(GetGValue(face)) << 8) |
                        GetBValue(face);
  out->pixels.assign(static_cast<size_t>(out->width) * static_cast<size_t>(out->height), fill);
  for (const Layer& l : layers) {
    SIZE whole{l.window.right - l.window.left, l.window.bottom - l.window.top};
    SIZE client{l.client.right - l.client.left, l.client.bottom - l.client.top};
    qvp::CopyWindowPixels(l.hwnd, true, whole, out->pixels.data(), out->width, out->height,
                          POINT{l.window.left, l.window.top}, l.clip);
    qvp::CopyWindowPixels(l.hwnd, false, client, out->pixels.data(), out->width, out->height,
                          POINT{l.client.left, l.client.top}, Intersect(l.clip, l.client));
  }
  return true;
}

}  // namespace qvp::display
