// Web paging: one HTTP/1.0 request to a paging service's web form.
#include "pager_web.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <strings.h>

#include "alert_runtime.h"
#include "pager_alert.h"
#include "pager_senders.h"

std::string FormEncode(const std::string& value) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : value) {
    if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '-' || c == '.' ||
        c == '_' || c == '~') {
      out += static_cast<char>(c);
    } else if (c == ' ') {
      out += '+';
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 0x0F];
    }
  }
  return out;
}

namespace {

const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }

bool StartsWith(const std::string& text, size_t at, const char* prefix) {
  return text.compare(at, std::strlen(prefix), prefix) == 0;
}

// One pass over `text`: "%arg:" items always, the page's values when `values`
// is given (the first of each only), blanks of the template as "+" in the
// path. Values are form-encoded in the path (`encode`) and kept in the host.
std::string Substitute(const std::string& text, const CPagerAlert* values, bool encode) {
  std::string out;
  bool idDone = false;
  bool numDone = false;
  bool msgDone = false;
  auto put = [&](const std::string& value) { out += encode ? FormEncode(value) : value; };
  for (size_t at = 0; at < text.size();) {
    if (StartsWith(text, at, "%arg:")) {
      const size_t close = text.find('%', at + 5);
      if (close == std::string::npos) {
        // No closing "%": the rest stays as written.
        out.append(text, at, std::string::npos);
        break;
      }
      const std::string item = text.substr(at + 5, close - at - 5);
      const size_t equals = item.find('=');
      put(equals == std::string::npos ? std::string() : item.substr(equals + 1));
      at = close + 1;
      continue;
    }
    if (values != nullptr) {
      if (!idDone && StartsWith(text, at, "%id%")) {
        put(OrEmpty(values->IsNumericMode() ? values->GetPIN() : values->GetPagerID()));
        idDone = true;
        at += 4;
        continue;
      }
      if (!numDone && StartsWith(text, at, "%num%")) {
        put(OrEmpty(values->GetNumber()));
        numDone = true;
        at += 5;
        continue;
      }
      if (!msgDone && StartsWith(text, at, "%msg%")) {
        put(OrEmpty(values->GetMessage()));
        msgDone = true;
        at += 5;
        continue;
      }
    }
    out += (encode && text[at] == ' ') ? '+' : text[at];
    ++at;
  }
  return out;
}

}  // namespace

bool FillWebPageTemplate(const CPagerAlert& alert, WebPageTarget* target) {
  std::string text = OrEmpty(alert.GetWebPageUrl());
  const size_t slash = text.find('/');
  if (slash != std::string::npos) text.erase(0, slash + 1);
  if (text.size() < 7 || strncasecmp(text.c_str(), "http://", 7) != 0) return false;
  text.erase(0, 7);
  const size_t pathStart = text.find('/');
  std::string host = Substitute(text.substr(0, pathStart), nullptr, false);
  const std::string path = pathStart == std::string::npos ? std::string() : text.substr(pathStart);
  target->port = 80;
  const size_t colon = host.find(':');
  if (colon != std::string::npos) {
    const std::string digits = host.substr(colon + 1);
    int port = 0;
    for (const char c : digits) {
      if (c < '0' || c > '9' || port > 65535) {
        port = 0;
        break;
      }
      port = port * 10 + (c - '0');
    }
    if (port < 1 || port > 65535) return false;  // no port to reach
    target->port = port;
    host.erase(colon);
  }
  if (host.empty() || path.empty()) return false;
  target->host = host;
  target->path = Substitute(path, &alert, true);
  return true;
}

std::string BuildWebPageRequest(const WebPageTarget& target) {
  const size_t form = target.path.find("??");
  if (form == std::string::npos) {
    return "GET " + target.path + " HTTP/1.0\r\nUser-Agent: Quorvane Monitoring and Alerting\r\nHost: " +
           target.host + "\r\nAccept: */*\r\n\r\n";
  }
  const std::string path = target.path.substr(0, target.path.find('?'));
  const std::string body = target.path.substr(form + 2);
  return "POST " + path + " HTTP/1.0\r\nUser-Agent: Quorvane Monitoring and Alerting\r\nHost: " + target.host +
         "\r\nContent-Type: application/x-www-form-urlencoded\r\nContent-Length: " + std::to_string(body.size()) +
         "\r\nAccept: */*\r\n\r\n" + body + "\r\n";
}

