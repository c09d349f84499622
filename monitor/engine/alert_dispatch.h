// What the engine hands a raised alert to: the profile's alert channels.
#pragma once

#include <ctime>
#include <string>
#include <vector>

class CMonitorProfile;

// The facts of one alert, as the channels' messages tell them.
struct AlertFacts {
  bool up = false;
  const char* host = "";
  const char* kindName = "";
  time_t resultChangedTime = 0;
};

class AlertDispatch {
 public:
  virtual ~AlertDispatch() = default;
  // The detail fields of the alert entry for the channels enabled in the
  // profile, in the order e-mail, audio, pager.
  virtual std::vector<std::string> ChannelFields(const CMonitorProfile& profile) = 0;
  // Queues the alerts of the enabled channels.
  virtual void Queue(const CMonitorProfile& profile, const AlertFacts& facts) = 0;
};

// Until profiles carry an alert configuration, no channel is enabled.
class NoAlertChannels : public AlertDispatch {
 public:
  std::vector<std::string> ChannelFields(const CMonitorProfile&) override { return {}; }
  void Queue(const CMonitorProfile&, const AlertFacts&) override {}
};
