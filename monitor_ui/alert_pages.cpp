// The Audio Alert and E-Mail Alert pages of both profile sheets.
#include <cctype>
#include <ctime>
#include <string>

#include "alert_config.h"
#include "alert_page_common.h"
#include "alert_test.h"
#include "monitor_ui.h"
#include "plugin_globals.h"
#include "qv_ui.h"

namespace {

// ---- Audio ----
constexpr int kAudioEnable = 1037;
constexpr int kTestButton = 1011;
constexpr int kBeep = 1039;
constexpr int kWave = 1040;
constexpr int kWaveFile = 1085;
constexpr int kWaveBrowse = 1029;
constexpr int kSoundFor = 20022;
constexpr int kSeconds = 1081;
constexpr int kSecondsSpin = 1035;
constexpr int kRepeat = 20021;
constexpr int kTimes = 1080;
constexpr int kTimesSpin = 1036;
constexpr int kGroup3 = 1063;

constexpr char kCaption[] = "Invalid Profile Data";
constexpr char kNoWave[] = "You must enter a wave file name.";
constexpr char kNoAddress[] = "You must enter a valid email address.";

AlertPageState g_audio;
AlertPageState g_email;

std::string DefaultWaveFile() { return std::string(PluginLocalDirectory()) + "qvm_alrt\\alarm.wav"; }

bool StoreAudio(HWND page, CMonitorProfile* profile);
bool StoreEmail(HWND page, CMonitorProfile* profile);

const AlertPageSetup kAudioSetup{kWizardAudioIndex, kEditAudioPage, PSWIZB_BACK | PSWIZB_NEXT, 9075,
                               &SheetState().audioVisited, StoreAudio, kWizardEmailIndex};
const AlertPageSetup kEmailSetup{kWizardEmailIndex, kEditEmailPage, PSWIZB_BACK | PSWIZB_NEXT, 9074,
                               &SheetState().emailVisited, StoreEmail, kWizardPagerIndex};

// The audio channel from the page: false (with the refusal shown) when a wave
// file is needed and missing.
bool FillAudio(HWND page, CAudioAlert* audio, bool enabled, bool waived, int index) {
  audio->SetPlayMode(IsChecked(page, kBeep) ? 0 : 1);
  const std::string file = ControlText(page, kWaveFile, 80);
  if (enabled && audio->GetPlayMode() == 1 && file.empty() && !waived) {
    Refuse(page, index, kWaveFile, kNoWave, kCaption);
    return false;
  }
  audio->SetFile(file.c_str());
  audio->SetTimeMode(IsChecked(page, kRepeat) ? 1 : 0);
  audio->SetLoopTime(static_cast<int>(ControlNumber(page, kTimes)));
  audio->SetSecondsTime(static_cast<int>(ControlNumber(page, kSeconds)));
  return true;
}

bool StoreAudio(HWND page, CMonitorProfile* profile) {
  CAlertConfig* config = profile->GetAlertConfig();
  if (config == nullptr || config->GetAudio() == nullptr) return true;
  const bool enabled = IsChecked(page, kAudioEnable);
  config->SetAudioEnabled(enabled);
  return FillAudio(page, config->GetAudio(), enabled, profile->IsTypeChanged(), AlertPageIndex(profile, kAudioSetup));
}

void BrowseWave(HWND page) {
  const std::string text = ControlText(page, kWaveFile, 260);
  const size_t slash = text.rfind('\\');
  std::string folder = slash != std::string::npos ? text.substr(0, slash + 1)
                                                  : std::string(PluginLocalDirectory()) + "qvm_alrt\\";
  std::string name = slash != std::string::npos ? text.substr(slash + 1) : text;
  if (text.empty()) name = "default.wav";
  char file[MAX_PATH] = {};
  name.copy(file, sizeof file - 1);
  OPENFILENAMEA open{};
  open.lStructSize = sizeof open;
  open.hwndOwner = page;
  open.lpstrFilter = "Wave Files (*.wav)\0*.WAV\0";
  open.lpstrFile = file;
  open.nMaxFile = sizeof file;
  open.lpstrInitialDir = folder.c_str();
  open.lpstrTitle = "Select a WAV file";
  open.lpstrDefExt = "WAV";
  open.Flags = OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
  if (GetOpenFileNameA(&open)) SetDlgItemTextA(page, kWaveFile, file);
}

void TestAudio(HWND page) {
  CMonitorProfile* profile = g_audio.profile;
  if (profile == nullptr || profile->GetAlertConfig() == nullptr) return;
  CAlertConfig copy(*profile->GetAlertConfig());
  copy.SetEmailEnabled(false);
  copy.SetPagerEnabled(false);
  copy.SetAudioEnabled(IsChecked(page, kAudioEnable));
  if (copy.GetAudio() == nullptr) return;
  if (!FillAudio(page, copy.GetAudio(), true, false, AlertPageIndex(profile, kAudioSetup))) return;
  copy.GetAudio()->SetProfileName("Test Audio");
  RunAlertTest(page, &copy, AlertChannel::Audio);
  EnableAudioAlertControls(page);
}

void InitAudio(HWND page, LPARAM lParam) {
  g_audio.profile = ProfileOfPage(lParam);
  g_audio.applying = false;
  InitPicture(page);
  BoldControls(page, {page_ids::kTitleGroup, 9071, kGroup3});
  SendDlgItemMessageA(page, kWaveFile, EM_LIMITTEXT, 80, 0);
  SendDlgItemMessageA(page, kSeconds, EM_LIMITTEXT, 4, 0);
  SendDlgItemMessageA(page, kTimes, EM_LIMITTEXT, 4, 0);
  CAlertConfig* config = g_audio.profile != nullptr ? g_audio.profile->GetAlertConfig() : nullptr;
  const CAudioAlert* audio = config != nullptr ? config->GetAudio() : nullptr;
  if (audio != nullptr) {
    SetChecked(page, kAudioEnable, config->GetAudioEnabled());
    SetChecked(page, audio->GetPlayMode() != 0 ? kWave : kBeep, true);
    const char* file = audio->GetFile();
    SetDlgItemTextA(page, kWaveFile, file != nullptr && file[0] != '\0' ? file : DefaultWaveFile().c_str());
    SetControlNumber(page, kTimes, audio->GetLoopTime());
    SetControlNumber(page, kSeconds, audio->GetSecondsTime());
    SetChecked(page, audio->GetTimeMode() == 1 ? kRepeat : kSoundFor, true);
  }
  EnableAudioAlertControls(page);
  QVUI_CenterDialog(page);
}

// ---- E-mail ----
constexpr int kEmailEnable = 1036;
constexpr int kAddress = 1016;
constexpr int kSubject = 1068;
constexpr char kDefaultSubject[] = "Quorvane Alert";
constexpr char kDefaultSender[] = "quorvane@localhost";

std::string ProgramSetting(const char* section, const char* key) {
  const std::string path = std::string(PluginLocalDirectory()) + "quorvane.ini";
  char value[256] = {};
  GetPrivateProfileStringA(section, key, "", value, sizeof value, path.c_str());
  return value;
}

bool EqualNoCase(const std::string& a, const char* b) {
  const std::string other(b);
  if (a.size() != other.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(other[i]))) {
      return false;
    }
  }
  return true;
}

