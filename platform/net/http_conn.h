// One connection of the internet client: name resolution and TCP connect
// bounded by the connect time-out, TLS through OpenSSL with Windows' checks
// of the server's certificate, and reads and writes bounded by their
// time-outs. A Canceller fired from another thread ends any wait at once.
// Results are 0 or ERROR_INTERNET_... codes; `detail` gets a text for
// InternetGetLastResponseInfoA.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

namespace qvp::net {

class Canceller {
 public:
  Canceller();
  ~Canceller();
  Canceller(const Canceller&) = delete;
  Canceller& operator=(const Canceller&) = delete;
  void Fire();
  bool fired() const { return fired_; }
  int fd() const { return fd_; }

 private:
  int fd_;
  std::atomic<bool> fired_{false};
};

// A time-out of 0 or 0xFFFFFFFF waits without limit.
class Connection {
 public:
  explicit Connection(std::shared_ptr<Canceller> cancel);
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  uint32_t Open(const std::string& host, uint16_t port, uint32_t timeout_ms, std::string* detail);
  // ignore: SECURITY_FLAG_IGNORE_... bits.
  uint32_t StartTls(const std::string& host, uint32_t ignore, uint32_t timeout_ms, std::string* detail);
  uint32_t Write(std::string_view data, uint32_t timeout_ms);
  // Some bytes (*got > 0), or *got == 0 at the end of the stream.
  uint32_t Read(char* buf, size_t n, size_t* got, uint32_t timeout_ms);
  bool secure() const { return ssl_ != nullptr; }

 private:
  uint32_t Wait(short events, uint32_t timeout_ms);
  uint32_t WaitUntil(int fd, short events, bool unlimited, std::chrono::steady_clock::time_point deadline);

  int fd_ = -1;
  void* ssl_ = nullptr;  // SSL*
  std::shared_ptr<Canceller> cancel_;
};

}  // namespace qvp::net
