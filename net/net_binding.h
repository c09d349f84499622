// The network library binding: the socket library "WSOCK32.DLL" and the FTP
// client "FTP4W32.DLL" are loaded by name and every entry point the network
// services use is bound into one process-wide table. The table is written
// only by LoadNetworkBinding (on the GUI thread) and read by everyone after a
// complete binding; it does not change while the server runs.
#pragma once

#include "qvplatform.h"

using PFN_WSACleanup = int(WINAPI*)(void);
using PFN_WSAStartup = int(WINAPI*)(WORD, LPWSADATA);
using PFN_WSAAsyncSelect = int(WINAPI*)(SOCKET, HWND, u_int, LONG);
using PFN_WSACancelAsyncRequest = int(WINAPI*)(HANDLE);
using PFN_connect = int(WINAPI*)(SOCKET, const sockaddr*, int);
using PFN_socket = SOCKET(WINAPI*)(int, int, int);
using PFN_gethostbyname = hostent*(WINAPI*)(const char*);
using PFN_WSAAsyncGetHostByAddr = HANDLE(WINAPI*)(HWND, u_int, const char*, int, int, char*, int);
using PFN_gethostbyaddr = hostent*(WINAPI*)(const char*, int, int);
using PFN_send = int(WINAPI*)(SOCKET, const char*, int, int);
using PFN_recv = int(WINAPI*)(SOCKET, char*, int, int);
using PFN_closesocket = int(WINAPI*)(SOCKET);
using PFN_htons = u_short(WINAPI*)(u_short);
using PFN_getsockopt = int(WINAPI*)(SOCKET, int, int, char*, int*);
using PFN_inet_addr = u_long(WINAPI*)(const char*);
using PFN_WSAGetLastError = int(WINAPI*)(void);
using PFN_ioctlsocket = int(WINAPI*)(SOCKET, LONG, u_long*);
using PFN_gethostname = int(WINAPI*)(char*, int);
using PFN_bind = int(WINAPI*)(SOCKET, const sockaddr*, int);
using PFN_select = int(WINAPI*)(int, fd_set*, fd_set*, fd_set*, const timeval*);
using PFN_listen = int(WINAPI*)(SOCKET, int);
using PFN_accept = SOCKET(WINAPI*)(SOCKET, sockaddr*, int*);

using PFN_FtpRelease = int(WINAPI*)(void);
using PFN_FtpInit = int(WINAPI*)(HWND);
using PFN_FtpBytesToBeTransferred = long(WINAPI*)(void);
using PFN_FtpSetDefaultPort = int(WINAPI*)(int);
using PFN_FtpSetDefaultTimeOut = int(WINAPI*)(int);
using PFN_FtpLogin = int(WINAPI*)(LPCSTR, LPCSTR, LPCSTR, HWND, UINT);
using PFN_FtpOpenConnection = int(WINAPI*)(LPCSTR);
using PFN_FtpCloseConnection = int(WINAPI*)(void);
using PFN_FtpLocalClose = int(WINAPI*)(void);
using PFN_FtpRecvFile = int(WINAPI*)(LPCSTR, LPCSTR, char, BOOL, HWND, UINT);
using PFN_FtpSendFile = int(WINAPI*)(LPCSTR, LPCSTR, char, BOOL, HWND, UINT);
using PFN_FtpDir = int(WINAPI*)(LPCSTR, LPCSTR, BOOL, HWND, UINT);
using PFN_FtpSetAsynchronousMode = int(WINAPI*)(void);
using PFN_FtpSetSynchronousMode = int(WINAPI*)(void);
using PFN_FtpAbort = int(WINAPI*)(void);
using PFN_FtpPWD = int(WINAPI*)(LPSTR, UINT);
using PFN_FtpSetPassiveMode = int(WINAPI*)(BOOL);
using PFN_FtpCWD = int(WINAPI*)(LPCSTR);

// The table of entry points, in the order they are looked up.
struct NetworkEntryPoints {
  HMODULE socketLibrary;
  HMODULE ftpLibrary;
  PFN_WSACleanup WSACleanup;
  PFN_WSAStartup WSAStartup;
  PFN_WSAAsyncSelect WSAAsyncSelect;
  PFN_WSACancelAsyncRequest WSACancelAsyncRequest;
  PFN_connect connect;
  PFN_socket socket;
  PFN_gethostbyname gethostbyname;
  PFN_WSAAsyncGetHostByAddr WSAAsyncGetHostByAddr;
  PFN_gethostbyaddr gethostbyaddr;
  PFN_send send;
  PFN_recv recv;
  PFN_closesocket closesocket;
  PFN_htons htons;
  PFN_getsockopt getsockopt;
  PFN_inet_addr inet_addr;
  PFN_WSAGetLastError WSAGetLastError;
  PFN_ioctlsocket ioctlsocket;
  PFN_gethostname gethostname;
  PFN_bind bind;
  PFN_select select;
  PFN_listen listen;
  PFN_accept accept;
  PFN_FtpRelease FtpRelease;
  PFN_FtpInit FtpInit;
  PFN_FtpBytesToBeTransferred FtpBytesToBeTransferred;
  PFN_FtpSetDefaultPort FtpSetDefaultPort;
  PFN_FtpSetDefaultTimeOut FtpSetDefaultTimeOut;
  PFN_FtpLogin FtpLogin;
  PFN_FtpOpenConnection FtpOpenConnection;
  PFN_FtpCloseConnection FtpCloseConnection;
  PFN_FtpLocalClose FtpLocalClose;
  PFN_FtpRecvFile FtpRecvFile;
  PFN_FtpSendFile FtpSendFile;
  PFN_FtpDir FtpDir;
  PFN_FtpSetAsynchronousMode FtpSetAsynchronousMode;
  PFN_FtpSetSynchronousMode FtpSetSynchronousMode;
  PFN_FtpAbort FtpAbort;
  PFN_FtpPWD FtpPWD;
  PFN_FtpSetPassiveMode FtpSetPassiveMode;
  PFN_FtpCWD FtpCWD;
  WSADATA startData;
  // 1 after a complete binding with both libraries started.
  int started;
};

extern NetworkEntryPoints g_net;

// The 22 socket names, then the 18 FTP names, in binding order.
extern const char* const kSocketEntryNames[22];
extern const char* const kFtpEntryNames[18];

// 1 when both libraries are loaded, all 40 entry points bound and both
// libraries started; 0 otherwise, with nothing left loaded. A failed start of
// either library counts as a failed binding (the server must not run on it).
int LoadNetworkBinding();
// Stops and frees what is loaded; safe when nothing is.
void UnloadNetworkLibraries();

// The message text of an FTP library result code, or "" for an unknown code.
void FtpErrorText(int code, char* out, int outSize);
// The string id of an FTP result code's text, or 0 when there is none.
UINT FtpErrorStringId(int code);
