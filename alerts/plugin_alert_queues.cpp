// Making and deleting the plug-in object's alert queues.
#include "plugin_alert_queues.h"

#include "alert_runtime.h"
#include "comm_port.h"
#include "qv_ui.h"

bool CreatePluginAlertQueues(const char* localDirectory, int alertRetryCount, CEmailAlertQueue** email,
                             CAudioAlertQueue** audio, CPagerAlertQueue** pager) {
  if (email == nullptr || audio == nullptr || pager == nullptr) return false;
  char alertDirectory[MAX_PATH];
  char spool[MAX_PATH];
  if (localDirectory == nullptr ||
      !QVUI_ConstructFullFilename(localDirectory, "qvm_alrt", alertDirectory, sizeof alertDirectory) ||
      !QVUI_ConstructFullFilename(localDirectory, "qvm_alrt\\queue", spool, sizeof spool)) {
    return false;
  }
  CreateDirectoryA(alertDirectory, nullptr);
  CreateDirectoryA(spool, nullptr);
  // The modem trace (numbers and passwords included) stays in the spool directory.
  SetCommTraceDirectory(spool);
  *email = new CEmailAlertQueue(spool);
  *audio = new CAudioAlertQueue(spool);
  *pager = new CPagerAlertQueue(spool);
  SetAlertRetryCount(alertRetryCount);
  SetAlertQueues(AlertQueues{*email, *audio, *pager});
  return true;
}

void DeletePluginAlertQueues(CEmailAlertQueue** email, CAudioAlertQueue** audio, CPagerAlertQueue** pager) {
  const AlertQueues registered = GetAlertQueues();
  if ((email != nullptr && registered.email == *email) || (audio != nullptr && registered.audio == *audio) ||
      (pager != nullptr && registered.pager == *pager)) {
    SetAlertQueues(AlertQueues{});
  }
  // Each queue's destructor stops its thread and waits for it.
  if (audio != nullptr) {
    delete *audio;
    *audio = nullptr;
  }
  if (email != nullptr) {
    delete *email;
    *email = nullptr;
  }
  if (pager != nullptr) {
    delete *pager;
    *pager = nullptr;
  }
}
