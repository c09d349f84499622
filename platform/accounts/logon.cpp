// LogonUserA through PAM, logon tokens, and per-thread impersonation.
#include <grp.h>
#include <pwd.h>
#include <security/pam_appl.h>
#include <strings.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <mutex>
#include <optional>

#include "accounts/account_db.h"
#include "accounts/pam_conversation.h"
#include "files/win_error.h"
#include "kernel/handles.h"
#include "qvplatform/accounts.h"
#include "qvplatform/kernel.h"

namespace qvp::accounts {
namespace {

constexpr const char* kPamService = "quorvane";

class TokenObject : public KernelObject {
 public:
  Identity identity;
  DWORD logon_type = 0;
};

thread_local std::shared_ptr<const TokenObject> t_impersonated;

// The passwd entry of a user or uid, through a buffer that grows as needed.
template <class Lookup>
std::optional<Identity> FromPasswd(Lookup lookup) {
  std::vector<char> buf(1024);
  passwd entry{};
  passwd* found = nullptr;
  int rc;
  while ((rc = lookup(&entry, buf.data(), buf.size(), &found)) == ERANGE && buf.size() < (1u << 20)) {
    buf.resize(buf.size() * 2);
  }
  if (rc != 0 || found == nullptr) return std::nullopt;
  Identity identity;
  identity.user = found->pw_name;
  identity.uid = found->pw_uid;
  identity.gid = found->pw_gid;
  std::vector<gid_t> groups(32);
  for (;;) {
    int count = static_cast<int>(groups.size());
    if (getgrouplist(found->pw_name, found->pw_gid, groups.data(), &count) >= 0) {
      groups.resize(static_cast<size_t>(count));
      break;
    }
    if (count <= static_cast<int>(groups.size()) || groups.size() > 65536) break;
    groups.resize(static_cast<size_t>(count));
  }
  identity.groups.push_back(found->pw_gid);
  for (gid_t g : groups) {
    if (g != found->pw_gid) identity.groups.push_back(g);
  }
  return identity;
}

std::optional<Identity> IdentityOfUser(const std::string& user) {
  return FromPasswd([&](passwd* e, char* b, size_t n, passwd** f) { return getpwnam_r(user.c_str(), e, b, n, f); });
}

Identity ProcessIdentity() {
  const uid_t uid = geteuid();
  std::optional<Identity> known =
      FromPasswd([uid](passwd* e, char* b, size_t n, passwd** f) { return getpwuid_r(uid, e, b, n, f); });
  if (known) {
    // The process's own groups, which need not be the database's.
    known->gid = getegid();
    known->groups.assign(1, known->gid);
    const int count = getgroups(0, nullptr);
    if (count > 0) {
      std::vector<gid_t> groups(static_cast<size_t>(count));
      if (getgroups(count, groups.data()) == count) {
        for (gid_t g : groups) {
          if (g != known->gid) known->groups.push_back(g);
        }
      }
    }
    return *known;
  }
  Identity anonymous;
  anonymous.user = std::to_string(uid);
  anonymous.uid = uid;
  anonymous.gid = getegid();
  anonymous.groups.push_back(anonymous.gid);
  return anonymous;
}

bool IsLocalDomain(const char* domain) {
  if (domain == nullptr || *domain == '\0' || std::strcmp(domain, ".") == 0) return true;
  char name[MAX_COMPUTERNAME_LENGTH + 1] = {};
  DWORD size = sizeof name;
  if (GetComputerNameA(name, &size) && strcasecmp(domain, name) == 0) return true;
  char host[256] = {};
  if (gethostname(host, sizeof host - 1) != 0) return false;
  if (strcasecmp(domain, host) == 0) return true;
  const char* dot = std::strchr(host, '.');
  return dot != nullptr && std::strlen(domain) == static_cast<size_t>(dot - host) &&
         strncasecmp(domain, host, static_cast<size_t>(dot - host)) == 0;
}

// Whether this process can check the passwords of accounts through the PAM
// service at all: the service must be configured, and a service that reads
// the system's password database needs a process that may read it.
bool CanCheckPasswords() {
  std::string config = std::string("/etc/pam.d/") + kPamService;
  const char* wrapped = std::getenv("PAM_WRAPPER");
  const char* wrapperDir = std::getenv("PAM_WRAPPER_SERVICE_DIR");
  if (wrapped != nullptr && std::strcmp(wrapped, "1") == 0 && wrapperDir != nullptr) {
    config = std::string(wrapperDir) + "/" + kPamService;
  }
  std::FILE* file = std::fopen(config.c_str(), "r");
  if (file == nullptr) return false;
  bool usesUnix = false;
  char line[512];
  while (std::fgets(line, sizeof line, file) != nullptr) {
    if (std::strstr(line, "pam_unix") != nullptr || std::strstr(line, "common-auth") != nullptr) usesUnix = true;
  }
  std::fclose(file);
  return !usesUnix || geteuid() == 0 || access("/etc/shadow", R_OK) == 0;
}

DWORD AuthenticateError(int status) {
  switch (status) {
    case PAM_AUTHINFO_UNAVAIL: return ERROR_NO_LOGON_SERVERS;
    default: return ERROR_LOGON_FAILURE;
  }
}

DWORD AccountError(int status) {
  switch (status) {
    case PAM_ACCT_EXPIRED: return ERROR_ACCOUNT_EXPIRED;
    case PAM_NEW_AUTHTOK_REQD: return ERROR_PASSWORD_MUST_CHANGE;
    case PAM_PERM_DENIED: return ERROR_ACCOUNT_RESTRICTION;
    case PAM_AUTHINFO_UNAVAIL: return ERROR_NO_LOGON_SERVERS;
    default: return ERROR_LOGON_FAILURE;
  }
}

// Checks the password and the account through PAM. One conversation at a
// time: not every PAM module can be used by several threads at once.
DWORD CheckWithPam(const std::string& user, const char* password) {
  static auto* one_at_a_time = new std::mutex;
  std::lock_guard<std::mutex> guard(*one_at_a_time);
  Conversation conversation{password != nullptr ? password : ""};
  const pam_conv conv{Converse, &conversation};
  pam_handle_t* pam = nullptr;
  int status = pam_start(kPamService, user.c_str(), &conv, &pam);
  if (status != PAM_SUCCESS) {
    if (pam != nullptr) pam_end(pam, status);
    return ERROR_NO_LOGON_SERVERS;
  }
  DWORD error = ERROR_SUCCESS;
  status = pam_authenticate(pam, PAM_SILENT | PAM_DISALLOW_NULL_AUTHTOK);
  if (status != PAM_SUCCESS) {
    error = AuthenticateError(status);
  } else {
    status = pam_acct_mgmt(pam, PAM_SILENT | PAM_DISALLOW_NULL_AUTHTOK);
    if (status != PAM_SUCCESS) error = AccountError(status);
  }
  pam_end(pam, status);
  return error;
}

}  // namespace
}  // namespace qvp::accounts

