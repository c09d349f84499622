#include "gdi/window_dc.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>

#include "gdi/dc.h"
#include "gdi/gdi_error.h"

namespace qvp {
namespace gdi {

using TargetMap = std::map<HWND, std::shared_ptr<PaintTarget>>;

TargetMap& Targets() {
  static auto* targets = new TargetMap;
  return *targets;
}

std::shared_ptr<PaintTarget> FindTarget(HWND hwnd) {
  auto& t = Targets();
  auto it = t.find(hwnd);
  return it == t.end() ? nullptr : it->second;
}

namespace {

TargetMap& FrameTargets() {
  static auto* targets = new TargetMap;
  return *targets;
}

std::atomic<WindowDamageHook> g_damage_hook{nullptr};

constexpr uint32_t kUnpainted = 0xFF000000u;

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
  // Pixels start out unpainted: the top byte marks them, every drawing call clears it.
  for (int y = 0; y < s->height(); ++y) {
    auto* row = reinterpret_cast<uint32_t*>(s->Row(y));
    std::fill(row, row + s->width(), kUnpainted);
  }
  if (old != nullptr) {
    size_t row = static_cast<size_t>(old->width()) * 4;
    for (int y = 0; y < old->height(); ++y) std::memcpy(s->Row(y), old->Row(y), row);
  }
  target.surface = std::move(s);
  return true;
}

HDC MakeWindowDC(TargetMap& map, HWND hwnd, int width, int height, POINT origin) {
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
  std::shared_ptr<PaintTarget>& target = map[hwnd];
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

}  // namespace
}  // namespace gdi

using namespace gdi;

HDC CreateWindowDC(HWND hwnd, int width, int height, POINT origin) {
  return MakeWindowDC(Targets(), hwnd, width, height, origin);
}

HDC CreateWindowFrameDC(HWND hwnd, int width, int height) {
  if (hwnd == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return MakeWindowDC(FrameTargets(), hwnd, width, height, POINT{0, 0});
}

bool ReleaseWindowDC(HDC hdc) {
  HWND hwnd = nullptr;
  {
    Guard g(Lock());
    std::shared_ptr<DcObj> dc = LookupDC(hdc);
    if (!dc || (dc->dc_kind != DcKind::kWindow && dc->dc_kind != DcKind::kDisplay)) return false;
    hwnd = dc->hwnd;
    DestroyDC(dc);
  }
  WindowDamageHook hook = g_damage_hook.load(std::memory_order_acquire);
  if (hook && hwnd) hook(hwnd);
  return true;
}

void DestroyWindowPaintTarget(HWND hwnd) {
  Guard g(Lock());
  Targets().erase(hwnd);
  FrameTargets().erase(hwnd);
}

HWND WindowFromWindowDC(HDC hdc) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  return dc ? dc->hwnd : nullptr;
}

void SetWindowDamageHook(WindowDamageHook hook) { g_damage_hook.store(hook, std::memory_order_release); }

bool CopyWindowPixels(HWND hwnd, bool frame, SIZE size, uint32_t* image, int image_width, int image_height, POINT at,
                      RECT clip) {
  Guard g(Lock());
  TargetMap& map = frame ? FrameTargets() : Targets();
  auto it = map.find(hwnd);
  if (it == map.end() || !it->second->surface) return false;
  const Surface& s = *it->second->surface;
  // Only what the surface has, only inside the image and the clip.
  long long left = std::max<long long>({clip.left, at.x, 0});
  long long top = std::max<long long>({clip.top, at.y, 0});
  long long right = std::min<long long>({clip.right, static_cast<long long>(at.x) + std::min(size.cx, s.width()),
                                         image_width});
  long long bottom = std::min<long long>({clip.bottom, static_cast<long long>(at.y) + std::min(size.cy, s.height()),
                                          image_height});
  for (long long y = top; y < bottom; ++y) {
    const auto* src = reinterpret_cast<const uint32_t*>(s.Row(static_cast<int>(y - at.y)));
    uint32_t* dst = image + static_cast<size_t>(y) * static_cast<size_t>(image_width);
    for (long long x = left; x < right; ++x) {
      uint32_t v = src[x - at.x];
      if (!(v & kUnpainted)) dst[x] = v;  // what the window never painted shows what is under it
    }
  }
  return true;
}

}  // namespace qvp
