// A kind-1 plug-in for the remote server's end-to-end tests. It has two
// profiles (one owned by user "ann", one by nobody), one schedule event that
// makes the remote report "ann\r1", and function 25 in both of its forms: a
// remote command ("~user/report") for its event, and the script directive
// "%fakevalue%", which goes through the request's five operations. Every call
// is appended to "calls.log" beside its own file.
#include <cstring>
#include <fstream>
#include <string>

#include "plugin_api.h"
#include "qvplatform.h"
#include "remote_request.h"

namespace {

HINSTANCE g_instance = nullptr;
PROFILE g_rows[2]{};
SCHEDULE_EVENT g_event{};
// The plug-in's own profile objects: the owner text lies at byte 1662.
char g_objects[2][2048]{};
const char kEventTag[] = "ann/r1";

void Log(const std::string& what) {
  char path[1024];
  const DWORD length = GetModuleFileNameA(g_instance, path, sizeof path);
  std::string file(path, length);
  for (char& c : file) {
    if (c == '\\') c = '/';
  }
  std::ofstream(file.substr(0, file.rfind('/')) + "/calls.log", std::ios::app) << what << "\n";
}

void FillRow(int i, const char* description, const char* file, const char* owner) {
  g_rows[i] = PROFILE{};
  g_rows[i].type = 1;
  std::strncpy(g_rows[i].description, description, sizeof g_rows[i].description - 1);
  std::strncpy(g_rows[i].profileFile, file, sizeof g_rows[i].profileFile - 1);
  std::strncpy(g_objects[i] + 1662, owner, 100);
  g_rows[i].key = g_objects[i];
}

int FindProfile(HWND, PROFILE* previous, PROFILE*, PROFILE** out) {
  if (previous == nullptr) {
    FillRow(0, "Ann's log", "C:\\logs\\ann.prf", "uann");
    FillRow(1, "Open log", "C:\\logs\\open.prf", "");
    *out = &g_rows[0];
    return PLUGIN_DONE;
  }
  if (previous == &g_rows[0]) {
    *out = &g_rows[1];
    return PLUGIN_DONE;
  }
  return PLUGIN_NO_MORE;
}

int FindScheduledEvent(HWND, SCHEDULE_EVENT* previous, SCHEDULE_EVENT** out) {
  if (previous != nullptr) return PLUGIN_NO_MORE;
  g_event = SCHEDULE_EVENT{};
  g_event.profile = &g_rows[0];
  std::strncpy(g_event.eventFile, "C:\\events\\remote.evt", sizeof g_event.eventFile - 1);
  g_event.startTime = 2000000000;
  g_event.repeatType = 5;
  g_event.active = 1;
  g_event.key = const_cast<char*>(kEventTag);
  *out = &g_event;
  return PLUGIN_DONE;
}

int DeleteScheduledEvent(HWND, SCHEDULE_EVENT* event) {
  Log(std::string("delete event ") + static_cast<const char*>(event->key));
  return PLUGIN_DONE;
}

int RemoteCommand(const char* text, void* context) {
  if (text[0] == '~') {
    const bool mine = context != nullptr && std::strcmp(text + 1, static_cast<const char*>(context)) == 0;
    Log(std::string("remote ") + text + (mine ? " taken" : " left"));
    return mine ? 1 : 0;
  }
  // A directive whose length the plug-in overstates: the page must end
  // there rather than be read past its end.
  if (std::strncmp(text, "%fakeoverrun%", 13) == 0) return 1000000;
  static const char kDirective[] = "%fakevalue%";
  if (std::strncmp(text, kDirective, sizeof kDirective - 1) != 0) return 0;
  auto* request = static_cast<RemoteRequest*>(context);
  char value[kRemoteValueSize];
  request->GetParam("Fake", value, sizeof value);
  request->SetVar("FakeVar", value);
  char back[kRemoteValueSize];
  request->GetVar("fakevar", back, sizeof back);
  request->SetVarInt("FakeNum", 41);
  int32_t number = 0;
  request->GetVarInt("FakeNum", &number);
  request->SetVarInt("FakeNum", number + 1);
  Log(std::string("directive ") + back + " " + std::to_string(number));
  return static_cast<int>(sizeof kDirective) - 2;  // the characters after the '%'
}

}  // namespace

QV_API BOOL DllMain(HINSTANCE instance, DWORD, LPVOID) {
  g_instance = instance;
  return TRUE;
}

QV_API int InitializeSupportLibrary(HANDLE, int* major, int* minor, unsigned int* kind, char* name) {
  *major = 1;
  *minor = 0;
  *kind = 1;
  std::strcpy(name, "Log watch");
  return 1;
}

QV_API int SupplyCallback(int, FARPROC) { return 1; }

QV_API FARPROC IsFunctionSupported(int id) {
  switch (id) {
    case PF_FIND_PROFILE: return reinterpret_cast<FARPROC>(&FindProfile);
    case PF_FIND_SCHEDULED_EVENT: return reinterpret_cast<FARPROC>(&FindScheduledEvent);
    case PF_DELETE_SCHEDULED_EVENT: return reinterpret_cast<FARPROC>(&DeleteScheduledEvent);
    case PF_REMOTE_COMMAND: return reinterpret_cast<FARPROC>(&RemoteCommand);
    default: return nullptr;
  }
}
