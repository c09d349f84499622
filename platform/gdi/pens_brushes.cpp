// Creating pens and brushes.
#include "gdi/gdi_error.h"
#include "gdi/objects.h"

using namespace qvp::gdi;

HPEN CreatePen(int iStyle, int cWidth, COLORREF color) {
  if (iStyle < PS_SOLID || iStyle > PS_INSIDEFRAME) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto p = std::make_shared<PenObj>();
  p->lp.lopnStyle = static_cast<UINT>(iStyle);
  // Pens wider than the largest surface side draw nothing more; keep the
  // arithmetic small.
  p->lp.lopnWidth.x = cWidth < 0 ? 0 : (cWidth > 0x7FFF ? 0x7FFF : cWidth);
  p->lp.lopnColor = color;
  return static_cast<HPEN>(Insert(p));
}

HPEN CreatePenIndirect(const LOGPEN* plpen) {
  if (plpen == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreatePen(static_cast<int>(plpen->lopnStyle), plpen->lopnWidth.x, plpen->lopnColor);
}

HBRUSH CreateSolidBrush(COLORREF color) {
  auto b = std::make_shared<BrushObj>();
  b->style = BS_SOLID;
  b->color = color;
  return static_cast<HBRUSH>(Insert(b));
}

HBRUSH CreateHatchBrush(int iHatch, COLORREF color) {
  if (iHatch < HS_HORIZONTAL || iHatch > HS_DIAGCROSS) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto b = std::make_shared<BrushObj>();
  b->style = BS_HATCHED;
  b->hatch = iHatch;
  b->color = color;
  return static_cast<HBRUSH>(Insert(b));
}

HBRUSH CreatePatternBrush(HBITMAP hbm) {
  Guard g(Lock());
  std::shared_ptr<BitmapObj> bmp = LookupAs<BitmapObj>(hbm, Kind::kBitmap);
  if (!bmp || !bmp->surface) {
    SetError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  // The brush keeps its own copy: the bitmap may be deleted afterwards.
  const Surface& src = *bmp->surface;
  SurfaceFormat f = src.format();
  std::shared_ptr<Surface> copy = Surface::Create(f);
  if (!copy) {
    SetError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  for (int y = 0; y < src.height(); ++y)
    for (int x = 0; x < src.width(); ++x) copy->SetRaw(x, y, src.GetRaw(x, y));
  auto b = std::make_shared<BrushObj>();
  b->style = BS_PATTERN;
  b->pattern = std::move(copy);
  b->mono_pattern = src.bpp() == 1 && !bmp->dib_section;
  b->pattern_handle = hbm;
  return static_cast<HBRUSH>(Insert(b));
}

HBRUSH CreateBrushIndirect(const LOGBRUSH* plbrush) {
  if (plbrush == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  switch (plbrush->lbStyle) {
    case BS_SOLID:
      return CreateSolidBrush(plbrush->lbColor);
    case BS_NULL: {
      auto b = std::make_shared<BrushObj>();
      b->style = BS_NULL;
      return static_cast<HBRUSH>(Insert(b));
    }
    case BS_HATCHED:
      return CreateHatchBrush(static_cast<int>(plbrush->lbHatch), plbrush->lbColor);
    case BS_PATTERN:
      return CreatePatternBrush(reinterpret_cast<HBITMAP>(plbrush->lbHatch));
    default:
      SetError(ERROR_INVALID_PARAMETER);
      return nullptr;
  }
}
