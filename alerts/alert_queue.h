// A spool queue of one alert channel. Every real alert is written at once into
// a spool file of its own ("lert" + four digits + the channel's extension) in
// the spool directory, and delivered later, one by one and front first, by the
// queue's delivery thread; failed e-mails and pages are spooled again until the
// alert retry count is used up. Test alerts bypass the spool through a
// one-place test slot.
//
// The spool lock, a named mutex, guards every creation, filling, deletion and
// listing of the channel's spool files. A spool file is written whole under a
// temporary name ("~lert0007.eap") and renamed to its spool name, so a spool
// file is never seen half-written, also after a crash; a temporary file left by
// a crash is removed at the next start. Spool files are taken in the order of
// their numbers. Nothing depends on the process's current directory.
#pragma once

#include <atomic>
#include <cstddef>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "alert_status.h"
#include "kernel_objects.h"
#include "qvplatform.h"

// What distinguishes the three queues.
struct SpoolQueueTraits {
  const char* mutexName;     // the spool lock's name
  const char* extension;     // "aap", "eap" or "pap"
  const char* retrySection;  // section of the RetryCount key; null: never retried
  DWORD pauseAfterAlert;     // ms between two delivered alerts
  const char* threadName;    // for the debug lines of the thread's start and end
};

// How the delivery thread waits, in milliseconds. Tests shorten these.
struct SpoolQueuePauses {
  DWORD afterAlert;     // after a delivered alert (the channel's pause)
  DWORD whenIdle = 5000;  // with nothing to deliver (a new alert or a stop ends it early), and at least
                          // this long between two readings of the spool after a delivery
  DWORD whenPaused = 1000;  // while alerting is disabled (likewise)
};

template <class Alert>
class AlertSpoolQueue {
 public:
  static constexpr int kMaxSpoolNumber = 9999;

  // What one pass of the delivery loop did.
  enum class Pass { Paused, Purged, TestSent, Delivered, Held, Empty };

  AlertSpoolQueue(const char* spoolDir, const SpoolQueueTraits& traits);
  // Stops the delivery thread and waits for it.
  ~AlertSpoolQueue();
  AlertSpoolQueue(const AlertSpoolQueue&) = delete;
  AlertSpoolQueue& operator=(const AlertSpoolQueue&) = delete;

  // Removes temporary files a crash left, reads the spool back and starts the
  // delivery thread; from here on alerts are accepted. False when the thread
  // could not be started (alerts are then not accepted).
  bool Start();
  // The same without a thread: the caller runs the passes (RunOnce).
  void StartWithoutThread();
  // No more alerts are accepted; the delivery thread ends after the pass in
  // progress (a send in progress finishes first) and is waited for.
  void Stop();
  // The first half of Stop: no more alerts, the thread is asked to end, nobody
  // waits. Lets several queues wind down at once before they are waited for.
  void RequestStop();
  bool IsRunning() const { return m_running.load(); }

  // Spools one real alert (a copy of it); true once its spool file is complete
  // under its spool name. False while the queue is not running, when no spool
  // number is free, or when the file could not be written.
  bool Add(const Alert& alert);
  // Hands a test alert (a copy) to the test slot; false when a test alert of
  // this channel is still pending (the new one is dropped).
  bool PutTest(const Alert& alert);
  bool IsTestPending() const { return m_testPending.load(); }
  // Deletes every spool file of the channel at once; the delivery thread
  // forgets the alerts it read at its next pass, without delivering them.
  void Purge();

  // One pass of the delivery loop.
  Pass RunOnce();
  // Reads the valid spool files back into the delivery list (in number order).
  void Reload();

  // The spool path for the next alert: one past the highest number present, or
  // 0000 when none; past 9999, the lowest free number. False when all 10000
  // are taken. The caller holds the spool lock.
  bool NewSpoolFile(char* nameOut, size_t size) const;
  // The channel's spool files (names only), in number order.
  std::vector<std::string> ListSpoolFiles() const;

  const char* GetSpoolDir() const { return m_spoolDir.c_str(); }
  const char* GetPattern() const { return m_pattern; }
  // The delivery list's length (only while no delivery thread runs).
  size_t PendingCount() const { return m_alerts.size(); }
  void SetPauses(const SpoolQueuePauses& pauses) { m_pauses = pauses; }

 private:
  class SpoolLock;

  static DWORD WINAPI ThreadMain(LPVOID self);
  void Run();
  SendResult DeliverOne(Alert& alert);
  // Writes `alert` whole under a new spool name, with RetryCount when
  // `retries` is above 0. The caller holds the spool lock.
  bool SpoolLocked(const Alert& alert, int retries);
  std::string PathOf(const std::string& name) const;
  std::vector<std::string> ListMatching(const std::string& pattern) const;
  void RemoveTemporaryFiles();
  void WaitFor(DWORD milliseconds, bool wakeOnWork) const;
  void RestAfterCycle() const;

  SpoolQueueTraits m_traits;
  std::atomic<bool> m_purgePending{false};
  CMutex m_spoolLock;
  HANDLE m_thread = nullptr;
  DWORD m_threadId = 0;
  std::atomic<bool> m_testPending{false};
  std::atomic<Alert*> m_testAlert{nullptr};
  std::string m_spoolDir;
  char m_pattern[1024];
  std::deque<std::unique_ptr<Alert>> m_alerts;  // the delivery thread's alone
  std::atomic<bool> m_running{false};
  HANDLE m_stopEvent = nullptr;  // manual reset: set by Stop
  HANDLE m_wakeEvent = nullptr;  // auto reset: new work
  SpoolQueuePauses m_pauses;
};
