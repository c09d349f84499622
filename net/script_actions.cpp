// The directives that act outside the page: log-on, the reports, and the
// options of the remote server, e-mail and proxy.
#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

#include "app/service_password.h"
#include "gui_bridge.h"
#include "host_tables.h"
#include "netapi_lazy.h"
#include "remote_server.h"
#include "report_store.h"
#include "res_text.h"
#include "script_run.h"

namespace {

constexpr char kDefaultSender[] = "reports@quorvane.com";

// True when the local groups of `user` hold `group` (case-insensitively).
bool UserInGroup(const std::string& user, const std::string& group) {
  WCHAR wideUser[128] = {};
  if (MultiByteToWideChar(CP_ACP, 0, user.c_str(), -1, wideUser, 127) == 0) return false;
  LPBYTE buffer = nullptr;
  DWORD read = 0;
  DWORD total = 0;
  const NET_API_STATUS status = LazyNetUserGetLocalGroups(nullptr, wideUser, 0, LG_INCLUDE_INDIRECT, &buffer,
                                                          256 * sizeof(LOCALGROUP_USERS_INFO_0), &read, &total);
  bool found = false;
  if (status == 0 && buffer != nullptr) {
    const auto* groups = reinterpret_cast<const LOCALGROUP_USERS_INFO_0*>(buffer);
    for (DWORD i = 0; i < read && i < 256 && !found; ++i) {
      char name[256] = {};
      WideCharToMultiByte(CP_ACP, 0, groups[i].lgrui0_name, -1, name, sizeof name - 1, nullptr, nullptr);
      found = strcasecmp(name, group.c_str()) == 0;
    }
  }
  if (buffer != nullptr) LazyNetApiBufferFree(buffer);
  return found;
}

// 'u' + user name or 'g' + local group name, as WebAdmin.
bool MatchesOwner(const std::string& owner, const std::string& user) {
  if (owner.size() < 2 || user.empty()) return false;
  const char kind = static_cast<char>(std::tolower(static_cast<unsigned char>(owner[0])));
  const std::string name = owner.substr(1);
  if (kind == 'u') return strcasecmp(name.c_str(), user.c_str()) == 0;
  if (kind == 'g') return UserInGroup(user, name);
  return false;
}

bool HasControlBytes(const std::string& text) {
  for (unsigned char c : text) {
    if (c < 0x20 || c == 0x7f) return true;
  }
  return false;
}

std::string ReadText(const char* section, const char* key, const char* fallback, const char* ini) {
  char text[256];
  GetPrivateProfileStringA(section, key, fallback, text, sizeof text, ini);
  return text;
}

// The stored, scrambled form of a password: 40 bytes, the password from the
// fifth on and ended by a zero, the rest random; each of the first 39 bytes
// XORed with the plain byte after it; 80 hexadecimal digits.
std::string ScramblePassword(const std::string& password) {
  unsigned char plain[kScrambledBytes];
  std::random_device source;
  for (unsigned char& b : plain) b = static_cast<unsigned char>(source());
  const size_t n = std::min(password.size(), static_cast<size_t>(kMaxDecodedPassword - 1));
  std::memcpy(plain + kPasswordOffset, password.data(), n);
  plain[kPasswordOffset + n] = 0;
  char out[kScrambledDigits + 1];
  for (int i = 0; i < kScrambledBytes; ++i) {
    const unsigned char b = i + 1 < kScrambledBytes ? static_cast<unsigned char>(plain[i] ^ plain[i + 1]) : plain[i];
    std::snprintf(out + 2 * i, 3, "%02X", b);
  }
  return out;
}

}  // namespace

std::string EncodeMapiPassword(const std::string& password) { return ScramblePassword(password); }

int ScriptRun::CheckOwner(const std::string& ownerText) const {
  if (ownerText.empty()) return 1;
  return MatchesOwner(ownerText, r_.userName) && r_.haveUser ? 1 : 0;
}

