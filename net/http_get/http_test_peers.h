// Tests only: HTTP peers on loopback for the GET client. A raw listener that
// keeps the request's bytes and answers as told (a response, a reset in the
// middle of the body), and Debian's lighttpd serving a folder.
#pragma once

#include <atomic>
#include <string>

#include "loopback_peers.h"

namespace httptest {

// Binds the socket and FTP libraries as start-up does; true when bound.
bool BindNetwork();

class RawListener {
 public:
  // response: what is sent after the request; resetAfter: when not negative,
  // the connection is reset after that many bytes of the response.
  RawListener(std::string response, long resetAfter = -1);
  RawListener(const RawListener&) = delete;
  RawListener& operator=(const RawListener&) = delete;

  int port() const { return server_.port(); }
  int connections() const { return server_.connections(); }
  // The bytes of the last request (complete once the client's GET has ended).
  std::string request();

 private:
  bool Answer(int fd);

  std::string response_;
  long resetAfter_;
  std::atomic<bool> done_{false};
  std::string request_;  // written by the thread before done_ is set
  qvtest::LoopbackServer server_;  // last: it goes first
};

class Lighttpd {
 public:
  // Serves `root` on 127.0.0.1; "/private/" needs Basic user:password of `users`
  // ("name:password" lines); requests are logged as "%r %>s %{Referrer}i" in
// folder/access.log (written out when the server ends).
  Lighttpd(const std::string& folder, const std::string& root, const std::string& users);
  Lighttpd(const Lighttpd&) = delete;
  Lighttpd& operator=(const Lighttpd&) = delete;

  bool running() const { return port_ > 0; }
  int port() const { return port_; }

 private:
  qvtest::PeerProcess process_;
  int port_ = 0;
  std::string folder_;
};

}  // namespace httptest
