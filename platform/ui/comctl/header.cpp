// The column header ("SysHeader32"): a row of titled buttons. A user's click
// on one (with HDS_BUTTONS) sends HDN_ITEMCLICKA to the parent when the button
// is released over the same item; changing an item from code sends
// HDN_ITEMCHANGINGA (a nonzero answer refuses) and HDN_ITEMCHANGEDA.
#include <algorithm>
#include <string>
#include <vector>

#include "ui/comctl/comctl_classes.h"
#include "ui/comctl/comctl_common.h"

namespace qvp::ui::comctl {
namespace {

struct HeaderItem {
  std::string text;
  int width = 0;
  int fmt = HDF_LEFT | HDF_STRING;
  LPARAM param = 0;
  int image = 0;
};

struct HeaderState : ControlBase {
  std::vector<HeaderItem> items;
  int pressed = -1;

  int count() const { return static_cast<int>(items.size()); }
  bool valid(int i) const { return i >= 0 && i < count(); }
};

WindowSlot<HeaderState>& States() { return SlotOf<HeaderState>(); }

RECT ItemRect(const HeaderState& s, int i) {
  RECT client{};
  GetClientRect(s.self, &client);
  int x = 0;
  for (int k = 0; k < i; ++k) x += s.items[static_cast<size_t>(k)].width;
  return RECT{x, 0, x + s.items[static_cast<size_t>(i)].width, client.bottom};
}

int HitTest(const HeaderState& s, HDHITTESTINFO* info) {
  RECT client{};
  GetClientRect(s.self, &client);
  const POINT p = info->pt;
  info->flags = 0;
  info->iItem = -1;
  if (p.x < 0) info->flags |= HHT_TOLEFT;
  if (p.x >= client.right) info->flags |= HHT_TORIGHT;
  if (p.y < 0) info->flags |= HHT_ABOVE;
  if (p.y >= client.bottom) info->flags |= HHT_BELOW;
  if (info->flags) return -1;
  for (int i = 0; i < s.count(); ++i) {
    const RECT r = ItemRect(s, i);
    if (p.x >= r.left && p.x < r.right) {
      info->iItem = i;
      info->flags = HHT_ONHEADER;
      return i;
    }
  }
  info->flags = HHT_NOWHERE;
  return -1;
}

void Apply(HeaderItem& item, const HDITEMA& hd) {
  if (hd.mask & HDI_WIDTH) item.width = std::max(0, hd.cxy);
  if (hd.mask & HDI_TEXT) item.text = TextIn(hd.pszText);
  if (hd.mask & HDI_FORMAT) item.fmt = hd.fmt;
  if (hd.mask & HDI_LPARAM) item.param = hd.lParam;
  if (hd.mask & HDI_IMAGE) item.image = hd.iImage;
}

LRESULT SendItemNote(HeaderState& s, UINT code, int i, HDITEMA* hd) {
  NMHEADERA nm{};
  nm.iItem = i;
  nm.pitem = hd;
  return s.Notify(code, &nm.hdr);
}

void Paint(HeaderState& s, HDC hdc) {
  RECT client{};
  GetClientRect(s.self, &client);
  FillSolid(hdc, client, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ old_font = SelectObject(hdc, s.Font());
  SetBkMode(hdc, TRANSPARENT);
  SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
  for (int i = 0; i < s.count(); ++i) {
    RECT r = ItemRect(s, i);
    const bool down = i == s.pressed && (s.Style() & HDS_BUTTONS);
    DrawEdge(hdc, &r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT | (down ? BF_FLAT : 0));
    const HeaderItem& item = s.items[static_cast<size_t>(i)];
    UINT align = DT_LEFT;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_RIGHT) align = DT_RIGHT;
    if ((item.fmt & HDF_JUSTIFYMASK) == HDF_CENTER) align = DT_CENTER;
    const int shift = down ? 1 : 0;
    DrawLabel(hdc, item.text, RECT{r.left + 6 + shift, r.top + shift, r.right - 6 + shift, r.bottom + shift}, align);
  }
  SelectObject(hdc, old_font);
}

LRESULT Dispatch(HeaderState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
    case WM_SETFONT:
    case WM_GETFONT:
    case WM_SETREDRAW:
      return s.Common(hwnd, msg, wp, lp);
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { Paint(s, hdc); });
    case WM_ERASEBKGND:
      return s.Common(hwnd, msg, wp, lp);
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      if (!(s.Style() & HDS_BUTTONS)) return 0;
      HDHITTESTINFO hit{};
      hit.pt = PointOf(lp);
      s.pressed = HitTest(s, &hit);
      if (s.pressed < 0) return 0;
      SetCapture(hwnd);
      s.Repaint();
      if (msg == WM_LBUTTONDBLCLK) SendItemNote(s, HDN_ITEMDBLCLICKA, s.pressed, nullptr);
      return 0;
    }
    case WM_LBUTTONUP: {
      const int was = s.pressed;
      if (was < 0) return 0;
      s.pressed = -1;
      if (GetCapture() == hwnd) ReleaseCapture();
      s.Repaint();
      HDHITTESTINFO hit{};
      hit.pt = PointOf(lp);
      if (HitTest(s, &hit) == was) SendItemNote(s, HDN_ITEMCLICKA, was, nullptr);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (s.pressed >= 0) {
        s.pressed = -1;
        s.Repaint();
      }
      return 0;

    case HDM_GETITEMCOUNT:
      return s.count();
    case HDM_INSERTITEMA: {
      const auto* hd = reinterpret_cast<const HDITEMA*>(lp);
      if (!hd) return -1;
      const int index = std::clamp(static_cast<int>(wp), 0, s.count());
      HeaderItem item;
      Apply(item, *hd);
      s.items.insert(s.items.begin() + index, std::move(item));
      s.Repaint();
      return index;
    }
    case HDM_DELETEITEM: {
      const int index = static_cast<int>(wp);
      if (!s.valid(index)) return FALSE;
      s.items.erase(s.items.begin() + index);
      s.Repaint();
      return TRUE;
    }
    case HDM_GETITEMA: {
      auto* hd = reinterpret_cast<HDITEMA*>(lp);
      const int index = static_cast<int>(wp);
      if (!hd || !s.valid(index)) return FALSE;
      const HeaderItem& item = s.items[static_cast<size_t>(index)];
      if (hd->mask & HDI_WIDTH) hd->cxy = item.width;
      if (hd->mask & HDI_TEXT) CopyOut(item.text, hd->pszText, hd->cchTextMax);
      if (hd->mask & HDI_FORMAT) hd->fmt = item.fmt;
      if (hd->mask & HDI_LPARAM) hd->lParam = item.param;
      if (hd->mask & HDI_IMAGE) hd->iImage = item.image;
      if (hd->mask & HDI_ORDER) hd->iOrder = index;
      return TRUE;
    }
    case HDM_SETITEMA: {
      auto* hd = reinterpret_cast<HDITEMA*>(lp);
      const int index = static_cast<int>(wp);
      if (!hd || !s.valid(index)) return FALSE;
      if (SendItemNote(s, HDN_ITEMCHANGINGA, index, hd)) return FALSE;
      if (!s.valid(index)) return FALSE;
      Apply(s.items[static_cast<size_t>(index)], *hd);
      s.Repaint();
      SendItemNote(s, HDN_ITEMCHANGEDA, index, hd);
      return TRUE;
    }
    case HDM_LAYOUT: {
      auto* layout = reinterpret_cast<HDLAYOUT*>(lp);
      if (!layout || !layout->prc || !layout->pwpos) return FALSE;
      const int height = (s.Style() & HDS_HIDDEN) ? 0 : LineHeight(s.Font()) + 4;
      RECT& r = *layout->prc;
      *layout->pwpos = WINDOWPOS{hwnd, nullptr, r.left, r.top, r.right - r.left, height, SWP_NOZORDER};
      r.top += height;
      return TRUE;
    }
    case HDM_HITTEST: {
      auto* info = reinterpret_cast<HDHITTESTINFO*>(lp);
      return info ? HitTest(s, info) : -1;
    }
    case HDM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      const int index = static_cast<int>(wp);
      if (!r || !s.valid(index)) return FALSE;
      *r = ItemRect(s, index);
      return TRUE;
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

LRESULT CALLBACK HeaderWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return RunCommonControl(States(), hwnd, msg, wp, lp, Dispatch);
}

}  // namespace qvp::ui::comctl
