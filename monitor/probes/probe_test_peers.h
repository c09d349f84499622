// Tests only: the peers the network tests talk to on loopback, written over
// the C library's sockets (this header names no socket type, so that the
// tests, which see the layer's Windows Sockets, can include it).
#pragma once

#include <atomic>
#include <cstdint>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace probetest {

// A TCP listener on 127.0.0.1 that never accepts: the system completes the
// connections into its backlog. With `backlog_full`, two waiting connections
// fill a backlog of one, so that the next connection attempt is never answered.
class TcpPeer {
 public:
  explicit TcpPeer(bool backlog_full = false);
  ~TcpPeer();
  TcpPeer(const TcpPeer&) = delete;
  TcpPeer& operator=(const TcpPeer&) = delete;
  int port() const { return port_; }

 private:
  int listener_ = -1;
  std::vector<int> fillers_;
  int port_ = 0;
};

// A loopback port where nothing listens (it was free a moment ago).
int ClosedPort();

// One datagram the DNS peer sends for each query it receives.
struct DnsReply {
  std::string bytes;
  std::string from = "127.0.0.1";  // the address it is sent from
  bool from_other_port = false;     // sent from another port of that address
};

// A UDP peer on 127.0.0.1 that answers every query with its replies, in order.
class DnsPeer {
 public:
  explicit DnsPeer(std::vector<DnsReply> replies);
  ~DnsPeer();
  DnsPeer(const DnsPeer&) = delete;
  DnsPeer& operator=(const DnsPeer&) = delete;
  int port() const { return port_; }
  // The queries received so far.
  std::vector<std::string> queries();

 private:
  void Run();
  int Socket(const std::string& address, int port);

  std::vector<DnsReply> replies_;
  int socket_ = -1;
  int port_ = 0;
  std::atomic<bool> stop_{false};
  std::mutex lock_;
  std::vector<std::string> queries_;
  std::thread thread_;
};

// A DNS header as a server answers the empty query: a response with the given
// response code.
std::string DnsAnswer(int response_code);

}  // namespace probetest
