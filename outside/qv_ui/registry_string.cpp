// String values of the registry.
#include <new>
#include <vector>

#include "qv_ui.h"
#include "qvplatform.h"

QV_API BOOL QVUI_FindRegistryStringData(HKEY root, const char* subKey, const char* valueName,
                                        char* out, DWORD outSize) {
  if (out == nullptr || outSize == 0) return FALSE;
  out[0] = '\0';
  HKEY key = nullptr;
  if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return FALSE;
  // Ask the size first so that a long value is cut rather than refused.
  DWORD type = 0;
  DWORD size = 0;
  LONG result = RegQueryValueExA(key, valueName, nullptr, &type, nullptr, &size);
  std::vector<BYTE> data;
  if (result == ERROR_SUCCESS && (type == REG_SZ || type == REG_EXPAND_SZ)) {
    try {
      data.resize(static_cast<size_t>(size) + 1);
      result = RegQueryValueExA(key, valueName, nullptr, &type, data.data(), &size);
    } catch (const std::bad_alloc&) {
      result = ERROR_NOT_ENOUGH_MEMORY;
    }
  } else if (result == ERROR_SUCCESS) {
    result = ERROR_INVALID_DATA;
  }
  RegCloseKey(key);
  if (result != ERROR_SUCCESS || (type != REG_SZ && type != REG_EXPAND_SZ)) return FALSE;
  DWORD length = 0;
  while (length < size && length + 1 < outSize && data[length] != 0) {
    out[length] = static_cast<char>(data[length]);
    ++length;
  }
  out[length] = '\0';
  return TRUE;
}