namespace qvp {

Identity ThreadIdentity() {
  if (accounts::t_impersonated) return accounts::t_impersonated->identity;
  return accounts::ProcessIdentity();
}

bool IsImpersonating() { return accounts::t_impersonated != nullptr; }

}  // namespace qvp

using qvp::accounts::TokenObject;

namespace {
// Set by tests: the caller lacks the right to log users on.
std::atomic<bool> g_logonPrivilegeMissing{false};
}  // namespace

void qvp::SetLogonPrivilegeMissingForTests(bool missing) { g_logonPrivilegeMissing.store(missing); }

QV_API BOOL LogonUserA(LPCSTR lpszUsername, LPCSTR lpszDomain, LPCSTR lpszPassword, DWORD dwLogonType,
                       DWORD dwLogonProvider, PHANDLE phToken) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (phToken == nullptr || lpszUsername == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
    *phToken = nullptr;
    switch (dwLogonType) {
      case LOGON32_LOGON_INTERACTIVE:
      case LOGON32_LOGON_NETWORK:
      case LOGON32_LOGON_BATCH:
      case LOGON32_LOGON_SERVICE:
      case LOGON32_LOGON_UNLOCK:
      case LOGON32_LOGON_NETWORK_CLEARTEXT:
      case LOGON32_LOGON_NEW_CREDENTIALS: break;
      default: return qvp::FailWith(ERROR_INVALID_PARAMETER);
    }
    if (dwLogonProvider > LOGON32_PROVIDER_WINNT50) return qvp::FailWith(ERROR_INVALID_PARAMETER);
    if (g_logonPrivilegeMissing.load()) return qvp::FailWith(ERROR_PRIVILEGE_NOT_HELD);
    if (*lpszUsername == '\0' || !qvp::accounts::IsLocalDomain(lpszDomain)) {
      return qvp::FailWith(ERROR_LOGON_FAILURE);
    }
    // A process that cannot check passwords lacks the right to log users on.
    if (!qvp::accounts::CanCheckPasswords()) return qvp::FailWith(ERROR_PRIVILEGE_NOT_HELD);
    // Windows names are not case-sensitive: PAM gets the account's own spelling.
    const std::string user = qvp::accounts::FindUser(lpszUsername).value_or(lpszUsername);
    if (DWORD error = qvp::accounts::CheckWithPam(user, lpszPassword); error != ERROR_SUCCESS) {
      return qvp::FailWith(error);
    }
    std::optional<qvp::Identity> identity = qvp::accounts::IdentityOfUser(user);
    if (!identity) return qvp::FailWith(ERROR_LOGON_FAILURE);  // no local account to act as
    auto token = std::make_shared<TokenObject>();
    token->identity = std::move(*identity);
    token->logon_type = dwLogonType;
    *phToken = qvp::InsertHandle(std::move(token));
    return TRUE;
  });
}

QV_API BOOL ImpersonateLoggedOnUser(HANDLE hToken) {
  auto token = qvp::LookupHandleAs<TokenObject>(hToken);
  if (!token) return qvp::FailWith(ERROR_INVALID_HANDLE);
  qvp::accounts::t_impersonated = std::move(token);
  return TRUE;
}

QV_API BOOL RevertToSelf(void) {
  qvp::accounts::t_impersonated.reset();
  return TRUE;
}

QV_API BOOL GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (pcbBuffer == nullptr) return qvp::FailWith(ERROR_INVALID_PARAMETER);
    const std::string name = qvp::ThreadIdentity().user;
    const DWORD needed = static_cast<DWORD>(name.size() + 1);
    if (lpBuffer == nullptr || *pcbBuffer < needed) {
      *pcbBuffer = needed;
      return qvp::FailWith(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(lpBuffer, name.c_str(), needed);
    *pcbBuffer = needed;
    return TRUE;
  });
}
