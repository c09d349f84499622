// DUV_HTTP_Get and the hidden window that moves the data.
#include <cstdio>
#include <cstring>
#include <new>

#include "app_globals.h"
#include "http_get.h"
#include "net_binding.h"

namespace {

// One pending GET, owned by the pending list.
struct HttpGetRequest {
  SOCKET socket = INVALID_SOCKET;
  char request[kHttpRequestSize] = {};
  HANDLE file = INVALID_HANDLE_VALUE;
  HWND notifyWindow = nullptr;
  UINT notifyMessage = 0;
  HttpGetRequest* next = nullptr;
};

// The pending list and the hidden window belong to the thread that made the
// window; every call comes from that thread (checked), so they need no lock.
HttpGetRequest* g_pending = nullptr;
HWND g_window = nullptr;

bool HasLineEnd(const char* text) { return text != nullptr && std::strpbrk(text, "\r\n") != nullptr; }

// Appends text to the request; false when it would not fit.
bool Append(std::string* request, const std::string& text) {
  if (request->size() + text.size() >= kHttpRequestSize) return false;
  *request += text;
  return true;
}

void DestroyWindowWhenIdle() {
  if (g_pending != nullptr || g_window == nullptr) return;
  DestroyWindow(g_window);
  g_window = nullptr;
  UnregisterClassA(kHttpGetClass, g_app.instance);
}

// Ends a GET: everything closed, out of the list, the completion posted.
void Finish(HttpGetRequest* request, int result) {
  if (request->file != INVALID_HANDLE_VALUE) CloseHandle(request->file);
  g_net.closesocket(request->socket);
  for (HttpGetRequest** link = &g_pending; *link != nullptr; link = &(*link)->next) {
    if (*link == request) {
      *link = request->next;
      break;
    }
  }
  if (request->notifyWindow != nullptr) {
    PostMessageA(request->notifyWindow, request->notifyMessage, static_cast<WPARAM>(result), 0);
  }
  delete request;
}

// Receives what has arrived into the file: 0 when all was read (or the peer
// closed), else the error of the receive or the write.
int ReadAvailable(HttpGetRequest* request, bool untilClosed) {
  char buffer[1023];
  for (;;) {
    const int got = g_net.recv(request->socket, buffer, sizeof buffer, 0);
    if (got == 0) return 0;
    if (got == SOCKET_ERROR) {
      const int error = g_net.WSAGetLastError();
      return error == WSAEWOULDBLOCK ? 0 : error;
    }
    DWORD written = 0;
    if (!WriteFile(request->file, buffer, static_cast<DWORD>(got), &written, nullptr) ||
        written != static_cast<DWORD>(got)) {
      const DWORD error = GetLastError();
      return error != 0 ? static_cast<int>(error) : ERROR_WRITE_FAULT;
    }
    if (!untilClosed) return 0;
  }
}

bool MakeWindow() {
  if (g_window != nullptr) return true;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = HttpGetWndProc;
  windowClass.hInstance = g_app.instance;
  windowClass.lpszClassName = kHttpGetClass;
  if (!RegisterClassA(&windowClass)) return false;
  g_window = CreateWindowExA(0, kHttpGetClass, "URL Window", WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                             g_app.instance, nullptr);
  if (g_window == nullptr) {
    UnregisterClassA(kHttpGetClass, g_app.instance);
    return false;
  }
  return true;
}

}  // namespace

