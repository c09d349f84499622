// The Options window: the frame, its module buttons, title bar and loop.
#include "option_window.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "app_globals.h"
#include "general_sheet.h"
#include "panel/later_parts.h"
#include "panel_state.h"
#include "plugin_host.h"
#include "plugin_api.h"
#include "qv_ui_windows.h"

namespace {

constexpr char kFrameClass[] = "WinAWT::OptionDlg";
constexpr int kBarWidth = 75;
constexpr int kBarGap = 77;
constexpr int kTitleHeight = 36;

// The state of the one open frame.
struct FrameState {
  std::unique_ptr<CTitleText> title;
  std::unique_ptr<CCoolbar> coolbar;
  std::unique_ptr<CToolbar> toolbar;
  std::vector<std::unique_ptr<COptionButton>> modules;
  COptionButton* current = nullptr;
  bool inCommand = false;
  int liveFrames = 0;
};

FrameState g_frame;

// Places a module's page below the title bar, right of the bar.
void PlacePage(COptionButton* module) {
  if (module == nullptr || module->page == nullptr) return;
  HWND frame = GetParent(g_frame.toolbar != nullptr ? g_frame.coolbar->Window() : nullptr);
  if (frame == nullptr) return;
  RECT client{};
  GetClientRect(frame, &client);
  POINT origin{client.left, client.top};
  ClientToScreen(frame, &origin);
  if (module->pageParent != nullptr) ScreenToClient(module->pageParent, &origin);
  MoveWindow(module->page, origin.x + kBarGap, origin.y + kTitleHeight, client.right - client.left - kBarGap,
             client.bottom - client.top - kTitleHeight, TRUE);
}

void TrackSize(HWND page, bool clientSize, int* width, int* height) {
  RECT r{};
  if (clientSize)
    GetClientRect(page, &r);
  else
    GetWindowRect(page, &r);
  if (r.right - r.left > *width) *width = r.right - r.left;
  if (r.bottom - r.top > *height) *height = r.bottom - r.top;
}

BOOL CALLBACK OfferToDialog(HWND window, LPARAM param) {
  auto* message = reinterpret_cast<MSG*>(param);
  if (!IsWindowVisible(window) || !IsWindowEnabled(window)) return TRUE;
  if (IsDialogMessageA(window, message)) {
    message->message = WM_NULL;  // taken
    return FALSE;
  }
  return TRUE;
}

}  // namespace

LRESULT COptionButton::OnCommand(WPARAM, LPARAM) {
  if (g_frame.current != nullptr && g_frame.current != this && g_frame.current->page != nullptr)
    ShowWindow(g_frame.current->page, SW_HIDE);
  g_frame.current = this;
  PlacePage(this);
  if (page != nullptr) ShowWindow(page, SW_SHOW);
  if (g_frame.title != nullptr) {
    SetWindowTextA(g_frame.title->Window(), title);
    InvalidateRect(g_frame.title->Window(), nullptr, TRUE);
  }
  return 1;
}

LRESULT CTitleText::OnPaint() {
  PAINTSTRUCT ps{};
  HDC dc = BeginPaint(m_hWnd, &ps);
  RECT client{};
  GetClientRect(m_hWnd, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_BTNSHADOW));
  HFONT font = CreateFontA(client.bottom - 4, 0, 0, 0, 400, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                           CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "Arial");
  HGDIOBJ oldFont = font != nullptr ? SelectObject(dc, font) : nullptr;
  char text[100] = "";
  GetWindowTextA(m_hWnd, text, sizeof text);
  SetTextColor(dc, GetSysColor(COLOR_BTNHIGHLIGHT));
  SetBkMode(dc, TRANSPARENT);
  RECT textRect{client.left + 5, client.top, client.right, client.bottom};
  DrawTextA(dc, text, -1, &textRect, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
  if (oldFont != nullptr) SelectObject(dc, oldFont);
  if (font != nullptr) DeleteObject(font);
  COptionButton* module = g_frame.current;
  const int side = client.bottom - 8;
  if (module != nullptr && side > 0) {
    // The module's bitmap part, stretched into a square at the right end.
    HBITMAP bitmap = module->bitmap;
    if (bitmap != nullptr && module->part.right > 0 && module->part.bottom > 0) {
      HDC source = CreateCompatibleDC(dc);
      HGDIOBJ oldSource = SelectObject(source, bitmap);
      HDC square = CreateCompatibleDC(dc);
      HBITMAP squareBitmap = CreateCompatibleBitmap(dc, side, side);
      HGDIOBJ oldSquare = SelectObject(square, squareBitmap);
      SetStretchBltMode(square, COLORONCOLOR);
      StretchBlt(square, 0, 0, side, side, source, module->part.left, module->part.top, module->part.right,
                 module->part.bottom, SRCCOPY);
      SelectObject(square, oldSquare);
      QVUI_DrawTransparentBitmap(dc, squareBitmap, client.right - client.bottom + 4, client.top + 4, RGB(255, 0, 255));
      DeleteObject(squareBitmap);
      DeleteDC(square);
      SelectObject(source, oldSource);
      DeleteDC(source);
    }
  }
  EndPaint(m_hWnd, &ps);
  return 1;
}

