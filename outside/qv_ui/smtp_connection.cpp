// The mail server connection over the layer's Windows Sockets.
#include "smtp_connection.h"

#include <cstring>

#include "smtp_mail.h"

namespace qvui::smtp {
namespace {

constexpr ULONGLONG kSliceMs = 50;      // how often a wait looks at the cancel flag
constexpr size_t kMaxLine = 4096;       // longest reply line taken
constexpr size_t kMaxReplyLines = 200;  // most lines of one reply

bool IsDomainCharacter(char c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
         c == '.';
}

int FailureOfSocketError(int error) {
  switch (error) {
    case WSAETIMEDOUT:
      return QVUI_MAIL_TIMEOUT;
    case WSAECONNREFUSED:
    case WSAENETUNREACH:
    case WSAEHOSTUNREACH:
    case WSAEADDRNOTAVAIL:
      return QVUI_MAIL_CONNECT_FAILED;
    default:
      return QVUI_MAIL_CONNECTION_LOST;
  }
}

}  // namespace

std::string Reply::Text() const {
  std::string text;
  for (const std::string& line : lines) {
    if (!text.empty()) text += " / ";
    text += line;
  }
  return text;
}

Connection::~Connection() {
  if (socket_ != INVALID_SOCKET) closesocket(socket_);
}

bool Connection::Cancelled() const {
  return cancel_ != nullptr && __atomic_load_n(cancel_, __ATOMIC_ACQUIRE) != 0;
}

int Connection::WaitFor(Wait what, ULONGLONG deadline, bool cancellable) {
  for (;;) {
    if (cancellable && Cancelled()) return QVUI_MAIL_CANCELLED;
    const ULONGLONG now = GetTickCount64();
    if (now >= deadline) return QVUI_MAIL_TIMEOUT;
    const ULONGLONG slice = deadline - now < kSliceMs ? deadline - now : kSliceMs;
    fd_set ready;
    fd_set failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(socket_, &ready);
    FD_SET(socket_, &failed);
    timeval wait{};
    wait.tv_sec = 0;
    wait.tv_usec = static_cast<LONG>(slice * 1000);
    const int count = what == Wait::kRead ? select(0, &ready, nullptr, &failed, &wait)
                                          : select(0, nullptr, &ready, &failed, &wait);
    if (count == SOCKET_ERROR) return FailureOfSocketError(WSAGetLastError());
    if (count > 0) return QVUI_MAIL_SENT;
  }
}

int Connection::Open(const std::string& host, unsigned port, DWORD timeout_ms) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(static_cast<u_short>(port));
  address.sin_addr.s_addr = inet_addr(host.c_str());
  if (address.sin_addr.s_addr == INADDR_NONE) {
    const hostent* entry = gethostbyname(host.c_str());
    if (entry == nullptr || entry->h_addrtype != AF_INET || entry->h_addr_list[0] == nullptr) {
      return QVUI_MAIL_HOST_NOT_FOUND;
    }
    std::memcpy(&address.sin_addr, entry->h_addr_list[0], sizeof address.sin_addr);
  }
  if (Cancelled()) return QVUI_MAIL_CANCELLED;
  socket_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (socket_ == INVALID_SOCKET) return QVUI_MAIL_NO_NETWORK;
  u_long nonBlocking = 1;
  if (ioctlsocket(socket_, FIONBIO, &nonBlocking) != 0) return QVUI_MAIL_NO_NETWORK;
  const sockaddr* target = reinterpret_cast<const sockaddr*>(&address);
  // Non-blocking connect: the first call starts the attempt, a later call
  // answers WSAEISCONN once it is made, or the attempt's error.
  for (;;) {
    if (connect(socket_, target, sizeof address) == 0) return QVUI_MAIL_SENT;
    const int error = WSAGetLastError();
    if (error == WSAEISCONN) return QVUI_MAIL_SENT;
    if (error != WSAEWOULDBLOCK && error != WSAEALREADY) {
      return error == WSAETIMEDOUT ? QVUI_MAIL_TIMEOUT : QVUI_MAIL_CONNECT_FAILED;
    }
    const int waited = WaitFor(Wait::kWrite, deadline, true);
    if (waited != QVUI_MAIL_SENT) return waited;
  }
}

