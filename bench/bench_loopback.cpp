// Loopback peers of the engine benchmark.
#include "bench_loopback.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <signal.h>
#include <malloc.h>
#include <sys/mman.h>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <new>
#include <thread>

namespace loopback {

using Clock = std::chrono::steady_clock;

// Listeners on 16 loopback addresses x 4 ports, served by a child process.


namespace {

std::string Address(int n) { return "127.81." + std::to_string(n / 200) + "." + std::to_string(1 + n % 200); }

constexpr size_t kHeader = 12;  // a DNS header: all a query and its answer need

sockaddr_in SocketAddress(const Target& t) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(t.port));
  ::inet_pton(AF_INET, t.host.c_str(), &a.sin_addr);
  return a;
}

// UDP sockets on every loopback address, at ports free for UDP.
std::vector<int> BindSlowServers(std::vector<Target>& targets) {
  std::vector<int> sockets;
  for (int a = 0; a < kAddresses; ++a) {
    const std::string host = Address(a);
    int made = 0;
    for (int port = 40000 + 37 * a; made < kPorts && port < 60000; ++port) {
      int s = ::socket(AF_INET, SOCK_DGRAM | SOCK_NONBLOCK, 0);
      const sockaddr_in at = SocketAddress({host, port});
      if (::bind(s, reinterpret_cast<const sockaddr*>(&at), sizeof at) != 0) {
        ::close(s);
        continue;
      }
      sockets.push_back(s);
      targets.push_back({host, port});
      ++made;
    }
  }
  return sockets;
}

// Answers every query on its sockets kAnswerDelayMs after it came, with an
// error code (the answer a name server gives an empty query). The delay is
// the same for all, so the pending answers stay in the order they are due.
void AnswerSlowly(const std::vector<int>& sockets) {
  struct Pending {
    Clock::time_point due;
    int socket;
    sockaddr_in to;
    unsigned char header[kHeader];
  };
  std::deque<Pending> pending;
  std::vector<pollfd> fds;
  for (int s : sockets) fds.push_back({s, POLLIN, 0});
  for (;;) {
    int wait = -1;
    if (!pending.empty()) {
      const auto left = std::chrono::ceil<std::chrono::milliseconds>(pending.front().due - Clock::now()).count();
      wait = left < 0 ? 0 : static_cast<int>(left);
    }
    if (::poll(fds.data(), fds.size(), wait) > 0) {
      for (pollfd& p : fds) {
        if ((p.revents & POLLIN) == 0) continue;
        for (;;) {
          Pending query{};
          socklen_t length = sizeof query.to;
          const ssize_t got = ::recvfrom(p.fd, query.header, kHeader, MSG_TRUNC, reinterpret_cast<sockaddr*>(&query.to), &length);
          if (got < 0) break;
          if (got < static_cast<ssize_t>(kHeader)) continue;
          query.header[2] = static_cast<unsigned char>(query.header[2] | 0x80);  // a response
          query.header[3] = static_cast<unsigned char>((query.header[3] & 0xF0) | 5);  // refused
          query.socket = p.fd;
          query.due = Clock::now() + std::chrono::milliseconds(kAnswerDelayMs);
          pending.push_back(query);
        }
      }
    }
    const auto now = Clock::now();
    while (!pending.empty() && pending.front().due <= now) {
      const Pending& answer = pending.front();
      ::sendto(answer.socket, answer.header, kHeader, 0, reinterpret_cast<const sockaddr*>(&answer.to), sizeof answer.to);
      pending.pop_front();
    }
  }
}

}  // namespace

