// The profile-string calls over settings files.
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "files/win_error.h"
#include "ini/ini_text.h"
#include "ini/profile_file.h"
#include "qvplatform/ini.h"
#include "qvplatform/kernel.h"

namespace {

using qvp::ini::IniText;

constexpr const char* kWinIni = "WIN.INI";

// The text of the file, or empty (with the last error set) when it cannot be read.
std::string LoadText(LPCSTR file_name) {
  qvp::ini::ProfileContent direct = qvp::ini::ReadProfileAsWritten(file_name == nullptr ? kWinIni : file_name);
  if (direct.exists) return std::move(direct.text);
  qvp::ini::ProfileLocation where = qvp::ini::LocateProfile(file_name);
  if (where.error != ERROR_SUCCESS) {
    SetLastError(where.error);
    return {};
  }
  qvp::ini::ProfileContent content = qvp::ini::ReadProfile(where);
  if (!content.exists) SetLastError(content.error);
  return std::move(content.text);
}

BOOL Update(LPCSTR file_name, const std::function<bool(IniText&)>& edit) {
  qvp::ini::ProfileLocation where = qvp::ini::LocateProfile(file_name);
  if (where.error != ERROR_SUCCESS) return qvp::FailWith(where.error);
  DWORD error = qvp::ini::UpdateProfile(where, edit);
  if (error != ERROR_SUCCESS) return qvp::FailWith(error);
  return TRUE;
}

// A value into the caller's buffer (nSize > 0): truncated to nSize - 1 characters.
DWORD CopyValue(std::string_view value, LPSTR buffer, DWORD size) {
  const size_t n = value.size() < size ? value.size() : size - 1;
  std::memcpy(buffer, value.data(), n);
  buffer[n] = '\0';
  return static_cast<DWORD>(n);
}

// A list of strings, each ended by a NUL, then one more NUL. When it does not
// fit, as much as fits with two NULs at the end, and nSize - 2.
DWORD CopyList(const std::vector<std::string>& items, LPSTR buffer, DWORD size) {
  std::string list;
  for (const std::string& item : items) {
    list += item;
    list += '\0';
  }
  if (list.size() < size) {
    std::memcpy(buffer, list.data(), list.size());
    buffer[list.size()] = '\0';
    if (list.empty() && size > 1) buffer[1] = '\0';
    return static_cast<DWORD>(list.size());
  }
  if (size < 2) {
    buffer[0] = '\0';
    return 0;
  }
  std::memcpy(buffer, list.data(), size - 2);
  buffer[size - 2] = '\0';
  buffer[size - 1] = '\0';
  return size - 2;
}

std::string TrimTrailingBlanks(const char* text) {
  std::string out = text ? text : "";
  while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
  return out;
}

bool HasLineBreak(std::string_view text) { return text.find_first_of("\r\n") != std::string_view::npos; }

// Names and values that would read back as something else are refused.
bool IsWritableSection(const char* section) {
  return !HasLineBreak(section) && std::strchr(section, ']') == nullptr;
}

bool IsWritableKey(const char* key) {
  std::string_view trimmed = qvp::ini::Trim(key);
  return !HasLineBreak(key) && trimmed.find('=') == std::string_view::npos &&
         (trimmed.empty() || (trimmed.front() != '[' && trimmed.front() != ';'));
}

// Windows' integer reading: blanks, an optional sign, then the decimal digits
// that follow; a value without digits is 0. Beyond 32 bits the magnitude stays
// at the largest value.
UINT ParseLeadingInt(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
  uint64_t magnitude = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    magnitude = magnitude * 10 + static_cast<uint64_t>(text[i] - '0');
    if (magnitude > 0xFFFFFFFFull) magnitude = 0xFFFFFFFFull;
  }
  const uint32_t low = static_cast<uint32_t>(magnitude);
  return negative ? 0u - low : low;
}

}  // namespace

