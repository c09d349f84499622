// The spool queues of the three alert channels.
#include "alert_queue.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

#include "alert_queues.h"
#include "alert_runtime.h"
#include "plugin_helpers.h"

namespace {

constexpr const char* kPrefix = "lert";
constexpr size_t kPrefixLength = 4;

// The number of a spool name "lertNNNN.ext": the leading digits after "lert".
int SpoolNumber(const std::string& name) { return std::atoi(name.c_str() + kPrefixLength); }

SendResult DeliverAlert(CAudioAlert& alert, const std::atomic<bool>* running) { return alert.Deliver(running); }
SendResult DeliverAlert(CEmailAlert& alert, const std::atomic<bool>*) { return alert.Deliver(); }
SendResult DeliverAlert(CPagerAlert& alert, const std::atomic<bool>* running) { return alert.Deliver(running); }

}  // namespace

const SpoolQueueTraits CAudioAlertQueue::kTraits = {"Quorvane!Monitoring&Alerting!Audio!Queue!Access", "aap", nullptr,
                                                1000, "AudioQueueThread"};
const SpoolQueueTraits CEmailAlertQueue::kTraits = {"Quorvane!Monitoring&Alerting!Email!Queue!Access", "eap",
                                                "EmailServer", 1000, "EmailQueueThread"};
const SpoolQueueTraits CPagerAlertQueue::kTraits = {"Quorvane!Monitoring&Alerting!Pager!Queue!Access", "pap",
                                                "PagerServer", 2000, "PagerQueueThread"};

// Holds the spool lock for its lifetime. The wait is repeated until the mutex
// is owned; an abandoned mutex is owned too (the files it guards are whole,
// since each is renamed into place). A mutex that cannot be waited for at all
// (no handle) is not held.
template <class Alert>
class AlertSpoolQueue<Alert>::SpoolLock {
 public:
  explicit SpoolLock(const CMutex& mutex) : m_mutex(mutex) {
    for (;;) {
      const DWORD result = m_mutex.Wait(1000);
      if (result == WAIT_OBJECT_0 || result == WAIT_ABANDONED) {
        m_owned = true;
        return;
      }
      if (result == WAIT_FAILED) return;
    }
  }
  ~SpoolLock() {
    if (m_owned) m_mutex.Release();
  }
  SpoolLock(const SpoolLock&) = delete;
  SpoolLock& operator=(const SpoolLock&) = delete;

 private:
  const CMutex& m_mutex;
  bool m_owned = false;
};

template <class Alert>
AlertSpoolQueue<Alert>::AlertSpoolQueue(const char* spoolDir, const SpoolQueueTraits& traits)
    : m_traits(traits), m_spoolLock(false, traits.mutexName), m_pattern{}, m_pauses{traits.pauseAfterAlert} {
  m_spoolDir = spoolDir != nullptr ? spoolDir : "";
  while (!m_spoolDir.empty() && (m_spoolDir.back() == '\\' || m_spoolDir.back() == '/')) m_spoolDir.pop_back();
  std::snprintf(m_pattern, sizeof m_pattern, "%s*.%s", kPrefix, traits.extension);
  m_stopEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  m_wakeEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
}

template <class Alert>
AlertSpoolQueue<Alert>::~AlertSpoolQueue() {
  Stop();
  delete m_testAlert.exchange(nullptr);
  if (IsValidHandle(m_stopEvent)) CloseHandle(m_stopEvent);
  if (IsValidHandle(m_wakeEvent)) CloseHandle(m_wakeEvent);
}

template <class Alert>
std::string AlertSpoolQueue<Alert>::PathOf(const std::string& name) const {
  return m_spoolDir + "\\" + name;
}

template <class Alert>
std::vector<std::string> AlertSpoolQueue<Alert>::ListMatching(const std::string& pattern) const {
  std::vector<std::string> names;
  if (m_spoolDir.empty()) return names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA(PathOf(pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) names.emplace_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

template <class Alert>
std::vector<std::string> AlertSpoolQueue<Alert>::ListSpoolFiles() const {
  std::vector<std::string> names = ListMatching(m_pattern);
  std::stable_sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return SpoolNumber(a) < SpoolNumber(b);
  });
  return names;
}

template <class Alert>
void AlertSpoolQueue<Alert>::RemoveTemporaryFiles() {
  const std::string pattern = std::string("~") + m_pattern;
  for (const std::string& name : ListMatching(pattern)) DeleteFileA(PathOf(name).c_str());
}

