// The sheet's tab strip. The sheet uses the common tab control when the layer
// has one; otherwise this small strip of its own, which keeps the tabs' texts
// and selection, answers the tab control messages the sheet sends, and lets a
// click or an arrow key change the selection with TCN_SELCHANGING /
// TCN_SELCHANGE to the parent.
#include <string>
#include <vector>

#include "ui/classes.h"
#include "ui/propsheet/sheet_tabs.h"

namespace qvp::ui::sheet {
namespace {

constexpr char kStandIn[] = "QvSheetTabStrip";
constexpr int kHeader = 20;  // height of the row of tabs
constexpr int kBorder = 2;

struct Strip {
  std::vector<std::string> texts;
  std::vector<LPARAM> params;
  int selected = -1;
};

Strip* StripOf(HWND hwnd) { return reinterpret_cast<Strip*>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)); }

RECT ItemRect(const Strip& s, int index) {
  int x = kBorder;
  for (int i = 0; i < index; ++i) x += static_cast<int>(s.texts[i].size()) * 6 + 12;
  int w = static_cast<int>(s.texts[index].size()) * 6 + 12;
  return RECT{x, 0, x + w, kHeader};
}

// Asks the parent, then selects: what a user's click on a tab does.
void UserSelect(HWND hwnd, Strip& s, int index) {
  if (index < 0 || index >= static_cast<int>(s.texts.size()) || index == s.selected) return;
  NMHDR n{hwnd, static_cast<UINT_PTR>(GetDlgCtrlID(hwnd)), TCN_SELCHANGING};
  HWND parent = GetParent(hwnd);
  if (SendMessageA(parent, WM_NOTIFY, n.idFrom, reinterpret_cast<LPARAM>(&n))) return;
  s.selected = index;
  InvalidateRect(hwnd, nullptr, TRUE);
  n.code = TCN_SELCHANGE;
  SendMessageA(parent, WM_NOTIFY, n.idFrom, reinterpret_cast<LPARAM>(&n));
}

void Paint(HWND hwnd, const Strip& s) {
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(hwnd, &ps);
  RECT client;
  GetClientRect(hwnd, &client);
  RECT body{client.left, kHeader, client.right, client.bottom};
  DrawEdge(dc, &body, EDGE_RAISED, BF_RECT);
  SetBkMode(dc, TRANSPARENT);
  auto font = reinterpret_cast<HFONT>(SendMessageA(GetParent(hwnd), WM_GETFONT, 0, 0));
  HGDIOBJ old = font ? SelectObject(dc, font) : nullptr;
  for (size_t i = 0; i < s.texts.size(); ++i) {
    RECT r = ItemRect(s, static_cast<int>(i));
    DrawEdge(dc, &r, EDGE_RAISED, BF_LEFT | BF_TOP | BF_RIGHT);
    TextOutA(dc, r.left + 6, r.top + 3, s.texts[i].c_str(), static_cast<int>(s.texts[i].size()));
  }
  if (old) SelectObject(dc, old);
  EndPaint(hwnd, &ps);
}

LRESULT CALLBACK StripProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  Strip* s = StripOf(hwnd);
  switch (msg) {
    case WM_NCCREATE:
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Strip));
      return TRUE;
    case WM_NCDESTROY:
      delete s;
      SetWindowLongPtrA(hwnd, GWLP_USERDATA, 0);
      return 0;
    default:
      break;
  }
  if (!s) return DefWindowProcA(hwnd, msg, wp, lp);
  const int count = static_cast<int>(s->texts.size());
  switch (msg) {
    case TCM_GETITEMCOUNT:
      return count;
    case TCM_INSERTITEMA: {
      auto* item = reinterpret_cast<const TCITEMA*>(lp);
      if (!item) return -1;
      int at = static_cast<int>(wp) > count ? count : static_cast<int>(wp);
      s->texts.insert(s->texts.begin() + at, (item->mask & TCIF_TEXT) && item->pszText ? item->pszText : "");
      s->params.insert(s->params.begin() + at, (item->mask & TCIF_PARAM) ? item->lParam : 0);
      if (s->selected >= at) ++s->selected;
      InvalidateRect(hwnd, nullptr, TRUE);
      return at;
    }
    case TCM_SETITEMA:
    case TCM_GETITEMA: {
      auto* item = reinterpret_cast<TCITEMA*>(lp);
      int i = static_cast<int>(wp);
      if (!item || i < 0 || i >= count) return FALSE;
      if (msg == TCM_SETITEMA) {
        if ((item->mask & TCIF_TEXT) && item->pszText) s->texts[i] = item->pszText;
        if (item->mask & TCIF_PARAM) s->params[i] = item->lParam;
        InvalidateRect(hwnd, nullptr, TRUE);
        return TRUE;
      }
      if ((item->mask & TCIF_TEXT) && item->pszText && item->cchTextMax > 0) {
        std::string t = s->texts[i].substr(0, static_cast<size_t>(item->cchTextMax - 1));
        t.copy(item->pszText, t.size());
        item->pszText[t.size()] = '\0';
      }
      if (item->mask & TCIF_PARAM) item->lParam = s->params[i];
      return TRUE;
    }
    case TCM_DELETEITEM: {
      int i = static_cast<int>(wp);
      if (i < 0 || i >= count) return FALSE;
      s->texts.erase(s->texts.begin() + i);
      s->params.erase(s->params.begin() + i);
      if (s->selected == i) s->selected = -1;
      else if (s->selected > i) --s->selected;
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    }
    case TCM_DELETEALLITEMS:
      s->texts.clear();
      s->params.clear();
      s->selected = -1;
      return TRUE;
    case TCM_GETCURSEL:
      return s->selected;
    case TCM_SETCURSEL: {
      int old = s->selected;
      int i = static_cast<int>(wp);
      if (i < 0 || i >= count) return -1;
      s->selected = i;
      InvalidateRect(hwnd, nullptr, TRUE);
      return old;
    }
    case TCM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      int i = static_cast<int>(wp);
      if (!r || i < 0 || i >= count) return FALSE;
      *r = ItemRect(*s, i);
      return TRUE;
    }
    case TCM_ADJUSTRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      if (!r) return 0;
      const int sign = wp ? 1 : -1;  // TRUE: the window rectangle around a display area
      r->left -= sign * kBorder;
      r->right += sign * kBorder;
      r->top -= sign * (kHeader + kBorder);
      r->bottom += sign * kBorder;
      return 0;
    }
    case WM_LBUTTONDOWN: {
      POINT pt{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))};
      for (int i = 0; i < count; ++i) {
        RECT r = ItemRect(*s, i);
        if (pt.x >= r.left && pt.x < r.right && pt.y >= r.top && pt.y < r.bottom) {
          UserSelect(hwnd, *s, i);
          break;
        }
      }
      return 0;
    }
    case WM_KEYDOWN:
      if (wp == VK_LEFT) UserSelect(hwnd, *s, s->selected - 1);
      if (wp == VK_RIGHT) UserSelect(hwnd, *s, s->selected + 1);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_PAINT:
      Paint(hwnd, *s);
      return 0;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

const char* TabClassName() {
  WNDCLASSEXA info{};
  info.cbSize = sizeof(info);
  if (GetClassInfoExA(nullptr, "SysTabControl32", &info)) return "SysTabControl32";
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = CS_DBLCLKS | CS_PARENTDC;
  wc.lpfnWndProc = StripProc;
  wc.lpszClassName = kStandIn;
  RegisterSystemClass(wc);
  return kStandIn;
}

}  // namespace qvp::ui::sheet
