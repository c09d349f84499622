// The Pager Alert page of both profile sheets (the wizard's last page).
#include <string>
#include <vector>

#include "alert_config.h"
#include "alert_page_common.h"
#include "alert_test.h"
#include "monitor_ui.h"
#include "plugin_globals.h"
#include "web_pager_text.h"

namespace {

constexpr int kEnable = 1028;
constexpr int kTestButton = 1011;
constexpr int kAlpha = 1041;
constexpr int kPagerId = 1168;
constexpr int kPagerIdLabel = 20168;
constexpr int kNumeric = 1042;
constexpr int kPin = 1051;
constexpr int kPinLabel = 20051;
constexpr int kModeAdvanced = 1003;
constexpr int kWeb = 1024;
constexpr int kService = 1160;
constexpr int kServiceLabel = 20160;
constexpr int kModem = 1023;
constexpr int kPhone = 1063;
constexpr int kPhoneLabel = 20063;
constexpr int kDeliveryAdvanced = 4546;
constexpr int kTypeGroup = 1154;
constexpr int kDeliveryGroup = 1170;
constexpr UINT kFillServices = 1034;

constexpr char kCaption[] = "Invalid Profile Data";
constexpr char kNoPhone[] = "You must enter a phone number.";
constexpr char kNoPagerId[] = "You must enter a pager id number.";

AlertPageState g_pager;
std::string g_iniPath;

bool StorePager(HWND page, CMonitorProfile* profile);
const AlertPageSetup kPagerSetup{kWizardPagerIndex, kEditPagerPage, PSWIZB_BACK | PSWIZB_FINISH, 9076,
                               &SheetState().pagerVisited, StorePager, -1};

CPagerAlert* PagerOf(const CMonitorProfile* profile) {
  CAlertConfig* config = profile != nullptr ? profile->GetAlertConfig() : nullptr;
  return config != nullptr ? config->GetPager() : nullptr;
}

const char* ServiceSection(HWND page) {
  return IsChecked(page, kAlpha) ? "AlphaWebPageService" : "NumericWebPageService";
}

// WebPageUrl := service "/" request of the service's key; a result too long
// for WebPageUrl is refused and leaves it as it was.
bool TakeService(HWND page, CPagerAlert* pager, const std::string& service) {
  char request[1024] = {};
  GetPrivateProfileStringA(ServiceSection(page), service.c_str(), "", request, sizeof request, g_iniPath.c_str());
  const std::string url = service + "/" + request;
  if (url.size() >= CPagerAlert::kWebPageUrlSize) {
    MessageBoxA(page, "The request of this paging service is too long to be kept.", kCaption, MB_OK);
    return false;
  }
  pager->SetWebPageUrl(url.c_str());
  return true;
}

void FillServices(HWND page) {
  CPagerAlert* pager = PagerOf(g_pager.profile);
  HWND combo = GetDlgItem(page, kService);
  SendMessageA(combo, CB_RESETCONTENT, 0, 0);
  char keys[1024] = {};
  const DWORD length = GetPrivateProfileStringA(ServiceSection(page), nullptr, "", keys, sizeof keys,
                                                g_iniPath.c_str());
  for (const char* key = keys; key < keys + length && *key != '\0'; key += std::string(key).size() + 1) {
    SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(key));
  }
  if (pager == nullptr) return;
  const std::string current = WebServiceName(pager->GetWebPageUrl());
  const LRESULT found = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                     reinterpret_cast<LPARAM>(current.c_str()));
  char text[256] = {};
  if (found >= 0 && !current.empty()) {
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(found), reinterpret_cast<LPARAM>(text));
  }
  if (found >= 0 && current == text) {
    SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(found), 0);
  } else if (SendMessageA(combo, CB_GETCOUNT, 0, 0) > 0) {
    SendMessageA(combo, CB_SETCURSEL, 0, 0);
    SendMessageA(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(text));
    TakeService(page, pager, text);
  }
}

// Mode, delivery, ids and number from the page into `pager`; false when refused.
bool FillPager(HWND page, CPagerAlert* pager, bool enabled, int index) {
  pager->SetMode(IsChecked(page, kAlpha) ? 0 : 1);
  pager->SetDeliveryMode(IsChecked(page, kWeb) ? 0 : 1);
  const std::string id = ControlText(page, kPagerId, 15);
  if (enabled && pager->IsAlphaMode() && id.empty()) {
    Refuse(page, index, kPagerId, kNoPagerId, kCaption);
    return false;
  }
  pager->SetPagerID(id.c_str());
  pager->SetPIN(ControlText(page, kPin, 15).c_str());
  const std::string number = ControlText(page, kPhone, 40);
  if (enabled && pager->IsModemDelivery() && number.empty()) {
    Refuse(page, index, kPhone, kNoPhone, kCaption);
    return false;
  }
  pager->SetNumber(number.c_str());
  return true;
}

bool StorePager(HWND page, CMonitorProfile* profile) {
  CAlertConfig* config = profile->GetAlertConfig();
  CPagerAlert* pager = PagerOf(profile);
  if (pager == nullptr) return true;
  const bool enabled = IsChecked(page, kEnable);
  config->SetPagerEnabled(enabled);
  return FillPager(page, pager, enabled, AlertPageIndex(profile, kPagerSetup));
}

