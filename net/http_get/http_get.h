// The asynchronous HTTP/1.0 GET that modules loaded into the program start
// through its exports: the whole response (status line and headers too) goes
// into a file, and a message tells a window when it is complete.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "qvplatform.h"

// The message the socket's events come in on, to the hidden window.
inline constexpr UINT kHttpGetSocketMessage = 1154;
inline constexpr char kHttpGetClass[] = "DAROZER_GET";
inline constexpr size_t kHttpRequestSize = 1024;

// 1: the GET is under way and (notifyWindow, notifyMessage, result, 0) will be
// posted once: result 0 when the server closed the connection with the file
// complete, else the error that ended it. 0: it could not start (nothing is
// posted), also while the program's socket binding is not loaded. Must be called on the thread that pumps the messages of the GETs
// already pending.
QV_API int WINAPI DUV_HTTP_Get(LPCSTR url, LPCSTR outputFile, LPCSTR user, LPCSTR password, LPCSTR referrer,
                               LPCSTR userAgent, HWND notifyWindow, UINT notifyMessage);
QV_API LRESULT CALLBACK HttpGetWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Scheme kind of a URL: 2 "http://", 1 "ftp://", 0 anything else; the host,
// port (80 / 21 unless given; -1 when the given port is not a number in
// 1..65535) and path ("/" by default) for a known scheme.
int SplitUrl(const char* url, std::string* path, std::string* host, int* port);

// Standard Base64 with '=' padding, bytes taken as unsigned.
std::string Base64Encode(const std::string& text);

// The IPv4 address (network order) of a host through the host cache of 20
// names; a dotted name is converted without the cache. False when it does
// not resolve (a name that failed keeps failing while its entry lives).
bool ResolveHostCached(const char* host, uint32_t* address);

// Tests only: the cache with another resolver (answering false for a name
// that does not resolve), emptied first.
void ResetHostCacheForTests(std::function<bool(const std::string&, uint32_t*)> resolver);
