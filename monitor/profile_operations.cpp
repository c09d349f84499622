// Creating, editing, copying and deleting monitor profiles for the program.
#include <algorithm>
#include <ctime>
#include <string>

#include "alert_plugin.h"
#include "device_list.h"
#include "plugin_helpers.h"
#include "profile_registry.h"
#include "status_panel.h"

namespace {

constexpr char kProfileCaption[] = "Monitoring and Alerting";
constexpr char kFlushQuestion[] =
    "The device being monitored has changed.  The log file contains entries for the old "
    "device.\r\n\r\nDo you want to flush the log file?";

void ReportUnwritable(HWND parent, const char* path, const char* consequence) {
  const std::string text =
      std::string("The profile file\r\n") + path + "\r\ncould not be written. " + consequence;
  MessageBoxA(parent, text.c_str(), kProfileCaption, MB_OK | MB_ICONERROR);
}

}  // namespace

bool CAlertPlugin::ReportNoFreeFileName(HWND parent) const {
  const std::string text = std::string("No free profile file name is left in\r\n") +
                           m_profileDirectory +
                           "\r\n(lert0000.amp to lert9999.amp all exist). The profile was not saved.";
  MessageBoxA(parent, text.c_str(), kProfileCaption, MB_OK | MB_ICONERROR);
  return false;
}

bool CAlertPlugin::SaveNewProfile(HWND parent, CMonitorProfile* profile, PROFILE** out) {
  char path[MAX_PATH];
  if (!MakeProfileFileName(path, sizeof path)) return ReportNoFreeFileName(parent);
  PROFILE* row = AllocateRow();
  if (row == nullptr) {
    MessageBoxA(parent, "Out of memory: the profile was not saved.", kProfileCaption, MB_OK | MB_ICONERROR);
    return false;
  }
  if (!profile->Write(path)) {
    DeleteFileA(path);  // no half-written profile is left behind
    FreeRow(row);
    ReportUnwritable(parent, path, "The profile was not saved.");
    return false;
  }
  try {
    m_profiles.push_back(profile);
    m_loaded.insert(profile);
  } catch (...) {
    m_profiles.erase(std::remove(m_profiles.begin(), m_profiles.end(), profile), m_profiles.end());
    DeleteFileA(path);
    FreeRow(row);
    MessageBoxA(parent, "Out of memory: the profile was not saved.", kProfileCaption, MB_OK | MB_ICONERROR);
    return false;
  }
  profile_registry::SetHeld(profile, true);
  profile->FillRow(row);
  AssignRow(profile, row);
  NameAlertChannels(profile);
  if (out != nullptr) *out = row;
  if (m_devices != nullptr) m_devices->AddDevice(profile);
  return true;
}

int CAlertPlugin::AddProfile(HWND parent, PROFILE* /*ignored*/, PROFILE** out) {
  if (out != nullptr) *out = nullptr;
  // Tell at once when no file name is left, before the user fills the wizard in.
  char path[MAX_PATH];
  if (!MakeProfileFileName(path, sizeof path)) {
    ReportNoFreeFileName(parent);
    return PLUGIN_FAILED;
  }
  auto* profile = new CMonitorProfile();
  m_wizardSheet = MakeWizardSheet();
  m_wizardSheet.owner = parent;
  m_wizardSheet.pageParam = reinterpret_cast<LPARAM>(profile);
  profile->PrepareSheet(kSheetWizard);
  m_sheetRunner(m_wizardSheet);
  if (!profile->IsSaved() || !SaveNewProfile(parent, profile, out)) {
    delete profile;
    return PLUGIN_FAILED;
  }
  return PLUGIN_DONE;
}

void CAlertPlugin::RunEditSheet(HWND parent, CMonitorProfile* profile) {
  for (;;) {
    CMonitorSettings* settings = profile->GetSettings();
    m_editSheet = MakeEditSheet(settings->GetMonitorType());
    m_editSheet.owner = parent;
    m_editSheet.pageParam = reinterpret_cast<LPARAM>(profile);
    profile->PrepareSheet(kSheetEdit);
    m_sheetRunner(m_editSheet);
    if (!profile->IsTypeChanged()) return;
    // A new kind starts from an empty target.
    settings = profile->GetSettings();
    settings->SetHostName("");
    settings->SetHostPath("");
    settings->SetUserName("");
    settings->SetPassword("");
    settings->SetPortID(0);
  }
}

