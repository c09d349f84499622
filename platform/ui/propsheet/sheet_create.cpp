// PropertySheetA: the sheet's pages from the header, the sheet's own dialog
// template (offered to PSCB_PRECREATE), the sheet window, and for a modal
// sheet the loop that runs it until a button ends it.
#include <cstring>

#include "qvplatform/dlgtemplate.h"
#include "ui/dialog_state.h"
#include "ui/last_error.h"
#include "ui/propsheet/sheet.h"

#ifndef SS_ETCHEDHORZ
#define SS_ETCHEDHORZ 0x00000010L
#endif

namespace qvp::ui::sheet {
namespace {

using qvp::ControlDesc;
using qvp::NameOrId;
using qvp::StandardClass;

ControlDesc Button(int id, const char* text, DWORD style) {
  ControlDesc c;
  c.style = WS_CHILD | WS_TABSTOP | style;
  c.id = static_cast<uint32_t>(id);
  c.window_class = NameOrId::Id(static_cast<uint32_t>(StandardClass::kButton));
  c.text = NameOrId::Text(text);
  return c;
}

ControlDesc Tabs(bool wizard) {
  ControlDesc c;
  c.style = WS_CHILD | WS_CLIPSIBLINGS | (wizard ? 0 : WS_VISIBLE | WS_TABSTOP | WS_GROUP);
  c.id = IDD_PROPSHEET_TABS;
  c.window_class = NameOrId::Id(static_cast<uint32_t>(StandardClass::kTabControl));
  return c;
}

// The sheet's template: caption, font, tab strip and buttons. Positions and
// sizes come later, from the pages.
std::vector<uint8_t> SheetTemplate(const Sheet& s) {
  qvp::DialogDesc d;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN | DS_MODALFRAME | DS_3DLOOK | DS_SETFONT;
  if (!s.wizard || (s.flags & PSH_WIZARDCONTEXTHELP)) d.style |= DS_CONTEXTHELP;
  if (s.modeless) d.style |= WS_VISIBLE;
  d.exstyle = WS_EX_CONTROLPARENT;
  d.caption = NameOrId::Text(s.caption);
  d.font_face = NameOrId::Text("MS Sans Serif");
  d.font_point_size = 8;
  d.controls.push_back(Tabs(s.wizard));
  const DWORD vis = WS_VISIBLE;
  if (!s.wizard) {
    d.controls.push_back(Button(IDOK, "OK", vis | BS_DEFPUSHBUTTON | WS_GROUP));
    d.controls.push_back(Button(IDCANCEL, "Cancel", vis | BS_PUSHBUTTON));
    d.controls.push_back(Button(ID_APPLY_NOW, "&Apply", vis | BS_PUSHBUTTON | WS_DISABLED));
    d.controls.push_back(Button(IDHELP, "Help", vis | BS_PUSHBUTTON));
  } else {
    ControlDesc line;
    line.style = WS_CHILD | WS_VISIBLE | SS_ETCHEDHORZ;
    line.id = ID_WIZDIVIDER;
    line.window_class = NameOrId::Id(static_cast<uint32_t>(StandardClass::kStatic));
    line.text = NameOrId::Text("");
    d.controls.push_back(line);
    d.controls.push_back(Button(ID_WIZBACK, "< &Back", vis | BS_PUSHBUTTON | WS_GROUP));
    d.controls.push_back(Button(ID_WIZNEXT, "&Next >", vis | BS_DEFPUSHBUTTON));
    d.controls.push_back(Button(ID_WIZFINISH, "Finish", BS_PUSHBUTTON));
    d.controls.push_back(Button(IDCANCEL, "Cancel", vis | BS_PUSHBUTTON));
    d.controls.push_back(Button(IDHELP, "&Help", vis | BS_PUSHBUTTON));
  }
  std::vector<uint8_t> block;
  std::string error;
  if (!qvp::BuildDialogTemplate(d, &block, &error)) block.clear();
  return block;
}

// The pages the header names, as handles the sheet owns. False (every page
// made so far destroyed) when one cannot be made or taken.
bool TakePages(const PROPSHEETHEADERA& h, Sheet* s) {
  const auto* record = reinterpret_cast<const BYTE*>(h.ppsp);
  for (UINT i = 0; i < h.nPages; ++i) {
    HPROPSHEETPAGE page = nullptr;
    if (h.dwFlags & PSH_PROPSHEETPAGE) {
      // The records follow each other, each as long as its own dwSize says.
      const auto* psp = reinterpret_cast<const PROPSHEETPAGEA*>(record);
      page = CreatePropertySheetPageA(psp);
      if (page) record += psp->dwSize;
      if (page && !ClaimPage(page)) {
        DestroyPropertySheetPage(page);
        page = nullptr;
      }
    } else {
      page = h.phpage[i];
      if (!ClaimPage(page)) page = nullptr;
    }
    if (!page) {
      // Handles the caller gave stay the caller's when the sheet cannot be made.
      for (SheetPage& p : s->pages) {
        if (h.dwFlags & PSH_PROPSHEETPAGE)
          FreeSheetPage(p.handle);
        else
          UnclaimPage(p.handle);
      }
      s->pages.clear();
      return false;
    }
    s->pages.push_back(SheetPage{page, nullptr, false});
  }
  return true;
}

// The start page: a title (PSH_USEPSTARTPAGE) or an index.
int StartPage(const PROPSHEETHEADERA& h, const Sheet& s) {
  if (!(h.dwFlags & PSH_USEPSTARTPAGE)) return h.nStartPage < s.pages.size() ? static_cast<int>(h.nStartPage) : 0;
  std::string wanted;
  if (IS_INTRESOURCE(h.pStartPage)) {
    char buf[512] = {};
    LoadStringA(h.hInstance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(h.pStartPage)), buf, sizeof(buf));
    wanted = buf;
  } else if (h.pStartPage) {
    wanted = h.pStartPage;
  }
  for (size_t i = 0; i < s.pages.size(); ++i) {
    PageObject* obj = LivePage(s.pages[i].handle);
    if (obj && PageTitle(obj) == wanted) return static_cast<int>(i);
  }
  return 0;
}

HWND RootOf(HWND hwnd) {
  if (!hwnd) return nullptr;
  for (HWND up = GetParent(hwnd); up && (GetWindowLongPtrA(hwnd, GWL_STYLE) & WS_CHILD); up = GetParent(hwnd))
    hwnd = up;
  return hwnd;
}

bool HasMessages() {
  MSG m;
  return PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE) != FALSE;
}