Listeners StartListeners() {
  Listeners result;
  std::vector<int> sockets;
  for (int a = 0; a < kAddresses; ++a) {
    const std::string host = Address(a);
    int made = 0;
    for (int port = 20000 + 37 * a; made < kPorts && port < 60000; ++port) {
      int s = ::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      int one = 1;
      ::setsockopt(s, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
      sockaddr_in at{};
      at.sin_family = AF_INET;
      at.sin_port = htons(static_cast<uint16_t>(port));
      ::inet_pton(AF_INET, host.c_str(), &at.sin_addr);
      if (::bind(s, reinterpret_cast<sockaddr*>(&at), sizeof at) != 0 || ::listen(s, 4096) != 0) {
        ::close(s);
        continue;
      }
      sockets.push_back(s);
      result.targets.push_back({host, port});
      ++made;
    }
  }
  const std::vector<int> slow = BindSlowServers(result.slowTargets);
  void* shared = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  if (shared == MAP_FAILED || sockets.empty() || slow.empty()) {
    std::fprintf(stderr, "no listeners\n");
    std::exit(0);
  }
  result.accepted = new (shared) std::atomic<uint64_t>(0);
  result.child = ::fork();
  if (result.child == 0) {
    // The listeners go with the benchmark, however it ends.
    ::prctl(PR_SET_PDEATHSIG, SIGKILL);
    if (::getppid() == 1) ::_exit(0);
    // Four accepting threads, each with a share of the listeners.
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
      threads.emplace_back([&, t] {
        std::vector<pollfd> fds;
        for (size_t n = static_cast<size_t>(t); n < sockets.size(); n += 4) fds.push_back({sockets[n], POLLIN, 0});
        for (;;) {
          if (::poll(fds.data(), fds.size(), -1) <= 0) continue;
          for (pollfd& p : fds) {
            if ((p.revents & POLLIN) == 0) continue;
            for (;;) {
              int c = ::accept4(p.fd, nullptr, nullptr, SOCK_NONBLOCK);
              if (c < 0) break;
              ::close(c);
              result.accepted->fetch_add(1, std::memory_order_relaxed);
            }
          }
        }
      });
    }
    // Two threads answer the slow name servers' queries.
    for (int t = 0; t < 2; ++t) {
      threads.emplace_back([&, t] {
        std::vector<int> share;
        for (size_t n = static_cast<size_t>(t); n < slow.size(); n += 2) share.push_back(slow[n]);
        AnswerSlowly(share);
      });
    }
    for (auto& t : threads) t.join();
    ::_exit(0);
  }
  for (int s : sockets) ::close(s);
  for (int s : slow) ::close(s);
  return result;
}

double CpuSeconds() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
         static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

long ResidentKiB() {
  long pages = 0;
  long resident = 0;
  if (std::FILE* f = std::fopen("/proc/self/statm", "r")) {
    if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2) resident = 0;
    std::fclose(f);
  }
  return resident * (::sysconf(_SC_PAGESIZE) / 1024);
}

double HeapKiB() { return static_cast<double>(::mallinfo2().uordblks) / 1024.0; }

namespace {

// Successful `attempt`s per second with `threads` threads, each going round
// the devices' targets in turn.
template <typename Attempt>
double AttemptsPerSecond(const std::vector<Target>& targets, size_t devices, int threads, double seconds,
                         const Attempt& attempt) {
  std::atomic<uint64_t> done{0};
  std::atomic<bool> stop{false};
  std::vector<sockaddr_in> to;
  for (size_t n = 0; n < devices; ++n) to.push_back(SocketAddress(targets[n % targets.size()]));
  std::vector<std::thread> pool;
  const auto start = Clock::now();
  for (int t = 0; t < threads; ++t) {
    pool.emplace_back([&, t] {
      for (size_t n = static_cast<size_t>(t); !stop.load(std::memory_order_relaxed); n += static_cast<size_t>(threads)) {
        if (attempt(to[n % to.size()])) done.fetch_add(1);
      }
    });
  }
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
  stop = true;
  for (auto& t : pool) t.join();
  const double spent = std::chrono::duration<double>(Clock::now() - start).count();
  return static_cast<double>(done.load()) / spent;
}

}  // namespace

// Plain connect-and-close per second with `threads` threads over the targets.
double Ceiling(const std::vector<Target>& targets, size_t devices, int threads, double seconds) {
  return AttemptsPerSecond(targets, devices, threads, seconds, [](const sockaddr_in& a) {
    const int s = ::socket(AF_INET, SOCK_STREAM, 0);
    if (s < 0) return false;
    const bool connected = ::connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    ::close(s);
    return connected;
  });
}

// Plain query-and-answer per second with `threads` threads over the slow
// name servers: send the query, wait for the answer, close.
double SlowCeiling(const std::vector<Target>& targets, size_t devices, int threads, double seconds) {
  return AttemptsPerSecond(targets, devices, threads, seconds, [](const sockaddr_in& a) {
    const int s = ::socket(AF_INET, SOCK_DGRAM, 0);
    if (s < 0) return false;
    unsigned char query[kHeader] = {};
    unsigned char answer[512];
    bool answered = false;
    if (::sendto(s, query, kHeader, 0, reinterpret_cast<const sockaddr*>(&a), sizeof a) ==
        static_cast<ssize_t>(kHeader)) {
      pollfd p{s, POLLIN, 0};
      answered = ::poll(&p, 1, 5000) > 0 && ::recv(s, answer, sizeof answer, 0) >= static_cast<ssize_t>(kHeader);
    }
    ::close(s);
    return answered;
  });
}

uint64_t StopListeners(Listeners& listeners) {
  const uint64_t accepted = listeners.accepted->load();
  ::kill(listeners.child, SIGKILL);
  ::waitpid(listeners.child, nullptr, 0);
  return accepted;
}

}  // namespace loopback