OptionDlg::OptionDlg(HWND owner) : owner_(owner) {
  if (g_frame.liveFrames++ == 0) {
    WNDCLASSA cls{};
    cls.style = CS_HREDRAW | CS_VREDRAW;
    cls.lpfnWndProc = CWindow::WindowProc;
    cls.hInstance = CWindow::s_instance;
    cls.hIcon = static_cast<HICON>(LoadImageA(CWindow::s_instance, MAKEINTRESOURCEA(1), IMAGE_ICON, 0, 0, 0));
    cls.hbrBackground = reinterpret_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH));
    cls.lpszClassName = kFrameClass;
    RegisterClassA(&cls);
  }
  HWND frame = Create(0, kFrameClass, "Options", WS_CAPTION | WS_SYSMENU, CW_USEDEFAULT, CW_USEDEFAULT, 100, 100,
                      owner, nullptr);
  if (frame == nullptr) return;

  g_frame.title = std::make_unique<CTitleText>();
  g_frame.title->Create(0, nullptr, "CTitleText", WS_CHILD | WS_VISIBLE, 0, 0, 10, kTitleHeight, frame, nullptr);
  g_frame.coolbar = std::make_unique<CCoolbar>();
  g_frame.coolbar->CreateCoolbar(frame);
  g_frame.toolbar = std::make_unique<CToolbar>();
  g_frame.toolbar->CreateToolbar(g_frame.coolbar->Window());
  g_frame.toolbar->SetSetting(1, 1);
  g_frame.coolbar->AddBand("Test1", g_frame.toolbar.get());

  int width = 0;
  int height = 0;
  auto addModule = [&](HWND page, HBITMAP bitmap, const RECT& part, const char* label, const char* title, int kind,
                       bool clientSize) {
    auto module = std::make_unique<COptionButton>();
    std::snprintf(module->label, sizeof module->label, "%s", label);
    std::snprintf(module->title, sizeof module->title, "%s", title);
    module->page = page;
    module->pageParent = GetParent(page);
    module->kind = kind;
    module->CreateButton(g_frame.toolbar->Window(), static_cast<int>(g_frame.modules.size()) + 1, module->label);
    module->SetBitmap(bitmap, part.left, part.top, part.right - part.left, part.bottom - part.top);
    module->bitmap = bitmap;
    module->part = RECT{part.left, part.top, part.right - part.left, part.bottom - part.top};
    ShowWindow(page, SW_HIDE);
    TrackSize(page, clientSize, &width, &height);
    g_frame.toolbar->AddButton(module.get());
    g_frame.modules.push_back(std::move(module));
  };

  {
    HBITMAP bitmap = nullptr;
    RECT part{};
    char label[100] = "";
    char title[100] = "";
    if (HWND sheet = CreateGeneralOptionSheet(frame, &bitmap, &part, label, title))
      addModule(sheet, bitmap, part, label, title, -1, true);
  }
  for (PluginEntry* plugin = g_pluginList; plugin != nullptr; plugin = plugin->next) {
    auto create = reinterpret_cast<PFN_CreateOptionDialog>(PluginSlot(plugin, PF_CREATE_OPTION_DIALOG));
    if (create == nullptr) continue;
    HBITMAP bitmap = nullptr;
    RECT part{};
    char label[100] = "";
    char title[100] = "";
    HWND page = create(frame, &bitmap, &part, label, title);
    if (page == nullptr) continue;  // a plug-in without a page gets no button
    addModule(page, bitmap, part, label, title, static_cast<int>(plugin->kind), false);
  }

  // The module of the panel's selected tab, else the first.
  COptionButton* first = nullptr;
  for (auto& module : g_frame.modules) {
    if (module->kind == g_panel.viewKind) {
      first = module.get();
      break;
    }
  }
  if (first == nullptr && !g_frame.modules.empty()) first = g_frame.modules.front().get();
  if (first != nullptr) first->OnCommand(0, 0);

  RECT ownerRect{};
  if (owner != nullptr) GetWindowRect(owner, &ownerRect);
  const int ownerWidth = ownerRect.right - ownerRect.left;
  const int ownerHeight = ownerRect.bottom - ownerRect.top;
  // The frame holds the bar, the title and the largest page whole, whatever
  // its caption and borders take (75 and 45 more than the page where those
  // are as thin as the design assumed).
  RECT outer{0, 0, width + kBarGap, height + kTitleHeight};
  AdjustWindowRectEx(&outer, WS_CAPTION | WS_SYSMENU, FALSE, 0);
  const int frameWidth = std::max(width + 75, static_cast<int>(outer.right - outer.left));
  const int frameHeight = std::max(height + 45, static_cast<int>(outer.bottom - outer.top));
  MoveWindow(frame, ownerRect.left + (ownerWidth - frameWidth - 2) / 2, ownerRect.top + (ownerHeight - frameHeight) / 2,
             frameWidth, frameHeight, FALSE);
  RECT client{};
  GetClientRect(frame, &client);
  g_frame.coolbar->MoveTo(0, 0, kBarGap, client.bottom);
  OnWindowPosChanged(nullptr);
  result = 0;
}

