// The host and service data base: gethostbyname, gethostbyaddr,
// gethostname, getservbyname, getservbyport. Answers live in storage of the
// calling thread, as Windows keeps them.
#include <cstring>
#include <memory>

#include "net/winsock_internal.h"

using namespace qvp::net;

namespace {

// One growing, pointer-aligned block per thread and kind of answer.
class ThreadBlock {
 public:
  char* Reserve(size_t size) {
    if (size > size_) {
      words_ = std::make_unique<uint64_t[]>((size + 7) / 8);
      size_ = (size + 7) / 8 * 8;
    }
    return reinterpret_cast<char*>(words_.get());
  }

 private:
  std::unique_ptr<uint64_t[]> words_;
  size_t size_ = 0;
};

thread_local ThreadBlock host_block;
thread_local ThreadBlock serv_block;

hostent* HostAnswer(const HostInfo& info) {
  size_t need = PackHostent(info, nullptr, 0);
  char* block = host_block.Reserve(need);
  PackHostent(info, block, need);
  return reinterpret_cast<hostent*>(block);
}

servent* ServAnswer(const ServInfo& info) {
  size_t need = PackServent(info, nullptr, 0);
  char* block = serv_block.Reserve(need);
  PackServent(info, block, need);
  return reinterpret_cast<servent*>(block);
}

}  // namespace

hostent* WINAPI gethostbyname(const char* name) {
  if (!EngineStarted()) {
    Fail(WSANOTINITIALISED);
    return nullptr;
  }
  std::string wanted;
  if (name && *name) {
    wanted = name;
  } else if (int err = LocalHostName(&wanted)) {  // no name: this computer
    Fail(err);
    return nullptr;
  }
  HostInfo info;
  if (int err = ResolveName(wanted, &info)) {
    Fail(err);
    return nullptr;
  }
  return HostAnswer(info);
}

hostent* WINAPI gethostbyaddr(const char* addr, int len, int type) {
  if (!EngineStarted()) {
    Fail(WSANOTINITIALISED);
    return nullptr;
  }
  if (type != AF_INET) {
    Fail(WSAEAFNOSUPPORT);
    return nullptr;
  }
  if (!addr || len < 4) {
    Fail(WSAEFAULT);
    return nullptr;
  }
  uint32_t a = 0;
  std::memcpy(&a, addr, 4);
  HostInfo info;
  if (int err = ResolveAddress(a, &info)) {
    Fail(err);
    return nullptr;
  }
  return HostAnswer(info);
}

int WINAPI gethostname(char* name, int namelen) {
  if (!EngineStarted()) return Fail(WSANOTINITIALISED);
  std::string host;
  if (int err = LocalHostName(&host)) return Fail(err);
  if (!name || namelen <= 0 || host.size() >= static_cast<size_t>(namelen)) return Fail(WSAEFAULT);
  std::memcpy(name, host.c_str(), host.size() + 1);
  return 0;
}

servent* WINAPI getservbyname(const char* name, const char* proto) {
  if (!EngineStarted()) {
    Fail(WSANOTINITIALISED);
    return nullptr;
  }
  ServInfo info;
  if (int err = ServiceByName(name, proto, &info)) {
    Fail(err);
    return nullptr;
  }
  return ServAnswer(info);
}

servent* WINAPI getservbyport(int port, const char* proto) {
  if (!EngineStarted()) {
    Fail(WSANOTINITIALISED);
    return nullptr;
  }
  ServInfo info;
  if (int err = ServiceByPort(static_cast<uint16_t>(port), proto, &info)) {
    Fail(err);
    return nullptr;
  }
  return ServAnswer(info);
}
