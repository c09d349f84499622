// "Remote.log".
#include "access_log.h"

#include <strings.h>

#include <cstdio>
#include <filesystem>
#include <mutex>

#include "qvplatform.h"

namespace {

std::mutex g_logLock;
HANDLE g_log = nullptr;

const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                               "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};

// Removes the value after every "Password=" (any case) up to '&', ';', a
// blank or '"'.
std::string CutPasswords(std::string text) {
  static const char kKey[] = "password=";
  for (size_t at = 0; at + 9 <= text.size();) {
    if (strncasecmp(text.c_str() + at, kKey, 9) != 0) {
      ++at;
      continue;
    }
    const size_t from = at + 9;
    const size_t end = text.find_first_of("&; \"", from);
    text.erase(from, end == std::string::npos ? std::string::npos : end - from);
    at = from;
  }
  return text;
}

std::string Printable(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c < 0x20 || c >= 0x7f || c == '"') {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

}  // namespace

std::string FormatAccessLine(uint32_t address, const std::string& user, const std::tm& local,
                             const std::string& pathBelowRoot, const std::string& query, unsigned status) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(&address);
  const std::string shownUser = user.empty() ? "-" : Printable(CutPasswords(user));
  std::string target = CutPasswords(pathBelowRoot);
  if (!query.empty()) target += "?" + CutPasswords(query);
  char head[200];
  std::snprintf(head, sizeof head, "%u.%u.%u.%u - ", bytes[0], bytes[1], bytes[2], bytes[3]);
  char when[100];
  std::snprintf(when, sizeof when, " [%u/%s/%u:%u:%u:%u] ", static_cast<unsigned>(local.tm_mday),
                kMonths[(local.tm_mon % 12 + 12) % 12], static_cast<unsigned>(local.tm_year + 1900),
                static_cast<unsigned>(local.tm_hour), static_cast<unsigned>(local.tm_min),
                static_cast<unsigned>(local.tm_sec));
  return std::string(head) + shownUser + when + "\"GET " + Printable(target) + " HTTP/1.0\" " +
         std::to_string(status) + " 0\r\n";
}

void OpenAccessLog(const char* programDir) {
  std::lock_guard<std::mutex> guard(g_logLock);
  if (g_log != nullptr) return;
  const std::string path = std::string(programDir) + "Remote.log";
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  // The log names the users: the owner's alone.
  char real[1024];
  const DWORD length = GetFinalPathNameByHandleA(file, real, sizeof real, 0);
  if (length > 0 && length < sizeof real) {
    std::string linuxPath(real, length);
    for (char& c : linuxPath) {
      if (c == '\\') c = '/';
    }
    std::error_code ignored;
    std::filesystem::permissions(linuxPath, std::filesystem::perms::owner_read | std::filesystem::perms::owner_write,
                                 std::filesystem::perm_options::replace, ignored);
  }
  SetFilePointer(file, 0, nullptr, FILE_END);
  g_log = file;
}

void CloseAccessLog() {
  std::lock_guard<std::mutex> guard(g_logLock);
  if (g_log == nullptr) return;
  CloseHandle(g_log);
  g_log = nullptr;
}

bool AccessLogOpen() {
  std::lock_guard<std::mutex> guard(g_logLock);
  return g_log != nullptr;
}

void WriteAccessLine(const std::string& line) {
  std::lock_guard<std::mutex> guard(g_logLock);
  if (g_log == nullptr) return;
  SetFilePointer(g_log, 0, nullptr, FILE_END);
  DWORD written = 0;
  WriteFile(g_log, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}
