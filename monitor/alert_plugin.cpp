// The plug-in object: directories, settings file, loading and rows.
#include "alert_plugin.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "alert_config.h"
#include "alert_ini_file.h"
#include "alert_runtime.h"
#include "plugin_alert_queues.h"
#include "device_list.h"
#include "monitor_server.h"
#include "monitor_ui.h"
#include "plugin_helpers.h"
#include "profile_registry.h"
#include "qv_ui.h"

namespace {

constexpr size_t kNoCursor = static_cast<size_t>(-1);

std::vector<std::string> FindNames(const std::string& directory, const char* pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((directory + "\\" + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

}  // namespace

int GetProfileRowType() { return 4; }
int GetMajorVersion() { return kProfileMajorVersion; }
int GetMinorVersion() { return kProfileMinorVersion; }

CAlertPlugin::CAlertPlugin(HINSTANCE instance) : CAlertPlugin(instance, nullptr) {}

CAlertPlugin::CAlertPlugin(HINSTANCE instance, const char* localDirectory)
    : m_name("Monitoring / Alerting"),
      m_instance(instance),
      m_optionsSheet(MakeOptionsSheet()),
      m_wizardSheet(MakeWizardSheet()),
      m_editSheet(MakeEditSheet(MONITOR_TYPE_DEFAULT)),
      m_profileDirectory{},
      m_pattern{},
      m_cursor(kNoCursor),
      m_iniStamp(nullptr),
      m_audioQueue(nullptr),
      m_emailQueue(nullptr),
      m_pagerQueue(nullptr),
      m_monitorServer(nullptr),
      m_localDirectory{},
      m_iniPath{},
      m_helpFile{},
      m_testStatusWindow(nullptr),
      m_alertErrorsWindow(nullptr),
      m_alertRetryCount(3),
      m_generateStartupAlerts(true),
      m_devices(nullptr),
      m_sheetRunner(RunPropertySheet) {
  CopyText(m_pattern, "*.amp");
  if (localDirectory != nullptr) {
    CopyText(m_localDirectory, localDirectory);
  } else if (!QVUI_GetLocalDirectory(instance, m_localDirectory, sizeof m_localDirectory)) {
    m_localDirectory[0] = '\0';
  }
  Initialize();
}

bool CAlertPlugin::JoinLocal(const char* relative, char* out, size_t size) const {
  return QVUI_ConstructFullFilename(m_localDirectory, relative, out, static_cast<DWORD>(size)) != FALSE;
}

void CAlertPlugin::Initialize() {
  char path[MAX_PATH];
  if (JoinLocal("qvm_alrt", path, sizeof path)) CreateDirectoryA(path, nullptr);

  JoinLocal("qvm_alrt\\qvm_alrt.ini", m_iniPath, sizeof m_iniPath);
  if (m_iniPath[0] != '\0' && GetFileAttributesA(m_iniPath) == INVALID_FILE_ATTRIBUTES) {
    WritePrivateProfileStringA("General", "DefaultAlertWave", "alarm.wav", m_iniPath);
    WriteProfileInt("General", "AlertRetryCount", 3, m_iniPath);
    WriteProfileInt("General", "GenerateStartupAlerts", 1, m_iniPath);
  }
  m_iniStamp = new CAlertIniFile(m_iniPath[0] != '\0' ? m_iniPath : nullptr);

  if (JoinLocal("qvm_alrt\\datfiles", path, sizeof path)) CreateDirectoryA(path, nullptr);
  LoadProfiles();
  if (JoinLocal("qvm_alrt\\queue", path, sizeof path)) CreateDirectoryA(path, nullptr);
  JoinLocal("help\\english\\qvm_alrt.hlp", m_helpFile, sizeof m_helpFile);
  DeletePendingAudioAlerts();

  m_alertRetryCount = ReadProfileInt("General", "AlertRetryCount", 3, m_iniPath);
  m_generateStartupAlerts = ReadProfileInt("General", "GenerateStartupAlerts", 1, m_iniPath) != 0;
  CreatePluginAlertQueues(m_localDirectory, m_alertRetryCount, &m_emailQueue, &m_audioQueue, &m_pagerQueue);
  CreateWindows();
}

CAlertPlugin::~CAlertPlugin() {
  // The status window leaves the senders first (a sender must not wait on it
  // while its thread is being joined); then the queue threads end before
  // anything else they use goes.
  DestroyWindows();
  DeletePluginAlertQueues(&m_emailQueue, &m_audioQueue, &m_pagerQueue);
  delete m_iniStamp;
  m_iniStamp = nullptr;
  delete m_monitorServer;
  m_monitorServer = nullptr;
  ReleaseProfiles();
  for (PROFILE* row : m_rows) std::free(row);
  m_rows.clear();
}

void CAlertPlugin::ReleaseProfiles() {
  for (CMonitorProfile* profile : m_profiles) {
    if (m_devices != nullptr) m_devices->RemoveDevice(profile);
    delete profile;
  }
  m_profiles.clear();
  m_cursor = kNoCursor;
}

void CAlertPlugin::DeletePendingAudioAlerts() const {
  char queue[MAX_PATH];
  if (!JoinLocal("qvm_alrt\\queue", queue, sizeof queue)) return;
  for (const std::string& name : FindNames(queue, "*.aap")) {
    DeleteFileA((std::string(queue) + "\\" + name).c_str());
  }
}

void CAlertPlugin::LoadProfiles() {
  ReleaseProfiles();
  char data[MAX_PATH];
  if (!JoinLocal("qvm_alrt", data, sizeof data) ||
      !QVUI_ConstructFullFilename(data, "datfiles", m_profileDirectory, sizeof m_profileDirectory)) {
    return;
  }
  for (const std::string& name : FindNames(m_profileDirectory, m_pattern)) {
    char path[MAX_PATH];
    if (!QVUI_ConstructFullFilename(m_profileDirectory, name.c_str(), path, sizeof path)) continue;
    auto* profile = new CMonitorProfile(path);
    m_profiles.push_back(profile);
    profile_registry::SetHeld(profile, true);
  }
  // The program directory is the current directory from here on, as it always
  // was after the profiles were loaded.
  if (m_localDirectory[0] != '\0') SetCurrentDirectoryA(m_localDirectory);
}

bool CAlertPlugin::MakeProfileFileName(char* out, size_t size) const {
  if (out == nullptr || size == 0) return false;
  out[0] = '\0';
  if (m_profileDirectory[0] == '\0') return false;
  for (int n = 0; n <= 9999; ++n) {
    char path[MAX_PATH];
    const int length = std::snprintf(path, sizeof path, "%s\\%s%04d.%s", m_profileDirectory, "lert", n, "amp");
    if (length < 0 || static_cast<size_t>(length) >= sizeof path || static_cast<size_t>(length) >= size) {
      return false;
    }
    if (GetFileAttributesA(path) == INVALID_FILE_ATTRIBUTES) {
      CopyText(out, size, path);
      return true;
    }
  }
  return false;
}

CMonitorProfile* CAlertPlugin::FindLoadedProfile(const void* key) const {
  if (key == nullptr) return nullptr;
  for (CMonitorProfile* profile : m_profiles) {
    if (profile == key) return profile;
  }
  return nullptr;
}

PROFILE* CAlertPlugin::FindProfileRowByFile(const char* path) const {
  if (path == nullptr) return nullptr;
  for (CMonitorProfile* profile : m_profiles) {
    if (lstrcmpiA(profile->GetFilePath(), path) == 0) return profile->GetRow();
  }
  return nullptr;
}

int CAlertPlugin::FindProfile(HWND /*parent*/, PROFILE* previous, PROFILE* row, PROFILE** out) {
  if (out != nullptr) *out = nullptr;
  if (m_profiles.empty()) return PLUGIN_NO_MORE;
  if (previous != nullptr) {
    if (m_cursor == kNoCursor || m_cursor + 1 >= m_profiles.size()) {
      m_cursor = kNoCursor;
      return PLUGIN_NO_MORE;
    }
    ++m_cursor;
  } else {
    m_cursor = 0;
  }
  // Only a row of this plug-in is refilled; anything else gets a fresh one.
  if (row == nullptr || !OwnsRow(row)) row = AllocateRow();
  if (row == nullptr) return PLUGIN_FAILED;
  CMonitorProfile* profile = m_profiles[m_cursor];
  profile->FillRow(row);
  AssignRow(profile, row);
  NameAlertChannels(profile);
  if (out != nullptr) *out = row;
  return PLUGIN_DONE;
}

bool CAlertPlugin::CloseOptionSheet(int ok) const {
  return ok == 1 && m_iniStamp != nullptr && m_iniStamp->GetPath() != nullptr;
}

void CAlertPlugin::CreateWindows() {
  m_testStatusWindow = nullptr;
  // The "Alert Errors" window waits hidden until the first alert fails.
  m_alertErrorsWindow = CreateDialogParamA(m_instance, MAKEINTRESOURCEA(143), nullptr, AlertErrorsDlg, 0);
  SetAlertErrorsWindow(m_alertErrorsWindow);
}

void CAlertPlugin::DestroyWindows() {
  // The senders stop reporting to the window before it goes, and what they
  // sent already is served, so that no sender waits on a window that is gone.
  SetAlertErrorsWindow(nullptr);
  MSG pending;
  PeekMessageA(&pending, nullptr, 0, 0, PM_NOREMOVE);
  if (m_alertErrorsWindow != nullptr && IsWindow(m_alertErrorsWindow)) DestroyWindow(m_alertErrorsWindow);
  m_alertErrorsWindow = nullptr;
}

void CAlertPlugin::SetSheetRunner(SheetRunner runner) {
  m_sheetRunner = runner ? std::move(runner) : SheetRunner(RunPropertySheet);
}

PROFILE* CAlertPlugin::AllocateRow() {
  auto* row = static_cast<PROFILE*>(std::calloc(1, sizeof(PROFILE)));
  if (row == nullptr) return nullptr;
  try {
    m_rows.push_back(row);
  } catch (...) {
    std::free(row);
    return nullptr;
  }
  return row;
}

void CAlertPlugin::FreeRow(PROFILE* row) {
  auto at = std::find(m_rows.begin(), m_rows.end(), row);
  if (at == m_rows.end()) return;
  m_rows.erase(at);
  for (CMonitorProfile* profile : m_profiles) {
    if (profile->GetRow() == row) profile->SetRow(nullptr);
  }
  std::free(row);
}

bool CAlertPlugin::OwnsRow(const PROFILE* row) const {
  return std::find(m_rows.begin(), m_rows.end(), row) != m_rows.end();
}

void CAlertPlugin::AssignRow(CMonitorProfile* profile, PROFILE* row) {
  // A row shows one profile: whoever showed it before no longer does.
  for (CMonitorProfile* other : m_profiles) {
    if (other != profile && other->GetRow() == row) other->SetRow(nullptr);
  }
  profile->SetRow(row);
}

void CAlertPlugin::NameAlertChannels(CMonitorProfile* profile) const {
  CAlertConfig* config = profile != nullptr ? profile->GetAlertConfig() : nullptr;
  if (config == nullptr) return;
  const char* name = profile->GetDescription();
  if (CAudioAlert* audio = config->GetAudio()) audio->SetProfileName(name);
  if (CEmailAlert* email = config->GetEmail()) email->SetProfileName(name);
  if (CPagerAlert* pager = config->GetPager()) pager->SetProfileName(name);
}

void CAlertPlugin::SetTestStatusWindow(HWND window) {
  m_testStatusWindow = window;
  SetAlertTestStatusWindow(window);
}
