// Tests only: loopback peers over the C library's sockets.
#include "probe_test_peers.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <stdexcept>

namespace probetest {
namespace {

sockaddr_in Address(const std::string& ip, int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, ip.c_str(), &a.sin_addr);
  return a;
}

int BoundSocket(int type, const std::string& ip, int port, int* bound_port) {
  const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
  if (fd < 0) throw std::runtime_error("socket");
  const sockaddr_in a = Address(ip, port);
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0) {
    ::close(fd);
    throw std::runtime_error("bind " + ip);
  }
  sockaddr_in got{};
  socklen_t len = sizeof got;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&got), &len);
  if (bound_port) *bound_port = ntohs(got.sin_port);
  return fd;
}

}  // namespace

TcpPeer::TcpPeer(bool backlog_full) {
  listener_ = BoundSocket(SOCK_STREAM, "127.0.0.1", 0, &port_);
  ::listen(listener_, backlog_full ? 0 : 16);
  if (!backlog_full) return;
  const sockaddr_in to = Address("127.0.0.1", port_);
  for (int i = 0; i < 2; ++i) {
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
    ::connect(fd, reinterpret_cast<const sockaddr*>(&to), sizeof to);
    fillers_.push_back(fd);
  }
  // Let the handshakes of the fillers settle into the full backlog.
  for (int fd : fillers_) {
    pollfd p{fd, POLLOUT, 0};
    ::poll(&p, 1, 200);
  }
}

TcpPeer::~TcpPeer() {
  for (int fd : fillers_) ::close(fd);
  ::close(listener_);
}

int ClosedPort() {
  int port = 0;
  const int fd = BoundSocket(SOCK_STREAM, "127.0.0.1", 0, &port);
  ::close(fd);
  return port;
}

std::string DnsAnswer(int response_code) {
  std::string header(12, '\0');
  header[2] = static_cast<char>(0x80);
  header[3] = static_cast<char>(response_code & 0x0F);
  return header;
}

DnsPeer::DnsPeer(std::vector<DnsReply> replies) : replies_(std::move(replies)) {
  socket_ = BoundSocket(SOCK_DGRAM, "127.0.0.1", 0, &port_);
  thread_ = std::thread([this] { Run(); });
}

DnsPeer::~DnsPeer() {
  stop_ = true;
  thread_.join();
  ::close(socket_);
}

std::vector<std::string> DnsPeer::queries() {
  std::lock_guard<std::mutex> hold(lock_);
  return queries_;
}

int DnsPeer::Socket(const std::string& address, int port) { return BoundSocket(SOCK_DGRAM, address, port, nullptr); }

void DnsPeer::Run() {
  while (!stop_) {
    pollfd p{socket_, POLLIN, 0};
    if (::poll(&p, 1, 20) <= 0) continue;
    char buffer[512];
    sockaddr_in client{};
    socklen_t len = sizeof client;
    const ssize_t n = ::recvfrom(socket_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&client), &len);
    if (n < 0) continue;
    {
      std::lock_guard<std::mutex> hold(lock_);
      queries_.emplace_back(buffer, static_cast<size_t>(n));
    }
    for (const DnsReply& reply : replies_) {
      int fd = socket_;
      if (reply.from != "127.0.0.1" || reply.from_other_port) {
        try {
          fd = Socket(reply.from, reply.from_other_port ? 0 : port_);
        } catch (const std::runtime_error&) {
          continue;  // the test sees the missing datagram as no answer
        }
      }
      ::sendto(fd, reply.bytes.data(), reply.bytes.size(), 0, reinterpret_cast<const sockaddr*>(&client), len);
      if (fd != socket_) ::close(fd);
    }
  }
}

}  // namespace probetest
