// Tests only: the raw listener and lighttpd.
#include "http_test_peers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <vector>

namespace httptest {
namespace {

int Listen(int* port) {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd, 8) != 0 ||
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd);
    return -1;
  }
  *port = ntohs(address.sin_port);
  return fd;
}

bool Readable(int fd, int milliseconds) {
  pollfd p{fd, POLLIN, 0};
  return poll(&p, 1, milliseconds) > 0;
}

}  // namespace

RawListener::RawListener(std::string response, long resetAfter)
    : response_(std::move(response)), resetAfter_(resetAfter) {
  listener_ = Listen(&port_);
  if (pipe2(stop_, O_CLOEXEC) != 0) stop_[0] = stop_[1] = -1;
  thread_ = std::thread([this] {
    pollfd fds[2] = {{listener_, POLLIN, 0}, {stop_[0], POLLIN, 0}};
    if (poll(fds, 2, -1) <= 0 || fds[1].revents != 0) return;
    const int fd = accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
    if (fd < 0) return;
    connections_.fetch_add(1);
    std::string request;
    while (request.find("\r\n\r\n") == std::string::npos && Readable(fd, 30000)) {
      char buffer[2048];
      const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
      if (got <= 0) break;
      request.append(buffer, static_cast<size_t>(got));
    }
    request_ = request;
    done_.store(true);
    const size_t count =
        resetAfter_ >= 0 ? std::min(static_cast<size_t>(resetAfter_), response_.size()) : response_.size();
    size_t sent = 0;
    while (sent < count) {
      const ssize_t n = send(fd, response_.data() + sent, count - sent, MSG_NOSIGNAL);
      if (n <= 0) break;
      sent += static_cast<size_t>(n);
    }
    if (resetAfter_ >= 0) {
      // Let the bytes reach the client first, then reset the connection.
      usleep(200000);
      linger hard{1, 0};
      setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
    }
    close(fd);
  });
}

RawListener::~RawListener() {
  const char byte = 1;
  ssize_t written = write(stop_[1], &byte, 1);
  (void)written;
  thread_.join();
  close(listener_);
  close(stop_[0]);
  close(stop_[1]);
}

std::string RawListener::request() { return done_.load() ? request_ : std::string(); }

int ClosedPort() {
  int port = 0;
  const int fd = Listen(&port);
  close(fd);
  return port;
}

Lighttpd::Lighttpd(const std::string& folder, const std::string& root, const std::string& users) : folder_(folder) {
  if (access("/usr/sbin/lighttpd", X_OK) != 0) return;
  int port = 0;
  close(Listen(&port));
  std::ofstream(folder + "/users", std::ios::binary) << users;
  std::ofstream(folder + "/lighttpd.conf")
      << "server.document-root = \"" << root << "\"\n"
      << "server.port = " << port << "\nserver.bind = \"127.0.0.1\"\n"
      << "server.errorlog = \"" << folder << "/error.log\"\n"
      << "server.modules = (\"mod_auth\", \"mod_authn_file\", \"mod_accesslog\")\n"
      << "auth.backend = \"plain\"\nauth.backend.plain.userfile = \"" << folder << "/users\"\n"
      << "auth.require = (\"/private/\" => (\"method\" => \"basic\", \"realm\" => \"test\", "
         "\"require\" => \"valid-user\"))\n"
      << "accesslog.filename = \"" << folder << "/access.log\"\n"
      << "accesslog.format = \"%r %>s %{Referrer}i\"\n"
      << "mimetype.assign = (\".html\" => \"text/html\", \"\" => \"application/octet-stream\")\n";
  const std::string config = folder + "/lighttpd.conf";
  if (process_.Start({"/usr/sbin/lighttpd", "-D", "-f", config}, folder + "/lighttpd.out") &&
      process_.WaitUntilListening(port)) {
    port_ = port;
  }
}

}  // namespace httptest
