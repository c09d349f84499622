// The shared record seen from the agent, through the platform layer.
#include "agent_link.h"

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <thread>

#include "qvplatform.h"
#include "snmp_record.h"

namespace qvagent {
namespace {

// Every wait on the program is bounded: an agent that waits longer than the
// manager would only answer a request nobody waits for any more.
constexpr DWORD kProgramWaitMs = 500;

}  // namespace

struct Link::Objects {
  unsigned instance = 0;
  HANDLE mutex = nullptr, getRequest = nullptr, getResponse = nullptr, trapRequest = nullptr,
         trapResponse = nullptr, memory = nullptr;
  SnmpRecord* shared = nullptr;
  std::thread traps;
  std::atomic<bool> stop{false};
  // Between this process's two threads that touch the shared record (the
  // other process is kept apart by the named mutex).
  std::mutex recordLock;
};

std::string ProductRoot() {
  char folder[MAX_PATH] = "";
  GetModuleFileNameA(nullptr, folder, sizeof folder);
  if (char* slash = std::strrchr(folder, '\\')) slash[1] = '\0';
  const std::string path = std::string(folder) + "PRODUCT.RSL";
  HMODULE product = LoadLibraryA(path.c_str());
  if (product == nullptr) return std::string();
  typedef void(WINAPI * GetOid)(LPSTR);
  auto get = reinterpret_cast<GetOid>(GetProcAddress(product, "PRD_GetSNMPOid"));
  char root[256] = "";
  if (get != nullptr) get(root);
  root[sizeof root - 1] = '\0';
  FreeLibrary(product);
  return root;
}

unsigned InstanceNumber(const std::string& root) {
  const size_t dot = root.rfind('.');
  return dot == std::string::npos ? 0u : static_cast<unsigned>(std::strtoul(root.c_str() + dot + 1, nullptr, 10));
}

Link::~Link() {
  StopTraps();
  if (objects_ == nullptr) return;
  if (objects_->shared != nullptr) UnmapViewOfFile(objects_->shared);
  for (HANDLE h : {objects_->mutex, objects_->getRequest, objects_->getResponse, objects_->trapRequest,
                   objects_->trapResponse, objects_->memory}) {
    if (h != nullptr) CloseHandle(h);
  }
  delete objects_;
}

bool Link::Open(unsigned instance) {
  objects_ = new Objects;
  Objects& o = *objects_;
  o.instance = instance;
  auto event = [&](const char* prefix) {
    return CreateEventA(nullptr, FALSE, FALSE, SnmpObjectName(prefix, instance).c_str());
  };
  o.mutex = CreateMutexA(nullptr, FALSE, SnmpObjectName(kSnmpMutexName, instance).c_str());
  o.getRequest = event(kSnmpGetRequestName);
  o.getResponse = event(kSnmpGetResponseName);
  o.trapRequest = event(kSnmpTrapRequestName);
  o.trapResponse = event(kSnmpTrapResponseName);
  o.memory = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SnmpRecord),
                                SnmpObjectName(kSnmpMemMapName, instance).c_str());
  if (o.memory != nullptr) {
    o.shared = static_cast<SnmpRecord*>(MapViewOfFile(o.memory, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SnmpRecord)));
  }
  return o.mutex && o.getRequest && o.getResponse && o.trapRequest && o.trapResponse && o.shared;
}

