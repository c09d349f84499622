// CWindow: C++ objects behind windows, their messages sent to virtual handlers.
#include "qv_ui_windows.h"

namespace {

constexpr char kClassName[] = "QVUI_CWindow";
constexpr char kObjectProperty[] = "QVUI_CWindowObject";

int LowSigned(LPARAM value) { return static_cast<short>(LOWORD(static_cast<DWORD>(value))); }
int HighSigned(LPARAM value) { return static_cast<short>(HIWORD(static_cast<DWORD>(value))); }

bool EnsureClass(HINSTANCE instance) {
  WNDCLASSA existing{};
  if (GetClassInfoA(instance, kClassName, &existing)) return true;
  WNDCLASSA cls{};
  cls.style = CS_HREDRAW | CS_VREDRAW;
  cls.lpfnWndProc = CWindow::WindowProc;
  cls.hInstance = instance;
  cls.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
  cls.lpszClassName = kClassName;
  return RegisterClassA(&cls) != 0;
}

}  // namespace

HINSTANCE CWindow::s_instance = nullptr;

CWindow::CWindow() = default;

CWindow::~CWindow() {
  if (m_hWnd != nullptr && IsWindow(m_hWnd)) {
    HWND window = m_hWnd;
    RemovePropA(window, kObjectProperty);
    m_hWnd = nullptr;
    DestroyWindow(window);
  }
}

const char* CWindow::ClassName() { return kClassName; }

CWindow* CWindow::FromWindow(HWND window) {
  return window != nullptr ? static_cast<CWindow*>(GetPropA(window, kObjectProperty)) : nullptr;
}

HWND CWindow::Create(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y, int width,
                     int height, HWND parent, HMENU menuOrId) {
  if (className == nullptr) {
    if (!EnsureClass(s_instance)) return nullptr;
    className = kClassName;
  }
  return CreateWindowExA(exStyle, className, text, style, x, y, width, height, parent, menuOrId, s_instance, this);
}

void CWindow::MoveTo(int x, int y, int width, int height) {
  if (m_hWnd != nullptr) MoveWindow(m_hWnd, x, y, width, height, TRUE);
}

void CWindow::Layout() {}

SIZE CWindow::GetPreferedLayoutSize() {
  RECT r{};
  if (m_hWnd != nullptr) GetWindowRect(m_hWnd, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

LRESULT CWindow::OnCommand(WPARAM, LPARAM) { return 0; }
LRESULT CWindow::OnSysCommand(WPARAM, LPARAM) { return 0; }
LRESULT CWindow::OnDestroy() { return 0; }
LRESULT CWindow::OnClose() { return 0; }
LRESULT CWindow::OnSize(WPARAM, int, int) { return 0; }
LRESULT CWindow::OnContextMenu(HWND, int, int) { return 0; }
LRESULT CWindow::OnLButtonDown(WPARAM, int, int) { return 0; }
LRESULT CWindow::OnLButtonUp(WPARAM, int, int) { return 0; }
LRESULT CWindow::OnLButtonDblClk(WPARAM, int, int) { return 0; }
LRESULT CWindow::OnRButtonDown(WPARAM, int, int) { return 0; }
LRESULT CWindow::OnRButtonUp(WPARAM, int, int) { return 0; }
LRESULT CWindow::OnMouseMove(WPARAM, int, int) { return 0; }
LRESULT CWindow::OnTimer(WPARAM) { return 0; }
LRESULT CWindow::OnPaint() { return 0; }
LRESULT CWindow::OnNotify(WPARAM, NMHDR*) { return 0; }
LRESULT CWindow::OnMove(int, int) { return 0; }
LRESULT CWindow::OnWindowPosChanged(WINDOWPOS*) { return 0; }
LRESULT CWindow::OnMessage(UINT, WPARAM, LPARAM, LRESULT*) { return 0; }
LRESULT CWindow::OnEraseBackground(HDC) { return 0; }
LRESULT CWindow::OnHorzScroll(WPARAM, HWND) { return 0; }
LRESULT CWindow::OnVertScroll(WPARAM, HWND) { return 0; }

LRESULT CALLBACK CWindow::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  CWindow* self = FromWindow(window);
  if (self == nullptr && message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTA*>(lParam);
    self = static_cast<CWindow*>(create->lpCreateParams);
    if (self != nullptr) {
      self->m_hWnd = window;
      SetPropA(window, kObjectProperty, self);
    }
  }
  if (self == nullptr) return DefWindowProcA(window, message, wParam, lParam);

  LRESULT handled = 0;
  LRESULT answer = 0;
  switch (message) {
    case WM_COMMAND: handled = self->OnCommand(wParam, lParam); break;
    case WM_SYSCOMMAND: handled = self->OnSysCommand(wParam, lParam); break;
    case WM_DESTROY: handled = self->OnDestroy(); break;
    case WM_CLOSE: handled = self->OnClose(); break;
    case WM_SIZE: handled = self->OnSize(wParam, LowSigned(lParam), HighSigned(lParam)); break;
    case WM_CONTEXTMENU:
      handled = self->OnContextMenu(reinterpret_cast<HWND>(wParam), LowSigned(lParam), HighSigned(lParam));
      break;
    case WM_LBUTTONDOWN: handled = self->OnLButtonDown(wParam, LowSigned(lParam), HighSigned(lParam)); break;
    case WM_LBUTTONUP: handled = self->OnLButtonUp(wParam, LowSigned(lParam), HighSigned(lParam)); break;
    case WM_LBUTTONDBLCLK: handled = self->OnLButtonDblClk(wParam, LowSigned(lParam), HighSigned(lParam)); break;
    case WM_RBUTTONDOWN: handled = self->OnRButtonDown(wParam, LowSigned(lParam), HighSigned(lParam)); break;
    case WM_RBUTTONUP: handled = self->OnRButtonUp(wParam, LowSigned(lParam), HighSigned(lParam)); break;
    case WM_MOUSEMOVE: handled = self->OnMouseMove(wParam, LowSigned(lParam), HighSigned(lParam)); break;
    case WM_TIMER: handled = self->OnTimer(wParam); break;
    case WM_PAINT:
      handled = self->OnPaint();
      answer = handled ? 0 : answer;
      break;
    case WM_NOTIFY: handled = self->OnNotify(wParam, reinterpret_cast<NMHDR*>(lParam)); break;
    case WM_MOVE: handled = self->OnMove(LowSigned(lParam), HighSigned(lParam)); break;
    case WM_WINDOWPOSCHANGED: handled = self->OnWindowPosChanged(reinterpret_cast<WINDOWPOS*>(lParam)); break;
    case WM_ERASEBKGND:
      handled = self->OnEraseBackground(reinterpret_cast<HDC>(wParam));
      answer = 1;
      break;
    case WM_HSCROLL: handled = self->OnHorzScroll(wParam, reinterpret_cast<HWND>(lParam)); break;
    case WM_VSCROLL: handled = self->OnVertScroll(wParam, reinterpret_cast<HWND>(lParam)); break;
    default: handled = self->OnMessage(message, wParam, lParam, &answer); break;
  }
  if (message == WM_NCDESTROY) {
    RemovePropA(window, kObjectProperty);
    self->m_hWnd = nullptr;
  }
  if (handled) return answer;
  return DefWindowProcA(window, message, wParam, lParam);
}
