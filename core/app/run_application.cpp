// The interactive start: its steps in their fixed order, the message loop,
// and the end.
#include <cstdio>
#include <cstring>
#include <ctime>

#include "app_globals.h"
#include "app_start.h"
#include "custom_controls.h"
#include "host/host_tables.h"
#include "host/plugin_host.h"
#include "import/browser_import.h"
#include "language.h"
#include "analysis_status.h"
#include "pending_links.h"
#include "progress_bar.h"
#include "product_binding.h"
#include "program_paths.h"
#include "res_text.h"
#include "settings.h"
#include "start_steps.h"

namespace {

constexpr char kCaption[] = "Quorvane";
constexpr char kClassFailedText[] = "Unable to register the main Quorvane window class.";
constexpr UINT kProgressBarClassFailedText = 10061;
constexpr int kLanguageNameSize = 31;

// SIGTERM, SIGINT and SIGHUP end the program as the service's STOP does:
// the main panel gets its exit command; before the panel is up the start ends.
BOOL WINAPI OnControlEvent(DWORD) {
  RequestProgramEnd("Control event");
  return TRUE;
}

class ControlEventsToPanel {
 public:
  ControlEventsToPanel() { SetConsoleCtrlHandler(OnControlEvent, TRUE); }
  ~ControlEventsToPanel() { SetConsoleCtrlHandler(OnControlEvent, FALSE); }
  ControlEventsToPanel(const ControlEventsToPanel&) = delete;
  ControlEventsToPanel& operator=(const ControlEventsToPanel&) = delete;
};

void ShowError(const char* text, const char* caption) { MessageBoxA(nullptr, text, caption, MB_OK | MB_ICONERROR); }

void DispatchPending() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (g_app.statusWindow != nullptr && IsDialogMessageA(g_app.statusWindow, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}

// The splash stays up until the clock's seconds have advanced by two.
void HoldSplash() {
  const time_t start = std::time(nullptr);
  while (std::time(nullptr) - start < 2) Sleep(50);
}

void MakeSchedulerMutex() {
  if (!CreateSchedulerMutex()) MessageBoxA(nullptr, "Failed to create scheduler mutex", "Quorvane Error", MB_OK);
}


// The program directory as the plug-in search wants it: no trailing separator.
void PluginDirectory(char* out, size_t size) {
  std::snprintf(out, size, "%s", GetProgramDir());
  size_t length = std::strlen(out);
  if (length > 0 && (out[length - 1] == '\\' || out[length - 1] == '/')) out[length - 1] = '\0';
}

}  // namespace

int RunApplication(HINSTANCE instance, HINSTANCE, const char* commandLine, int showCommand) {
  if (!EnterStep(StartStep::kRegisterClass)) {
    ShowError(kClassFailedText, kCaption);
    return -1;
  }
  if (!RegisterMainWindowClass(instance)) return -1;

  if (!EnterStep(StartStep::kHiddenWindow)) return -1;
  g_app.hiddenWindow = CreateWindowExA(0, kMainWindowClass, "Quorvane", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr,
                                       instance, nullptr);
  if (!IsWindow(g_app.hiddenWindow)) return -1;
  SetProgramEndWindow(g_app.hiddenWindow);
  ControlEventsToPanel controlEvents;

  if (!EnterStep(StartStep::kCommandLine)) return -1;
  std::snprintf(g_app.commandLine, sizeof g_app.commandLine, "%s", commandLine != nullptr ? commandLine : "");
  FindModulePath(instance);

  // A failed mutex is reported and the start goes on without it.
  if (EnterStep(StartStep::kSchedulerMutex))
    MakeSchedulerMutex();
  else
    MessageBoxA(nullptr, "Failed to create scheduler mutex", "Quorvane Error", MB_OK);

  if (!EnterStep(StartStep::kOwnerDefaults)) return -1;
  char author[256];
  char company[256];
  ReadAuthorAndCompany(author, sizeof author, company, sizeof company);

  if (!EnterStep(StartStep::kCpuUsage)) return -1;
  SetAnalysisCpuUsage(ReadCpuUsageSetting());

  if (!EnterStep(StartStep::kNetworkLibraries)) return -1;
  LoadNetworkLibraries();

  if (!EnterStep(StartStep::kDisplayAndControls)) return -1;
  StoreColourDepthAndRegisterControls(instance);

  if (!EnterStep(StartStep::kLanguage)) return -1;
  char language[kLanguageNameSize];
  g_app.languageId = ReadProgramLanguageId(language, sizeof language);

  if (!EnterStep(StartStep::kProductLibrary)) {
    ShowError(kMissingProductText, kErrorCaption);
    return -1;
  }
  if (!BindProductLibrary()) return -1;

  if (!EnterStep(StartStep::kProductRegister)) return -1;
  RegisterWithProductLibrary(g_app.languageId);

  if (!EnterStep(StartStep::kResourceModule)) {
    ShowError(kMissingBaseText, kErrorCaption);
    return -1;
  }
  if (!BindResourceModule(language)) return -1;

  if (!EnterStep(StartStep::kHelpPath)) return -1;
  BuildHelpPath(language, g_app.helpPath, sizeof g_app.helpPath);

  if (!EnterStep(StartStep::kProgressBarWindowClass) || !RegisterProgressBarClass(instance)) {
    char text[kResTextMax + 1];
    ShowError(LoadResText(kProgressBarClassFailedText, text, sizeof text), kCaption);
    return -1;
  }

  g_app.splashWindow = EnterStep(StartStep::kSplash) ? g_app.prd.CreateSplash(g_app.hiddenWindow) : nullptr;
  if (!IsWindow(g_app.splashWindow)) {
    ShowError("Splash screen failed to load.", kErrorCaption);
    ShutdownApplication();
    return -1;
  }

  if (EnterStep(StartStep::kPendingMessages)) DispatchPending();
  if (EnterStep(StartStep::kSplashHold)) HoldSplash();

  if (EnterStep(StartStep::kPlugins)) {
    char directory[MAX_PATH];
    PluginDirectory(directory, sizeof directory);
    LoadPlugins(directory);
  }

  if (!EnterStep(StartStep::kFirstStart) || ImportBrowserSettings(g_app.hiddenWindow) == 0) {
    ShutdownApplication();
    return -1;
  }

  // An end asked for during the start ends it here. Its close of the main
  // window may already have been handled by the dispatch of pending messages,
  // which also takes the quit message; the loop would then wait for ever.
  if (ProgramEndRequested()) {
    OutputDebugStringA("Start-up: an end was asked for; the main panel does not start\r\n");
    if (IsWindow(g_app.hiddenWindow)) DestroyWindow(g_app.hiddenWindow);
    ShutdownApplication();
    UnregisterClassA(kMainWindowClass, instance);
    return 0;
  }

  if (EnterStep(StartStep::kPostMainPanel))
    PostMessageA(g_app.hiddenWindow, kRunMainPanelMessage, static_cast<WPARAM>(showCommand), 0);

  MSG message{};
  if (EnterStep(StartStep::kMessageLoop)) {
    while (GetMessageA(&message, nullptr, 0, 0) > 0) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }

  ShutdownApplication();
  UnregisterClassA(kMainWindowClass, instance);
  return static_cast<int>(message.wParam);
}
