// Alerts raised through the profiles' alert configurations.
#include "configured_alerts.h"

#include "alert_config.h"
#include "alert_queues.h"
#include "alert_texts.h"
#include "monitor_profile.h"

namespace {

const char* Text(const char* text) { return text != nullptr ? text : ""; }

PagerKind KindOf(const CPagerAlert& pager) {
  if (pager.IsAlphaMode()) return PagerKind::kAlphanumeric;
  if (pager.IsNumericMode()) return PagerKind::kNumeric;
  if (pager.IsWebDelivery()) return PagerKind::kWeb;
  return PagerKind::kOther;
}

}  // namespace

std::vector<std::string> AlertChannelFields(const CAlertConfig& config) {
  std::vector<std::string> fields;
  if (config.GetEmailEnabled() && config.GetEmail() != nullptr) {
    fields.push_back(EmailChannelField(Text(config.GetEmail()->GetAddress())));
  }
  if (config.GetAudioEnabled() && config.GetAudio() != nullptr) {
    const CAudioAlert& audio = *config.GetAudio();
    fields.push_back(AudioChannelField(audio.GetPlayMode() != 0, Text(audio.GetFile())));
  }
  if (config.GetPagerEnabled() && config.GetPager() != nullptr) {
    fields.push_back(PagerChannelField(KindOf(*config.GetPager()), Text(config.GetPager()->GetNumber())));
  }
  return fields;
}

void QueueConfiguredAlerts(const CAlertConfig& config, const char* description, const AlertFacts& facts,
                           const AlertQueues& queues) {
  const CAlertConfig copy(config);
  if (copy.GetAudioEnabled() && copy.GetAudio() != nullptr && queues.audio != nullptr) {
    queues.audio->Add(*copy.GetAudio());
  }
  if (copy.GetEmailEnabled() && copy.GetEmail() != nullptr && queues.email != nullptr) {
    CEmailAlert& email = *copy.GetEmail();
    email.SetMessage(AlertEmailMessage(description, facts).c_str());
    queues.email->Add(email);
  }
  if (copy.GetPagerEnabled() && copy.GetPager() != nullptr && queues.pager != nullptr) {
    CPagerAlert& pager = *copy.GetPager();
    pager.SetMessage(
        AlertPagerMessage(KindOf(pager), description, facts, Text(pager.GetActiveID()), Text(pager.GetDownID()))
            .c_str());
    queues.pager->Add(pager);
  }
}

std::vector<std::string> ConfiguredAlertDispatch::ChannelFields(const CMonitorProfile& profile) {
  const CAlertConfig* config = profile.GetAlertConfig();
  return config != nullptr ? AlertChannelFields(*config) : std::vector<std::string>{};
}

void ConfiguredAlertDispatch::Queue(const CMonitorProfile& profile, const AlertFacts& facts) {
  const CAlertConfig* config = profile.GetAlertConfig();
  if (config != nullptr) QueueConfiguredAlerts(*config, profile.GetDescription(), facts, GetAlertQueues());
}