int CAlertPlugin::EditProfile(HWND parent, PROFILE* row, PROFILE** out) {
  if (out != nullptr) *out = nullptr;
  CMonitorProfile* profile = row != nullptr ? FindLoadedProfile(row->key) : nullptr;
  if (profile == nullptr || profile->GetSettings() == nullptr) return PLUGIN_FAILED;
  const std::string host = profile->GetSettings()->GetHostName();
  const int kind = profile->GetSettings()->GetMonitorType();
  const int port = profile->GetSettings()->GetPortID();
  const bool held = m_devices != nullptr && m_devices->HoldDevice(profile);

  RunEditSheet(parent, profile);

  if (profile->IsSaved()) {
    const CMonitorSettings* settings = profile->GetSettings();
    if (host != settings->GetHostName() || kind != settings->GetMonitorType() ||
        port != settings->GetPortID()) {
      if (MessageBoxA(parent, kFlushQuestion, "Flush History", MB_YESNO | MB_ICONQUESTION) == IDYES) {
        const uint32_t oldId = profile->GetProfileID();
        profile->NewProfileID();
        if (m_devices != nullptr) m_devices->LogDeviceInit(profile, oldId);
      }
    }
    if (!profile->Write()) ReportUnwritable(parent, profile->GetFilePath(), "The changes were not saved.");
    if (m_devices != nullptr) m_devices->UpdateDevice(profile);
  } else {
    profile->Read();  // the sheet's changes are dropped
  }
  NameAlertChannels(profile);
  if (held) m_devices->ReleaseDevice(profile);
  profile->FillRow(row);
  AssignRow(profile, row);
  if (out != nullptr) *out = row;
  return PLUGIN_DONE;
}

int CAlertPlugin::CopyProfile(HWND parent, PROFILE* row, PROFILE** out) {
  if (out != nullptr) *out = nullptr;
  CMonitorProfile* source = row != nullptr ? FindLoadedProfile(row->key) : nullptr;
  if (source == nullptr || source->GetSettings() == nullptr) return PLUGIN_FAILED;
  char path[MAX_PATH];
  if (!MakeProfileFileName(path, sizeof path)) {
    ReportNoFreeFileName(parent);
    return PLUGIN_FAILED;
  }
  auto* copy = new CMonitorProfile(*source);
  // The copy gets a file of its own when it is saved; until then nothing it
  // does may reach the source's file.
  copy->SetFilePath("");
  const std::string description = std::string("Copy of ") + source->GetDescription();
  copy->SetDescription(description.c_str());
  copy->GetSettings()->SetLastPollTime(static_cast<int32_t>(std::time(nullptr)));

  RunEditSheet(parent, copy);

  if (!copy->IsSaved() || !SaveNewProfile(parent, copy, out)) {
    delete copy;
    return PLUGIN_FAILED;
  }
  return PLUGIN_DONE;
}

int CAlertPlugin::DeleteProfile(HWND /*parent*/, PROFILE* row) {
  CMonitorProfile* profile = row != nullptr ? FindLoadedProfile(row->key) : nullptr;
  if (profile == nullptr) return PLUGIN_FAILED;
  const auto at = std::find(m_profiles.begin(), m_profiles.end(), profile);
  const size_t index = static_cast<size_t>(at - m_profiles.begin());
  m_profiles.erase(at);
  m_loaded.erase(profile);
  // Keep an enumeration in progress on the profile after the deleted one.
  if (m_cursor != static_cast<size_t>(-1) && m_cursor >= index) {
    m_cursor = m_cursor == 0 ? static_cast<size_t>(-1) : m_cursor - 1;
  }
  ForgetStatusPanelProfile(profile);
  profile->DeleteProfileFile();
  if (m_devices != nullptr) m_devices->RemoveDevice(profile);
  delete profile;
  FreeRow(row);
  return PLUGIN_DONE;
}
