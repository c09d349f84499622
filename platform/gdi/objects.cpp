#include "gdi/objects.h"

#include <cstring>
#include <unordered_map>

#include "gdi/sys_colors.h"

namespace qvp::gdi {
namespace {

struct Table {
  std::unordered_map<uintptr_t, std::shared_ptr<GdiObject>> entries;
  // GDI handles live in a range of their own, apart from kernel handles.
  uintptr_t next = 0x40000000;
  std::shared_ptr<GdiObject> stock[DEFAULT_GUI_FONT + 1];
  std::shared_ptr<BitmapObj> default_bitmap;
};

Table& TheTable() {
  static Table* table = new Table;  // lives past static destructors of other modules
  return *table;
}

std::shared_ptr<FontObj> MakeFont(const char* face, LONG height, LONG weight, BYTE charset, BYTE pitch_family) {
  auto f = std::make_shared<FontObj>();
  f->lf.lfHeight = height;
  f->lf.lfWeight = weight;
  f->lf.lfCharSet = charset;
  f->lf.lfPitchAndFamily = pitch_family;
  std::strncpy(f->lf.lfFaceName, face, LF_FACESIZE - 1);
  return f;
}

std::shared_ptr<GdiObject> MakeStock(int index) {
  auto brush = [](COLORREF c, UINT style) {
    auto b = std::make_shared<BrushObj>();
    b->style = style;
    b->color = c;
    return b;
  };
  auto pen = [](COLORREF c, UINT style) {
    auto p = std::make_shared<PenObj>();
    p->lp.lopnStyle = style;
    p->lp.lopnWidth.x = 0;
    p->lp.lopnColor = c;
    return p;
  };
  switch (index) {
    case WHITE_BRUSH: return brush(RGB(255, 255, 255), BS_SOLID);
    case LTGRAY_BRUSH: return brush(RGB(192, 192, 192), BS_SOLID);
    case GRAY_BRUSH: return brush(RGB(128, 128, 128), BS_SOLID);
    case DKGRAY_BRUSH: return brush(RGB(64, 64, 64), BS_SOLID);
    case BLACK_BRUSH: return brush(RGB(0, 0, 0), BS_SOLID);
    case NULL_BRUSH: return brush(0, BS_NULL);
    case WHITE_PEN: return pen(RGB(255, 255, 255), PS_SOLID);
    case BLACK_PEN: return pen(RGB(0, 0, 0), PS_SOLID);
    case NULL_PEN: return pen(0, PS_NULL);
    case OEM_FIXED_FONT: return MakeFont("Terminal", 12, FW_NORMAL, OEM_CHARSET, FIXED_PITCH | FF_MODERN);
    case ANSI_FIXED_FONT: return MakeFont("Courier", 13, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN);
    case ANSI_VAR_FONT: return MakeFont("MS Sans Serif", 13, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS);
    case SYSTEM_FONT:
    case DEVICE_DEFAULT_FONT:
      return MakeFont("System", 16, FW_BOLD, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS);
    case SYSTEM_FIXED_FONT: return MakeFont("Fixedsys", 15, FW_NORMAL, ANSI_CHARSET, FIXED_PITCH | FF_MODERN);
    case DEFAULT_GUI_FONT: return MakeFont("MS Shell Dlg", -11, FW_NORMAL, ANSI_CHARSET, VARIABLE_PITCH | FF_SWISS);
    case DEFAULT_PALETTE: {
      // The 20 static colours of the system palette.
      static const COLORREF statics[20] = {
          RGB(0, 0, 0),       RGB(128, 0, 0),     RGB(0, 128, 0),   RGB(128, 128, 0),   RGB(0, 0, 128),
          RGB(128, 0, 128),   RGB(0, 128, 128),   RGB(192, 192, 192), RGB(192, 220, 192), RGB(166, 202, 240),
          RGB(255, 251, 240), RGB(160, 160, 164), RGB(128, 128, 128), RGB(255, 0, 0),     RGB(0, 255, 0),
          RGB(255, 255, 0),   RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255),   RGB(255, 255, 255)};
      auto p = std::make_shared<PaletteObj>();
      for (COLORREF c : statics) p->entries.push_back(PALETTEENTRY{GetRValue(c), GetGValue(c), GetBValue(c), 0});
      return p;
    }
    default:
      return nullptr;
  }
}

}  // namespace

std::recursive_mutex& Lock() {
  static std::recursive_mutex* lock = new std::recursive_mutex;
  return *lock;
}

HGDIOBJ Insert(std::shared_ptr<GdiObject> object) {
  Guard g(Lock());
  Table& t = TheTable();
  uintptr_t value = t.next;
  t.next += 4;
  object->handle = reinterpret_cast<HGDIOBJ>(value);
  t.entries.emplace(value, std::move(object));
  return reinterpret_cast<HGDIOBJ>(value);
}

std::shared_ptr<GdiObject> Lookup(const void* handle) {
  if (handle == nullptr) return nullptr;
  Guard g(Lock());
  Table& t = TheTable();
  auto it = t.entries.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.entries.end() ? nullptr : it->second;
}

bool Remove(const void* handle) {
  std::shared_ptr<GdiObject> dropped;
  Guard g(Lock());
  Table& t = TheTable();
  auto it = t.entries.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.entries.end()) return false;
  dropped = std::move(it->second);
  t.entries.erase(it);
  return true;
}

std::shared_ptr<GdiObject> StockObject(int index) {
  if (index < 0 || index > DEFAULT_GUI_FONT) return nullptr;
  Guard g(Lock());
  Table& t = TheTable();
  if (!t.stock[index]) {
    std::shared_ptr<GdiObject> o = MakeStock(index);
    if (!o) return nullptr;
    o->stock = true;
    Insert(o);
    t.stock[index] = std::move(o);
  }
  return t.stock[index];
}

std::shared_ptr<BitmapObj> DefaultBitmap() {
  Guard g(Lock());
  Table& t = TheTable();
  if (!t.default_bitmap) {
    auto b = std::make_shared<BitmapObj>();
    SurfaceFormat f;
    f.width = 1;
    f.height = 1;
    f.bpp = 1;
    f.row_align = 2;
    f.colors = MonochromeColors();
    b->surface = Surface::Create(std::move(f));
    b->stock = true;
    Insert(b);
    t.default_bitmap = std::move(b);
  }
  return t.default_bitmap;
}

COLORREF BrushObj::Color() const { return sys_color >= 0 ? SysColor(sys_color) : color; }

std::string FontObj::Face() const {
  return std::string(lf.lfFaceName, strnlen(lf.lfFaceName, LF_FACESIZE));
}

COLORREF ResolveColor(COLORREF color, const PaletteObj* palette) {
  switch (color >> 24) {
    case 0x01: {
      size_t i = color & 0xFFFF;
      if (palette != nullptr && i < palette->entries.size()) {
        const PALETTEENTRY& e = palette->entries[i];
        return RGB(e.peRed, e.peGreen, e.peBlue);
      }
      return 0;
    }
    default:
      return color & 0x00FFFFFFu;
  }
}

}  // namespace qvp::gdi
