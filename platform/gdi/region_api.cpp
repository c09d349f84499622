// Region objects and the DC's clip region.
#include "gdi/clip.h"
#include "gdi/dc.h"
#include "gdi/gdi_error.h"

using namespace qvp::gdi;

namespace qvp::gdi {

int SelectClip(DcObj& dc, const Region* rgn) {
  if (rgn == nullptr) {
    dc.st.has_clip = false;
    dc.st.clip = Region();
  } else {
    dc.st.has_clip = true;
    dc.st.clip = *rgn;
    dc.st.clip.Offset(dc.origin.x, dc.origin.y);
  }
  Region eff(dc.VisibleRect());
  if (dc.st.has_clip) eff.Intersect(dc.st.clip);
  return eff.Type();
}

}  // namespace qvp::gdi

namespace {

int ClipTypeAfter(DcObj& dc) {
  Region eff(dc.VisibleRect());
  eff.Intersect(dc.st.clip);
  return eff.Type();
}

// Starts an explicit clip region from the whole visible area when there is none.
void EnsureClip(DcObj& dc) {
  if (!dc.st.has_clip) {
    dc.st.has_clip = true;
    dc.st.clip = Region(dc.VisibleRect());
  }
}

}  // namespace

HRGN CreateRectRgn(int x1, int y1, int x2, int y2) {
  auto r = std::make_shared<RegionObj>();
  r->rgn = Region(RECT{x1, y1, x2, y2});
  return static_cast<HRGN>(Insert(r));
}

HRGN CreateRectRgnIndirect(const RECT* lprect) {
  if (lprect == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  return CreateRectRgn(lprect->left, lprect->top, lprect->right, lprect->bottom);
}

int CombineRgn(HRGN hrgnDst, HRGN hrgnSrc1, HRGN hrgnSrc2, int iMode) {
  Guard g(Lock());
  auto dst = LookupAs<RegionObj>(hrgnDst, Kind::kRegion);
  auto a = LookupAs<RegionObj>(hrgnSrc1, Kind::kRegion);
  auto b = iMode == RGN_COPY ? a : LookupAs<RegionObj>(hrgnSrc2, Kind::kRegion);
  if (!dst || !a || !b) {
    SetError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  Region r = a->rgn;
  switch (iMode) {
    case RGN_AND: r.Intersect(b->rgn); break;
    case RGN_OR: r.Union(b->rgn); break;
    case RGN_XOR: r.Xor(b->rgn); break;
    case RGN_DIFF: r.Subtract(b->rgn); break;
    case RGN_COPY: break;
    default:
      SetError(ERROR_INVALID_PARAMETER);
      return ERROR;
  }
  dst->rgn = std::move(r);
  return dst->rgn.Type();
}

int GetRgnBox(HRGN hrgn, LPRECT lprc) {
  Guard g(Lock());
  auto r = LookupAs<RegionObj>(hrgn, Kind::kRegion);
  if (!r || lprc == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return ERROR;
  }
  *lprc = r->rgn.Box();
  return r->rgn.Type();
}

int OffsetRgn(HRGN hrgn, int x, int y) {
  Guard g(Lock());
  auto r = LookupAs<RegionObj>(hrgn, Kind::kRegion);
  if (!r) {
    SetError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  r->rgn.Offset(x, y);
  return r->rgn.Type();
}

BOOL PtInRegion(HRGN hrgn, int x, int y) {
  Guard g(Lock());
  auto r = LookupAs<RegionObj>(hrgn, Kind::kRegion);
  return r && r->rgn.Contains(x, y) ? TRUE : FALSE;
}

int SelectClipRgn(HDC hdc, HRGN hrgn) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return ERROR;
  if (hrgn == nullptr) return SelectClip(*dc, nullptr);
  auto r = LookupAs<RegionObj>(hrgn, Kind::kRegion);
  if (!r) {
    SetError(ERROR_INVALID_HANDLE);
    return ERROR;
  }
  return SelectClip(*dc, &r->rgn);
}

int IntersectClipRect(HDC hdc, int left, int top, int right, int bottom) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return ERROR;
  EnsureClip(*dc);
  dc->st.clip.Intersect(dc->ToSurface(RECT{left, top, right, bottom}));
  return ClipTypeAfter(*dc);
}

int ExcludeClipRect(HDC hdc, int left, int top, int right, int bottom) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return ERROR;
  EnsureClip(*dc);
  dc->st.clip.Subtract(dc->ToSurface(RECT{left, top, right, bottom}));
  return ClipTypeAfter(*dc);
}

int GetClipBox(HDC hdc, LPRECT lprect) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc || lprect == nullptr) return ERROR;
  Region eff(dc->VisibleRect());
  if (dc->st.has_clip) eff.Intersect(dc->st.clip);
  RECT b = eff.Box();
  POINT a = dc->DeviceToLogical(POINT{b.left - dc->origin.x, b.top - dc->origin.y});
  POINT c = dc->DeviceToLogical(POINT{b.right - dc->origin.x, b.bottom - dc->origin.y});
  *lprect = RectNormalize(RECT{a.x, a.y, c.x, c.y});
  return eff.Type();
}
