// What the alert channels deliver through: the mail library, the sound calls
// and the pause between tries. Tests install their own to see what is sent
// without a mail server, a sound device or waiting.
#pragma once

#include "alert_status.h"
#include "qvplatform.h"

class CPagerAlert;

struct AlertSenders {
  // Sends one mail; 0 when the server took it (the mail library's results).
  int (*sendMail)(HWND owner, const char* address, const char* subject, const char* body,
                  const volatile BYTE* cancel) = nullptr;
  // sndPlaySoundA: TRUE when the sound started (or, synchronous, played).
  BOOL (*playSound)(const char* sound, UINT flags) = nullptr;
  // MessageBeep.
  BOOL (*beep)(UINT type) = nullptr;
  // Waits `milliseconds`; false when `stop` returned true meanwhile (checked
  // at least every 100 ms). `stop` may be null.
  bool (*pause)(DWORD milliseconds, bool (*stop)(const void* context), const void* context) = nullptr;
  // A millisecond clock.
  DWORD (*now)() = nullptr;
  // Sends a page; the real one picks the modem or web sender by the page's modes.
  SendResult (*sendPage)(CPagerAlert& alert, AlertStatus& status) = nullptr;
};

// The real page sender: alphanumeric or numeric by modem, or by web form.
SendResult SendPageBySettings(CPagerAlert& alert, AlertStatus& status);

// The senders in force (the real ones unless a test replaced them).
const AlertSenders& CurrentAlertSenders();
// Replaces the senders; a null member keeps the real one. Tests only.
void SetAlertSenders(const AlertSenders& senders);
// Back to the real senders.
void ResetAlertSenders();
