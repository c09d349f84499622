// The GDI object table: pens, brushes, fonts, bitmaps, palettes, regions,
// device contexts and icons under process-wide handles of their own (not the
// kernel's handle table).
//
// One recursive lock guards the table and every object's state; each public GDI
// call holds it for its whole run (Guard). Handles are never reused, so a stale
// handle is refused rather than reaching a newer object.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "gdi/region.h"
#include "gdi/surface.h"
#include "qvplatform/gdi.h"

namespace qvp::gdi {

using ::qvp::PaintKind;
using ::qvp::PaintLog;
using ::qvp::PaintRecord;

enum class Kind {
  kPen = OBJ_PEN,
  kBrush = OBJ_BRUSH,
  kDC = OBJ_DC,
  kPalette = OBJ_PAL,
  kFont = OBJ_FONT,
  kBitmap = OBJ_BITMAP,
  kRegion = OBJ_REGION,
  kMemDC = OBJ_MEMDC,
  kIcon = 100,  // not a GDI object type on Windows: GetObjectType answers 0
};

class GdiObject {
 public:
  explicit GdiObject(Kind k) : kind(k) {}
  virtual ~GdiObject() = default;
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;

  Kind kind;
  HGDIOBJ handle = nullptr;
  bool stock = false;  // owned by the layer: DeleteObject ignores it
  int selected = 0;    // how many DCs have it selected now
};

class PenObj : public GdiObject {
 public:
  PenObj() : GdiObject(Kind::kPen) {}
  LOGPEN lp{};
  int Style() const { return static_cast<int>(lp.lopnStyle & PS_STYLE_MASK); }
  int Width() const { return lp.lopnWidth.x < 1 ? 1 : lp.lopnWidth.x; }
};

class BrushObj : public GdiObject {
 public:
  BrushObj() : GdiObject(Kind::kBrush) {}
  UINT style = BS_SOLID;
  COLORREF color = 0;
  int hatch = 0;
  int sys_color = -1;                // a GetSysColorBrush brush follows this system colour
  std::shared_ptr<Surface> pattern;  // BS_PATTERN: a copy of the bitmap
  bool mono_pattern = false;         // pattern from a monochrome bitmap: text/background colours
  HBITMAP pattern_handle = nullptr;  // as given to CreatePatternBrush (GetObject reports it)
  COLORREF Color() const;
};

struct FontMetrics {
  int em = 0;  // device pixels
  int height = 0;
  int ascent = 0;
  int descent = 0;
  int internal_leading = 0;
  int ave = 0;
  int max_width = 0;
  int weight = FW_NORMAL;
  bool fixed = false;
  int widths[256] = {};
  // The request the metrics answer, in device pixels (lfHeight and lfWidth).
  int device_height = 0;
  int device_width = 0;
};

class FontObj : public GdiObject {
 public:
  FontObj() : GdiObject(Kind::kFont) {}
  LOGFONTA lf{};
  std::string Face() const;
};

class BitmapObj : public GdiObject {
 public:
  BitmapObj() : GdiObject(Kind::kBitmap) {}
  std::shared_ptr<Surface> surface;
  bool dib_section = false;
  BITMAPINFOHEADER bih{};   // DIB sections: the header as made (height keeps its sign)
  const void* owner = nullptr;  // the memory DC it is selected into
  PaintLog log;
};

class PaletteObj : public GdiObject {
 public:
  PaletteObj() : GdiObject(Kind::kPalette) {}
  std::vector<PALETTEENTRY> entries;
};

class RegionObj : public GdiObject {
 public:
  RegionObj() : GdiObject(Kind::kRegion) {}
  Region rgn;
};

class IconObj : public GdiObject {
 public:
  IconObj() : GdiObject(Kind::kIcon) {}
  bool is_icon = true;
  POINT hotspot{};
  std::shared_ptr<Surface> mask;   // monochrome; twice the height when there is no colour image
  std::shared_ptr<Surface> color;  // null for a monochrome icon
};

std::recursive_mutex& Lock();
using Guard = std::lock_guard<std::recursive_mutex>;

// Inserts an object and returns its new handle (also stored in object->handle).
HGDIOBJ Insert(std::shared_ptr<GdiObject> object);
std::shared_ptr<GdiObject> Lookup(const void* handle);
template <class T>
std::shared_ptr<T> LookupAs(const void* handle, Kind kind) {
  std::shared_ptr<GdiObject> o = Lookup(handle);
  if (!o || o->kind != kind) return nullptr;
  return std::static_pointer_cast<T>(o);
}
// Drops the table's reference; false when the handle is not in the table.
bool Remove(const void* handle);

// Stock objects by GetStockObject index; null for an unknown index.
std::shared_ptr<GdiObject> StockObject(int index);
// The 1x1 monochrome bitmap every new memory DC starts with.
std::shared_ptr<BitmapObj> DefaultBitmap();

// COLORREF with the palette flags: PALETTEINDEX resolves through `palette`
// (when given), PALETTERGB drops the flag. Result has no flag bits.
COLORREF ResolveColor(COLORREF color, const PaletteObj* palette);

}  // namespace qvp::gdi
