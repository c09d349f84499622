#include "gdi/window_dc.h"

#include <algorithm>
#include <cstring>
#include <map>

#include "gdi/dc.h"
#include "gdi/gdi_error.h"

namespace qvp {
namespace gdi {

std::map<HWND, std::shared_ptr<PaintTarget>>& Targets() {
  static auto* targets = new std::map<HWND, std::shared_ptr<PaintTarget>>;
  return *targets;
}

std::shared_ptr<PaintTarget> FindTarget(HWND hwnd) {
  auto& t = Targets();
  auto it = t.find(hwnd);
  return it == t.end() ? nullptr : it->second;
}

namespace {

// A 32-bit surface of at least w x h, keeping the old pixels.
bool GrowSurface(PaintTarget& target, int w, int h) {
  Surface* old = target.surface.get();
  if (old != nullptr && old->width() >= w && old->height() >= h) return true;
  SurfaceFormat f;
  f.width = std::max(w, old ? old->width() : 1);
  f.height = std::max(h, old ? old->height() : 1);
  f.bpp = 32;
  f.order = RowOrder::kTopDown;
  std::shared_ptr<Surface> s = Surface::Create(std::move(f));
  if (!s) return false;
  if (old != nullptr) {
    size_t row = static_cast<size_t>(old->width()) * 4;
    for (int y = 0; y < old->height(); ++y) std::memcpy(s->Row(y), old->Row(y), row);
  }
  target.surface = std::move(s);
  return true;
}

}  // namespace
}  // namespace gdi

using namespace gdi;

HDC CreateWindowDC(HWND hwnd, int width, int height, POINT origin) {
  if (width < 0 || height < 0 || origin.x < 0 || origin.y < 0) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  long long right = static_cast<long long>(origin.x) + std::max(width, 1);
  long long bottom = static_cast<long long>(origin.y) + std::max(height, 1);
  if (right > 0x7FFF || bottom > 0x7FFF) {
    SetError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  Guard g(Lock());
  std::shared_ptr<PaintTarget>& target = Targets()[hwnd];
  if (!target) {
    target = std::make_shared<PaintTarget>();
    target->hwnd = hwnd;
  }
  if (!GrowSurface(*target, static_cast<int>(right), static_cast<int>(bottom))) {
    SetError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  std::shared_ptr<DcObj> dc = NewDC(hwnd == nullptr ? DcKind::kDisplay : DcKind::kWindow);
  dc->hwnd = hwnd;
  dc->target = target;
  dc->origin = origin;
  dc->extent = SIZE{width, height};
  return static_cast<HDC>(dc->handle);
}

bool ReleaseWindowDC(HDC hdc) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc || (dc->dc_kind != DcKind::kWindow && dc->dc_kind != DcKind::kDisplay)) return false;
  DestroyDC(dc);
  return true;
}

void DestroyWindowPaintTarget(HWND hwnd) {
  Guard g(Lock());
  Targets().erase(hwnd);
}

HWND WindowFromWindowDC(HDC hdc) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  return dc ? dc->hwnd : nullptr;
}

}  // namespace qvp
