// The named objects of the link, the request thread and the traps.
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "app_globals.h"
#include "remote_server.h"
#include "snmp_link.h"
#include "snmp_link_internal.h"

namespace {

constexpr UINT kApplyMessage = WM_USER + 1;
constexpr char kApplyClass[] = "QV SNMP Apply";
// Bounds of every wait on the agent.
constexpr DWORD kAgentWaitMs = 1000;

struct Link {
  std::mutex lock;  // the fields below
  bool objectsMade = false;
  unsigned instance = 0;
  HANDLE mutex = nullptr;
  HANDLE getRequest = nullptr;
  HANDLE getResponse = nullptr;
  HANDLE trapRequest = nullptr;
  HANDLE trapResponse = nullptr;
  HANDLE memory = nullptr;
  SnmpRecord* shared = nullptr;
  HANDLE thread = nullptr;
  bool stoppedByDown = false;
  std::atomic<HWND> applyWindow{nullptr};  // read by the request thread without the lock
  DWORD applyThread = 0;
  // Between this process's threads that touch the shared record: the request
  // thread and the trap senders (the agent keeps them apart across processes).
  std::mutex recordLock;
  std::atomic<bool> stop{false};
};

Link& TheLink() {
  static Link link;
  return link;
}

// Copies a record out of the shared memory with its texts ended in their fields.
void CopyOut(const SnmpRecord* shared, SnmpRecord* record) {
  std::memcpy(record, shared, sizeof *record);
  record->id[sizeof record->id - 1] = '\0';
  record->value[sizeof record->value - 1] = '\0';
}

HANDLE MakeEvent(const char* pattern, unsigned n) {
  return CreateEventA(nullptr, FALSE, FALSE, SnmpObjectName(pattern, n).c_str());
}

// With the link locked: the mutex, the four events and the shared memory,
// made or opened (the agent may have made them first).
void MakeObjects(Link& link) {
  if (link.objectsMade) return;
  link.objectsMade = true;
  const unsigned n = link.instance = SnmpInstanceNumber(g_snmpOid);
  link.mutex = CreateMutexA(nullptr, FALSE, SnmpObjectName(kSnmpMutexName, n).c_str());
  link.getRequest = MakeEvent(kSnmpGetRequestName, n);
  link.getResponse = MakeEvent(kSnmpGetResponseName, n);
  link.trapRequest = MakeEvent(kSnmpTrapRequestName, n);
  link.trapResponse = MakeEvent(kSnmpTrapResponseName, n);
  link.memory = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SnmpRecord),
                                   SnmpObjectName(kSnmpMemMapName, n).c_str());
  // Zeroed only when made here: the memory of an agent that came first is kept
  // (a new mapping is zero already).
  if (link.memory != nullptr) {
    link.shared = static_cast<SnmpRecord*>(MapViewOfFile(link.memory, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SnmpRecord)));
  }
}

LRESULT CALLBACK ApplyWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kApplyMessage) {
    ApplyWebServerSettings();
    return 0;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// With the link locked, on a thread that may own the apply window: the
// program's GUI thread (the one of the hidden main window), or the first
// thread that traps when there is none.
void MakeApplyWindow(Link& link) {
  if (link.applyWindow != nullptr) return;
  if (g_app.hiddenWindow != nullptr && GetWindowThreadProcessId(g_app.hiddenWindow, nullptr) != GetCurrentThreadId()) {
    return;
  }
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ApplyWndProc;
  windowClass.hInstance = g_app.instance;
  windowClass.lpszClassName = kApplyClass;
  RegisterClassA(&windowClass);
  link.applyWindow.store(
      CreateWindowExA(0, kApplyClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, g_app.instance, nullptr));
  link.applyThread = GetCurrentThreadId();
}

// With the link locked: stops the request thread and waits for its end.
void StopThread(Link& link) {
  if (link.thread == nullptr) return;
  link.stop.store(true);
  // The request event is shared: the request thread of another program of the
  // user may take the wake-up, so it is given again until ours has ended.
  do {
    SetEvent(link.getRequest);
  } while (WaitForSingleObject(link.thread, 200) == WAIT_TIMEOUT);
  CloseHandle(link.thread);
  link.thread = nullptr;
  link.stop.store(false);
  if (link.applyWindow != nullptr && link.applyThread == GetCurrentThreadId()) {
    DestroyWindow(link.applyWindow.exchange(nullptr));
    UnregisterClassA(kApplyClass, g_app.instance);
  }
}

// Stops the thread when the program ends without its "Down" trap.
struct StopAtExit {
  ~StopAtExit() {
    Link& link = TheLink();
    std::lock_guard<std::mutex> hold(link.lock);
    StopThread(link);
  }
};
StopAtExit g_stopAtExit;

}  // namespace

