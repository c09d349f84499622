// Process-wide state of the alerting part of the plug-in.
#include "alert_runtime.h"

#include <atomic>

#include "alert_queues.h"

namespace {

// The cancel flag's address goes to the mail library, which reads it as a
// byte; every access here is atomic.
alignas(4) BYTE g_testCancel = 0;
std::atomic<bool> g_testRunning[3];
std::atomic<bool> g_alertingDisabled{false};
std::atomic<int> g_retryCount{3};
std::atomic<HWND> g_testStatusWindow{nullptr};
std::atomic<HWND> g_alertErrorsWindow{nullptr};
std::atomic<CEmailAlertQueue*> g_emailQueue{nullptr};
std::atomic<CAudioAlertQueue*> g_audioQueue{nullptr};
std::atomic<CPagerAlertQueue*> g_pagerQueue{nullptr};

}  // namespace

const volatile BYTE* AlertTestCancelFlag() { return &g_testCancel; }

bool IsAlertTestCancelled() { return std::atomic_ref<BYTE>(g_testCancel).load() != 0; }

void SetAlertTestCancelled(bool cancelled) { std::atomic_ref<BYTE>(g_testCancel).store(cancelled ? 1 : 0); }

bool IsAlertTestRunning(AlertChannel channel) { return g_testRunning[static_cast<int>(channel)].load(); }

void SetAlertTestRunning(AlertChannel channel, bool running) {
  g_testRunning[static_cast<int>(channel)].store(running);
}

bool IsAlertingDisabled() { return g_alertingDisabled.load(); }
void SetAlertingDisabled(bool disabled) { g_alertingDisabled.store(disabled); }

int AlertRetryCount() { return g_retryCount.load(); }
void SetAlertRetryCount(int count) { g_retryCount.store(count); }

HWND AlertTestStatusWindow() { return g_testStatusWindow.load(); }
void SetAlertTestStatusWindow(HWND window) { g_testStatusWindow.store(window); }
HWND AlertErrorsWindow() { return g_alertErrorsWindow.load(); }
void SetAlertErrorsWindow(HWND window) { g_alertErrorsWindow.store(window); }

AlertQueues GetAlertQueues() {
  AlertQueues queues;
  queues.email = g_emailQueue.load();
  queues.audio = g_audioQueue.load();
  queues.pager = g_pagerQueue.load();
  return queues;
}

void SetAlertQueues(const AlertQueues& queues) {
  g_emailQueue.store(queues.email);
  g_audioQueue.store(queues.audio);
  g_pagerQueue.store(queues.pager);
}

bool StartAlertQueues() {
  const AlertQueues queues = GetAlertQueues();
  bool ok = true;
  if (queues.email != nullptr) ok = queues.email->Start() && ok;
  if (queues.audio != nullptr) ok = queues.audio->Start() && ok;
  if (queues.pager != nullptr) ok = queues.pager->Start() && ok;
  return ok;
}

void StopAlertQueues() {
  const AlertQueues queues = GetAlertQueues();
  if (queues.email != nullptr) queues.email->RequestStop();
  if (queues.audio != nullptr) queues.audio->RequestStop();
  if (queues.pager != nullptr) queues.pager->RequestStop();
  if (queues.email != nullptr) queues.email->Stop();
  if (queues.audio != nullptr) queues.audio->Stop();
  if (queues.pager != nullptr) queues.pager->Stop();
}
