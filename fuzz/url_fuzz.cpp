// URLs of the internet client: InternetCrackUrlA, the http(s) URL parser and
// the resolution of a Location header against a URL.
//
// Properties: every part InternetCrackUrlA points at lies inside the URL and
// is what the splitter found; a parsed URL written out parses to the same
// URL; a resolved location is a URL that parses.
#include <cstring>
#include <string>
#include <string_view>
#include <utility>
#include <vector>
#include <memory>

#include "fuzz_support.h"
#include "net/inet_url.h"
#include "qvplatform.h"
#include "qvplatform/net_wininet.h"

namespace {

bool SameUrl(const qvp::net::Url& a, const qvp::net::Url& b) {
  return a.https == b.https && a.host == b.host && a.port == b.port && a.target == b.target;
}

void CheckCrack(const std::string& url) {
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.dwSchemeLength = parts.dwHostNameLength = parts.dwUserNameLength = parts.dwPasswordLength =
      parts.dwUrlPathLength = parts.dwExtraInfoLength = 1;  // ask for pointers into the URL
  qvp::net::UrlSpans spans;
  const bool split = qvp::net::SplitUrl(url, &spans);
  const BOOL cracked = InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts);
  if (!cracked) return;
  FUZZ_CHECK(split);
  const char* begin = url.c_str();
  const char* end = begin + url.size();
  auto inside = [&](const char* p, DWORD length) { return p == nullptr || (p >= begin && p + length <= end); };
  FUZZ_CHECK(inside(parts.lpszScheme, parts.dwSchemeLength));
  FUZZ_CHECK(inside(parts.lpszHostName, parts.dwHostNameLength));
  FUZZ_CHECK(inside(parts.lpszUserName, parts.dwUserNameLength));
  FUZZ_CHECK(inside(parts.lpszPassword, parts.dwPasswordLength));
  FUZZ_CHECK(inside(parts.lpszUrlPath, parts.dwUrlPathLength));
  FUZZ_CHECK(inside(parts.lpszExtraInfo, parts.dwExtraInfoLength));
  if (parts.lpszHostName != nullptr) {
    FUZZ_CHECK(std::string_view(parts.lpszHostName, parts.dwHostNameLength) == spans.host.Of(url));
  }
  FUZZ_CHECK(parts.nPort == spans.port);

  // Copied and decoded into buffers of the caller's size, never past them.
  constexpr DWORD kRoom = 24;
  std::vector<std::unique_ptr<char[]>> buffers;
  URL_COMPONENTSA copied{};
  copied.dwStructSize = sizeof copied;
  for (auto [ptr, len] : {std::pair{&copied.lpszScheme, &copied.dwSchemeLength},
                          {&copied.lpszHostName, &copied.dwHostNameLength},
                          {&copied.lpszUserName, &copied.dwUserNameLength},
                          {&copied.lpszPassword, &copied.dwPasswordLength},
                          {&copied.lpszUrlPath, &copied.dwUrlPathLength},
                          {&copied.lpszExtraInfo, &copied.dwExtraInfoLength}}) {
    buffers.push_back(std::make_unique<char[]>(kRoom));
    *ptr = buffers.back().get();
    *len = kRoom;
  }
  if (InternetCrackUrlA(url.c_str(), 0, ICU_DECODE, &copied)) {
    FUZZ_CHECK(copied.dwHostNameLength < kRoom && std::strlen(copied.lpszHostName) <= copied.dwHostNameLength);
  } else {
    FUZZ_CHECK(GetLastError() == ERROR_INSUFFICIENT_BUFFER);
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 8192) return 0;
  // A URL, and after a NUL a location to resolve against it.
  const std::string_view input = qvfuzz::Bytes(data, size);
  const std::string url = qvfuzz::CString(input);
  const std::string location = url.size() < input.size() ? qvfuzz::CString(input.substr(url.size() + 1)) : "";

  qvp::net::UrlSpans spans;
  if (qvp::net::SplitUrl(url, &spans)) {
    for (const qvp::net::Span& s : {spans.scheme, spans.user, spans.password, spans.host, spans.path, spans.extra}) {
      FUZZ_CHECK(s.pos <= url.size() && s.len <= url.size() - s.pos);
    }
  }
  CheckCrack(url);

  qvp::net::Url parsed;
  if (qvp::net::ParseHttpUrl(url, &parsed) != 0) return 0;
  qvp::net::Url again;
  FUZZ_CHECK(qvp::net::ParseHttpUrl(parsed.Text(), &again) == 0);
  FUZZ_CHECK(SameUrl(parsed, again));

  qvp::net::Url resolved;
  if (qvp::net::ResolveLocation(parsed, location, &resolved) == 0) {
    qvp::net::Url reparsed;
    FUZZ_CHECK(qvp::net::ParseHttpUrl(resolved.Text(), &reparsed) == 0);
  }
  return 0;
}
