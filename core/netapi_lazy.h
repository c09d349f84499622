// The network management functions of "NetApi32.dll", bound on first use.
// Each takes the arguments of the function it stands for and returns its
// status. When the library or the function is missing, each returns
// ERROR_MOD_NOT_FOUND or ERROR_PROC_NOT_FOUND without calling anything, with
// its buffer output null and its counts 0.
#pragma once

#include "qvplatform.h"

NET_API_STATUS LazyNetUserEnum(LPCWSTR serverName, DWORD level, DWORD filter, LPBYTE* buffer,
                      DWORD preferredMaxLength, LPDWORD entriesRead, LPDWORD totalEntries,
                      LPDWORD resumeHandle);

NET_API_STATUS LazyNetLocalGroupEnum(LPCWSTR serverName, DWORD level, LPBYTE* buffer,
                            DWORD preferredMaxLength, LPDWORD entriesRead,
                            LPDWORD totalEntries, PDWORD_PTR resumeHandle);

NET_API_STATUS LazyNetUserGetLocalGroups(LPCWSTR serverName, LPCWSTR userName, DWORD level, DWORD flags,
                                LPBYTE* buffer, DWORD preferredMaxLength, LPDWORD entriesRead,
                                LPDWORD totalEntries);

NET_API_STATUS LazyNetApiBufferFree(LPVOID buffer);
