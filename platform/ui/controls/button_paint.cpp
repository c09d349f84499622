// Painting buttons in the classic look: raised push buttons (sunken while
// pressed, framed when default), check and radio marks beside the text, the
// etched frame of a group box; grey text when disabled; a focus rectangle.
#include <string>

#include "ui/controls/button.h"
#include "ui/controls/control_common.h"
#include "ui/controls/control_paint.h"

namespace qvp::ui {
namespace {

constexpr int kMark = 13;  // check box and radio button marks

// DrawTextA alignment for the BS_ alignment bits, given the kind's default.
UINT TextFormat(DWORD style, UINT horizontal_default) {
  UINT f = (style & BS_MULTILINE) ? DT_WORDBREAK : DT_SINGLELINE;
  switch (style & BS_CENTER) {
    case BS_LEFT: f |= DT_LEFT; break;
    case BS_RIGHT: f |= DT_RIGHT; break;
    case BS_CENTER: f |= DT_CENTER; break;
    default: f |= horizontal_default; break;
  }
  switch (style & BS_VCENTER) {
    case BS_TOP: f |= DT_TOP; break;
    case BS_BOTTOM: f |= DT_BOTTOM; break;
    default: f |= (f & DT_SINGLELINE) ? DT_VCENTER : 0; break;
  }
  return f;
}

// The caption (or the image of a BS_BITMAP / BS_ICON button) in r; gives back where the text went.
RECT DrawLabel(HWND hwnd, const ButtonState& s, HDC hdc, RECT r, UINT format) {
  const DWORD style = StyleOf(hwnd);
  if ((style & (BS_BITMAP | BS_ICON)) && s.image) {
    SIZE size = ImageSize(s.image, s.image_type);
    int x = r.left + (r.right - r.left - size.cx) / 2;
    int y = r.top + (r.bottom - r.top - size.cy) / 2;
    DrawImage(hdc, s.image, s.image_type, x, y);
    return RECT{x, y, x + size.cx, y + size.cy};
  }
  std::string text = TextOf(hwnd);
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  if (!enabled) SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(hdc, TRANSPARENT);
  RECT measured = r;
  DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &measured, format | DT_CALCRECT);
  DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &r, format);
  // Where the text landed, for the focus rectangle.
  const int w = measured.right - measured.left, h = measured.bottom - measured.top;
  int x = r.left, y = r.top;
  if (format & DT_CENTER) x += (r.right - r.left - w) / 2;
  if (format & DT_RIGHT) x = r.right - w;
  if (format & DT_VCENTER) y += (r.bottom - r.top - h) / 2;
  if (format & DT_BOTTOM) y = r.bottom - h;
  return RECT{x, y, x + w, y + h};
}

void PaintPush(HWND hwnd, const ButtonState& s, HDC hdc, const RECT& client) {
  const DWORD style = StyleOf(hwnd);
  PrepareColours(hwnd, hdc, WM_CTLCOLORBTN);
  SetTextColor(hdc, GetSysColor(COLOR_BTNTEXT));
  RECT r = client;
  FillRect(hdc, &r, GetSysColorBrush(COLOR_BTNFACE));
  const bool pushed = s.pushed || ((style & BS_PUSHLIKE) && s.check == BST_CHECKED);
  if (ButtonType(style) == BS_DEFPUSHBUTTON) {
    FrameRect(hdc, &r, GetSysColorBrush(COLOR_WINDOWFRAME));
    r = Inset(r, 1, 1);
  }
  if (pushed) {
    FrameRect(hdc, &r, GetSysColorBrush(COLOR_BTNSHADOW));
  } else {
    RECT edge = r;
    DrawEdge(hdc, &edge, EDGE_RAISED, BF_RECT | BF_SOFT);
  }
  RECT inside = Inset(r, 2, 2);
  if (pushed) inside = RECT{inside.left + 1, inside.top + 1, inside.right + 1, inside.bottom + 1};
  DrawLabel(hwnd, s, hdc, inside, TextFormat(style, DT_CENTER));
  if (s.focused) {
    RECT focus = Inset(r, 3, 3);
    DrawFocusRect(hdc, &focus);
  }
}

void PaintMarked(HWND hwnd, const ButtonState& s, HDC hdc, const RECT& client) {
  const DWORD style = StyleOf(hwnd);
  const UINT type = ButtonType(style);
  HBRUSH back = PrepareColours(hwnd, hdc, WM_CTLCOLORSTATIC);
  FillRect(hdc, &client, back);
  const bool right = (style & BS_LEFTTEXT) != 0;
  const int top = client.top + (client.bottom - client.top - kMark) / 2;
  RECT box = right ? RECT{client.right - kMark, top, client.right, top + kMark}
                   : RECT{client.left, top, client.left + kMark, top + kMark};
  const bool enabled = IsWindowEnabled(hwnd) != FALSE;
  if (type == BS_RADIOBUTTON || type == BS_AUTORADIOBUTTON)
    DrawRadioMark(hdc, box, s.check == BST_CHECKED, s.pushed, enabled);
  else
    DrawCheckMark(hdc, box, s.check, s.pushed, enabled);
  RECT text = right ? RECT{client.left, client.top, box.left - 4, client.bottom}
                    : RECT{box.right + 4, client.top, client.right, client.bottom};
  RECT drawn = DrawLabel(hwnd, s, hdc, text, TextFormat(style, DT_LEFT));
  if (s.focused) {
    RECT focus = Inset(drawn, -1, 0);
    DrawFocusRect(hdc, &focus);
  }
}

void PaintGroup(HWND hwnd, const ButtonState& s, HDC hdc, const RECT& client) {
  HBRUSH back = PrepareColours(hwnd, hdc, WM_CTLCOLORSTATIC);
  TEXTMETRICA tm{};
  GetTextMetricsA(hdc, &tm);
  RECT frame{client.left, client.top + tm.tmHeight / 2, client.right, client.bottom};
  DrawEdge(hdc, &frame, EDGE_ETCHED, BF_RECT);
  std::string text = TextOf(hwnd);
  if (text.empty()) return;
  RECT label{client.left + 8, client.top, client.right - 8, client.top + tm.tmHeight};
  RECT measured = label;
  DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &measured, DT_SINGLELINE | DT_CALCRECT);
  // The frame stops on either side of the caption.
  RECT gap{label.left - 2, label.top, std::min(label.right, measured.right + 2), label.bottom};
  FillRect(hdc, &gap, back);
  DrawLabel(hwnd, s, hdc, label, DT_SINGLELINE | DT_LEFT | DT_TOP);
}

}  // namespace

void PaintButton(HWND hwnd, const ButtonState& s, HDC hdc) {
  const RECT client = ClientRectOf(hwnd);
  FontScope font(hdc, s.font);
  const DWORD style = StyleOf(hwnd);
  switch (ButtonType(style)) {
    case BS_CHECKBOX: case BS_AUTOCHECKBOX: case BS_3STATE: case BS_AUTO3STATE:
    case BS_RADIOBUTTON: case BS_AUTORADIOBUTTON:
      if (style & BS_PUSHLIKE)
        PaintPush(hwnd, s, hdc, client);
      else
        PaintMarked(hwnd, s, hdc, client);
      break;
    case BS_GROUPBOX:
      PaintGroup(hwnd, s, hdc, client);
      break;
    case BS_USERBUTTON:
    case BS_OWNERDRAW:
      break;
    default:
      PaintPush(hwnd, s, hdc, client);
      break;
  }
}

}  // namespace qvp::ui
