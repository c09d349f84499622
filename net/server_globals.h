// The remote report server's settings block and the holder whose lifetime
// frames the network libraries'.
#pragma once

#include <cstdint>

#include "qvplatform.h"

struct RemoteServerSettings {
  char programDir[200];  // with its trailing separator
  char webEnable[10];
  char webAddress[100];
  char webAdmin[100];
  int32_t webUserTimeout;  // minutes
  int32_t webNoDays;
  int32_t webNoReports;
  int32_t webLogging;
  int32_t webAllowReport;
  char iniPath[260];
  char webRoot[260];      // program folder + "wwwroot"
  char usersFolder[260];  // program folder + "Reports\Remote Reports\users"
};

class ServerGlobals {
 public:
  ServerGlobals();
  ~ServerGlobals();
  ServerGlobals(const ServerGlobals&) = delete;
  ServerGlobals& operator=(const ServerGlobals&) = delete;

  // Binds the network libraries on the first call only; a failed first
  // binding is not tried again.
  void EnsureLibraries();
  bool LibrariesBound() const;

  // The block is read by the server's threads while the GUI thread re-reads
  // the settings: both go through these, under a lock.
  RemoteServerSettings Settings() const;
  void SetSettings(const RemoteServerSettings& settings);

  int32_t librariesLoaded = 0;

 private:
  RemoteServerSettings settings_{};
  int bindResult_ = 0;
};

extern ServerGlobals g_serverGlobals;

// Reads the eight [Defaults] Web* keys (and the paths) into a block.
void ReadServerSettings(RemoteServerSettings* block);
