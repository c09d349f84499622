// The hidden main window: its class and its procedure, which runs the main
// panel and answers a second start.
#include "app_globals.h"
#include "app_start.h"
#include "panel_state.h"
#include "res_templates.h"
#include "window_geometry.h"

namespace {

void RunMainPanel(HWND window, int showCommand) {
  MainPanelStart start{showCommand};
  DialogBoxIndirectParamA(g_app.resourceModule, LoadDialogTemplate(kMainPanelTemplate), nullptr, Big_Buttons_Dialog,
                          reinterpret_cast<LPARAM>(&start));
  DestroyWindow(window);
}

// A second start asks to see the program: out of the tray, no longer hidden,
// and in front once the panel has finished its start.
void ShowProgram() {
  NOTIFYICONDATAA icon{};
  icon.cbSize = sizeof icon;
  icon.hWnd = g_app.mainPanel;
  icon.uID = kTrayIconId;
  Shell_NotifyIconA(NIM_DELETE, &icon);
  ClearServiceStartHidden();
  if (!g_panel.started || g_app.mainPanel == nullptr) {
    OutputDebugStringA("Main window: another start asks to see the program; the panel is still starting\r\n");
    return;
  }
  OutputDebugStringA("Main window: another start asks to see the program; showing the panel\r\n");
  CenterWindow(g_app.mainPanel);
  ShowWindow(g_app.mainPanel, SW_SHOWNORMAL);
  SetForegroundWindow(g_app.mainPanel);
}

}  // namespace

int RegisterMainWindowClass(HINSTANCE instance) {
  for (int size = 512; size > 0 && !SetMessageQueue(size); --size) {
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = MainWndProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hIcon = LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(1));
  wc.lpszClassName = kMainWindowClass;
  if (RegisterClassA(&wc) != 0) return 1;
  MessageBoxA(nullptr, "Unable to register the main Quorvane window class.", "Quorvane", MB_OK | MB_ICONERROR);
  return 0;
}

extern "C" LRESULT CALLBACK MainWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kRunMainPanelMessage:
      // An end asked for after the start posted this message: no panel.
      if (ProgramEndRequested()) {
        OutputDebugStringA("Main window: an end was asked for; the main panel does not start\r\n");
        DestroyWindow(window);
        return 0;
      }
      RunMainPanel(window, static_cast<int>(wParam));
      return 0;
    case kShowProgramMessage:
      ShowProgram();
      return 0;
    case kProgramEndMessage:
      CarryOutProgramEnd(window);
      return 0;
    case WM_DESTROY:
      SetProgramEndWindow(nullptr);
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}
