// The engine's run-time record of one monitored profile.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

#include "device_list.h"

class CMonitorProfile;
class ProbeStop;

// The hand-over between a worker testing a device and a thread that takes the
// device from it (LockDeviceState). Lives on the worker's stack while its test
// runs; read and written only under the engine's lock.
struct TestClaim {
  bool cancelled = false;
  ProbeStop* stop = nullptr;  // asks the running test to end early
  int previousCode = 0;       // the status shown before "Testing..."
  char previousText[100] = "";
};

// A device's status as the main list, the status panel and the reports show
// it: the code picks the row's picture, the text is shown beside it.
enum DeviceStatusCode : int {
  kStatusUp = 0,
  kStatusPending = 1,  // initialising or verifying
  kStatusDown = 2,
  kStatusDisabled = 3,
};

enum class StatusText {
  kInitializing,
  kDisabled,
  kTesting,
  kUp,
  kDown,
  kUpVerifying,
  kDownVerifying,
};

// The one table of the status texts.
const char* StatusTextOf(StatusText text);

// A device's confirmed state, and the result of one test (what a probe answers).
inline constexpr int kDeviceDown = 0;
inline constexpr int kDeviceUp = 1;

// Busy values.
inline constexpr int kDeviceFree = 0;
inline constexpr int kDeviceHeld = 1;     // by a scan pass or by LockDeviceState
inline constexpr int kDeviceTesting = 2;  // claimed for a test

struct DeviceState {
  uint64_t serial = 0;  // unique for the engine's life: finds a device again safely
  // Guarded by the engine's lock.
  int busy = kDeviceFree;
  bool heldByEditor = false;  // held through DeviceList::HoldDevice
  TestClaim* claim = nullptr;  // while a test runs
  DeviceStatus shown;          // written by the owner under the lock, read by anyone under it
  int shownState = kDeviceUp;  // the confirmed state, published the same way

  // Owned by whoever set busy.
  int needsInit = 1;
  uint64_t nextDueTick = 0;     // 0: not scheduled yet
  time_t nextDueTime = 0;
  time_t resultChangedTime = 0;
  uint64_t stateChangedTick = 0;  // 0: not initialised
  time_t stateChangedTime = 0;
  int state = kDeviceUp;        // kDeviceUp or kDeviceDown
  uint64_t lastTestTick = 0;    // 0: never tested
  time_t lastTestTime = 0;
  uint32_t lastTestDuration = 0;
  int lastResult = kDeviceUp;
  uint32_t pollInterval = 0;    // ms
  uint32_t failTime = 0;        // ms
  int kind = 0;
  char host[100] = "";       // the host as logged and shown (at most 99 characters)
  std::string hostName;      // the host whole, as tested
  int port = 0;
  CMonitorProfile* profile = nullptr;  // never changes: the key the device is found by

  // Where a free device waits, guarded by the engine's lock: in the due queue
  // under (dueKey, serial), or among the devices to look at in the next pass.
  bool queued = false;
  uint64_t dueKey = 0;
  bool attention = false;
};

// Milliseconds of one PollTimeUnit / FailTimeUnit: 0 seconds, 1 minutes,
// 2 hours, anything else seconds.
uint32_t TimeUnitMs(int unit);
