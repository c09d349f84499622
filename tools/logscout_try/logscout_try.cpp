// logscout_try: runs a search of Logscout.dll and prints the record it fills.
//
//   logscout_try CODE [HOST USER PASSWORD] [--ok]
//
// HOST, USER and PASSWORD fill the dialog's fields ("host:port" for a server
// on another port). With --ok the dialog is answered at once (OK, then Cancel
// should it come back) and message boxes with their first button, so that a
// search runs without a screen; otherwise the dialog waits for its user.
#include <cstdio>
#include <cstring>
#include <string>

#include "logscout_profile.h"
#include "qvplatform/ui_driver.h"

namespace {

int WINAPI Progress(HWND, LPCSTR text) {
  std::printf("progress: %s\n", text);
  return 0;
}

void PrintSource(int index, const LogscoutLogSource& s) {
  std::printf("source %d: kind %d\n  host %.259s\n  user %.259s\n  log URL %.259s\n  home page %.259s\n  flags %d %d\n",
              index + 1, static_cast<int>(s.kind), s.host, s.user, s.logUrl, s.homePage, static_cast<int>(s.flag),
              static_cast<int>(s.second));
}

}  // namespace

int main(int argc, char** argv) {
  bool ok = false;
  std::string args[4];
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--ok") == 0) {
      ok = true;
    } else if (count < 4) {
      args[count++] = argv[i];
    }
  }
  if (count != 1 && count != 4) {
    std::fprintf(stderr, "usage: logscout_try CODE [HOST USER PASSWORD] [--ok]\n");
    return 2;
  }
  HMODULE library = LoadLibraryA("Logscout.dll");
  auto find = library ? reinterpret_cast<PFN_Logscout_Find>(GetProcAddress(library, reinterpret_cast<LPCSTR>(100)))
                      : nullptr;
  if (find == nullptr) {
    std::fprintf(stderr, "logscout_try: Logscout.dll cannot be loaded\n");
    return 1;
  }
  static LogscoutProfile profile;
  std::snprintf(profile.providerCode, sizeof profile.providerCode, "%s", args[0].c_str());
  char folder[MAX_PATH] = "";
  GetTempPathA(sizeof folder, folder);
  std::snprintf(profile.workFolder, sizeof profile.workFolder, "%s", folder);
  if (count == 4) {
    std::snprintf(profile.sources[0].host, sizeof profile.sources[0].host, "%s", args[1].c_str());
    std::snprintf(profile.sources[0].user, sizeof profile.sources[0].user, "%s", args[2].c_str());
    std::snprintf(profile.sources[0].password, sizeof profile.sources[0].password, "%s", args[3].c_str());
  }
  qvp::UiDriver driver;
  if (ok) {
    driver.OnDialog(101 + (args[0] == "626" ? 1 : 0)).Click(IDOK);
    driver.OnDialog(101 + (args[0] == "626" ? 1 : 0)).Click(IDCANCEL);
  }
  find(nullptr, &profile, Progress, nullptr);
  std::printf("status %d\nsources %d\n", static_cast<int>(profile.status), static_cast<int>(profile.sourceCount));
  for (int i = 0; i < profile.sourceCount && i < 3; ++i) PrintSource(i, profile.sources[i]);
  for (const std::string& problem : driver.Problems()) std::printf("note: %s\n", problem.c_str());
  return 0;
}
