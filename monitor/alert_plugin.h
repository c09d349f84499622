// The plug-in's one main object: its directories and settings file, the loaded
// monitor profiles and the rows handed to the program, the property sheets, the
// alert queues and the modeless status windows.
#pragma once

#include <cstddef>
#include <unordered_set>
#include <vector>

#include "monitor_profile.h"
#include "plugin_api.h"
#include "profile_sheets.h"
#include "qvplatform.h"

class CAlertIniFile;
class CMonitorServer;
class DeviceList;
// The spooled alert queues, one per channel: made when the plug-in loads and
// stopped, waited for and deleted when it unloads.
class CAudioAlertQueue;
class CEmailAlertQueue;
class CPagerAlertQueue;

class CAlertPlugin {
 public:
  // Takes the program directory from the instance's file name; then creates the
  // plug-in's directories and settings file when missing, loads every profile
  // and drops pending audio alerts.
  explicit CAlertPlugin(HINSTANCE instance);
  // The same with the program directory given (ending in a backslash).
  CAlertPlugin(HINSTANCE instance, const char* localDirectory);
  ~CAlertPlugin();
  CAlertPlugin(const CAlertPlugin&) = delete;
  CAlertPlugin& operator=(const CAlertPlugin&) = delete;

  // One profile per "*.amp" file of the data directory, in directory order.
  void LoadProfiles();
  // The first of lert0000.amp .. lert9999.amp in the data directory that does
  // not exist; false when every one exists or the path does not fit.
  bool MakeProfileFileName(char* out, size_t size) const;

  // The profile functions of the program (results 1 done, 3 failed or
  // cancelled, 5 no more profiles). A row passed in must be one this object
  // handed out for a profile it still holds.
  int AddProfile(HWND parent, PROFILE* ignored, PROFILE** out);
  int EditProfile(HWND parent, PROFILE* row, PROFILE** out);
  int CopyProfile(HWND parent, PROFILE* row, PROFILE** out);
  int DeleteProfile(HWND parent, PROFILE* row);
  int FindProfile(HWND parent, PROFILE* previous, PROFILE* row, PROFILE** out);
  // 1 when ok is 1 and the settings file is known, else 0.
  bool CloseOptionSheet(int ok) const;

  void CreateWindows();
  void DestroyWindows();
  // The options sheet (function 22): a child sheet of `parent`, its bitmap and
  // the bitmap's size, its short and long titles (at least 64 characters each).
  HWND CreateOptionSheet(HWND parent, HBITMAP* bitmap, RECT* bitmapRect, char* shortTitle, char* longTitle);

  // The row of the first loaded profile whose file is `path` (compared without
  // regard to case); null when none, or when that profile has no row yet.
  PROFILE* FindProfileRowByFile(const char* path) const;
  // The loaded profile that `key` names, or null.
  CMonitorProfile* FindLoadedProfile(const void* key) const;

  HINSTANCE GetInstance() const { return m_instance; }
  const char* GetName() const { return m_name; }
  const char* GetLocalDirectory() const { return m_localDirectory; }
  const char* GetIniPath() const { return m_iniPath; }
  const char* GetHelpFile() const { return m_helpFile; }
  const char* GetProfileDirectory() const { return m_profileDirectory; }
  CAlertIniFile* GetIniStamp() const { return m_iniStamp; }
  CAudioAlertQueue* GetAudioQueue() const { return m_audioQueue; }
  CEmailAlertQueue* GetEmailQueue() const { return m_emailQueue; }
  CPagerAlertQueue* GetPagerQueue() const { return m_pagerQueue; }
  int GetAlertRetryCount() const { return m_alertRetryCount; }
  bool GetGenerateStartupAlerts() const { return m_generateStartupAlerts; }
  // The options page's changes (the settings file is written by the page).
  void SetAlertRetryCount(int count) { m_alertRetryCount = count; }
  void SetGenerateStartupAlerts(bool generate) { m_generateStartupAlerts = generate; }
  HWND GetTestStatusWindow() const { return m_testStatusWindow; }
  void SetTestStatusWindow(HWND window);
  HWND GetAlertErrorsWindow() const { return m_alertErrorsWindow; }

  // The loaded profiles in load order (new ones appended).
  const std::vector<CMonitorProfile*>& GetProfiles() const { return m_profiles; }
  // The rows allocated so far and not freed.
  size_t GetRowCount() const { return m_rows.size(); }

  DeviceList* GetDeviceList() const { return m_devices; }
  void SetDeviceList(DeviceList* devices) { m_devices = devices; }
  void SetSheetRunner(SheetRunner runner);

 private:
  void Initialize();
  bool JoinLocal(const char* relative, char* out, size_t size) const;
  void DeletePendingAudioAlerts() const;
  void ReleaseProfiles();
  // The loop of the edit sheet: a changed kind reopens it with the new kind's page.
  void RunEditSheet(HWND parent, CMonitorProfile* profile);
  // Picks a file name, writes the new profile there and takes it into the list
  // with a new row. Reports and answers false when the profile cannot be saved.
  bool SaveNewProfile(HWND parent, CMonitorProfile* profile, PROFILE** out);
  bool ReportNoFreeFileName(HWND parent) const;
  PROFILE* AllocateRow();
  void FreeRow(PROFILE* row);
  bool OwnsRow(const PROFILE* row) const;
  void AssignRow(CMonitorProfile* profile, PROFILE* row);
  // Sets the description as the profile name of the alert channels.
  void NameAlertChannels(CMonitorProfile* profile) const;

  const char* m_name;
  HINSTANCE m_instance;
  PropertySheetSetup m_optionsSheet;
  PropertySheetSetup m_wizardSheet;
  PropertySheetSetup m_editSheet;
  char m_profileDirectory[MAX_PATH];
  char m_pattern[MAX_PATH];
  std::vector<CMonitorProfile*> m_profiles;  // owned
  std::unordered_set<const void*> m_loaded;   // the same profiles, to find a row's key at once
  size_t m_cursor;                           // the profile FindProfile handed out last
  CAlertIniFile* m_iniStamp;
  CAudioAlertQueue* m_audioQueue;
  CEmailAlertQueue* m_emailQueue;
  CPagerAlertQueue* m_pagerQueue;
  CMonitorServer* m_monitorServer;  // nothing creates one
  char m_localDirectory[MAX_PATH];
  char m_iniPath[MAX_PATH];
  char m_helpFile[MAX_PATH];
  HWND m_testStatusWindow;
  HWND m_alertErrorsWindow;
  int m_alertRetryCount;
  bool m_generateStartupAlerts;
  std::vector<PROFILE*> m_rows;  // every row allocated and not freed
  DeviceList* m_devices;
  SheetRunner m_sheetRunner;
};

// Kind, major and minor version of the rows the plug-in hands out.
int GetProfileRowType();
int GetMajorVersion();
int GetMinorVersion();
