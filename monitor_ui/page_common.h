// What every page of the profile sheets shares: the profile being edited, the
// page-visited flags, steering the sheet, refusals, the picture and bold
// labels, number fields with their spin arrows, and help.
#pragma once

#include <initializer_list>
#include <string>

#include "monitor_profile.h"
#include "qvplatform.h"

class CAlertConfig;

// Sheet page indexes.
inline constexpr int kEditGeneralPage = 0;
inline constexpr int kEditProtocolPage = 1;
inline constexpr int kEditAudioPage = 2;
inline constexpr int kEditEmailPage = 3;
inline constexpr int kEditPagerPage = 4;

// Every control id the pages and dialogs use.
namespace page_ids {
inline constexpr int kPicture = 1089;
inline constexpr int kTitleGroup = 9070;
inline constexpr int kTimingGroup = 9071;
inline constexpr int kKindCombo = 1053;
inline constexpr int kDescription = 1055;
inline constexpr int kDescriptionLabel = 1054;
inline constexpr int kKindLabel = 15004;
inline constexpr int kKindHelp = 1096;
inline constexpr int kDisabled = 1017;
inline constexpr int kFlushLog = 1153;
inline constexpr int kDisableGroup = 1152;
inline constexpr int kModuleDisabledNote = 1150;
inline constexpr int kHost = 1097;
inline constexpr int kPort = 1098;
inline constexpr int kPollTime = 1092;
inline constexpr int kPollSpin = 1122;
inline constexpr int kPollUnit = 1053;
inline constexpr int kFailTime = 1093;
inline constexpr int kFailSpin = 1036;
inline constexpr int kFailUnit = 1091;
inline constexpr int kUpAlarm = 1017;
}  // namespace page_ids

// The page-visited flags and the profile of the running sheet (one sheet runs
// at a time).
struct ProfileSheetState {
  CMonitorProfile* profile = nullptr;
  bool protocolVisited = false;
  bool audioVisited = false;
  bool emailVisited = false;
  bool pagerVisited = false;
};
ProfileSheetState& SheetState();

// The profile a page's WM_INITDIALOG lParam (its PROPSHEETPAGEA) carries.
CMonitorProfile* ProfileOfPage(LPARAM initParam);
bool IsEditSheet(const CMonitorProfile* profile);
// The page's index in the running sheet.
int PageIndex(const CMonitorProfile* profile, int wizardIndex, int editIndex);

// The sheet window of a page.
HWND SheetOf(HWND page);
// Sends PSM_SETCURSEL(index) to the page's sheet.
void Steer(HWND page, int index);
// Answers a notification (DWL_MSGRESULT) and says it was handled.
INT_PTR Answer(HWND page, LRESULT value);
// Steering rule for a refusal: back to `index`, the focus on `control`, the
// box "Invalid Profile Data" with `text` (caption `caption` when given).
void Refuse(HWND page, int index, int control, const char* text, const char* caption = nullptr);
// The plug-in's string `id` (38, 39, 40, 41, ...).
std::string PluginString(UINT id);

// The picture (bitmap 11 of the user-interface library) and bold labels.
void InitPicture(HWND page);
void BoldControls(HWND page, std::initializer_list<int> ids);
// Undoes both (WM_DESTROY).
void ReleasePageDecor(HWND page);

std::string ControlText(HWND page, int id, size_t limit = 2048);
// Decimal value of a field: leading digits, 0 for none.
long ControlNumber(HWND page, int id);
void SetControlNumber(HWND page, int id, long value);
bool IsChecked(HWND page, int id);
void SetChecked(HWND page, int id, bool checked);

// "Seconds" (0) and "Minutes" (1); a negative unit selects "Minutes".
void FillTimeUnitCombo(HWND combo, int unit);
// The item data of the selected unit (1 when none is selected).
int SelectedUnit(HWND page, int comboId);
// UDN_DELTAPOS: one up for a delta of 0 or below, one down otherwise, kept within min..max.
void StepNumber(HWND page, int editId, int delta, long minimum, long maximum);

// WinHelpA with the plug-in's help file.
void ShowHelp(HWND page, ULONG_PTR context, UINT command = HELP_CONTEXT);
// The notification code of a WM_NOTIFY.
UINT NotifyCode(LPARAM lParam);
