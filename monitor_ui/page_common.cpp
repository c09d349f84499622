// Shared steering, refusals and control helpers of the profile pages.
#include "page_common.h"

#include <cstdlib>

#include "alert_plugin.h"
#include "plugin_globals.h"
#include "qv_ui.h"

namespace {

constexpr char kBoldFont[] = "QvPageBoldFont";
constexpr char kPictureShown[] = "QvPagePicture";

}  // namespace

ProfileSheetState& SheetState() {
  static ProfileSheetState state;
  return state;
}

CMonitorProfile* ProfileOfPage(LPARAM initParam) {
  const auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(initParam);
  return record != nullptr ? reinterpret_cast<CMonitorProfile*>(record->lParam) : nullptr;
}

bool IsEditSheet(const CMonitorProfile* profile) {
  return profile != nullptr && profile->GetSheetMode() == kSheetEdit;
}

int PageIndex(const CMonitorProfile* profile, int wizardIndex, int editIndex) {
  return IsEditSheet(profile) ? editIndex : wizardIndex;
}

HWND SheetOf(HWND page) { return GetParent(page); }

void Steer(HWND page, int index) { SendMessageA(SheetOf(page), PSM_SETCURSEL, static_cast<WPARAM>(index), 0); }

INT_PTR Answer(HWND page, LRESULT value) {
  SetWindowLongPtrA(page, DWL_MSGRESULT, value);
  return TRUE;
}

std::string PluginString(UINT id) { return QVUI_GetString(id, PluginInstance(), 0); }

void Refuse(HWND page, int index, int control, const char* text, const char* caption) {
  Steer(page, index);
  // The faulty field is on the page the sheet shows now (the General page
  // refuses for pages never opened).
  auto shown = reinterpret_cast<HWND>(SendMessageA(SheetOf(page), PSM_GETCURRENTPAGEHWND, 0, 0));
  HWND field = GetDlgItem(shown != nullptr ? shown : page, control);
  if (field != nullptr) SetFocus(field);
  const std::string title = caption != nullptr ? std::string(caption) : PluginString(40);
  MessageBoxA(page, text, title.empty() ? "Invalid Profile Data" : title.c_str(), MB_OK);
  // The user goes on where the fault is.
  if (field != nullptr && IsWindow(field)) SetFocus(field);
}

void InitPicture(HWND page) {
  if (QVUI_SubclassFancyBitmap(GetDlgItem(page, page_ids::kPicture), QVUI_GetBitmapResource(11),
                               QVUI_GetBitmapInstance())) {
    SetPropA(page, kPictureShown, reinterpret_cast<HANDLE>(1));
  }
}

void BoldControls(HWND page, std::initializer_list<int> ids) {
  auto font = static_cast<HFONT>(GetPropA(page, kBoldFont));
  if (font == nullptr) {
    font = QVUI_GetBoldFaceFont(page);
    if (font == nullptr) return;
    SetPropA(page, kBoldFont, font);
  }
  for (int id : ids) {
    if (HWND control = GetDlgItem(page, id)) SendMessageA(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  }
}

void ReleasePageDecor(HWND page) {
  if (RemovePropA(page, kPictureShown) != nullptr) QVUI_UnsubclassWindow(GetDlgItem(page, page_ids::kPicture));
  if (HANDLE font = RemovePropA(page, kBoldFont)) DeleteObject(static_cast<HGDIOBJ>(font));
}

std::string ControlText(HWND page, int id, size_t limit) {
  std::string text(limit + 1, '\0');
  const int length = GetDlgItemTextA(page, id, text.data(), static_cast<int>(limit + 1));
  text.resize(length > 0 ? static_cast<size_t>(length) : 0);
  return text;
}

long ControlNumber(HWND page, int id) {
  const std::string text = ControlText(page, id, 32);
  long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') break;
    if (value > 100000000L) break;  // far beyond every field's range
    value = value * 10 + (c - '0');
  }
  return value;
}

void SetControlNumber(HWND page, int id, long value) {
  SetDlgItemTextA(page, id, std::to_string(value).c_str());
}

bool IsChecked(HWND page, int id) { return IsDlgButtonChecked(page, id) == BST_CHECKED; }

void SetChecked(HWND page, int id, bool checked) { CheckDlgButton(page, id, checked ? BST_CHECKED : BST_UNCHECKED); }

void FillTimeUnitCombo(HWND combo, int unit) {
  if (combo == nullptr) return;
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  SendMessageA(combo, CB_INSERTSTRING, 0, reinterpret_cast<LPARAM>("Seconds"));
  SendMessageA(combo, CB_SETITEMDATA, 0, 0);
  SendMessageA(combo, CB_INSERTSTRING, 1, reinterpret_cast<LPARAM>("Minutes"));
  SendMessageA(combo, CB_SETITEMDATA, 1, 1);
  SendMessageA(combo, CB_SETCURSEL, unit == 0 ? 0 : 1, 0);
}

int SelectedUnit(HWND page, int comboId) {
  HWND combo = GetDlgItem(page, comboId);
  const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (index < 0) return 1;
  return SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0) == 0 ? 0 : 1;
}

void StepNumber(HWND page, int editId, int delta, long minimum, long maximum) {
  long value = ControlNumber(page, editId);
  value += delta <= 0 ? 1 : -1;
  if (value < minimum) value = minimum;
  if (value > maximum) value = maximum;
  SetControlNumber(page, editId, value);
}

void ShowHelp(HWND page, ULONG_PTR context, UINT command) {
  CAlertPlugin* plugin = ThePlugin();
  WinHelpA(page, plugin != nullptr ? plugin->GetHelpFile() : "", command, context);
}

UINT NotifyCode(LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  return header != nullptr ? header->code : 0;
}