bool Link::Ask(uint32_t kind, const std::string& id, const std::string& value, Answer* answer) {
  if (objects_ == nullptr || objects_->shared == nullptr) return false;
  Objects& o = *objects_;
  // The side that starts an exchange holds the mutex until it is answered or given up.
  const DWORD taken = WaitForSingleObject(o.mutex, kProgramWaitMs);
  if (taken != WAIT_OBJECT_0 && taken != WAIT_ABANDONED) return false;
  ResetEvent(o.getResponse);  // an answer left over from a request given up
  SnmpRecord request{};
  request.instance = o.instance;
  request.kind = kind;
  std::snprintf(request.id, sizeof request.id, "%s", id.c_str());
  std::snprintf(request.value, sizeof request.value, "%s", value.c_str());
  {
    std::lock_guard<std::mutex> hold(o.recordLock);
    std::memcpy(o.shared, &request, sizeof request);
  }
  SetEvent(o.getRequest);
  const bool answered = WaitForSingleObject(o.getResponse, kProgramWaitMs) == WAIT_OBJECT_0;
  if (answered) {
    SnmpRecord reply;
    {
      std::lock_guard<std::mutex> hold(o.recordLock);
      std::memcpy(&reply, o.shared, sizeof reply);
    }
    reply.id[sizeof reply.id - 1] = '\0';
    reply.value[sizeof reply.value - 1] = '\0';
    answer->error = reply.error;
    answer->type = reply.type;
    answer->id = reply.id;
    answer->value = reply.value;
  }
  ReleaseMutex(o.mutex);
  return answered;
}

void Link::StartTraps(std::function<void(unsigned code)> onTrap) {
  if (objects_ == nullptr || objects_->traps.joinable()) return;
  Objects& o = *objects_;
  o.stop.store(false);
  o.traps = std::thread([&o, onTrap] {
    for (;;) {
      WaitForSingleObject(o.trapRequest, INFINITE);
      if (o.stop.load()) return;
      SnmpRecord trap;
      {
        std::lock_guard<std::mutex> hold(o.recordLock);
        std::memcpy(&trap, o.shared, sizeof trap);
      }
      // Taken: the program goes on at once; the trap goes out from the main loop.
      SetEvent(o.trapResponse);
      trap.value[sizeof trap.value - 1] = '\0';
      if (trap.kind == 1) onTrap(static_cast<unsigned>(std::strtoul(trap.value, nullptr, 10)));
    }
  });
}

void Link::StopTraps() {
  if (objects_ == nullptr || !objects_->traps.joinable()) return;
  objects_->stop.store(true);
  // The trap event is shared: another agent of the user may take the
  // wake-up, so it is given again until our thread has seen it.
  std::atomic<bool> ended{false};
  std::thread waker([&] {
    while (!ended.load()) {
      SetEvent(objects_->trapRequest);
      Sleep(200);
    }
  });
  objects_->traps.join();
  ended.store(true);
  waker.join();
}

namespace {

std::function<int()> g_agent;
std::function<void()> g_stop;
SERVICE_STATUS_HANDLE g_status = nullptr;
int g_exitCode = 0;

void Report(DWORD state, DWORD accepted) {
  SERVICE_STATUS status{};
  status.dwServiceType = SERVICE_WIN32_OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = accepted;
  status.dwWaitHint = state == SERVICE_RUNNING || state == SERVICE_STOPPED ? 0 : 3000;
  SetServiceStatus(g_status, &status);
}

void WINAPI Handler(DWORD control) {
  if (control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_SHUTDOWN) {
    Report(SERVICE_STOP_PENDING, 0);
    g_stop();
  }
}

void WINAPI ServiceMain(DWORD, LPSTR*) {
  g_status = RegisterServiceCtrlHandlerA("SNMP", Handler);
  if (g_status == nullptr) return;
  Report(SERVICE_RUNNING, SERVICE_ACCEPT_STOP);
  g_exitCode = g_agent();
  Report(SERVICE_STOPPED, 0);
}

}  // namespace

int RunAsService(int argc, char** argv, const std::function<int()>& agent, const std::function<void()>& stop) {
  bool service = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strncmp(argv[i], "--qv-service=", 13) == 0) service = true;
  }
  if (!service) return -1;
  g_agent = agent;
  g_stop = stop;
  char empty[] = "";
  SERVICE_TABLE_ENTRYA table[] = {{empty, ServiceMain}, {nullptr, nullptr}};
  if (!StartServiceCtrlDispatcherA(table)) return 1;
  return g_exitCode;
}

}  // namespace qvagent
