// The real senders of the alert channels and the test seam over them.
#include "alert_senders.h"

#include <atomic>

#include "qv_ui.h"
#include "smtp_mail.h"

namespace {

int RealSendMail(HWND owner, const char* address, const char* subject, const char* body,
                 const volatile BYTE* cancel) {
  return QVUI_SendMailBodySubject(owner, address, subject, body, cancel);
}

BOOL RealPlaySound(const char* sound, UINT flags) { return sndPlaySoundA(sound, flags); }

BOOL RealBeep(UINT type) { return MessageBeep(type); }

bool RealPause(DWORD milliseconds, bool (*stop)(const void*), const void* context) {
  constexpr DWORD kStep = 100;
  const ULONGLONG end = GetTickCount64() + milliseconds;
  for (;;) {
    if (stop != nullptr && stop(context)) return false;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return true;
    const ULONGLONG left = end - now;
    Sleep(static_cast<DWORD>(left < kStep ? left : kStep));
  }
}

DWORD RealNow() { return static_cast<DWORD>(GetTickCount64()); }

AlertSenders RealSenders() {
  AlertSenders senders;
  senders.sendMail = RealSendMail;
  senders.playSound = RealPlaySound;
  senders.beep = RealBeep;
  senders.pause = RealPause;
  senders.now = RealNow;
  senders.sendPage = SendPageBySettings;
  return senders;
}

// Replaced only by tests, before the threads that read it start.
AlertSenders g_senders = RealSenders();

}  // namespace

const AlertSenders& CurrentAlertSenders() { return g_senders; }

void SetAlertSenders(const AlertSenders& senders) {
  const AlertSenders real = RealSenders();
  g_senders.sendMail = senders.sendMail != nullptr ? senders.sendMail : real.sendMail;
  g_senders.playSound = senders.playSound != nullptr ? senders.playSound : real.playSound;
  g_senders.beep = senders.beep != nullptr ? senders.beep : real.beep;
  g_senders.pause = senders.pause != nullptr ? senders.pause : real.pause;
  g_senders.now = senders.now != nullptr ? senders.now : real.now;
  g_senders.sendPage = senders.sendPage != nullptr ? senders.sendPage : real.sendPage;
}

void ResetAlertSenders() { g_senders = RealSenders(); }
