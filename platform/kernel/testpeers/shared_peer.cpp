// Tests only: another process of the user that opens the shared named objects.
//   shared_peer hold-mutex-and-exit NAME   takes the mutex and ends owning it
//   shared_peer set-event NAME             sets the event
//   shared_peer wait-event NAME MS         exit 0 when the event came, 1 on time-out
//   shared_peer write-map NAME TEXT        writes TEXT at the start of the mapping
//   shared_peer create-map NAME BYTES      exit 0 made, 3 already there, 1 failure
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "qvplatform.h"

int main(int argc, char** argv) {
  if (argc < 3) return 2;
  const char* command = argv[1];
  const char* name = argv[2];
  if (std::strcmp(command, "hold-mutex-and-exit") == 0) {
    HANDLE mutex = CreateMutexA(nullptr, FALSE, name);
    if (mutex == nullptr) return 1;
    const DWORD waited = WaitForSingleObject(mutex, 30000);
    return waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED ? 0 : 1;  // ends owning it
  }
  if (std::strcmp(command, "set-event") == 0) {
    HANDLE event = OpenEventA(EVENT_ALL_ACCESS, FALSE, name);
    return event != nullptr && SetEvent(event) ? 0 : 1;
  }
  if (std::strcmp(command, "wait-event") == 0 && argc > 3) {
    HANDLE event = OpenEventA(EVENT_ALL_ACCESS, FALSE, name);
    if (event == nullptr) return 2;
    return WaitForSingleObject(event, static_cast<DWORD>(std::atoi(argv[3]))) == WAIT_OBJECT_0 ? 0 : 1;
  }
  if (std::strcmp(command, "write-map") == 0 && argc > 3) {
    HANDLE mapping = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, name);
    if (mapping == nullptr) return 1;
    char* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 0));
    if (view == nullptr) return 1;
    std::strcpy(view, argv[3]);
    UnmapViewOfFile(view);
    CloseHandle(mapping);
    return 0;
  }
  if (std::strcmp(command, "create-map") == 0 && argc > 3) {
    HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                       static_cast<DWORD>(std::atoi(argv[3])), name);
    if (mapping == nullptr) return 1;
    const bool existed = GetLastError() == ERROR_ALREADY_EXISTS;
    CloseHandle(mapping);
    return existed ? 3 : 0;
  }
  return 2;
}
