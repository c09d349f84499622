// Fuzz targets only: a settings block whose roots do not exist, so nothing a
// request does can reach a real file.
//
// The targets are built by the fuzz preset (net/fuzz/CMakeLists.txt) and run
// by scripts/fuzz.sh; seeds in corpus/<target>/.
#pragma once

#include <cstdio>
#include <cstring>

#include "server_globals.h"

inline RemoteServerSettings FuzzSettings() {
  RemoteServerSettings settings;
  std::memset(&settings, 0, sizeof settings);
  std::snprintf(settings.programDir, sizeof settings.programDir, "/nonexistent-qv-fuzz/");
  std::snprintf(settings.iniPath, sizeof settings.iniPath, "/nonexistent-qv-fuzz/QUORVANE.INI");
  std::snprintf(settings.webRoot, sizeof settings.webRoot, "/nonexistent-qv-fuzz/wwwroot");
  std::snprintf(settings.usersFolder, sizeof settings.usersFolder,
                "/nonexistent-qv-fuzz/Reports\\Remote Reports\\users");
  return settings;
}
