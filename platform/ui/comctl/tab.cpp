// The tab strip ("SysTabControl32"): one row of tabs above a display area.
// A user's click on another tab (or an arrow key) sends TCN_SELCHANGING - a
// nonzero answer keeps the current tab - and then TCN_SELCHANGE. Selecting from
// code (TCM_SETCURSEL) notifies nobody. The first tab inserted becomes the
// selected one.
#include <algorithm>
#include <string>
#include <vector>

#include "ui/comctl/comctl_classes.h"
#include "ui/comctl/comctl_common.h"

namespace qvp::ui::comctl {
namespace {

constexpr int kPadding = 6;   // each side of a tab's label
constexpr int kTop = 2;       // room above the row for the selected tab to stand out
constexpr int kMargin = 4;    // between the frame and the display area
constexpr int kButtonGap = 3;  // between buttons of TCS_BUTTONS

struct TabItem {
  std::string text;
  int image = -1;
  LPARAM param = 0;
  DWORD state = 0;
};

struct TabState : ControlBase {
  std::vector<TabItem> items;
  int cur = -1;
  HIMAGELIST images = nullptr;
  bool focused = false;
  bool pressed = false;

  int count() const { return static_cast<int>(items.size()); }
  bool valid(int i) const { return i >= 0 && i < count(); }
  bool buttons() const { return (Style() & TCS_BUTTONS) != 0; }
};

WindowSlot<TabState>& States() { return SlotOf<TabState>(); }

SIZE ImageSize(const TabState& s) {
  int cx = 0, cy = 0;
  if (s.images && ImageList_GetIconSize(s.images, &cx, &cy)) return SIZE{cx, cy};
  return SIZE{0, 0};
}

int TabHeight(const TabState& s) { return std::max<int>(LineHeight(s.Font()), ImageSize(s).cy) + 6; }

int TabWidth(const TabState& s, const TabItem& item) {
  int w = TextWidth(s.Font(), item.text) + 2 * kPadding;
  if (item.image >= 0 && s.images) w += ImageSize(s).cx + 4;
  return w;
}

RECT ItemRect(const TabState& s, int i) {
  const int top = s.buttons() ? 0 : kTop;
  int x = s.buttons() ? 0 : 2;
  for (int k = 0; k < i; ++k) x += TabWidth(s, s.items[static_cast<size_t>(k)]) + (s.buttons() ? kButtonGap : 0);
  return RECT{x, top, x + TabWidth(s, s.items[static_cast<size_t>(i)]), top + TabHeight(s)};
}

// The display area for a window rectangle (larger false), or the reverse.
void AdjustRect(const TabState& s, bool larger, RECT* r) {
  const int row = s.buttons() ? TabHeight(s) + kButtonGap : kTop + TabHeight(s) + kMargin;
  const int side = s.buttons() ? 0 : kMargin;
  const int sign = larger ? -1 : 1;
  r->left += sign * side;
  r->right -= sign * side;
  r->top += sign * row;
  r->bottom -= sign * side;
}

int HitTest(const TabState& s, TCHITTESTINFO* info) {
  info->flags = TCHT_NOWHERE;
  for (int i = 0; i < s.count(); ++i) {
    const RECT r = ItemRect(s, i);
    if (!Inside(r, info->pt)) continue;
    const bool on_icon = s.items[static_cast<size_t>(i)].image >= 0 && s.images &&
                         info->pt.x < r.left + kPadding + ImageSize(s).cx;
    info->flags = on_icon ? TCHT_ONITEMICON : TCHT_ONITEMLABEL;
    return i;
  }
  return -1;
}

// A user's choice of tab: asked first, then told.
void UserSelect(TabState& s, int i) {
  if (!s.valid(i) || i == s.cur) return;
  if (s.Notify(TCN_SELCHANGING)) return;
  if (!s.valid(i)) return;
  s.cur = i;
  s.Repaint();
  s.Notify(TCN_SELCHANGE);
}

void Paint(TabState& s, HDC hdc) {
  RECT client{};
  GetClientRect(s.self, &client);
  FillSolid(hdc, client, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ old_font = SelectObject(hdc, s.Font());
  SetBkMode(hdc, TRANSPARENT);
  if (!s.buttons()) {
    RECT frame{client.left, kTop + TabHeight(s), client.right, client.bottom};
    DrawEdge(hdc, &frame, EDGE_RAISED, BF_RECT | BF_SOFT);
  }
  const SIZE icon = ImageSize(s);
  for (int i = 0; i < s.count(); ++i) {
    const TabItem& item = s.items[static_cast<size_t>(i)];
    RECT r = ItemRect(s, i);
    const bool selected = i == s.cur;
    if (s.buttons()) {
      DrawEdge(hdc, &r, selected ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    } else {
      if (selected) {
        // The selected tab stands out and joins the display area.
        r = RECT{r.left - 2, r.top - 2, r.right + 2, r.bottom + 1};
        FillSolid(hdc, r, GetSysColor(COLOR_BTNFACE));
      }
      DrawEdge(hdc, &r, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT | BF_SOFT);
    }
    RECT label{r.left + kPadding, r.top, r.right - kPadding, r.bottom};
    if (item.image >= 0 && s.images) {
      ImageList_Draw(s.images, item.image, hdc, label.left, r.top + (r.bottom - r.top - icon.cy) / 2, ILD_TRANSPARENT);
      label.left += icon.cx + 4;
    }
    SetTextColor(hdc, GetSysColor(IsWindowEnabled(s.self) ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
    DrawLabel(hdc, item.text, label, DT_CENTER);
    if (selected && s.focused) {
      RECT focus{r.left + 3, r.top + 3, r.right - 3, r.bottom - 2};
      DrawFocusRect(hdc, &focus);
    }
  }
  SelectObject(hdc, old_font);
}

LRESULT GetItem(const TabState& s, int i, TCITEMA* ti) {
  if (!ti || !s.valid(i)) return FALSE;
  const TabItem& item = s.items[static_cast<size_t>(i)];
  if (ti->mask & TCIF_TEXT) CopyOut(item.text, ti->pszText, ti->cchTextMax);
  if (ti->mask & TCIF_IMAGE) ti->iImage = item.image;
  if (ti->mask & TCIF_PARAM) ti->lParam = item.param;
  if (ti->mask & TCIF_STATE) ti->dwState = item.state & ti->dwStateMask;
  return TRUE;
}

void Apply(TabItem& item, const TCITEMA& ti) {
  if (ti.mask & TCIF_TEXT) item.text = TextIn(ti.pszText);
  if (ti.mask & TCIF_IMAGE) item.image = ti.iImage;
  if (ti.mask & TCIF_PARAM) item.param = ti.lParam;
  if (ti.mask & TCIF_STATE) item.state = (item.state & ~ti.dwStateMask) | (ti.dwState & ti.dwStateMask);
}

LRESULT Dispatch(TabState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
    case WM_SETFONT:
    case WM_GETFONT:
      return s.Common(hwnd, msg, wp, lp);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      s.focused = msg == WM_SETFOCUS;
      s.Repaint();
      return 0;
    case WM_ERASEBKGND:
      return s.Common(hwnd, msg, wp, lp);
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { Paint(s, hdc); });
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      TCHITTESTINFO hit{};
      hit.pt = PointOf(lp);
      const int i = HitTest(s, &hit);
      if (i < 0) return 0;
      if (!(s.Style() & TCS_FOCUSNEVER) && GetFocus() != hwnd) SetFocus(hwnd);
      s.pressed = true;
      UserSelect(s, i);
      return 0;
    }
    case WM_LBUTTONUP:
      if (s.pressed) {
        s.pressed = false;
        s.Notify(NM_CLICK);
      }
      return 0;
    case WM_RBUTTONUP:
      s.Notify(NM_RCLICK);
      return 0;
    case WM_KEYDOWN: {
      NMTCKEYDOWN nm{};
      nm.wVKey = static_cast<WORD>(wp);
      nm.flags = static_cast<UINT>(HIWORD(lp));
      s.Notify(TCN_KEYDOWN, &nm.hdr);
      if (!IsWindow(hwnd) || s.count() == 0) return 0;
      int to = s.cur;
      if (wp == VK_LEFT || wp == VK_UP) to = std::max(0, s.cur - 1);
      if (wp == VK_RIGHT || wp == VK_DOWN) to = std::min(s.count() - 1, s.cur + 1);
      if (wp == VK_HOME) to = 0;
      if (wp == VK_END) to = s.count() - 1;
      UserSelect(s, to);
      return 0;
    }

    case TCM_GETITEMCOUNT:
      return s.count();
    case TCM_INSERTITEMA: {
      const auto* ti = reinterpret_cast<const TCITEMA*>(lp);
      const int index = static_cast<int>(wp);
      if (!ti || index < 0) return -1;
      const int at = std::min(index, s.count());
      TabItem item;
      Apply(item, *ti);
      s.items.insert(s.items.begin() + at, std::move(item));
      if (s.cur < 0) s.cur = 0;
      else if (s.cur >= at) ++s.cur;
      s.Repaint();
      return at;
    }
    case TCM_DELETEITEM: {
      const int i = static_cast<int>(wp);
      if (!s.valid(i)) return FALSE;
      s.items.erase(s.items.begin() + i);
      FollowErase(s.cur, i);
      s.Repaint();
      return TRUE;
    }
    case TCM_DELETEALLITEMS:
      s.items.clear();
      s.cur = -1;
      s.Repaint();
      return TRUE;
    case TCM_GETITEMA:
      return GetItem(s, static_cast<int>(wp), reinterpret_cast<TCITEMA*>(lp));
    case TCM_SETITEMA: {
      const auto* ti = reinterpret_cast<const TCITEMA*>(lp);
      const int i = static_cast<int>(wp);
      if (!ti || !s.valid(i)) return FALSE;
      Apply(s.items[static_cast<size_t>(i)], *ti);
      s.Repaint();
      return TRUE;
    }
    case TCM_GETCURSEL:
    case TCM_GETCURFOCUS:
      return s.cur;
    case TCM_SETCURSEL: {
      const int i = static_cast<int>(wp);
      if (!s.valid(i)) return -1;
      const int old = s.cur;
      s.cur = i;
      if (old != i) s.Repaint();
      return old;
    }
    case TCM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(s.images);
    case TCM_SETIMAGELIST: {
      HIMAGELIST old = s.images;
      s.images = reinterpret_cast<HIMAGELIST>(lp);
      s.Repaint();
      return reinterpret_cast<LRESULT>(old);
    }
    case TCM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      const int i = static_cast<int>(wp);
      if (!r || !s.valid(i)) return FALSE;
      *r = ItemRect(s, i);
      return TRUE;
    }
    case TCM_HITTEST: {
      auto* info = reinterpret_cast<TCHITTESTINFO*>(lp);
      return info ? HitTest(s, info) : -1;
    }
    case TCM_ADJUSTRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      if (r) AdjustRect(s, wp != 0, r);
      return 0;
    }
    case TCM_GETROWCOUNT:
      return 1;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

LRESULT CALLBACK TabWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return RunCommonControl(States(), hwnd, msg, wp, lp, Dispatch);
}

}  // namespace qvp::ui::comctl
