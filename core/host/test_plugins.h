// Tests only: plug-ins made inside the test program. Each fake fills a
// PluginEntry of its own whose IsFunctionSupported answers the ids the test
// lists, with functions that record what the host hands them.
#pragma once

#include <algorithm>
#include <functional>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "plugin_host.h"

inline constexpr int kMaxFakes = 4;

struct FakePlugin {
  PluginEntry entry{};
  std::set<int> supported;
  int asked = 0;  // IsFunctionSupported calls
  std::string help;
  // Function 5 enumerates `rows`; each call's row to reuse is kept.
  std::vector<PROFILE*> rows;
  std::vector<PROFILE*> reuseSeen;
  // Function 9 enumerates `events`; `onFind` runs inside it.
  std::vector<SCHEDULE_EVENT*> events;
  std::function<void()> onFind;
  // Function 8: the events it was asked to delete; `onDelete` runs inside it.
  std::vector<SCHEDULE_EVENT*> deleted;
  std::function<void(SCHEDULE_EVENT*)> onDelete;
  // Function 25: accepts the keys listed; records texts and the calling thread.
  std::set<void*> acceptKeys;
  std::vector<std::string> remoteTexts;
  std::vector<DWORD> remoteThreads;
};

inline FakePlugin g_fakes[kMaxFakes];

template <int N>
int FakeFindProfile(HWND, PROFILE* previous, PROFILE* reuse, PROFILE** out) {
  FakePlugin& fake = g_fakes[N];
  fake.reuseSeen.push_back(reuse);
  size_t next = 0;
  if (previous != nullptr) {
    auto at = std::find(fake.rows.begin(), fake.rows.end(), previous);
    next = at == fake.rows.end() ? fake.rows.size() : static_cast<size_t>(at - fake.rows.begin()) + 1;
  }
  if (next >= fake.rows.size()) return PLUGIN_NO_MORE;
  *out = fake.rows[next];
  return PLUGIN_DONE;
}

template <int N>
int FakeFindEvent(HWND, SCHEDULE_EVENT* previous, SCHEDULE_EVENT** out) {
  FakePlugin& fake = g_fakes[N];
  if (fake.onFind) fake.onFind();
  size_t next = 0;
  if (previous != nullptr) {
    auto at = std::find(fake.events.begin(), fake.events.end(), previous);
    next = at == fake.events.end() ? fake.events.size() : static_cast<size_t>(at - fake.events.begin()) + 1;
  }
  if (next >= fake.events.size()) return PLUGIN_NO_MORE;
  *out = fake.events[next];
  return PLUGIN_DONE;
}

template <int N>
int FakeDeleteEvent(HWND, SCHEDULE_EVENT* event) {
  g_fakes[N].deleted.push_back(event);
  if (g_fakes[N].onDelete) g_fakes[N].onDelete(event);
  return PLUGIN_DONE;
}

template <int N>
int FakeRemoteCommand(const char* text, void* key) {
  FakePlugin& fake = g_fakes[N];
  fake.remoteTexts.push_back(text);
  fake.remoteThreads.push_back(GetCurrentThreadId());
  return fake.acceptKeys.count(key) != 0 ? 1 : 0;
}

template <int N>
char* FakeHelpText(int, int) {
  return g_fakes[N].help.data();
}

template <int N>
int FakeOther() {
  return 0;
}

template <int N>
FARPROC FakeIsFunctionSupported(int id) {
  FakePlugin& fake = g_fakes[N];
  ++fake.asked;
  if (fake.supported.count(id) == 0) return nullptr;
  switch (id) {
    case PF_FIND_PROFILE: return reinterpret_cast<FARPROC>(FakeFindProfile<N>);
    case PF_FIND_SCHEDULED_EVENT: return reinterpret_cast<FARPROC>(FakeFindEvent<N>);
    case PF_DELETE_SCHEDULED_EVENT: return reinterpret_cast<FARPROC>(FakeDeleteEvent<N>);
    case PF_REMOTE_COMMAND: return reinterpret_cast<FARPROC>(FakeRemoteCommand<N>);
    case PF_GET_HELP_TEXT: return reinterpret_cast<FARPROC>(FakeHelpText<N>);
    default: return reinterpret_cast<FARPROC>(FakeOther<N>);
  }
}

inline constexpr PFN_IsFunctionSupported kFakeQueries[kMaxFakes] = {
    FakeIsFunctionSupported<0>, FakeIsFunctionSupported<1>, FakeIsFunctionSupported<2>,
    FakeIsFunctionSupported<3>};

// Puts fakes (kind, name, supported ids) in the plug-in list in the order
// given, each with its slots filled as binding fills them; the list is
// emptied again when the object goes.
class FakePlugins {
 public:
  struct FakeSetup {
    unsigned int kind;
    std::string name;
    std::set<int> supported;
  };
  explicit FakePlugins(std::vector<FakeSetup> setups) {
    PluginEntry** link = &g_pluginList;
    for (size_t i = 0; i < setups.size() && i < kMaxFakes; ++i) {
      FakePlugin& fake = g_fakes[i];
      fake = FakePlugin{};
      fake.supported = setups[i].supported;
      fake.entry.kind = setups[i].kind;
      setups[i].name.copy(fake.entry.name, PLUGIN_NAME_LEN - 1);
      fake.entry.IsFunctionSupported = kFakeQueries[i];
      for (int s = 0; s < 32; ++s) fake.entry.slots[s] = kFakeQueries[i](kPluginSlotOrder[s]);
      fake.asked = 0;
      *link = &fake.entry;
      link = &fake.entry.next;
    }
  }
  ~FakePlugins() {
    g_pluginList = nullptr;
    for (FakePlugin& fake : g_fakes) fake = FakePlugin{};
  }
  FakePlugins(const FakePlugins&) = delete;
  FakePlugins& operator=(const FakePlugins&) = delete;
};
