// The sheet's geometry and buttons: sized around its largest page, the tab
// strip above the page area, the buttons in a row below; the wizard's buttons
// as PSM_SETWIZBUTTONS asks; the caption.
#include <algorithm>

#include "qvplatform/dlgtemplate.h"
#include "ui/propsheet/sheet.h"

namespace qvp::ui::sheet {
namespace {

// Dialog units of the sheet's layout.
constexpr int kMarginX = 7, kMarginY = 7;
constexpr int kButtonW = 50, kButtonH = 14, kButtonGap = 4;
// A sheet without pages yet still has a page area.
constexpr int kDefaultPageW = 212, kDefaultPageH = 114;

RECT Dlu(HWND sheet, int x, int y, int cx, int cy) {
  RECT r{x, y, x + cx, y + cy};
  MapDialogRect(sheet, &r);
  return r;
}

// The largest page, in pixels of the sheet's font.
SIZE LargestPage(const Sheet& s) {
  int cx = 0, cy = 0;
  for (const SheetPage& p : s.pages) {
    PageObject* obj = LivePage(p.handle);
    if (!obj) continue;
    std::vector<uint8_t> block = PageTemplate(obj);
    qvp::DialogTemplateReader t;
    if (block.empty() || !t.Open(block.data(), block.size())) continue;
    cx = std::max<int>(cx, t.header().cx);
    cy = std::max<int>(cy, t.header().cy);
  }
  if (cx == 0 || cy == 0) {
    cx = kDefaultPageW;
    cy = kDefaultPageH;
  }
  RECT r = Dlu(s.hwnd, 0, 0, cx, cy);
  return SIZE{r.right, r.bottom};
}

void Place(HWND sheet, int id, int x, int y, int w, int h) {
  if (HWND c = GetDlgItem(sheet, id)) SetWindowPos(c, nullptr, x, y, w, h, SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Shown(HWND sheet, int id) {
  HWND c = GetDlgItem(sheet, id);
  return c && (GetWindowLongPtrA(c, GWL_STYLE) & WS_VISIBLE);
}

void Show(HWND sheet, int id, bool show, bool enable) {
  HWND c = GetDlgItem(sheet, id);
  if (!c) return;
  if (!enable && GetFocus() == c) SendMessageA(sheet, WM_NEXTDLGCTL, 0, FALSE);
  EnableWindow(c, enable ? TRUE : FALSE);
  ShowWindow(c, show ? SW_SHOWNA : SW_HIDE);
}

// Places the visible ones of `ids` left to right so that the row ends at `right`.
void Row(HWND sheet, const std::vector<int>& ids, int right, int y, int w, int h, int gap) {
  std::vector<int> visible;
  for (int id : ids)
    if (Shown(sheet, id)) visible.push_back(id);
  int x = right;
  for (size_t k = visible.size(); k-- > 0;) {
    x -= w;
    Place(sheet, visible[k], x, y, w, h);
    x -= gap;
  }
}

}  // namespace

void Layout(Sheet& s) {
  HWND hwnd = s.hwnd;
  const RECT m = Dlu(hwnd, kMarginX, kMarginY, kButtonW, kButtonH);
  const int mx = m.left, my = m.top, bw = m.right - m.left, bh = m.bottom - m.top;
  const RECT g = Dlu(hwnd, 0, 0, kButtonGap, kButtonGap);
  const int gap = g.right;
  const SIZE page = LargestPage(s);

  int right = 0, row_y = 0;
  if (!s.wizard) {
    RECT display{0, 0, page.cx, page.cy};
    RECT tab = display;
    SendMessageA(s.tabs, TCM_ADJUSTRECT, TRUE, reinterpret_cast<LPARAM>(&tab));
    const int tab_w = tab.right - tab.left, tab_h = tab.bottom - tab.top;
    SetWindowPos(s.tabs, nullptr, mx, my, tab_w, tab_h, SWP_NOZORDER | SWP_NOACTIVATE);
    s.page_rect = RECT{mx + (display.left - tab.left), my + (display.top - tab.top), 0, 0};
    s.page_rect.right = s.page_rect.left + page.cx;
    s.page_rect.bottom = s.page_rect.top + page.cy;
    right = mx + tab_w;
    row_y = my + tab_h + my;
    Show(hwnd, ID_APPLY_NOW, !(s.flags & PSH_NOAPPLYNOW), false);
    Show(hwnd, IDHELP, (s.flags & PSH_HASHELP) != 0, false);
    Row(hwnd, {IDOK, IDCANCEL, ID_APPLY_NOW, IDHELP}, right, row_y, bw, bh, gap);
  } else {
    SetWindowPos(s.tabs, nullptr, 0, 0, 0, 0, SWP_NOZORDER | SWP_NOACTIVATE);
    s.page_rect = RECT{mx, my, mx + page.cx, my + page.cy};
    right = mx + page.cx;
    Place(hwnd, ID_WIZDIVIDER, mx, s.page_rect.bottom + my, page.cx, 2);
    row_y = s.page_rect.bottom + my + 2 + my;
    Show(hwnd, IDHELP, (s.flags & PSH_HASHELP) != 0, false);
    ShowWizardButtons(s);
    // From the right: Help, Cancel, Finish when the wizard always shows it,
    // then Next with Back against it; otherwise Finish takes Next's place.
    int x = right;
    if (Shown(hwnd, IDHELP)) {
      x -= bw;
      Place(hwnd, IDHELP, x, row_y, bw, bh);
      x -= gap;
    }
    x -= bw;
    Place(hwnd, IDCANCEL, x, row_y, bw, bh);
    x -= gap;
    if (s.flags & PSH_WIZARDHASFINISH) {
      x -= bw;
      Place(hwnd, ID_WIZFINISH, x, row_y, bw, bh);
      x -= gap;
    }
    x -= bw;
    Place(hwnd, ID_WIZNEXT, x, row_y, bw, bh);
    if (!(s.flags & PSH_WIZARDHASFINISH)) Place(hwnd, ID_WIZFINISH, x, row_y, bw, bh);
    x -= bw;
    Place(hwnd, ID_WIZBACK, x, row_y, bw, bh);
  }
  RECT client{0, 0, right + mx, row_y + bh + my};
  DWORD style = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_STYLE));
  DWORD ex = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWL_EXSTYLE));
  AdjustWindowRectEx(&client, style, FALSE, ex);
  SetWindowPos(hwnd, nullptr, 0, 0, client.right - client.left, client.bottom - client.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ShowWizardButtons(Sheet& s) {
  if (!s.wizard) return;
  const DWORD f = s.wizard_buttons;
  const bool has_finish = (s.flags & PSH_WIZARDHASFINISH) != 0;
  const bool finish_asked = (f & (PSWIZB_FINISH | PSWIZB_DISABLEDFINISH)) != 0;
  const bool show_finish = s.finish_text || has_finish || finish_asked;
  const bool finish_enabled = s.finish_text || (f & PSWIZB_FINISH) || (has_finish && !(f & PSWIZB_DISABLEDFINISH));
  const bool show_next = !s.finish_text && (has_finish || !finish_asked);
  const bool next_enabled = (f & PSWIZB_NEXT) != 0;
  HWND hwnd = s.hwnd;
  Show(hwnd, ID_WIZBACK, !s.finish_text, (f & PSWIZB_BACK) != 0);
  Show(hwnd, ID_WIZNEXT, show_next, next_enabled);
  Show(hwnd, ID_WIZFINISH, show_finish, finish_enabled);
  // Enter presses Finish when it is the way on, else Next.
  int def = ID_WIZNEXT;
  if (show_finish && finish_enabled && (s.finish_text || (f & PSWIZB_FINISH) || !show_next || !next_enabled))
    def = ID_WIZFINISH;
  SendMessageA(hwnd, DM_SETDEFID, static_cast<WPARAM>(def), 0);
}

void UpdateApplyButton(Sheet& s) {
  if (s.wizard) return;
  bool changed = std::any_of(s.pages.begin(), s.pages.end(), [](const SheetPage& p) { return p.changed; });
  if (HWND apply = GetDlgItem(s.hwnd, ID_APPLY_NOW)) {
    if (!changed && GetFocus() == apply) SendMessageA(s.hwnd, WM_NEXTDLGCTL, 0, FALSE);
    EnableWindow(apply, changed ? TRUE : FALSE);
  }
}

void SetCaption(Sheet& s, DWORD style, LPCSTR text) {
  std::string caption;
  if (text && IS_INTRESOURCE(text)) {
    char buf[512] = {};
    LoadStringA(s.instance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)), buf, sizeof(buf));
    caption = buf;
  } else if (text) {
    caption = text;
  }
  if (style & PSH_PROPTITLE) caption = "Properties for " + caption;
  s.caption = caption;
  if (s.hwnd) SetWindowTextA(s.hwnd, caption.c_str());
}

void InsertTab(Sheet& s, int index) {
  PageObject* obj = LivePage(s.pages[index].handle);
  std::string title = obj ? PageTitle(obj) : std::string();
  TCITEMA item{};
  item.mask = TCIF_TEXT;
  item.pszText = title.data();
  SendMessageA(s.tabs, TCM_INSERTITEMA, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
}

}  // namespace qvp::ui::sheet
