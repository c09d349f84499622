// Sending a request and reading its response: the connection (directly, or
// through a proxy, by CONNECT for https), the request text, the head,
// redirects, and the body as the caller reads it.
#include <cctype>
#include <cstring>

#include "net/inet_handles.h"
#include "qvplatform/net_wininet.h"
#include "qvplatform/nocase.h"

namespace qvp::net {
namespace {

constexpr int kMaxRedirects = 10;
constexpr size_t kReadChunk = 16 * 1024;

// Wildcard match without regard to case ('*' any run of characters).
bool Matches(std::string_view pattern, std::string_view text) {
  if (pattern.empty()) return text.empty();
  if (pattern.front() == '*') {
    for (size_t i = 0; i <= text.size(); ++i) {
      if (Matches(pattern.substr(1), text.substr(i))) return true;
    }
    return false;
  }
  return !text.empty() &&
         std::tolower(static_cast<unsigned char>(pattern.front())) ==
             std::tolower(static_cast<unsigned char>(text.front())) &&
         Matches(pattern.substr(1), text.substr(1));
}

std::vector<std::string_view> Words(std::string_view list) {
  std::vector<std::string_view> words;
  size_t i = 0;
  while (i < list.size()) {
    size_t end = list.find_first_of(" ;\t", i);
    if (end == std::string_view::npos) end = list.size();
    if (end > i) words.push_back(list.substr(i, end - i));
    i = end + 1;
  }
  return words;
}

bool Bypassed(const Session& s, const std::string& host) {
  for (std::string_view entry : Words(s.bypass)) {
    if (EqualNoCase(entry, "<local>") ? host.find('.') == std::string::npos : Matches(entry, host)) return true;
  }
  return false;
}

struct ProxyServer {
  std::string host;
  uint16_t port = 80;
};

// The proxy for a URL: an entry "https=..." / "http=..." for its scheme,
// else an entry without a scheme.
bool ProxyFor(const Session& s, const Url& url, ProxyServer* out) {
  if (s.access != INTERNET_OPEN_TYPE_PROXY || Bypassed(s, url.host)) return false;
  std::string_view chosen;
  for (std::string_view entry : Words(s.proxy)) {
    size_t eq = entry.find('=');
    if (eq == std::string_view::npos) {
      if (chosen.empty()) chosen = entry;
    } else if (EqualNoCase(entry.substr(0, eq), url.https ? "https" : "http")) {
      chosen = entry.substr(eq + 1);
      break;
    }
  }
  if (chosen.empty()) return false;
  if (chosen.substr(0, 7) == "http://") chosen.remove_prefix(7);
  chosen = chosen.substr(0, chosen.find('/'));
  size_t colon = chosen.rfind(':');
  out->host = std::string(chosen.substr(0, colon));
  out->port = 80;
  if (colon != std::string_view::npos) {
    std::string_view digits = chosen.substr(colon + 1);
    unsigned port = 0;
    for (char c : digits) {
      if (c < '0' || c > '9' || port > 6553) return false;
      port = port * 10 + static_cast<unsigned>(c - '0');
    }
    if (port == 0 || port > 65535) return false;
    out->port = static_cast<uint16_t>(port);
  }
  return !out->host.empty();
}

// Reads a response head; `rest` receives the bytes after it.
uint32_t ReadHead(Connection& conn, uint32_t timeout_ms, ResponseHead* head, std::string* rest, std::string* detail) {
  for (;;) {
    HeadReader reader;
    char buf[4096];
    // Bytes left from a preceding interim (1xx) head come first.
    std::string carried = std::move(*rest);
    rest->clear();
    size_t used = reader.Feed(carried.data(), carried.size());
    rest->assign(carried, used, std::string::npos);
    while (!reader.done()) {
      size_t got = 0;
      if (uint32_t err = conn.Read(buf, sizeof buf, &got, timeout_ms)) {
        *detail = err == ERROR_INTERNET_TIMEOUT ? "the server did not answer in time" : "the connection failed";
        return err;
      }
      if (got == 0) {
        *detail = "the server closed the connection without a complete answer";
        return reader.seen() == 0 ? ERROR_INTERNET_CONNECTION_ABORTED : ERROR_HTTP_INVALID_SERVER_RESPONSE;
      }
      used = reader.Feed(buf, got);
      rest->append(buf + used, got - used);
    }
    if (!reader.Parse(head)) {
      *detail = "the server's answer is no HTTP response";
      return ERROR_HTTP_INVALID_SERVER_RESPONSE;
    }
    if (head->status >= 200 || head->status < 100) return 0;
    // An interim answer (100 Continue, ...): the real one follows.
  }
}

std::string RequestText(const Request& r, const Session& s, const Url& url, bool absolute, std::string_view method,
                        const std::string& authorization, std::string_view extra, size_t body_size) {
  std::string text = std::string(method) + " " + (absolute ? url.Text() : url.target) + " HTTP/1.1\r\n";
  text += "Host: " + url.HostHeader() + "\r\n";
  if (!s.agent.empty()) text += "User-Agent: " + s.agent + "\r\n";
  if (!authorization.empty()) text += "Authorization: Basic " + authorization + "\r\n";
  if (!r.referrer.empty()) text += "Referer: " + r.referrer + "\r\n";
  if (!r.accept.empty()) text += "Accept: " + r.accept + "\r\n";
  if (r.flags & INTERNET_FLAG_PRAGMA_NOCACHE) text += "Pragma: no-cache\r\nCache-Control: no-cache\r\n";
  while (!extra.empty()) {
    size_t eol = extra.find('\n');
    std::string_view line = extra.substr(0, eol);
    extra.remove_prefix(eol == std::string_view::npos ? extra.size() : eol + 1);
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ')) line.remove_suffix(1);
    if (!line.empty()) text += std::string(line) + "\r\n";
  }
  if (body_size > 0 || EqualNoCase(method, "POST") || EqualNoCase(method, "PUT")) {
    text += "Content-Length: " + std::to_string(body_size) + "\r\n";
  }
  text += "Connection: close\r\n\r\n";
  return text;
}

// Opens the connection for a URL: directly, or through the proxy (a CONNECT
// tunnel for https); then TLS for https.
uint32_t OpenFor(Request& r, const Session& s, const Url& url, const Timeouts& t, uint32_t ignore,
                 std::unique_ptr<Connection>* out, bool* absolute, std::string* detail) {
  auto conn = std::make_unique<Connection>(r.cancel);
  ProxyServer proxy;
  bool proxied = ProxyFor(s, url, &proxy);
  *absolute = proxied && !url.https;
  if (uint32_t err = conn->Open(proxied ? proxy.host : url.host, proxied ? proxy.port : url.port, t.connect, detail)) {
    return err;
  }
  if (proxied && url.https) {
    std::string host_port = url.host + ":" + std::to_string(url.port);
    std::string connect = "CONNECT " + host_port + " HTTP/1.1\r\nHost: " + host_port + "\r\n";
    if (!s.agent.empty()) connect += "User-Agent: " + s.agent + "\r\n";
    connect += "\r\n";
    if (uint32_t err = conn->Write(connect, t.send)) return err;
    ResponseHead head;
    std::string rest;
    if (uint32_t err = ReadHead(*conn, t.receive, &head, &rest, detail)) return err;
    if (head.status != 200 || !rest.empty()) {
      *detail = "the proxy refused the tunnel: " + std::to_string(head.status) + " " + head.reason;
      return ERROR_INTERNET_CANNOT_CONNECT;
    }
  }
  if (url.https) {
    if (uint32_t err = conn->StartTls(url.host, ignore, t.receive, detail)) return err;
  }
  *out = std::move(conn);
  return 0;
}

bool IsRedirect(int status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

}  // namespace

uint32_t SendRequest(Request& r, std::string_view extra_headers, std::string_view body, std::string* detail) {
  std::lock_guard<std::mutex> io(r.io);
  Timeouts t;
  std::string user, password;
  uint32_t ignore = 0;
  {
    std::lock_guard<std::mutex> g(r.lock);
    t = r.timeouts;
    user = r.user;
    password = r.password;
    ignore = r.security_flags | (r.flags & (INTERNET_FLAG_IGNORE_CERT_CN_INVALID | INTERNET_FLAG_IGNORE_CERT_DATE_INVALID));
  }
  const Session& s = *r.session;
  r.sent = false;
  r.conn.reset();
  r.pending.clear();
  Url url = r.url;
  if (user.empty()) {
    user = url.user;
    password = url.password;
  }
  const std::string first_host = url.host;
  const uint16_t first_port = url.port;
  std::string method = r.verb;
  std::string payload(body);
  for (int hop = 0;; ++hop) {
    std::unique_ptr<Connection> conn;
    bool absolute = false;
    if (uint32_t err = OpenFor(r, s, url, t, ignore, &conn, &absolute, detail)) return err;
    // Credentials go to the host they were given for, not to where it redirects.
    std::string authorization;
    if (!user.empty() && !(r.flags & INTERNET_FLAG_NO_AUTH) && url.host == first_host && url.port == first_port) {
      authorization = Base64(user + ":" + password);
    }
    std::string text = RequestText(r, s, url, absolute, method, authorization, extra_headers, payload.size());
    text += payload;
    if (uint32_t err = conn->Write(text, t.send)) {
      *detail = "sending the request failed";
      return err;
    }
    ResponseHead head;
    std::string rest;
    if (uint32_t err = ReadHead(*conn, t.receive, &head, &rest, detail)) return err;
    const std::string* location = head.Find("Location");
    if (IsRedirect(head.status) && location && !(r.flags & INTERNET_FLAG_NO_AUTO_REDIRECT)) {
      Url next;
      if (hop + 1 > kMaxRedirects || ResolveLocation(url, *location, &next) != 0) {
        *detail = hop + 1 > kMaxRedirects ? "too many redirects" : "a redirect to an unusable address";
        return ERROR_HTTP_REDIRECT_FAILED;
      }
      if (url.https && !next.https && !(r.flags & INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP)) {
        *detail = "a redirect from https to http";
        return ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR;
      }
      if (head.status == 303 || ((head.status == 301 || head.status == 302) && EqualNoCase(method, "POST"))) {
        method = "GET";
        payload.clear();
      }
      url = std::move(next);
      continue;
    }
    r.head = std::move(head);
    r.body = BodyDecoder::For(r.head, method);
    r.body.Feed(rest.data(), rest.size(), &r.pending);
    r.secure = url.https;
    r.url = std::move(url);
    r.conn = r.body.done() ? nullptr : std::move(conn);
    r.sent = true;
    return 0;
  }
}

uint32_t ReadBody(Request& r, char* buf, size_t n, size_t* got, std::string* detail) {
  std::lock_guard<std::mutex> io(r.io);
  *got = 0;
  if (!r.sent) return ERROR_INTERNET_INCORRECT_HANDLE_STATE;
  uint32_t receive = 0;
  {
    std::lock_guard<std::mutex> g(r.lock);
    receive = r.timeouts.receive;
  }
  char chunk[kReadChunk];
  while (r.pending.size() < n && !r.body.done() && r.conn) {
    size_t read = 0;
    if (uint32_t err = r.conn->Read(chunk, sizeof chunk, &read, receive)) {
      if (!r.pending.empty()) break;  // hand out what came; the error waits for the next call
      *detail = err == ERROR_INTERNET_TIMEOUT ? "the server stopped sending" : "the connection failed";
      return err;
    }
    if (read == 0) {
      r.body.EndOfStream();
      break;
    }
    size_t used = 0;
    while (used < read && !r.body.done() && !r.body.broken()) {
      size_t fed = r.body.Feed(chunk + used, read - used, &r.pending);
      if (fed == 0) break;
      used += fed;
    }
    if (r.body.broken()) break;
  }
  if (r.body.done() || r.body.broken()) r.conn.reset();
  size_t take = r.pending.size() < n ? r.pending.size() : n;
  if (take == 0 && r.body.broken()) {
    *detail = "the body ended early or is malformed";
    return ERROR_INTERNET_CONNECTION_ABORTED;
  }
  std::memcpy(buf, r.pending.data(), take);
  r.pending.erase(0, take);
  *got = take;
  return 0;
}

}  // namespace qvp::net