void ScriptRun::LogOn() {
  r_.results = 0;
  std::string name = r_.GetParamText("Username");
  std::string password = r_.GetParamText("Password");
  UrlDecode(&name);
  UrlDecode(&password);
  std::string domain;
  size_t split = name.find('\\');
  if (split == std::string::npos) split = name.find('/');
  if (split != std::string::npos) {
    domain = name.substr(0, split);
    name = name.substr(split + 1);
  }
  const uint64_t now = GetTickCount64();
  // Too many failures from this address: refused like a wrong password,
  // without asking the system.
  if (g_logonThrottle.IsLocked(r_.clientAddress, now)) return;
  if (!IsSafeComponent(name) || HasControlBytes(domain) || HasControlBytes(password)) {
    g_logonThrottle.Failure(r_.clientAddress, now);
    return;
  }
  HANDLE token = nullptr;
  if (!LogonUserA(name.c_str(), domain.c_str(), password.c_str(), LOGON32_LOGON_INTERACTIVE,
                  LOGON32_PROVIDER_DEFAULT, &token)) {
    g_logonThrottle.Failure(r_.clientAddress, now);
    return;
  }
  CloseHandle(token);
  g_logonThrottle.Success(r_.clientAddress);
  r_.results = 1;
  const std::string admin = r_.settings.webAdmin;
  RemoteUser found;
  // The table keeps the first log-on's entry; the admin flag is decided then.
  const int32_t isAdmin = MatchesOwner(admin, name) ? 1 : 0;
  found = g_remoteUsers.LogOn(name, isAdmin, now);
  r_.user = found;
  r_.haveUser = true;
  r_.userId = found.id;
  r_.userName = found.name;
}

std::string ScriptRun::ReportFolder(const std::string& name) const {
  return std::string(r_.settings.usersFolder) + "\\" + name;
}

// A report may be named only as "user\report", and only by its user or the
// administrator.
bool ScriptRun::ReportAllowed(const std::string& name) {
  std::string owner;
  std::string report;
  if (!r_.haveUser || !SplitReportName(name, &owner, &report)) return false;
  return r_.user.admin != 0 || strcasecmp(owner.c_str(), r_.user.name.c_str()) == 0;
}

void ScriptRun::ReportUnreadable(const std::string& name) {
  char format[kResTextMax + 1];
  LoadResText(5724, format, sizeof format);
  const std::string path = ReportFolder(name) + "\\status.rep";
  std::string text = format;
  const size_t at = text.find("%s");
  if (at != std::string::npos) text.replace(at, 2, path);
  r_.results = 200;
  r_.errorText = text.substr(0, 299);
}

void ScriptRun::ViewReport() {
  const std::string name = r_.item;
  ReportStatus status;
  if (!ReportAllowed(name) || !ReadReportStatus(ReportFolder(name).c_str(), &status)) {
    ReportUnreadable(name);
    return;
  }
  if (status.status == 100) {
    r_.results = 0;
    r_.status = 11301;
    r_.SendResponseHeader();
    stop_ = true;
    return;
  }
  r_.results = status.status;
  if (status.status > 100) {
    r_.errorText = status.message;
  } else {
    char text[kResTextMax + 1];
    r_.errorText = LoadResText(5725, text, sizeof text);
  }
}

void ScriptRun::CheckReport() {
  const std::string name = itemId_.empty() ? r_.item : itemId_;
  ReportStatus status;
  if (!ReportAllowed(name) || !ReadReportStatus(ReportFolder(name).c_str(), &status)) {
    ReportUnreadable(name);
    return;
  }
  r_.results = status.status;
  r_.errorText = status.message;
}

void ScriptRun::DeleteReport() {
  const std::string name = r_.item;
  ReportStatus status;
  if (!ReportAllowed(name) || !ReadReportStatus(ReportFolder(name).c_str(), &status)) {
    ReportUnreadable(name);
    return;
  }
  r_.results = status.status;
  r_.errorText = status.message;
  if (status.status >= 1 && status.status <= 99) {
    char text[kResTextMax + 1];
    r_.errorText = LoadResText(5725, text, sizeof text);
    r_.results = 1;
    return;
  }
  OfferRemoteCommandToPlugins(name.c_str());
  DeleteReportFolder(r_.settings.usersFolder, name);
  r_.results = 0;
}

