// Painting static controls: text in the control font over the background its
// parent chooses, grey when disabled; rectangles and frames in the system
// colours their styles name; etched lines; bitmaps and icons.
#include <string>

#include "ui/controls/control_common.h"
#include "ui/controls/control_paint.h"
#include "ui/controls/static_control.h"

namespace qvp::ui {
namespace {

void PaintText(HWND hwnd, HDC hdc, const RECT& client, DWORD style, HBRUSH back) {
  FillRect(hdc, &client, back);
  UINT format = DT_EXPANDTABS;
  switch (StaticType(style)) {
    case SS_CENTER: format |= DT_CENTER | DT_WORDBREAK; break;
    case SS_RIGHT: format |= DT_RIGHT | DT_WORDBREAK; break;
    case SS_SIMPLE: format |= DT_SINGLELINE | DT_NOCLIP; break;
    case SS_LEFTNOWORDWRAP: format |= DT_SINGLELINE; break;
    default: format |= DT_LEFT | DT_WORDBREAK; break;
  }
  if (style & SS_NOPREFIX) format |= DT_NOPREFIX;
  if (style & SS_CENTERIMAGE) format = (format & ~DT_WORDBREAK) | DT_SINGLELINE | DT_VCENTER;
  switch (style & SS_ELLIPSISMASK) {
    case SS_ENDELLIPSIS: format |= DT_END_ELLIPSIS; break;
    case SS_PATHELLIPSIS: format |= DT_PATH_ELLIPSIS; break;
    case SS_WORDELLIPSIS: format |= DT_WORD_ELLIPSIS; break;
    default: break;
  }
  if (!IsWindowEnabled(hwnd)) SetTextColor(hdc, GetSysColor(COLOR_GRAYTEXT));
  SetBkMode(hdc, TRANSPARENT);
  std::string text = TextOf(hwnd);
  RECT r = client;
  DrawTextA(hdc, text.c_str(), static_cast<int>(text.size()), &r, format);
}

void PaintImage(HDC hdc, const StaticState& s, const RECT& client, DWORD style, HBRUSH back) {
  FillRect(hdc, &client, back);
  const UINT type = StaticType(style) == SS_BITMAP ? IMAGE_BITMAP : IMAGE_ICON;
  int x = client.left, y = client.top;
  if (style & SS_CENTERIMAGE) {
    SIZE size = ImageSize(s.image, type);
    x += (client.right - client.left - size.cx) / 2;
    y += (client.bottom - client.top - size.cy) / 2;
  }
  DrawImage(hdc, s.image, type, x, y);
}

}  // namespace

void PaintStatic(HWND hwnd, const StaticState& s, HDC hdc) {
  const RECT client = ClientRectOf(hwnd);
  const DWORD style = StyleOf(hwnd);
  FontScope font(hdc, s.font);
  HBRUSH back = PrepareColours(hwnd, hdc, WM_CTLCOLORSTATIC);
  RECT r = client;
  switch (StaticType(style)) {
    case SS_BLACKRECT: FillRect(hdc, &r, GetSysColorBrush(COLOR_WINDOWFRAME)); break;
    case SS_GRAYRECT: FillRect(hdc, &r, GetSysColorBrush(COLOR_BACKGROUND)); break;
    case SS_WHITERECT: FillRect(hdc, &r, GetSysColorBrush(COLOR_WINDOW)); break;
    case SS_BLACKFRAME: FrameRect(hdc, &r, GetSysColorBrush(COLOR_WINDOWFRAME)); break;
    case SS_GRAYFRAME: FrameRect(hdc, &r, GetSysColorBrush(COLOR_BACKGROUND)); break;
    case SS_WHITEFRAME: FrameRect(hdc, &r, GetSysColorBrush(COLOR_WINDOW)); break;
    case SS_ETCHEDHORZ: DrawEdge(hdc, &r, EDGE_ETCHED, BF_TOP); break;
    case SS_ETCHEDVERT: DrawEdge(hdc, &r, EDGE_ETCHED, BF_LEFT); break;
    case SS_ETCHEDFRAME: DrawEdge(hdc, &r, EDGE_ETCHED, BF_RECT); break;
    case SS_BITMAP:
    case SS_ICON: PaintImage(hdc, s, client, style, back); break;
    case SS_USERITEM:
    case SS_ENHMETAFILE:
    case SS_OWNERDRAW: FillRect(hdc, &r, back); break;
    default: PaintText(hwnd, hdc, client, style, back); break;
  }
  if (style & SS_SUNKEN) {
    r = client;
    DrawEdge(hdc, &r, BDR_SUNKENOUTER, BF_RECT);
  }
}

}  // namespace qvp::ui
