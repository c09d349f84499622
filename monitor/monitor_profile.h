// One monitored device's profile: its description, its [Monitor] settings and
// its alert configuration, read from and written to its profile file.
#pragma once

#include <cstdint>

#include "monitor_settings.h"
#include "plugin_api.h"

// A profile's alert configuration (audio, e-mail and pager channels): every
// profile owns one, read, written and copied with the profile.
class CAlertConfig;

// Current format of profile files.
inline constexpr int kProfileMajorVersion = 1;
inline constexpr int kProfileMinorVersion = 1;

// Sheet modes of a profile being edited.
inline constexpr int kSheetWizard = 0;
inline constexpr int kSheetEdit = 1;

class CMonitorProfile {
 public:
  static constexpr int kDescriptionSize = 80;  // 79 characters
  static constexpr int kPathSize = MAX_PATH;

  // Defaults and a fresh ProfileID (not written anywhere); with a path, the
  // profile is read from that file.
  explicit CMonitorProfile(const char* path = nullptr);
  // A copy with a ProfileID of its own and no row. It keeps the source's
  // description, log path, file path, versions, saved flag and sheet mode.
  CMonitorProfile(const CMonitorProfile& source);
  CMonitorProfile& operator=(const CMonitorProfile&) = delete;
  ~CMonitorProfile();

  // Reads the profile file (null: the file last used). False when the profile
  // has no file path. A missing or unreadable file gives the defaults. Files of
  // the older format (MinorVersion below 1) are read with its numbering.
  bool Read(const char* path = nullptr);
  // Writes [Profile] and [Monitor] in the current format. False when the
  // profile has no file path or a value could not be written.
  bool Write(const char* path = nullptr);
  // Empties the description and log path, resets the versions and drops the settings.
  void Clear();

  CMonitorSettings* GetSettings() const { return m_settings; }
  void SetSettings(CMonitorSettings* settings);
  CAlertConfig* GetAlertConfig() const { return m_alertConfig; }
  // Replaces the owned configuration, deleting the old one.
  void SetAlertConfig(CAlertConfig* config);

  const char* GetDescription() const { return m_description; }
  // Ignored when null or empty; keeps at most 79 characters.
  void SetDescription(const char* text);
  const char* GetLogPath() const { return m_logPath; }
  const char* GetFilePath() const { return m_filePath; }
  void SetFilePath(const char* path);
  int GetMajorVersion() const { return m_majorVersion; }
  int GetMinorVersion() const { return m_minorVersion; }

  uint32_t GetProfileID() const { return m_profileId; }
  // A new ProfileID, unique among the live profiles; written to [Profile] at
  // once when the profile has a file.
  void NewProfileID();

  // Fills a row for the program: every plug-in field rewritten with bounded
  // copies ("N/A" for an empty description, host or file), the program's five
  // values zeroed, this profile as the key.
  void FillRow(PROFILE* row) const;
  PROFILE* GetRow() const { return m_row; }
  void SetRow(PROFILE* row) { m_row = row; }

  void PrepareSheet(int mode);
  void SetSaved(bool saved) { m_saved = saved; }
  bool IsSaved() const { return m_saved; }
  void SetTypeChanged(bool changed) { m_typeChanged = changed; }
  bool IsTypeChanged() const { return m_typeChanged; }
  int GetSheetMode() const { return m_sheetMode; }

  // Deletes the profile file when the profile has one.
  void DeleteProfileFile() const;

 private:
  void SetProfileIdFromFile(uint32_t id);

  CMonitorSettings* m_settings;
  CAlertConfig* m_alertConfig;  // owned; null only after Clear
  uint32_t m_profileId;
  PROFILE* m_row;
  int m_majorVersion;
  int m_minorVersion;
  char m_description[kDescriptionSize];
  char m_logPath[kPathSize];
  char m_filePath[kPathSize];
  bool m_saved;
  bool m_typeChanged;
  int m_sheetMode;
};
