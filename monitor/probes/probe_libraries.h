// The system libraries some tests bind by name at run time: "icmp.dll" for
// the ICMP echo, "ODBC32.DLL" for the data-source log-on and "WININET.DLL" for
// the web page fetch. Each is loaded at its first use and kept; a test holds a
// reference to the binding it uses, so that unloading never pulls a library
// from under a running test.
#pragma once

#include <memory>

#include "qvplatform.h"

// The ODBC driver manager's calls, as documented for 64-bit builds.
using SQLHANDLE = void*;
using SQLHENV = SQLHANDLE;
using SQLHDBC = SQLHANDLE;
using SQLHWND = void*;
using SQLRETURN = short;
using SQLSMALLINT = short;
using SQLUSMALLINT = unsigned short;
using SQLINTEGER = int;
using SQLCHAR = unsigned char;
using SQLPOINTER = void*;

inline constexpr SQLRETURN SQL_SUCCESS = 0;
inline constexpr SQLRETURN SQL_SUCCESS_WITH_INFO = 1;
inline constexpr SQLSMALLINT SQL_NTS = -3;
inline constexpr SQLINTEGER SQL_ATTR_LOGIN_TIMEOUT = 103;
inline constexpr SQLINTEGER SQL_IS_UINTEGER = -5;

struct IcmpLibrary {
  HMODULE module = nullptr;
  HANDLE(WINAPI* createFile)() = nullptr;
  DWORD(WINAPI* sendEcho)(HANDLE, IPAddr, LPVOID, WORD, PIP_OPTION_INFORMATION, LPVOID, DWORD, DWORD) = nullptr;
  BOOL(WINAPI* closeHandle)(HANDLE) = nullptr;
  ~IcmpLibrary();
};

struct OdbcLibrary {
  HMODULE module = nullptr;
  SQLRETURN (*allocEnv)(SQLHENV*) = nullptr;
  SQLRETURN (*allocConnect)(SQLHENV, SQLHDBC*) = nullptr;
  SQLRETURN (*driverConnect)(SQLHDBC, SQLHWND, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLSMALLINT*,
                             SQLUSMALLINT) = nullptr;
  SQLRETURN (*disconnect)(SQLHDBC) = nullptr;
  SQLRETURN (*freeConnect)(SQLHDBC) = nullptr;
  SQLRETURN (*freeEnv)(SQLHENV) = nullptr;
  SQLRETURN (*connect)(SQLHDBC, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT, SQLCHAR*, SQLSMALLINT) = nullptr;
  // Optional: bounds the log-on where the driver honours it.
  SQLRETURN (*setConnectAttr)(SQLHDBC, SQLINTEGER, SQLPOINTER, SQLINTEGER) = nullptr;
  ~OdbcLibrary();
};

struct WinInetLibrary {
  HMODULE module = nullptr;
  HINTERNET(WINAPI* open)(LPCSTR, DWORD, LPCSTR, LPCSTR, DWORD) = nullptr;
  HINTERNET(WINAPI* openUrl)(HINTERNET, LPCSTR, LPCSTR, DWORD, DWORD, DWORD_PTR) = nullptr;
  BOOL(WINAPI* readFile)(HINTERNET, LPVOID, DWORD, LPDWORD) = nullptr;
  BOOL(WINAPI* getLastResponseInfo)(LPDWORD, LPSTR, LPDWORD) = nullptr;
  BOOL(WINAPI* closeHandle)(HINTERNET) = nullptr;
  // Optional: the time-outs that bound a fetch.
  BOOL(WINAPI* setOption)(HINTERNET, DWORD, LPVOID, DWORD) = nullptr;
  ~WinInetLibrary();
};

// The binding, loading the library when it is not loaded yet; null when the
// library or one of its required calls is missing (a later call tries again).
std::shared_ptr<const IcmpLibrary> IcmpBinding();
std::shared_ptr<const OdbcLibrary> OdbcBinding();
std::shared_ptr<const WinInetLibrary> WinInetBinding();

// Loads "icmp.dll" and "ODBC32.DLL" ahead of the first test; true when both
// are usable. Optional: the tests load what they need themselves.
bool LoadProbeLibraries();
// Drops the bindings; each library is freed once the last test using it ends.
void UnloadProbeLibraries();
