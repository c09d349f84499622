// The status bar ("msctls_statusbar32"): a strip along the parent's bottom
// edge (top with CCS_TOP) divided into parts, each with a text, or one simple
// text across the whole bar; with SBARS_SIZEGRIP a size grip in the corner.
// It takes its place at creation and whenever it receives WM_SIZE.
#include <algorithm>
#include <string>
#include <vector>

#include "ui/comctl/comctl_classes.h"
#include "ui/comctl/comctl_common.h"
#include "ui/comctl/size_grip.h"

namespace qvp::ui::comctl {
namespace {

constexpr int kBorder = 2;  // between parts, and around the texts
constexpr int kMaxParts = 256;

struct Part {
  int right = -1;  // client x of the right edge; -1: to the end of the bar
  std::string text;
  WORD type = 0;   // SBT_* drawing flags
};

struct StatusState : ControlBase {
  std::vector<Part> parts{Part{}};
  bool simple = false;
  Part simple_part;
  int min_height = 0;

  bool grip() const { return (Style() & SBARS_SIZEGRIP) != 0; }
};

WindowSlot<StatusState>& States() { return SlotOf<StatusState>(); }

int GripWidth(const StatusState& s) { return s.grip() ? GetSystemMetrics(SM_CXVSCROLL) : 0; }

int Height(const StatusState& s) { return std::max(s.min_height, LineHeight(s.Font()) + 2 * kBorder + 3); }

void Place(StatusState& s) { PlaceAlongParent(s.self, s.Style(), Height(s), CCS_BOTTOM); }

RECT PartRect(const StatusState& s, int i) {
  RECT client{};
  GetClientRect(s.self, &client);
  const int end = client.right - GripWidth(s);
  if (s.simple) return RECT{0, kBorder, end, client.bottom};
  const int left = i == 0 ? 0 : s.parts[static_cast<size_t>(i) - 1].right + kBorder;
  int right = s.parts[static_cast<size_t>(i)].right;
  if (right < 0 || right > end) right = end;
  return RECT{std::min(left, right), kBorder, right, client.bottom};
}

Part* PartOf(StatusState& s, WPARAM wp) {
  const int i = LOBYTE(wp);
  if (i == SB_SIMPLEID) return &s.simple_part;
  return i < static_cast<int>(s.parts.size()) ? &s.parts[static_cast<size_t>(i)] : nullptr;
}

// Text with tabs: what follows the first tab is centred, what follows the second right-aligned.
void DrawPartText(HDC hdc, const std::string& text, RECT r) {
  const UINT aligns[] = {DT_LEFT, DT_CENTER, DT_RIGHT};
  size_t start = 0;
  for (int k = 0; k < 3 && start <= text.size(); ++k) {
    const size_t tab = k < 2 ? text.find('\t', start) : std::string::npos;
    const std::string piece = text.substr(start, tab == std::string::npos ? std::string::npos : tab - start);
    DrawLabel(hdc, piece, r, aligns[k]);
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
}

void Paint(StatusState& s, HDC hdc) {
  RECT client{};
  GetClientRect(s.self, &client);
  FillSolid(hdc, client, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ old_font = SelectObject(hdc, s.Font());
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
  const int n = s.simple ? 1 : static_cast<int>(s.parts.size());
  for (int i = 0; i < n; ++i) {
    const Part& p = s.simple ? s.simple_part : s.parts[static_cast<size_t>(i)];
    RECT r = PartRect(s, i);
    if (!(p.type & SBT_NOBORDERS)) DrawEdge(hdc, &r, (p.type & SBT_POPOUT) ? BDR_RAISEDINNER : BDR_SUNKENOUTER, BF_RECT);
    if (p.type & SBT_OWNERDRAW) {
      DRAWITEMSTRUCT dis{};
      dis.CtlID = s.Id();
      dis.itemID = static_cast<UINT>(i);
      dis.hwndItem = s.self;
      dis.hDC = hdc;
      dis.rcItem = r;
      dis.itemData = 0;
      const int saved = SaveDC(hdc);
      if (s.notify) SendMessageA(s.notify, WM_DRAWITEM, dis.CtlID, reinterpret_cast<LPARAM>(&dis));
      RestoreDC(hdc, saved);
      continue;
    }
    DrawPartText(hdc, p.text, RECT{r.left + kBorder + 1, r.top, r.right - kBorder, r.bottom});
  }
  if (s.grip() && !IsZoomed(GetParent(s.self))) DrawSizeGrip(hdc, client);
  SelectObject(hdc, old_font);
}

LRESULT TextInfo(const Part& p) {
  return MAKELONG(static_cast<WORD>(p.text.size()), p.type);
}

LRESULT Dispatch(StatusState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE: {
      const auto* cs = reinterpret_cast<const CREATESTRUCTA*>(lp);
      s.Attach(hwnd, cs);
      if (cs && cs->lpszName) s.parts[0].text = cs->lpszName;
      Place(s);
      return 0;
    }
    case WM_SIZE:
      Place(s);
      s.Repaint();
      return 0;
    case WM_SETFONT:
    case WM_GETFONT:
      return s.Common(hwnd, msg, wp, lp);
    case WM_SETTEXT:
      s.parts[0].text = TextIn(reinterpret_cast<LPCSTR>(lp));
      s.Repaint();
      return TRUE;
    case WM_GETTEXT:
      return CopyOut(s.parts[0].text, reinterpret_cast<LPSTR>(lp), static_cast<int>(wp));
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(s.parts[0].text.size());
    case WM_ERASEBKGND:
      return s.Common(hwnd, msg, wp, lp);
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { Paint(s, hdc); });

    case SB_SETTEXTA: {
      Part* p = PartOf(s, wp);
      if (!p) return FALSE;
      p->type = static_cast<WORD>(wp & 0xFF00);
      p->text = TextIn(reinterpret_cast<LPCSTR>(lp));
      s.Repaint();
      return TRUE;
    }
    case SB_GETTEXTA: {
      Part* p = PartOf(s, wp);
      if (!p) return 0;
      // The caller's buffer is as long as SB_GETTEXTLENGTHA said.
      if (auto* out = reinterpret_cast<LPSTR>(lp)) CopyOut(p->text, out, static_cast<int>(p->text.size()) + 1);
      return TextInfo(*p);
    }
    case SB_GETTEXTLENGTHA: {
      Part* p = PartOf(s, wp);
      return p ? TextInfo(*p) : 0;
    }
    case SB_SETPARTS: {
      const auto* rights = reinterpret_cast<const int*>(lp);
      const int n = static_cast<int>(wp);
      if (!rights || n <= 0 || n > kMaxParts) return FALSE;
      s.parts.resize(static_cast<size_t>(n));
      for (int i = 0; i < n; ++i) s.parts[static_cast<size_t>(i)].right = rights[i];
      s.Repaint();
      return TRUE;
    }
    case SB_GETPARTS: {
      auto* out = reinterpret_cast<int*>(lp);
      if (out)
        for (size_t i = 0; i < std::min(static_cast<size_t>(wp), s.parts.size()); ++i) out[i] = s.parts[i].right;
      return static_cast<LRESULT>(s.parts.size());
    }
    case SB_GETBORDERS: {
      if (auto* out = reinterpret_cast<int*>(lp)) {
        out[0] = 0;
        out[1] = kBorder;
        out[2] = kBorder;
      }
      return TRUE;
    }
    case SB_SETMINHEIGHT:
      s.min_height = static_cast<int>(wp);
      return 0;
    case SB_SIMPLE:
      s.simple = wp != 0;
      s.Repaint();
      return 0;
    case SB_ISSIMPLE:
      return s.simple ? TRUE : FALSE;
    case SB_GETRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      const int i = static_cast<int>(wp);
      if (!r || i < 0 || i >= static_cast<int>(s.parts.size())) return FALSE;
      *r = PartRect(s, i);
      return TRUE;
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

LRESULT CALLBACK StatusBarWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return RunCommonControl(States(), hwnd, msg, wp, lp, Dispatch);
}

}  // namespace qvp::ui::comctl
