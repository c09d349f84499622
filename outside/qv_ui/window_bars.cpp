// CBitmapButton, CToolbar and CCoolbar: the bar of bitmap buttons at the side
// of a frame.
#include <algorithm>

#include "qv_ui_windows.h"

namespace {

constexpr int kButtonHeight = 64;
constexpr int kLabelHeight = 16;

}  // namespace

HWND CBitmapButton::CreateButton(HWND parent, int id, const char* label) {
  return Create(0, nullptr, label, WS_CHILD | WS_VISIBLE, 0, 0, 75, kButtonHeight, parent,
                reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)));
}

void CBitmapButton::SetBitmap(HBITMAP bitmap, int left, int top, int width, int height) {
  m_bitmap = bitmap;
  m_part = RECT{left, top, width, height};
  if (m_hWnd != nullptr) InvalidateRect(m_hWnd, nullptr, TRUE);
}

SIZE CBitmapButton::GetPreferedLayoutSize() { return SIZE{75, kButtonHeight}; }

void CBitmapButton::Draw(HDC dc) {
  RECT client{};
  GetClientRect(m_hWnd, &client);
  FillRect(dc, &client, GetSysColorBrush(m_pressed ? COLOR_BTNSHADOW : COLOR_BTNFACE));
  if (m_bitmap != nullptr && m_part.right > 0 && m_part.bottom > 0) {
    HDC memory = CreateCompatibleDC(dc);
    HGDIOBJ previous = SelectObject(memory, m_bitmap);
    const int x = (client.right - m_part.right) / 2;
    HBITMAP part = CreateCompatibleBitmap(dc, m_part.right, m_part.bottom);
    HDC partDc = CreateCompatibleDC(dc);
    HGDIOBJ partPrevious = SelectObject(partDc, part);
    BitBlt(partDc, 0, 0, m_part.right, m_part.bottom, memory, m_part.left, m_part.top, SRCCOPY);
    SelectObject(partDc, partPrevious);
    DeleteDC(partDc);
    QVUI_DrawTransparentBitmap(dc, part, x, 6, RGB(255, 0, 255));
    DeleteObject(part);
    SelectObject(memory, previous);
    DeleteDC(memory);
  }
  char label[100] = "";
  GetWindowTextA(m_hWnd, label, sizeof label);
  RECT text{0, client.bottom - kLabelHeight - 4, client.right, client.bottom - 4};
  SetBkMode(dc, TRANSPARENT);
  DrawTextA(dc, label, -1, &text, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
}

LRESULT CBitmapButton::OnPaint() {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(m_hWnd, &ps);
  Draw(dc);
  EndPaint(m_hWnd, &ps);
  return 1;
}

LRESULT CBitmapButton::OnLButtonDown(WPARAM, int, int) {
  m_pressed = true;
  SetCapture(m_hWnd);
  InvalidateRect(m_hWnd, nullptr, TRUE);
  return 1;
}

LRESULT CBitmapButton::OnLButtonUp(WPARAM, int x, int y) {
  if (!m_pressed) return 1;
  m_pressed = false;
  if (GetCapture() == m_hWnd) ReleaseCapture();
  InvalidateRect(m_hWnd, nullptr, TRUE);
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const bool inside = x >= client.left && x < client.right && y >= client.top && y < client.bottom;
  if (inside) OnCommand(MAKEWPARAM(GetDlgCtrlID(m_hWnd), BN_CLICKED), reinterpret_cast<LPARAM>(m_hWnd));
  return 1;
}

HWND CToolbar::CreateToolbar(HWND parent) {
  return Create(0, nullptr, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 75, 100, parent, nullptr);
}

void CToolbar::SetSetting(int setting, int value) {
  if (setting == 1) m_columns = std::max(1, value);
}

void CToolbar::AddButton(CBitmapButton* button) {
  if (button != nullptr) m_buttons.push_back(button);
}

void CToolbar::Layout() {
  if (m_hWnd == nullptr) return;
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const int width = (client.right - client.left) / m_columns;
  for (size_t i = 0; i < m_buttons.size(); ++i) {
    const int column = static_cast<int>(i) % m_columns;
    const int row = static_cast<int>(i) / m_columns;
    const SIZE size = m_buttons[i]->GetPreferedLayoutSize();
    m_buttons[i]->MoveTo(column * width, row * size.cy, width, size.cy);
  }
}

void CToolbar::Draw(HDC) {
  // The class background is the bar; the buttons draw themselves.
}

LRESULT CToolbar::OnPaint() {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(m_hWnd, &ps);
  Draw(dc);
  EndPaint(m_hWnd, &ps);
  return 1;
}

HWND CCoolbar::CreateCoolbar(HWND parent) {
  return Create(0, nullptr, "", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 77, 100, parent, nullptr);
}

void CCoolbar::AddBand(const char* name, CWindow* child) {
  if (child == nullptr) return;
  m_bands.push_back(Band{name != nullptr ? name : "", child});
  if (m_hWnd != nullptr && child->Window() != nullptr) SetParent(child->Window(), m_hWnd);
}

void CCoolbar::Layout() {
  if (m_hWnd == nullptr || m_bands.empty()) return;
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const int height = (client.bottom - client.top) / static_cast<int>(m_bands.size());
  for (size_t i = 0; i < m_bands.size(); ++i) {
    m_bands[i].child->MoveTo(0, static_cast<int>(i) * height, client.right - client.left, height);
    m_bands[i].child->Layout();
  }
}
