// The schedule dialog (7100): one schedule event's profile, memorized
// report, start, repeat and target.
#include <cstring>
#include <ctime>
#include <string>

#include "install_paths.h"
#include "plugin_globals.h"
#include "plugin_helpers.h"
#include "qv_ui.h"
#include "report_dialogs.h"
#include "report_pictures.h"
#include "report_resources.h"
#include "report_text.h"
#include "save_target.h"
#include "save_to_controls.h"
#include "schedule_events.h"

namespace {

struct ScheduleDialogState {
  SCHEDULE_EVENT* event = nullptr;
  FileListEntry* reports = nullptr;
  int reportCount = 0;
  FileListEntry* profiles = nullptr;
  int profileCount = 0;
  int urlType = 0;
  bool initialised = false;
  bool skipFirstSelection = true;  // the list's own notice at the start keeps the event's target
  HFONT bold = nullptr;
};

ScheduleDialogState* StateOf(HWND dialog) {
  return reinterpret_cast<ScheduleDialogState*>(GetWindowLongPtrA(dialog, DWLP_USER));
}

bool Initialise(HWND dialog, ScheduleDialogState* state) {
  SCHEDULE_EVENT* event = state->event;
  ShowDialogPicture(dialog, IDC_SCHEDULE_BITMAP, kSchedulePicture, false);
  CenterReportDialog(dialog);
  state->reports = FillMemorizedReportCombo(dialog, IDC_SCHEDULE_MEMORIZED, nullptr, event->memorizedReportFile,
                                            &state->reportCount);
  state->profiles = ListProfileFiles(&state->profileCount);
  if (state->profiles == nullptr) {
    MessageBoxA(dialog, "No vozed uvarirada profile files found.", kDialogCaption, MB_OK | MB_ICONWARNING);
    return false;
  }
  int selected = 0;
  for (int i = 0; i < state->profileCount; ++i) {
    SendDlgItemMessageA(dialog, IDC_SCHEDULE_PROFILE, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(state->profiles[i].description));
    if (selected == 0 && EqualsNoCase(state->profiles[i].path, event->associatedProfileFile)) selected = i;
  }
  SendDlgItemMessageA(dialog, IDC_SCHEDULE_PROFILE, CB_SETCURSEL, static_cast<WPARAM>(selected), 0);
  time_t start = static_cast<time_t>(static_cast<uint32_t>(event->startTime));
  std::string date, time;
  FormatScheduleDateTime(true, &date, &time, &start);
  SetDlgItemTextA(dialog, IDC_SCHEDULE_TIME, time.c_str());
  SetDlgItemTextA(dialog, IDC_SCHEDULE_DATE, date.c_str());
  SetDlgItemInt(dialog, IDC_SCHEDULE_FREQUENCY, static_cast<UINT>(event->repeatFrequency), FALSE);
  for (int id = IDS_REPEAT_MINUTES; id <= IDS_REPEAT_MONTHS; ++id) {
    SendDlgItemMessageA(dialog, IDC_SCHEDULE_REPEAT, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(PluginString(id)));
  }
  const int repeat = event->repeatType >= 0 && event->repeatType <= 4 ? event->repeatType : 0;
  SendDlgItemMessageA(dialog, IDC_SCHEDULE_REPEAT, CB_SETCURSEL, static_cast<WPARAM>(repeat), 0);
  InitSaveToControls(dialog, event->saveAs, &state->urlType, kScheduleSaveToControls);
  return true;
}

void OnReportSelected(HWND dialog, ScheduleDialogState* state) {
  MEMORIZED_REPORT report;
  if (!OnMemorizedReportSelected(dialog, IDC_SCHEDULE_MEMORIZED, state->reports, state->reportCount, &report)) return;
  SCHEDULE_EVENT* event = state->event;
  CopyText(event->saveAs, report.saveTo);
  CopyText(event->userName, report.saveToUserName);
  CopyText(event->password, report.saveToPassword);
  CopyText(event->memorizedReportFile, report.filePath);
  state->urlType = report.urlType;
  InitSaveToControls(dialog, event->saveAs, &state->urlType, kScheduleSaveToControls);
}

void NewReport(HWND dialog, ScheduleDialogState* state) {
  ReportRequestWithReport run{};
  run.request.report = &run.report;
  run.request.memorizeOnly = 1;
  run.request.scheduled = 1;
  run.request.profile = state->event->profile;
  if (RunReportDialog(dialog, &run.request) != 1) return;
  state->reports = FillMemorizedReportCombo(dialog, IDC_SCHEDULE_MEMORIZED, state->reports, run.report.filePath,
                                            &state->reportCount);
}

void Save(HWND dialog, ScheduleDialogState* state) {
  SCHEDULE_EVENT* event = state->event;
  BOOL translated = FALSE;
  const UINT frequency = GetDlgItemInt(dialog, IDC_SCHEDULE_FREQUENCY, &translated, FALSE);
  const LRESULT repeat = SendDlgItemMessageA(dialog, IDC_SCHEDULE_REPEAT, CB_GETCURSEL, 0, 0);
  char time[12] = "";
  char date[12] = "";
  GetDlgItemTextA(dialog, IDC_SCHEDULE_TIME, time, sizeof time);
  GetDlgItemTextA(dialog, IDC_SCHEDULE_DATE, date, sizeof date);
  int day = 0, month = 0, year = 0;
  if (time[0] == '\0' || date[0] == '\0') {
    MessageBoxA(dialog, PluginString(IDS_BLANK_DATE_TIME), kDialogCaption, MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, time[0] == '\0' ? IDC_SCHEDULE_TIME : IDC_SCHEDULE_DATE));
    return;
  }
  if (!ParseScheduleDate(date, &day, &month, &year)) {
    MessageBoxA(dialog, PluginString(IDS_INVALID_DATE), kDialogCaption, MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, IDC_SCHEDULE_DATE));
    return;
  }
  if (!ParseScheduleTime(time)) {
    MessageBoxA(dialog, PluginString(IDS_INVALID_TIME), kDialogCaption, MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, IDC_SCHEDULE_TIME));
    return;
  }
  int hours = 0, minutes = 0, seconds = 0;
  ReadScheduleTime(time, &hours, &minutes, &seconds);
  std::tm local{};
  local.tm_year = year;
  local.tm_mon = month - 1;
  local.tm_mday = day;
  local.tm_hour = hours;
  local.tm_min = minutes;
  local.tm_sec = seconds;
  local.tm_isdst = -1;  // daylight saving as the system decides
  const time_t start = std::mktime(&local);
  if (start == static_cast<time_t>(-1) || start < 0 || start > static_cast<time_t>(UINT32_MAX)) {
    MessageBoxA(dialog, PluginString(IDS_INVALID_DATE), kDialogCaption, MB_OK | MB_ICONWARNING);
    SetFocus(GetDlgItem(dialog, IDC_SCHEDULE_DATE));
    return;
  }
  char target[MAX_PATH];
  if (!GetSaveToTarget(dialog, state->urlType, kScheduleSaveToControls, target)) return;
  event->repeatFrequency = static_cast<int32_t>(frequency);
  event->repeatType = repeat >= 0 ? static_cast<int32_t>(repeat) : 0;
  event->startTime = static_cast<int32_t>(static_cast<uint32_t>(start));
  CopyText(event->saveAs, target);
  char description[kMemorizedDescriptionSize] = "";
  GetDlgItemTextA(dialog, IDC_SCHEDULE_MEMORIZED, description, sizeof description);
  if (!FindMemorizedReportFile(state->reports, state->reportCount, description, event->memorizedReportFile)) {
    event->memorizedReportFile[0] = '\0';
  }
  const LRESULT profile = SendDlgItemMessageA(dialog, IDC_SCHEDULE_PROFILE, CB_GETCURSEL, 0, 0);
  if (profile >= 0 && profile < state->profileCount) {
    CopyText(event->associatedProfileFile, state->profiles[profile].path);
  }
  WriteScheduleEvent(event, event->eventFile);
  EndDialog(dialog, 1);
}

