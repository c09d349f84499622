// Tests only: the raw listener and lighttpd.
#include "http_test_peers.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <utility>
#include <vector>

namespace httptest {
RawListener::RawListener(std::string response, long resetAfter)
    : response_(std::move(response)), resetAfter_(resetAfter), server_([this](int fd) { return Answer(fd); }) {}

bool RawListener::Answer(int fd) {
  std::string request;
  while (request.find("\r\n\r\n") == std::string::npos && qvtest::Readable(fd, 30000)) {
    char buffer[2048];
    const ssize_t got = recv(fd, buffer, sizeof buffer, 0);
    if (got <= 0) break;
    request.append(buffer, static_cast<size_t>(got));
  }
  request_ = request;
  done_.store(true);
  const size_t count =
      resetAfter_ >= 0 ? std::min(static_cast<size_t>(resetAfter_), response_.size()) : response_.size();
  qvtest::SendAll(fd, response_.data(), count);
  if (resetAfter_ >= 0) {
    // Let the bytes reach the client first, then reset the connection.
    usleep(200000);
    linger hard{1, 0};
    setsockopt(fd, SOL_SOCKET, SO_LINGER, &hard, sizeof hard);
  }
  close(fd);
  return false;  // one request
}

std::string RawListener::request() { return done_.load() ? request_ : std::string(); }

Lighttpd::Lighttpd(const std::string& folder, const std::string& root, const std::string& users) : folder_(folder) {
  if (access("/usr/sbin/lighttpd", X_OK) != 0) return;
  const int port = qvtest::FreePort();
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
