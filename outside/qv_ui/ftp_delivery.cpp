// Report delivery by FTP through the FTP client library "FTP4W32.DLL", bound
// by name at each use so that a missing library fails cleanly.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <string>

#include "qv_ui.h"

namespace {

// The library's entry points this file uses (0 means success).
typedef int (*PFN_FtpInit)(HWND parent);
typedef int (*PFN_FtpRelease)();
typedef int (*PFN_FtpSetDefaultPort)(int port);
typedef int (*PFN_FtpSetDefaultTimeOut)(int seconds);
typedef int (*PFN_FtpSetSynchronousMode)();
typedef int (*PFN_FtpSetPassiveMode)(BOOL passive);
typedef int (*PFN_FtpLogin)(const char* host, const char* user, const char* password, HWND window, UINT message);
typedef int (*PFN_FtpCloseConnection)();
typedef int (*PFN_FtpCWD)(const char* path);
typedef int (*PFN_FtpSendFile)(const char* local, const char* remote, char type, BOOL notify, HWND window,
                               UINT message);
typedef int (*PFN_FtpDir)(const char* remote, const char* localFile, BOOL longListing, HWND window, UINT message);

constexpr int kTimeoutSeconds = 30;

// The library keeps one session per process: one user at a time.
std::mutex g_ftp_lock;

struct FtpLibrary {
  HMODULE module = nullptr;
  PFN_FtpInit init = nullptr;
  PFN_FtpRelease release = nullptr;
  PFN_FtpSetDefaultPort setPort = nullptr;
  PFN_FtpSetDefaultTimeOut setTimeout = nullptr;
  PFN_FtpSetSynchronousMode synchronous = nullptr;
  PFN_FtpSetPassiveMode passive = nullptr;
  PFN_FtpLogin login = nullptr;
  PFN_FtpCloseConnection close = nullptr;
  PFN_FtpCWD cwd = nullptr;
  PFN_FtpSendFile send = nullptr;
  PFN_FtpDir dir = nullptr;

  FtpLibrary() = default;
  FtpLibrary(const FtpLibrary&) = delete;
  FtpLibrary& operator=(const FtpLibrary&) = delete;
  ~FtpLibrary() {
    if (module != nullptr) FreeLibrary(module);
  }

  template <typename T>
  bool Bind(T* entry, const char* name) {
    *entry = reinterpret_cast<T>(GetProcAddress(module, name));
    return *entry != nullptr;
  }

  bool Load() {
    module = LoadLibraryA("FTP4W32.DLL");
    if (module == nullptr) return false;
    return Bind(&init, "FtpInit") && Bind(&release, "FtpRelease") && Bind(&setPort, "FtpSetDefaultPort") &&
           Bind(&setTimeout, "FtpSetDefaultTimeOut") && Bind(&synchronous, "FtpSetSynchronousMode") &&
           Bind(&passive, "FtpSetPassiveMode") && Bind(&login, "FtpLogin") &&
           Bind(&close, "FtpCloseConnection") && Bind(&cwd, "FtpCWD") && Bind(&send, "FtpSendFile") &&
           Bind(&dir, "FtpDir");
  }
};

// "ftp://host[:port]/dir/name" or "host[:port]/dir/name".
struct FtpTarget {
  std::string host;
  int port = 21;
  std::string directory;  // without the leading '/'; may be empty
  std::string name;       // may be empty
};

bool ParseTarget(const char* text, FtpTarget* target) {
  std::string rest = text != nullptr ? text : "";
  if (rest.size() >= 6 && (rest.compare(0, 6, "ftp://") == 0 || rest.compare(0, 6, "FTP://") == 0)) {
    rest = rest.substr(6);
  }
  const size_t slash = rest.find('/');
  std::string authority = rest.substr(0, slash);
  const std::string path = slash == std::string::npos ? std::string() : rest.substr(slash + 1);
  const size_t colon = authority.find(':');
  if (colon != std::string::npos) {
    const std::string port = authority.substr(colon + 1);
    authority = authority.substr(0, colon);
    if (port.empty() || port.size() > 5 || port.find_first_not_of("0123456789") != std::string::npos) return false;
    target->port = std::stoi(port);
    if (target->port < 1 || target->port > 65535) return false;
  }
  if (authority.empty()) return false;
  for (const char c : authority) {
    if (static_cast<unsigned char>(c) <= ' ') return false;
  }
  target->host = authority;
  const size_t cut = path.rfind('/');
  target->directory = cut == std::string::npos ? std::string() : path.substr(0, cut);
  target->name = cut == std::string::npos ? path : path.substr(cut + 1);
  // A name or directory with control characters would forge FTP commands.
  for (const char c : path) {
    if (static_cast<unsigned char>(c) < ' ') return false;
  }
  return true;
}

std::string LeafName(const char* path) {
  const std::string text = path;
  const size_t cut = text.find_last_of("\\/");
  return cut == std::string::npos ? text : text.substr(cut + 1);
}

void Debug(const std::string& line) { OutputDebugStringA(("QVUI FTP: " + line + "\r\n").c_str()); }

// Logs in (and changes to the directory); false after a debug line.
bool Open(FtpLibrary& ftp, const FtpTarget& target, const char* user, const char* password) {
  ftp.init(nullptr);
  ftp.setPort(target.port);
  ftp.setTimeout(kTimeoutSeconds);
  ftp.synchronous();
  ftp.passive(TRUE);
  const int login = ftp.login(target.host.c_str(), user != nullptr && user[0] != '\0' ? user : "anonymous",
                              password != nullptr ? password : "", nullptr, 0);
  if (login != 0) {
    Debug("log-in to " + target.host + " failed (" + std::to_string(login) + ")");
    return false;
  }
  if (!target.directory.empty() && ftp.cwd(target.directory.c_str()) != 0) {
    Debug("no directory " + target.directory + " on " + target.host);
    ftp.close();
    return false;
  }
  return true;
}

}  // namespace

