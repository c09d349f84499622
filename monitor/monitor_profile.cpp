// Reading, writing and copying monitor profiles.
#include "monitor_profile.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "alert_config.h"
#include "plugin_helpers.h"
#include "profile_registry.h"
#include "qvplatform.h"

namespace {

constexpr char kSection[] = "Profile";
constexpr char kNotAvailable[] = "N/A";
constexpr int kProfileType = 4;  // the plug-in's kind, in every row it fills

}  // namespace

CMonitorProfile::CMonitorProfile(const char* path)
    : m_settings(new CMonitorSettings()),
      m_alertConfig(new CAlertConfig()),
      m_profileId(0),
      m_row(nullptr),
      m_majorVersion(kProfileMajorVersion),
      m_minorVersion(kProfileMinorVersion),
      m_description{},
      m_logPath{},
      m_filePath{},
      m_saved(false),
      m_typeChanged(false),
      m_sheetMode(kSheetWizard) {
  m_profileId = profile_registry::AssignNewId(this);
  if (path != nullptr) Read(path);
}

CMonitorProfile::CMonitorProfile(const CMonitorProfile& source)
    : m_settings(new CMonitorSettings(*source.m_settings)),
      m_alertConfig(source.m_alertConfig ? new CAlertConfig(*source.m_alertConfig) : new CAlertConfig()),
      m_profileId(0),
      m_row(nullptr),
      m_majorVersion(source.m_majorVersion),
      m_minorVersion(source.m_minorVersion),
      m_description{},
      m_logPath{},
      m_filePath{},
      m_saved(source.m_saved),
      m_typeChanged(false),
      m_sheetMode(source.m_sheetMode) {
  CopyText(m_description, source.m_description);
  CopyText(m_logPath, source.m_logPath);
  CopyText(m_filePath, source.m_filePath);
  m_profileId = profile_registry::AssignNewId(this);
}

CMonitorProfile::~CMonitorProfile() {
  Clear();
  profile_registry::Remove(this);
}

void CMonitorProfile::Clear() {
  m_description[0] = '\0';
  m_logPath[0] = '\0';
  m_majorVersion = kProfileMajorVersion;
  m_minorVersion = kProfileMinorVersion;
  delete m_settings;
  m_settings = nullptr;
  delete m_alertConfig;
  m_alertConfig = nullptr;
}

void CMonitorProfile::SetSettings(CMonitorSettings* settings) {
  if (settings == m_settings) return;
  delete m_settings;
  m_settings = settings;
}

void CMonitorProfile::SetAlertConfig(CAlertConfig* config) {
  if (config == m_alertConfig) return;
  delete m_alertConfig;
  m_alertConfig = config;
}

void CMonitorProfile::SetDescription(const char* text) {
  if (text == nullptr || text[0] == '\0') return;
  CopyText(m_description, text);
}

void CMonitorProfile::SetFilePath(const char* path) { CopyText(m_filePath, path); }

void CMonitorProfile::SetProfileIdFromFile(uint32_t id) {
  m_profileId = id;
  profile_registry::SetId(this, id);
}

bool CMonitorProfile::Read(const char* path) {
  if (path != nullptr) CopyText(m_filePath, path);
  if (m_filePath[0] == '\0') return false;
  Clear();
  const char* file = m_filePath;
  m_majorVersion = ReadProfileInt(kSection, "MajorVersion", kProfileMajorVersion, file);
  m_minorVersion = ReadProfileInt(kSection, "MinorVersion", kProfileMinorVersion, file);
  GetPrivateProfileStringA(kSection, "Description", "", m_description, sizeof m_description, file);
  GetPrivateProfileStringA(kSection, "LogPath", "", m_logPath, sizeof m_logPath, file);
  char id[100];
  GetPrivateProfileStringA(kSection, "ProfileID", "", id, sizeof id, file);
  if (id[0] >= '0' && id[0] <= '9') {
    SetProfileIdFromFile(static_cast<uint32_t>(std::strtoul(id, nullptr, 10)));
  }
  m_settings = new CMonitorSettings();
  m_alertConfig = new CAlertConfig();
  if (m_minorVersion < 1) {
    m_settings->ReadOld(file);
    m_alertConfig->LoadLegacy(file);
  } else {
    m_settings->Read(file);
    m_alertConfig->Load(file);
  }
  return true;
}

bool CMonitorProfile::Write(const char* path) {
  if (path != nullptr) CopyText(m_filePath, path);
  if (m_filePath[0] == '\0' || m_settings == nullptr) return false;
  const char* file = m_filePath;
  char id[16];
  std::snprintf(id, sizeof id, "%u", static_cast<unsigned>(m_profileId));
  bool ok = WriteProfileInt(kSection, "MajorVersion", kProfileMajorVersion, file);
  ok = WriteProfileInt(kSection, "MinorVersion", kProfileMinorVersion, file) && ok;
  ok = WritePrivateProfileStringA(kSection, "Description", m_description, file) && ok;
  ok = WritePrivateProfileStringA(kSection, "LogPath", m_logPath, file) && ok;
  ok = WritePrivateProfileStringA(kSection, "ProfileID", id, file) && ok;
  if (m_alertConfig != nullptr) ok = m_alertConfig->Save(file) && ok;
  ok = m_settings->Write(file) && ok;
  if (ok) {
    m_majorVersion = kProfileMajorVersion;
    m_minorVersion = kProfileMinorVersion;
  }
  return ok;
}

void CMonitorProfile::NewProfileID() {
  m_profileId = profile_registry::AssignNewId(this);
  if (m_filePath[0] != '\0') {
    char id[16];
    std::snprintf(id, sizeof id, "%u", static_cast<unsigned>(m_profileId));
    WritePrivateProfileStringA(kSection, "ProfileID", id, m_filePath);
  }
}

void CMonitorProfile::FillRow(PROFILE* row) const {
  if (row == nullptr) return;
  const char* host = m_settings != nullptr ? m_settings->GetHostName() : "";
  row->majorVersion = m_majorVersion;
  row->type = kProfileType;
  CopyText(row->description, m_description[0] != '\0' ? m_description : kNotAvailable);
  CopyText(row->host, host[0] != '\0' ? host : kNotAvailable);
  CopyText(row->extraText, kNotAvailable);
  CopyText(row->profileFile, m_filePath[0] != '\0' ? m_filePath : kNotAvailable);
  row->itemCount = 0;
  row->firstTime = 0;
  row->lastTime = 0;
  row->state = 0;
  row->running = 0;
  row->key = const_cast<CMonitorProfile*>(this);
}

void CMonitorProfile::PrepareSheet(int mode) {
  m_saved = false;
  m_typeChanged = false;
  m_sheetMode = mode;
}

void CMonitorProfile::DeleteProfileFile() const {
  if (m_filePath[0] != '\0') DeleteFileA(m_filePath);
}
