// Dialog item helpers: finding controls, their text as text or numbers,
// buttons, tab and group order, dialog units.
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "qvplatform.h"
#include "qvplatform/gdi_text.h"
#include "ui/dialog_state.h"
#include "ui/last_error.h"
#include "ui/window_state.h"

namespace qvp::ui {
namespace {

struct Control {
  HWND hwnd;
  DWORD style;
  bool usable;  // visible and enabled
};

// The dialog's controls in tab order: children in z-order, descending into
// children that are control parents themselves (property pages).
void Flatten(const Window* parent, std::vector<Control>* out) {
  for (const Window* c : parent->children) {
    bool usable = VisibleLocked(c) && !(c->style & WS_DISABLED);
    if ((c->ex_style & WS_EX_CONTROLPARENT) && usable) {
      Flatten(c, out);
      continue;
    }
    out->push_back(Control{c->handle, c->style, usable});
  }
}

std::vector<Control> ControlsOf(HWND dlg) {
  std::vector<Control> out;
  WindowSystem& s = Sys();
  Lock g(s.lock);
  if (Window* w = FindLocked(dlg)) Flatten(w, &out);
  return out;
}

int IndexOf(const std::vector<Control>& list, HWND h) {
  for (size_t i = 0; i < list.size(); ++i)
    if (list[i].hwnd == h) return static_cast<int>(i);
  return -1;
}

std::string ItemText(HWND dlg, int id) {
  char buf[64] = {};
  GetDlgItemTextA(dlg, id, buf, sizeof(buf));
  return buf;
}

}  // namespace
}  // namespace qvp::ui

using namespace qvp::ui;

HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = RequireLocked(hDlg);
  if (!w) return nullptr;
  for (Window* c : w->children)
    if (static_cast<int>(c->id) == nIDDlgItem) return c->handle;
  SetError(ERROR_CONTROL_ID_NOT_FOUND);
  return nullptr;
}

int WINAPI GetDlgCtrlID(HWND hWnd) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = RequireLocked(hWnd);
  if (!w || !(w->style & WS_CHILD)) return 0;
  return static_cast<int>(w->id);
}

LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam) {
  HWND item = GetDlgItem(hDlg, nIDDlgItem);
  return item ? SendMessageA(item, Msg, wParam, lParam) : 0;
}

BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString) {
  HWND item = GetDlgItem(hDlg, nIDDlgItem);
  return item ? SetWindowTextA(item, lpString) : FALSE;
}

UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax) {
  if (lpString && cchMax > 0) lpString[0] = '\0';
  HWND item = GetDlgItem(hDlg, nIDDlgItem);
  if (!item || !lpString || cchMax <= 0) return 0;
  return static_cast<UINT>(SendMessageA(item, WM_GETTEXT, static_cast<WPARAM>(cchMax),
                                        reinterpret_cast<LPARAM>(lpString)));
}

BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned) {
  char buf[16];
  if (bSigned)
    std::snprintf(buf, sizeof(buf), "%d", static_cast<int>(uValue));
  else
    std::snprintf(buf, sizeof(buf), "%u", uValue);
  return SetDlgItemTextA(hDlg, nIDDlgItem, buf);
}

UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned) {
  if (lpTranslated) *lpTranslated = FALSE;
  if (!GetDlgItem(hDlg, nIDDlgItem)) return 0;
  std::string text = ItemText(hDlg, nIDDlgItem);
  // Leading blanks are skipped; conversion stops at the first non-digit.
  const char* p = text.c_str();
  while (*p == ' ' || *p == '\t') ++p;
  if (!bSigned && *p == '-') return 0;
  if (*p < '0' || *p > '9') {
    if (!((*p == '-' || *p == '+') && p[1] >= '0' && p[1] <= '9')) return 0;
  }
  errno = 0;
  char* end = nullptr;
  long long v = std::strtoll(p, &end, 10);
  if (end == p || errno == ERANGE) return 0;
  if (bSigned ? (v < INT_MIN || v > INT_MAX) : (v < 0 || v > static_cast<long long>(UINT_MAX))) return 0;
  if (lpTranslated) *lpTranslated = TRUE;
  return static_cast<UINT>(v);
}

BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck) {
  HWND item = GetDlgItem(hDlg, nIDButton);
  if (!item) return FALSE;
  SendMessageA(item, BM_SETCHECK, uCheck, 0);
  return TRUE;
}

UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton) {
  return static_cast<UINT>(SendDlgItemMessageA(hDlg, nIDButton, BM_GETCHECK, 0, 0));
}

BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton) {
  std::vector<std::pair<HWND, int>> buttons;
  {
    WindowSystem& s = Sys();
    Lock g(s.lock);
    Window* w = RequireLocked(hDlg);
    if (!w) return FALSE;
    for (Window* c : w->children) {
      int id = static_cast<int>(c->id);
      if (id >= nIDFirstButton && id <= nIDLastButton) buttons.emplace_back(c->handle, id);
    }
  }
  for (auto& [h, id] : buttons)
    SendMessageA(h, BM_SETCHECK, id == nIDCheckButton ? BST_CHECKED : BST_UNCHECKED, 0);
  return TRUE;
}

HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
  std::vector<Control> list = ControlsOf(hDlg);
  int n = static_cast<int>(list.size());
  if (n == 0) return hCtl;
  int start = IndexOf(list, hCtl);
  int step = bPrevious ? -1 : 1;
  if (start < 0) start = bPrevious ? 0 : n - 1;  // the search begins at the first (or last) control
  for (int k = 1; k <= n; ++k) {
    const Control& c = list[static_cast<size_t>(((start + step * k) % n + n) % n)];
    if (c.usable && (c.style & WS_TABSTOP)) return c.hwnd;
  }
  return hCtl;
}

HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious) {
  std::vector<Control> list = ControlsOf(hDlg);
  int n = static_cast<int>(list.size());
  if (n == 0) return hCtl;
  int at = IndexOf(list, hCtl);
  if (at < 0) at = 0;
  int first = at;
  while (first > 0 && !(list[static_cast<size_t>(first)].style & WS_GROUP)) --first;
  int last = at + 1;
  while (last < n && !(list[static_cast<size_t>(last)].style & WS_GROUP)) ++last;
  int size = last - first;
  int step = bPrevious ? -1 : 1;
  for (int k = 1; k <= size; ++k) {
    int i = first + (((at - first) + step * k) % size + size) % size;
    if (list[static_cast<size_t>(i)].usable) return list[static_cast<size_t>(i)].hwnd;
  }
  return hCtl;
}

LONG WINAPI GetDialogBaseUnits() {
  SIZE base = qvp::FontDialogBaseUnits(nullptr);
  return MAKELONG(static_cast<WORD>(base.cx), static_cast<WORD>(base.cy));
}

BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect) {
  if (!lpRect) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  DialogInfo info;
  if (!GetDialog(hDlg, &info)) {
    SetError(IsWindow(hDlg) ? ERROR_INVALID_PARAMETER : ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  lpRect->left = MulDiv(lpRect->left, info.base.cx, 4);
  lpRect->right = MulDiv(lpRect->right, info.base.cx, 4);
  lpRect->top = MulDiv(lpRect->top, info.base.cy, 8);
  lpRect->bottom = MulDiv(lpRect->bottom, info.base.cy, 8);
  return TRUE;
}
