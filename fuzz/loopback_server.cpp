// The loopback server of the end-to-end fuzz targets (see loopback_server.h).
// Kept apart from the targets, which see the layer's Windows Sockets names.
#include "loopback_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace qvfuzz {

struct LoopbackServer::State {
  std::string until;
  int listener = -1;
  unsigned short port = 0;
  std::thread thread;
  std::mutex mutex;
  bool stopping = false;
  std::string answer;

  void Serve() {
    for (;;) {
      const int fd = accept4(listener, nullptr, nullptr, SOCK_CLOEXEC);
      std::string reply;
      {
        std::lock_guard<std::mutex> lock(mutex);
        if (stopping) {
          if (fd >= 0) close(fd);
          return;
        }
        reply = answer;
      }
      if (fd < 0) continue;
      Converse(fd, reply);
      close(fd);
    }
  }

  void Converse(int fd, const std::string& reply) const {
    // The client's turn first, bounded in time so that a client that sends
    // less than expected does not stall the run.
    std::string got;
    char buffer[4096];
    while (!until.empty() && got.find(until) == std::string::npos) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 2000) <= 0) break;
      const ssize_t n = recv(fd, buffer, sizeof buffer, 0);
      if (n <= 0) break;
      got.append(buffer, static_cast<size_t>(n));
    }
    for (size_t at = 0; at < reply.size();) {
      const ssize_t n = send(fd, reply.data() + at, reply.size() - at, MSG_NOSIGNAL);
      if (n <= 0) break;
      at += static_cast<size_t>(n);
    }
    shutdown(fd, SHUT_WR);
    // Let the client read everything before the connection goes.
    for (;;) {
      pollfd p{fd, POLLIN, 0};
      if (poll(&p, 1, 2000) <= 0) break;
      if (recv(fd, buffer, sizeof buffer, 0) <= 0) break;
    }
  }
};

LoopbackServer::LoopbackServer(std::string until) : state_(std::make_unique<State>()) {
  state_->until = std::move(until);
  state_->listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t len = sizeof addr;
  if (state_->listener < 0 || bind(state_->listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 ||
      listen(state_->listener, 8) != 0 ||
      getsockname(state_->listener, reinterpret_cast<sockaddr*>(&addr), &len) != 0) {
    std::abort();
  }
  state_->port = ntohs(addr.sin_port);
  state_->thread = std::thread([state = state_.get()] { state->Serve(); });
}

LoopbackServer::~LoopbackServer() {
  {
    std::lock_guard<std::mutex> lock(state_->mutex);
    state_->stopping = true;
  }
  shutdown(state_->listener, SHUT_RDWR);
  state_->thread.join();
  close(state_->listener);
}

unsigned short LoopbackServer::port() const { return state_->port; }

void LoopbackServer::Answer(std::string bytes) {
  std::lock_guard<std::mutex> lock(state_->mutex);
  state_->answer = std::move(bytes);
}

}  // namespace qvfuzz
