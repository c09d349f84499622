// Logscout's binder of the network libraries.
#include "logscout_binder.h"

namespace {

const char* const kSocketNames[22] = {
    "WSACleanup",   "WSAStartup",    "WSAAsyncSelect", "WSACancelAsyncRequest", "connect", "socket",
    "gethostbyname", "WSAAsyncGetHostByAddr", "gethostbyaddr", "send", "recv", "closesocket", "htons",
    "getsockopt",   "inet_addr",     "WSAGetLastError", "ioctlsocket", "gethostname", "bind", "select",
    "listen",       "accept"};

template <typename F>
bool Bind(HMODULE module, const char* name, F* slot) {
  *slot = reinterpret_cast<F>(GetProcAddress(module, name));
  return *slot != nullptr;
}

typedef int(WINAPI* PFN_WSAStartup)(WORD, WSADATA*);
typedef int(WINAPI* PFN_WSACleanup)(void);
WSADATA g_startup;

}  // namespace

LogscoutNet& Net() {
  static LogscoutNet net;
  return net;
}

int BindLogscoutNet() {
  LogscoutNet& n = Net();
  n.sockets = LoadLibraryA("WSOCK32.DLL");
  if (n.sockets == nullptr) return 0;
  for (int i = 0; i < 22; ++i) {
    n.socketCalls[i] = GetProcAddress(n.sockets, kSocketNames[i]);
    if (n.socketCalls[i] == nullptr) {
      FreeLibrary(n.sockets);
      n.sockets = nullptr;
      return 0;
    }
  }
  n.ftp = LoadLibraryA("FTP4W32.DLL");
  if (n.ftp == nullptr) {
    FreeLibrary(n.sockets);
    n.sockets = nullptr;
    return 0;
  }
  const bool all = Bind(n.ftp, "FtpRelease", &n.FtpRelease) && Bind(n.ftp, "FtpInit", &n.FtpInit) &&
                   Bind(n.ftp, "FtpBytesToBeTransferred", &n.FtpBytesToBeTransferred) &&
                   Bind(n.ftp, "FtpSetDefaultPort", &n.FtpSetDefaultPort) &&
                   Bind(n.ftp, "FtpSetDefaultTimeOut", &n.FtpSetDefaultTimeOut) && Bind(n.ftp, "FtpLogin", &n.FtpLogin) &&
                   Bind(n.ftp, "FtpOpenConnection", &n.FtpOpenConnection) &&
                   Bind(n.ftp, "FtpCloseConnection", &n.FtpCloseConnection) &&
                   Bind(n.ftp, "FtpLocalClose", &n.FtpLocalClose) && Bind(n.ftp, "FtpRecvFile", &n.FtpRecvFile) &&
                   Bind(n.ftp, "FtpSendFile", &n.FtpSendFile) && Bind(n.ftp, "FtpDir", &n.FtpDir) &&
                   Bind(n.ftp, "FtpSetAsynchronousMode", &n.FtpSetAsynchronousMode) &&
                   Bind(n.ftp, "FtpSetSynchronousMode", &n.FtpSetSynchronousMode) &&
                   Bind(n.ftp, "FtpAbort", &n.FtpAbort) && Bind(n.ftp, "FtpPWD", &n.FtpPWD) &&
                   Bind(n.ftp, "FtpSetPassiveMode", &n.FtpSetPassiveMode);
  if (!all) {
    FreeLibrary(n.ftp);
    FreeLibrary(n.sockets);
    n.ftp = nullptr;
    n.sockets = nullptr;
    return 0;
  }
  reinterpret_cast<PFN_WSAStartup>(n.socketCalls[1])(0x0101, &g_startup);
  return 1;
}

void UnbindLogscoutNet() {
  LogscoutNet& n = Net();
  if (n.sockets != nullptr) {
    reinterpret_cast<PFN_WSACleanup>(n.socketCalls[0])();
    FreeLibrary(n.sockets);
    n.sockets = nullptr;
  }
  if (n.ftp != nullptr) {
    FreeLibrary(n.ftp);
    n.ftp = nullptr;
  }
}
