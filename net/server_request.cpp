// The request's variables, its parsing and the mapping of its URL.
#include "server_request.h"

#include <strings.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "report_store.h"

namespace {

constexpr size_t kNameMax = 99;
constexpr size_t kValueMax = 199;
constexpr size_t kMaxVariables = 256;
constexpr size_t kTextMax = 99;
constexpr size_t kPathMax = 259;

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

void CopyOut(const std::string& value, char* out, int outSize) {
  if (out == nullptr || outSize < 1) return;
  const size_t n = std::min(value.size(), static_cast<size_t>(outSize - 1));
  std::memcpy(out, value.data(), n);
  out[n] = '\0';
}

bool SameText(const std::string& a, const std::string& b) {
  return a.size() == b.size() && strncasecmp(a.c_str(), b.c_str(), a.size()) == 0;
}

// The value of key `name` in a query or form: the text after "name=" where
// the key begins the text or follows '&' or ';', up to the next '&' or ';'.
bool FindKey(const std::string& text, const std::string& name, std::string* value) {
  if (name.empty()) return false;
  const std::string key = name + "=";
  for (size_t at = text.find(key); at != std::string::npos; at = text.find(key, at + 1)) {
    if (at != 0 && text[at - 1] != '&' && text[at - 1] != ';' && text[at - 1] != '?') continue;
    const size_t start = at + key.size();
    const size_t end = text.find_first_of("&;", start);
    *value = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    return true;
  }
  return false;
}

// Parses decimal digits after optional blanks; 0 when there are none.
uint32_t LeadingNumber(const std::string& text) {
  uint64_t n = 0;
  size_t i = 0;
  while (i < text.size() && text[i] >= '0' && text[i] <= '9' && n <= 0xffffffffull) {
    n = n * 10 + static_cast<uint64_t>(text[i] - '0');
    ++i;
  }
  return n > 0xffffffffull ? 0 : static_cast<uint32_t>(n);
}

}  // namespace

void UrlDecode(std::string* text) {
  std::string out;
  out.reserve(text->size());
  for (size_t i = 0; i < text->size(); ++i) {
    const char c = (*text)[i];
    if (c == '+') {
      out += ' ';
    } else if (c == '%' && i + 2 < text->size() + 0 && HexDigit((*text)[i + 1]) >= 0 &&
               HexDigit((*text)[i + 2]) >= 0) {
      out += static_cast<char>(HexDigit((*text)[i + 1]) * 16 + HexDigit((*text)[i + 2]));
      i += 2;
    } else {
      out += c;
    }
  }
  *text = std::move(out);
}

bool DecodePath(const std::string& raw, std::string* out) {
  out->clear();
  for (size_t i = 0; i < raw.size(); ++i) {
    if (raw[i] != '%') {
      *out += raw[i];
      continue;
    }
    if (i + 2 >= raw.size() + 0 || HexDigit(raw[i + 1]) < 0 || HexDigit(raw[i + 2]) < 0) return false;
    *out += static_cast<char>(HexDigit(raw[i + 1]) * 16 + HexDigit(raw[i + 2]));
    i += 2;
  }
  return true;
}

std::string HtmlEscape(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default: out += c;
    }
  }
  return out;
}

