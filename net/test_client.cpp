// Tests only: the loopback client.
#include "test_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

namespace qvtest {

uint16_t FreeLoopbackPort() {
  const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  uint16_t port = 0;
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size) == 0) {
    port = ntohs(address.sin_port);
  }
  ::close(fd);
  return port;
}

int OpenSocket(int patienceSeconds) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  timeval patience{patienceSeconds, 0};
  ::setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  return fd;
}

bool ConnectSocket(int fd, uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
}

int Connect(uint16_t port, int patienceSeconds) {
  const int fd = OpenSocket(patienceSeconds);
  if (fd < 0) return -1;
  if (!ConnectSocket(fd, port)) {
    ::close(fd);
    return -1;
  }
  return fd;
}

bool SendText(int fd, const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t sent = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (sent <= 0) return false;
    done += static_cast<size_t>(sent);
  }
  return true;
}

std::string ReadToEnd(int fd) {
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    text.append(buffer, static_cast<size_t>(got));
  }
  return text;
}

void Close(int fd) {
  if (fd >= 0) ::close(fd);
}

std::string Exchange(uint16_t port, const std::string& bytes) {
  const int fd = Connect(port);
  if (fd < 0) return "(no connection)";
  SendText(fd, bytes);
  std::string answer = ReadToEnd(fd);
  Close(fd);
  return answer;
}

}  // namespace qvtest
