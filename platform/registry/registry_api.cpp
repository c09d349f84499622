// The Win32 registry calls over the store.
#include <algorithm>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "kernel/handles.h"
#include "qvplatform/registry.h"
#include "registry/registry_store.h"

namespace qvp::registry {
namespace {

// An open key: a handle of the layer's handle table.
struct KeyHandle : KernelObject {
  explicit KeyHandle(std::shared_ptr<Key> k) : key(std::move(k)) {}
  std::shared_ptr<Key> key;
};

// 0 .. 3 for the predefined keys, -1 for anything else. Both the 32-bit and
// the sign-extended 64-bit spellings are taken.
int PredefinedIndex(HKEY h) {
  auto v = reinterpret_cast<uintptr_t>(h);
  uintptr_t high = v >> 32;
  if (high != 0 && high != 0xffffffffu) return -1;
  uintptr_t low = v & 0xffffffffu;
  if (low >= 0x80000000u && low <= 0x80000003u) return static_cast<int>(low - 0x80000000u);
  return -1;
}

LONG Resolve(Session& session, HKEY h, std::shared_ptr<Key>* out) {
  switch (PredefinedIndex(h)) {
    case 0: *out = session.ClassesRoot(); return ERROR_SUCCESS;
    case 1: *out = session.Root(kCurrentUser); return ERROR_SUCCESS;
    case 2: *out = session.Root(kLocalMachine); return ERROR_SUCCESS;
    case 3: *out = session.Root(kUsers); return ERROR_SUCCESS;
    default: break;
  }
  auto handle = LookupHandleAs<KeyHandle>(reinterpret_cast<HANDLE>(h));
  if (!handle) return ERROR_INVALID_HANDLE;
  if (handle->key->deleted) return ERROR_KEY_DELETED;
  *out = handle->key;
  return ERROR_SUCCESS;
}

// Splits "a\b\c" into its names. A trailing '\' is ignored; a leading one or
// an empty name in between is a bad path.
LONG SplitPath(const char* path, std::vector<std::string>* parts) {
  if (!path || !*path) return ERROR_SUCCESS;
  std::string_view rest(path);
  if (rest.front() == '\\') return ERROR_BAD_PATHNAME;
  if (rest.back() == '\\') rest.remove_suffix(1);
  while (!rest.empty()) {
    size_t sep = rest.find('\\');
    std::string_view name = rest.substr(0, sep);
    if (name.empty()) return ERROR_BAD_PATHNAME;
    if (name.size() > kMaxKeyNameLength) return ERROR_INVALID_PARAMETER;
    parts->emplace_back(name);
    if (sep == std::string_view::npos) break;
    rest.remove_prefix(sep + 1);
  }
  return ERROR_SUCCESS;
}

std::shared_ptr<Key> Walk(std::shared_ptr<Key> key, const std::vector<std::string>& parts) {
  for (const std::string& name : parts) {
    key = key->FindChild(name);
    if (!key) return nullptr;
  }
  return key;
}

HKEY NewHandle(std::shared_ptr<Key> key) {
  return reinterpret_cast<HKEY>(InsertHandle(std::make_shared<KeyHandle>(std::move(key))));
}

// Copies data under the size rules of the query calls: a null buffer asks
// for the size; a short buffer gets ERROR_MORE_DATA and the size it needs.
LONG CopyData(const std::vector<BYTE>& data, LPBYTE out, LPDWORD size) {
  if (!size) return ERROR_SUCCESS;
  auto needed = static_cast<DWORD>(data.size());
  if (out) {
    if (*size < needed) {
      *size = needed;
      return ERROR_MORE_DATA;
    }
    if (needed) std::memcpy(out, data.data(), needed);
  }
  *size = needed;
  return ERROR_SUCCESS;
}

// Copies a name into a character buffer of `capacity` characters (NUL included).
bool CopyName(const std::string& name, LPSTR out, DWORD capacity) {
  if (name.size() >= capacity) return false;
  std::memcpy(out, name.c_str(), name.size() + 1);
  return true;
}

}  // namespace
}  // namespace qvp::registry

using namespace qvp::registry;

QV_API LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*ulOptions*/, REGSAM /*samDesired*/, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  std::vector<std::string> parts;
  if (LONG r = SplitPath(lpSubKey, &parts); r != ERROR_SUCCESS) return r;
  Session session(Session::kRead);
  if (session.status() != ERROR_SUCCESS) return session.status();
  std::shared_ptr<Key> key;
  if (LONG r = Resolve(session, hKey, &key); r != ERROR_SUCCESS) return r;
  key = Walk(key, parts);
  if (!key) return ERROR_FILE_NOT_FOUND;
  *phkResult = NewHandle(std::move(key));
  return ERROR_SUCCESS;
}

