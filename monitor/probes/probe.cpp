// ProbeDevice: the test of a device chosen by its kind; and the stop request.
#include "probe.h"

#include "monitor_type.h"
#include "probe_kinds.h"
#include "probe_libraries.h"

void ProbeStop::Request() {
  m_requested.store(true, std::memory_order_release);
  void* handle = nullptr;
  {
    std::lock_guard<std::mutex> hold(m_lock);
    handle = m_handle;
    m_handle = nullptr;
  }
  if (handle == nullptr) return;
  // The test no longer owns the handle (Detach answers false), so closing it
  // here, outside the lock, races with nothing.
  if (const std::shared_ptr<const WinInetLibrary> inet = WinInetBinding()) inet->closeHandle(handle);
}

bool ProbeStop::Attach(void* internetHandle) {
  std::lock_guard<std::mutex> hold(m_lock);
  if (Requested()) return false;
  m_handle = internetHandle;
  return true;
}

bool ProbeStop::Detach() {
  std::lock_guard<std::mutex> hold(m_lock);
  const bool ours = m_handle != nullptr;
  m_handle = nullptr;
  return ours;
}

int ProbeDevice(const ProbeTarget& target, std::string& message, const ProbeOptions& options) {
  if (target.kind < MONITOR_TYPE_FIRST || target.kind > MONITOR_TYPE_LAST) {
    message = "5 Unsupported Monitor Type";
    return 0;
  }
  if (StopRequested(options)) return 0;
  switch (target.kind) {
    case MONITOR_DISK_SPACE:
      return ProbeDiskSpace(target, message);
    case MONITOR_DNS:
      return ProbeDns(target, message, options);
    case MONITOR_NT_SERVICE:
      return ProbeService(target, message);
    case MONITOR_ODBC:
      return ProbeOdbc(target, options);
    case MONITOR_PING:
      return ProbePing(target, message, options);
    case MONITOR_URL:
      return ProbeUrl(target, options);
    default:
      return ProbeTcpConnect(target, message, options);  // the twelve service kinds
  }
}
