// The record a caller of Logscout.dll hands to Logscout_Find: packed,
// little-endian, pointers 8 bytes wide.
#pragma once

#include <cstddef>
#include <cstdint>

#include "qvplatform.h"

inline constexpr size_t kLogscoutText = 260;

#pragma pack(push, 1)
struct LogscoutLogSource {
  uint16_t kind;  // 0 access log, 7 referrer log, 8 agent log
  char host[kLogscoutText];
  char user[kLogscoutText];
  char password[kLogscoutText];
  char logUrl[kLogscoutText];
  char homePage[kLogscoutText];
  int32_t flag;    // 1 for source 1 of codes 404 and 444
  int32_t second;  // set to 0
};

typedef HFONT(WINAPI* LogscoutFontCallback)(HWND dialog);
typedef void(WINAPI* LogscoutLabelCallback)(HWND dialog, int controlId, HFONT font);
typedef void(WINAPI* LogscoutErrorCallback)(void);
typedef int(WINAPI* LogscoutProgressCallback)(HWND window, LPCSTR text);

struct LogscoutProfile {
  uint16_t status;  // out: 1 found, 2 cancelled, 3 code not handled, 4 / 5 see Logscout_Find
  char providerCode[20];
  char workFolder[kLogscoutText];  // ends in '\'; the temporary files go there
  char unused[8];
  LogscoutFontCallback fontCallback;    // when the dialog opens; the dialog deletes the font
  LogscoutLabelCallback labelCallback;  // for the labels 1006, 1007, 1008
  LogscoutErrorCallback errorCallback;  // just before each error message box
  uint16_t sourceCount;                 // out: 1 or 3
  LogscoutLogSource sources[3];
};
#pragma pack(pop)

static_assert(sizeof(LogscoutLogSource) == 1310);
static_assert(offsetof(LogscoutLogSource, host) == 2);
static_assert(offsetof(LogscoutLogSource, user) == 262);
static_assert(offsetof(LogscoutLogSource, password) == 522);
static_assert(offsetof(LogscoutLogSource, logUrl) == 782);
static_assert(offsetof(LogscoutLogSource, homePage) == 1042);
static_assert(offsetof(LogscoutLogSource, flag) == 1302);
static_assert(offsetof(LogscoutLogSource, second) == 1306);
static_assert(offsetof(LogscoutProfile, providerCode) == 2);
static_assert(offsetof(LogscoutProfile, workFolder) == 22);
static_assert(offsetof(LogscoutProfile, fontCallback) == 290);
static_assert(offsetof(LogscoutProfile, labelCallback) == 298);
static_assert(offsetof(LogscoutProfile, errorCallback) == 306);
static_assert(offsetof(LogscoutProfile, sourceCount) == 314);
static_assert(offsetof(LogscoutProfile, sources) == 316);
static_assert(offsetof(LogscoutProfile, sources) + sizeof(LogscoutLogSource) == 1626);
static_assert(offsetof(LogscoutProfile, sources) + 2 * sizeof(LogscoutLogSource) == 2936);
static_assert(sizeof(LogscoutProfile) == 4246);

// The exports (ordinals 100 and 103).
QV_API void WINAPI Logscout_Find(HWND parent, LogscoutProfile* profile, LogscoutProgressCallback progress,
                                 LPVOID unused);
QV_API int WINAPI Logscout_IsItASampleProfile(LPCSTR url);
typedef void(WINAPI* PFN_Logscout_Find)(HWND, LogscoutProfile*, LogscoutProgressCallback, LPVOID);
typedef int(WINAPI* PFN_Logscout_IsItASampleProfile)(LPCSTR);
