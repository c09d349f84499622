// The PING test and the ICMP echo under it.
#include "probe_icmp.h"

#include <cstring>
#include <vector>

#include "kernel_objects.h"
#include "probe_kinds.h"
#include "probe_libraries.h"
#include "probe_sockets.h"

namespace {

constexpr char kPayload[] = "abc";
constexpr WORD kPayloadSize = sizeof kPayload - 1;
constexpr int kPingTries = 3;
constexpr DWORD kPingTryMs = 100;

// One ICMP test runs at a time across all workers, so that many devices
// falling due together do not flood the line with echoes.
const CMutex& PingMutex() {
  static const CMutex mutex(false);
  return mutex;
}

// Holds the ping mutex for its lifetime, once Take has succeeded.
class PingTurn {
 public:
  PingTurn() = default;
  ~PingTurn() {
    if (m_held) PingMutex().Release();
  }
  PingTurn(const PingTurn&) = delete;
  PingTurn& operator=(const PingTurn&) = delete;

  // Waits for the turn; false when the stop was requested first. Without a
  // mutex to wait for (it could not be made) the echo runs at once.
  bool Take(const ProbeOptions& options) {
    for (;;) {
      const DWORD wait = PingMutex().Wait(kStopCheckMs);
      if (wait == WAIT_OBJECT_0 || wait == WAIT_ABANDONED) return m_held = true;
      if (wait != WAIT_TIMEOUT) return true;
      if (StopRequested(options)) return false;
    }
  }

 private:
  bool m_held = false;
};

}  // namespace

EchoResult SendIcmpEcho(IPAddr address, DWORD timeoutMs) {
  const std::shared_ptr<const IcmpLibrary> icmp = IcmpBinding();
  if (!icmp) return EchoResult::kNoHandle;
  const HANDLE handle = icmp->createFile();
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return EchoResult::kNoHandle;

  IP_OPTION_INFORMATION options{};
  options.Ttl = 30;
  char request[kPayloadSize + 1];
  std::memcpy(request, kPayload, sizeof request);
  // The reply record of this platform is wider than 28 bytes; the buffer
  // holds it, the echoed data and the 8 bytes of an ICMP error's header.
  std::vector<unsigned char> reply(sizeof(ICMP_ECHO_REPLY) + kPayloadSize + 8);
  const DWORD count = icmp->sendEcho(handle, address, request, kPayloadSize, &options, reply.data(),
                                     static_cast<DWORD>(reply.size()), timeoutMs == 0 ? 10000 : timeoutMs);
  EchoResult result = EchoResult::kNoReply;
  if (count != 0) {
    ICMP_ECHO_REPLY echo;
    std::memcpy(&echo, reply.data(), sizeof echo);
    const auto* data = static_cast<const unsigned char*>(echo.Data);
    const bool dataInside = data != nullptr && data >= reply.data() &&
                            data + kPayloadSize <= reply.data() + reply.size();
    if (echo.Status == IP_SUCCESS && echo.DataSize == kPayloadSize && dataInside &&
        std::memcmp(data, kPayload, kPayloadSize) == 0) {
      result = EchoResult::kReplied;
    }
  }
  icmp->closeHandle(handle);
  return result;
}

int ProbePing(const ProbeTarget& target, std::string& message, const ProbeOptions& options) {
  in_addr address{};
  {
    WinsockSession winsock;
    if (!winsock.ok() || !ResolveHostAddress(target.host, &address)) {
      message = "1 Cannot Resolve Address";
      return 0;
    }
  }
  // The name is resolved before the lock is taken, so that a slow resolver
  // never holds up the other workers' echoes.
  PingTurn turn;
  if (!turn.Take(options)) return 0;
  for (int attempt = 0; attempt < kPingTries && !StopRequested(options); ++attempt) {
    if (SendIcmpEcho(address.s_addr, kPingTryMs) == EchoResult::kReplied) return 1;
  }
  message = "2 Missing reply from Ping";
  return 0;
}
