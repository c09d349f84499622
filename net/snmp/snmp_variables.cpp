// The four variables the agent reads and the one it may set.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

#include "program_paths.h"
#include "server_globals.h"
#include "settings_keys.h"
#include "settings_values.h"
#include "snmp_link.h"
#include "snmp_link_internal.h"

namespace {

std::mutex g_titleLock;
std::string g_panelTitle;  // guarded by g_titleLock

void SetText(SnmpRecord* record, uint32_t type, const char* text) {
  std::snprintf(record->value, sizeof record->value, "%s", text);
  record->type = type;
  record->error = kSnmpNoError;
}

// "4.0": 2 while the remote report server is enabled by its loaded settings
// (as the server's last apply read them), else 1.
int WebEnabledValue() {
  const RemoteServerSettings loaded = g_serverGlobals.Settings();
  const std::string enable(loaded.webEnable, strnlen(loaded.webEnable, sizeof loaded.webEnable));
  return IsWebEnabledValue(enable.c_str()) ? 2 : 1;
}

// "5.0": the port after ':' in the loaded WebAddress, else 99.
int WebPortValue() {
  const RemoteServerSettings loaded = g_serverGlobals.Settings();
  const std::string address(loaded.webAddress, strnlen(loaded.webAddress, sizeof loaded.webAddress));
  const size_t colon = address.find(':');
  return colon == std::string::npos ? 99 : std::atoi(address.c_str() + colon + 1);
}

bool IsWindowsNt() {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  return GetVersionExA(&version) && version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// A set of "4.0": 2 switches the server on, 1 off; anything else is refused.
void SetWebEnabled(SnmpRecord* record) {
  record->error = kSnmpSetRefused;
  if (!IsWindowsNt()) return;
  const char* value = record->value;
  if (std::strcmp(value, "2") != 0 && std::strcmp(value, "1") != 0) return;
  const bool enable = value[0] == '2';
  if (!WritePrivateProfileStringA(ini::kDefaults, ini::kWebEnable, enable ? "TRUE" : "FALSE", GetIniPath())) return;
  // The server is switched on the program's own thread, never on this one.
  HandSnmpApplyToGuiThread();
  record->error = kSnmpNoError;
}

}  // namespace

void KeepSnmpPanelTitle(const char* title) {
  std::lock_guard<std::mutex> hold(g_titleLock);
  g_panelTitle = title != nullptr ? title : "";
}

int MatchSnmpVariable(SnmpRecord* record, const char* id) {
  switch (record->kind) {
    case kSnmpGet:
      return std::strcmp(record->id, id) == 0 ? 1 : 0;
    case kSnmpGetNext:
      if (std::strcmp(record->id, id) < 0) {
        std::snprintf(record->id, sizeof record->id, "%s", id);
        return 1;
      }
      return 0;
    case kSnmpSet:
      return std::strcmp(record->id, id) == 0 ? 2 : 0;
    default:
      return 0;
  }
}

void HandleSnmpRequest(SnmpRecord* record) {
  // The record came from another process: its texts end within their fields.
  record->id[sizeof record->id - 1] = '\0';
  record->value[sizeof record->value - 1] = '\0';
  static const char* const kIds[] = {"2.0", "3.0", "4.0", "5.0"};
  for (const char* id : kIds) {
    const int match = MatchSnmpVariable(record, id);
    if (match == 0) continue;
    if (match == 2) {
      if (std::strcmp(id, "4.0") == 0) {
        SetWebEnabled(record);
      } else {
        record->error = kSnmpNoSuchVariable;  // read-only
      }
      return;
    }
    char number[16];
    if (std::strcmp(id, "2.0") == 0) {
      SetText(record, kSnmpText, "2");
    } else if (std::strcmp(id, "3.0") == 0) {
      std::lock_guard<std::mutex> hold(g_titleLock);
      SetText(record, kSnmpText, g_panelTitle.c_str());
    } else if (std::strcmp(id, "4.0") == 0) {
      std::snprintf(number, sizeof number, "%d", WebEnabledValue());
      SetText(record, kSnmpInteger, number);
    } else {
      std::snprintf(number, sizeof number, "%d", WebPortValue());
      SetText(record, kSnmpInteger, number);
    }
    return;
  }
  record->error = kSnmpNoSuchVariable;
}
