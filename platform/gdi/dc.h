// Device contexts: their state, the coordinate mapping and the surface and
// paint log they draw on.
//
// Internally every drawing call works in surface coordinates: the logical
// point goes through the mapping mode and the window/viewport origins to a
// device point, and a window DC's origin then places it on the window's surface.
#pragma once

#include <memory>
#include <vector>

#include "gdi/font_metrics.h"
#include "gdi/objects.h"
#include "gdi/region.h"

namespace qvp::gdi {

enum class DcKind { kMemory, kWindow, kDisplay, kInfo };

// What a window DC draws on: the window's surface and paint log.
struct PaintTarget {
  HWND hwnd = nullptr;
  std::shared_ptr<Surface> surface;
  PaintLog log;
};

struct DcState {
  std::shared_ptr<PenObj> pen;
  std::shared_ptr<BrushObj> brush;
  std::shared_ptr<FontObj> font;
  std::shared_ptr<BitmapObj> bitmap;  // memory DCs
  std::shared_ptr<PaletteObj> palette;
  COLORREF text_color = RGB(0, 0, 0);
  COLORREF bk_color = RGB(255, 255, 255);
  int bk_mode = OPAQUE;
  int rop2 = R2_COPYPEN;
  int stretch_mode = BLACKONWHITE;
  UINT text_align = TA_LEFT | TA_TOP;
  int map_mode = MM_TEXT;
  POINT window_org{0, 0};
  POINT viewport_org{0, 0};
  SIZE window_ext{1, 1};
  SIZE viewport_ext{1, 1};
  POINT pos{0, 0};
  bool has_clip = false;
  Region clip;  // surface coordinates
};

class DcObj : public GdiObject {
 public:
  explicit DcObj(DcKind k) : GdiObject(k == DcKind::kMemory ? Kind::kMemDC : Kind::kDC), dc_kind(k) {}
  ~DcObj() override;

  DcKind dc_kind;
  HWND hwnd = nullptr;
  std::shared_ptr<PaintTarget> target;  // window and display DCs
  POINT origin{0, 0};                   // device (0,0) on the target surface
  SIZE extent{0, 0};                    // window and display DCs: the visible size
  DcState st;
  std::vector<DcState> saved;
  bool real_fonts = false;  // a printer's: text measured with the font files

  // The surface drawn on, or null (an information context).
  Surface* surface() const;
  PaintLog* log();
  bool CanDraw() const { return dc_kind != DcKind::kInfo && surface() != nullptr; }

  // Logical -> surface coordinates.
  POINT ToSurface(LONG x, LONG y) const;
  RECT ToSurface(const RECT& r) const;  // normalised
  // Logical lengths -> device pixels (absolute values).
  LONG ScaleX(LONG len) const;
  LONG ScaleY(LONG len) const;
  // Device pixel lengths -> logical lengths (absolute values).
  LONG UnscaleX(LONG len) const;
  LONG UnscaleY(LONG len) const;
  // Device (DC) <-> logical points.
  POINT LogicalToDevice(POINT p) const;
  POINT DeviceToLogical(POINT p) const;
  bool YAxisUp() const { return (st.viewport_ext.cy < 0) != (st.window_ext.cy < 0); }

  // The visible rectangle on the surface and the clip rectangles in effect.
  RECT VisibleRect() const;
  std::vector<RECT> ClipRects() const;
  RECT ClipBounds() const;

  // The selected font's metrics at this DC's scale.
  FontMetrics Metrics() const;
  COLORREF Resolve(COLORREF c) const { return ResolveColor(c, st.palette.get()); }
};

// Makes the DC measure text with the real fonts, whatever the layer's text model.
void UseRealFontMetrics(HDC hdc);

// Looks a DC up; null (and ERROR_INVALID_HANDLE) when the handle is not a DC.
std::shared_ptr<DcObj> LookupDC(HDC hdc);
// A new DC with the default objects selected (a memory DC gets the 1x1
// monochrome bitmap).
std::shared_ptr<DcObj> NewDC(DcKind kind);
// Releases everything the DC has selected and removes it from the table.
void DestroyDC(const std::shared_ptr<DcObj>& dc);

// Selection bookkeeping: the `selected` counts of old and new objects.
template <class T>
void Reselect(std::shared_ptr<T>& slot, std::shared_ptr<T> obj) {
  if (obj) ++obj->selected;
  if (slot) --slot->selected;
  slot = std::move(obj);
}

// Adds a record to a log, keeping at most the latest kPaintLogLimit records.
inline constexpr size_t kPaintLogLimit = 20000;
void AppendRecord(PaintLog& log, PaintRecord record);

__extension__ typedef __int128 Int128;

// Integer a * b / c rounded to nearest, clamped to the LONG range.
LONG MulDivRound(long long a, long long b, long long c);

}  // namespace qvp::gdi
