#include "ui/comctl/comctl_common.h"

#include <algorithm>
#include <cctype>
#include <cstring>

namespace qvp::ui::comctl {

void ControlBase::Attach(HWND hwnd, const CREATESTRUCTA* cs) {
  self = hwnd;
  notify = cs && cs->hwndParent ? cs->hwndParent : GetParent(hwnd);
}

UINT ControlBase::Id() const { return static_cast<UINT>(GetWindowLongPtrA(self, GWL_ID)); }

DWORD ControlBase::Style() const { return static_cast<DWORD>(GetWindowLongPtrA(self, GWL_STYLE)); }

HFONT ControlBase::Font() const { return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT)); }

LRESULT ControlBase::Notify(UINT code, NMHDR* hdr) const {
  hdr->hwndFrom = self;
  hdr->idFrom = Id();
  hdr->code = code;
  if (!notify || !IsWindow(notify)) return 0;
  return SendMessageA(notify, WM_NOTIFY, hdr->idFrom, reinterpret_cast<LPARAM>(hdr));
}

LRESULT ControlBase::Notify(UINT code) const {
  NMHDR hdr{};
  return Notify(code, &hdr);
}

void ControlBase::Command(WORD id, WORD code) const {
  if (!notify || !IsWindow(notify)) return;
  SendMessageA(notify, WM_COMMAND, MAKEWPARAM(id, code), reinterpret_cast<LPARAM>(self));
}

void ControlBase::SetFont(WPARAM wp, LPARAM lp) {
  font = reinterpret_cast<HFONT>(wp);
  if (LOWORD(lp)) Repaint();
}

void ControlBase::Repaint() const {
  if (redraw) InvalidateRect(self, nullptr, TRUE);
}

void ControlBase::Repaint(const RECT& r) const {
  if (redraw) InvalidateRect(self, &r, TRUE);
}

LRESULT ControlBase::Common(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      Attach(hwnd, reinterpret_cast<const CREATESTRUCTA*>(lp));
      return 0;
    case WM_SETFONT:
      SetFont(wp, lp);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font);
    case WM_SETREDRAW:
      redraw = wp != 0;
      Repaint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

namespace {

// A memory DC with the font selected, for measuring.
class MeasureDC {
 public:
  explicit MeasureDC(HFONT font) : dc_(CreateCompatibleDC(nullptr)) {
    if (!font) font = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
    if (dc_) old_ = SelectObject(dc_, font);
  }
  ~MeasureDC() {
    if (!dc_) return;
    SelectObject(dc_, old_);
    DeleteDC(dc_);
  }
  MeasureDC(const MeasureDC&) = delete;
  MeasureDC& operator=(const MeasureDC&) = delete;
  HDC dc() const { return dc_; }

 private:
  HDC dc_ = nullptr;
  HGDIOBJ old_ = nullptr;
};

}  // namespace

SIZE TextSize(HFONT font, std::string_view text) {
  MeasureDC m(font);
  SIZE s{0, 0};
  if (m.dc()) GetTextExtentPoint32A(m.dc(), text.data(), static_cast<int>(text.size()), &s);
  return s;
}

int TextWidth(HFONT font, std::string_view text) { return text.empty() ? 0 : TextSize(font, text).cx; }

int LineHeight(HFONT font) {
  MeasureDC m(font);
  TEXTMETRICA tm{};
  if (!m.dc() || !GetTextMetricsA(m.dc(), &tm)) return 13;
  return tm.tmHeight;
}

int AveCharWidth(HFONT font) {
  MeasureDC m(font);
  TEXTMETRICA tm{};
  if (!m.dc() || !GetTextMetricsA(m.dc(), &tm)) return 6;
  return std::max<int>(1, tm.tmAveCharWidth);
}

int CopyOut(std::string_view text, LPSTR buffer, int size) {
  if (!buffer || size <= 0) return 0;
  size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
  std::memcpy(buffer, text.data(), n);
  buffer[n] = '\0';
  return static_cast<int>(n);
}

std::string TextIn(LPCSTR text) { return text ? std::string(text) : std::string(); }

namespace {
int Fold(char c) { return std::tolower(static_cast<unsigned char>(c)); }
}  // namespace

int CompareNoCase(std::string_view a, std::string_view b) {
  size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    int d = Fold(a[i]) - Fold(b[i]);
    if (d != 0) return d < 0 ? -1 : 1;
  }
  if (a.size() == b.size()) return 0;
  return a.size() < b.size() ? -1 : 1;
}

bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  return prefix.size() <= text.size() && CompareNoCase(text.substr(0, prefix.size()), prefix) == 0;
}

POINT PointOf(LPARAM lp) { return POINT{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))}; }

bool Inside(const RECT& r, POINT p) { return p.x >= r.left && p.x < r.right && p.y >= r.top && p.y < r.bottom; }

bool ShiftDown() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }
bool CtrlDown() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }
bool AltDown() { return (GetKeyState(VK_MENU) & 0x8000) != 0; }

void FillSolid(HDC hdc, const RECT& r, COLORREF color) {
  HBRUSH b = CreateSolidBrush(color);
  FillRect(hdc, &r, b);
  DeleteObject(b);
}

void DrawLabel(HDC hdc, std::string_view text, RECT r, UINT format) {
  if (text.empty()) return;
  DrawTextA(hdc, text.data(), static_cast<int>(text.size()), &r,
            format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

COLORREF Resolve(COLORREF color, int sys_default) {
  return color == CLR_DEFAULT ? GetSysColor(sys_default) : color;
}

void PlaceAlongParent(HWND self, DWORD style, int height, DWORD default_edge) {
  if (style & CCS_NORESIZE) return;
  HWND parent = GetParent(self);
  if (!parent) return;
  RECT pr{};
  GetClientRect(parent, &pr);
  if (style & CCS_NOPARENTALIGN) {
    SetWindowPos(self, nullptr, 0, 0, pr.right, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    return;
  }
  RECT me{};
  GetWindowRect(self, &me);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&me), 2);
  DWORD edge = style & CCS_BOTTOM;  // both bits: CCS_TOP, CCS_NOMOVEY or CCS_BOTTOM
  if (edge == 0) edge = default_edge;
  const int y = edge == CCS_BOTTOM ? pr.bottom - height : edge == CCS_NOMOVEY ? me.top : 0;
  SetWindowPos(self, nullptr, 0, y, pr.right, height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void FollowErase(int& index, int erased) {
  if (index == erased)
    index = -1;
  else if (index > erased)
    --index;
}

}  // namespace qvp::ui::comctl
