// The socket and FTP libraries, loaded by name and bound into g_net.
#include "net_binding.h"

#include <cstring>

#include "app_globals.h"
#include "app/pending_links.h"
#include "res_text.h"

NetworkEntryPoints g_net{};

const char* const kSocketEntryNames[22] = {
    "WSACleanup", "WSAStartup", "WSAAsyncSelect", "WSACancelAsyncRequest", "connect", "socket",
    "gethostbyname", "WSAAsyncGetHostByAddr", "gethostbyaddr", "send", "recv", "closesocket",
    "htons", "getsockopt", "inet_addr", "WSAGetLastError", "ioctlsocket", "gethostname",
    "bind", "select", "listen", "accept"};

const char* const kFtpEntryNames[18] = {
    "FtpRelease", "FtpInit", "FtpBytesToBeTransferred", "FtpSetDefaultPort", "FtpSetDefaultTimeOut",
    "FtpLogin", "FtpOpenConnection", "FtpCloseConnection", "FtpLocalClose", "FtpRecvFile",
    "FtpSendFile", "FtpDir", "FtpSetAsynchronousMode", "FtpSetSynchronousMode", "FtpAbort",
    "FtpPWD", "FtpSetPassiveMode", "FtpCWD"};

namespace {

// Looks up `count` names into consecutive slots; false when one is missing.
bool BindAll(HMODULE module, const char* const* names, int count, void* firstSlot) {
  FARPROC found[22] = {};
  for (int i = 0; i < count; ++i) {
    found[i] = GetProcAddress(module, names[i]);
    if (found[i] == nullptr) return false;
  }
  std::memcpy(firstSlot, found, sizeof(FARPROC) * static_cast<size_t>(count));
  return true;
}

void ClearTable() {
  const WSADATA keep = g_net.startData;
  g_net = NetworkEntryPoints{};
  g_net.startData = keep;
}

}  // namespace

static_assert(sizeof(PFN_WSACleanup) == sizeof(FARPROC));

int LoadNetworkBinding() {
  HMODULE sockets = LoadLibraryA("WSOCK32.DLL");
  if (sockets == nullptr) return 0;
  NetworkEntryPoints table{};
  if (!BindAll(sockets, kSocketEntryNames, 22, &table.WSACleanup)) {
    FreeLibrary(sockets);
    return 0;
  }
  HMODULE ftp = LoadLibraryA("FTP4W32.DLL");
  if (ftp == nullptr) {
    FreeLibrary(sockets);
    return 0;
  }
  if (!BindAll(ftp, kFtpEntryNames, 18, &table.FtpRelease)) {
    FreeLibrary(ftp);
    FreeLibrary(sockets);
    return 0;
  }
  // A second binding loads both again (their counts rise) and overwrites the
  // table with the same entry points; the earlier references are given back
  // so that one unloading frees everything.
  HMODULE oldSockets = g_net.socketLibrary;
  HMODULE oldFtp = g_net.ftpLibrary;
  const int wasStarted = g_net.started;
  table.socketLibrary = sockets;
  table.ftpLibrary = ftp;
  if (wasStarted) {
    table.startData = g_net.startData;
    table.started = 1;
    g_net = table;
    FreeLibrary(oldSockets);
    FreeLibrary(oldFtp);
    return 1;
  }
  const int ftpResult = table.FtpInit(nullptr);
  const int wsaResult = table.WSAStartup(0x0101, &table.startData);
  if (ftpResult != 0 || wsaResult != 0) {
    OutputDebugStringA("Network libraries: a library failed to start\r\n");
    if (wsaResult == 0) table.WSACleanup();
    if (ftpResult == 0) table.FtpRelease();
    FreeLibrary(ftp);
    FreeLibrary(sockets);
    return 0;
  }
  table.started = 1;
  g_net = table;
  return 1;
}

void UnloadNetworkLibraries() {
  if (g_net.socketLibrary != nullptr) {
    if (g_net.started && g_net.WSACleanup != nullptr) g_net.WSACleanup();
    FreeLibrary(g_net.socketLibrary);
    g_net.socketLibrary = nullptr;
  }
  if (g_net.ftpLibrary != nullptr) {
    if (g_net.started && g_net.FtpRelease != nullptr) g_net.FtpRelease();
    FreeLibrary(g_net.ftpLibrary);
    g_net.ftpLibrary = nullptr;
  }
  ClearTable();
  g_app.networkLibraries = false;
}

// Start-up's step: the binding, remembered in the program's globals.
void LoadNetworkLibraries() { g_app.networkLibraries = LoadNetworkBinding() == 1; }

UINT FtpErrorStringId(int code) {
  if (code == 1) return 5540;
  if (code == 2) return 5541;
  if (code == -1) return 5542;
  if (code >= 1000 && code <= 1013) return static_cast<UINT>(code - 1000 + 5543);
  if (code >= 2001 && code <= 2007) return static_cast<UINT>(code - 2001 + 5557);
  if (code == 3001 || code == 3002) return static_cast<UINT>(code - 3001 + 5564);
  if (code >= 5002 && code <= 5005) return static_cast<UINT>(code - 5002 + 5566);
  return 0;
}

void FtpErrorText(int code, char* out, int outSize) {
  if (out == nullptr || outSize < 1) return;
  out[0] = '\0';
  const UINT id = FtpErrorStringId(code);
  if (id != 0) LoadResText(id, out, outSize);
}
