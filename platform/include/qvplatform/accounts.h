// Users and groups of the local system, as the Windows NT network API
// ("NetApi32.dll") reports them: the system's user and group databases, names
// in UTF-16. Only the local computer is served (a null or empty server name).
//
// The same functions are the exports of the built-in module "NetApi32.dll".
#pragma once

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