bool IsWebPageAccepted(const char* answer, size_t length) {
  if (length < 10 || strncasecmp(answer, "HTTP/", 5) != 0) return false;
  return answer[6] == '.' && (answer[9] == '2' || answer[9] == '3');
}

namespace {

// How long each network step may take, and how often a cancel or a stop is
// looked at meanwhile.
constexpr DWORD kDefaultStepLimit = 30000;
constexpr DWORD kStopCheck = 100;
std::atomic<DWORD> g_stepLimit{kDefaultStepLimit};

class WebPage {
 public:
  WebPage(CPagerAlert& alert, AlertStatus& status) : m_alert(alert), m_status(status) {}
  ~WebPage() { CloseSocket(); }

  bool Cancelled() const { return (m_alert.GetTestMode() && IsAlertTestCancelled()) || StoppedByMonitoring(); }
  bool StoppedByMonitoring() const {
    const std::atomic<bool>* running = m_alert.GetRunningFlag();
    return running != nullptr && !running->load();
  }
  void Post(const char* text) { m_status.Tell(text); }
  SendResult Fail(const char* text) {
    CloseSocket();
    m_status.Report(text);
    return SendResult::Failed;
  }
  SendResult Aborted() {
    const bool byMonitoring = StoppedByMonitoring();
    Fail("Aborted");
    // A page cut short by monitoring stopping stays spooled for later.
    return byMonitoring ? SendResult::Unavailable : SendResult::Failed;
  }

  bool Resolve(const std::string& host, in_addr* address) {
    const u_long dotted = inet_addr(host.c_str());
    if (dotted != INADDR_NONE) {
      address->s_addr = dotted;
      return true;
    }
    const hostent* entry = gethostbyname(host.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_length != 4 || entry->h_addr_list == nullptr ||
        entry->h_addr_list[0] == nullptr) {
      return false;
    }
    std::memcpy(&address->s_addr, entry->h_addr_list[0], 4);
    return true;
  }

  // Waits until the socket is ready (or failed), a cancel, or the step limit.
  enum class Ready { Yes, Cancelled, TimedOut };
  Ready WaitReady(bool forWrite, ULONGLONG deadline) {
    for (;;) {
      if (Cancelled()) return Ready::Cancelled;
      const ULONGLONG now = GetTickCount64();
      if (now >= deadline) return Ready::TimedOut;
      const DWORD slice = static_cast<DWORD>(std::min<ULONGLONG>(deadline - now, kStopCheck));
      fd_set ready;
      fd_set failed;
      FD_ZERO(&ready);
      FD_ZERO(&failed);
      FD_SET(m_socket, &ready);
      FD_SET(m_socket, &failed);
      timeval wait{0, static_cast<LONG>(slice * 1000)};
      if (select(0, forWrite ? nullptr : &ready, forWrite ? &ready : nullptr, &failed, &wait) > 0) return Ready::Yes;
    }
  }

  // Connects within the step limit; false with the reason in *cancelled.
  bool Connect(const in_addr& address, int port, bool* cancelled) {
    *cancelled = false;
    m_socket = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    if (m_socket == INVALID_SOCKET) return false;
    u_long nonBlocking = 1;
    ioctlsocket(m_socket, FIONBIO, &nonBlocking);
    sockaddr_in to{};
    to.sin_family = AF_INET;
    to.sin_port = htons(static_cast<u_short>(port));
    to.sin_addr = address;
    const ULONGLONG deadline = GetTickCount64() + g_stepLimit.load();
    for (;;) {
      if (connect(m_socket, reinterpret_cast<const sockaddr*>(&to), sizeof to) == 0) return true;
      const int error = WSAGetLastError();
      if (error == WSAEISCONN) return true;
      if (error != WSAEWOULDBLOCK && error != WSAEALREADY && error != WSAEINVAL && error != WSAEINPROGRESS) {
        return false;
      }
      const Ready ready = WaitReady(true, deadline);
      if (ready == Ready::Cancelled) *cancelled = true;
      if (ready != Ready::Yes) return false;
    }
  }

