#include "netapi_lazy.h"

#include "lazy_module.h"

namespace {

// The shapes of the library's functions, as declared for the platform.
using NetUserEnumFn = decltype(&::NetUserEnum);
using NetLocalGroupEnumFn = decltype(&::NetLocalGroupEnum);
using NetUserGetLocalGroupsFn = decltype(&::NetUserGetLocalGroups);
using NetApiBufferFreeFn = decltype(&::NetApiBufferFree);

LazyModule& NetApi() {
  static LazyModule module("NetApi32.dll");
  return module;
}

// The status for an export that could not be bound, with the outputs cleared.
NET_API_STATUS Missing(LPBYTE* buffer, LPDWORD entriesRead, LPDWORD totalEntries) {
  const NET_API_STATUS status = GetLastError() == ERROR_PROC_NOT_FOUND ? ERROR_PROC_NOT_FOUND
                                                               : ERROR_MOD_NOT_FOUND;
  if (buffer != nullptr) *buffer = nullptr;
  if (entriesRead != nullptr) *entriesRead = 0;
  if (totalEntries != nullptr) *totalEntries = 0;
  return status;
}

}  // namespace

NET_API_STATUS LazyNetUserEnum(LPCWSTR serverName, DWORD level, DWORD filter, LPBYTE* buffer,
                      DWORD preferredMaxLength, LPDWORD entriesRead, LPDWORD totalEntries,
                      LPDWORD resumeHandle) {
  static LazyProc proc(NetApi(), "NetUserEnum");
  auto fn = proc.As<NetUserEnumFn>();
  if (fn == nullptr) return Missing(buffer, entriesRead, totalEntries);
  return fn(serverName, level, filter, buffer, preferredMaxLength, entriesRead, totalEntries,
            resumeHandle);
}

NET_API_STATUS LazyNetLocalGroupEnum(LPCWSTR serverName, DWORD level, LPBYTE* buffer,
                            DWORD preferredMaxLength, LPDWORD entriesRead,
                            LPDWORD totalEntries, PDWORD_PTR resumeHandle) {
  static LazyProc proc(NetApi(), "NetLocalGroupEnum");
  auto fn = proc.As<NetLocalGroupEnumFn>();
  if (fn == nullptr) return Missing(buffer, entriesRead, totalEntries);
  return fn(serverName, level, buffer, preferredMaxLength, entriesRead, totalEntries,
            resumeHandle);
}

NET_API_STATUS LazyNetUserGetLocalGroups(LPCWSTR serverName, LPCWSTR userName, DWORD level, DWORD flags,
                                LPBYTE* buffer, DWORD preferredMaxLength, LPDWORD entriesRead,
                                LPDWORD totalEntries) {
  static LazyProc proc(NetApi(), "NetUserGetLocalGroups");
  auto fn = proc.As<NetUserGetLocalGroupsFn>();
  if (fn == nullptr) return Missing(buffer, entriesRead, totalEntries);
  return fn(serverName, userName, level, flags, buffer, preferredMaxLength, entriesRead,
            totalEntries);
}

NET_API_STATUS LazyNetApiBufferFree(LPVOID buffer) {
  static LazyProc proc(NetApi(), "NetApiBufferFree");
  auto fn = proc.As<NetApiBufferFreeFn>();
  if (fn == nullptr) return Missing(nullptr, nullptr, nullptr);
  return fn(buffer);
}
