// The progress bar ("msctls_progress32"): a position within a range, shown as
// a row of blocks (a continuous bar with PBS_SMOOTH) in a sunken frame.
// PBM_SETPOS and PBM_DELTAPOS stay within the range; PBM_STEPIT starts over
// from the beginning when it passes the end.
#include <algorithm>

#include "ui/comctl/comctl_classes.h"
#include "ui/comctl/comctl_common.h"

namespace qvp::ui::comctl {
namespace {

struct ProgressState : ControlBase {
  int low = 0;
  int high = 100;
  int pos = 0;
  int step = 10;
  COLORREF bar = CLR_DEFAULT;
  COLORREF back = CLR_DEFAULT;
};

WindowSlot<ProgressState>& States() { return SlotOf<ProgressState>(); }

int Clamp(const ProgressState& s, long long v) {
  return static_cast<int>(std::clamp<long long>(v, std::min(s.low, s.high), std::max(s.low, s.high)));
}

LRESULT Move(ProgressState& s, long long to) {
  const int old = s.pos;
  s.pos = Clamp(s, to);
  if (s.pos != old) s.Repaint();
  return old;
}

LRESULT SetRange(ProgressState& s, int low, int high) {
  const LRESULT old = MAKELONG(static_cast<WORD>(s.low), static_cast<WORD>(s.high));
  s.low = low;
  s.high = high;
  s.pos = Clamp(s, s.pos);
  s.Repaint();
  return old;
}

// One step; past the end the position starts again from the beginning.
LRESULT StepIt(ProgressState& s) {
  const int old = s.pos;
  const long long span = static_cast<long long>(s.high) - s.low;
  long long next = static_cast<long long>(s.pos) + s.step;
  if (span > 0) {
    if (next > s.high) next = s.low + (next - s.high) % span;
    if (next < s.low) next = s.high - (s.low - next) % span;
  }
  s.pos = Clamp(s, next);
  s.Repaint();
  return old;
}

void Paint(ProgressState& s, HDC hdc) {
  RECT r{};
  GetClientRect(s.self, &r);
  DrawEdge(hdc, &r, BDR_SUNKENOUTER, BF_RECT | BF_ADJUST);
  FillSolid(hdc, r, Resolve(s.back, COLOR_BTNFACE));
  const long long span = static_cast<long long>(s.high) - s.low;
  if (span <= 0) return;
  const bool vertical = (s.Style() & PBS_VERTICAL) != 0;
  const int length = vertical ? r.bottom - r.top : r.right - r.left;
  const int filled = static_cast<int>(length * (static_cast<long long>(s.pos) - s.low) / span);
  const COLORREF color = Resolve(s.bar, COLOR_HIGHLIGHT);
  if (s.Style() & PBS_SMOOTH) {
    RECT bar = vertical ? RECT{r.left, r.bottom - filled, r.right, r.bottom} : RECT{r.left, r.top, r.left + filled, r.bottom};
    FillSolid(hdc, bar, color);
    return;
  }
  const int thick = vertical ? r.right - r.left : r.bottom - r.top;
  const int block = std::max(2, thick * 2 / 3);
  for (int at = 0; at < filled; at += block + 2) {
    const int end = std::min(filled, at + block);
    RECT b = vertical ? RECT{r.left, r.bottom - end, r.right, r.bottom - at} : RECT{r.left + at, r.top, r.left + end, r.bottom};
    FillSolid(hdc, b, color);
  }
}

LRESULT Dispatch(ProgressState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
    case WM_ERASEBKGND:
      return s.Common(hwnd, msg, wp, lp);
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { Paint(s, hdc); });
    case PBM_SETRANGE:
      return SetRange(s, static_cast<WORD>(LOWORD(lp)), static_cast<WORD>(HIWORD(lp)));
    case PBM_SETRANGE32:
      return SetRange(s, static_cast<int>(wp), static_cast<int>(lp));
    case PBM_GETRANGE: {
      if (auto* range = reinterpret_cast<PBRANGE*>(lp)) *range = PBRANGE{s.low, s.high};
      return wp ? s.low : s.high;
    }
    case PBM_SETPOS:
      return Move(s, static_cast<int>(wp));
    case PBM_DELTAPOS:
      return Move(s, static_cast<long long>(s.pos) + static_cast<int>(wp));
    case PBM_GETPOS:
      return s.pos;
    case PBM_SETSTEP: {
      const int old = s.step;
      s.step = static_cast<int>(wp);
      return old;
    }
    case PBM_STEPIT:
      return StepIt(s);
    case PBM_SETBARCOLOR: {
      const COLORREF old = s.bar;
      s.bar = static_cast<COLORREF>(lp);
      s.Repaint();
      return old;
    }
    case CCM_SETBKCOLOR: {
      const COLORREF old = s.back;
      s.back = static_cast<COLORREF>(lp);
      s.Repaint();
      return old;
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

LRESULT CALLBACK ProgressWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return RunCommonControl(States(), hwnd, msg, wp, lp, Dispatch);
}

}  // namespace qvp::ui::comctl
