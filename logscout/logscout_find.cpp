// Logscout_Find: the dialog, the log-in and the search for the log files.
#include <cstring>
#include <string>

#include "logscout_binder.h"
#include "logscout_ids.h"
#include "logscout_internal.h"

namespace {

constexpr const char* kCodes[] = {"404", "444", "456", "620", "626", "646"};

std::string LoadString(UINT id) {
  char text[512] = "";
  LoadStringA(LogscoutModule(), id, text, sizeof text);
  return text;
}

bool Progress(LogscoutProgressCallback progress, HWND parent, const std::string& text) {
  return progress != nullptr && progress(parent, text.c_str()) != 0;
}

void ErrorBox(const LogscoutProfile* profile, HWND parent, UINT text, UINT caption) {
  if (profile->errorCallback != nullptr) profile->errorCallback();
  MessageBoxA(parent, LoadString(text).c_str(), LoadString(caption).c_str(), MB_OK);
}

// The path of a URL ("/" by default), cut at '|'.
std::string PathOf(const std::string& url) {
  std::string rest = url;
  for (const char* scheme : {"ftp://", "http://"}) {
    if (rest.size() >= std::strlen(scheme) && StartsWithNoCase(rest.c_str(), scheme)) {
      rest = rest.substr(std::strlen(scheme));
      break;
    }
  }
  const size_t slash = rest.find_first_of("/\\");
  std::string path = slash == std::string::npos ? "/" : rest.substr(slash);
  const size_t bar = path.find('|');
  if (bar != std::string::npos) path.resize(bar);
  return path;
}

DWORD SizeOf(const std::string& path, bool* found) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  *found = file != INVALID_HANDLE_VALUE;
  if (!*found) return 0;
  const DWORD size = GetFileSize(file, nullptr);
  CloseHandle(file);
  return size;
}

// A listing that worked and found something; "626" may find nothing.
bool List(const std::string& path, const std::string& listing, bool emptyIsFound) {
  DeleteFileA(listing.c_str());
  if (Net().FtpDir(path.c_str(), listing.c_str(), TRUE, nullptr, 0) != 0) return false;
  bool found = false;
  const DWORD size = SizeOf(listing, &found);
  return found && (emptyIsFound || size > 0);
}

// "626" with an empty listing: logging is off; offer to switch it on.
bool EnableLogging(HWND parent, LogscoutProgressCallback progress, const std::string& listing,
                   const std::string& controlPath) {
  if (MessageBoxA(parent,
                  "Logging is not enabled on your Best Internet account.  Would you like Quorvane to enable logging?",
                  "Logging is not enabled.", MB_YESNO) != IDYES) {
    return true;
  }
  const std::string folder = listing.substr(0, listing.find_last_of("\\/") + 1);
  const std::string local = folder + "logctl.tmp";
  HANDLE file = CreateFileA(local.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool wrote = WriteFile(file, "35z\n", 4, &written, nullptr) && written == 4;
  CloseHandle(file);
  Progress(progress, parent, "Enabling Logging.");  // its answer is not asked
  const bool sent =
      wrote && Net().FtpSendFile(local.c_str(), controlPath.c_str(), 'I', FALSE, parent, 0) == FTP4W_OK;
  DeleteFileA(local.c_str());
  if (!sent) return false;
  MessageBoxA(parent,
              "Your logging option has been enabled.  Please note: it will be 24 hours before you logs are available "
              "for you to report on.",
              "Logging is now enabled.", MB_OK);
  return true;
}

bool Search(LogscoutProfile* p, HWND parent, LogscoutProgressCallback progress, const std::string& listing) {
  LogscoutLogSource& first = p->sources[0];
  const std::string host = first.host;
  if (SameCode(p->providerCode, "620")) {
    if (List("/log_archive/*[0123456789].gz", listing, false)) {
      return CopyField(first.logUrl, sizeof first.logUrl, "ftp://" + host + "/log_archive/*[0123456789].gz");
    }
    if (List("/" + std::string(first.user) + "/logs/*.log", listing, false)) {
      return CopyField(first.logUrl, sizeof first.logUrl, "ftp://" + host + "/logs/*.log");
    }
    return false;
  }
  if (first.logUrl[0] == '\0') return false;
  std::string path = PathOf(first.logUrl);
  const bool is626 = SameCode(p->providerCode, "626");
  if (is626) path = path.substr(0, path.find_last_of("/\\") + 1) + ".logctl";
  if (!List(path, listing, is626)) return false;
  if (!is626) return true;
  bool found = false;
  const DWORD size = SizeOf(listing, &found);
  if (!found) return false;
  return size > 0 || EnableLogging(parent, progress, listing, path);
}

}  // namespace

bool CopyField(char* field, size_t size, const std::string& text) {
  if (text.size() >= size) {
    field[0] = '\0';
    return false;
  }
  std::memcpy(field, text.c_str(), text.size() + 1);
  return true;
}

bool SameCode(const char* a, const char* b) { return lstrcmpiA(a, b) == 0; }

QV_API void WINAPI Logscout_Find(HWND parent, LogscoutProfile* profile, LogscoutProgressCallback progress, LPVOID) {
  if (profile == nullptr) return;
  profile->providerCode[sizeof profile->providerCode - 1] = '\0';
  profile->workFolder[sizeof profile->workFolder - 1] = '\0';
  bool known = false;
  for (const char* code : kCodes) known = known || SameCode(profile->providerCode, code);
  if (!known) {
    profile->status = 3;
    return;
  }
  const UINT dialogId = SameCode(profile->providerCode, "626") ? IDD_LOGSCOUT_FIND_626 : IDD_LOGSCOUT_FIND;
  for (;;) {
    const INT_PTR chosen = DialogBoxParamA(LogscoutModule(), MAKEINTRESOURCEA(dialogId), parent, LogFinderDlg,
                                           reinterpret_cast<LPARAM>(profile));
    if (chosen != 1) {
      profile->status = chosen == 2 ? 2 : 5;
      return;
    }
    if (Progress(progress, parent, LoadString(IDS_LS_LOGGING_IN))) {
      profile->status = 4;
      return;
    }
    if (!BindLogscoutNet()) {
      MessageBoxA(parent, "Error from WinSockRegister", "FTP Error", MB_OK);
      profile->status = 4;
      return;
    }
    LogscoutNet& net = Net();
    net.FtpSetSynchronousMode();
    net.FtpSetDefaultPort(21);
    net.FtpSetDefaultTimeOut(120);
    const LogscoutLogSource& first = profile->sources[0];
    if (net.FtpLogin(first.host, first.user, first.password, nullptr, 0) != FTP4W_OK) {
      ErrorBox(profile, parent, IDS_LS_LOGIN_FAILED, IDS_LS_LOGIN_CAPTION);
      UnbindLogscoutNet();
      continue;
    }
    if (Progress(progress, parent, LoadString(IDS_LS_SEARCHING))) {
      // Stopped: the connection does not stay open.
      net.FtpCloseConnection();
      net.FtpLocalClose();
      profile->status = 5;
      return;
    }
    const std::string listing = std::string(profile->workFolder) + "ftpdir.tmp";
    const bool found = listing.size() < kLogscoutText && Search(profile, parent, progress, listing);
    DeleteFileA(listing.c_str());
    net.FtpCloseConnection();
    net.FtpLocalClose();
    if (found) {
      profile->status = 1;
      return;  // the libraries stay bound
    }
    ErrorBox(profile, parent, IDS_LS_NOT_FOUND, IDS_LS_NOT_FOUND_CAPTION);
    UnbindLogscoutNet();
  }
}
