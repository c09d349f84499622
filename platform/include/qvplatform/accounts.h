// Users and groups of the local system, as the Windows NT network API
// ("NetApi32.dll") reports them: the system's user and group databases, names
// in UTF-16. Only the local computer is served (a null or empty server name).
//
// The same functions are the exports of the built-in module "NetApi32.dll".
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qvplatform/types.h"
#include "qvplatform/errors.h"

typedef DWORD NET_API_STATUS;
typedef DWORD_PTR* PDWORD_PTR;

#ifndef ERROR_INVALID_LEVEL
#define ERROR_INVALID_LEVEL 124L
#endif
#ifndef NERR_BufTooSmall
#define NERR_BufTooSmall 2123
#endif

// No limit on the size of the buffer the call returns.
#define MAX_PREFERRED_LENGTH (static_cast<DWORD>(-1))

// NetUserEnum filters.
#define FILTER_TEMP_DUPLICATE_ACCOUNT 0x0001
#define FILTER_NORMAL_ACCOUNT 0x0002
#define FILTER_INTERDOMAIN_TRUST_ACCOUNT 0x0008
#define FILTER_WORKSTATION_TRUST_ACCOUNT 0x0010
#define FILTER_SERVER_TRUST_ACCOUNT 0x0020

// NetUserGetLocalGroups flags.
#define LG_INCLUDE_INDIRECT 0x0001

struct USER_INFO_0 {
  LPWSTR usri0_name;
};
typedef USER_INFO_0* PUSER_INFO_0;
typedef USER_INFO_0* LPUSER_INFO_0;

struct LOCALGROUP_INFO_0 {
  LPWSTR lgrpi0_name;
};
typedef LOCALGROUP_INFO_0* PLOCALGROUP_INFO_0;
typedef LOCALGROUP_INFO_0* LPLOCALGROUP_INFO_0;

struct LOCALGROUP_USERS_INFO_0 {
  LPWSTR lgrui0_name;
};
typedef LOCALGROUP_USERS_INFO_0* PLOCALGROUP_USERS_INFO_0;
typedef LOCALGROUP_USERS_INFO_0* LPLOCALGROUP_USERS_INFO_0;

// Level 0 only. The buffer holds the records followed by their names, and is
// freed with NetApiBufferFree. With a preferred length other than
// MAX_PREFERRED_LENGTH the answer comes in pages of at least one record:
// ERROR_MORE_DATA and the resume handle say where the next call goes on.
QV_API NET_API_STATUS NetUserEnum(LPCWSTR servername, DWORD level, DWORD filter, LPBYTE* bufptr, DWORD prefmaxlen,
                                  LPDWORD entriesread, LPDWORD totalentries, LPDWORD resume_handle);
QV_API NET_API_STATUS NetLocalGroupEnum(LPCWSTR servername, DWORD level, LPBYTE* bufptr, DWORD prefmaxlen,
                                        LPDWORD entriesread, LPDWORD totalentries, PDWORD_PTR resumehandle);
// A user's groups: the primary group and every group that lists the user.
// The user name may carry a "domain\" prefix, which is ignored; a name that
// matches no account exactly is matched without regard to case.
QV_API NET_API_STATUS NetUserGetLocalGroups(LPCWSTR servername, LPCWSTR username, DWORD level, DWORD flags,
                                            LPBYTE* bufptr, DWORD prefmaxlen, LPDWORD entriesread,
                                            LPDWORD totalentries);
QV_API NET_API_STATUS NetApiBufferFree(LPVOID Buffer);

// ---------------------------------------------------------------------------
// Logging on and acting as another user.
//
// LogonUserA answers ERROR_PRIVILEGE_NOT_HELD (1314) when this process cannot
// check passwords: no PAM service "quorvane" is configured, or it reads the
// system's password database (pam_unix) and the process may not.
// LogonUserA checks the user's password through PAM, service "quorvane": the
// password answers the password prompt and nothing else is answered; then the
// account must pass PAM's account check and exist in the system's user
// database. The token is a handle (close it with CloseHandle) that carries
// the user's name, user and group ids and groups. Only local accounts exist:
// the domain must be null, empty, "." or this computer's name.
//
// PAM is asked by one thread at a time, since not every module is thread-safe.
//
// Impersonation is the calling thread's own: ImpersonateLoggedOnUser makes the
// thread act as the token's user for the layer (GetUserNameA, and what
// qvp::ThreadIdentity tells the layer's facilities) until RevertToSelf. The
// process's Linux credentials are not changed: glibc changes them for all
// threads at once, and the other threads must keep acting as the process.
#ifndef ERROR_NO_TOKEN
#define ERROR_NO_TOKEN 1008L
#endif
#ifndef ERROR_NO_LOGON_SERVERS
#define ERROR_NO_LOGON_SERVERS 1311L
#endif
#ifndef ERROR_ACCOUNT_RESTRICTION
#define ERROR_ACCOUNT_RESTRICTION 1327L
#endif
#ifndef ERROR_ACCOUNT_EXPIRED
#define ERROR_ACCOUNT_EXPIRED 1793L
#endif
#ifndef ERROR_PASSWORD_MUST_CHANGE
#define ERROR_PASSWORD_MUST_CHANGE 1907L
#endif

#define LOGON32_LOGON_INTERACTIVE 2
#define LOGON32_LOGON_NETWORK 3
#define LOGON32_LOGON_BATCH 4
#define LOGON32_LOGON_SERVICE 5
#define LOGON32_LOGON_UNLOCK 7
#define LOGON32_LOGON_NETWORK_CLEARTEXT 8
#define LOGON32_LOGON_NEW_CREDENTIALS 9
#define LOGON32_PROVIDER_DEFAULT 0
#define LOGON32_PROVIDER_WINNT35 1
#define LOGON32_PROVIDER_WINNT40 2
#define LOGON32_PROVIDER_WINNT50 3
#define UNLEN 256

QV_API BOOL LogonUserA(LPCSTR lpszUsername, LPCSTR lpszDomain, LPCSTR lpszPassword, DWORD dwLogonType,
                       DWORD dwLogonProvider, PHANDLE phToken);
QV_API BOOL ImpersonateLoggedOnUser(HANDLE hToken);
QV_API BOOL RevertToSelf(void);
// The user the calling thread acts as. The size is in characters with the
// NUL, on success and (as the size needed) with ERROR_INSUFFICIENT_BUFFER.
QV_API BOOL GetUserNameA(LPSTR lpBuffer, LPDWORD pcbBuffer);

namespace qvp {

struct Identity {
  std::string user;
  uint32_t uid = 0;
  uint32_t gid = 0;
  std::vector<uint32_t> groups;  // the primary group first
};

// The identity the calling thread acts as: the impersonated user's, else the
// process's own.
Identity ThreadIdentity();
bool IsImpersonating();

// Tests: while set, LogonUserA fails with ERROR_PRIVILEGE_NOT_HELD (1314), as
// for a caller that does not hold the right to log users on.
void SetLogonPrivilegeMissingForTests(bool missing);

}  // namespace qvp
