// Tests only: senders that record what the alert channels send, answer as a
// test tells them, and never wait.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <vector>

#include "alert_senders.h"

namespace fake_senders {

struct Mail {
  std::string address;
  std::string subject;
  std::string body;
  bool withCancel;
};

struct Record {
  std::mutex lock;
  std::vector<Mail> mails;
  std::vector<std::string> sounds;  // "" for a stop
  std::vector<UINT> beeps;
  std::vector<DWORD> pauses;
  std::vector<std::string> pages;   // profile names
  std::atomic<int> mailAnswer{0};
  std::atomic<bool> soundWorks{true};
  std::atomic<int> beepsThatWork{1 << 30};
  std::atomic<int> pageResult{0};   // a SendResult
  DWORD clock = 0;
};

inline Record& record() {
  static Record r;
  return r;
}

inline int SendMail(HWND, const char* address, const char* subject, const char* body, const volatile BYTE* cancel) {
  Record& r = record();
  std::lock_guard<std::mutex> hold(r.lock);
  r.mails.push_back({address ? address : "", subject ? subject : "", body ? body : "", cancel != nullptr});
  return r.mailAnswer.load();
}

inline BOOL PlaySound(const char* sound, UINT) {
  Record& r = record();
  std::lock_guard<std::mutex> hold(r.lock);
  r.sounds.push_back(sound ? sound : "");
  return r.soundWorks.load() ? TRUE : FALSE;
}

inline BOOL Beep(UINT type) {
  Record& r = record();
  std::lock_guard<std::mutex> hold(r.lock);
  r.beeps.push_back(type);
  return r.beepsThatWork.fetch_sub(1) > 0 ? TRUE : FALSE;
}

// A pause moves the fake clock on instead of waiting.
inline bool Pause(DWORD milliseconds, bool (*stop)(const void*), const void* context) {
  Record& r = record();
  {
    std::lock_guard<std::mutex> hold(r.lock);
    r.pauses.push_back(milliseconds);
    r.clock += milliseconds;
  }
  return stop == nullptr || !stop(context);
}

inline DWORD Now() {
  Record& r = record();
  std::lock_guard<std::mutex> hold(r.lock);
  return r.clock;
}

inline SendResult SendPage(CPagerAlert& alert, AlertStatus&);

// Installs the fakes with a clean record.
inline void Install() {
  Record& r = record();
  {
    std::lock_guard<std::mutex> hold(r.lock);
    r.mails.clear();
    r.sounds.clear();
    r.beeps.clear();
    r.pauses.clear();
    r.pages.clear();
    r.clock = 0;
  }
  r.mailAnswer = 0;
  r.soundWorks = true;
  r.beepsThatWork = 1 << 30;
  r.pageResult = static_cast<int>(SendResult::Sent);
  AlertSenders senders;
  senders.sendMail = SendMail;
  senders.playSound = PlaySound;
  senders.beep = Beep;
  senders.pause = Pause;
  senders.now = Now;
  senders.sendPage = SendPage;
  SetAlertSenders(senders);
}

inline size_t MailCount() {
  std::lock_guard<std::mutex> hold(record().lock);
  return record().mails.size();
}

}  // namespace fake_senders

#include "pager_alert.h"

inline SendResult fake_senders::SendPage(CPagerAlert& alert, AlertStatus&) {
  Record& r = record();
  std::lock_guard<std::mutex> hold(r.lock);
  r.pages.push_back(alert.GetProfileName() ? alert.GetProfileName() : "");
  return static_cast<SendResult>(r.pageResult.load());
}
