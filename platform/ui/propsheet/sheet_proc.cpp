// The sheet window's dialog procedure: setting the sheet up, its buttons, the
// tab strip's notifications and the PSM_ messages.
#include "ui/propsheet/sheet.h"

namespace qvp::ui::sheet {
namespace {

INT_PTR Reply(HWND hwnd, LRESULT value) {
  SetWindowLongPtrA(hwnd, DWL_MSGRESULT, value);
  return TRUE;
}

// A button of the sheet a user could press now; a sheet without such a
// button (a page's own id 1 or 2 sent up by code) counts as pressable.
bool Pressable(HWND sheet, int id) {
  HWND b = GetDlgItem(sheet, id);
  return !b || (IsWindowEnabled(b) && (GetWindowLongPtrA(b, GWL_STYLE) & WS_VISIBLE));
}

// A command that is none of the sheet's own belongs to a page: the dialog
// manager's Enter on a page's focused push button comes to the sheet.
void PageCommand(Sheet& s, WPARAM wp, LPARAM lp) {
  auto control = reinterpret_cast<HWND>(lp);
  HWND page = nullptr;
  if (control && IsWindow(control) && GetParent(control) != s.hwnd && IsChild(s.hwnd, control))
    page = GetParent(control);
  else if (!control)
    page = s.CurrentWindow();
  if (page && page != s.hwnd) SendMessageA(page, WM_COMMAND, wp, lp);
}

void Command(Sheet& s, WPARAM wp, LPARAM lp) {
  const int id = LOWORD(wp);
  if (s.ended) return;
  if (lp && GetParent(reinterpret_cast<HWND>(lp)) != s.hwnd) {
    PageCommand(s, wp, lp);
    return;
  }
  switch (id) {
    case IDOK:
      if (!s.wizard && Pressable(s.hwnd, IDOK)) PressOk(s);
      break;
    case IDCANCEL:
      if (Pressable(s.hwnd, IDCANCEL)) PressCancel(s, false);
      break;
    case ID_APPLY_NOW:
      if (!s.wizard && Pressable(s.hwnd, ID_APPLY_NOW)) ApplyNow(s, false);
      break;
    case IDHELP:
      if (Pressable(s.hwnd, IDHELP)) Notify(s, s.current, PSN_HELP);
      break;
    case ID_WIZBACK:
      if (s.wizard && Pressable(s.hwnd, ID_WIZBACK)) WizardStep(s, -1);
      break;
    case ID_WIZNEXT:
      if (s.wizard && Pressable(s.hwnd, ID_WIZNEXT)) WizardStep(s, 1);
      break;
    case ID_WIZFINISH:
      if (s.wizard && Pressable(s.hwnd, ID_WIZFINISH)) WizardFinish(s);
      break;
    default:
      PageCommand(s, wp, lp);
      break;
  }
}

int PressButtonId(WPARAM button) {
  switch (button) {
    case PSBTN_BACK: return ID_WIZBACK;
    case PSBTN_NEXT: return ID_WIZNEXT;
    case PSBTN_FINISH: return ID_WIZFINISH;
    case PSBTN_OK: return IDOK;
    case PSBTN_APPLYNOW: return ID_APPLY_NOW;
    case PSBTN_CANCEL: return IDCANCEL;
    case PSBTN_HELP: return IDHELP;
    default: return 0;
  }
}

// The page a PSM_SETCURSEL / PSM_REMOVEPAGE names: the handle when given, else the index.
int NamedPage(const Sheet& s, WPARAM index, LPARAM handle) {
  if (handle) return s.IndexOf(reinterpret_cast<HPROPSHEETPAGE>(handle));
  return index < s.pages.size() ? static_cast<int>(index) : -1;
}

// The dialog manager's keys for the sheet and its pages; Ctrl+Tab,
// Ctrl+Shift+Tab, Ctrl+PgDn and Ctrl+PgUp turn the pages of a property sheet.
BOOL IsSheetMessage(Sheet& s, MSG* msg) {
  if (!msg || !msg->hwnd || (msg->hwnd != s.hwnd && !IsChild(s.hwnd, msg->hwnd))) return FALSE;
  if (!s.wizard && msg->message == WM_KEYDOWN && (GetKeyState(VK_CONTROL) & 0x8000) &&
      (msg->wParam == VK_TAB || msg->wParam == VK_NEXT || msg->wParam == VK_PRIOR)) {
    const int n = static_cast<int>(s.pages.size());
    const bool back = msg->wParam == VK_PRIOR || (msg->wParam == VK_TAB && (GetKeyState(VK_SHIFT) & 0x8000));
    if (n > 1 && s.current >= 0) SetCurrent(s, (s.current + (back ? n - 1 : 1)) % n);
    return TRUE;
  }
  return IsDialogMessageA(s.hwnd, msg);
}

INT_PTR Init(HWND hwnd, const std::shared_ptr<Sheet>& sp) {
  Sheet& s = *sp;
  s.hwnd = hwnd;
  Register(sp);
  s.tabs = GetDlgItem(hwnd, IDD_PROPSHEET_TABS);
  for (size_t i = 0; i < s.pages.size(); ++i) InsertTab(s, static_cast<int>(i));
  Layout(s);
  if (!s.wizard) {
    SendMessageA(hwnd, DM_SETDEFID, IDOK, 0);
    UpdateApplyButton(s);
  }
  if ((s.flags & PSH_USECALLBACK) && s.callback) s.callback(hwnd, PSCB_INITIALIZED, 0);
  if (!s.pages.empty()) {
    int start = s.start < static_cast<int>(s.pages.size()) ? s.start : 0;
    if (Activate(s, start, 1) == Change::kRefused && start != 0) Activate(s, 0, 1);
  }
  if (s.current < 0) s.init_failed = true;
  return FALSE;  // the focus is where the first page put it
}

}  // namespace

INT_PTR CALLBACK SheetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) return Init(hwnd, *reinterpret_cast<const std::shared_ptr<Sheet>*>(lp));
  std::shared_ptr<Sheet> sp = Find(hwnd);
  if (!sp) return FALSE;
  Sheet& s = *sp;
  switch (msg) {
    case WM_COMMAND:
      Command(s, wp, lp);
      return TRUE;
    case WM_NOTIFY: {
      auto* n = reinterpret_cast<const NMHDR*>(lp);
      if (!n || !s.tabs || n->hwndFrom != s.tabs) return FALSE;
      if (n->code == TCN_SELCHANGING) return Reply(hwnd, s.ended || KillCurrent(s) != Change::kDone);
      if (n->code == TCN_SELCHANGE) {
        int index = static_cast<int>(SendMessageA(s.tabs, TCM_GETCURSEL, 0, 0));
        if (index >= 0 && index != s.current) Activate(s, index, index > s.current ? 1 : -1);
        return Reply(hwnd, 0);
      }
      return FALSE;
    }
    case WM_CLOSE:
      // The close box cancels, unless Cancel cannot be pressed.
      if (s.ended || !Pressable(hwnd, IDCANCEL)) return FALSE;
      PressCancel(s, true);
      return TRUE;
    case WM_NCDESTROY:
      ReleasePages(s);
      Unregister(hwnd);
      return FALSE;

    case PSM_SETCURSEL:
      return Reply(hwnd, SetCurrent(s, NamedPage(s, wp, lp)) != Change::kRefused);
    case PSM_SETCURSELID:
      return Reply(hwnd, SetCurrent(s, s.IndexOfTemplateId(lp)) != Change::kRefused);
    case PSM_ADDPAGE:
      return Reply(hwnd, AddPage(s, reinterpret_cast<HPROPSHEETPAGE>(lp)));
    case PSM_REMOVEPAGE:
      RemovePage(s, NamedPage(s, wp, lp));
      return Reply(hwnd, 0);
    case PSM_CHANGED:
    case PSM_UNCHANGED: {
      int index = s.IndexOfWindow(reinterpret_cast<HWND>(wp));
      if (index >= 0) s.pages[index].changed = msg == PSM_CHANGED;
      if (msg == PSM_CHANGED && !s.wizard) EnableWindow(GetDlgItem(hwnd, ID_APPLY_NOW), TRUE);
      if (msg == PSM_UNCHANGED) UpdateApplyButton(s);
      return Reply(hwnd, 0);
    }
    case PSM_RESTARTWINDOWS:
      s.restart |= ID_PSRESTARTWINDOWS;
      return Reply(hwnd, 0);
    case PSM_REBOOTSYSTEM:
      s.restart |= ID_PSREBOOTSYSTEM;
      return Reply(hwnd, 0);
    case PSM_CANCELTOCLOSE:
      // What was applied cannot be undone any more: OK becomes Close and Cancel goes.
      s.cancel_to_close = true;
      if (HWND cancel = GetDlgItem(hwnd, IDCANCEL)) EnableWindow(cancel, FALSE);
      if (!s.wizard) SetDlgItemTextA(hwnd, IDOK, "Close");
      return Reply(hwnd, 0);
    case PSM_QUERYSIBLINGS: {
      std::vector<HWND> pages;
      for (const SheetPage& p : s.pages)
        if (p.hwnd) pages.push_back(p.hwnd);
      for (HWND page : pages) {
        if (!IsWindow(page)) continue;
        if (LRESULT r = SendMessageA(page, PSM_QUERYSIBLINGS, wp, lp)) return Reply(hwnd, r);
      }
      return Reply(hwnd, 0);
    }
    case PSM_APPLY:
      return Reply(hwnd, !s.ended && ApplyNow(s, false));
    case PSM_SETTITLEA:
      SetCaption(s, static_cast<DWORD>(wp), reinterpret_cast<LPCSTR>(lp));
      return Reply(hwnd, 0);
    case PSM_SETWIZBUTTONS:
      s.wizard_buttons = static_cast<DWORD>(lp);
      s.finish_text = false;
      ShowWizardButtons(s);
      return Reply(hwnd, 0);
    case PSM_SETFINISHTEXTA:
      if (!s.wizard) return Reply(hwnd, 0);
      SetDlgItemTextA(hwnd, ID_WIZFINISH, lp ? reinterpret_cast<LPCSTR>(lp) : "");
      s.finish_text = true;
      ShowWizardButtons(s);
      return Reply(hwnd, 0);
    case PSM_PRESSBUTTON: {
      // As a click: handled when the loop gets to it, not inside the sender's handler.
      int id = PressButtonId(wp);
      if (id && GetDlgItem(hwnd, id) && Pressable(hwnd, id))
        PostMessageA(hwnd, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(hwnd, id)));
      return Reply(hwnd, 0);
    }
    case PSM_ISDIALOGMESSAGE:
      return Reply(hwnd, IsSheetMessage(s, reinterpret_cast<MSG*>(lp)));
    case PSM_GETCURRENTPAGEHWND:
      return Reply(hwnd, s.ended ? 0 : reinterpret_cast<LRESULT>(s.CurrentWindow()));
    case PSM_GETTABCONTROL:
      return Reply(hwnd, reinterpret_cast<LRESULT>(s.tabs));
    case PSM_INDEXTOHWND:
      // The page's window; null for a page not created yet.
      return Reply(hwnd, wp < s.pages.size() ? reinterpret_cast<LRESULT>(s.pages[wp].hwnd) : 0);
    case PSM_GETRESULT:
      return Reply(hwnd, s.ended ? s.result : -1);
    default:
      return FALSE;
  }
}

}  // namespace qvp::ui::sheet
