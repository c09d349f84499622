// Dialogs from flat templates: creation, the modal loop and EndDialog.
#include <algorithm>
#include <string>

#include "qvplatform.h"
#include "qvplatform/dlgtemplate.h"
#include "qvplatform/gdi_text.h"
#include "resources/dialog_ids.h"
#include "ui/dialog_state.h"
#include "ui/last_error.h"
#include "ui/window_state.h"

namespace qvp::ui {
namespace {

std::string TextOf(const qvp::TemplateRef& ref) {
  return ref.kind == qvp::RefKind::kText ? std::string(ref.text) : std::string();
}

HWND TopLevelOf(HWND hwnd) {
  WindowSystem& s = Sys();
  Lock g(s.lock);
  Window* w = FindLocked(hwnd);
  return w && !w->is_root ? RootOf(w)->handle : nullptr;
}

// Where the dialog goes: its client area starts at the template's position,
// counted from the owner's client area unless DS_ABSALIGN; DS_CENTER centres it.
RECT Placement(const qvp::DialogHeaderView& h, DWORD style, DWORD ex, SIZE base, HWND parent) {
  RECT r{MulDiv(h.x, base.cx, 4), MulDiv(h.y, base.cy, 8), 0, 0};
  r.right = r.left + MulDiv(h.cx, base.cx, 4);
  r.bottom = r.top + MulDiv(h.cy, base.cy, 8);
  AdjustWindowRectEx(&r, style, FALSE, ex);
  LONG w = r.right - r.left, hgt = r.bottom - r.top;
  const bool child = (style & WS_CHILD) != 0;
  LONG area_w = GetSystemMetrics(SM_CXSCREEN), area_h = GetSystemMetrics(SM_CYSCREEN);
  if (child && parent) {
    RECT pc;
    GetClientRect(parent, &pc);
    area_w = pc.right;
    area_h = pc.bottom;
  }
  POINT pos{r.left, r.top};
  if (style & DS_CENTER) {
    pos = POINT{(area_w - w) / 2, (area_h - hgt) / 2};
  } else if (!child && !(style & DS_ABSALIGN) && parent) {
    POINT origin{0, 0};
    ClientToScreen(parent, &origin);
    pos.x += origin.x;
    pos.y += origin.y;
  }
  if (!child) {
    // A top-level dialog stays on the screen.
    pos.x = std::max<LONG>(0, std::min(pos.x, area_w - w));
    pos.y = std::max<LONG>(0, std::min(pos.y, area_h - hgt));
  }
  return RECT{pos.x, pos.y, pos.x + w, pos.y + hgt};
}

bool CreateControls(HWND dlg, HINSTANCE inst, const qvp::DialogTemplateReader& t, HFONT font, SIZE base,
                    UINT* def_id) {
  for (size_t i = 0; i < t.control_count(); ++i) {
    qvp::DialogControlView c = t.control(i);
    std::string cls_name;
    if (c.window_class.kind == qvp::RefKind::kOrdinal) {
      const char* name = qvp::StandardClassName(static_cast<uint16_t>(c.window_class.ordinal));
      cls_name = name ? name : "";
    } else {
      cls_name = TextOf(c.window_class);
    }
    std::string text = TextOf(c.text);
    LPCSTR title = c.text.kind == qvp::RefKind::kOrdinal
                       ? reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(c.text.ordinal)))
                       : text.c_str();
    int x = MulDiv(c.x, base.cx, 4), y = MulDiv(c.y, base.cy, 8);
    int w = MulDiv(c.cx, base.cx, 4), h = MulDiv(c.cy, base.cy, 8);
    HWND ctl = CreateWindowExA(c.exstyle | WS_EX_NOPARENTNOTIFY, cls_name.c_str(), title, c.style | WS_CHILD, x, y, w,
                               h, dlg, reinterpret_cast<HMENU>(static_cast<ULONG_PTR>(c.id)), inst,
                               c.data_size ? const_cast<uint8_t*>(c.data) : nullptr);
    if (!ctl) {
      if (t.header().style & DS_NOFAILCREATE) continue;
      return false;
    }
    if (font) SendMessageA(ctl, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (SendMessageA(ctl, WM_GETDLGCODE, 0, 0) & DLGC_DEFPUSHBUTTON) *def_id = c.id;
  }
  return true;
}

HWND CreateFromTemplate(HINSTANCE inst, const qvp::DialogTemplateReader& t, HWND parent, DLGPROC proc, LPARAM param,
                        bool modal, UINT template_id = 0) {
  const qvp::DialogHeaderView& h = t.header();
  DWORD style = h.style;
  DWORD ex = h.exstyle;
  if (style & DS_MODALFRAME) ex |= WS_EX_DLGMODALFRAME;
  if (style & DS_CONTROL) ex |= WS_EX_CONTROLPARENT;
  if (style & DS_SYSMODAL) ex |= WS_EX_TOPMOST;
  const bool visible = (style & WS_VISIBLE) != 0;

  HFONT font = nullptr;
  if ((style & DS_SETFONT) && h.font_face.kind == qvp::RefKind::kText) {
    std::string face(h.font_face.text);
    font = CreateFontA(-MulDiv(h.font_point_size, 96, 72), 0, 0, 0, h.font_weight, h.font_italic ? TRUE : FALSE,
                       FALSE, FALSE, DEFAULT_CHARSET, 0, 0, 0, 0, face.c_str());
  }
  SIZE base = qvp::FontDialogBaseUnits(font);
  if (base.cx == 0 || base.cy == 0) base = qvp::FontDialogBaseUnits(nullptr);

  std::string cls_name;
  LPCSTR cls = WC_DIALOG;
  if (h.window_class.kind == qvp::RefKind::kOrdinal) {
    cls = reinterpret_cast<LPCSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(h.window_class.ordinal)));
  } else if (h.window_class.kind == qvp::RefKind::kText) {
    cls_name = std::string(h.window_class.text);
    cls = cls_name.c_str();
  }
  std::string caption = TextOf(h.caption);

  HWND disabled = nullptr;
  if (modal && parent) {
    // The owner is disabled before the dialog exists, so it never competes for activation.
    HWND root = TopLevelOf(parent);
    if (root && IsWindowEnabled(root)) {
      EnableWindow(root, FALSE);
      disabled = root;
    }
  }
  RECT r = Placement(h, style, ex, base, parent);
  HWND dlg = CreateWindowExA(ex, cls, caption.c_str(), style & ~WS_VISIBLE, r.left, r.top, r.right - r.left,
                             r.bottom - r.top, parent, nullptr, inst, nullptr);
  if (!dlg) {
    if (font) DeleteObject(font);
    if (disabled) EnableWindow(disabled, TRUE);
    return nullptr;
  }
  DialogInfo info;
  info.font = font;
  info.owns_font = font != nullptr;
  info.base = base;
  info.modal = modal;
  info.disabled_owner = disabled;
  info.template_id = template_id;
  AddDialog(dlg, info);
  SetWindowLongPtrA(dlg, DWL_DLGPROC, reinterpret_cast<LONG_PTR>(proc));
  if (font) SendMessageA(dlg, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);

  UINT def_id = 0;
  if (!CreateControls(dlg, inst, t, font, base, &def_id)) {
    DestroyWindow(dlg);
    if (disabled) EnableWindow(disabled, TRUE);
    return nullptr;
  }
  if (def_id) UpdateDialog(dlg, [&](DialogInfo& i) { i.def_id = def_id; });

  HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE);
  LRESULT wants_focus = SendMessageA(dlg, WM_INITDIALOG, reinterpret_cast<WPARAM>(first), param);
  if (!IsWindow(dlg)) {
    if (disabled) EnableWindow(disabled, TRUE);
    return nullptr;
  }
  // TRUE from WM_INITDIALOG asks for the focus on the first tab stop (not for a
  // hidden child dialog, which must not take focus from its parent).
  if (wants_focus && (!(style & DS_CONTROL) || visible)) {
    HWND target = GetNextDlgTabItem(dlg, nullptr, FALSE);
    if (target) DialogFocus(dlg, target);
  }
  if (!modal && visible && !IsWindowVisible(dlg)) ShowWindow(dlg, SW_SHOWNORMAL);
  return dlg;
}

