// The calls of "icmp.dll": IcmpCreateFile, IcmpSendEcho, IcmpCloseHandle.
#include <atomic>
#include <cstring>
#include <mutex>

#include "kernel/handles.h"
#include "net/icmp_echo.h"
#include "qvplatform/kernel.h"
#include "qvplatform/modules.h"
#include "qvplatform/net_icmp.h"

namespace qvp::net {
namespace {

std::atomic<IcmpSocketKind> allowed_kind{IcmpSocketKind::kAny};

class IcmpObject : public KernelObject {
 public:
  explicit IcmpObject(IcmpSocket s) : socket_(s) {}
  ~IcmpObject() override { CloseIcmpSocket(&socket_); }
  IcmpObject(const IcmpObject&) = delete;
  IcmpObject& operator=(const IcmpObject&) = delete;

  // One echo at a time per handle.
  bool Echo(const EchoRequest& req, EchoReply* reply) {
    std::lock_guard<std::mutex> g(lock_);
    return SendEcho(socket_, req, reply);
  }

 private:
  IcmpSocket socket_;
  std::mutex lock_;
};

// Room for the reply structure, the data and an ICMP error's 8 bytes.
constexpr DWORD kErrorRoom = 8;

}  // namespace
}  // namespace qvp::net

namespace qvp {

void SetIcmpSocketKind(IcmpSocketKind kind) { net::allowed_kind = kind; }

}  // namespace qvp

using namespace qvp::net;

HANDLE WINAPI IcmpCreateFile(void) {
  IcmpKind kind = IcmpKind::kAny;
  switch (allowed_kind.load()) {
    case qvp::IcmpSocketKind::kAny: kind = IcmpKind::kAny; break;
    case qvp::IcmpSocketKind::kDatagram: kind = IcmpKind::kDatagram; break;
    case qvp::IcmpSocketKind::kRaw: kind = IcmpKind::kRaw; break;
  }
  IcmpSocket s;
  if (uint32_t err = OpenIcmpSocket(kind, &s)) {
    SetLastError(err);
    return INVALID_HANDLE_VALUE;
  }
  return qvp::InsertHandle(std::make_shared<IcmpObject>(s));
}

BOOL WINAPI IcmpCloseHandle(HANDLE IcmpHandle) {
  if (!qvp::LookupHandleAs<IcmpObject>(IcmpHandle) || !qvp::RemoveHandle(IcmpHandle)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return FALSE;
  }
  return TRUE;
}

DWORD WINAPI IcmpSendEcho(HANDLE IcmpHandle, IPAddr DestinationAddress, LPVOID RequestData, WORD RequestSize,
                          PIP_OPTION_INFORMATION RequestOptions, LPVOID ReplyBuffer, DWORD ReplySize, DWORD Timeout) {
  auto icmp = qvp::LookupHandleAs<IcmpObject>(IcmpHandle);
  if (!icmp) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  if (!ReplyBuffer || ReplySize < sizeof(ICMP_ECHO_REPLY) || (!RequestData && RequestSize > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  if (ReplySize < sizeof(ICMP_ECHO_REPLY) + RequestSize + kErrorRoom) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  EchoRequest req;
  req.dest = DestinationAddress;
  req.data = RequestData;
  req.size = RequestSize;
  if (RequestOptions) {
    req.has_options = true;
    req.ttl = RequestOptions->Ttl;
    req.tos = RequestOptions->Tos;
    req.dont_fragment = (RequestOptions->Flags & IP_FLAG_DF) != 0;
  }
  req.timeout_ms = Timeout;
  EchoReply reply;
  bool answered = icmp->Echo(req, &reply);

  ICMP_ECHO_REPLY out{};
  auto* bytes = static_cast<unsigned char*>(ReplyBuffer);
  size_t room = ReplySize - sizeof(ICMP_ECHO_REPLY);
  size_t data_size = reply.data.size() < room ? reply.data.size() : room;
  out.Address = answered ? reply.from : DestinationAddress;
  out.Status = reply.status;
  out.RoundTripTime = reply.rtt_ms;
  out.DataSize = static_cast<USHORT>(data_size);
  out.Data = bytes + sizeof(ICMP_ECHO_REPLY);
  out.Options.Ttl = reply.ttl;
  out.Options.Tos = reply.tos;
  out.Options.Flags = reply.flags;
  if (data_size) std::memcpy(bytes + sizeof(ICMP_ECHO_REPLY), reply.data.data(), data_size);
  std::memcpy(ReplyBuffer, &out, sizeof out);
  if (!answered) {
    SetLastError(reply.status);
    return 0;
  }
  return 1;
}

namespace {

template <class F>
FARPROC Export(F* function) {
  return reinterpret_cast<FARPROC>(function);
}

const qvp::BuiltinExport kIcmpExports[] = {
    {"IcmpCreateFile", Export(&IcmpCreateFile)},
    {"IcmpCloseHandle", Export(&IcmpCloseHandle)},
    {"IcmpSendEcho", Export(&IcmpSendEcho)},
    {nullptr, nullptr},
};

[[maybe_unused]] const bool kRegistered = (qvp::RegisterBuiltinModule("icmp.dll", kIcmpExports), true);

}  // namespace
