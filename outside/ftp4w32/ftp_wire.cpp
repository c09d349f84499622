// The control connection, passive data connections and bounded waits.
#include "ftp_wire.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <cstring>

#include "ftp4w32_codes.h"

namespace ftp4w {
namespace {

// Longest reply line kept; the rest of a longer line is dropped.
constexpr size_t kMaxLine = 4096;
// Longest whole reply; a server that says more is not speaking FTP.
constexpr size_t kMaxReply = 65536;

std::atomic<bool> g_abort{false};

// The descriptor that wakes waits on FtpAbort; made once, closed at unload.
struct AbortWake {
  int fd = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
  ~AbortWake() {
    if (fd >= 0) close(fd);
  }
};
AbortWake& Wake() {
  static AbortWake wake;
  return wake;
}

int64_t NowMs() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

bool SetNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL, 0);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Connects a non-blocking socket to one address within the deadline.
int ConnectOne(const sockaddr* address, socklen_t length, int64_t deadline, int* out) {
  const int fd = socket(address->sa_family, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return FTP4W_CANTCREATESOCKET;
  if (!SetNonBlocking(fd)) {
    close(fd);
    return FTP4W_CANTCREATESOCKET;
  }
  if (connect(fd, address, length) != 0) {
    if (errno != EINPROGRESS) {
      close(fd);
      return FTP4W_CANTCONNECT;
    }
    const int waited = WaitReady(fd, POLLOUT, deadline);
    if (waited != 0) {
      close(fd);
      return waited;
    }
    int error = 0;
    socklen_t size = sizeof error;
    if (getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size) != 0 || error != 0) {
      close(fd);
      return FTP4W_CANTCONNECT;
    }
  }
  *out = fd;
  return FTP4W_OK;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// The port of a 227 reply "(h1,h2,h3,h4,p1,p2)"; the address part is read
// only to find the port. 0 when the reply has none.
int PortOfPasv(const std::string& text) {
  const size_t open = text.find('(');
  size_t at = open == std::string::npos ? 0 : open + 1;
  // Otherwise the first digit after the code.
  if (open == std::string::npos) {
    at = 3;
    while (at < text.size() && !IsDigit(text[at])) ++at;
  }
  long numbers[6];
  for (int i = 0; i < 6; ++i) {
    if (at >= text.size() || !IsDigit(text[at])) return 0;
    long value = 0;
    int digits = 0;
    while (at < text.size() && IsDigit(text[at]) && digits < 4) {
      value = value * 10 + (text[at] - '0');
      ++at;
      ++digits;
    }
    if (value > 255) return 0;
    numbers[i] = value;
    if (i < 5) {
      if (at >= text.size() || text[at] != ',') return 0;
      ++at;
    }
  }
  const long port = numbers[4] * 256 + numbers[5];
  return port > 0 && port <= 65535 ? static_cast<int>(port) : 0;
}

// The port of a 229 reply "(|||port|)"; 0 when it has none.
int PortOfEpsv(const std::string& text) {
  const size_t open = text.find("(|||");
  if (open == std::string::npos) return 0;
  size_t at = open + 4;
  long port = 0;
  int digits = 0;
  while (at < text.size() && IsDigit(text[at]) && digits < 6) {
    port = port * 10 + (text[at] - '0');
    ++at;
    ++digits;
  }
  if (at >= text.size() || text[at] != '|') return 0;
  return port > 0 && port <= 65535 ? static_cast<int>(port) : 0;
}

}  // namespace

void RequestAbort() {
  g_abort.store(true);
  const uint64_t one = 1;
  if (Wake().fd >= 0) {
    ssize_t written = write(Wake().fd, &one, sizeof one);
    (void)written;
  }
}

void ClearAbort() {
  g_abort.store(false);
  uint64_t value = 0;
  if (Wake().fd >= 0) {
    ssize_t got = read(Wake().fd, &value, sizeof value);
    (void)got;
  }
}

bool AbortRequested() { return g_abort.load(); }

int64_t DeadlineAfter(int milliseconds) { return NowMs() + milliseconds; }

int WaitReady(int fd, short events, int64_t deadline) {
  for (;;) {
    if (g_abort.load()) return FTP4W_CANCELLED;
    const int64_t left = deadline - NowMs();
    if (left <= 0) return FTP4W_TIMEOUT;
    pollfd fds[2] = {{fd, events, 0}, {Wake().fd, POLLIN, 0}};
    const int count = poll(fds, Wake().fd >= 0 ? 2 : 1, static_cast<int>(left > 60000 ? 60000 : left));
    if (count < 0) {
      if (errno == EINTR) continue;
      return FTP4W_CANTCONNECT;
    }
    if (g_abort.load()) return FTP4W_CANCELLED;
    if (count > 0 && fds[0].revents != 0) return FTP4W_OK;
  }
}

int SendAll(int fd, const char* data, size_t size, int64_t deadline) {
  size_t done = 0;
  while (done < size) {
    const ssize_t sent = send(fd, data + done, size - done, MSG_NOSIGNAL);
    if (sent > 0) {
      done += static_cast<size_t>(sent);
      continue;
    }
    if (sent < 0 && (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR)) {
      const int waited = WaitReady(fd, POLLOUT, deadline);
      if (waited != 0) return waited;
      continue;
    }
    return FTP4W_SENDREFUSED;
  }
  return FTP4W_OK;
}

int ReceiveSome(int fd, char* buffer, size_t size, int64_t deadline, long* got) {
  for (;;) {
    const int waited = WaitReady(fd, POLLIN, deadline);
    if (waited != FTP4W_OK) return waited;
    const ssize_t count = recv(fd, buffer, size, 0);
    if (count >= 0) {
      *got = static_cast<long>(count);
      return FTP4W_OK;
    }
    if (errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR) return FTP4W_DATACONNECTION;
  }
}

void DataSocket::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
}