int Connection::Send(const std::string& data, DWORD timeout_ms, bool cancellable) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  size_t sent = 0;
  while (sent < data.size()) {
    const size_t left = data.size() - sent;
    const int chunk = left > 65536 ? 65536 : static_cast<int>(left);
    const int n = send(socket_, data.data() + sent, chunk, 0);
    if (n > 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    const int error = WSAGetLastError();
    if (n == SOCKET_ERROR && error != WSAEWOULDBLOCK) return FailureOfSocketError(error);
    const int waited = WaitFor(Wait::kWrite, deadline, cancellable);
    if (waited != QVUI_MAIL_SENT) return waited;
  }
  return QVUI_MAIL_SENT;
}

int Connection::ReadLine(std::string* line, ULONGLONG deadline, bool cancellable) {
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      if (end > kMaxLine) return QVUI_MAIL_PROTOCOL_ERROR;
      *line = pending_.substr(0, end);
      if (!line->empty() && line->back() == '\r') line->pop_back();
      pending_.erase(0, end + 1);
      return QVUI_MAIL_SENT;
    }
    if (pending_.size() > kMaxLine) return QVUI_MAIL_PROTOCOL_ERROR;
    char buffer[1024];
    const int n = recv(socket_, buffer, sizeof buffer, 0);
    if (n > 0) {
      pending_.append(buffer, static_cast<size_t>(n));
      continue;
    }
    if (n == 0) return QVUI_MAIL_CONNECTION_LOST;
    const int error = WSAGetLastError();
    if (error != WSAEWOULDBLOCK) return FailureOfSocketError(error);
    const int waited = WaitFor(Wait::kRead, deadline, cancellable);
    if (waited != QVUI_MAIL_SENT) return waited;
  }
}

int Connection::ReadReply(Reply* reply, DWORD timeout_ms, bool cancellable) {
  const ULONGLONG deadline = GetTickCount64() + timeout_ms;
  reply->code = 0;
  reply->lines.clear();
  for (;;) {
    std::string line;
    const int read = ReadLine(&line, deadline, cancellable);
    if (read != QVUI_MAIL_SENT) return read;
    reply->lines.push_back(line);
    // "ddd text" ends a reply, "ddd-text" continues it; every line of one
    // reply carries the same code.
    if (line.size() < 3 || line[0] < '1' || line[0] > '5' || line[1] < '0' || line[1] > '9' ||
        line[2] < '0' || line[2] > '9' || (line.size() > 3 && line[3] != ' ' && line[3] != '-')) {
      return QVUI_MAIL_PROTOCOL_ERROR;
    }
    const int code = (line[0] - '0') * 100 + (line[1] - '0') * 10 + (line[2] - '0');
    if (reply->code != 0 && code != reply->code) return QVUI_MAIL_PROTOCOL_ERROR;
    reply->code = code;
    if (line.size() == 3 || line[3] == ' ') return QVUI_MAIL_SENT;
    if (reply->lines.size() >= kMaxReplyLines) return QVUI_MAIL_PROTOCOL_ERROR;
  }
}

std::string Connection::ClientDomain() const {
  char name[256] = {};
  if (gethostname(name, static_cast<int>(sizeof name)) == 0 && name[0] != '\0') {
    bool usable = true;
    for (const char* p = name; *p != '\0'; ++p) usable = usable && IsDomainCharacter(*p);
    if (usable && name[0] != '-' && name[0] != '.') return name;
  }
  sockaddr_in local{};
  int length = sizeof local;
  if (socket_ != INVALID_SOCKET &&
      getsockname(socket_, reinterpret_cast<sockaddr*>(&local), &length) == 0) {
    return std::string("[") + inet_ntoa(local.sin_addr) + "]";
  }
  return "[127.0.0.1]";
}

}  // namespace qvui::smtp
