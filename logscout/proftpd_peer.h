// Tests only: Debian's proftpd on 127.0.0.1, run as the test's user, serving
// one user whose home (the folder `home`) is its root (mod_vroot).
#pragma once

#include <string>

#include "loopback_peers.h"

namespace logscouttest {

class Proftpd {
 public:
  Proftpd(const std::string& folder, const std::string& home, const std::string& user, const std::string& password);
  Proftpd(const Proftpd&) = delete;
  Proftpd& operator=(const Proftpd&) = delete;

  bool running() const { return port_ > 0; }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  qvtest::PeerProcess process_;
  int port_ = 0;
};

}  // namespace logscouttest
