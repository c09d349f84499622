// Paging by modem and through web paging forms is not part of this build yet.
// Until it is, every page answers Unavailable: the pager queue then keeps its
// spool file, without counting a failed attempt, so that the page is delivered
// once a sender exists instead of being dropped.
#include "pager_senders.h"

#include <atomic>

#include "pager_alert.h"

namespace {

std::atomic<bool> g_toldOnce{false};

SendResult NotAvailable(AlertStatus& status, const char* means) {
  if (!g_toldOnce.exchange(true)) {
    OutputDebugStringA("Pager alerts stay spooled: no paging sender is available\r\n");
  }
  status.Tell(means);
  return SendResult::Unavailable;
}

}  // namespace

SendResult SendAlphaPage(CPagerAlert& /*alert*/, AlertStatus& status) {
  return NotAvailable(status, "Paging by modem is not available; the page stays queued");
}

SendResult SendNumericPage(CPagerAlert& /*alert*/, AlertStatus& status) {
  return NotAvailable(status, "Paging by modem is not available; the page stays queued");
}

SendResult SendWebPage(CPagerAlert& /*alert*/, AlertStatus& status) {
  return NotAvailable(status, "Web paging is not available; the page stays queued");
}
