#include "net/resolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "kernel/io_cancel.h"
#include "net/wsa_map.h"
#include "qvplatform/net_wsa_codes.h"

namespace qvp::net {
namespace {

void CopyServ(const servent& s, ServInfo* out) {
  out->name = s.s_name ? s.s_name : "";
  out->aliases.clear();
  for (char** a = s.s_aliases; a && *a; ++a) out->aliases.emplace_back(*a);
  out->proto = s.s_proto ? s.s_proto : "";
  out->port = static_cast<uint16_t>(s.s_port);
}

// Runs a getserv*_r call with a buffer that grows until the answer fits.
template <typename Call>
int ServiceLookup(Call call, ServInfo* out) {
  std::vector<char> buf(1024);
  for (;;) {
    servent entry{};
    servent* found = nullptr;
    int r = call(&entry, buf.data(), buf.size(), &found);
    if (r == ERANGE && buf.size() < (1u << 20)) {
      buf.resize(buf.size() * 2);
      continue;
    }
    if (r != 0 || !found) return WSANO_DATA;
    CopyServ(entry, out);
    return 0;
  }
}

const char* ProtoOrNull(const char* proto) { return proto && *proto ? proto : nullptr; }

}  // namespace

namespace {

int LookUpName(const std::string& name, HostInfo* out);

// A look-up of a name (not a dotted address) runs on a thread of its own, so
// that the calling thread can be released from it (CancelSynchronousIo) while
// the name server does not answer; the look-up's thread ends on its own.
struct PendingLookUp {
  std::mutex lock;
  std::condition_variable cv;
  bool done = false;
  int error = 0;
  HostInfo info;
};

int LookUpAbandonably(const std::string& name, HostInfo* out) {
  auto pending = std::make_shared<PendingLookUp>();
  try {
    std::thread([pending, name] {
      HostInfo info;
      const int error = LookUpName(name, &info);
      std::lock_guard<std::mutex> g(pending->lock);
      pending->error = error;
      pending->info = std::move(info);
      pending->done = true;
      pending->cv.notify_all();
    }).detach();
  } catch (const std::system_error&) {
    return LookUpName(name, out);  // no thread to spare: look up here
  }
  qvp::CancellableWait cancellable(pending->lock, pending->cv);
  std::unique_lock<std::mutex> lock(pending->lock);
  if (!cancellable.Wait(lock, [&] { return pending->done; })) {
    lock.unlock();
    return WSAEINTR;
  }
  if (pending->error == 0) *out = std::move(pending->info);
  const int error = pending->error;
  lock.unlock();
  return error;
}

}  // namespace

int ResolveName(const std::string& name, HostInfo* out) {
  in_addr numeric{};
  if (inet_pton(AF_INET, name.c_str(), &numeric) == 1) return LookUpName(name, out);
  return LookUpAbandonably(name, out);
}

namespace {

int LookUpName(const std::string& name, HostInfo* out) {
  addrinfo hints{};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;  // one answer per address
  hints.ai_flags = AI_CANONNAME;
  addrinfo* list = nullptr;
  int r = getaddrinfo(name.c_str(), nullptr, &hints, &list);
  if (r != 0) return WsaFromAddrInfo(r, errno);
  HostInfo info;
  for (addrinfo* ai = list; ai; ai = ai->ai_next) {
    if (ai->ai_family != AF_INET || !ai->ai_addr) continue;
    if (info.name.empty() && ai->ai_canonname) info.name = ai->ai_canonname;
    uint32_t a = reinterpret_cast<const sockaddr_in*>(ai->ai_addr)->sin_addr.s_addr;
    if (std::find(info.addrs.begin(), info.addrs.end(), a) == info.addrs.end()) info.addrs.push_back(a);
  }
  freeaddrinfo(list);
  if (info.addrs.empty()) return WSANO_DATA;
  if (info.name.empty()) info.name = name;
  if (info.name != name) info.aliases.push_back(name);
  *out = std::move(info);
  return 0;
}

}  // namespace

int ResolveAddress(uint32_t addr, HostInfo* out) {
  sockaddr_in sa{};
  sa.sin_family = AF_INET;
  sa.sin_addr.s_addr = addr;
  char host[NI_MAXHOST];
  int r = getnameinfo(reinterpret_cast<sockaddr*>(&sa), sizeof sa, host, sizeof host, nullptr, 0, NI_NAMEREQD);
  if (r != 0) return WsaFromAddrInfo(r, errno);
  out->name = host;
  out->aliases.clear();
  out->addrs.assign(1, addr);
  return 0;
}

int LocalHostName(std::string* out) {
  char name[HOST_NAME_MAX + 1] = {};
  if (gethostname(name, sizeof name - 1) != 0) return WsaFromErrno(errno);
  *out = name;
  return 0;
}

int ServiceByName(const char* name, const char* proto, ServInfo* out) {
  if (!name) return WSAEFAULT;
  return ServiceLookup(
      [&](servent* e, char* b, size_t n, servent** f) { return getservbyname_r(name, ProtoOrNull(proto), e, b, n, f); },
      out);
}

int ServiceByPort(uint16_t port, const char* proto, ServInfo* out) {
  return ServiceLookup(
      [&](servent* e, char* b, size_t n, servent** f) { return getservbyport_r(port, ProtoOrNull(proto), e, b, n, f); },
      out);
}

}  // namespace qvp::net
