// The internet client's queries: response headers, options, the last
// failure's text, URL parts; and the "WININET.DLL" export table.
#include <cstring>
#include <string>

#include "net/inet_handles.h"
#include "qvplatform/kernel.h"
#include "qvplatform/modules.h"
#include "qvplatform/net_wininet.h"

namespace qvp::net {
namespace {

BOOL Fail(uint32_t err) {
  SetLastError(err);
  return FALSE;
}

// Copies text into a caller's buffer: on success *len is the length without
// the terminating zero; when it does not fit, ERROR_INSUFFICIENT_BUFFER and
// *len is the size needed with it.
BOOL GiveText(const std::string& text, LPVOID buf, LPDWORD len) {
  if (!buf || *len < text.size() + 1) {
    *len = static_cast<DWORD>(text.size() + 1);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buf, text.c_str(), text.size() + 1);
  *len = static_cast<DWORD>(text.size());
  return TRUE;
}

BOOL GiveDword(DWORD value, LPVOID buf, LPDWORD len) {
  if (!buf || *len < sizeof(DWORD)) {
    *len = sizeof(DWORD);
    return Fail(ERROR_INSUFFICIENT_BUFFER);
  }
  std::memcpy(buf, &value, sizeof value);
  *len = sizeof value;
  return TRUE;
}

// The header a query level names, or null for the levels answered otherwise.
const char* HeaderOfLevel(DWORD level) {
  switch (level) {
    case HTTP_QUERY_MIME_VERSION: return "MIME-Version";
    case HTTP_QUERY_CONTENT_TYPE: return "Content-Type";
    case HTTP_QUERY_CONTENT_TRANSFER_ENCODING: return "Content-Transfer-Encoding";
    case HTTP_QUERY_CONTENT_ID: return "Content-ID";
    case HTTP_QUERY_CONTENT_DESCRIPTION: return "Content-Description";
    case HTTP_QUERY_CONTENT_LENGTH: return "Content-Length";
    case HTTP_QUERY_CONTENT_LANGUAGE: return "Content-Language";
    case HTTP_QUERY_ALLOW: return "Allow";
    case HTTP_QUERY_PUBLIC: return "Public";
    case HTTP_QUERY_DATE: return "Date";
    case HTTP_QUERY_EXPIRES: return "Expires";
    case HTTP_QUERY_LAST_MODIFIED: return "Last-Modified";
    case HTTP_QUERY_MESSAGE_ID: return "Message-Id";
    case HTTP_QUERY_URI: return "URI";
    case HTTP_QUERY_DERIVED_FROM: return "Derived-From";
    case HTTP_QUERY_COST: return "Cost";
    case HTTP_QUERY_LINK: return "Link";
    case HTTP_QUERY_PRAGMA: return "Pragma";
    case HTTP_QUERY_CONNECTION: return "Connection";
    case HTTP_QUERY_CONTENT_ENCODING: return "Content-Encoding";
    case HTTP_QUERY_FORWARDED: return "Forwarded";
    case HTTP_QUERY_FROM: return "From";
    case HTTP_QUERY_LOCATION: return "Location";
    case HTTP_QUERY_RETRY_AFTER: return "Retry-After";
    case HTTP_QUERY_SERVER: return "Server";
    case HTTP_QUERY_TITLE: return "Title";
    case HTTP_QUERY_WWW_AUTHENTICATE: return "WWW-Authenticate";
    case HTTP_QUERY_PROXY_AUTHENTICATE: return "Proxy-Authenticate";
    case HTTP_QUERY_ACCEPT_RANGES: return "Accept-Ranges";
    case HTTP_QUERY_SET_COOKIE: return "Set-Cookie";
    default: return nullptr;
  }
}

// Raw headers as a list of zero-terminated lines ended by an empty one.
std::string ZeroSeparated(const std::string& crlf_text) {
  std::string out;
  size_t i = 0;
  while (i < crlf_text.size()) {
    size_t eol = crlf_text.find("\r\n", i);
    if (eol == std::string::npos) eol = crlf_text.size();
    if (eol > i) out.append(crlf_text, i, eol - i).push_back('\0');
    i = eol + 2;
  }
  return out;
}

uint32_t* TimeoutField(Timeouts& t, DWORD option) {
  switch (option) {
    case INTERNET_OPTION_CONNECT_TIMEOUT: return &t.connect;
    case INTERNET_OPTION_SEND_TIMEOUT:
    case INTERNET_OPTION_DATA_SEND_TIMEOUT: return &t.send;
    case INTERNET_OPTION_RECEIVE_TIMEOUT:
    case INTERNET_OPTION_DATA_RECEIVE_TIMEOUT: return &t.receive;
    default: return nullptr;
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::string PercentDecode(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size() && HexValue(text[i + 1]) >= 0 && HexValue(text[i + 2]) >= 0) {
      out += static_cast<char>(HexValue(text[i + 1]) * 16 + HexValue(text[i + 2]));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

// Copies a URL part into the caller's component (see InternetCrackUrlA).
bool GivePart(std::string_view url, const Span& part, bool decode, LPSTR* ptr, DWORD* len) {
  if (*len == 0) return true;  // not wanted
  if (!*ptr) {
    *ptr = const_cast<LPSTR>(url.data()) + part.pos;
    *len = static_cast<DWORD>(part.len);
    return true;
  }
  std::string text(part.Of(url));
  if (decode) text = PercentDecode(text);
  if (text.size() + 1 > *len) {
    *len = static_cast<DWORD>(text.size() + 1);
    return false;
  }
  std::memcpy(*ptr, text.c_str(), text.size() + 1);
  *len = static_cast<DWORD>(text.size());
  return true;
}

}  // namespace
}  // namespace qvp::net

using namespace qvp::net;

BOOL WINAPI HttpQueryInfoA(HINTERNET hRequest, DWORD dwInfoLevel, LPVOID lpBuffer, LPDWORD lpdwBufferLength,
                           LPDWORD lpdwIndex) {
  InetPtr o = LookupInet(hRequest);
  if (!o) return Fail(ERROR_INVALID_HANDLE);
  if (o->kind != InetKind::kRequest) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  if (!lpdwBufferLength) return Fail(ERROR_INVALID_PARAMETER);
  auto& r = static_cast<Request&>(*o);
  const DWORD level = dwInfoLevel & HTTP_QUERY_HEADER_MASK;
  const DWORD modifiers = dwInfoLevel & HTTP_QUERY_MODIFIER_FLAGS_MASK;
  if (modifiers & (HTTP_QUERY_FLAG_REQUEST_HEADERS | HTTP_QUERY_FLAG_SYSTEMTIME)) {
    return Fail(ERROR_HTTP_INVALID_QUERY_REQUEST);
  }
  std::string value;
  {
    std::lock_guard<std::mutex> io(r.io);
    if (!r.sent) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    const DWORD index = lpdwIndex ? *lpdwIndex : 0;
    switch (level) {
      case HTTP_QUERY_STATUS_CODE: value = std::to_string(r.head.status); break;
      case HTTP_QUERY_STATUS_TEXT: value = r.head.reason; break;
      case HTTP_QUERY_VERSION: value = r.head.version; break;
      case HTTP_QUERY_RAW_HEADERS_CRLF: value = r.head.raw; break;
      case HTTP_QUERY_RAW_HEADERS: {
        std::string lines = ZeroSeparated(r.head.raw);
        lines.push_back('\0');
        if (!lpBuffer || *lpdwBufferLength < lines.size()) {
          *lpdwBufferLength = static_cast<DWORD>(lines.size());
          return Fail(ERROR_INSUFFICIENT_BUFFER);
        }
        std::memcpy(lpBuffer, lines.data(), lines.size());
        *lpdwBufferLength = static_cast<DWORD>(lines.size() - 1);
        return TRUE;
      }
      default: {
        std::string name;
        if (level == HTTP_QUERY_CUSTOM) {
          if (!lpBuffer) return Fail(ERROR_INVALID_PARAMETER);
          name = std::string(static_cast<const char*>(lpBuffer), strnlen(static_cast<const char*>(lpBuffer), *lpdwBufferLength));
        } else if (const char* known = HeaderOfLevel(level)) {
          name = known;
        } else {
          return Fail(ERROR_HTTP_INVALID_QUERY_REQUEST);
        }
        const std::string* found = r.head.Find(name, index);
        if (!found) return Fail(ERROR_HTTP_HEADER_NOT_FOUND);
        value = *found;
        if (lpdwIndex) ++*lpdwIndex;
      }
    }
  }
  if (modifiers & HTTP_QUERY_FLAG_NUMBER) {
    char* end = nullptr;
    unsigned long n = std::strtoul(value.c_str(), &end, 10);
    if (value.empty() || !end || *end != '\0' || n > 0xFFFFFFFFul) return Fail(ERROR_HTTP_INVALID_HEADER);
    return GiveDword(static_cast<DWORD>(n), lpBuffer, lpdwBufferLength);
  }
  return GiveText(value, lpBuffer, lpdwBufferLength);
}

BOOL WINAPI InternetSetOptionA(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer, DWORD dwBufferLength) {
  InetPtr o;
  if (hInternet) {
    o = LookupInet(hInternet);
    if (!o) return Fail(ERROR_INVALID_HANDLE);
  }
  if (Timeouts probe; TimeoutField(probe, dwOption)) {
    if (!lpBuffer || dwBufferLength < sizeof(DWORD)) return Fail(ERROR_INTERNET_BAD_OPTION_LENGTH);
    DWORD value = 0;
    std::memcpy(&value, lpBuffer, sizeof value);
    if (!o) {
      Timeouts t = DefaultTimeouts();
      if (uint32_t* field = TimeoutField(t, dwOption)) *field = value;
      SetDefaultTimeouts(t);
      return TRUE;
    }
    std::lock_guard<std::mutex> g(o->lock);
    if (uint32_t* field = TimeoutField(o->timeouts, dwOption)) *field = value;
    return TRUE;
  }
  switch (dwOption) {
    case INTERNET_OPTION_SECURITY_FLAGS: {
      if (!o || o->kind != InetKind::kRequest) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
      if (!lpBuffer || dwBufferLength < sizeof(DWORD)) return Fail(ERROR_INTERNET_BAD_OPTION_LENGTH);
      DWORD value = 0;
      std::memcpy(&value, lpBuffer, sizeof value);
      std::lock_guard<std::mutex> g(o->lock);
      static_cast<Request&>(*o).security_flags =
          value & (SECURITY_FLAG_IGNORE_UNKNOWN_CA | SECURITY_FLAG_IGNORE_CERT_CN_INVALID |
                   SECURITY_FLAG_IGNORE_CERT_DATE_INVALID | SECURITY_FLAG_IGNORE_WRONG_USAGE |
                   SECURITY_FLAG_IGNORE_REVOCATION);
      return TRUE;
    }
    case INTERNET_OPTION_USERNAME:
    case INTERNET_OPTION_PASSWORD: {
      if (!o || o->kind == InetKind::kSession) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
      std::string text = lpBuffer ? std::string(static_cast<const char*>(lpBuffer),
                                                strnlen(static_cast<const char*>(lpBuffer), dwBufferLength))
                                  : std::string();
      std::lock_guard<std::mutex> g(o->lock);
      (dwOption == INTERNET_OPTION_USERNAME ? o->user : o->password) = text;
      return TRUE;
    }
    case INTERNET_OPTION_HANDLE_TYPE:
    case INTERNET_OPTION_URL:
      return Fail(ERROR_INTERNET_OPTION_NOT_SETTABLE);
    default:
      return Fail(ERROR_INTERNET_INVALID_OPTION);
  }
}

BOOL WINAPI InternetQueryOptionA(HINTERNET hInternet, DWORD dwOption, LPVOID lpBuffer, LPDWORD lpdwBufferLength) {
  if (!lpdwBufferLength) return Fail(ERROR_INVALID_PARAMETER);
  InetPtr o;
  if (hInternet) {
    o = LookupInet(hInternet);
    if (!o) return Fail(ERROR_INVALID_HANDLE);
  }
  Timeouts t = DefaultTimeouts();
  if (o) {
    std::lock_guard<std::mutex> g(o->lock);
    t = o->timeouts;
  }
  if (uint32_t* field = TimeoutField(t, dwOption)) return GiveDword(*field, lpBuffer, lpdwBufferLength);
  if (!o) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
  switch (dwOption) {
    case INTERNET_OPTION_HANDLE_TYPE:
      return GiveDword(o->kind == InetKind::kSession   ? INTERNET_HANDLE_TYPE_INTERNET
                       : o->kind == InetKind::kConnect ? INTERNET_HANDLE_TYPE_CONNECT_HTTP
                                                       : INTERNET_HANDLE_TYPE_HTTP_REQUEST,
                       lpBuffer, lpdwBufferLength);
    case INTERNET_OPTION_SECURITY_FLAGS: {
      if (o->kind != InetKind::kRequest) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
      auto& r = static_cast<Request&>(*o);
      DWORD flags = 0;
      {
        std::lock_guard<std::mutex> g(r.lock);
        flags = r.security_flags;
      }
      std::lock_guard<std::mutex> io(r.io);
      if (r.url.https) flags |= SECURITY_FLAG_SECURE;
      return GiveDword(flags, lpBuffer, lpdwBufferLength);
    }
    case INTERNET_OPTION_URL: {
      if (o->kind != InetKind::kRequest) return Fail(ERROR_INTERNET_INCORRECT_HANDLE_TYPE);
      auto& r = static_cast<Request&>(*o);
      std::string url;
      {
        std::lock_guard<std::mutex> io(r.io);
        url = r.url.Text();
      }
      return GiveText(url, lpBuffer, lpdwBufferLength);
    }
    case INTERNET_OPTION_USERNAME:
    case INTERNET_OPTION_PASSWORD: {
      std::string text;
      {
        std::lock_guard<std::mutex> g(o->lock);
        text = dwOption == INTERNET_OPTION_USERNAME ? o->user : o->password;
      }
      return GiveText(text, lpBuffer, lpdwBufferLength);
    }
    default:
      return Fail(ERROR_INTERNET_INVALID_OPTION);
  }
}

BOOL WINAPI InternetGetLastResponseInfoA(LPDWORD lpdwError, LPSTR lpszBuffer, LPDWORD lpdwBufferLength) {
  if (!lpdwError || !lpdwBufferLength) return Fail(ERROR_INVALID_PARAMETER);
  uint32_t error = 0;
  std::string text;
  GetResponseInfo(&error, &text);
  *lpdwError = error;
  return GiveText(text, lpszBuffer, lpdwBufferLength);
}

BOOL WINAPI InternetCrackUrlA(LPCSTR lpszUrl, DWORD dwUrlLength, DWORD dwFlags, LPURL_COMPONENTSA lpUrlComponents) {
  if (!lpszUrl || !lpUrlComponents || lpUrlComponents->dwStructSize != sizeof(URL_COMPONENTSA)) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  std::string_view url = dwUrlLength ? std::string_view(lpszUrl, dwUrlLength) : std::string_view(lpszUrl);
  UrlSpans spans;
  if (!SplitUrl(url, &spans)) return Fail(ERROR_INTERNET_INVALID_URL);
  if (spans.scheme_kind == kSchemeUnknown) return Fail(ERROR_INTERNET_UNRECOGNIZED_SCHEME);
  URL_COMPONENTSA& c = *lpUrlComponents;
  const bool decode = (dwFlags & ICU_DECODE) != 0;
  c.nScheme = spans.scheme_kind;
  c.nPort = spans.port;
  bool fits = GivePart(url, spans.scheme, false, &c.lpszScheme, &c.dwSchemeLength);
  fits = GivePart(url, spans.host, decode, &c.lpszHostName, &c.dwHostNameLength) && fits;
  fits = GivePart(url, spans.user, decode, &c.lpszUserName, &c.dwUserNameLength) && fits;
  fits = GivePart(url, spans.password, decode, &c.lpszPassword, &c.dwPasswordLength) && fits;
  fits = GivePart(url, spans.path, decode, &c.lpszUrlPath, &c.dwUrlPathLength) && fits;
  fits = GivePart(url, spans.extra, decode, &c.lpszExtraInfo, &c.dwExtraInfoLength) && fits;
  return fits ? TRUE : Fail(ERROR_INSUFFICIENT_BUFFER);
}

namespace {

template <class F>
FARPROC Export(F* function) {
  return reinterpret_cast<FARPROC>(function);
}

const qvp::BuiltinExport kWinInetExports[] = {
    {"InternetOpenA", Export(&InternetOpenA)},
    {"InternetConnectA", Export(&InternetConnectA)},
    {"HttpOpenRequestA", Export(&HttpOpenRequestA)},
    {"HttpSendRequestA", Export(&HttpSendRequestA)},
    {"InternetOpenUrlA", Export(&InternetOpenUrlA)},
    {"InternetReadFile", Export(&InternetReadFile)},
    {"HttpQueryInfoA", Export(&HttpQueryInfoA)},
    {"InternetCloseHandle", Export(&InternetCloseHandle)},
    {"InternetGetLastResponseInfoA", Export(&InternetGetLastResponseInfoA)},
    {"InternetSetOptionA", Export(&InternetSetOptionA)},
    {"InternetQueryOptionA", Export(&InternetQueryOptionA)},
    {"InternetCrackUrlA", Export(&InternetCrackUrlA)},
    {nullptr, nullptr},
};

[[maybe_unused]] const bool kRegistered = (qvp::RegisterBuiltinModule("WININET.DLL", kWinInetExports), true);

}  // namespace
