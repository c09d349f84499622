// Tests only: a process in the SNMP agent's place. It makes or opens the
// link's objects for instance N, prints "ready" and then:
//   snmp_agent_standin N traps T        answers T traps, printing "<id> <value>" for each
//   snmp_agent_standin N mixed R T      answers T traps (value "echo:<value>") on a thread
//                                       while sending R requests, then prints "requests done";
//                                       exit code: wrong answers
//   snmp_agent_standin N ask KIND ID [VALUE]  one request; prints "<error> <type> <id> <value>"
//   snmp_agent_standin N raw            a get whose id and value fill their fields unended
//   snmp_agent_standin N die-holding    takes the mutex and ends holding it
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <mutex>
#include <thread>

#include "qvplatform.h"
#include "snmp_record.h"

namespace {

// Between this process's threads that touch the shared record.
std::mutex g_recordLock;

struct Objects {
  HANDLE mutex, getRequest, getResponse, trapRequest, trapResponse, memory;
  SnmpRecord* shared;
};

HANDLE Event(const char* pattern, unsigned n) {
  return CreateEventA(nullptr, FALSE, FALSE, SnmpObjectName(pattern, n).c_str());
}

bool Open(unsigned n, Objects* o) {
  o->mutex = CreateMutexA(nullptr, FALSE, SnmpObjectName(kSnmpMutexName, n).c_str());
  o->getRequest = Event(kSnmpGetRequestName, n);
  o->getResponse = Event(kSnmpGetResponseName, n);
  o->trapRequest = Event(kSnmpTrapRequestName, n);
  o->trapResponse = Event(kSnmpTrapResponseName, n);
  o->memory = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, sizeof(SnmpRecord),
                                 SnmpObjectName(kSnmpMemMapName, n).c_str());
  o->shared = o->memory ? static_cast<SnmpRecord*>(MapViewOfFile(o->memory, FILE_MAP_ALL_ACCESS, 0, 0, 0)) : nullptr;
  return o->mutex && o->getRequest && o->getResponse && o->trapRequest && o->trapResponse && o->shared;
}

// One exchange started by the agent: it holds the mutex until answered.
bool Ask(const Objects& o, unsigned n, const SnmpRecord& request, SnmpRecord* answer) {
  const DWORD taken = WaitForSingleObject(o.mutex, 30000);
  if (taken != WAIT_OBJECT_0 && taken != WAIT_ABANDONED) return false;
  ResetEvent(o.getResponse);
  {
    std::lock_guard<std::mutex> hold(g_recordLock);
    std::memcpy(o.shared, &request, sizeof request);
    o.shared->instance = n;
  }
  SetEvent(o.getRequest);
  const bool answered = WaitForSingleObject(o.getResponse, 30000) == WAIT_OBJECT_0;
  if (answered) {
    std::lock_guard<std::mutex> hold(g_recordLock);
    std::memcpy(answer, o.shared, sizeof *answer);
  }
  ReleaseMutex(o.mutex);
  return answered;
}

SnmpRecord Request(uint32_t kind, const char* id, const char* value = "") {
  SnmpRecord r{};
  r.kind = kind;
  std::snprintf(r.id, sizeof r.id, "%s", id);
  std::snprintf(r.value, sizeof r.value, "%s", value);
  return r;
}

// Answers `count` traps; `echo` rewrites the value, else each trap is printed.
void AnswerTraps(const Objects& o, int count, bool echo) {
  for (int i = 0; i < count; ++i) {
    if (WaitForSingleObject(o.trapRequest, 30000) != WAIT_OBJECT_0) return;
    std::lock_guard<std::mutex> hold(g_recordLock);
    if (echo) {
      char value[kSnmpValueSize];
      std::snprintf(value, sizeof value, "echo:%.1000s", o.shared->value);
      std::snprintf(o.shared->value, sizeof o.shared->value, "%s", value);
    } else {
      std::printf("%.255s %.1023s\n", o.shared->id, o.shared->value);
      std::fflush(stdout);
    }
    SetEvent(o.trapResponse);
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) return 100;
  const unsigned n = static_cast<unsigned>(std::strtoul(argv[1], nullptr, 10));
  const std::string mode = argv[2];
  Objects o{};
  if (!Open(n, &o)) return 101;
  std::printf("ready\n");
  std::fflush(stdout);
  if (mode == "traps" && argc > 3) {
    AnswerTraps(o, std::atoi(argv[3]), false);
    return 0;
  }
  if (mode == "mixed" && argc > 4) {
    const int requests = std::atoi(argv[3]);
    std::thread traps([&] { AnswerTraps(o, std::atoi(argv[4]), true); });
    int wrong = 0;
    for (int i = 0; i < requests; ++i) {
      SnmpRecord answer{};
      bool right = false;
      switch (i % 3) {
        case 0:
          right = Ask(o, n, Request(kSnmpGet, "2.0"), &answer) && answer.error == 0 &&
                  std::strcmp(answer.value, "2") == 0 && answer.type == kSnmpText;
          break;
        case 1:
          right = Ask(o, n, Request(kSnmpGetNext, "4.0"), &answer) && answer.error == 0 &&
                  std::strcmp(answer.id, "5.0") == 0 && answer.type == kSnmpInteger;
          break;
        default:
          right = Ask(o, n, Request(kSnmpGet, "9.0"), &answer) && answer.error == kSnmpNoSuchVariable;
          break;
      }
      if (!right) ++wrong;
    }
    std::printf("requests done\n");
    std::fflush(stdout);
    traps.join();
    return wrong > 99 ? 99 : wrong;
  }
  if (mode == "ask" && argc > 4) {
    SnmpRecord answer{};
    const uint32_t kind = static_cast<uint32_t>(std::atoi(argv[3]));
    if (!Ask(o, n, Request(kind, argv[4], argc > 5 ? argv[5] : ""), &answer)) return 102;
    std::printf("%u %u %.255s %.1023s\n", answer.error, answer.type, answer.id, answer.value);
    return 0;
  }
  if (mode == "raw") {
    SnmpRecord request{};
    request.kind = kSnmpGet;
    std::memset(request.id, '2', sizeof request.id);
    std::memset(request.value, 'v', sizeof request.value);
    SnmpRecord answer{};
    if (!Ask(o, n, request, &answer)) return 102;
    std::printf("%u\n", answer.error);
    return 0;
  }
  if (mode == "die-holding") {
    WaitForSingleObject(o.mutex, 30000);
    std::_Exit(0);
  }
  return 100;
}
