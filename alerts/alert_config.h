// A monitor profile's alert configuration: which of the three channels (audio,
// e-mail, pager) are enabled, and each channel's settings. It is kept in the
// [AlertConfig] section of the profile file beside the channels' own sections.
#pragma once

#include <memory>

#include "alert_runtime.h"
#include "audio_alert.h"
#include "email_alert.h"
#include "pager_alert.h"

class CAlertConfig {
 public:
  static constexpr const char* kSection = "AlertConfig";

  // All channels disabled, each channel object with its defaults; with a path
  // the objects are read from it and then the configuration is loaded.
  explicit CAlertConfig(const char* path = nullptr);
  // The flags, the path and deep copies of the channel objects that are
  // present; the copies have no own file path.
  CAlertConfig(const CAlertConfig& other);
  CAlertConfig& operator=(const CAlertConfig& other);
  ~CAlertConfig() = default;

  // Reads the configuration (a non-empty path replaces the stored one). False
  // only when no path is known.
  bool Load(const char* path = nullptr);
  // The same for profiles of the older format.
  bool LoadLegacy(const char* path = nullptr);
  // Writes [AlertConfig] and the sections of the channel objects that are present.
  bool Save(const char* path = nullptr);

  bool GetAudioEnabled() const { return m_audioEnabled; }
  bool GetEmailEnabled() const { return m_emailEnabled; }
  bool GetPagerEnabled() const { return m_pagerEnabled; }
  void SetAudioEnabled(bool enabled) { m_audioEnabled = enabled; }
  void SetEmailEnabled(bool enabled) { m_emailEnabled = enabled; }
  void SetPagerEnabled(bool enabled) { m_pagerEnabled = enabled; }

  // The owned channel objects (may be null); callers edit them in place.
  CAudioAlert* GetAudio() const { return m_audio.get(); }
  CEmailAlert* GetEmail() const { return m_email.get(); }
  CPagerAlert* GetPager() const { return m_pager.get(); }
  const char* GetPath() const { return m_path.Get(); }

  // Hands every enabled channel (e-mail, audio, pager) to its queue: a real
  // alert to Add, a test alert (test set) to the test slot, marking the
  // channel's test as running. With test set the test-cancel flag is cleared
  // first. The queues copy what they keep.
  void Send(bool test) const { Send(test, GetAlertQueues()); }
  void Send(bool test, const AlertQueues& queues) const;

 private:
  bool TakePath(const char* path);
  void ReadFlags();

  std::unique_ptr<CAudioAlert> m_audio;
  std::unique_ptr<CEmailAlert> m_email;
  std::unique_ptr<CPagerAlert> m_pager;
  bool m_audioEnabled = false;
  bool m_emailEnabled = false;
  bool m_pagerEnabled = false;
  OwnedText m_path;
};