// The number a template was named by; 0 for a template named by text.
UINT ResourceId(LPCSTR name) {
  return IS_INTRESOURCE(name) ? static_cast<UINT>(reinterpret_cast<ULONG_PTR>(name)) : 0;
}

bool HasMessages() {
  MSG m;
  return PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

INT_PTR RunModal(HWND dlg, HWND owner, bool idle_messages) {
  bool shown = false;
  MSG msg;
  for (;;) {
    DialogInfo info;
    if (!IsWindow(dlg) || !GetDialog(dlg, &info) || info.ended) break;
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The quit request ends the dialog and goes on to the outer loop.
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (!IsDialogMessageA(dlg, &msg)) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      continue;
    }
    if (!shown) {
      // The dialog appears once its queue has run dry.
      shown = true;
      ShowWindow(dlg, SW_SHOWNORMAL);
      continue;
    }
    if (idle_messages && owner) SendMessageA(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(dlg));
    RunModalIdleHook();
    if (!IsWindow(dlg) || !GetDialog(dlg, &info) || info.ended || HasMessages()) continue;
    WaitForModalInput();
  }
  DialogInfo info;
  INT_PTR result = 0;
  if (GetDialog(dlg, &info)) {
    result = info.ended ? info.result : 0;
    if (info.disabled_owner) EnableWindow(info.disabled_owner, TRUE);
  }
  if (IsWindow(dlg)) DestroyWindow(dlg);
  return result;
}

}  // namespace
}  // namespace qvp::ui

