// The first page of both profile sheets: description, monitor kind (an
// owner-drawn list with the kind's name in bold) and, in the edit sheet, the
// Disabled switch and the log flush. Its apply also checks the pages of the
// edit sheet that were never opened.
#include <cstring>
#include <string>

#include "alert_config.h"
#include "alert_plugin.h"
#include "device_list.h"
#include "monitor_ui.h"
#include "page_common.h"
#include "plugin_globals.h"
#include "plugin_helpers.h"
#include "qv_ui.h"

namespace {

using namespace page_ids;

struct KindItem {
  int kind;
  const char* text;
};
// In the order they are added; the list sorts them by text.
constexpr KindItem kKindItems[] = {
    {MONITOR_DNS, "DNS\t - Domain Name Server"},
    {MONITOR_FINGER, "Finger\t - User Information Server"},
    {MONITOR_FTP, "FTP\t - File Transfer Server"},
    {MONITOR_GOPHER, "Gopher\t - Hypertext WAIS Server"},
    {MONITOR_HTTP, "HTTP\t - Web Server"},
    {MONITOR_IRCHAT, "IRC\t - Internet Relay Chat Server"},
    {MONITOR_NNTP, "NNTP\t - Newsgroup Server"},
    {MONITOR_ODBC, "ODBC\t - Remote Datasource"},
    {MONITOR_PING, "Ping\t - Generic IP Device Test"},
    {MONITOR_POP3, "POP3\t - Client Mail Server"},
    {MONITOR_RWHOIS, "RWHOIS\t - Domain Information Server"},
    {MONITOR_SMTP, "SMTP\t - Internet Mail Server"},
    {MONITOR_TELNET, "Telnet\t - Remote Shell Server"},
    {MONITOR_WHOIS, "WHOIS\t - Domain Information Server"},
    {MONITOR_DISK_SPACE, "Disk Space\t - Local Hard Disk Volumes"},
    {MONITOR_HTTPS, "HTTPS\t - Secure Web Server"},
    {MONITOR_URL, "URL\t - Web Page"},
};
constexpr KindItem kNtServiceItem = {MONITOR_NT_SERVICE, "NT Service\t - Local NT Service"};

constexpr char kNoDescription[] = "You must enter a profile description.";
constexpr char kFlushQuestion[] =
    "Quorvane uses the log file to generate reports for this profile.  Do you want to flush the log file for "
    "this profile?";

// The page statics: the profile, the re-entry flag and the sheet position
// kept across a kind change.
CMonitorProfile* g_profile = nullptr;
bool g_applying = false;
bool g_restorePosition = false;
RECT g_sheetRect{};

char g_kindHelp[MONITOR_TYPE_LAST + 1][4096];

UINT HelpStringId(int kind) {
  if (kind == MONITOR_HTTPS) return 42;
  if (kind == MONITOR_URL) return 43;
  return static_cast<UINT>(20 + kind);
}

const char* KindHelp(int kind) {
  if (kind < MONITOR_TYPE_FIRST || kind > MONITOR_TYPE_LAST) return "";
  if (g_kindHelp[kind][0] == '\0') {
    LoadStringA(PluginInstance(), HelpStringId(kind), g_kindHelp[kind], sizeof g_kindHelp[kind]);
  }
  return g_kindHelp[kind];
}

bool IsWindowsNt() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == 2;
}

HWND KindCombo(HWND page) { return GetDlgItem(page, kKindCombo); }

int SelectedKind(HWND page) {
  HWND combo = KindCombo(page);
  const LRESULT index = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  if (index < 0) return MONITOR_TYPE_DEFAULT;
  return static_cast<int>(SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(index), 0));
}

void AddKind(HWND combo, const KindItem& item) {
  const LRESULT index = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.text));
  if (index >= 0) SendMessageA(combo, CB_SETITEMDATA, static_cast<WPARAM>(index), item.kind);
}

void FillKinds(HWND page, int kind) {
  HWND combo = KindCombo(page);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  for (const KindItem& item : kKindItems) AddKind(combo, item);
  if (IsWindowsNt()) AddKind(combo, kNtServiceItem);
  for (int k = MONITOR_TYPE_FIRST; k <= MONITOR_TYPE_LAST; ++k) KindHelp(k);
  const LRESULT count = SendMessageA(combo, CB_GETCOUNT, 0, 0);
  LRESULT chosen = 0;
  for (LRESULT i = 0; i < count; ++i) {
    if (SendMessageA(combo, CB_GETITEMDATA, static_cast<WPARAM>(i), 0) == kind) chosen = i;
  }
  SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(chosen), 0);
  EnableWindow(combo, TRUE);
}

