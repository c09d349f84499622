// Changing pages and the sheet's buttons: PSN_KILLACTIVE / PSN_SETACTIVE with
// their answers, OK, Apply, Cancel, and the wizard's Back, Next and Finish.
//
// Pages may change the sheet while they are being notified (PSM_SETCURSEL
// from inside PSN_WIZNEXT or PSN_APPLY, pages added or removed). Every step
// therefore finds its pages again by handle after each notification, and a
// page switch made by a page itself (seen through Sheet::switches) stands:
// the step that was under way does not undo it. A wizard step's answer is
// taken relative to the page that is current when the answer arrives.
#include "ui/propsheet/sheet.h"

namespace qvp::ui::sheet {
namespace {

bool Inside(HWND outer, HWND h) { return h && outer && (h == outer || IsChild(outer, h)); }

// The strip shows the current page.
void SyncTab(Sheet& s) {
  if (s.tabs && s.current >= 0) SendMessageA(s.tabs, TCM_SETCURSEL, static_cast<WPARAM>(s.current), 0);
}

// Where the focus goes on a new page: its first tab stop, else the strip or
// the default button.
void FocusPage(Sheet& s, HWND page) {
  HWND target = GetNextDlgTabItem(page, nullptr, FALSE);
  if (target && !IsChild(page, target)) target = nullptr;
  if (!target && !s.wizard && s.tabs && IsWindowVisible(s.tabs)) target = s.tabs;
  if (!target) {
    LRESULT def = SendMessageA(s.hwnd, DM_GETDEFID, 0, 0);
    if (HIWORD(def) == DC_HASDEFID) target = GetDlgItem(s.hwnd, LOWORD(def));
  }
  if (target) SendMessageA(s.hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(target), TRUE);
}

// Makes page `index` (made, and accepting) the current one.
void Show(Sheet& s, int index) {
  const int old = s.current;
  HWND old_page = old >= 0 && old < static_cast<int>(s.pages.size()) ? s.pages[old].hwnd : nullptr;
  HWND page = s.pages[index].hwnd;
  s.current = index;
  ++s.switches;
  SyncTab(s);

  HWND focus = GetFocus();
  const bool top_level = !(GetWindowLongPtrA(s.hwnd, GWL_STYLE) & WS_CHILD);
  const bool move_focus = (old_page && Inside(old_page, focus)) || (old < 0 && top_level) ||
                          (!focus && top_level && GetActiveWindow() == s.hwnd);
  SetWindowPos(page, nullptr, s.page_rect.left, s.page_rect.top, s.page_rect.right - s.page_rect.left,
               s.page_rect.bottom - s.page_rect.top, SWP_NOZORDER | SWP_NOACTIVATE);
  ShowWindow(page, SW_SHOW);
  if (move_focus) FocusPage(s, page);
  if (old_page && old_page != page && IsWindow(old_page)) ShowWindow(old_page, SW_HIDE);

  PageObject* obj = LivePage(s.pages[index].handle);
  const DWORD page_flags = obj ? obj->record()->dwFlags : 0;
  if (HWND help = GetDlgItem(s.hwnd, IDHELP)) EnableWindow(help, (page_flags & PSP_HASHELP) ? TRUE : FALSE);
  if (s.wizard) {
    // A wizard's caption is the page's own title when it has one.
    std::string title = (page_flags & PSP_USETITLE) && obj ? PageTitle(obj) : s.caption;
    SetWindowTextA(s.hwnd, title.c_str());
  }
}

std::vector<HPROPSHEETPAGE> Handles(const Sheet& s) {
  std::vector<HPROPSHEETPAGE> out;
  for (const SheetPage& p : s.pages) out.push_back(p.handle);
  return out;
}

}  // namespace

Change KillCurrent(Sheet& s) {
  if (s.current < 0) return Change::kDone;
  const uint64_t before = s.switches;
  LRESULT refuse = Notify(s, s.current, PSN_KILLACTIVE);
  if (s.switches != before) return Change::kNested;
  return refuse ? Change::kRefused : Change::kDone;
}

Change Activate(Sheet& s, int target, int dir) {
  if (dir == 0) dir = 1;
  const uint64_t before = s.switches;
  int index = target;
  // Each page may redirect once per page in the sheet before the sheet gives up.
  for (size_t hops = 0; hops <= 2 * s.pages.size() + 1; ++hops) {
    if (index < 0 || index >= static_cast<int>(s.pages.size())) break;
    HPROPSHEETPAGE handle = s.pages[index].handle;
    if (!EnsurePage(s, index)) break;
    if (s.switches != before) return Change::kNested;
    index = s.IndexOf(handle);
    if (index < 0) break;
    LRESULT answer = Notify(s, index, PSN_SETACTIVE);
    if (s.switches != before) return Change::kNested;
    index = s.IndexOf(handle);
    if (index < 0) break;
    if (answer == 0) {
      Show(s, index);
      return Change::kDone;
    }
    index = answer == -1 ? index + dir : s.IndexOfTemplateId(answer);
  }
  SyncTab(s);
  return Change::kRefused;
}

Change SetCurrent(Sheet& s, int target) {
  if (target < 0 || target >= static_cast<int>(s.pages.size())) return Change::kRefused;
  HPROPSHEETPAGE handle = s.pages[target].handle;
  const int from = s.current;
  Change kill = KillCurrent(s);
  if (kill != Change::kDone) {
    SyncTab(s);
    return kill;
  }
  target = s.IndexOf(handle);
  if (target < 0) return Change::kRefused;
  return Activate(s, target, target >= from ? 1 : -1);
}

bool ApplyNow(Sheet& s, bool ok) {
  if (KillCurrent(s) != Change::kDone) return false;
  for (HPROPSHEETPAGE handle : Handles(s)) {
    int index = s.IndexOf(handle);
    if (index < 0 || !s.pages[index].hwnd) continue;  // only pages that were shown
    LRESULT answer = Notify(s, index, PSN_APPLY, ok ? TRUE : FALSE);
    if (answer == PSNRET_INVALID) {
      // The sheet stays open on the refusing page; the current page has
      // already let go (PSN_KILLACTIVE above).
      index = s.IndexOf(handle);
      if (index >= 0 && index != s.current) Activate(s, index, index > s.current ? 1 : -1);
      return false;
    }
    if (answer == PSNRET_INVALID_NOCHANGEPAGE) return false;  // stays on whatever page is current
  }
  s.applied = true;
  for (SheetPage& p : s.pages) p.changed = false;
  UpdateApplyButton(s);
  // Apply leaves the sheet open: the page that let go is active again.
  if (!ok && s.current >= 0) Notify(s, s.current, PSN_SETACTIVE);
  return true;
}

void PressOk(Sheet& s) {
  if (ApplyNow(s, true)) End(s);
}

void PressCancel(Sheet& s, bool close_box) {
  if (s.current >= 0 && Notify(s, s.current, PSN_QUERYCANCEL)) return;
  for (HPROPSHEETPAGE handle : Handles(s)) {
    int index = s.IndexOf(handle);
    if (index >= 0 && s.pages[index].hwnd) Notify(s, index, PSN_RESET, close_box ? TRUE : FALSE);
  }
  End(s);
}

void WizardStep(Sheet& s, int dir) {
  if (s.current < 0) return;
  LRESULT answer = Notify(s, s.current, dir > 0 ? PSN_WIZNEXT : PSN_WIZBACK);
  if (answer == -1) return;
  // A page that moved the sheet itself has made the page current that the
  // answer counts from.
  int from = s.current;
  if (from < 0) return;
  int target = answer == 0 ? from + dir : s.IndexOfTemplateId(answer);
  if (target < 0 || target >= static_cast<int>(s.pages.size())) return;
  HPROPSHEETPAGE handle = s.pages[target].handle;
  if (KillCurrent(s) != Change::kDone) return;
  target = s.IndexOf(handle);
  if (target >= 0) Activate(s, target, dir);
}

void WizardFinish(Sheet& s) {
  if (s.current >= 0 && Notify(s, s.current, PSN_WIZFINISH)) return;
  s.applied = true;
  End(s);
}

void End(Sheet& s) {
  if (s.ended) return;
  s.ended = true;
  s.result = s.applied ? (s.restart ? s.restart : 1) : 0;
  if (s.modeless) return;  // the owner's loop sees PSM_GETCURRENTPAGEHWND answer null and destroys it
  if (s.disabled_owner) {
    // The owner comes back first, so that hiding the sheet hands activation to it.
    EnableWindow(s.disabled_owner, TRUE);
    s.disabled_owner = nullptr;
  }
  ShowWindow(s.hwnd, SW_HIDE);
  PostMessageA(s.hwnd, WM_NULL, 0, 0);  // wakes the sheet's loop
}

}  // namespace qvp::ui::sheet
