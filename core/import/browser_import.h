// The first-start step: make sure a web browser is recorded as [Browser] Path
// and, for the two browsers whose proxy settings are known, take over their
// HTTP proxy as the program's own.
#pragma once

#include "qvplatform.h"

inline constexpr int kBrowserPathSize = 260;

// Searches the registry, the browsers' settings files and fixed install
// paths for a browser. 1 with its path and display name, else 0.
int FindBrowser(char* path, const char** browserName);

// The first-start step; always 1 (the start goes on whatever it finds).
int ImportBrowserSettings(HWND hiddenWindow);

// True once this start took over a browser's proxy settings.
bool ProxySettingsWereImported();

// Proxy texts as the browsers keep them, turned into "host[:port]".
// Internet Explorer's "ProxyServer": the part after "http=" (else the whole
// text) up to its first ';', lower-cased.
void ExplorerProxyText(const char* proxyServer, char* out, size_t size);
// Netscape's host with its port appended when the port is nonzero.
void NetscapeProxyText(const char* host, bool havePort, DWORD port, char* out, size_t size);


// Shows a document or address in the browser; the library's answer.
BOOL ShowHtmlDocument(HWND window, const char* document);

// The program's DDE client callback: answers 0 to every transaction.
QV_API HDDEDATA CALLBACK DdeCallBack(UINT type, UINT format, HCONV conversation, HSZ string1, HSZ string2,
                                     HDDEDATA data, ULONG_PTR data1, ULONG_PTR data2);