template <class Alert>
bool AlertSpoolQueue<Alert>::NewSpoolFile(char* nameOut, size_t size) const {
  if (nameOut == nullptr || size == 0) return false;
  nameOut[0] = '\0';
  if (m_spoolDir.empty()) return false;
  std::set<int> taken;
  int highest = -1;
  for (const std::string& name : ListMatching(m_pattern)) {
    const int number = SpoolNumber(name);
    taken.insert(number);
    highest = std::max(highest, number);
  }
  int number = highest + 1;
  if (number > kMaxSpoolNumber) {
    number = -1;
    for (int candidate = 0; candidate <= kMaxSpoolNumber; ++candidate) {
      if (taken.count(candidate) == 0) {
        number = candidate;
        break;
      }
    }
    if (number < 0) return false;
  }
  const int length =
      std::snprintf(nameOut, size, "%s\\%s%04d.%s", m_spoolDir.c_str(), kPrefix, number, m_traits.extension);
  if (length < 0 || static_cast<size_t>(length) >= size) {
    nameOut[0] = '\0';
    return false;
  }
  return true;
}

template <class Alert>
bool AlertSpoolQueue<Alert>::SpoolLocked(const Alert& alert, int retries) {
  char spoolPath[MAX_PATH];
  if (!NewSpoolFile(spoolPath, sizeof spoolPath)) return false;
  const char* leaf = std::strrchr(spoolPath, '\\');
  const std::string temporary = PathOf(std::string("~") + (leaf != nullptr ? leaf + 1 : spoolPath));
  DeleteFileA(temporary.c_str());
  // Spool files may hold passwords: the file is its owner's alone before any
  // text goes in (rewrites and the rename keep that).
  HANDLE created = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (created == INVALID_HANDLE_VALUE) return false;
  CloseHandle(created);
  if (!qvp::RestrictToOwner(temporary.c_str())) {
    DeleteFileA(temporary.c_str());
    return false;
  }

  Alert copy(alert);
  bool ok = copy.Write(temporary.c_str());
  if (ok && retries > 0 && m_traits.retrySection != nullptr) {
    ok = WriteProfileInt(m_traits.retrySection, "RetryCount", retries, temporary.c_str());
  }
  if (ok) ok = MoveFileA(temporary.c_str(), spoolPath) != FALSE;
  if (!ok) DeleteFileA(temporary.c_str());
  return ok;
}

template <class Alert>
void AlertSpoolQueue<Alert>::StartWithoutThread() {
  {
    SpoolLock lock(m_spoolLock);
    RemoveTemporaryFiles();
  }
  Reload();
  ResetEvent(m_stopEvent);
  m_running.store(true);
}

template <class Alert>
bool AlertSpoolQueue<Alert>::Start() {
  if (m_thread != nullptr) return true;
  StartWithoutThread();
  m_thread = CreateThread(nullptr, 0, ThreadMain, this, 0, &m_threadId);
  if (m_thread == nullptr) {
    m_running.store(false);
    return false;
  }
  return true;
}

template <class Alert>
void AlertSpoolQueue<Alert>::RequestStop() {
  m_running.store(false);
  if (IsValidHandle(m_stopEvent)) SetEvent(m_stopEvent);
}

template <class Alert>
void AlertSpoolQueue<Alert>::Stop() {
  RequestStop();
  if (m_thread != nullptr) {
    WaitForSingleObject(m_thread, INFINITE);
    CloseHandle(m_thread);
    m_thread = nullptr;
    m_threadId = 0;
  }
}

template <class Alert>
bool AlertSpoolQueue<Alert>::Add(const Alert& alert) {
  if (!m_running.load()) return false;
  bool spooled = false;
  {
    SpoolLock lock(m_spoolLock);
    spooled = SpoolLocked(alert, 0);
  }
  if (spooled) SetEvent(m_wakeEvent);
  return spooled;
}

template <class Alert>
bool AlertSpoolQueue<Alert>::PutTest(const Alert& alert) {
  if (m_testPending.load()) return false;
  auto* copy = new Alert(alert);
  Alert* expected = nullptr;
  if (!m_testAlert.compare_exchange_strong(expected, copy)) {
    delete copy;
    return false;
  }
  // The alert is complete in the slot before the flag shows it.
  m_testPending.store(true);
  SetEvent(m_wakeEvent);
  return true;
}

template <class Alert>
void AlertSpoolQueue<Alert>::Purge() {
  m_purgePending.store(true);
  {
    SpoolLock lock(m_spoolLock);
    for (const std::string& name : ListMatching(m_pattern)) DeleteFileA(PathOf(name).c_str());
  }
  SetEvent(m_wakeEvent);
}

template <class Alert>
void AlertSpoolQueue<Alert>::Reload() {
  m_alerts.clear();
  SpoolLock lock(m_spoolLock);
  for (const std::string& name : ListSpoolFiles()) {
    const std::string path = PathOf(name);
    // A file that misses a key is left alone: never loaded, never deleted here.
    if (!Alert::IsValidFile(path.c_str())) continue;
    m_alerts.push_back(std::make_unique<Alert>(path.c_str()));
  }
}

