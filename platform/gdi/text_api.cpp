// TextOutA, ExtTextOutA, TabbedTextOutA and GetTabbedTextExtentA.
#include <algorithm>
#include <climits>
#include <cstdlib>

#include "gdi/gdi_error.h"
#include "gdi/text_out.h"

using namespace qvp::gdi;

namespace {

// The top-left corner of a text cell for reference point p (surface
// coordinates) under the DC's alignment.
POINT AlignedOrigin(const DcObj& dc, POINT p, int width, const FontMetrics& m) {
  UINT a = dc.st.text_align;
  long long x = p.x, y = p.y;
  if ((a & TA_CENTER) == TA_CENTER) {
    x -= width / 2;
  } else if (a & TA_RIGHT) {
    x -= width;
  }
  if ((a & TA_BASELINE) == TA_BASELINE) {
    y -= m.ascent;
  } else if (a & TA_BOTTOM) {
    y -= m.height;
  }
  return POINT{static_cast<LONG>(std::clamp<long long>(x, INT_MIN / 2, INT_MAX / 2)),
               static_cast<LONG>(std::clamp<long long>(y, INT_MIN / 2, INT_MAX / 2))};
}

// The reference point: the current position under TA_UPDATECP, else (x, y).
POINT ReferencePoint(const DcObj& dc, int x, int y) {
  if (dc.st.text_align & TA_UPDATECP) return dc.ToSurface(dc.st.pos.x, dc.st.pos.y);
  return dc.ToSurface(x, y);
}

void AdvanceCurrentPosition(DcObj& dc, int width) {
  if (!(dc.st.text_align & TA_UPDATECP)) return;
  UINT a = dc.st.text_align;
  if ((a & TA_CENTER) == TA_CENTER) return;
  LONG dx = dc.UnscaleX(width);
  long long x = dc.st.pos.x + static_cast<long long>((a & TA_RIGHT) ? -dx : dx);
  dc.st.pos.x = static_cast<LONG>(std::clamp<long long>(x, INT_MIN, INT_MAX));
}

TabStops MakeTabStops(const DcObj& dc, const FontMetrics& m, int nTabPositions, const INT* lpn, int origin_logical,
                      int origin_y) {
  TabStops tabs;
  tabs.origin = dc.ToSurface(origin_logical, origin_y).x;
  tabs.interval = 8 * m.ave;
  if (nTabPositions == 1 && lpn != nullptr) {
    int step = std::abs(lpn[0]);
    if (step > 0) tabs.interval = std::max<LONG>(1, dc.ScaleX(step));
  } else if (nTabPositions > 1 && lpn != nullptr) {
    for (int i = 0; i < nTabPositions; ++i) tabs.stops.push_back(dc.ScaleX(std::abs(lpn[i])));
  }
  return tabs;
}

}  // namespace

BOOL ExtTextOutA(HDC hdc, int x, int y, UINT options, const RECT* lprect, LPCSTR lpString, UINT c, const INT* lpDx) {
  Guard g(Lock());
  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return FALSE;
  if (c > 0 && lpString == nullptr) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DcObj& dc = *t.dc;
  RECT r{};
  if (lprect != nullptr) r = dc.ToSurface(*lprect);
  if ((options & ETO_OPAQUE) && lprect != nullptr) {
    COLORREF bk = dc.Resolve(dc.st.bk_color);
    FillRectPattern(*t.surface, t.clip, r, Pattern::Solid(bk), 0xF0);
    if (Visible(t, r)) {
      PaintRecord rec;
      rec.kind = PaintKind::kFill;
      rec.rect = r;
      rec.color = bk;
      rec.rop = PATCOPY;
      Record(dc, std::move(rec));
    }
  }
  if (c == 0) return TRUE;
  FontMetrics m = dc.Metrics();
  TextRun run;
  run.text.assign(lpString, c);
  if (lpDx != nullptr) {
    long long w = 0;
    run.dx.reserve(c);
    for (UINT i = 0; i < c; ++i) {
      w += lpDx[i];
      run.dx.push_back(static_cast<int>(std::clamp<LONG>(dc.ScaleX(lpDx[i]), 0, 0x3FFFFFFF)));
    }
    run.width = static_cast<int>(std::clamp<long long>(dc.ScaleX(static_cast<LONG>(std::clamp<long long>(w, 0, INT_MAX))), 0, 0x3FFFFFFF));
  } else {
    run.width = RunWidth(m, lpString, c);
  }
  run.pos = AlignedOrigin(dc, ReferencePoint(dc, x, y), run.width, m);
  if ((options & ETO_CLIPPED) && lprect != nullptr) {
    run.clipped = true;
    run.clip = r;
  }
  OutputText(t, m, run);
  AdvanceCurrentPosition(dc, run.width);
  return TRUE;
}

BOOL TextOutA(HDC hdc, int x, int y, LPCSTR lpString, int c) {
  if (c < 0 || (c > 0 && lpString == nullptr)) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return ExtTextOutA(hdc, x, y, 0, nullptr, lpString, static_cast<UINT>(c), nullptr);
}

namespace {

LONG TabbedText(HDC hdc, int x, int y, LPCSTR lpString, int chCount, int nTabPositions, const INT* lpn,
                int nTabOrigin, bool draw) {
  Guard g(Lock());
  DrawTarget t;
  if (draw) {
    if (!OpenDraw(hdc, &t)) return 0;
  } else {
    t.dc = LookupDC(hdc);
    if (!t.dc) return 0;
  }
  if (chCount < 0 || (chCount > 0 && lpString == nullptr)) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  DcObj& dc = *t.dc;
  FontMetrics m = dc.Metrics();
  std::string text(lpString == nullptr ? "" : lpString, static_cast<size_t>(chCount));
  TabStops tabs = MakeTabStops(dc, m, nTabPositions, lpn, nTabOrigin, y);
  POINT ref = draw ? ReferencePoint(dc, x, y) : dc.ToSurface(x, y);
  std::vector<TextSegment> segs;
  int end = LayoutTabs(text, m, ref.x, tabs, &segs);
  int width = end - ref.x;
  if (draw) {
    POINT origin = AlignedOrigin(dc, ref, width, m);
    for (const TextSegment& s : segs) {
      TextRun run;
      run.text = text.substr(s.begin, s.length);
      run.width = s.width;
      run.pos = POINT{origin.x + (s.x - ref.x), origin.y};
      OutputText(t, m, run);
    }
    AdvanceCurrentPosition(dc, width);
  }
  return MAKELONG(static_cast<WORD>(dc.UnscaleX(width)), static_cast<WORD>(dc.UnscaleY(m.height)));
}

}  // namespace

LONG TabbedTextOutA(HDC hdc, int x, int y, LPCSTR lpString, int chCount, int nTabPositions,
                    const INT* lpnTabStopPositions, int nTabOrigin) {
  return TabbedText(hdc, x, y, lpString, chCount, nTabPositions, lpnTabStopPositions, nTabOrigin, true);
}

DWORD GetTabbedTextExtentA(HDC hdc, LPCSTR lpString, int chCount, int nTabPositions,
                           const INT* lpnTabStopPositions) {
  return static_cast<DWORD>(TabbedText(hdc, 0, 0, lpString, chCount, nTabPositions, lpnTabStopPositions, 0, false));
}
