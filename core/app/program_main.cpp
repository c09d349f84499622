// The program's process entry: the arguments become one Windows command line
// (each quoted when it holds blanks or quotes) for WinMain.
#include <string>

#include "app_start.h"
#include "command_line.h"

int main(int argc, char** argv) {
  std::string line = JoinCommandLine(argc - 1, argv + 1);
  return WinMain(GetModuleHandleA(nullptr), nullptr, line.data(), SW_SHOWNORMAL);
}
