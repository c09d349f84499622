// Fuzz targets only: a settings block whose roots do not exist, so nothing a
// request does can reach a real file.
//
// The targets and what they link, with the dev build's libraries (B = the
// build folder, INC = the -I flags of net/ sources in compile_commands.json):
//   status_rep_fuzz.cpp  + net/report_store.cpp                        -lqvplatform
//   request_fuzz.cpp     + net/server_request.cpp remote_users.cpp
//                          report_store.cpp                            -lqvplatform
//   script_fuzz.cpp      + net/script_run.cpp script_actions.cpp request_respond.cpp
//                          server_request.cpp remote_users.cpp report_store.cpp
//                          gui_bridge.cpp remote_server.cpp access_log.cpp
//                          net_binding.cpp server_globals.cpp
//                          $B/core/libqvcore.a                         -lqvplatform -lqv_ui
// each compiled with clang++ -std=c++20 -fsanitize=fuzzer,address,undefined
// $INC and -L$B/dist -Wl,-rpath,$B/dist; seeds in corpus/<target>/ (request_fuzz, script_fuzz,
// status_rep_fuzz).
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
