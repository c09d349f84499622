// Logscout's own binding of the socket library and "FTP4W32.DLL": the 22
// socket entry points and 17 FTP entry points (no FtpCWD), looked up by name.
// FtpInit is never called, nor FtpRelease.
#pragma once

#include "ftp4w32.h"
#include "qvplatform.h"

struct LogscoutNet {
  HMODULE sockets = nullptr;
  HMODULE ftp = nullptr;
  FARPROC socketCalls[22] = {};
  PFN_FtpRelease FtpRelease = nullptr;
  PFN_FtpInit FtpInit = nullptr;
  PFN_FtpBytesToBeTransferred FtpBytesToBeTransferred = nullptr;
  PFN_FtpSetDefaultPort FtpSetDefaultPort = nullptr;
  PFN_FtpSetDefaultTimeOut FtpSetDefaultTimeOut = nullptr;
  PFN_FtpLogin FtpLogin = nullptr;
  PFN_FtpOpenConnection FtpOpenConnection = nullptr;
  PFN_FtpCloseConnection FtpCloseConnection = nullptr;
  PFN_FtpLocalClose FtpLocalClose = nullptr;
  PFN_FtpRecvFile FtpRecvFile = nullptr;
  PFN_FtpSendFile FtpSendFile = nullptr;
  PFN_FtpDir FtpDir = nullptr;
  PFN_FtpSetAsynchronousMode FtpSetAsynchronousMode = nullptr;
  PFN_FtpSetSynchronousMode FtpSetSynchronousMode = nullptr;
  PFN_FtpAbort FtpAbort = nullptr;
  PFN_FtpPWD FtpPWD = nullptr;
  PFN_FtpSetPassiveMode FtpSetPassiveMode = nullptr;
};

// The library's table (one per process; the library is single-threaded).
LogscoutNet& Net();

// 1 when both libraries are loaded, every entry point bound and the sockets
// started (version 1.1); 0 otherwise, with nothing left loaded.
int BindLogscoutNet();
// Frees what is loaded: the sockets after WSACleanup, the FTP library as it is.
void UnbindLogscoutNet();
