// Tests only: the program's side of the SNMP link in a process of its own,
// as the running program holds it: the settings in a folder (also the
// current folder, where the FTP library is found), the panel's title kept,
// the remote report server linked in, "Up" and the server's settings applied
// at the start, "Down" when a line "exit" comes on the standard input, then
// the server's stop. Prints each trap's result ("up 0", "down -1", ...).
//   snmp_program_host ROOT FOLDER
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "app_globals.h"
#include "program_paths.h"
#include "remote_server.h"
#include "snmp_link.h"

int main(int argc, char** argv) {
  if (argc != 3 || chdir(argv[2]) != 0) return 2;
  std::snprintf(g_snmpOid, sizeof g_snmpOid, "%s", argv[1]);
  qv::SetProgramDirForTests(argv[2]);
  KeepSnmpPanelTitle("Quorvane test panel");
  std::printf("up %d\n", SendSnmpTrap("Quorvane is Up"));
  std::fflush(stdout);
  ApplyWebServerSettings();  // as the panel does when it starts
  const DWORD gui = GetCurrentThreadId();
  std::thread input([gui] {
    char line[64];
    while (std::fgets(line, sizeof line, stdin) != nullptr) {
      if (std::strncmp(line, "trap", 4) == 0) PostThreadMessageA(gui, WM_APP + 1, 0, 0);
      if (std::strncmp(line, "exit", 4) == 0) break;
    }
    PostThreadMessageA(gui, WM_APP, 0, 0);
  });
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    if (message.hwnd == nullptr && message.message == WM_APP + 1) {
      std::printf("enabled %d\n", SendSnmpTrap("Quorvane is Enabled"));
      std::fflush(stdout);
      continue;
    }
    if (message.hwnd == nullptr && message.message == WM_APP) break;
    DispatchMessageA(&message);
  }
  input.join();
  std::printf("down %d\n", SendSnmpTrap("Quorvane is Down"));
  std::fflush(stdout);
  // As the program ends: the panel's "Down" first, then the server stops.
  StopRemoteServer();
  return 0;
}
