// The three alert queues of the plug-in, one per channel, on the spool
// directory "qvm_alrt\queue" below the program directory.
#pragma once

#include "alert_queue.h"
#include "audio_alert.h"
#include "email_alert.h"
#include "pager_alert.h"

extern template class AlertSpoolQueue<CAudioAlert>;
extern template class AlertSpoolQueue<CEmailAlert>;
extern template class AlertSpoolQueue<CPagerAlert>;

// Audio alerts: "lert*.aap", never retried, 1000 ms between alerts.
class CAudioAlertQueue : public AlertSpoolQueue<CAudioAlert> {
 public:
  static const SpoolQueueTraits kTraits;
  explicit CAudioAlertQueue(const char* spoolDir) : AlertSpoolQueue(spoolDir, kTraits) {}
};

// E-mail alerts: "lert*.eap", retried with [EmailServer] RetryCount, 1000 ms between alerts.
class CEmailAlertQueue : public AlertSpoolQueue<CEmailAlert> {
 public:
  static const SpoolQueueTraits kTraits;
  explicit CEmailAlertQueue(const char* spoolDir) : AlertSpoolQueue(spoolDir, kTraits) {}
};

// Pager alerts: "lert*.pap", retried with [PagerServer] RetryCount, 2000 ms between alerts.
class CPagerAlertQueue : public AlertSpoolQueue<CPagerAlert> {
 public:
  static const SpoolQueueTraits kTraits;
  explicit CPagerAlertQueue(const char* spoolDir) : AlertSpoolQueue(spoolDir, kTraits) {}
};
