// Tests only: a stand-in with the FTP library's 18 entry points (one left out
// on request) for the network binding's tests. It starts and stops; every FTP
// operation fails with "not connected" (code 1000) or, for the mode and
// setting calls, succeeds without effect.
#include "qvplatform.h"

namespace {
constexpr int kNotConnected = 1000;
int g_started = 0;
}  // namespace

QV_API int WINAPI FtpInit(HWND) {
  ++g_started;
  return 0;
}
QV_API int WINAPI FtpRelease(void) {
  if (g_started > 0) --g_started;
  return 0;
}
QV_API long WINAPI FtpBytesToBeTransferred(void) { return 0; }
QV_API int WINAPI FtpSetDefaultPort(int) { return 0; }
QV_API int WINAPI FtpSetDefaultTimeOut(int) { return 0; }
QV_API int WINAPI FtpLogin(LPCSTR, LPCSTR, LPCSTR, HWND, UINT) { return kNotConnected; }
QV_API int WINAPI FtpOpenConnection(LPCSTR) { return kNotConnected; }
QV_API int WINAPI FtpCloseConnection(void) { return kNotConnected; }
QV_API int WINAPI FtpLocalClose(void) { return 0; }
QV_API int WINAPI FtpRecvFile(LPCSTR, LPCSTR, char, BOOL, HWND, UINT) { return kNotConnected; }
QV_API int WINAPI FtpSendFile(LPCSTR, LPCSTR, char, BOOL, HWND, UINT) { return kNotConnected; }
QV_API int WINAPI FtpDir(LPCSTR, LPCSTR, BOOL, HWND, UINT) { return kNotConnected; }
QV_API int WINAPI FtpSetAsynchronousMode(void) { return 0; }
QV_API int WINAPI FtpSetSynchronousMode(void) { return 0; }
QV_API int WINAPI FtpAbort(void) { return 0; }
QV_API int WINAPI FtpPWD(LPSTR buffer, UINT size) {
  if (buffer != nullptr && size > 0) buffer[0] = '\0';
  return kNotConnected;
}
QV_API int WINAPI FtpSetPassiveMode(BOOL) { return 0; }
// Tests build a copy without this entry point.
#ifndef QV_FTP_LACKS_CWD
QV_API int WINAPI FtpCWD(LPCSTR) { return kNotConnected; }
#endif