template <class Alert>
SendResult AlertSpoolQueue<Alert>::DeliverOne(Alert& alert) {
  return DeliverAlert(alert, &m_running);
}

template <class Alert>
typename AlertSpoolQueue<Alert>::Pass AlertSpoolQueue<Alert>::RunOnce() {
  if (IsAlertingDisabled() && !m_testPending.load() && !m_purgePending.load()) return Pass::Paused;

  if (m_purgePending.load()) {
    m_alerts.clear();
    m_purgePending.store(false);
    return Pass::Purged;
  }

  if (m_testPending.load()) {
    // A test goes out even while alerting is disabled.
    std::unique_ptr<Alert> test(m_testAlert.exchange(nullptr));
    if (test) DeliverOne(*test);
    m_testPending.store(false);
    return Pass::TestSent;
  }

  if (m_alerts.empty()) {
    Reload();
    if (m_alerts.empty()) return Pass::Empty;
  }

  std::unique_ptr<Alert> alert = std::move(m_alerts.front());
  m_alerts.pop_front();
  const char* ownPath = alert->GetOwnPath();
  const int retries = (m_traits.retrySection != nullptr && ownPath != nullptr)
                          ? static_cast<int>(GetPrivateProfileIntA(m_traits.retrySection, "RetryCount", 0, ownPath))
                          : 0;
  const SendResult result = DeliverOne(*alert);

  if (result == SendResult::Unavailable) {
    // The spool file stays, and no attempt is counted: it goes out once the
    // channel can deliver.
    return Pass::Held;
  }
  SpoolLock lock(m_spoolLock);
  if (result == SendResult::Failed && m_traits.retrySection != nullptr && retries + 1 < AlertRetryCount() &&
      !m_purgePending.load()) {
    SpoolLocked(*alert, retries + 1);
  }
  alert->DeleteFile();
  return Pass::Delivered;
}

template <class Alert>
void AlertSpoolQueue<Alert>::WaitFor(DWORD milliseconds, bool wakeOnWork) const {
  if (milliseconds == 0) return;
  if (wakeOnWork) {
    const HANDLE handles[2] = {m_stopEvent, m_wakeEvent};
    WaitForMultipleObjects(2, handles, FALSE, milliseconds);
  } else {
    WaitForSingleObject(m_stopEvent, milliseconds);
  }
}

template <class Alert>
void AlertSpoolQueue<Alert>::RestAfterCycle() const {
  // Once every alert read from the spool has had its try, the spool is read
  // again no sooner than the idle pause, so that an alert spooled again after
  // a failure waits that long for its next try. Only a stop, a test or a purge
  // ends the rest early; new alerts wait for the next reading.
  const ULONGLONG start = GetTickCount64();
  for (;;) {
    const ULONGLONG spent = GetTickCount64() - start;
    if (spent >= m_pauses.whenIdle || !m_running.load() || m_testPending.load() || m_purgePending.load()) return;
    WaitFor(static_cast<DWORD>(m_pauses.whenIdle - spent), true);
  }
}

template <class Alert>
void AlertSpoolQueue<Alert>::Run() {
  char line[128];
  std::snprintf(line, sizeof line, "%s\r\n", m_traits.threadName);
  OutputDebugStringA(line);
  while (m_running.load()) {
    switch (RunOnce()) {
      case Pass::Paused: WaitFor(m_pauses.whenPaused, true); break;
      case Pass::Delivered:
        WaitFor(m_pauses.afterAlert, false);
        if (m_alerts.empty()) RestAfterCycle();
        break;
      case Pass::Held:
        // A held alert comes back with the next reading of the spool, so the
        // thread rests before that as when idle.
        if (m_alerts.empty()) {
          WaitFor(m_pauses.whenIdle, true);
        } else {
          WaitFor(m_pauses.afterAlert, false);
        }
        break;
      case Pass::Empty: WaitFor(m_pauses.whenIdle, true); break;
      case Pass::Purged:
      case Pass::TestSent: break;
    }
  }
  std::snprintf(line, sizeof line, "~%s\r\n", m_traits.threadName);
  OutputDebugStringA(line);
}

template <class Alert>
DWORD WINAPI AlertSpoolQueue<Alert>::ThreadMain(LPVOID self) {
  static_cast<AlertSpoolQueue<Alert>*>(self)->Run();
  return 1;
}

template class AlertSpoolQueue<CAudioAlert>;
template class AlertSpoolQueue<CEmailAlert>;
template class AlertSpoolQueue<CPagerAlert>;
