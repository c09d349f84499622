// The list view's window procedure: its messages handed to the item, column,
// geometry, painting and input code.
#include "ui/comctl/comctl_classes.h"
#include "ui/comctl/listview.h"

namespace qvp::ui::comctl {
namespace {

WindowSlot<ListViewState>& States() { return SlotOf<ListViewState>(); }

HIMAGELIST& ListSlot(ListViewState& s, WPARAM which, bool* ok) {
  *ok = true;
  switch (which) {
    case LVSIL_NORMAL: return s.normal_images;
    case LVSIL_SMALL: return s.small_images;
    case LVSIL_STATE: return s.state_images;
    default: *ok = false; return s.normal_images;
  }
}

void Create(ListViewState& s, const CREATESTRUCTA* cs) {
  s.Attach(s.self, cs);
  s.bk = GetSysColor(COLOR_WINDOW);
  s.text_color = GetSysColor(COLOR_WINDOWTEXT);
  s.text_bk = GetSysColor(COLOR_WINDOW);
  CreateHeader(s);
  PlaceHeader(s);
  MeasureOwnerRows(s);
}

// Everything that depends on the view or the size is worked out again.
void Relayout(ListViewState& s) {
  ClampScroll(s);
  PlaceHeader(s);
  s.Repaint();
}

void OnStyleChanged(ListViewState& s, WPARAM which, const STYLESTRUCT* ss) {
  if (which != static_cast<WPARAM>(GWL_STYLE) || !ss) return;
  const DWORD changed = ss->styleOld ^ ss->styleNew;
  if (changed & LVS_TYPEMASK) {
    // A new view starts at its beginning.
    s.top = 0;
    s.list_scroll = 0;
    s.origin = POINT{0, 0};
  }
  if (changed & (LVS_TYPEMASK | LVS_OWNERDRAWFIXED)) MeasureOwnerRows(s);
  if (s.header && (changed & LVS_NOSORTHEADER)) {
    const LONG_PTR hs = GetWindowLongPtrA(s.header, GWL_STYLE);
    SetWindowLongPtrA(s.header, GWL_STYLE, (ss->styleNew & LVS_NOSORTHEADER) ? (hs & ~HDS_BUTTONS) : (hs | HDS_BUTTONS));
  }
  Relayout(s);
}

LRESULT OnNotify(ListViewState& s, const NMHDR* hdr) {
  if (!hdr || hdr->hwndFrom != s.header) return 0;
  if (hdr->code == HDN_ITEMCLICKA && !(s.Style() & LVS_NOSORTHEADER)) {
    const auto* nh = reinterpret_cast<const NMHEADERA*>(hdr);
    NMLISTVIEW nm{};
    nm.iItem = -1;
    nm.iSubItem = nh->iItem;
    s.Notify(LVN_COLUMNCLICK, &nm.hdr);
  }
  return 0;
}

LRESULT SetColour(COLORREF* slot, LPARAM lp, ListViewState& s) {
  *slot = static_cast<COLORREF>(lp);
  s.Repaint();
  return TRUE;
}

LRESULT Dispatch(ListViewState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      Create(s, reinterpret_cast<const CREATESTRUCTA*>(lp));
      return 0;
    case WM_DESTROY:
      DeleteAllItems(s);
      return DefWindowProcA(hwnd, msg, wp, lp);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFONT:
      s.SetFont(wp, lp);
      if (s.header) SendMessageA(s.header, WM_SETFONT, wp, lp);
      MeasureOwnerRows(s);
      Relayout(s);
      return 0;
    case WM_GETFONT:
      return s.Common(hwnd, msg, wp, lp);
    case WM_SETREDRAW:
      // The control keeps its own flag and stays visible meanwhile; its header follows it.
      s.redraw = wp != 0;
      if (s.header) SendMessageA(s.header, WM_SETREDRAW, wp, 0);
      if (s.redraw) s.Repaint();
      return 0;
    case WM_SIZE:
      Relayout(s);
      return 0;
    case WM_STYLECHANGED:
      OnStyleChanged(s, wp, reinterpret_cast<const STYLESTRUCT*>(lp));
      return 0;
    case WM_SETFOCUS:
      s.focused = true;
      s.Repaint();
      s.Notify(NM_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s.focused = false;
      s.Repaint();
      s.Notify(NM_KILLFOCUS);
      return 0;
    case WM_ERASEBKGND: {
      if (s.bk == CLR_NONE) return DefWindowProcA(hwnd, msg, wp, lp);
      RECT r{};
      GetClientRect(hwnd, &r);
      FillSolid(reinterpret_cast<HDC>(wp), r, s.bk);
      return 1;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { Paint(s, hdc); });
    case WM_LBUTTONDOWN: case WM_LBUTTONDBLCLK: case WM_LBUTTONUP:
    case WM_RBUTTONDOWN: case WM_RBUTTONDBLCLK: case WM_RBUTTONUP:
      return OnMouse(s, msg, wp, lp);
    case WM_CANCELMODE:
    case WM_CAPTURECHANGED:
      if (msg == WM_CANCELMODE && GetCapture() == hwnd) ReleaseCapture();
      s.pressed = false;
      return 0;
    case WM_KEYDOWN:
      return OnKeyDown(s, wp, lp);
    case WM_VSCROLL:
    case WM_HSCROLL:
      return OnScroll(s, msg, wp);
    case WM_MOUSEWHEEL:
      return OnWheel(s, wp);
    case WM_NOTIFY:
      return OnNotify(s, reinterpret_cast<const NMHDR*>(lp));

    case LVM_GETBKCOLOR: return s.bk;
    case LVM_SETBKCOLOR: return SetColour(&s.bk, lp, s);
    case LVM_GETTEXTCOLOR: return s.text_color;
    case LVM_SETTEXTCOLOR: return SetColour(&s.text_color, lp, s);
    case LVM_GETTEXTBKCOLOR: return s.text_bk;
    case LVM_SETTEXTBKCOLOR: return SetColour(&s.text_bk, lp, s);
    case LVM_GETIMAGELIST: {
      bool ok = false;
      HIMAGELIST& slot = ListSlot(s, wp, &ok);
      return ok ? reinterpret_cast<LRESULT>(slot) : 0;
    }
    case LVM_SETIMAGELIST: {
      bool ok = false;
      HIMAGELIST& slot = ListSlot(s, wp, &ok);
      if (!ok) return 0;
      HIMAGELIST old = slot;
      slot = reinterpret_cast<HIMAGELIST>(lp);
      if (!(s.Style() & LVS_OWNERDRAWFIXED)) s.owner_height = 0;
      Relayout(s);
      return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETITEMCOUNT: return s.count();
    case LVM_SETITEMCOUNT: return TRUE;
    case LVM_GETITEMA: return GetItem(s, reinterpret_cast<LVITEMA*>(lp)) ? TRUE : FALSE;
    case LVM_SETITEMA: return SetItem(s, reinterpret_cast<const LVITEMA*>(lp)) ? TRUE : FALSE;
    case LVM_INSERTITEMA: return InsertItem(s, reinterpret_cast<const LVITEMA*>(lp));
    case LVM_DELETEITEM: return DeleteItem(s, static_cast<int>(wp)) ? TRUE : FALSE;
    case LVM_DELETEALLITEMS: return DeleteAllItems(s) ? TRUE : FALSE;
    case LVM_GETITEMTEXTA: return GetItemText(s, static_cast<int>(wp), reinterpret_cast<LVITEMA*>(lp));
    case LVM_SETITEMTEXTA: {
      auto* item = reinterpret_cast<LVITEMA*>(lp);
      if (!item) return FALSE;
      LVITEMA it = *item;
      it.mask = LVIF_TEXT;
      it.iItem = static_cast<int>(wp);
      return SetItem(s, &it) ? TRUE : FALSE;
    }
    case LVM_SETITEMSTATE: {
      const auto* item = reinterpret_cast<const LVITEMA*>(lp);
      if (!item) return FALSE;
      const int index = static_cast<int>(wp);
      if (index == -1) {
        for (int i = 0; i < s.count(); ++i) SetItemState(s, i, item->state, item->stateMask);
        return TRUE;
      }
      if (!s.valid(index)) return FALSE;
      SetItemState(s, index, item->state, item->stateMask);
      return TRUE;
    }
    case LVM_GETITEMSTATE: {
      const int index = static_cast<int>(wp);
      return s.valid(index) ? (s.items[static_cast<size_t>(index)].state & static_cast<UINT>(lp)) : 0;
    }
    case LVM_GETNEXTITEM: return NextItem(s, static_cast<int>(wp), LOWORD(lp));
    case LVM_GETSELECTEDCOUNT: return SelectedCount(s);
    case LVM_FINDITEMA: return FindItem(s, static_cast<int>(wp), reinterpret_cast<const LVFINDINFOA*>(lp));
    case LVM_SORTITEMS: return SortItems(s, reinterpret_cast<PFNLVCOMPARE>(lp), static_cast<LPARAM>(wp)) ? TRUE : FALSE;

    case LVM_INSERTCOLUMNA: return InsertColumn(s, static_cast<int>(wp), reinterpret_cast<const LVCOLUMNA*>(lp));
    case LVM_SETCOLUMNA: return SetColumn(s, static_cast<int>(wp), reinterpret_cast<const LVCOLUMNA*>(lp)) ? TRUE : FALSE;
    case LVM_GETCOLUMNA: return GetColumn(s, static_cast<int>(wp), reinterpret_cast<LVCOLUMNA*>(lp)) ? TRUE : FALSE;
    case LVM_DELETECOLUMN: return DeleteColumn(s, static_cast<int>(wp)) ? TRUE : FALSE;
    case LVM_GETCOLUMNWIDTH: return ColumnWidth(s, static_cast<int>(wp));
    case LVM_SETCOLUMNWIDTH:
      return SetColumnWidth(s, static_cast<int>(wp), static_cast<SHORT>(LOWORD(lp))) ? TRUE : FALSE;
    case LVM_GETHEADER: return reinterpret_cast<LRESULT>(s.header);

    case LVM_GETITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      const int index = static_cast<int>(wp);
      if (!r || !s.valid(index) || r->left < LVIR_BOUNDS || r->left > LVIR_SELECTBOUNDS) return FALSE;
      *r = ItemRect(s, index, r->left);
      return TRUE;
    }
    case LVM_GETSUBITEMRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      if (!r || r->left < LVIR_BOUNDS || r->left > LVIR_LABEL) return FALSE;
      return SubItemRect(s, static_cast<int>(wp), r->top, r->left, r) ? TRUE : FALSE;
    }
    case LVM_HITTEST: {
      auto* info = reinterpret_cast<LVHITTESTINFO*>(lp);
      return info ? HitTest(s, info) : -1;
    }
    case LVM_GETTOPINDEX: return TopIndex(s);
    case LVM_GETCOUNTPERPAGE: return CountPerPage(s);
    case LVM_SCROLL: return Scroll(s, static_cast<int>(wp), static_cast<int>(lp)) ? TRUE : FALSE;
    case LVM_ENSUREVISIBLE: return EnsureVisible(s, static_cast<int>(wp), lp != 0) ? TRUE : FALSE;
    case LVM_REDRAWITEMS: {
      const int first = static_cast<int>(wp), last = static_cast<int>(lp);
      for (int i = std::max(first, 0); i <= last && i < s.count(); ++i) RepaintItem(s, i);
      return TRUE;
    }
    case LVM_UPDATE:
      RepaintItem(s, static_cast<int>(wp));
      return TRUE;
    case LVM_ARRANGE:
      Relayout(s);
      return TRUE;
    case LVM_GETSTRINGWIDTHA: {
      const auto* text = reinterpret_cast<LPCSTR>(lp);
      return text ? TextWidth(s.Font(), text) : 0;
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE: return s.ex_style;
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      const DWORD mask = wp ? static_cast<DWORD>(wp) : 0xFFFFFFFFu;
      const DWORD old = s.ex_style;
      s.ex_style = (old & ~mask) | (static_cast<DWORD>(lp) & mask);
      s.Repaint();
      return old;
    }
    case CCM_SETBKCOLOR: {
      const COLORREF old = s.bk;
      s.bk = static_cast<COLORREF>(lp);
      s.Repaint();
      return old;
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

LRESULT CALLBACK ListViewWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return RunCommonControl(States(), hwnd, msg, wp, lp, Dispatch, [](ListViewState& s) {
    // Image lists go with the control unless they are shared.
    if (!(s.Style() & LVS_SHAREIMAGELISTS)) {
      for (HIMAGELIST l : {s.normal_images, s.small_images, s.state_images})
        if (l) ImageList_Destroy(l);
    }
  });
}

}  // namespace qvp::ui::comctl
