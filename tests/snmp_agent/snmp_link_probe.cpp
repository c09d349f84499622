// Tests only: the link's mutex seen through the platform layer.
#include "snmp_link_probe.h"

#include <string>

#include "qvplatform.h"

namespace snmptest {

bool AwaitExchangeInFlight(unsigned instance, int seconds) {
  const std::string name = "QV_SNMP_Mutex_" + std::to_string(instance);
  HANDLE mutex = nullptr;
  bool held = false;
  for (int i = 0; i < seconds * 200 && !held; ++i) {
    if (mutex == nullptr) mutex = OpenMutexA(SYNCHRONIZE, FALSE, name.c_str());
    if (mutex != nullptr) {
      const DWORD taken = WaitForSingleObject(mutex, 0);
      if (taken == WAIT_TIMEOUT) {
        held = true;
        break;
      }
      // Free: given back at once, so that neither side waits on the probe.
      if (taken == WAIT_OBJECT_0 || taken == WAIT_ABANDONED) ReleaseMutex(mutex);
    }
    Sleep(5);
  }
  if (mutex != nullptr) CloseHandle(mutex);
  return held;
}

}  // namespace snmptest