void HandSnmpApplyToGuiThread() {
  Link& link = TheLink();
  const HWND window = link.applyWindow.load();
  if (window != nullptr) PostMessageA(window, kApplyMessage, 0, 0);
}

unsigned SnmpTrapCode(const char* text) {
  if (std::strstr(text, "Up") != nullptr) return kSnmpTrapUp;
  if (std::strstr(text, "Down") != nullptr) return kSnmpTrapDown;
  if (std::strstr(text, "Enabled") != nullptr) return kSnmpTrapEnabled;
  if (std::strstr(text, "Disabled") != nullptr) return kSnmpTrapDisabled;
  return 0;
}

unsigned SnmpInstanceNumber(const char* root) {
  const char* dot = std::strrchr(root, '.');
  return dot == nullptr ? 0u : static_cast<unsigned>(std::strtoul(dot + 1, nullptr, 10));
}

DWORD WINAPI SnmpThread(LPVOID) {
  OutputDebugStringA("Quorvane: SNMP Thread Started\r\n");
  Link& link = TheLink();
  // The objects were made before the thread started and stay while it runs.
  while (link.getRequest != nullptr && link.shared != nullptr) {
    WaitForSingleObject(link.getRequest, INFINITE);
    if (link.stop.load()) break;
    {
      std::lock_guard<std::mutex> hold(link.recordLock);
      SnmpRecord record;
      CopyOut(link.shared, &record);
      if (record.instance == link.instance && record.kind >= kSnmpGet && record.kind <= kSnmpSet) {
        HandleSnmpRequest(&record);
        std::memcpy(link.shared, &record, sizeof record);
      }
    }
    SetEvent(link.getResponse);
  }
  OutputDebugStringA("Quorvane: SNMP Thread Terminated\r\n");
  return 0;
}

int PostSnmpRecord(SnmpRecord* record) {
  Link& link = TheLink();
  {
    std::lock_guard<std::mutex> hold(link.lock);
    if (link.shared == nullptr || link.mutex == nullptr) return -1;
  }
  const DWORD taken = WaitForSingleObject(link.mutex, kAgentWaitMs);
  if (taken != WAIT_OBJECT_0 && taken != WAIT_ABANDONED) return -1;
  {
    std::lock_guard<std::mutex> hold(link.recordLock);
    std::memcpy(link.shared, record, sizeof *record);
    link.shared->instance = link.instance;
  }
  ResetEvent(link.trapResponse);  // an answer left over from a trap given up
  SetEvent(link.trapRequest);
  const bool answered = WaitForSingleObject(link.trapResponse, kAgentWaitMs) == WAIT_OBJECT_0;
  ResetEvent(link.trapRequest);
  if (answered) {
    std::lock_guard<std::mutex> hold(link.recordLock);
    CopyOut(link.shared, record);
  }
  ReleaseMutex(link.mutex);
  return answered ? 0 : -1;
}

int SendSnmpTrap(const char* text) {
  if (g_snmpOid[0] == '\0' || text == nullptr) return 0;
  const unsigned code = SnmpTrapCode(text);
  Link& link = TheLink();
  {
    std::lock_guard<std::mutex> hold(link.lock);
    MakeObjects(link);
    MakeApplyWindow(link);
    // Started once, whichever threads trap together; after "Down" only a new "Up" starts it again.
    if (link.thread == nullptr && link.shared != nullptr && (!link.stoppedByDown || code == kSnmpTrapUp)) {
      link.stoppedByDown = false;
      link.thread = CreateThread(nullptr, 0, SnmpThread, nullptr, 0, nullptr);
    }
  }
  SnmpRecord record{};
  record.kind = kSnmpTrap;
  std::snprintf(record.id, sizeof record.id, "%s", g_snmpOid);
  std::snprintf(record.value, sizeof record.value, "%u", code);
  const int result = PostSnmpRecord(&record);
  if (code == kSnmpTrapDown) {
    std::lock_guard<std::mutex> hold(link.lock);
    StopThread(link);
    link.stoppedByDown = true;
  }
  return result;
}
