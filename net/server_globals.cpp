// The settings block of the remote report server.
#include "server_globals.h"

#include <cstdio>
#include <cstring>
#include <mutex>

#include "net_binding.h"
#include "program_paths.h"

namespace {
std::mutex& SettingsLock() {
  static std::mutex lock;
  return lock;
}
}  // namespace

ServerGlobals g_serverGlobals;

ServerGlobals::ServerGlobals() {
  settings_.webUserTimeout = 30;
  settings_.webNoDays = 7;
  settings_.webNoReports = 10;
  settings_.webAllowReport = 1;
}

ServerGlobals::~ServerGlobals() {
  if (librariesLoaded) UnloadNetworkLibraries();
}

void ServerGlobals::EnsureLibraries() {
  if (librariesLoaded) return;
  bindResult_ = g_net.started ? 1 : LoadNetworkBinding();
  librariesLoaded = 1;
}

bool ServerGlobals::LibrariesBound() const { return bindResult_ == 1 && g_net.started == 1; }

RemoteServerSettings ServerGlobals::Settings() const {
  std::lock_guard<std::mutex> guard(SettingsLock());
  return settings_;
}

void ServerGlobals::SetSettings(const RemoteServerSettings& settings) {
  std::lock_guard<std::mutex> guard(SettingsLock());
  settings_ = settings;
}

void ReadServerSettings(RemoteServerSettings* block) {
  std::memset(block, 0, sizeof *block);
  std::snprintf(block->iniPath, sizeof block->iniPath, "%s", GetIniPath());
  std::snprintf(block->programDir, sizeof block->programDir, "%s", GetProgramDir());
  const char* ini = block->iniPath;
  GetPrivateProfileStringA("Defaults", "WebEnable", "FALSE", block->webEnable, sizeof block->webEnable, ini);
  GetPrivateProfileStringA("Defaults", "WebAddress", "", block->webAddress, sizeof block->webAddress, ini);
  GetPrivateProfileStringA("Defaults", "WebAdmin", "", block->webAdmin, sizeof block->webAdmin, ini);
  block->webUserTimeout = static_cast<int32_t>(GetPrivateProfileIntA("Defaults", "WebUserTimeout", 30, ini));
  block->webNoReports = static_cast<int32_t>(GetPrivateProfileIntA("Defaults", "WebNoReports", 10, ini));
  block->webNoDays = static_cast<int32_t>(GetPrivateProfileIntA("Defaults", "WebNoDays", 7, ini));
  block->webLogging = static_cast<int32_t>(GetPrivateProfileIntA("Defaults", "WebLogging", 0, ini));
  block->webAllowReport = static_cast<int32_t>(GetPrivateProfileIntA("Defaults", "WebAllowReport", 0, ini));
  std::snprintf(block->webRoot, sizeof block->webRoot, "%swwwroot", block->programDir);
  std::snprintf(block->usersFolder, sizeof block->usersFolder, "%sReports\\Remote Reports\\users",
                block->programDir);
}