HFONT BoldVariant(HFONT font) {
  LOGFONTA description{};
  if (font == nullptr || GetObjectA(font, sizeof description, &description) == 0) {
    GetObjectA(GetStockObject(DEFAULT_GUI_FONT), sizeof description, &description);
  }
  description.lfWeight = FW_BOLD;
  return CreateFontIndirectA(&description);
}

void StoreKindAndDisabled(HWND page) {
  CMonitorSettings* settings = g_profile->GetSettings();
  settings->SetMonitorType(SelectedKind(page));
  settings->SetDisabled(IsChecked(page, kDisabled));
}

void OnInit(HWND page, LPARAM lParam) {
  ProfileSheetState& state = SheetState();
  state.protocolVisited = state.audioVisited = state.emailVisited = state.pagerVisited = false;
  g_applying = false;
  g_profile = ProfileOfPage(lParam);
  state.profile = g_profile;
  const bool edit = IsEditSheet(g_profile);
  if (edit) {
    BoldControls(page, {kDescriptionLabel, kKindLabel, kDisableGroup});
  } else {
    BoldControls(page, {kDescriptionLabel, kKindLabel});
  }
  InitPicture(page);
  const CMonitorSettings* settings = g_profile != nullptr ? g_profile->GetSettings() : nullptr;
  const int kind = settings != nullptr ? settings->GetMonitorType() : MONITOR_TYPE_DEFAULT;
  FillKinds(page, kind);
  SetChecked(page, kDisabled, settings != nullptr && settings->GetDisabled());
  SendDlgItemMessageA(page, kDescription, EM_LIMITTEXT, 80, 0);
  SetDlgItemTextA(page, kDescription, g_profile != nullptr ? g_profile->GetDescription() : "");
  SetDlgItemTextA(page, kKindHelp, KindHelp(SelectedKind(page)));
  CAlertPlugin* plugin = ThePlugin();
  if (edit && plugin != nullptr &&
      ReadProfileInt("General", "DisableAlertModule", 0, plugin->GetIniPath()) != 0) {
    ShowWindow(GetDlgItem(page, kModuleDisabledNote), SW_SHOW);
  }
  if (g_restorePosition) {
    SetWindowPos(SheetOf(page), nullptr, g_sheetRect.left, g_sheetRect.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  } else {
    QVUI_CenterDialog(page);
  }
  g_restorePosition = false;
}

INT_PTR OnNext(HWND page) {
  const std::string description = ControlText(page, kDescription);
  g_profile->SetDescription(description.c_str());
  if (description.empty()) {
    Refuse(page, 0, kDescription, kNoDescription, "Invalid Profile Data");
    return Answer(page, 2);
  }
  StoreKindAndDisabled(page);
  Steer(page, g_profile->GetSettings()->GetMonitorType());
  return Answer(page, 2);
}

// The checks of the pages never opened in this run, from the profile's data.
bool CheckUnvisitedPages(HWND page) {
  const ProfileSheetState& state = SheetState();
  const bool waived = g_profile->IsTypeChanged();
  const CMonitorSettings* settings = g_profile->GetSettings();
  CAlertConfig* alerts = g_profile->GetAlertConfig();
  const char* caption = "Invalid Profile Data";
  if (!state.protocolVisited) {
    const int kind = settings->GetMonitorType();
    if (!waived && settings->GetHostName()[0] == '\0') {
      const char* text = kind == MONITOR_DISK_SPACE ? "You must enter a valid UNC path name."
                         : kind == MONITOR_ODBC     ? "You must enter a valid ODBC data source name."
                                                    : "You must enter a valid host name.";
      Refuse(page, kEditProtocolPage, kHost, text, caption);
      return false;
    }
    if (!waived && kind == MONITOR_ODBC && settings->GetUserName()[0] == '\0') {
      Refuse(page, kEditProtocolPage, kHost, "You must enter a user name.", caption);
      return false;
    }
    if (settings->GetPollTime() < 1 || (settings->GetPollTime() < 30 && settings->GetPollTimeUnit() == 0)) {
      Refuse(page, kEditProtocolPage, kPollTime, PluginString(39).c_str());
      return false;
    }
    if (settings->GetFailTime() <= 0) {
      Refuse(page, kEditProtocolPage, kFailTime, PluginString(38).c_str());
      return false;
    }
  }
  if (alerts == nullptr || waived) return true;
  const CEmailAlert* email = alerts->GetEmail();
  if (!state.emailVisited && alerts->GetEmailEnabled() &&
      (email == nullptr || email->GetAddress() == nullptr || email->GetAddress()[0] == '\0')) {
    Refuse(page, kEditEmailPage, 1016, "You must enter a valid email address.", caption);
    return false;
  }
  const CAudioAlert* audio = alerts->GetAudio();
  if (!state.audioVisited && alerts->GetAudioEnabled() && audio != nullptr && audio->GetPlayMode() == 1 &&
      (audio->GetFile() == nullptr || audio->GetFile()[0] == '\0')) {
    Refuse(page, kEditAudioPage, 1085, "You must enter a wave file name.", caption);
    return false;
  }
  const CPagerAlert* pager = alerts->GetPager();
  if (!state.pagerVisited && alerts->GetPagerEnabled() && pager != nullptr) {
    if (pager->IsModemDelivery() && (pager->GetNumber() == nullptr || pager->GetNumber()[0] == '\0')) {
      Refuse(page, kEditPagerPage, 1063, "You must enter a phone number.", caption);
      return false;
    }
    if (pager->IsAlphaMode() && (pager->GetPagerID() == nullptr || pager->GetPagerID()[0] == '\0')) {
      Refuse(page, kEditPagerPage, 1168, "You must enter a pager id number.", caption);
      return false;
    }
  }
  return true;
}

INT_PTR OnApply(HWND page) {
  if (g_applying) return TRUE;
  g_applying = true;
  const std::string description = ControlText(page, kDescription);
  g_profile->SetDescription(description.c_str());
  if (description.empty() && !g_profile->IsTypeChanged()) {
    Refuse(page, 0, kDescription, kNoDescription, "Invalid Profile Data");
    g_applying = false;
    return Answer(page, 2);
  }
  StoreKindAndDisabled(page);
  if (!CheckUnvisitedPages(page)) {
    g_applying = false;
    return Answer(page, 2);
  }
  g_profile->SetSaved(true);
  g_applying = false;
  return Answer(page, 0);
}

void OnKindChanged(HWND page) {
  SetDlgItemTextA(page, kKindHelp, KindHelp(SelectedKind(page)));
  if (g_profile == nullptr) return;
  g_profile->GetSettings()->SetPortID(0);
  if (!IsEditSheet(g_profile)) return;
  if (SelectedKind(page) == g_profile->GetSettings()->GetMonitorType()) return;
  g_restorePosition = true;
  GetWindowRect(SheetOf(page), &g_sheetRect);
  g_profile->SetTypeChanged(true);
  SendMessageA(SheetOf(page), PSM_PRESSBUTTON, PSBTN_OK, 0);
}

void OnFlushLog(HWND page) {
  if (MessageBoxA(page, kFlushQuestion, "Flush History", MB_ICONWARNING | MB_YESNO) != IDYES) return;
  const uint32_t previous = g_profile->GetProfileID();
  g_profile->NewProfileID();
  CAlertPlugin* plugin = ThePlugin();
  if (plugin != nullptr && plugin->GetDeviceList() != nullptr) {
    plugin->GetDeviceList()->LogDeviceInit(g_profile, previous);
  }
}

INT_PTR OnNotify(HWND page, LPARAM lParam) {
  switch (NotifyCode(lParam)) {
    case PSN_SETACTIVE:
      if (!IsEditSheet(g_profile)) PostMessageA(SheetOf(page), PSM_SETWIZBUTTONS, 0, PSWIZB_NEXT);
      return Answer(page, 0);
    case PSN_KILLACTIVE:
      g_applying = false;
      return Answer(page, 0);
    case PSN_WIZNEXT:
      return OnNext(page);
    case PSN_WIZBACK:
      return Answer(page, 2);
    case PSN_APPLY:
      return OnApply(page);
    case PSN_RESET:
      // Cancel ends the edit: a kind change that was refused does not reopen the sheet.
      if (g_profile != nullptr) {
        g_profile->SetSaved(false);
        g_profile->SetTypeChanged(false);
      }
      g_restorePosition = false;
      return Answer(page, 0);
    case PSN_HELP:
      ShowHelp(page, 9002);
      return Answer(page, 0);
    default:
      return FALSE;
  }
}

}  // namespace