bool SplitHostPort(const std::string& text, int defaultPort, std::string* host, int* port) {
  std::string name = text;
  std::string portText;
  if (!name.empty() && name[0] == '[') {
    const size_t close = name.find(']');
    if (close == std::string::npos) return false;
    const std::string rest = name.substr(close + 1);
    name = name.substr(1, close - 1);
    if (!rest.empty()) {
      if (rest[0] != ':') return false;
      portText = rest.substr(1);
      if (portText.empty()) return false;
    }
  } else {
    const size_t colon = name.find(':');
    // More than one colon: a bare IPv6 address, no port.
    if (colon != std::string::npos && name.find(':', colon + 1) == std::string::npos) {
      portText = name.substr(colon + 1);
      name = name.substr(0, colon);
      if (portText.empty()) return false;
    }
  }
  if (name.empty()) return false;
  int value = defaultPort;
  if (!portText.empty()) {
    if (portText.size() > 5) return false;
    value = 0;
    for (char c : portText) {
      if (!IsDigit(c)) return false;
      value = value * 10 + (c - '0');
    }
  }
  if (value < 1 || value > 65535) return false;
  *host = name;
  *port = value;
  return true;
}

int ControlConnection::Connect(const std::string& host, int port) {
  Close();
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  const std::string service = std::to_string(port);
  if (getaddrinfo(host.c_str(), service.c_str(), &hints, &found) != 0 || found == nullptr) {
    return FTP4W_UNKNOWNHOST;
  }
  const int64_t deadline = DeadlineAfter(timeoutMs_);
  int result = FTP4W_CANTCONNECT;
  for (addrinfo* a = found; a != nullptr; a = a->ai_next) {
    int fd = -1;
    result = ConnectOne(a->ai_addr, a->ai_addrlen, deadline, &fd);
    if (result == FTP4W_OK) {
      fd_ = fd;
      peerLength_ = static_cast<socklen_t>(a->ai_addrlen);
      std::memcpy(&peer_, a->ai_addr, a->ai_addrlen);
      break;
    }
    if (result == FTP4W_TIMEOUT || result == FTP4W_CANCELLED) break;
  }
  freeaddrinfo(found);
  if (result != FTP4W_OK) return result;
  Reply greeting;
  // A server may send 120 ("ready in a moment") before its 220.
  for (;;) {
    result = ReadReply(&greeting);
    if (result != FTP4W_OK) {
      Close();
      return result;
    }
    if (greeting.code == 120) continue;
    break;
  }
  if (greeting.code != 220) {
    Close();
    return FTP4W_CONNECTREJECTED;
  }
  return FTP4W_OK;
}