OptionDlg::~OptionDlg() {
  if (m_hWnd != nullptr && IsWindow(m_hWnd)) DestroyWindow(m_hWnd);
  g_frame.current = nullptr;
  g_frame.modules.clear();
  g_frame.toolbar.reset();
  g_frame.coolbar.reset();
  g_frame.title.reset();
  if (--g_frame.liveFrames == 0) UnregisterClassA(kFrameClass, CWindow::s_instance);
}

LRESULT OptionDlg::OnCommand(WPARAM wParam, LPARAM) {
  if (g_frame.inCommand) return 1;
  g_frame.inCommand = true;
  const WORD command = LOWORD(wParam);
  bool taken = false;
  for (auto& module : g_frame.modules) {
    if (module->page != nullptr && SendMessageA(module->page, WM_COMMAND, command, 0) != 0) {
      taken = true;
      break;
    }
  }
  if (!taken && command == IDOK) result = 1;
  if (!taken && command == IDCANCEL) result = 2;
  g_frame.inCommand = false;
  return 1;
}

LRESULT OptionDlg::OnClose() {
  // The close box is OK: the pages apply as from their OK button, and one
  // that refuses keeps the window open.
  OnCommand(IDOK, 0);
  return 1;
}

LRESULT OptionDlg::OnWindowPosChanged(WINDOWPOS*) {
  if (m_hWnd == nullptr || g_frame.coolbar == nullptr) return 0;
  RECT client{};
  GetClientRect(m_hWnd, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  g_frame.coolbar->MoveTo(client.left, client.top, kBarWidth, height);
  g_frame.coolbar->Layout();
  g_frame.toolbar->MoveTo(client.left, client.top, kBarWidth, height);
  g_frame.toolbar->Layout();
  g_frame.title->MoveTo(client.left + kBarGap, client.top, width - kBarGap, kTitleHeight);
  if (g_frame.current != nullptr) PlacePage(g_frame.current);
  return 0;
}

LRESULT OptionDlg::OnMessage(UINT message, WPARAM, LPARAM, LRESULT* answer) {
  // The keyboard belongs to the current page: the frame hands its focus on.
  if (message == WM_SETFOCUS && g_frame.current != nullptr && g_frame.current->page != nullptr) {
    SetFocus(g_frame.current->page);
    *answer = 0;
    return 1;
  }
  return 0;
}

void OptionDlg::RunModal() {
  if (owner_ != nullptr) EnableWindow(owner_, FALSE);
  while (result == 0 && m_hWnd != nullptr) {
    MSG message{};
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      Sleep(10);
      continue;
    }
    if (message.message == WM_QUIT) {
      // Leave it for the program's own loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      result = 2;
      break;
    }
    if (g_frame.current != nullptr && IsPropertySheetMessage(g_frame.current->page, &message)) continue;
    MSG offered = message;
    EnumWindows(OfferToDialog, reinterpret_cast<LPARAM>(&offered));
    if (offered.message == WM_NULL) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  const int ok = result == 1 ? 1 : 0;
  for (PluginEntry* plugin = g_pluginList; plugin != nullptr; plugin = plugin->next) {
    auto close = reinterpret_cast<PFN_CloseOptionDialog>(PluginSlot(plugin, PF_CLOSE_OPTION_DIALOG));
    if (close != nullptr) close(ok);
  }
  ApplyServiceAndSnmpSettings(ok);
  if (m_hWnd != nullptr) DestroyWindow(m_hWnd);
  if (owner_ != nullptr) {
    EnableWindow(owner_, TRUE);
    SetForegroundWindow(owner_);
  }
}

void ShowOptionWindow(HINSTANCE instance, HWND owner) {
  CWindow::s_instance = instance;
  OptionDlg frame(owner);
  if (frame.Window() == nullptr) return;
  ShowWindow(frame.Window(), SW_SHOW);
  // Everything was placed while the frame was hidden: paint it all now.
  RedrawWindow(frame.Window(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  frame.RunModal();
}

void ShowOptionWindow(HWND owner) { ShowOptionWindow(g_app.instance, owner); }