bool StoreEmail(HWND page, CMonitorProfile* profile) {
  CAlertConfig* config = profile->GetAlertConfig();
  if (config == nullptr || config->GetEmail() == nullptr) return true;
  const bool enabled = IsChecked(page, kEmailEnable);
  config->SetEmailEnabled(enabled);
  const std::string address = ControlText(page, kAddress, 80);
  if (enabled && address.empty() && !profile->IsTypeChanged()) {
    Refuse(page, AlertPageIndex(profile, kEmailSetup), kAddress, kNoAddress, kCaption);
    return false;
  }
  const std::string subject = ControlText(page, kSubject, 80);
  config->GetEmail()->SetAddress(address.c_str());
  config->GetEmail()->SetSubject(subject.empty() ? kDefaultSubject : subject.c_str());
  return true;
}

std::string TestBody() {
  const std::time_t now = std::time(nullptr);
  char when[64] = {};
  std::string stamp = ctime_r(&now, when) != nullptr ? when : "";
  while (!stamp.empty() && (stamp.back() == '\n' || stamp.back() == '\r')) stamp.pop_back();
  return "The following alert is only a test.\r\n\r\nAn alert has been generated for profile \"TEST\".\r\n"
         "The device TEST (Type: PING) is down at " +
         stamp + ".\r\n\r\nThis alert was generated by Quorvane.";
}

void TestEmail(HWND page) {
  CMonitorProfile* profile = g_email.profile;
  if (profile == nullptr || profile->GetAlertConfig() == nullptr) return;
  CAlertConfig copy(*profile->GetAlertConfig());
  copy.SetAudioEnabled(false);
  copy.SetPagerEnabled(false);
  copy.SetEmailEnabled(IsChecked(page, kEmailEnable));
  CEmailAlert* email = copy.GetEmail();
  if (email == nullptr) return;
  const std::string address = ControlText(page, kAddress, 80);
  if (address.empty()) {
    Refuse(page, AlertPageIndex(profile, kEmailSetup), kAddress, kNoAddress, kCaption);
    return;
  }
  const std::string subject = ControlText(page, kSubject, 80);
  email->SetAddress(address.c_str());
  email->SetMessage(TestBody().c_str());
  email->SetSubject(subject.empty() ? "Quorvane Test Alert" : subject.c_str());
  email->SetProfileName("Test Email");
  RunAlertTest(page, &copy, AlertChannel::Email);
  EnableEmailAlertControls(page);
}

