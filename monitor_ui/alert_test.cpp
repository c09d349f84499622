// Test alerts from the alert pages.
#include "alert_test.h"

#include "alert_config.h"
#include "alert_queue.h"
#include "alert_queues.h"
#include "monitor_ui.h"
#include "plugin_globals.h"

namespace {

bool TestSlotTaken(AlertChannel channel) {
  const AlertQueues queues = GetAlertQueues();
  switch (channel) {
    case AlertChannel::Email: return queues.email != nullptr && queues.email->IsTestPending();
    case AlertChannel::Audio: return queues.audio != nullptr && queues.audio->IsTestPending();
    case AlertChannel::Pager: return queues.pager != nullptr && queues.pager->IsTestPending();
  }
  return false;
}

}  // namespace

void RunAlertTest(HWND page, CAlertConfig* copy, AlertChannel channel) {
  if (copy == nullptr) return;
  if (IsAlertTestRunning(channel) || TestSlotTaken(channel)) {
    MessageBoxA(page, "An earlier test alert of this kind is still being delivered. Try again when it is done.",
                "Test Alert", MB_OK | MB_ICONINFORMATION);
    return;
  }
  DialogBoxParamA(PluginInstance(), MAKEINTRESOURCEA(30001), page, TestAlertStatusDlg,
                  reinterpret_cast<LPARAM>(copy));
}
