// The audio alert's settings and its player.
#include "audio_alert.h"

#include "alert_runtime.h"
#include "alert_senders.h"
#include "status_message.h"

namespace {

const char* const kTextKeys[] = {"ProfileName", "File", nullptr};
const char* const kIntKeys[] = {"TestMode", "PlayMode", "SoundID", "TimeMode", "LoopTime", "SecondsTime", nullptr};

constexpr DWORD kBeepPause = 500;

struct StopCheck {
  bool test;
  const std::atomic<bool>* running;
};

}  // namespace

CAudioAlert::CAudioAlert(const char* path) {
  if (path != nullptr && *path != '\0') Read(path);
}

CAudioAlert::CAudioAlert(const CAudioAlert& other)
    : m_playMode(other.m_playMode),
      m_file(other.m_file),
      m_soundId(other.m_soundId),
      m_loopTime(other.m_loopTime),
      m_secondsTime(other.m_secondsTime),
      m_timeMode(other.m_timeMode),
      m_duration(other.m_duration),
      m_profileName(other.m_profileName),
      m_testMode(other.m_testMode) {}

bool CAudioAlert::TakePath(const char* path) {
  if (path != nullptr && *path != '\0') m_ownPath = path;
  return !m_ownPath.IsEmpty();
}

bool CAudioAlert::Read(const char* path) {
  if (!TakePath(path)) return false;
  const char* file = m_ownPath.Get();
  m_testMode = ReadAlertInt(kSection, "TestMode", 0, file) == 1;
  m_playMode = ReadAlertInt(kSection, "PlayMode", 1, file);
  m_soundId = ReadAlertInt(kSection, "SoundID", 1, file);
  m_timeMode = ReadAlertInt(kSection, "TimeMode", 1, file);
  m_loopTime = ReadAlertInt(kSection, "LoopTime", 10, file);
  m_secondsTime = ReadAlertInt(kSection, "SecondsTime", 20, file);
  m_file = ReadAlertText(kSection, "File", file);
  m_profileName = ReadAlertText(kSection, "ProfileName", file);
  m_duration = m_timeMode == 1 ? m_loopTime : m_secondsTime;
  return true;
}

bool CAudioAlert::ReadLegacy(const char* path) {
  if (!TakePath(path)) return false;
  const char* file = m_ownPath.Get();
  m_testMode = ReadAlertInt(kSection, "TestMode", 0, file) == 1;
  m_playMode = ReadAlertInt(kSection, "PlayMode", 1, file);
  m_soundId = ReadAlertInt(kSection, "SoundID", 1, file);
  m_timeMode = ReadAlertInt(kSection, "TimeMode", 1, file);
  m_loopTime = ReadAlertInt(kSection, "Time", 1, file);
  m_secondsTime = m_loopTime;
  m_file = ReadAlertText(kSection, "File", file);
  m_profileName = ReadAlertText(kSection, "ProfileName", file);
  return true;
}

bool CAudioAlert::Write(const char* path) {
  if (!TakePath(path)) return false;
  const char* file = m_ownPath.Get();
  bool ok = WriteAlertInt(kSection, "TestMode", m_testMode ? 1 : 0, file);
  ok = WriteAlertInt(kSection, "PlayMode", m_playMode, file) && ok;
  ok = WriteAlertInt(kSection, "SoundID", m_soundId, file) && ok;
  ok = WriteAlertInt(kSection, "TimeMode", m_timeMode, file) && ok;
  ok = WriteAlertInt(kSection, "LoopTime", m_loopTime, file) && ok;
  ok = WriteAlertInt(kSection, "SecondsTime", m_secondsTime, file) && ok;
  ok = WriteAlertText(kSection, "File", m_file.Get(), file) && ok;
  ok = WriteAlertText(kSection, "ProfileName", m_profileName.Get(), file) && ok;
  return ok;
}

bool CAudioAlert::IsValidFile(const char* path) { return AlertSectionComplete(kSection, kTextKeys, kIntKeys, path); }

void CAudioAlert::DeleteFile() const {
  if (!m_ownPath.IsEmpty()) DeleteFileA(m_ownPath.Get());
}

// The test-cancel flag belongs to tests: a flag left set by a cancelled test
// must not cut a real alert short.
bool CAudioAlert::Stopped(const std::atomic<bool>* running) const {
  return (m_testMode && IsAlertTestCancelled()) || (running != nullptr && !running->load());
}

namespace {

bool StopRequested(const void* context) {
  const auto* check = static_cast<const StopCheck*>(context);
  return (check->test && IsAlertTestCancelled()) || (check->running != nullptr && !check->running->load());
}

}  // namespace

void CAudioAlert::PlayWave(AlertStatus& status, const std::atomic<bool>* running) {
  const AlertSenders& senders = CurrentAlertSenders();
  if (m_timeMode == 1) {
    for (int played = 0; played < m_duration && !Stopped(running); ++played) {
      if (!senders.playSound(m_file.Get(), SND_SYNC | SND_NODEFAULT)) {
        // A sound that cannot be played will not play on the next round either.
        status.Report("Error starting wave file!");
        return;
      }
    }
    return;
  }
  if (!senders.playSound(m_file.Get(), SND_ASYNC | SND_LOOP | SND_NODEFAULT)) {
    status.Report("Error starting wave file!");
    return;
  }
  const StopCheck check{m_testMode, running};
  if (m_duration > 0) senders.pause(static_cast<DWORD>(m_duration) * 1000u, StopRequested, &check);
  if (!senders.playSound(nullptr, SND_ASYNC)) status.Report("Error stopping wave file!");
}

void CAudioAlert::PlayBeeps(AlertStatus& status, const std::atomic<bool>* running) {
  const AlertSenders& senders = CurrentAlertSenders();
  const StopCheck check{m_testMode, running};
  const DWORD start = senders.now();
  for (int beeps = 0; !Stopped(running);) {
    if (m_timeMode == 1 ? beeps >= m_duration
                        : static_cast<int>((senders.now() - start) / 1000u) >= m_duration) {
      break;
    }
    if (!senders.beep(static_cast<UINT>(m_soundId))) {
      // No beep now means none later: the loop ends instead of trying forever.
      status.Report("Error executing message beep!");
      return;
    }
    ++beeps;
    if (m_timeMode == 1 && beeps >= m_duration) break;
    if (!senders.pause(kBeepPause, StopRequested, &check)) break;
  }
}

SendResult CAudioAlert::Deliver(const std::atomic<bool>* running) {
  m_duration = m_timeMode == 1 ? m_loopTime : m_secondsTime;
  AlertStatus status(kStatusMessageAudio, m_profileName.Get(), m_testMode);
  status.Notify(kTestStatusBegin, kTestChannelAudio);
  status.Tell("Generating audio alert...");

  if (m_playMode != 0) {
    PlayWave(status, running);
  } else {
    PlayBeeps(status, running);
  }

  if (m_testMode && IsAlertTestCancelled() && (running == nullptr || running->load())) {
    status.Tell("Test audio alert cancelled by User");
  } else if (status.HasFailed()) {
    status.Tell("Error generating audio alert");
    status.Tell("Audio alert done.");
  } else {
    status.Tell("Audio alert generated successfully");
    status.Tell("Audio alert done.");
  }
  status.Notify(kTestStatusEnd, kTestChannelAudio);
  return status.HasFailed() ? SendResult::Failed : SendResult::Sent;
}