using namespace qvp::ui;

HWND WINAPI CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  qvp::DialogTemplateReader t;
  if (!lpTemplate || !t.OpenUnsized(lpTemplate)) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (hWndParent && !IsWindow(hWndParent)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return CreateFromTemplate(hInstance, t, hWndParent, lpDialogFunc, dwInitParam, false,
                            qvp::KnownDialogTemplateId(lpTemplate, t.size()));
}

HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
  qvp::ResourceBytes bytes = qvp::FindDialogTemplate(hInstance, lpTemplateName);
  if (!bytes) return nullptr;
  qvp::DialogTemplateReader t;
  if (!t.Open(bytes.data, bytes.size)) {
    SetError(ERROR_INVALID_DATA);
    return nullptr;
  }
  if (hWndParent && !IsWindow(hWndParent)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  return CreateFromTemplate(hInstance, t, hWndParent, lpDialogFunc, dwInitParam, false, ResourceId(lpTemplateName));
}

INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate, HWND hWndParent,
                                       DLGPROC lpDialogFunc, LPARAM dwInitParam) {
  qvp::DialogTemplateReader t;
  if (!hDialogTemplate || !t.OpenUnsized(hDialogTemplate)) {
    SetError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  if (hWndParent && !IsWindow(hWndParent)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  HWND dlg = CreateFromTemplate(hInstance, t, hWndParent, lpDialogFunc, dwInitParam, true,
                                qvp::KnownDialogTemplateId(hDialogTemplate, t.size()));
  if (!dlg) return -1;
  return RunModal(dlg, TopLevelOf(hWndParent), !(t.header().style & DS_NOIDLEMSG));
}

INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent, DLGPROC lpDialogFunc,
                               LPARAM dwInitParam) {
  qvp::ResourceBytes bytes = qvp::FindDialogTemplate(hInstance, lpTemplateName);
  if (!bytes) return -1;
  qvp::DialogTemplateReader t;
  if (!t.Open(bytes.data, bytes.size)) {
    SetError(ERROR_INVALID_DATA);
    return -1;
  }
  if (hWndParent && !IsWindow(hWndParent)) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  HWND dlg = CreateFromTemplate(hInstance, t, hWndParent, lpDialogFunc, dwInitParam, true, ResourceId(lpTemplateName));
  if (!dlg) return -1;
  return RunModal(dlg, TopLevelOf(hWndParent), !(t.header().style & DS_NOIDLEMSG));
}

BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult) {
  HWND owner = nullptr;
  if (!UpdateDialog(hDlg, [&](DialogInfo& i) {
        i.ended = true;
        i.result = nResult;
        owner = i.disabled_owner;
        i.disabled_owner = nullptr;
      })) {
    SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  // The owner comes back first, so that hiding the dialog hands activation to it.
  if (owner) EnableWindow(owner, TRUE);
  ShowWindow(hDlg, SW_HIDE);
  PostMessageA(hDlg, WM_NULL, 0, 0);  // wakes the modal loop
  return TRUE;
}