QV_API LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  if (!phkResult) return ERROR_INVALID_PARAMETER;
  if (!lpSubKey || !*lpSubKey) {
    Session session(Session::kRead);
    if (session.status() != ERROR_SUCCESS) return session.status();
    std::shared_ptr<Key> key;
    if (LONG r = Resolve(session, hKey, &key); r != ERROR_SUCCESS) return r;
    *phkResult = hKey;  // the same handle, as documented
    return ERROR_SUCCESS;
  }
  return RegOpenKeyExA(hKey, lpSubKey, 0, KEY_ALL_ACCESS, phkResult);
}

QV_API LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD /*Reserved*/, LPSTR /*lpClass*/, DWORD /*dwOptions*/,
                            REGSAM /*samDesired*/, LPSECURITY_ATTRIBUTES /*lpSecurityAttributes*/, PHKEY phkResult,
                            LPDWORD lpdwDisposition) {
  if (!phkResult || !lpSubKey) return ERROR_INVALID_PARAMETER;
  *phkResult = nullptr;
  std::vector<std::string> parts;
  if (LONG r = SplitPath(lpSubKey, &parts); r != ERROR_SUCCESS) return r;
  Session session(Session::kWrite);
  if (session.status() != ERROR_SUCCESS) return session.status();
  std::shared_ptr<Key> key;
  if (LONG r = Resolve(session, hKey, &key); r != ERROR_SUCCESS) return r;
  if (Depth(*key) + parts.size() > kMaxKeyDepth) return ERROR_INVALID_PARAMETER;
  bool created = false;
  for (const std::string& name : parts) {
    std::shared_ptr<Key> child = key->FindChild(name);
    if (!child) {
      child = std::make_shared<Key>();
      child->name = name;
      child->parent = key;
      child->last_write = FileTimeNow();
      key->children.emplace(child->name, child);
      key->last_write = child->last_write;
      created = true;
    }
    key = std::move(child);
  }
  if (created) {
    if (LONG r = session.Commit(); r != ERROR_SUCCESS) return r;
  }
  *phkResult = NewHandle(std::move(key));
  if (lpdwDisposition) *lpdwDisposition = created ? REG_CREATED_NEW_KEY : REG_OPENED_EXISTING_KEY;
  return ERROR_SUCCESS;
}

QV_API LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult) {
  if (!lpSubKey || !*lpSubKey) return RegOpenKeyA(hKey, nullptr, phkResult);
  return RegCreateKeyExA(hKey, lpSubKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, phkResult,
                         nullptr);
}

QV_API LONG RegCloseKey(HKEY hKey) {
  if (PredefinedIndex(hKey) >= 0) return ERROR_SUCCESS;
  auto handle = reinterpret_cast<HANDLE>(hKey);
  if (!qvp::LookupHandleAs<KeyHandle>(handle)) return ERROR_INVALID_HANDLE;
  return qvp::RemoveHandle(handle) ? ERROR_SUCCESS : ERROR_INVALID_HANDLE;
}

QV_API LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData) {
  if (lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  Session session(Session::kRead);
  if (session.status() != ERROR_SUCCESS) return session.status();
  std::shared_ptr<Key> key;
  if (LONG r = Resolve(session, hKey, &key); r != ERROR_SUCCESS) return r;
  const Value* value = key->FindValue(lpValueName ? lpValueName : "");
  if (!value) return ERROR_FILE_NOT_FOUND;
  if (lpType) *lpType = value->type;
  return CopyData(value->data, lpData, lpcbData);
}

QV_API LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                           DWORD cbData) {
  if (Reserved != 0 || (!lpData && cbData != 0)) return ERROR_INVALID_PARAMETER;
  Session session(Session::kWrite);
  if (session.status() != ERROR_SUCCESS) return session.status();
  std::shared_ptr<Key> key;
  if (LONG r = Resolve(session, hKey, &key); r != ERROR_SUCCESS) return r;
  Value value;
  value.name = lpValueName ? lpValueName : "";
  value.type = dwType;
  if (cbData) value.data.assign(lpData, lpData + cbData);
  key->SetValue(std::move(value));
  key->last_write = FileTimeNow();
  return session.Commit();
}

QV_API LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                          LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData) {
  if (!lpValueName || !lpcchValueName || lpReserved || (lpData && !lpcbData)) return ERROR_INVALID_PARAMETER;
  Session session(Session::kRead);
  if (session.status() != ERROR_SUCCESS) return session.status();
  std::shared_ptr<Key> key;
  if (LONG r = Resolve(session, hKey, &key); r != ERROR_SUCCESS) return r;
  if (dwIndex >= key->values.size()) return ERROR_NO_MORE_ITEMS;
  const Value& value = key->values[dwIndex];
  if (!CopyName(value.name, lpValueName, *lpcchValueName)) return ERROR_MORE_DATA;
  *lpcchValueName = static_cast<DWORD>(value.name.size());
  if (lpType) *lpType = value.type;
  return CopyData(value.data, lpData, lpcbData);
}

