// The report run's progress dialog (30000) and the timed message (31000).
#include <cstdio>
#include <string>

#include "install_paths.h"
#include "plugin_globals.h"
#include "qv_ui.h"
#include "report_dialogs.h"
#include "report_errors.h"
#include "report_pictures.h"
#include "report_resources.h"
#include "report_runner.h"

namespace {

constexpr UINT kStartMessage = 2024;
constexpr UINT kDoneMessage = 3024;
constexpr UINT_PTR kTimedMessageTimer = 10000;

struct AlertReportState {
  ReportContext context;
  bool locked = false;
  bool running = false;
  bool closeRequested = false;
  int result = 0;
  HFONT bold = nullptr;
  std::string statusLog;
};

void CenterOnOwner(HWND dialog) {
  RECT box;
  GetWindowRect(dialog, &box);
  RECT area;
  HWND owner = GetWindow(dialog, GW_OWNER);
  if (owner != nullptr) {
    GetWindowRect(owner, &area);
  } else {
    area = RECT{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  }
  const int width = box.right - box.left;
  const int height = box.bottom - box.top;
  SetWindowPos(dialog, nullptr, area.left + (area.right - area.left - width) / 2,
               area.top + (area.bottom - area.top - height) / 2, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

INT_PTR CALLBACK TimedMessageDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetDlgItemTextA(dialog, IDC_TIMED_MESSAGE_TEXT, reinterpret_cast<const char*>(lParam));
      CenterOnOwner(dialog);
      QVUI_SetTimerEx(dialog, kTimedMessageTimer, 3000);
      return TRUE;
    case WM_TIMER:
      if (wParam == kTimedMessageTimer) {
        QVUI_KillTimerEx(dialog, kTimedMessageTimer);
        DestroyWindow(dialog);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

void Finish(HWND dialog, AlertReportState* state) {
  ReportRequest* request = state->context.request;
  if (request->scheduled != 0) ReportLogLine(request->logPath, "END: foreground report");
  EndDialog(dialog, state->result);
}

// The run's progress; false asks it to stop (Cancel, Close, or the dialog gone).
bool Step(HWND dialog, AlertReportState* state, const char* text, int position, int range) {
  SetDlgItemTextA(dialog, IDC_ALERT_REPORT_STATUS, text);
  if (state->context.progress != nullptr && range > 0) {
    SendMessageA(state->context.progress, QVUI_PROGRESS_SETRANGE, static_cast<WPARAM>(range), 0);
    SendMessageA(state->context.progress, QVUI_PROGRESS_SETPOS, static_cast<WPARAM>(position), 0);
  }
  if (!QVUI_PumpMessages(dialog)) state->context.cancelled = true;
  return !state->context.cancelled && IsWindow(dialog);
}

void Run(HWND dialog, AlertReportState* state) {
  ReportRequest* request = state->context.request;
  state->context.progress = QVUI_CreateProgressBar(dialog, IDC_ALERT_REPORT_PROGRESS);
  if (state->context.progress == nullptr) {
    ReportError(dialog, request->scheduled, request->logPath, "Unable to create a progress bar.");
    return;
  }
  state->running = true;
  auto step = [&](const char* text, int position, int range) { return Step(dialog, state, text, position, range); };
  if (request->report->reportType == kReportSummary) {
    char text[64];
    std::snprintf(text, sizeof text, "Creating report...%d%%", 0);
    if (step(text, 0, 0)) state->result = RunBackgroundReport(0, &state->context);
  } else {
    state->result = MakeForegroundReport(&state->context, state->statusLog.c_str(), step);
  }
  FreeReportEvents(&state->context.events);
  state->running = false;
}

void Deliver(HWND dialog, AlertReportState* state) {
  ReportRequest* request = state->context.request;
  if (state->result == 0) {
    FreeUploadFiles(request);
    return;
  }
  ShowWindow(GetDlgItem(dialog, IDC_ALERT_REPORT_CANCEL), SW_HIDE);
  ShowWindow(GetDlgItem(dialog, IDCANCEL), SW_HIDE);
  auto status = [&](const char* text) {
    SetDlgItemTextA(dialog, IDC_ALERT_REPORT_STATUS, text);
    QVUI_PumpMessages(dialog);
  };
  if (request->report->urlType == kSaveToFile && request->scheduled == 0) {
    status("Launching browser...");
    HWND owner = GetParent(dialog);
    CreateDialogParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_TIMED_MESSAGE), owner, &TimedMessageDlg,
                       reinterpret_cast<LPARAM>("Launching browser to view the report..."));
    QVUI_ShowHTMDocument(dialog, request->outputPath);
  }
  state->result = DeliverReport(&state->context, status);
}

INT_PTR CALLBACK AlertReportDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* state = reinterpret_cast<AlertReportState*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<AlertReportState*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);
      state->context.dialog = dialog;
      ReportRequest* request = state->context.request;
      if (!LockReportMutex(dialog, request)) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      state->locked = true;
      if (request->scheduled != 0) ReportLogLine(request->logPath, "BEGIN: foreground report");
      char alert[MAX_PATH];
      state->statusLog = GetAlertDirectory(alert, sizeof alert) ? std::string(alert) + "QVM_ALRT.LOG" : "";
      if (request->report->reportType != kReportSummary && !QVUI_FindFile(state->statusLog.c_str())) {
        ReportError(dialog, request->scheduled, request->logPath,
                    ("Unable to locate the status log file\r\n" + state->statusLog + ".").c_str());
        Finish(dialog, state);
        return TRUE;
      }
      state->bold = QVUI_GetBoldFaceFont(GetDlgItem(dialog, IDC_ALERT_REPORT_STATUS));
      if (state->bold != nullptr) {
        SendDlgItemMessageA(dialog, IDC_ALERT_REPORT_STATUS, WM_SETFONT, reinterpret_cast<WPARAM>(state->bold), 0);
      }
      ShowDialogPicture(dialog, IDC_ALERT_REPORT_BITMAP, kAlertReportPicture, true);
      CenterOnOwner(dialog);
      PostMessageA(dialog, kStartMessage, 0, 0);
      return TRUE;
    }
    case kStartMessage:
      // The progress shows while the report is made, not only once it is done.
      ShowWindow(dialog, SW_SHOW);
      UpdateWindow(dialog);
      Run(dialog, state);
      PostMessageA(dialog, kDoneMessage, 0, 0);
      return TRUE;
    case kDoneMessage:
      // The run ends itself: nobody has to close a dialog that may be hidden.
      Deliver(dialog, state);
      Finish(dialog, state);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_ALERT_REPORT_CANCEL) {
        state->context.cancelled = true;
        return TRUE;
      }
      if (LOWORD(wParam) == IDCANCEL) {
        if (state->running) {
          state->context.cancelled = true;  // the run stops, then the dialog ends
          state->closeRequested = true;
        } else {
          Finish(dialog, state);
        }
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      if (state != nullptr) {
        RemoveDialogPicture(dialog, IDC_ALERT_REPORT_BITMAP);
        if (state->bold != nullptr) DeleteObject(state->bold);
        state->bold = nullptr;
        state->context.progress = nullptr;
        state->context.dialog = nullptr;
        if (state->locked) UnlockReportMutex(state->context.request);
        state->locked = false;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int RunAlertReportDialog(HWND parent, ReportRequest* request) {
  if (request == nullptr || request->report == nullptr) return 0;
  AlertReportState state;
  state.context.request = request;
  const INT_PTR result = DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_ALERT_REPORT), parent,
                                         &AlertReportDlg, reinterpret_cast<LPARAM>(&state));
  FreeReportEvents(&state.context.events);
  FreeUploadFiles(request);
  return result > 0 ? static_cast<int>(result) : 0;
}