QV_API int QVUI_FTPSendFiles(HWND progress, const char* target, int count, char** files, const char* user,
                             const char* password) {
  FtpTarget place;
  if (count <= 0 || files == nullptr || !ParseTarget(target, &place)) return 0;
  std::lock_guard<std::mutex> hold(g_ftp_lock);
  FtpLibrary ftp;
  if (!ftp.Load()) {
    Debug("the FTP library FTP4W32.DLL is missing or incomplete");
    return 0;
  }
  if (!Open(ftp, place, user, password)) {
    ftp.release();
    return 0;
  }
  if (progress != nullptr) SendMessageA(progress, QVUI_PROGRESS_SETRANGE, static_cast<WPARAM>(count), 0);
  bool sent = true;
  for (int i = 0; i < count && sent; ++i) {
    if (files[i] == nullptr) {
      sent = false;
      break;
    }
    // The report takes the target's name; the files it uses keep their own.
    const std::string remote = i == 0 && !place.name.empty() ? place.name : LeafName(files[i]);
    const int result = ftp.send(files[i], remote.c_str(), 'I', FALSE, nullptr, 0);
    if (result != 0) {
      Debug("sending " + std::string(files[i]) + " failed (" + std::to_string(result) + ")");
      sent = false;
    }
    if (progress != nullptr) SendMessageA(progress, QVUI_PROGRESS_SETPOS, static_cast<WPARAM>(i + 1), 0);
  }
  ftp.close();
  ftp.release();
  return sent ? 1 : 0;
}

namespace {

#pragma pack(push, 1)
struct LoginRecord {
  int32_t kind;
  char user[41];
  char password[41];
  char target[300];
};
#pragma pack(pop)

}  // namespace

QV_API BOOL QVUI_FtpBrowse(HWND owner, void* loginRecord) {
  constexpr char kCaption[] = "FTP";
  if (loginRecord == nullptr) return FALSE;
  LoginRecord record;
  std::memcpy(&record, loginRecord, sizeof record);
  record.user[sizeof record.user - 1] = '\0';
  record.password[sizeof record.password - 1] = '\0';
  record.target[sizeof record.target - 1] = '\0';
  FtpTarget place;
  if (!ParseTarget(record.target, &place)) {
    MessageBoxA(owner, "Please enter an FTP address: host/directory/file.", kCaption, MB_OK | MB_ICONWARNING);
    return FALSE;
  }
  std::lock_guard<std::mutex> hold(g_ftp_lock);
  FtpLibrary ftp;
  if (!ftp.Load()) {
    MessageBoxA(owner, "The FTP library FTP4W32.DLL is not installed.", kCaption, MB_OK | MB_ICONERROR);
    return FALSE;
  }
  if (!Open(ftp, place, record.user, record.password)) {
    ftp.release();
    const std::string text = "Unable to log in to " + place.host +
                             (place.directory.empty() ? std::string() : " or to open the directory " + place.directory) +
                             ".";
    MessageBoxA(owner, text.c_str(), kCaption, MB_OK | MB_ICONERROR);
    return FALSE;
  }
  ftp.close();
  ftp.release();
  const std::string text = "Logged in to " + place.host + "; the directory can be used.";
  MessageBoxA(owner, text.c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
  return TRUE;
}