void InitEmail(HWND page, LPARAM lParam) {
  g_email.profile = ProfileOfPage(lParam);
  g_email.applying = false;
  InitPicture(page);
  BoldControls(page, {page_ids::kTitleGroup, 9071, kGroup3});
  SendDlgItemMessageA(page, kAddress, EM_LIMITTEXT, 80, 0);
  SendDlgItemMessageA(page, kSubject, EM_LIMITTEXT, 80, 0);
  CAlertConfig* config = g_email.profile != nullptr ? g_email.profile->GetAlertConfig() : nullptr;
  const CEmailAlert* email = config != nullptr ? config->GetEmail() : nullptr;
  if (email != nullptr) {
    SetChecked(page, kEmailEnable, config->GetEmailEnabled());
    std::string address = email->GetAddress() != nullptr ? email->GetAddress() : "";
    if (address.empty()) address = ProgramSetting("eMail", "From");
    if (address.empty()) address = kDefaultSender;
    SetDlgItemTextA(page, kAddress, address.c_str());
    std::string subject = email->GetSubject() != nullptr ? email->GetSubject() : "";
    if (subject.empty()) subject = ProgramSetting("eMail", "Subject");
    if (subject.empty() || EqualNoCase(subject, "Quorvane Reports")) subject = kDefaultSubject;
    SetDlgItemTextA(page, kSubject, subject.c_str());
  }
  EnableEmailAlertControls(page);
}

}  // namespace

void EnableAudioAlertControls(HWND page) {
  const bool on = IsChecked(page, kAudioEnable);
  for (int id : {kBeep, kWave, kSoundFor, kRepeat, kTestButton}) EnableWindow(GetDlgItem(page, id), on);
  const bool wave = on && IsChecked(page, kWave);
  EnableWindow(GetDlgItem(page, kWaveFile), wave);
  EnableWindow(GetDlgItem(page, kWaveBrowse), wave);
  const bool repeat = on && IsChecked(page, kRepeat);
  EnableWindow(GetDlgItem(page, kTimes), repeat);
  EnableWindow(GetDlgItem(page, kTimesSpin), repeat);
  const bool seconds = on && IsChecked(page, kSoundFor);
  EnableWindow(GetDlgItem(page, kSeconds), seconds);
  EnableWindow(GetDlgItem(page, kSecondsSpin), seconds);
}

void EnableEmailAlertControls(HWND page) {
  const bool on = IsChecked(page, kEmailEnable);
  for (int id : {kTestButton, kAddress, kSubject}) EnableWindow(GetDlgItem(page, id), on);
}

INT_PTR CALLBACK AudioAlertDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kFocusFirstField) return FocusFirstFieldNow(page);
  switch (message) {
    case WM_INITDIALOG:
      InitAudio(page, lParam);
      return TRUE;
    case WM_COMMAND: {
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      switch (LOWORD(wParam)) {
        case kAudioEnable:
          if (IsChecked(page, kAudioEnable) && !IsChecked(page, kBeep) && !IsChecked(page, kWave)) {
            SetChecked(page, kBeep, true);
          }
          EnableAudioAlertControls(page);
          return TRUE;
        case kBeep:
        case kWave:
        case kSoundFor:
        case kRepeat:
          EnableAudioAlertControls(page);
          return TRUE;
        case kWaveBrowse:
          BrowseWave(page);
          return TRUE;
        case kTestButton:
          TestAudio(page);
          return TRUE;
        default:
          return FALSE;
      }
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header != nullptr && header->code == UDN_DELTAPOS) {
        const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
        if (header->idFrom == static_cast<UINT_PTR>(kTimesSpin)) StepNumber(page, kTimes, change->iDelta, 1, 30);
        if (header->idFrom == static_cast<UINT_PTR>(kSecondsSpin)) {
          StepNumber(page, kSeconds, change->iDelta, 1, 120);
        }
        return Answer(page, 0);
      }
      const int back = g_audio.profile != nullptr
                           ? PageIndex(g_audio.profile, g_audio.profile->GetSettings()->GetMonitorType(),
                                       kEditProtocolPage)
                           : 0;
      return AlertPageNotify(page, g_audio, kAudioSetup, back, lParam);
    }
    case WM_DESTROY:
      ReleasePageDecor(page);
      return FALSE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK EmailAlertDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kFocusFirstField) return FocusFirstFieldNow(page);
  switch (message) {
    case WM_INITDIALOG:
      InitEmail(page, lParam);
      return TRUE;
    case WM_COMMAND:
      if (HIWORD(wParam) != BN_CLICKED) return FALSE;
      if (LOWORD(wParam) == kEmailEnable) {
        EnableEmailAlertControls(page);
        return TRUE;
      }
      if (LOWORD(wParam) == kTestButton) {
        TestEmail(page);
        return TRUE;
      }
      return FALSE;
    case WM_NOTIFY:
      return AlertPageNotify(page, g_email, kEmailSetup, PageIndex(g_email.profile, kWizardAudioIndex, kEditAudioPage),
                             lParam);
    case WM_DESTROY:
      ReleasePageDecor(page);
      return FALSE;
    default:
      return FALSE;
  }
}
