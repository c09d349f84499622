// "FTP4W32.DLL": the FTP client library that the program and Logscout load by
// name. One FTP session per process; every entry point answers 0 for success
// or one of the result codes below.
#pragma once

#include "ftp4w32_codes.h"
#include "qvplatform/types.h"

// The 18 entry points, by the names the binders look up.
QV_API int WINAPI FtpInit(HWND hParentWnd);
QV_API int WINAPI FtpRelease(void);
QV_API long WINAPI FtpBytesToBeTransferred(void);
QV_API int WINAPI FtpSetDefaultPort(int nDefaultPort);
QV_API int WINAPI FtpSetDefaultTimeOut(int nTimeOutSeconds);
QV_API int WINAPI FtpLogin(LPCSTR szHost, LPCSTR szUser, LPCSTR szPassword, HWND hParentWnd, UINT wMsg);
QV_API int WINAPI FtpOpenConnection(LPCSTR szHost);
QV_API int WINAPI FtpCloseConnection(void);
QV_API int WINAPI FtpLocalClose(void);
QV_API int WINAPI FtpRecvFile(LPCSTR szRemote, LPCSTR szLocal, char cType, BOOL bNotify, HWND hParentWnd,
                              UINT wMsg);
QV_API int WINAPI FtpSendFile(LPCSTR szLocal, LPCSTR szRemote, char cType, BOOL bNotify, HWND hParentWnd,
                              UINT wMsg);
QV_API int WINAPI FtpDir(LPCSTR szDef, LPCSTR szLocalFile, BOOL bLongDir, HWND hParentWnd, UINT wMsg);
QV_API int WINAPI FtpSetAsynchronousMode(void);
QV_API int WINAPI FtpSetSynchronousMode(void);
QV_API int WINAPI FtpAbort(void);
QV_API int WINAPI FtpPWD(LPSTR szBuffer, UINT uBufferSize);
QV_API int WINAPI FtpSetPassiveMode(BOOL bPassive);
QV_API int WINAPI FtpCWD(LPCSTR szPath);

// Their types, for the modules that bind them by name.
typedef int(WINAPI* PFN_FtpInit)(HWND);
typedef int(WINAPI* PFN_FtpRelease)(void);
typedef long(WINAPI* PFN_FtpBytesToBeTransferred)(void);
typedef int(WINAPI* PFN_FtpSetDefaultPort)(int);
typedef int(WINAPI* PFN_FtpSetDefaultTimeOut)(int);
typedef int(WINAPI* PFN_FtpLogin)(LPCSTR, LPCSTR, LPCSTR, HWND, UINT);
typedef int(WINAPI* PFN_FtpOpenConnection)(LPCSTR);
typedef int(WINAPI* PFN_FtpCloseConnection)(void);
typedef int(WINAPI* PFN_FtpLocalClose)(void);
typedef int(WINAPI* PFN_FtpRecvFile)(LPCSTR, LPCSTR, char, BOOL, HWND, UINT);
typedef int(WINAPI* PFN_FtpSendFile)(LPCSTR, LPCSTR, char, BOOL, HWND, UINT);
typedef int(WINAPI* PFN_FtpDir)(LPCSTR, LPCSTR, BOOL, HWND, UINT);
typedef int(WINAPI* PFN_FtpSetAsynchronousMode)(void);
typedef int(WINAPI* PFN_FtpSetSynchronousMode)(void);
typedef int(WINAPI* PFN_FtpAbort)(void);
typedef int(WINAPI* PFN_FtpPWD)(LPSTR, UINT);
typedef int(WINAPI* PFN_FtpSetPassiveMode)(BOOL);
typedef int(WINAPI* PFN_FtpCWD)(LPCSTR);