// The modal loop: every message goes through the sheet's dialog keys first.
void RunModal(Sheet& s) {
  bool shown = false;
  MSG msg;
  while (!s.ended && IsWindow(s.hwnd)) {
    DialogInfo info;
    if (GetDialog(s.hwnd, &info) && info.ended) {
      // EndDialog on the sheet itself ends it with that result.
      s.ended = true;
      s.result = info.result;
      break;
    }
    if (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        // The quit request ends the sheet and goes on to the outer loop.
        PostQuitMessage(static_cast<int>(msg.wParam));
        break;
      }
      if (!SendMessageA(s.hwnd, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(&msg))) {
        TranslateMessage(&msg);
        DispatchMessageA(&msg);
      }
      continue;
    }
    if (!shown) {
      // The sheet appears once its queue has run dry.
      shown = true;
      ShowWindow(s.hwnd, SW_SHOWNORMAL);
      continue;
    }
    if (HWND owner = RootOf(s.parent))
      SendMessageA(owner, WM_ENTERIDLE, MSGF_DIALOGBOX, reinterpret_cast<LPARAM>(s.hwnd));
    RunModalIdleHook();
    if (s.ended || !IsWindow(s.hwnd) || HasMessages()) continue;
    WaitForModalInput();
  }
}

INT_PTR Fail(DWORD error) {
  SetError(error);
  return -1;
}

}  // namespace
}  // namespace qvp::ui::sheet

using namespace qvp::ui::sheet;

INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA lppsph) {
  if (!lppsph || lppsph->dwSize < PROPSHEETHEADERA_V1_SIZE || lppsph->nPages == 0 || lppsph->nPages > MAXPROPPAGES)
    return Fail(ERROR_INVALID_PARAMETER);
  PROPSHEETHEADERA h{};
  std::memcpy(&h, lppsph, PROPSHEETHEADERA_V1_SIZE);
  if (!h.ppsp) return Fail(ERROR_INVALID_PARAMETER);
  if (h.hwndParent && !IsWindow(h.hwndParent)) return Fail(ERROR_INVALID_WINDOW_HANDLE);

  auto sp = std::make_shared<Sheet>();
  Sheet& s = *sp;
  s.flags = h.dwFlags;
  s.instance = h.hInstance;
  s.parent = h.hwndParent;
  s.callback = (h.dwFlags & PSH_USECALLBACK) ? h.pfnCallback : nullptr;
  s.wizard = (h.dwFlags & PSH_WIZARD) != 0;
  s.modeless = (h.dwFlags & PSH_MODELESS) != 0;
  SetCaption(s, h.dwFlags, h.pszCaption);
  if (!TakePages(h, &s)) return Fail(ERROR_INVALID_PARAMETER);
  s.start = StartPage(h, s);

  std::vector<uint8_t> block = SheetTemplate(s);
  qvp::DialogTemplateReader check;
  if (!block.empty() && s.callback) {
    s.callback(nullptr, PSCB_PRECREATE, reinterpret_cast<LPARAM>(block.data()));
    // What the callback left must still be a template.
    if (!check.Open(block.data(), block.size())) block.clear();
  }
  if (block.empty()) {
    ReleasePages(s);
    return Fail(ERROR_INVALID_DATA);
  }

  if (!s.modeless) {
    // The owner is disabled before the sheet exists, so it never competes for activation.
    HWND owner = RootOf(h.hwndParent);
    if (owner && IsWindowEnabled(owner)) {
      EnableWindow(owner, FALSE);
      s.disabled_owner = owner;
    }
  }
  HWND hwnd = CreateDialogIndirectParamA(h.hInstance, block.data(), h.hwndParent, SheetProc,
                                         reinterpret_cast<LPARAM>(&sp));
  if (!hwnd || s.init_failed) {
    if (s.disabled_owner) EnableWindow(s.disabled_owner, TRUE);
    if (hwnd) DestroyWindow(hwnd);
    else ReleasePages(s);
    return Fail(ERROR_INVALID_DATA);
  }
  if (s.modeless) return reinterpret_cast<INT_PTR>(hwnd);

  RunModal(s);
  if (s.disabled_owner) {
    EnableWindow(s.disabled_owner, TRUE);
    s.disabled_owner = nullptr;
  }
  INT_PTR result = s.ended ? s.result : 0;
  if (IsWindow(hwnd)) DestroyWindow(hwnd);
  return result;
}
