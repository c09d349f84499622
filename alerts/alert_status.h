// How a channel's sender tells its progress and reports its errors: status
// records to the test status window during a test, and errors of real alerts
// to the "Alert Errors" window.
#pragma once

#include "qvplatform.h"

// Messages to the test status window around a test: start and end, with the
// channel in lParam (1 e-mail, 2 audio, 3 pager).
inline constexpr UINT kTestStatusBegin = 5034;
inline constexpr UINT kTestStatusEnd = 5035;
inline constexpr LPARAM kTestChannelEmail = 1;
inline constexpr LPARAM kTestChannelAudio = 2;
inline constexpr LPARAM kTestChannelPager = 3;

// What the queue does with an alert after its send.
enum class SendResult {
  Sent,         // delivered: the spool file goes
  Failed,       // not delivered: tried again until the retry count is used up
  Refused,      // can never be delivered as it stands (a refused address): dropped at once
  Unavailable,  // the delivery means is not available here: the spool file stays for later
};

class AlertStatus {
 public:
  AlertStatus(UINT messageId, const char* profileName, bool test);

  // A progress line (code 1) to the test status window during a test.
  void Tell(const char* text) const;
  // An error line (code 3): to the test status window during a test (and the
  // send counts as failed), else to the "Alert Errors" window.
  void Report(const char* text);
  // SendMessage(test status window, message, 0, channel) during a test.
  void Notify(UINT message, LPARAM channel) const;

  bool HasFailed() const { return m_failed; }

 private:
  UINT m_messageId;
  const char* m_profileName;
  bool m_test;
  bool m_failed = false;
};
