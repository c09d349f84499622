// The audio alert: a wave file or a system beep played on the monitoring
// machine, repeated a number of times or for a number of seconds. It is both a
// profile's [Audio] settings (also the content of ".aap" spool files) and the
// sender the audio queue calls.
#pragma once

#include <atomic>

#include "alert_status.h"
#include "alert_text.h"

class CAudioAlert {
 public:
  static constexpr const char* kSection = "Audio";

  // With a path, the settings are read from it.
  explicit CAudioAlert(const char* path = nullptr);
  // Every setting; not the own file path.
  CAudioAlert(const CAudioAlert& other);
  CAudioAlert& operator=(const CAudioAlert&) = delete;
  ~CAudioAlert() = default;

  // Reads [Audio] (null or empty path: the own file); the file becomes the own
  // file. False only when no path is known.
  bool Read(const char* path = nullptr);
  // The older format: one "Time" key for both counts.
  bool ReadLegacy(const char* path = nullptr);
  // Writes [Audio] in key order; the file becomes the own file.
  bool Write(const char* path = nullptr);
  // Every key of [Audio] present.
  static bool IsValidFile(const char* path);
  // Deletes the own file when there is one.
  void DeleteFile() const;

  // Plays the alert. `running` (when given) is the delivery thread's flag: a
  // cleared flag ends the playing, as does the test-cancel flag. Sent unless
  // the sound could not be played.
  SendResult Deliver(const std::atomic<bool>* running = nullptr);
  bool Send() { return Deliver() == SendResult::Sent; }

  int GetPlayMode() const { return m_playMode; }
  void SetPlayMode(int mode) { m_playMode = mode; }
  const char* GetFile() const { return m_file.Get(); }
  void SetFile(const char* file) { m_file = file; }
  int GetSoundID() const { return m_soundId; }
  void SetSoundID(int id) { m_soundId = id; }
  int GetLoopTime() const { return m_loopTime; }
  void SetLoopTime(int count) { m_loopTime = count; }
  int GetSecondsTime() const { return m_secondsTime; }
  void SetSecondsTime(int seconds) { m_secondsTime = seconds; }
  int GetTimeMode() const { return m_timeMode; }
  void SetTimeMode(int mode) { m_timeMode = mode; }
  int GetDuration() const { return m_duration; }
  void SetDuration(int duration) { m_duration = duration; }
  const char* GetProfileName() const { return m_profileName.Get(); }
  void SetProfileName(const char* name) { m_profileName = name; }
  bool GetTestMode() const { return m_testMode; }
  void SetTestMode(bool test) { m_testMode = test; }
  const char* GetOwnPath() const { return m_ownPath.Get(); }
  void SetOwnPath(const char* path) { m_ownPath = path; }

 private:
  bool TakePath(const char* path);
  bool Stopped(const std::atomic<bool>* running) const;
  void PlayWave(AlertStatus& status, const std::atomic<bool>* running);
  void PlayBeeps(AlertStatus& status, const std::atomic<bool>* running);

  int m_playMode = 0;  // 0 system beep, anything else a wave file
  OwnedText m_file;
  int m_soundId = 0;
  int m_loopTime = 10;
  int m_secondsTime = 20;
  int m_timeMode = 0;  // 1 repeat LoopTime times, else play SecondsTime seconds
  int m_duration = 20;
  OwnedText m_ownPath;
  OwnedText m_profileName;
  bool m_testMode = false;
};
