// A pseudo terminal for the serial port tests: the test talks on the master,
// the port under test opens the slave as "COMn".
#pragma once

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <string>

#include "qvplatform/comm.h"

namespace qvtest {

class PtyPair {
 public:
  // Makes a pseudo terminal and lets "COM<number>" open its slave.
  explicit PtyPair(int number) : number_(number) {
    master_ = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) return;
    const char* name = ptsname(master_);
    if (name == nullptr) return;
    slave_ = name;
    qvp::SetSerialDevice(number_, slave_.c_str());
  }
  ~PtyPair() {
    qvp::SetSerialDevice(number_, nullptr);
    if (master_ >= 0) ::close(master_);
  }
  PtyPair(const PtyPair&) = delete;
  PtyPair& operator=(const PtyPair&) = delete;

  bool ok() const { return master_ >= 0 && !slave_.empty(); }
  int master() const { return master_; }
  const std::string& slave() const { return slave_; }
  std::string name() const { return "COM" + std::to_string(number_); }

  void Send(const std::string& bytes) const {
    [[maybe_unused]] const ssize_t put = ::write(master_, bytes.data(), bytes.size());
  }
  // What the port wrote, waiting up to `ms` for the first bytes and then for
  // `want` bytes in all.
  std::string Receive(size_t want, int ms = 5000) const {
    std::string got;
    while (got.size() < want) {
      pollfd p{master_, POLLIN, 0};
      if (::poll(&p, 1, ms) <= 0 || (p.revents & POLLIN) == 0) break;
      char buffer[256];
      const ssize_t n = ::read(master_, buffer, sizeof buffer);
      if (n <= 0) break;
      got.append(buffer, static_cast<size_t>(n));
    }
    return got;
  }

 private:
  int number_;
  int master_ = -1;
  std::string slave_;
};

}  // namespace qvtest