std::string EncodeForHeader(const std::string& text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : text) {
    if (c <= 0x20 || c >= 0x7f || c == '"' || c == '<' || c == '>' || c == '\\') {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

ServerRequest::ServerRequest(const RemoteServerSettings& block, Sender send, uint32_t client,
                             std::string listenAddress)
    : clientAddress(client), settings(block), send_(std::move(send)), listenAddress_(std::move(listenAddress)) {}

std::string ServerRequest::GetVarText(const std::string& name) const {
  const std::string key = name.substr(0, kNameMax);
  for (const auto& [n, v] : vars_) {
    if (SameText(n, key)) return v;
  }
  return {};
}

std::string ServerRequest::GetParamText(const std::string& name) const {
  std::string value;
  if (!FindKey(query, name, &value) && !FindKey(form, name, &value)) return {};
  for (char& c : value) {
    if (c == '+') c = ' ';
  }
  return value.substr(0, kValueMax);
}

void ServerRequest::GetParam(const char* name, char* out, int outSize) {
  CopyOut(name != nullptr ? GetParamText(name) : std::string(), out, outSize);
}

void ServerRequest::GetVarInt(const char* name, int32_t* out) {
  if (out == nullptr) return;
  *out = name != nullptr ? static_cast<int32_t>(std::strtol(GetVarText(name).c_str(), nullptr, 10)) : 0;
}

void ServerRequest::GetVar(const char* name, char* out, int outSize) {
  CopyOut(name != nullptr ? GetVarText(name) : std::string(), out, outSize);
}

void ServerRequest::SetVarInt(const char* name, int32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "%u", static_cast<unsigned>(value));
  SetVar(name, text);
}

void ServerRequest::SetVar(const char* name, const char* value) {
  if (name == nullptr) return;
  const std::string key = std::string(name).substr(0, kNameMax);
  const std::string text = std::string(value != nullptr ? value : "").substr(0, kValueMax);
  for (auto& [n, v] : vars_) {
    if (SameText(n, key)) {
      v = text;
      return;
    }
  }
  if (vars_.size() < kMaxVariables) vars_.emplace_back(key, text);
}

// The variables of a text: every "name=value" whose name follows a line end,
// '&' or '?'.
static void CollectVariables(const std::string& text, std::vector<std::pair<std::string, std::string>>* vars) {
  for (size_t eq = text.find('='); eq != std::string::npos; eq = text.find('=', eq + 1)) {
    if (vars->size() >= kMaxVariables) return;
    const size_t lead = text.find_last_of("\r\n&?", eq == 0 ? 0 : eq - 1);
    if (eq == 0 || lead == std::string::npos) continue;
    std::string name = text.substr(lead + 1, eq - lead - 1);
    const size_t end = text.find_first_of("&;\r\n ", eq + 1);
    std::string value = text.substr(eq + 1, end == std::string::npos ? std::string::npos : end - eq - 1);
    UrlDecode(&name);
    UrlDecode(&value);
    vars->emplace_back(name.substr(0, kNameMax), value.substr(0, kValueMax));
  }
}

uint64_t ServerRequest::Now() const { return GetTickCount64(); }

int ServerRequest::Parse(const std::string& headIn, const std::string& body) {
  status = 0;
  query.clear();
  host.clear();
  mappedPath.clear();
  underUsers = false;
  item.clear();
  userName.clear();
  userId = 0;
  moduleId = 0;
  results = 0;
  loopStart = 0;
  loopCounter = 0;
  errorText.clear();
  haveUser = false;
  vars_.clear();
  method.clear();
  form.clear();

  const std::string head = headIn.substr(0, 2048);
  CollectVariables(head, &vars_);

  const size_t hostAt = head.find("Host: ");
  if (hostAt == std::string::npos) return 0;
  const size_t hostEnd = head.find_first_of(" \r\n", hostAt + 6);
  host = head.substr(hostAt + 6, hostEnd == std::string::npos ? std::string::npos : hostEnd - hostAt - 6)
             .substr(0, kTextMax);

  size_t at = head.find_first_not_of(' ');
  if (at == std::string::npos) return 0;
  size_t end = head.find(' ', at);
  if (end == std::string::npos) return 0;
  method = head.substr(at, end - at);
  const bool isGet = !method.empty() && method.size() <= 3 && strncasecmp(method.c_str(), "get", method.size()) == 0;
  const bool isPost = !method.empty() && method.size() <= 4 && strncasecmp(method.c_str(), "post", method.size()) == 0;
  if (!isGet && !isPost) return 0;
  if (isPost) {
    form = body.substr(0, 2048);
    if (!form.empty()) CollectVariables("&" + form, &vars_);
  }
  at = head.find_first_not_of(' ', end);
  if (at == std::string::npos || head[at] != '/') return 0;
  end = head.find_first_of(" \r\n", at);
  std::string url = head.substr(at, end == std::string::npos ? std::string::npos : end - at);
  const size_t mark = url.find('?');
  if (mark != std::string::npos) {
    query = url.substr(mark + 1);
    url.resize(mark);
  }
  ReadQueryKeys();

  // The version: eight characters beginning "HTTP/", then one line end.
  if (end == std::string::npos || head[end] != ' ') return 0;
  at = head.find_first_not_of(' ', end);
  if (at == std::string::npos) return 0;
  end = head.find_first_of(" \r\n", at);
  const std::string version = head.substr(at, end == std::string::npos ? std::string::npos : end - at);
  if (version.size() != 8 || strncasecmp(version.c_str(), "http/", 5) != 0) return 0;
  at = end == std::string::npos ? head.size() : head.find_first_not_of(' ', end);
  if (at == std::string::npos || at + 2 > head.size() || head.compare(at, 2, "\r\n") != 0) return 0;

  MapUrl(url);
  return 0;
}

void ServerRequest::ReadQueryKeys() {
  std::string value;
  if (FindKey(query, "User", &value)) {
    userId = LeadingNumber(value);
    userName = "unknown";
    const uint64_t now = Now();
    if (!g_logonThrottle.IsLocked(clientAddress, now) && g_remoteUsers.FindById(userId, &user)) {
      haveUser = true;
      userName = user.name;
    } else {
      g_logonThrottle.Failure(clientAddress, now);
    }
  }
  if (FindKey(query, "Item", &value)) {
    UrlDecode(&value);
    item = value.substr(0, kTextMax);
    SetVar("qItem", item.c_str());
  }
}

// The URL path is decoded once; a path that names anything outside its root
// ("." or ".." components, back-slashes, control bytes) maps to nothing.
void ServerRequest::MapUrl(const std::string& rawPath) {
  std::string path;
  if (!DecodePath(rawPath, &path) || path.empty() || path[0] != '/') return;
  for (unsigned char c : path) {
    if (c < 0x20 || c == 0x7f || c == '\\' || c == ':') return;
  }
  size_t from = 1;
  for (;;) {
    const size_t next = path.find('/', from);
    const std::string part = path.substr(from, next == std::string::npos ? std::string::npos : next - from);
    if (part == "." || part == "..") return;
    if (next == std::string::npos) break;
    from = next + 1;
  }

  std::string mapped;
  bool inUsers = false;
  const size_t s = path.find('/', 1);
  if (s != std::string::npos && path.size() > 1 && path[1] >= '0' && path[1] <= '9') {
    const uint32_t id = LeadingNumber(path.substr(1, s - 1));
    userId = id;
    userName = "unknown";
    RemoteUser found;
    const uint64_t now = Now();
    if (!g_logonThrottle.IsLocked(clientAddress, now) && g_remoteUsers.FindById(id, &found)) {
      user = found;
      haveUser = true;
      userName = found.name;
      inUsers = true;
      if (found.admin) {
        mapped = path.substr(s);
      } else {
        const size_t behind = path.find('/', s + 1);
        mapped = "/" + found.name + "/" + path.substr(behind == std::string::npos ? s + 1 : behind + 1);
      }
    } else {
      g_logonThrottle.Failure(clientAddress, now);
      mapped = "/unknown" + path.substr(s);
    }
  } else if (s != std::string::npos && path.size() >= 6 && strncasecmp(path.c_str(), "/users", 6) == 0) {
    std::string rest = path.substr(6);
    if (!rest.empty() && rest[0] == '/') rest.erase(0, 1);
    mapped = "/unknown/" + rest;
  } else {
    mapped = path;
  }
  if (!mapped.empty() && mapped.back() == '/') mapped += "default.htm";
  // Whatever the mapping made of the path, it names nothing above its root.
  for (size_t at = 1;;) {
    const size_t next = mapped.find('/', at);
    const std::string part = mapped.substr(at, next == std::string::npos ? std::string::npos : next - at);
    if (part == "." || part == "..") return;
    if (next == std::string::npos) break;
    at = next + 1;
  }
  for (char& c : mapped) {
    if (c == '/') c = '\\';
  }
  const std::string root = inUsers ? settings.usersFolder : settings.webRoot;
  if (root.size() + mapped.size() > kPathMax) return;
  mappedPath = root + mapped;
  underUsers = inUsers;
}

// The host as the client named it when it is a host name or address with an
// optional port; otherwise the address the server listens on.
std::string ServerRequest::SafeHost() const {
  if (host.empty()) return listenAddress_;
  size_t colon = host.find(':');
  const std::string name = host.substr(0, colon);
  if (name.empty()) return listenAddress_;
  for (unsigned char c : name) {
    if (!std::isalnum(c) && c != '.' && c != '-') return listenAddress_;
  }
  if (colon != std::string::npos) {
    const std::string port = host.substr(colon + 1);
    if (port.empty() || port.size() > 5) return listenAddress_;
    for (unsigned char c : port) {
      if (!std::isdigit(c)) return listenAddress_;
    }
  }
  return host;
}
