// Stand-ins for parts of the program that are linked separately. They do the
// least that lets the program start, show an empty panel and end; the real
// definitions take their place wherever those parts are linked.
#include "pending_links.h"

#include "app_globals.h"
#include "app_start.h"
#include "host/host_tables.h"
#include "host/plugin_host.h"

#define QV_STAND_IN __attribute__((weak))

QV_STAND_IN HANDLE g_schedulerMutex = nullptr;

QV_STAND_IN int LoadPlugins(const char*) { return 0; }
QV_STAND_IN void UnloadPlugins() {}

namespace {
bool g_standInPanelStarted = false;
}

QV_STAND_IN bool MainPanelStarted() { return g_standInPanelStarted; }

extern "C" QV_STAND_IN INT_PTR CALLBACK Big_Buttons_Dialog(HWND panel, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      g_app.mainPanel = panel;
      g_standInPanelStarted = true;
      return TRUE;
    case WM_CLOSE:
      PostMessageA(panel, WM_COMMAND, kPanelExitCommand, 0);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == kPanelExitCommand) {
        g_standInPanelStarted = false;
        EndDialog(panel, 0);
        g_app.mainPanel = nullptr;
        PostMessageA(g_app.hiddenWindow, WM_CLOSE, 0, 0);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

QV_STAND_IN int RegisterProgressBarClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = 0x1003;
  wc.lpfnWndProc = DefWindowProcA;
  wc.cbWndExtra = 32;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = "Quorvane Progress Bar";
  return RegisterClassA(&wc) != 0 ? 1 : 0;
}

QV_STAND_IN void UnregisterProgressBarClass(HINSTANCE instance) { UnregisterClassA("Quorvane Progress Bar", instance); }

QV_STAND_IN void SetAnalysisCpuUsage(WORD) {}

QV_STAND_IN void LoadNetworkLibraries() {}