INT_PTR CALLBACK ScheduleDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  ScheduleDialogState* state = StateOf(dialog);
  switch (message) {
    case WM_INITDIALOG:
      state = new ScheduleDialogState;
      state->event = reinterpret_cast<SCHEDULE_EVENT*>(lParam);
      SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
      if (!Initialise(dialog, state)) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      state->initialised = true;
      return TRUE;
    case WM_REPORT_QUERY:
      AnswerReportQuery(lParam);
      SetWindowLongPtrA(dialog, DWLP_MSGRESULT, TRUE);
      return TRUE;
    case WM_COMMAND:
      if (state == nullptr) return FALSE;
      switch (LOWORD(wParam)) {
        case IDC_SCHEDULE_MEMORIZED:
          if (HIWORD(wParam) == CBN_SELCHANGE && state->initialised) {
            if (state->skipFirstSelection) {
              state->skipFirstSelection = false;
            } else {
              OnReportSelected(dialog, state);
            }
          }
          return TRUE;
        case IDC_SCHEDULE_NEW:
          NewReport(dialog, state);
          return TRUE;
        case IDC_SCHEDULE_SCHEME:
          if (HIWORD(wParam) == CBN_SELCHANGE) OnSaveToSchemeChanged(dialog, &state->urlType, kScheduleSaveToControls);
          return TRUE;
        case IDC_SCHEDULE_BROWSE:
          if (state->urlType == kSaveToFile) {
            BrowseReportFilename(dialog, IDC_SCHEDULE_TARGET);
          } else if (state->urlType == kSaveToFtp) {
            WebLoginRecord login{};
            login.kind = kSaveToFtp;
            CopyText(login.user, state->event->userName);
            CopyText(login.password, state->event->password);
            GetDlgItemTextA(dialog, IDC_SCHEDULE_TARGET, login.target, sizeof login.target);
            RunWebServerLoginDialog(dialog, &login);
            CopyText(state->event->userName, login.user);
            CopyText(state->event->password, login.password);
            SetDlgItemTextA(dialog, IDC_SCHEDULE_TARGET, login.target);
          }
          return TRUE;
        case IDOK:
          Save(dialog, state);
          return TRUE;
        case IDC_HELP_BUTTON: {
          char help[MAX_PATH];
          if (GetAlertHelpPath(help, sizeof help)) WinHelpA(dialog, help, HELP_CONTEXT, 9067);
          return TRUE;
        }
        case IDCANCEL:
          EndDialog(dialog, 0);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    case WM_DESTROY:
      if (state != nullptr) {
        if (state->reports != nullptr) QVUI_MyFree2(state->reports);
        if (state->profiles != nullptr) QVUI_MyFree2(state->profiles);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        delete state;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

int RunScheduleDialog(HWND parent, SCHEDULE_EVENT* event) {
  if (event == nullptr) return 0;
  const INT_PTR result = DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(IDD_SCHEDULE), parent, &ScheduleDlg,
                                         reinterpret_cast<LPARAM>(event));
  return result == 1 ? 1 : 0;
}