  bool SendAll(const std::string& request, bool* cancelled) {
    *cancelled = false;
    const ULONGLONG deadline = GetTickCount64() + g_stepLimit.load();
    size_t sent = 0;
    while (sent < request.size()) {
      const int put = send(m_socket, request.data() + sent, static_cast<int>(request.size() - sent), 0);
      if (put > 0) {
        sent += static_cast<size_t>(put);
        continue;
      }
      if (put < 0 && WSAGetLastError() != WSAEWOULDBLOCK) return false;
      const Ready ready = WaitReady(true, deadline);
      if (ready == Ready::Cancelled) *cancelled = true;
      if (ready != Ready::Yes) return false;
    }
    return true;
  }

  // Reads until the peer closes or 2047 bytes are in; false on an error or
  // when the gateway stays silent past the step limit.
  bool Receive(char* buffer, int size, int* received, bool* cancelled) {
    *cancelled = false;
    *received = 0;
    const ULONGLONG deadline = GetTickCount64() + g_stepLimit.load();
    while (*received < size - 1) {
      const int got = recv(m_socket, buffer + *received, size - 1 - *received, 0);
      if (got == 0) break;
      if (got > 0) {
        *received += got;
        continue;
      }
      if (WSAGetLastError() != WSAEWOULDBLOCK) return false;
      const Ready ready = WaitReady(false, deadline);
      if (ready == Ready::Cancelled) *cancelled = true;
      if (ready != Ready::Yes) return false;
    }
    buffer[*received] = '\0';
    return true;
  }

  void CloseSocket() {
    if (m_socket != INVALID_SOCKET) closesocket(m_socket);
    m_socket = INVALID_SOCKET;
  }

 private:
  CPagerAlert& m_alert;
  AlertStatus& m_status;
  SOCKET m_socket = INVALID_SOCKET;
};

// Windows Sockets started for the length of one page.
class SocketsStarted {
 public:
  SocketsStarted() {
    WSADATA data;
    m_ok = WSAStartup(MAKEWORD(1, 1), &data) == 0;
  }
  ~SocketsStarted() {
    if (m_ok) WSACleanup();
  }
  SocketsStarted(const SocketsStarted&) = delete;
  SocketsStarted& operator=(const SocketsStarted&) = delete;

 private:
  bool m_ok = false;
};

}  // namespace

void SetWebPageStepLimit(unsigned milliseconds) {
  g_stepLimit.store(milliseconds != 0 ? milliseconds : kDefaultStepLimit);
}

SendResult SendWebPage(CPagerAlert& alert, AlertStatus& status) {
  SocketsStarted sockets;
  WebPage page(alert, status);
  page.Post("Initializing");
  WebPageTarget target;
  if (!FillWebPageTemplate(alert, &target)) return page.Fail("Invalid Address");
  if (page.Cancelled()) return page.Aborted();

  page.Post("Resolving Host Address");
  in_addr address{};
  if (!page.Resolve(target.host, &address)) return page.Fail("Cannot Resolve Address");
  if (page.Cancelled()) return page.Aborted();

  page.Post("Connecting to Host");
  bool cancelled = false;
  if (!page.Connect(address, target.port, &cancelled)) {
    return cancelled ? page.Aborted() : page.Fail("Cannot Connect to Host");
  }
  if (page.Cancelled()) return page.Aborted();

  page.Post("Sending Request to Host");
  if (!page.SendAll(BuildWebPageRequest(target), &cancelled)) {
    return cancelled ? page.Aborted() : page.Fail("Failed to send HTTP Request");
  }
  if (page.Cancelled()) return page.Aborted();

  page.Post("Waiting for Response from Host");
  char answer[2048];
  int received = 0;
  if (!page.Receive(answer, sizeof answer, &received, &cancelled)) {
    return cancelled ? page.Aborted() : page.Fail("Host did not answer");
  }
  if (page.Cancelled()) return page.Aborted();
  if (!IsWebPageAccepted(answer, static_cast<size_t>(received))) return page.Fail("Unknown response from Host");
  if (page.Cancelled()) return page.Aborted();

  page.CloseSocket();
  page.Post("Web Page successfully sent.");
  return SendResult::Sent;
}