// ---- Options: the administrator's only ----

void ScriptRun::LoadOptRemote() {
  if (!r_.haveUser || !r_.user.admin) return;
  const char* ini = r_.settings.iniPath;
  const int reports = std::atoi(ReadText("Defaults", "WebNoReports", "Always", ini).c_str());
  r_.SetVar("RemoteReport", reports < 1 ? "0" : "1");
  r_.SetVarInt("RemoteNo", reports == 0 ? 10 : std::abs(reports));
  const int days = std::atoi(ReadText("Defaults", "WebNoDays", "Always", ini).c_str());
  r_.SetVar("RemoteDelete", days < 1 ? "0" : "1");
  r_.SetVarInt("RemoteDays", days == 0 ? 7 : std::abs(days));
  r_.SetVar("RemoteLogging", ReadText("Defaults", "WebLogging", "Always", ini).c_str());
  r_.SetVar("RemoteAllow", ReadText("Defaults", "WebAllowReport", "Always", ini).c_str());
}

namespace {

bool StartsOn(const std::string& text) { return text.size() >= 2 && strncasecmp(text.c_str(), "on", 2) == 0; }

// A count from a form: digits only, within 0..limit.
bool FormNumber(const std::string& text, int limit, int* out) {
  if (text.empty()) {
    *out = 0;
    return true;
  }
  if (text.size() > 6) return false;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
  }
  *out = std::atoi(text.c_str());
  return *out <= limit;
}

}  // namespace

void ScriptRun::SaveOptRemote() {
  r_.results = 0;
  if (!r_.haveUser || !r_.user.admin) return;
  int reports = 0;
  int days = 0;
  if (!FormNumber(r_.GetVarText("RemoteNo"), 9999, &reports) || !FormNumber(r_.GetVarText("RemoteDays"), 3650, &days)) {
    r_.errorText = "Please enter numbers from 1 to 9999 reports and 1 to 3650 days.";
    return;
  }
  if (reports == 0) reports = 10;
  if (days == 0) days = 7;
  if (r_.GetVarText("RemoteReport").empty()) reports = -reports;
  if (r_.GetVarText("RemoteDelete").empty()) days = -days;
  const char* ini = r_.settings.iniPath;
  WritePrivateProfileStringA("Defaults", "WebNoReports", std::to_string(reports).c_str(), ini);
  WritePrivateProfileStringA("Defaults", "WebNoDays", std::to_string(days).c_str(), ini);
  WritePrivateProfileStringA("Defaults", "WebLogging", StartsOn(r_.GetVarText("RemoteLogging")) ? "1" : "0", ini);
  WritePrivateProfileStringA("Defaults", "WebAllowReport", StartsOn(r_.GetVarText("RemoteAllow")) ? "1" : "0", ini);
  r_.results = 1;
  RequestApplyWebServerSettings();
}

void ScriptRun::LoadOptEMail() {
  if (!r_.haveUser || !r_.user.admin) return;
  const char* ini = r_.settings.iniPath;
  const std::string type = ReadText("eMail", "eMailType", "SMTP", ini);
  r_.SetVar("MailType", !type.empty() && (type[0] == 'M' || type[0] == 'm') ? "1" : "0");
  r_.SetVar("MailServer", ReadText("eMail", "SMTPServer", "mail", ini).c_str());
  r_.SetVar("MailFrom", ReadText("eMail", "From", kDefaultSender, ini).c_str());
  r_.SetVar("MailReply", ReadText("eMail", "ReplyTo", kDefaultSender, ini).c_str());
  r_.SetVar("MailProfile", ReadText("eMail", "MAPIProfile", "", ini).c_str());
  r_.SetVar("MailPassword", "");  // never shown
  r_.SetVar("MailSubject", ReadText("eMail", "Subject", "Quorvane Reports", ini).c_str());
}