QV_API int WINAPI DUV_HTTP_Get(LPCSTR url, LPCSTR outputFile, LPCSTR user, LPCSTR password, LPCSTR referrer,
                               LPCSTR userAgent, HWND notifyWindow, UINT notifyMessage) {
  // Sockets come from the program's binding, started at the program's start.
  if (g_net.socketLibrary == nullptr || url == nullptr || outputFile == nullptr) return 0;
  // The pending GETs live on the thread of their window.
  if (g_window != nullptr && GetWindowThreadProcessId(g_window, nullptr) != GetCurrentThreadId()) return 0;
  // A line end in any text would let it add lines of its own to the request.
  if (HasLineEnd(url) || HasLineEnd(user) || HasLineEnd(password) || HasLineEnd(referrer) || HasLineEnd(userAgent)) {
    return 0;
  }
  std::string path, host;
  int port = 0;
  if (SplitUrl(url, &path, &host, &port) != 2 || port < 1 || host.empty()) return 0;
  uint32_t address = 0;
  if (!ResolveHostCached(host.c_str(), &address)) return 0;

  std::string text;
  bool fits = Append(&text, "GET " + path + " HTTP/1.0\r\n");
  if (userAgent != nullptr) fits = fits && Append(&text, std::string("User-Agent: ") + userAgent + "\r\n");
  if (referrer != nullptr) fits = fits && Append(&text, std::string("Referrer: ") + referrer + "\r\n");
  if (user != nullptr && user[0] != '\0') {
    const std::string credentials = std::string(user) + ":" + (password != nullptr ? password : "");
    fits = fits && Append(&text, "Authorization: Basic " + Base64Encode(credentials) + "\r\n");
  }
  fits = fits && Append(&text, "Accept: */*\r\nAccept: image/gif\r\nAccept: image/x-xbitmap\r\n"
                               "Accept: image/jpeg\r\n\r\n");
  if (!fits) return 0;  // refused, never cut

  if (!MakeWindow()) return 0;
  HttpGetRequest* request = new (std::nothrow) HttpGetRequest;
  if (request == nullptr) {
    DestroyWindowWhenIdle();
    return 0;
  }
  std::memcpy(request->request, text.c_str(), text.size() + 1);
  request->notifyWindow = notifyWindow;
  request->notifyMessage = notifyMessage;
  DeleteFileA(outputFile);
  request->file = CreateFileA(outputFile, GENERIC_WRITE, FILE_SHARE_READ, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
  bool started = request->file != INVALID_HANDLE_VALUE;
  if (started) {
    request->socket = g_net.socket(AF_INET, SOCK_STREAM, 0);
    started = request->socket != INVALID_SOCKET;
  }
  if (started) {
    started = g_net.WSAAsyncSelect(request->socket, g_window, kHttpGetSocketMessage,
                                   FD_READ | FD_CONNECT | FD_CLOSE) == 0;
  }
  if (started) {
    sockaddr_in target{};
    target.sin_family = AF_INET;
    target.sin_port = g_net.htons(static_cast<u_short>(port));
    target.sin_addr.s_addr = address;
    started = g_net.connect(request->socket, reinterpret_cast<const sockaddr*>(&target), sizeof target) == 0 ||
              g_net.WSAGetLastError() == WSAEWOULDBLOCK;
  }
  if (!started) {
    if (request->file != INVALID_HANDLE_VALUE) CloseHandle(request->file);
    if (request->socket != INVALID_SOCKET) g_net.closesocket(request->socket);
    delete request;
    DestroyWindowWhenIdle();
    return 0;
  }
  request->next = g_pending;
  g_pending = request;
  return 1;
}

QV_API LRESULT CALLBACK HttpGetWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kHttpGetSocketMessage) {
    HttpGetRequest* request = g_pending;
    while (request != nullptr && request->socket != static_cast<SOCKET>(wParam)) request = request->next;
    if (request == nullptr) return 0;
    const int event = WSAGETSELECTEVENT(lParam);
    const int error = WSAGETSELECTERROR(lParam);
    if (event == FD_READ) {
      const int failed = ReadAvailable(request, false);
      if (failed != 0) Finish(request, failed);
    } else if (event == FD_CONNECT) {
      if (error != 0) {
        Finish(request, error);
      } else {
        const int length = static_cast<int>(std::strlen(request->request));
        if (g_net.send(request->socket, request->request, length, 0) != length) {
          const int failed = g_net.WSAGetLastError();
          Finish(request, failed != 0 ? failed : WSAECONNABORTED);
        }
      }
    } else if (event == FD_CLOSE) {
      // What arrived before the close is read first; a close by a reset (or
      // a failure while reading) ends the GET with that error, never with 0.
      const int failed = ReadAvailable(request, true);
      Finish(request, error != 0 ? error : failed);
    }
    DestroyWindowWhenIdle();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}