QV_API LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                          LPSTR lpClass, LPDWORD lpcchClass, LPFILETIME lpftLastWriteTime) {
  if (!lpName || !lpcchName || lpReserved) return ERROR_INVALID_PARAMETER;
  Session session(Session::kRead);
  if (session.status() != ERROR_SUCCESS) return session.status();
  std::shared_ptr<Key> key;
  if (LONG r = Resolve(session, hKey, &key); r != ERROR_SUCCESS) return r;
  if (dwIndex >= key->children.size()) return ERROR_NO_MORE_ITEMS;
  const Key& child = *std::next(key->children.begin(), dwIndex)->second;
  if (!CopyName(child.name, lpName, *lpcchName)) return ERROR_MORE_DATA;
  *lpcchName = static_cast<DWORD>(child.name.size());
  if (lpClass && lpcchClass && *lpcchClass > 0) {
    lpClass[0] = '\0';
    *lpcchClass = 0;
  }
  if (lpftLastWriteTime) {
    lpftLastWriteTime->dwLowDateTime = static_cast<DWORD>(child.last_write);
    lpftLastWriteTime->dwHighDateTime = static_cast<DWORD>(child.last_write >> 32);
  }
  return ERROR_SUCCESS;
}

QV_API LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName) {
  return RegEnumKeyExA(hKey, dwIndex, lpName, &cchName, nullptr, nullptr, nullptr, nullptr);
}

QV_API LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName) {
  Session session(Session::kWrite);
  if (session.status() != ERROR_SUCCESS) return session.status();
  std::shared_ptr<Key> key;
  if (LONG r = Resolve(session, hKey, &key); r != ERROR_SUCCESS) return r;
  if (!key->RemoveValue(lpValueName ? lpValueName : "")) return ERROR_FILE_NOT_FOUND;
  key->last_write = FileTimeNow();
  return session.Commit();
}

QV_API LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey) {
  if (!lpSubKey) return ERROR_INVALID_PARAMETER;
  std::vector<std::string> parts;
  if (LONG r = SplitPath(lpSubKey, &parts); r != ERROR_SUCCESS) return r;
  if (parts.empty() && PredefinedIndex(hKey) >= 0) return ERROR_ACCESS_DENIED;
  Session session(Session::kWrite);
  if (session.status() != ERROR_SUCCESS) return session.status();
  std::shared_ptr<Key> key;
  if (LONG r = Resolve(session, hKey, &key); r != ERROR_SUCCESS) return r;
  key = Walk(key, parts);
  if (!key) return ERROR_FILE_NOT_FOUND;
  std::shared_ptr<Key> parent = key->parent.lock();
  // A key with sub-keys stays, as on Windows NT; so do the roots.
  if (!parent || !key->children.empty()) return ERROR_ACCESS_DENIED;
  parent->children.erase(key->name);
  parent->last_write = FileTimeNow();
  MarkDeleted(*key);
  return session.Commit();
}

QV_API LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                             LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                             LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                             LPFILETIME lpftLastWriteTime) {
  if (lpReserved) return ERROR_INVALID_PARAMETER;
  Session session(Session::kRead);
  if (session.status() != ERROR_SUCCESS) return session.status();
  std::shared_ptr<Key> key;
  if (LONG r = Resolve(session, hKey, &key); r != ERROR_SUCCESS) return r;
  if (lpClass && lpcchClass && *lpcchClass > 0) lpClass[0] = '\0';
  if (lpcchClass) *lpcchClass = 0;
  if (lpcSubKeys) *lpcSubKeys = static_cast<DWORD>(key->children.size());
  if (lpcbMaxSubKeyLen) {
    size_t longest = 0;
    for (const auto& [name, child] : key->children) longest = std::max(longest, child->name.size());
    *lpcbMaxSubKeyLen = static_cast<DWORD>(longest);
  }
  if (lpcbMaxClassLen) *lpcbMaxClassLen = 0;
  if (lpcValues) *lpcValues = static_cast<DWORD>(key->values.size());
  size_t longest_name = 0;
  size_t longest_data = 0;
  for (const Value& v : key->values) {
    longest_name = std::max(longest_name, v.name.size());
    longest_data = std::max(longest_data, v.data.size());
  }
  if (lpcbMaxValueNameLen) *lpcbMaxValueNameLen = static_cast<DWORD>(longest_name);
  if (lpcbMaxValueLen) *lpcbMaxValueLen = static_cast<DWORD>(longest_data);
  if (lpcbSecurityDescriptor) *lpcbSecurityDescriptor = 0;
  if (lpftLastWriteTime) {
    lpftLastWriteTime->dwLowDateTime = static_cast<DWORD>(key->last_write);
    lpftLastWriteTime->dwHighDateTime = static_cast<DWORD>(key->last_write >> 32);
  }
  return ERROR_SUCCESS;
}

namespace qvp {

void SetRegistryFile(const char* path) { registry::SetFile(path); }

bool PreloadRegistry(const char* text) { return registry::Preload(text); }

}  // namespace qvp
