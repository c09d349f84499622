// The message box as a dialog on the screen: the text word-wrapped, the
// buttons centred under it.
#include "ui/message_box_screen.h"

#include <algorithm>

#include "qvplatform/display.h"
#include "qvplatform/dlgtemplate.h"

namespace qvp::ui {
namespace {

constexpr int kTextId = 0xFFFF;
constexpr int kMargin = 12;
constexpr int kButtonWidth = 75, kButtonHeight = 23, kButtonGap = 6;
constexpr int kMaxTextWidth = 420;

const char* ButtonText(int id) {
  switch (id) {
    case IDOK: return "OK";
    case IDCANCEL: return "Cancel";
    case IDABORT: return "&Abort";
    case IDRETRY: return "&Retry";
    case IDIGNORE: return "&Ignore";
    case IDYES: return "&Yes";
    case IDNO: return "&No";
    case IDTRYAGAIN: return "&Try Again";
    case IDCONTINUE: return "&Continue";
    default: return "?";
  }
}

struct Box {
  std::string text;
  UINT type = 0;
  std::vector<int> buttons;
  int default_button = IDOK;
};

bool Offers(const Box& b, int id) { return std::find(b.buttons.begin(), b.buttons.end(), id) != b.buttons.end(); }

// Sizes the box to its text in the dialog's real font and places it over its
// owner (or the screen's centre).
void Layout(HWND dlg, const Box& box) {
  HWND label = GetDlgItem(dlg, kTextId);
  HDC dc = GetDC(dlg);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageA(dlg, WM_GETFONT, 0, 0)));
  RECT text{0, 0, kMaxTextWidth, 0};
  DrawTextA(dc, box.text.c_str(), static_cast<int>(box.text.size()), &text,
            DT_CALCRECT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX);
  SelectObject(dc, old);
  ReleaseDC(dlg, dc);
  const int n = static_cast<int>(box.buttons.size());
  const int row = n * kButtonWidth + (n - 1) * kButtonGap;
  const int width = std::max<int>(text.right + 2 * kMargin, row + 2 * kMargin);
  const int height = kMargin + std::max<int>(text.bottom, 8) + kMargin + kButtonHeight + kMargin;
  MoveWindow(label, kMargin, kMargin, text.right + 1, text.bottom, FALSE);
  int x = (width - row) / 2;
  for (int id : box.buttons) {
    MoveWindow(GetDlgItem(dlg, id), x, height - kMargin - kButtonHeight, kButtonWidth, kButtonHeight, FALSE);
    x += kButtonWidth + kButtonGap;
  }
  RECT frame{0, 0, width, height};
  AdjustWindowRectEx(&frame, static_cast<DWORD>(GetWindowLongA(dlg, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongA(dlg, GWL_EXSTYLE)));
  const int fw = frame.right - frame.left, fh = frame.bottom - frame.top;
  RECT over{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  if (HWND owner = GetWindow(dlg, GW_OWNER)) GetWindowRect(owner, &over);
  const int left = std::max<int>(0, (over.left + over.right - fw) / 2);
  const int top = std::max<int>(0, (over.top + over.bottom - fh) / 2);
  SetWindowPos(dlg, nullptr, left, top, fw, fh, SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK BoxProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  const auto* box = reinterpret_cast<const Box*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      box = reinterpret_cast<const Box*>(lp);
      Layout(dlg, *box);
      SetForegroundWindow(dlg);
      SetFocus(GetDlgItem(dlg, box->default_button));
      return FALSE;
    case WM_COMMAND: {
      int id = LOWORD(wp);
      if (!box) return FALSE;
      // Esc and the close box: Cancel where offered, OK on an OK-only box.
      if (id == IDCANCEL && !Offers(*box, IDCANCEL)) {
        if ((box->type & MB_TYPEMASK) != MB_OK) return TRUE;
        id = IDOK;
      }
      if (Offers(*box, id)) EndDialog(dlg, id);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

ControlDesc Control(const char* cls, int id, const char* text, uint32_t style) {
  ControlDesc c;
  c.window_class = NameOrId::Text(cls);
  c.id = static_cast<uint32_t>(id);
  c.text = NameOrId::Text(text);
  c.style = style | WS_CHILD | WS_VISIBLE;
  c.cx = 1;
  c.cy = 1;
  return c;
}

}  // namespace

std::optional<int> ShowMessageBoxOnScreen(HWND owner, const std::string& caption, const std::string& text, UINT type,
                                          const std::vector<int>& buttons, int default_button) {
  if (!DisplayOpen() || buttons.empty()) return std::nullopt;
  Box box{text, type, buttons, default_button};
  DialogDesc d;
  d.style = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_SETFOREGROUND;
  if (type & (MB_SYSTEMMODAL | MB_TOPMOST | MB_SERVICE_NOTIFICATION)) d.exstyle |= WS_EX_TOPMOST;
  d.cx = 200;
  d.cy = 60;
  d.caption = NameOrId::Text(caption);
  d.font_face = NameOrId::Text("MS Sans Serif");
  d.font_point_size = 8;
  d.controls.push_back(Control("Static", kTextId, text.c_str(), SS_LEFT | SS_NOPREFIX));
  for (int id : buttons)
    d.controls.push_back(Control("Button", id, ButtonText(id),
                                 WS_TABSTOP | (id == default_button ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON)));
  std::vector<uint8_t> block;
  std::string error;
  if (!BuildDialogTemplate(d, &block, &error)) return std::nullopt;
  INT_PTR answer = DialogBoxIndirectParamA(nullptr, reinterpret_cast<LPCDLGTEMPLATEA>(block.data()), owner, BoxProc,
                                           reinterpret_cast<LPARAM>(&box));
  if (answer <= 0) return std::nullopt;
  return static_cast<int>(answer);
}

}  // namespace qvp::ui
