// Alerts through a profile's alert configuration: the channels its alert
// entry lists, and the alerts handed to the plug-in's queues.
#pragma once

#include <string>
#include <vector>

#include "alert_dispatch.h"
#include "alert_runtime.h"

class CAlertConfig;

// "email <address>", "audio <wave file or Beep>", "<alph_page|num_page|
// web_page|pager> <number>" for the enabled channels, in that order.
std::vector<std::string> AlertChannelFields(const CAlertConfig& config);

// Works on a copy of the configuration: hands the audio alert, the e-mail
// alert with its message and the pager alert with its message of each
// enabled channel to its queue (a channel without a queue sends nothing).
void QueueConfiguredAlerts(const CAlertConfig& config, const char* description, const AlertFacts& facts,
                           const AlertQueues& queues);

// The engine's channels: each profile's configuration and the plug-in's queues.
class ConfiguredAlertDispatch : public AlertDispatch {
 public:
  std::vector<std::string> ChannelFields(const CMonitorProfile& profile) override;
  void Queue(const CMonitorProfile& profile, const AlertFacts& facts) override;
};