void MeasureMonitorTypeItem(HWND page, MEASUREITEMSTRUCT* item, HFONT font) {
  if (item == nullptr) return;
  HFONT bold = BoldVariant(font);
  HDC dc = GetDC(page);
  HGDIOBJ old = SelectObject(dc, bold);
  TEXTMETRICA metrics{};
  GetTextMetricsA(dc, &metrics);
  SelectObject(dc, old);
  ReleaseDC(page, dc);
  DeleteObject(bold);
  item->itemHeight = static_cast<UINT>(metrics.tmHeight + 2);
  item->itemWidth = 1024;
}

void DrawMonitorTypeItem(const DRAWITEMSTRUCT* item, HFONT font) {
  if (item == nullptr || item->hDC == nullptr) return;
  const int width = item->rcItem.right - item->rcItem.left;
  const int height = item->rcItem.bottom - item->rcItem.top;
  if (width <= 0 || height <= 0) return;
  HDC memory = CreateCompatibleDC(item->hDC);
  HGDIOBJ previousBitmap = nullptr;
  HBITMAP bitmap = QVUI_GetCompatibleBitmap(memory, width, height, &previousBitmap);
  if (bitmap == nullptr) {
    DeleteDC(memory);
    return;
  }
  const bool selected = (item->itemState & ODS_SELECTED) != 0;
  RECT area{0, 0, width, height};
  FillRect(memory, &area, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
  SetTextColor(memory, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
  SetBkMode(memory, TRANSPARENT);
  HFONT bold = BoldVariant(font);
  if (static_cast<int>(item->itemID) != -1) {
    char text[257];
    QVUI_GetSelectedComboText(item->hwndItem, 0, text, sizeof text, static_cast<int>(item->itemID));
    const char* tab = std::strchr(text, '\t');
    const std::string name = tab != nullptr ? std::string(text, static_cast<size_t>(tab - text)) : std::string(text);
    const std::string rest = tab != nullptr ? std::string(tab + 1) : std::string();
    const UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_LEFT;
    HGDIOBJ oldFont = SelectObject(memory, bold);
    SIZE nameSize{};
    GetTextExtentPoint32A(memory, name.c_str(), static_cast<int>(name.size()), &nameSize);
    RECT nameRect{2, 0, 2 + nameSize.cx + 1, height};
    DrawTextA(memory, name.c_str(), -1, &nameRect, flags);
    SelectObject(memory, font != nullptr ? static_cast<HGDIOBJ>(font) : GetStockObject(DEFAULT_GUI_FONT));
    SIZE restSize{};
    GetTextExtentPoint32A(memory, rest.c_str(), static_cast<int>(rest.size()), &restSize);
    RECT restRect{2 + nameSize.cx, 0, 2 + nameSize.cx + restSize.cx + 2, height};
    DrawTextA(memory, rest.c_str(), -1, &restRect, flags);
    SelectObject(memory, oldFont);
  }
  if (item->itemState & ODS_FOCUS) DrawFocusRect(memory, &area);
  BitBlt(item->hDC, item->rcItem.left, item->rcItem.top, width, height, memory, 0, 0, SRCCOPY);
  QVUI_DeleteBitmapAndHDC(memory, bitmap, previousBitmap);
  DeleteObject(bold);
}

INT_PTR CALLBACK ProfileGeneralDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      OnInit(page, lParam);
      return TRUE;
    case WM_MEASUREITEM:
      if (wParam == static_cast<WPARAM>(kKindCombo)) {
        MeasureMonitorTypeItem(page, reinterpret_cast<MEASUREITEMSTRUCT*>(lParam),
                               reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0)));
        return TRUE;
      }
      return FALSE;
    case WM_DRAWITEM:
      if (wParam == static_cast<WPARAM>(kKindCombo)) {
        DrawMonitorTypeItem(reinterpret_cast<const DRAWITEMSTRUCT*>(lParam),
                            reinterpret_cast<HFONT>(SendMessageA(page, WM_GETFONT, 0, 0)));
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY:
      if (g_profile == nullptr) return FALSE;
      return OnNotify(page, lParam);
    case WM_COMMAND:
      if (g_profile == nullptr) return FALSE;
      if (LOWORD(wParam) == kKindCombo && HIWORD(wParam) == CBN_SELCHANGE) {
        OnKindChanged(page);
        return TRUE;
      }
      if (LOWORD(wParam) == kFlushLog && HIWORD(wParam) == BN_CLICKED) {
        OnFlushLog(page);
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      ReleasePageDecor(page);
      return FALSE;
    default:
      return FALSE;
  }
}
