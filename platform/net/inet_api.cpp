// The internet client's calls that make handles, send requests, read
// bodies and close handles.
#include <cstring>
#include <string>

#include "net/inet_handles.h"
#include "qvplatform/kernel.h"
#include "qvplatform/net_wininet.h"

namespace qvp::net {
namespace {

HINTERNET FailHandle(uint32_t err, std::string detail = {}) {
  SetResponseInfo(err, std::move(detail));
  SetLastError(err);
  return nullptr;
}

template <class T>
std::shared_ptr<T> Lookup(HINTERNET h, InetKind kind, uint32_t* err) {
  InetPtr o = LookupInet(h);
  if (!o) {
    *err = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (o->kind != kind) {
    *err = ERROR_INTERNET_INCORRECT_HANDLE_TYPE;
    return nullptr;
  }
  return std::static_pointer_cast<T>(o);
}

std::string_view Headers(LPCSTR headers, DWORD length) {
  if (!headers) return {};
  return length == static_cast<DWORD>(-1) ? std::string_view(headers) : std::string_view(headers, length);
}

std::string Text(LPCSTR s) { return s ? std::string(s) : std::string(); }

// Sends; on failure the request handle is closed when `close_on_failure`.
BOOL Send(const std::shared_ptr<Request>& r, std::string_view headers, std::string_view body, bool close_on_failure) {
  std::string detail;
  uint32_t err = SendRequest(*r, headers, body, &detail);
  if (err == 0) return TRUE;
  if (close_on_failure) CloseInet(reinterpret_cast<HINTERNET>(r->handle));
  FailHandle(err, detail);
  return FALSE;
}

}  // namespace
}  // namespace qvp::net

using namespace qvp::net;

HINTERNET WINAPI InternetOpenA(LPCSTR lpszAgent, DWORD dwAccessType, LPCSTR lpszProxy, LPCSTR lpszProxyBypass,
                               DWORD dwFlags) {
  if (dwFlags & INTERNET_FLAG_ASYNC) return FailHandle(ERROR_NOT_SUPPORTED, "asynchronous mode is not offered");
  switch (dwAccessType) {
    case INTERNET_OPEN_TYPE_PRECONFIG:
    case INTERNET_OPEN_TYPE_PRECONFIG_WITH_NO_AUTOPROXY:
    case INTERNET_OPEN_TYPE_DIRECT:
      break;
    case INTERNET_OPEN_TYPE_PROXY:
      if (!lpszProxy || !*lpszProxy) return FailHandle(ERROR_INVALID_PARAMETER, "no proxy named");
      break;
    default:
      return FailHandle(ERROR_INVALID_PARAMETER);
  }
  auto s = std::make_shared<Session>();
  s->agent = Text(lpszAgent);
  s->access = dwAccessType;
  if (dwAccessType == INTERNET_OPEN_TYPE_PROXY) {
    s->proxy = Text(lpszProxy);
    s->bypass = Text(lpszProxyBypass);
  }
  if (uint32_t err = AddInetObject(s, nullptr)) return FailHandle(err);
  return reinterpret_cast<HINTERNET>(s->handle);
}

HINTERNET WINAPI InternetConnectA(HINTERNET hInternet, LPCSTR lpszServerName, INTERNET_PORT nServerPort,
                                  LPCSTR lpszUserName, LPCSTR lpszPassword, DWORD dwService, DWORD /*dwFlags*/,
                                  DWORD_PTR /*dwContext*/) {
  uint32_t err = 0;
  auto session = Lookup<Session>(hInternet, InetKind::kSession, &err);
  if (!session) return FailHandle(err);
  if (dwService != INTERNET_SERVICE_HTTP) return FailHandle(ERROR_NOT_SUPPORTED, "only HTTP is offered");
  if (!lpszServerName || !*lpszServerName) return FailHandle(ERROR_INVALID_PARAMETER);
  auto c = std::make_shared<ConnectObject>();
  c->session = session;
  c->server = lpszServerName;
  c->port = nServerPort;
  if (uint32_t e = AddInetObject(c, session)) return FailHandle(e);
  std::lock_guard<std::mutex> g(c->lock);
  c->user = Text(lpszUserName);
  c->password = Text(lpszPassword);
  return reinterpret_cast<HINTERNET>(c->handle);
}

HINTERNET WINAPI HttpOpenRequestA(HINTERNET hConnect, LPCSTR lpszVerb, LPCSTR lpszObjectName, LPCSTR /*lpszVersion*/,
                                  LPCSTR lpszReferrer, LPCSTR* lplpszAcceptTypes, DWORD dwFlags,
                                  DWORD_PTR /*dwContext*/) {
  uint32_t err = 0;
  auto c = Lookup<ConnectObject>(hConnect, InetKind::kConnect, &err);
  if (!c) return FailHandle(err);
  auto r = std::make_shared<Request>();
  r->session = c->session;
  if (lpszVerb && *lpszVerb) r->verb = lpszVerb;
  r->referrer = Text(lpszReferrer);
  for (LPCSTR* a = lplpszAcceptTypes; a && *a; ++a) r->accept += (r->accept.empty() ? "" : ", ") + std::string(*a);
  r->flags = dwFlags;
  r->url.https = (dwFlags & INTERNET_FLAG_SECURE) != 0;
  r->url.host = c->server;
  r->url.port = c->port != INTERNET_INVALID_PORT_NUMBER ? c->port
                : r->url.https                         ? INTERNET_DEFAULT_HTTPS_PORT
                                                       : INTERNET_DEFAULT_HTTP_PORT;
  std::string object = lpszObjectName && *lpszObjectName ? lpszObjectName : "/";
  r->url.target = object.front() == '/' ? object : "/" + object;
  if (uint32_t e = AddInetObject(r, c)) return FailHandle(e);
  {
    std::lock_guard<std::mutex> g(c->lock);
    std::lock_guard<std::mutex> h(r->lock);
    r->user = c->user;
    r->password = c->password;
  }
  return reinterpret_cast<HINTERNET>(r->handle);
}

BOOL WINAPI HttpSendRequestA(HINTERNET hRequest, LPCSTR lpszHeaders, DWORD dwHeadersLength, LPVOID lpOptional,
                             DWORD dwOptionalLength) {
  uint32_t err = 0;
  auto r = Lookup<Request>(hRequest, InetKind::kRequest, &err);
  if (!r) {
    FailHandle(err);
    return FALSE;
  }
  std::string_view body;
  if (lpOptional && dwOptionalLength) body = std::string_view(static_cast<const char*>(lpOptional), dwOptionalLength);
  return Send(r, Headers(lpszHeaders, dwHeadersLength), body, false);
}

HINTERNET WINAPI InternetOpenUrlA(HINTERNET hInternet, LPCSTR lpszUrl, LPCSTR lpszHeaders, DWORD dwHeadersLength,
                                  DWORD dwFlags, DWORD_PTR /*dwContext*/) {
  uint32_t err = 0;
  auto session = Lookup<Session>(hInternet, InetKind::kSession, &err);
  if (!session) return FailHandle(err);
  if (!lpszUrl) return FailHandle(ERROR_INTERNET_INVALID_URL);
  auto r = std::make_shared<Request>();
  r->session = session;
  r->flags = dwFlags;
  if (uint32_t e = ParseHttpUrl(lpszUrl, &r->url)) return FailHandle(e, std::string("cannot fetch ") + lpszUrl);
  if (uint32_t e = AddInetObject(r, session)) return FailHandle(e);
  if (!Send(r, Headers(lpszHeaders, dwHeadersLength), {}, true)) return nullptr;
  return reinterpret_cast<HINTERNET>(r->handle);
}

BOOL WINAPI InternetReadFile(HINTERNET hFile, LPVOID lpBuffer, DWORD dwNumberOfBytesToRead,
                             LPDWORD lpdwNumberOfBytesRead) {
  if (!lpdwNumberOfBytesRead || (!lpBuffer && dwNumberOfBytesToRead)) {
    FailHandle(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  *lpdwNumberOfBytesRead = 0;
  uint32_t err = 0;
  auto r = Lookup<Request>(hFile, InetKind::kRequest, &err);
  if (!r) {
    FailHandle(err);
    return FALSE;
  }
  size_t got = 0;
  std::string detail;
  if (uint32_t e = ReadBody(*r, static_cast<char*>(lpBuffer), dwNumberOfBytesToRead, &got, &detail)) {
    FailHandle(e, detail);
    return FALSE;
  }
  *lpdwNumberOfBytesRead = static_cast<DWORD>(got);
  return TRUE;
}

BOOL WINAPI InternetCloseHandle(HINTERNET hInternet) {
  if (!CloseInet(hInternet)) {
    FailHandle(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}