void ScriptRun::SaveOptEMail() {
  r_.results = 0;
  if (!r_.haveUser || !r_.user.admin) return;
  const char* names[] = {"MailType", "MailServer", "MailFrom", "MailReply", "MailProfile", "MailPassword",
                         "MailSubject"};
  for (const char* name : names) {
    if (HasControlBytes(r_.GetVarText(name))) return;
  }
  const char* ini = r_.settings.iniPath;
  const std::string type = r_.GetVarText("MailType");
  WritePrivateProfileStringA("eMail", "eMailType", !type.empty() && type[0] == '1' ? "MAPI" : "SMTP", ini);
  WritePrivateProfileStringA("eMail", "SMTPServer", r_.GetVarText("MailServer").c_str(), ini);
  WritePrivateProfileStringA("eMail", "From", r_.GetVarText("MailFrom").c_str(), ini);
  WritePrivateProfileStringA("eMail", "ReplyTo", r_.GetVarText("MailReply").c_str(), ini);
  WritePrivateProfileStringA("eMail", "MAPIProfile", r_.GetVarText("MailProfile").c_str(), ini);
  const std::string password = r_.GetVarText("MailPassword");
  if (!password.empty()) {
    WritePrivateProfileStringA("eMail", "MAPIPassword", ScramblePassword(password).c_str(), ini);
  }
  WritePrivateProfileStringA("eMail", "Subject", r_.GetVarText("MailSubject").c_str(), ini);
  r_.results = 1;
}

void ScriptRun::LoadOptProxy() {
  if (!r_.haveUser || !r_.user.admin) return;
  const char* ini = r_.settings.iniPath;
  const std::string enable = ReadText("Defaults", "ProxyEnable", "0", ini);
  r_.SetVar("HTTPProxy", !enable.empty() && (enable[0] == 't' || enable[0] == 'T' || enable[0] == '1') ? "1" : "0");
  const std::string proxy = ReadText("Defaults", "HTTPProxy", "", ini);
  const size_t colon = proxy.find(':');
  r_.SetVar("HTTPProxyAddr", proxy.substr(0, colon).c_str());
  r_.SetVar("HTTPProxyPort", colon != std::string::npos ? proxy.substr(colon + 1).c_str()
                             : proxy.empty()            ? ""
                                                        : "80");
  const std::string auth = ReadText("Defaults", "HTTPProxyAuth", "", ini);
  r_.SetVar("HTTPProxyUsername", auth.substr(0, auth.find(':')).c_str());
  r_.SetVar("HTTPProxyPassword", "");  // never shown
}

void ScriptRun::SaveOptProxy() {
  r_.results = 0;
  if (!r_.haveUser || !r_.user.admin) return;
  const char* names[] = {"HTTPProxy", "HTTPProxyAddr", "HTTPProxyPort", "HTTPProxyUsername", "HTTPProxyPassword"};
  for (const char* name : names) {
    if (HasControlBytes(r_.GetVarText(name))) return;
  }
  int port = 0;
  const std::string portText = r_.GetVarText("HTTPProxyPort");
  if (!FormNumber(portText, 65535, &port)) {
    r_.errorText = "Please enter a port number from 1 to 65535.";
    return;
  }
  const char* ini = r_.settings.iniPath;
  WritePrivateProfileStringA("Defaults", "ProxyEnable", StartsOn(r_.GetVarText("HTTPProxy")) ? "1" : "0", ini);
  std::string proxy = r_.GetVarText("HTTPProxyAddr");
  if (!proxy.empty()) proxy += ":" + portText;
  WritePrivateProfileStringA("Defaults", "HTTPProxy", proxy.c_str(), ini);
  const std::string userName = r_.GetVarText("HTTPProxyUsername");
  std::string password = r_.GetVarText("HTTPProxyPassword");
  if (password.empty()) {
    // An empty password field keeps the stored one.
    const std::string old = ReadText("Defaults", "HTTPProxyAuth", "", ini);
    const size_t colon = old.find(':');
    if (colon != std::string::npos) password = old.substr(colon + 1);
  }
  std::string auth = userName;
  if (!userName.empty()) auth += ":" + password;
  WritePrivateProfileStringA("Defaults", "HTTPProxyAuth", auth.c_str(), ini);
  r_.results = 1;
}
