// Tests only: a small stand-in for the FTP client library "FTP4W32.DLL" with
// the entry points report delivery binds (synchronous, passive, binary), so
// that the delivery can be tested against a real FTP server before the
// library itself is there. A test peer; it is never shipped.
#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

#define FAKE_API extern "C" __attribute__((visibility("default")))

namespace {

int g_port = 21;
int g_timeout_ms = 30000;
int g_control = -1;
std::string g_pending;  // bytes read past the last reply

bool WaitReadable(int fd) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, g_timeout_ms) == 1;
}

// The reply code of the next whole reply (multi-line replies included); 0 when none.
int Reply() {
  for (;;) {
    const size_t end = g_pending.find("\r\n");
    if (end != std::string::npos) {
      const std::string line = g_pending.substr(0, end);
      g_pending.erase(0, end + 2);
      if (line.size() >= 4 && line[3] == ' ' && std::isdigit(static_cast<unsigned char>(line[0]))) {
        return std::atoi(line.substr(0, 3).c_str());
      }
      continue;
    }
    if (!WaitReadable(g_control)) return 0;
    char buffer[1024];
    const ssize_t got = recv(g_control, buffer, sizeof buffer, 0);
    if (got <= 0) return 0;
    g_pending.append(buffer, static_cast<size_t>(got));
  }
}

int Command(const std::string& text) {
  const std::string line = text + "\r\n";
  if (send(g_control, line.data(), line.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(line.size())) return 0;
  return Reply();
}

int Connect(const char* host, int port) {
  addrinfo hints{};
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* found = nullptr;
  if (getaddrinfo(host, std::to_string(port).c_str(), &hints, &found) != 0) return -1;
  int fd = -1;
  for (addrinfo* a = found; a != nullptr && fd < 0; a = a->ai_next) {
    fd = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
    if (fd >= 0 && connect(fd, a->ai_addr, a->ai_addrlen) != 0) {
      close(fd);
      fd = -1;
    }
  }
  freeaddrinfo(found);
  return fd;
}

void CloseControl() {
  if (g_control >= 0) close(g_control);
  g_control = -1;
  g_pending.clear();
}

}  // namespace

FAKE_API int FtpInit(void*) { return 0; }
FAKE_API int FtpRelease() {
  CloseControl();
  return 0;
}
FAKE_API int FtpSetDefaultPort(int port) {
  g_port = port;
  return 0;
}
FAKE_API int FtpSetDefaultTimeOut(int seconds) {
  g_timeout_ms = seconds * 1000;
  return 0;
}
FAKE_API int FtpSetSynchronousMode() { return 0; }
FAKE_API int FtpSetAsynchronousMode() { return 0; }
FAKE_API int FtpSetPassiveMode(int) { return 0; }

FAKE_API int FtpLogin(const char* host, const char* user, const char* password, void*, unsigned) {
  CloseControl();
  g_control = Connect(host, g_port);
  if (g_control < 0) return 2;
  if (Reply() != 220) return 2;
  int code = Command(std::string("USER ") + user);
  if (code == 331) code = Command(std::string("PASS ") + password);
  if (code != 230) {
    CloseControl();
    return 1;
  }
  return 0;
}

FAKE_API int FtpCWD(const char* path) { return Command(std::string("CWD ") + path) == 250 ? 0 : 1; }

FAKE_API int FtpSendFile(const char* local, const char* remote, char type, int, void*, unsigned) {
  if (g_control < 0) return 1;
  if (Command(std::string("TYPE ") + type) != 200) return 1;
  const std::string pasv = "PASV\r\n";
  send(g_control, pasv.data(), pasv.size(), MSG_NOSIGNAL);
  // The 227 reply carries the data address.
  while (g_pending.find("\r\n") == std::string::npos) {
    char buffer[512];
    if (!WaitReadable(g_control)) return 1;
    const ssize_t got = recv(g_control, buffer, sizeof buffer, 0);
    if (got <= 0) return 1;
    g_pending.append(buffer, static_cast<size_t>(got));
  }
  const std::string line = g_pending.substr(0, g_pending.find("\r\n"));
  g_pending.erase(0, line.size() + 2);
  int h1, h2, h3, h4, p1, p2;
  const size_t open = line.find('(');
  if (line.compare(0, 3, "227") != 0 || open == std::string::npos ||
      std::sscanf(line.c_str() + open, "(%d,%d,%d,%d,%d,%d)", &h1, &h2, &h3, &h4, &p1, &p2) != 6) {
    return 1;
  }
  const std::string address = std::to_string(h1) + "." + std::to_string(h2) + "." + std::to_string(h3) + "." +
                              std::to_string(h4);
  const int data = Connect(address.c_str(), p1 * 256 + p2);
  if (data < 0) return 1;
  const int started = Command(std::string("STOR ") + remote);
  if (started != 150 && started != 125) {
    close(data);
    return 1;
  }
  std::string path = local;
  for (char& c : path) {
    if (c == '\\') c = '/';
  }
  std::ifstream in(path, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  const bool sent = send(data, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  close(data);
  return sent && Reply() == 226 ? 0 : 1;
}

FAKE_API int FtpCloseConnection() {
  if (g_control >= 0) Command("QUIT");
  CloseControl();
  return 0;
}

FAKE_API int FtpDir(const char*, const char*, int, void*, unsigned) { return 0; }