DWORD GetPrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                               DWORD nSize, LPCSTR lpFileName) {
  return qvp::NoThrow<DWORD>(0, [&]() -> DWORD {
    if (lpReturnedString == nullptr || nSize == 0) return 0;
    lpReturnedString[0] = '\0';  // what the caller finds should reading fail
    IniText text(LoadText(lpFileName));
    if (lpAppName == nullptr) return CopyList(text.SectionNames(), lpReturnedString, nSize);
    if (lpKeyName == nullptr) return CopyList(text.KeyNames(lpAppName), lpReturnedString, nSize);
    std::optional<std::string> value = text.Value(lpAppName, lpKeyName);
    return CopyValue(value ? *value : TrimTrailingBlanks(lpDefault), lpReturnedString, nSize);
  });
}

UINT GetPrivateProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault, LPCSTR lpFileName) {
  return qvp::NoThrow<UINT>(static_cast<UINT>(nDefault), [&]() -> UINT {
    if (lpAppName == nullptr || lpKeyName == nullptr) return static_cast<UINT>(nDefault);
    std::optional<std::string> value = IniText(LoadText(lpFileName)).Value(lpAppName, lpKeyName);
    if (!value || value->empty()) return static_cast<UINT>(nDefault);
    return ParseLeadingInt(*value);
  });
}

BOOL WritePrivateProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString, LPCSTR lpFileName) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (lpAppName == nullptr) {
      // All null asks to flush a cache; there is none.
      return lpKeyName == nullptr && lpString == nullptr ? TRUE : qvp::FailWith(ERROR_INVALID_PARAMETER);
    }
    if (!IsWritableSection(lpAppName) || (lpKeyName && !IsWritableKey(lpKeyName)) ||
        (lpString && HasLineBreak(lpString))) {
      return qvp::FailWith(ERROR_INVALID_PARAMETER);
    }
    return Update(lpFileName, [&](IniText& text) {
      if (lpKeyName == nullptr) return text.DeleteSection(lpAppName);
      if (lpString == nullptr) return text.DeleteKey(lpAppName, lpKeyName);
      return text.SetValue(lpAppName, lpKeyName, lpString);
    });
  });
}

DWORD GetPrivateProfileSectionA(LPCSTR lpAppName, LPSTR lpReturnedString, DWORD nSize, LPCSTR lpFileName) {
  return qvp::NoThrow<DWORD>(0, [&]() -> DWORD {
    if (lpReturnedString == nullptr || nSize == 0) return 0;
    if (lpAppName == nullptr) {
      CopyList({}, lpReturnedString, nSize);
      qvp::FailWith(ERROR_INVALID_PARAMETER);
      return 0;
    }
    return CopyList(IniText(LoadText(lpFileName)).SectionLines(lpAppName), lpReturnedString, nSize);
  });
}

BOOL WritePrivateProfileSectionA(LPCSTR lpAppName, LPCSTR lpString, LPCSTR lpFileName) {
  return qvp::NoThrow<BOOL>(FALSE, [&]() -> BOOL {
    if (lpAppName == nullptr || !IsWritableSection(lpAppName)) return qvp::FailWith(ERROR_INVALID_PARAMETER);
    std::vector<std::string> lines;
    if (lpString != nullptr) {
      for (const char* line = lpString; *line != '\0'; line += std::strlen(line) + 1) {
        std::string_view trimmed = qvp::ini::Trim(line);
        if (HasLineBreak(line) || (!trimmed.empty() && trimmed.front() == '[')) {
          return qvp::FailWith(ERROR_INVALID_PARAMETER);
        }
        lines.emplace_back(line);
      }
    }
    return Update(lpFileName, [&](IniText& text) {
      return lpString == nullptr ? text.DeleteSection(lpAppName) : text.ReplaceSection(lpAppName, lines);
    });
  });
}

DWORD GetProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpDefault, LPSTR lpReturnedString,
                        DWORD nSize) {
  return GetPrivateProfileStringA(lpAppName, lpKeyName, lpDefault, lpReturnedString, nSize, kWinIni);
}

UINT GetProfileIntA(LPCSTR lpAppName, LPCSTR lpKeyName, INT nDefault) {
  return GetPrivateProfileIntA(lpAppName, lpKeyName, nDefault, kWinIni);
}

BOOL WriteProfileStringA(LPCSTR lpAppName, LPCSTR lpKeyName, LPCSTR lpString) {
  return WritePrivateProfileStringA(lpAppName, lpKeyName, lpString, kWinIni);
}
