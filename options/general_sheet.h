// The "General" module of the Options window: a property sheet of seven pages
// over the settings file, and the state the apply step carries out when the
// window closes.
#pragma once

#include "qvplatform.h"

inline constexpr int kGeneralPageCount = 7;

// The sheet-wide state, from the sheet's creation to the end of the apply step.
struct GeneralSheetState {
  int lastPage = 0;          // the page made active last; the next sheet opens on it
  HFONT boldFont = nullptr;  // bold copy of the frame's font, for page captions
  bool ok = false;
  int snmpRegistration = -1;  // -1 SNMP not installed, 0 not registered, 1 registered
  int snmpChoice = 0;
  bool runAsService = false;
  bool accountChanged = false;
  char agentKeyPath[200] = "";
  char proxyAuth[201] = "";
  void* templates[kGeneralPageCount] = {};
};

extern GeneralSheetState g_general;

// "SOFTWARE\Quorvane Corporation\<product>\QVAgent".
void BuildAgentKeyPath(char* out, size_t outSize);
// The value under ExtensionAgents naming the agent key: -1 when the key is
// missing (SNMP not installed), 0 not registered, 1 registered.
int ReadSnmpRegistration(const char* agentKeyPath);

// Builds the sheet inside the Options frame: label "General", title "General
// Options", the module's bitmap and its part. Null when it cannot be made.
HWND CreateGeneralOptionSheet(HWND frame, HBITMAP* bitmap, RECT* bitmapPart, char* label, char* title);

// The notifications every page answers alike (help, activation, reset); TRUE
// when handled. PSN_APPLY is left to the page after it set the OK flag.
BOOL HandleCommonPageNotify(HWND page, int index, const NMHDR* header);

// Whether the system is Windows NT (the version the layer answers).
bool IsWindowsNt();

// The page procedures.
QV_API INT_PTR CALLBACK ConfigDefaultsDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
QV_API INT_PTR CALLBACK SelectBrowserDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ServiceOptionsDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ProxyOptionsDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK EmailOptionsDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RemoteServerOptionsDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SnmpOptionsDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The user name and password prompt (template 820); its parameter is a
// CyberLogin record.
struct CyberLogin {
  int helpKind;
  char user[41];
  char password[41];
};
QV_API INT_PTR CALLBACK CyberLoginDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// A file prompt for the browser program; 1 when one was chosen into path
// (MAX_PATH characters).
int BrowseForBrowser(HWND owner, char* path);

// Settings-file helpers of the pages.
void ReadIniText(const char* section, const char* key, const char* fallback, char* out, int size);
void WriteIniText(const char* section, const char* key, const char* value);
int ReadIniInt(const char* section, const char* key, int fallback);
// A password key read in its stored form into plain text ("" for none).
void ReadScrambledPassword(const char* section, const char* key, char* out, int size);
// Writes the stored form; false (nothing written) when it does not fit.
bool WriteScrambledPassword(const char* section, const char* key, const char* plain);
// The page refuses the apply: the sheet stays on it.
void RefuseApply(HWND page, HWND control);
// Frees the template copies and the bold font (the apply step's end).
void FreeGeneralSheet();
