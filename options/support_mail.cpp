// SendMapiMail: one message through the Simple MAPI library, loaded for the
// call and released afterwards.
#include "support_mail.h"

#include <cstring>

#include "qv_ui_mapi.h"
#include "res_text.h"

namespace {

// The library loaded for each message; tests put another in its place.
constexpr char kMapiLibrary[] = "MAPI32.DLL";
const char* g_mapiLibrary = kMapiLibrary;

// The one message, cleared before each use.
MapiMessage g_message;
MapiRecipDesc g_recipient;
MapiFileDesc g_file;

int Warn(HWND owner, UINT textId) {
  char text[kResTextMax + 1];
  MessageBoxA(owner, LoadResText(textId, text, sizeof text), kProgramCaption, MB_OK | MB_ICONWARNING);
  return 0;
}

}  // namespace

int SendMapiMail(HWND owner, const char* subject, const char* address, const char* addressName, const char* body,
                 const char* attachment) {
  char services[MAX_PATH] = "";
  GetSystemDirectoryA(services, MAX_PATH - 16);
  std::strcat(services, "\\MAPISVC.INF");
  char mail[256] = "";
  GetPrivateProfileStringA("Services", "IMAIL", "", mail, sizeof mail, services);
  if (mail[0] == '\0') return Warn(owner, 10024);

  HMODULE library = LoadLibraryA(g_mapiLibrary);
  if (library == nullptr) return Warn(owner, 10025);
  auto initialize = reinterpret_cast<LPMAPIINITIALIZE>(GetProcAddress(library, "MAPIInitialize"));
  auto uninitialize = reinterpret_cast<LPMAPIUNINITIALIZE>(GetProcAddress(library, "MAPIUninitialize"));
  auto logon = reinterpret_cast<LPMAPILOGON>(GetProcAddress(library, "MAPILogon"));
  auto logoff = reinterpret_cast<LPMAPILOGOFF>(GetProcAddress(library, "MAPILogoff"));
  auto sendMail = reinterpret_cast<LPMAPISENDMAIL>(GetProcAddress(library, "MAPISendMail"));
  // A library without every entry point is no MAPI library to call.
  if (!initialize || !uninitialize || !logon || !logoff || !sendMail) {
    FreeLibrary(library);
    return Warn(owner, 10025);
  }
  if (initialize(nullptr) != 0) {
    FreeLibrary(library);
    return Warn(owner, 10026);
  }
  LHANDLE session = 0;
  if (logon(reinterpret_cast<ULONG_PTR>(owner), nullptr, nullptr, MAPI_LOGON_UI | MAPI_NEW_SESSION, 0, &session) !=
      SUCCESS_SUCCESS) {
    uninitialize();
    FreeLibrary(library);
    return Warn(owner, 10027);
  }

  g_message = MapiMessage{};
  g_recipient = MapiRecipDesc{};
  g_file = MapiFileDesc{};
  g_message.lpszSubject = const_cast<char*>(subject);
  g_message.lpszNoteText = const_cast<char*>(body);
  g_recipient.ulRecipClass = MAPI_TO;
  g_recipient.lpszName = const_cast<char*>(addressName);
  g_recipient.lpszAddress = const_cast<char*>(address);
  g_message.nRecipCount = 1;
  g_message.lpRecips = &g_recipient;
  if (attachment != nullptr) {
    const char* mark = body != nullptr ? std::strchr(body, '\xFF') : nullptr;
    g_file.lpszPathName = const_cast<char*>(attachment);
    g_file.nPosition = mark != nullptr ? static_cast<ULONG>(mark - body) : 65535;
    g_message.nFileCount = 1;
    g_message.lpFiles = &g_file;
  }
  UINT failure = 0;
  if (sendMail(0, 0, &g_message, MAPI_DIALOG, 0) != SUCCESS_SUCCESS) failure = 10028;
  if (logoff(session, reinterpret_cast<ULONG_PTR>(owner), 0, 0) != SUCCESS_SUCCESS && failure == 0) failure = 10029;
  uninitialize();
  FreeLibrary(library);
  if (failure != 0) return Warn(owner, failure);
  return 1;
}

int SendMapiMail(HWND owner, const char* subject, const char* address, const char* addressName, const char* body) {
  return SendMapiMail(owner, subject, address, addressName, body, nullptr);
}

void SetMapiLibraryForTests(const char* file) { g_mapiLibrary = file != nullptr ? file : kMapiLibrary; }
