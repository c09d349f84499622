#include "net/inet_url.h"

#include <cctype>

#include "qvplatform/net_wininet.h"
#include "qvplatform/nocase.h"

namespace qvp::net {
namespace {

struct KnownScheme {
  const char* name;
  int kind;
  uint16_t port;
};

const KnownScheme kSchemes[] = {
    {"http", kSchemeHttp, 80},  {"https", kSchemeHttps, 443}, {"ftp", kSchemeFtp, 21},
    {"gopher", kSchemeGopher, 70}, {"file", kSchemeFile, 0},     {"news", kSchemeNews, 0},
    {"mailto", kSchemeMailto, 0},
};

}  // namespace

bool SplitUrl(std::string_view url, UrlSpans* out) {
  *out = UrlSpans{};
  size_t colon = url.find(':');
  if (colon == std::string_view::npos || colon == 0) return false;
  for (size_t i = 0; i < colon; ++i) {
    char c = url[i];
    if (!std::isalnum(static_cast<unsigned char>(c)) && c != '+' && c != '-' && c != '.') return false;
  }
  out->scheme = Span{0, colon};
  uint16_t default_port = 0;
  for (const KnownScheme& k : kSchemes) {
    if (EqualNoCase(url.substr(0, colon), k.name)) {
      out->scheme_kind = k.kind;
      default_port = k.port;
    }
  }
  size_t at = colon + 1;
  if (url.substr(at, 2) != "//") {
    // No authority (mailto:, news:): the rest is the path.
    out->path = Span{at, url.size() - at};
    return out->scheme_kind == kSchemeMailto || out->scheme_kind == kSchemeNews;
  }
  at += 2;
  size_t end = url.find_first_of("/?#", at);
  if (end == std::string_view::npos) end = url.size();
  std::string_view authority = url.substr(at, end - at);
  size_t userinfo_end = authority.rfind('@');
  size_t host_at = at;
  if (userinfo_end != std::string_view::npos) {
    std::string_view userinfo = authority.substr(0, userinfo_end);
    size_t pw = userinfo.find(':');
    out->user = Span{at, pw == std::string_view::npos ? userinfo.size() : pw};
    if (pw != std::string_view::npos) out->password = Span{at + pw + 1, userinfo.size() - pw - 1};
    host_at = at + userinfo_end + 1;
  }
  size_t port_colon = url.substr(host_at, end - host_at).find(':');
  size_t host_end = port_colon == std::string_view::npos ? end : host_at + port_colon;
  out->host = Span{host_at, host_end - host_at};
  out->port = default_port;
  if (port_colon != std::string_view::npos) {
    std::string_view digits = url.substr(host_end + 1, end - host_end - 1);
    if (digits.empty() || digits.size() > 5) return false;
    uint32_t port = 0;
    for (char c : digits) {
      if (c < '0' || c > '9') return false;
      port = port * 10 + static_cast<uint32_t>(c - '0');
    }
    if (port == 0 || port > 65535) return false;
    out->port = static_cast<uint16_t>(port);
  }
  size_t extra = url.find_first_of("?#", end);
  if (extra == std::string_view::npos) extra = url.size();
  out->path = Span{end, extra - end};
  out->extra = Span{extra, url.size() - extra};
  return out->scheme_kind == kSchemeFile || out->host.len > 0;
}

std::string Url::HostHeader() const {
  if (port == (https ? 443 : 80)) return host;
  return host + ":" + std::to_string(port);
}

std::string Url::Text() const { return std::string(https ? "https://" : "http://") + HostHeader() + target; }

uint32_t ParseHttpUrl(std::string_view text, Url* out) {
  UrlSpans s;
  if (!SplitUrl(text, &s)) return ERROR_INTERNET_INVALID_URL;
  if (s.scheme_kind != kSchemeHttp && s.scheme_kind != kSchemeHttps) return ERROR_INTERNET_UNRECOGNIZED_SCHEME;
  Url u;
  u.https = s.scheme_kind == kSchemeHttps;
  u.user = std::string(s.user.Of(text));
  u.password = std::string(s.password.Of(text));
  u.host = std::string(s.host.Of(text));
  u.port = s.port;
  u.target = std::string(s.path.Of(text));
  if (u.target.empty()) u.target.assign(1, '/');
  std::string_view extra = s.extra.Of(text);
  extra = extra.substr(0, extra.find('#'));  // the fragment stays with the client
  u.target += extra;
  for (char c : u.host) {
    if (std::isspace(static_cast<unsigned char>(c)) || c == '[') return ERROR_INTERNET_INVALID_URL;
  }
  *out = std::move(u);
  return 0;
}

uint32_t ResolveLocation(const Url& base, std::string_view location, Url* out) {
  while (!location.empty() && std::isspace(static_cast<unsigned char>(location.front()))) location.remove_prefix(1);
  while (!location.empty() && std::isspace(static_cast<unsigned char>(location.back()))) location.remove_suffix(1);
  if (location.empty()) return ERROR_INTERNET_INVALID_URL;
  if (location.substr(0, 2) == "//") {
    return ParseHttpUrl(std::string(base.https ? "https:" : "http:") + std::string(location), out);
  }
  size_t colon = location.find(':');
  size_t slash = location.find('/');
  if (colon != std::string_view::npos && (slash == std::string_view::npos || colon < slash)) {
    return ParseHttpUrl(location, out);
  }
  Url u = base;
  u.user.clear();
  u.password.clear();
  if (location.front() == '/') {
    u.target = std::string(location);
  } else {
    std::string dir = base.target.substr(0, base.target.find_first_of("?#"));
    dir = dir.substr(0, dir.rfind('/') + 1);
    u.target = (dir.empty() ? "/" : dir) + std::string(location);
  }
  *out = std::move(u);
  return 0;
}

}  // namespace qvp::net
