// SelectObject, DeleteObject, GetObjectA and the other calls on any GDI object.
#include <algorithm>
#include <cstring>

#include "gdi/clip.h"
#include "gdi/dc.h"
#include "gdi/gdi_error.h"

using namespace qvp::gdi;

namespace {

HGDIOBJ SelectBitmap(DcObj& dc, const std::shared_ptr<BitmapObj>& bmp) {
  if (dc.dc_kind != DcKind::kMemory) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  // A bitmap lives in one memory DC at a time.
  if (bmp->owner != nullptr && bmp->owner != &dc) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  HGDIOBJ old = dc.st.bitmap ? dc.st.bitmap->handle : nullptr;
  if (dc.st.bitmap == bmp) return old;
  if (dc.st.bitmap && dc.st.bitmap->owner == &dc) dc.st.bitmap->owner = nullptr;
  if (!bmp->stock) bmp->owner = &dc;
  Reselect(dc.st.bitmap, bmp);
  return old;
}

int CopyOut(LPVOID pv, int c, const void* data, int size) {
  if (pv == nullptr) return size;
  if (c <= 0) return 0;
  int n = std::min(c, size);
  std::memcpy(pv, data, static_cast<size_t>(n));
  return n;
}

BITMAP BitmapInfoOf(const BitmapObj& b) {
  BITMAP bm{};
  const Surface* s = b.surface.get();
  if (s == nullptr) return bm;
  bm.bmType = 0;
  bm.bmWidth = s->width();
  bm.bmHeight = s->height();
  bm.bmWidthBytes = s->stride();
  bm.bmPlanes = 1;
  bm.bmBitsPixel = static_cast<WORD>(s->bpp());
  bm.bmBits = b.dib_section ? const_cast<uint8_t*>(s->bits()) : nullptr;
  return bm;
}

}  // namespace

HGDIOBJ GetStockObject(int i) {
  std::shared_ptr<GdiObject> o = StockObject(i);
  return o ? o->handle : nullptr;
}

HGDIOBJ SelectObject(HDC hdc, HGDIOBJ h) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return nullptr;
  std::shared_ptr<GdiObject> o = Lookup(h);
  if (!o) {
    SetError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  DcState& st = dc->st;
  switch (o->kind) {
    case Kind::kPen: {
      HGDIOBJ old = st.pen ? st.pen->handle : nullptr;
      Reselect(st.pen, std::static_pointer_cast<PenObj>(o));
      return old;
    }
    case Kind::kBrush: {
      HGDIOBJ old = st.brush ? st.brush->handle : nullptr;
      Reselect(st.brush, std::static_pointer_cast<BrushObj>(o));
      return old;
    }
    case Kind::kFont: {
      HGDIOBJ old = st.font ? st.font->handle : nullptr;
      Reselect(st.font, std::static_pointer_cast<FontObj>(o));
      return old;
    }
    case Kind::kBitmap:
      return SelectBitmap(*dc, std::static_pointer_cast<BitmapObj>(o));
    case Kind::kRegion: {
      int type = SelectClip(*dc, &std::static_pointer_cast<RegionObj>(o)->rgn);
      return reinterpret_cast<HGDIOBJ>(static_cast<LONG_PTR>(type));
    }
    default:
      // Palettes go through SelectPalette; DCs and icons cannot be selected.
      SetError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}

BOOL DeleteObject(HGDIOBJ ho) {
  Guard g(Lock());
  std::shared_ptr<GdiObject> o = Lookup(ho);
  if (!o) {
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (o->kind == Kind::kDC || o->kind == Kind::kMemDC || o->kind == Kind::kIcon) {
    SetError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  if (o->stock) return TRUE;
  // An object still selected into a DC is not deleted.
  bool selected = o->selected > 0;
  if (o->kind == Kind::kBitmap && static_cast<BitmapObj&>(*o).owner != nullptr) selected = true;
  if (selected) return FALSE;
  Remove(ho);
  return TRUE;
}

int GetObjectA(HANDLE h, int c, LPVOID pv) {
  Guard g(Lock());
  std::shared_ptr<GdiObject> o = Lookup(h);
  if (!o) {
    SetError(ERROR_INVALID_HANDLE);
    return 0;
  }
  switch (o->kind) {
    case Kind::kPen: {
      LOGPEN lp = static_cast<PenObj&>(*o).lp;
      return CopyOut(pv, c, &lp, sizeof lp);
    }
    case Kind::kBrush: {
      auto& b = static_cast<BrushObj&>(*o);
      LOGBRUSH lb{};
      lb.lbStyle = b.style;
      lb.lbColor = b.Color();
      lb.lbHatch = b.style == BS_HATCHED ? static_cast<ULONG_PTR>(b.hatch)
                                         : reinterpret_cast<ULONG_PTR>(b.pattern_handle);
      return CopyOut(pv, c, &lb, sizeof lb);
    }
    case Kind::kFont: {
      LOGFONTA lf = static_cast<FontObj&>(*o).lf;
      return CopyOut(pv, c, &lf, sizeof lf);
    }
    case Kind::kPalette: {
      WORD n = static_cast<WORD>(static_cast<PaletteObj&>(*o).entries.size());
      return CopyOut(pv, c, &n, sizeof n);
    }
    case Kind::kBitmap: {
      auto& b = static_cast<BitmapObj&>(*o);
      if (pv == nullptr) return b.dib_section ? static_cast<int>(sizeof(DIBSECTION)) : static_cast<int>(sizeof(BITMAP));
      if (b.dib_section && c >= static_cast<int>(sizeof(DIBSECTION))) {
        DIBSECTION ds{};
        ds.dsBm = BitmapInfoOf(b);
        ds.dsBmih = b.bih;
        ds.dsBmih.biSizeImage = static_cast<DWORD>(b.surface->size_bytes());
        if (b.bih.biCompression == BI_BITFIELDS)
          for (int i = 0; i < 3; ++i) ds.dsBitfields[i] = b.surface->format().masks[i];
        std::memcpy(pv, &ds, sizeof ds);
        return sizeof ds;
      }
      if (c >= static_cast<int>(sizeof(BITMAP))) {
        BITMAP bm = BitmapInfoOf(b);
        std::memcpy(pv, &bm, sizeof bm);
        return sizeof bm;
      }
      SetError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    default:
      SetError(ERROR_INVALID_PARAMETER);
      return 0;
  }
}

DWORD GetObjectType(HGDIOBJ h) {
  std::shared_ptr<GdiObject> o = Lookup(h);
  if (!o || o->kind == Kind::kIcon) {
    SetError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return static_cast<DWORD>(o->kind);
}

HGDIOBJ GetCurrentObject(HDC hdc, UINT type) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return nullptr;
  const DcState& st = dc->st;
  switch (type) {
    case OBJ_PEN: return st.pen ? st.pen->handle : nullptr;
    case OBJ_BRUSH: return st.brush ? st.brush->handle : nullptr;
    case OBJ_FONT: return st.font ? st.font->handle : nullptr;
    case OBJ_PAL: return st.palette ? st.palette->handle : nullptr;
    case OBJ_BITMAP: return st.bitmap ? st.bitmap->handle : nullptr;
    default:
      SetError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}