void TestPager(HWND page) {
  CMonitorProfile* profile = g_pager.profile;
  if (profile == nullptr || profile->GetAlertConfig() == nullptr) return;
  CAlertConfig copy(*profile->GetAlertConfig());
  copy.SetAudioEnabled(false);
  copy.SetEmailEnabled(false);
  copy.SetPagerEnabled(IsChecked(page, kEnable));
  CPagerAlert* pager = copy.GetPager();
  if (pager == nullptr) return;
  if (!FillPager(page, pager, true, AlertPageIndex(profile, kPagerSetup))) return;
  pager->SetMessage(pager->IsAlphaMode() ? "This is a test alarm." : pager->GetDownID());
  pager->SetProfileName("Test Page");
  RunAlertTest(page, &copy, AlertChannel::Pager);
  EnablePagerAlertControls(page);
}

void OpenAdvanced(HWND page, bool delivery) {
  CPagerAlert* pager = PagerOf(g_pager.profile);
  if (pager == nullptr) return;
  const auto param = reinterpret_cast<LPARAM>(pager);
  if (!delivery) {
    if (IsChecked(page, kAlpha)) {
      DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(31001), page, AlphaPagerSettingsDlg, param);
    } else {
      DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(31002), page, NumericPagerSettingsDlg, param);
    }
  } else if (IsChecked(page, kWeb)) {
    DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(31003), page, WebPagerSettingsDlg, param);
  } else {
    DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(102), page, ModemSettingsDlg, param);
  }
  EnablePagerAlertControls(page);
}

void InitPager(HWND page, LPARAM lParam) {
  g_pager.profile = ProfileOfPage(lParam);
  g_pager.applying = false;
  InitPicture(page);
  BoldControls(page, {1152, kTypeGroup, kDeliveryGroup});
  g_iniPath = std::string(PluginLocalDirectory()) + "qvm_alrt\\qvm_alrt.ini";
  SendDlgItemMessageA(page, kPagerId, EM_LIMITTEXT, 15, 0);
  SendDlgItemMessageA(page, kPin, EM_LIMITTEXT, 15, 0);
  SendDlgItemMessageA(page, kPhone, EM_LIMITTEXT, 40, 0);
  CAlertConfig* config = g_pager.profile != nullptr ? g_pager.profile->GetAlertConfig() : nullptr;
  const CPagerAlert* pager = PagerOf(g_pager.profile);
  if (pager != nullptr) {
    SetChecked(page, kEnable, config->GetPagerEnabled());
    SetChecked(page, pager->IsAlphaMode() ? kAlpha : kNumeric, true);
    SetChecked(page, pager->IsWebDelivery() ? kWeb : kModem, true);
    SetDlgItemTextA(page, kPhone, pager->GetNumber() != nullptr ? pager->GetNumber() : "");
    SetDlgItemTextA(page, kPagerId, pager->GetPagerID() != nullptr ? pager->GetPagerID() : "");
    SetDlgItemTextA(page, kPin, pager->GetPIN() != nullptr ? pager->GetPIN() : "");
  }
  SendMessageA(page, kFillServices, 0, 0);
  EnablePagerAlertControls(page);
}

}  // namespace

void EnablePagerAlertControls(HWND page) {
  const bool on = IsChecked(page, kEnable);
  for (int id : {kAlpha, kNumeric, kTypeGroup, kModeAdvanced, kWeb, kModem, kDeliveryGroup, kDeliveryAdvanced,
                 kTestButton}) {
    EnableWindow(GetDlgItem(page, id), on);
  }
  const bool alpha = on && IsChecked(page, kAlpha);
  const bool numeric = on && IsChecked(page, kNumeric);
  const bool web = on && IsChecked(page, kWeb);
  const bool modem = on && IsChecked(page, kModem);
  for (int id : {kPagerId, kPagerIdLabel}) EnableWindow(GetDlgItem(page, id), alpha);
  for (int id : {kPin, kPinLabel}) EnableWindow(GetDlgItem(page, id), numeric);
  for (int id : {kService, kServiceLabel}) EnableWindow(GetDlgItem(page, id), web);
  for (int id : {kPhone, kPhoneLabel}) EnableWindow(GetDlgItem(page, id), modem);
}

INT_PTR CALLBACK PagerAlertDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kFocusFirstField) return FocusFirstFieldNow(page);
  switch (message) {
    case WM_INITDIALOG:
      InitPager(page, lParam);
      return TRUE;
    case kFillServices:
      FillServices(page);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      if (id == kService && HIWORD(wParam) == CBN_SELCHANGE) {
        CPagerAlert* pager = PagerOf(g_pager.profile);
        char text[256] = {};
        const LRESULT index = SendDlgItemMessageA(page, kService, CB_GETCURSEL, 0, 0);
        if (pager != nullptr && index >= 0) {
          SendDlgItemMessageA(page, kService, CB_GETLBTEXT, static_cast<WPARAM>(index),
                              reinterpret_cast<LPARAM>(text));
          TakeService(page, pager, text);
        }
        return TRUE;
      }
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      switch (id) {
        case kAlpha:
        case kNumeric:
          SendMessageA(page, kFillServices, 0, 0);
          EnablePagerAlertControls(page);
          return TRUE;
        case kEnable:
        case kWeb:
        case kModem:
          EnablePagerAlertControls(page);
          return TRUE;
        case kModeAdvanced:
          OpenAdvanced(page, false);
          return TRUE;
        case kDeliveryAdvanced:
          OpenAdvanced(page, true);
          return TRUE;
        case kTestButton:
          TestPager(page);
          return TRUE;
        default:
          return FALSE;
      }
    }
    case WM_NOTIFY:
      return AlertPageNotify(page, g_pager, kPagerSetup, PageIndex(g_pager.profile, kWizardEmailIndex, kEditEmailPage),
                             lParam);
    case WM_DESTROY:
      ReleasePageDecor(page);
      return FALSE;
    default:
      return FALSE;
  }
}