int ControlConnection::ReadLine(std::string* line, int64_t deadline) {
  line->clear();
  bool dropping = false;
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      if (!dropping) line->append(pending_, 0, end > kMaxLine ? kMaxLine : end);
      pending_.erase(0, end + 1);
      if (!line->empty() && line->back() == '\r') line->pop_back();
      return FTP4W_OK;
    }
    if (pending_.size() > kMaxLine) {
      // Keep the start of an over-long line and drop the rest up to its end.
      if (!dropping) line->append(pending_, 0, kMaxLine);
      dropping = true;
      pending_.clear();
    }
    const int waited = WaitReady(fd_, POLLIN, deadline);
    if (waited != FTP4W_OK) return waited;
    char buffer[2048];
    const ssize_t got = recv(fd_, buffer, sizeof buffer, 0);
    if (got == 0) return FTP4W_NOREPLY;
    if (got < 0) {
      if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) continue;
      return FTP4W_NOREPLY;
    }
    pending_.append(buffer, static_cast<size_t>(got));
  }
}

int ControlConnection::ReadReply(Reply* reply) {
  reply->code = 0;
  reply->text.clear();
  if (fd_ < 0) return FTP4W_NOTCONNECTED;
  const int64_t deadline = DeadlineAfter(timeoutMs_);
  std::string line;
  int result = ReadLine(&line, deadline);
  if (result != FTP4W_OK) {
    Close();
    return result;
  }
  if (line.size() < 3 || !IsDigit(line[0]) || !IsDigit(line[1]) || !IsDigit(line[2]) ||
      (line.size() > 3 && line[3] != ' ' && line[3] != '-') || line[0] < '1' || line[0] > '5') {
    Close();
    return FTP4W_UNEXPECTEDANSWER;
  }
  const std::string code = line.substr(0, 3);
  reply->text = line;
  if (line.size() > 3 && line[3] == '-') {
    // A multi-line reply ends with a line that starts with the same code and a blank.
    for (;;) {
      result = ReadLine(&line, deadline);
      if (result != FTP4W_OK) {
        Close();
        return result;
      }
      reply->text += '\n';
      reply->text += line;
      if (reply->text.size() > kMaxReply) {
        Close();
        return FTP4W_UNEXPECTEDANSWER;
      }
      if (line.size() >= 4 && line.compare(0, 3, code) == 0 && line[3] == ' ') break;
      if (line.size() == 3 && line == code) break;
    }
  }
  reply->code = std::atoi(code.c_str());
  if (reply->code == 421) {
    // The server is closing the connection.
    Close();
    return FTP4W_CONNECTREJECTED;
  }
  return FTP4W_OK;
}

int ControlConnection::SendLine(const std::string& line) {
  if (fd_ < 0) return FTP4W_NOTCONNECTED;
  const std::string wire = line + "\r\n";
  const int result = SendAll(fd_, wire.data(), wire.size(), DeadlineAfter(timeoutMs_));
  if (result != FTP4W_OK) Close();
  return result;
}

int ControlConnection::Command(const std::string& line, Reply* reply) {
  const int sent = SendLine(line);
  if (sent != FTP4W_OK) return sent;
  return ReadReply(reply);
}

int ControlConnection::OpenData(int* dataFd) {
  Reply reply;
  int port = 0;
  if (peer_.ss_family == AF_INET6) {
    const int result = Command("EPSV", &reply);
    if (result != FTP4W_OK) return result;
    if (reply.code != 229) return FTP4W_DATACONNECTION;
    port = PortOfEpsv(reply.text);
  } else {
    const int result = Command("PASV", &reply);
    if (result != FTP4W_OK) return result;
    if (reply.code != 227) return FTP4W_DATACONNECTION;
    port = PortOfPasv(reply.text);
  }
  if (port == 0) return FTP4W_DATACONNECTION;
  // The data connection goes to the host we talk to, whatever address the
  // reply names: a reply cannot send our connection elsewhere.
  sockaddr_storage address = peer_;
  if (address.ss_family == AF_INET6) {
    reinterpret_cast<sockaddr_in6*>(&address)->sin6_port = htons(static_cast<uint16_t>(port));
  } else {
    reinterpret_cast<sockaddr_in*>(&address)->sin_port = htons(static_cast<uint16_t>(port));
  }
  const int result =
      ConnectOne(reinterpret_cast<const sockaddr*>(&address), peerLength_, DeadlineAfter(timeoutMs_), dataFd);
  if (result == FTP4W_CANTCONNECT || result == FTP4W_CANTCREATESOCKET) return FTP4W_DATACONNECTION;
  return result;
}

void ControlConnection::Close() {
  if (fd_ >= 0) close(fd_);
  fd_ = -1;
  pending_.clear();
}

}  // namespace ftp4w
