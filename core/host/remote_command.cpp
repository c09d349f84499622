// Remote commands for the plug-ins' schedule events: the remote server's
// script pages delete a report, and the event that makes it goes too.
//
// The server calls from its own threads, while plug-in functions run only on
// the GUI thread: the command is sent to a hidden window of the host there.
#include "remote_command.h"

#include <atomic>
#include <deque>
#include <string>

#include "app_globals.h"
#include "host_tables.h"
#include "plugin_host.h"
#include "schedule_walk.h"

namespace {

constexpr char kWindowClass[] = "QV40:HostRemoteCommands";
constexpr UINT kRemoteCommandMessage = WM_USER + 1;

std::atomic<HWND> g_window{nullptr};
// Commands that arrived inside a walk over the schedule on this thread.
thread_local std::deque<std::string> g_deferred;

LRESULT CALLBACK RemoteCommandWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRemoteCommandMessage) {
    OfferRemoteCommandOnGuiThread(reinterpret_cast<const char*>(lParam));
    return 1;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

// "~" + text with every backslash turned into a slash.
std::string PluginCommandText(const char* text) {
  std::string command = "~";
  command += text;
  for (char& c : command) {
    if (c == '\\') c = '/';
  }
  return command;
}

// Asks the plug-ins of the event's kind that take remote commands; true when
// one accepted. Stops asking once the event has left the table meanwhile.
bool OfferEvent(SCHEDULE_EVENT* event, const std::string& command) {
  const auto kind = static_cast<unsigned int>(event->profile->type);
  for (PluginEntry* entry = g_pluginList; entry != nullptr; entry = entry->next) {
    if (entry->kind != kind) continue;
    auto remote = reinterpret_cast<PFN_RemoteCommand>(PluginSlot(entry, PF_REMOTE_COMMAND));
    if (remote == nullptr) continue;
    if (!IsEventInTable(event)) return false;
    if (remote(command.c_str(), event->key) != 0) return true;
  }
  return false;
}

}  // namespace

void CreateRemoteCommandWindow() {
  if (g_window.load() != nullptr) return;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = RemoteCommandWndProc;
  windowClass.hInstance = g_app.instance;
  windowClass.lpszClassName = kWindowClass;
  RegisterClassA(&windowClass);  // a second registration fails harmlessly
  HWND window = CreateWindowExA(0, kWindowClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, g_app.instance,
                                nullptr);
  if (window == nullptr) OutputDebugStringA("Remote commands: no window for them\r\n");
  g_window.store(window);
}

void DestroyRemoteCommandWindow() {
  HWND window = g_window.exchange(nullptr);
  if (window != nullptr) DestroyWindow(window);
  g_deferred.clear();
}

void OfferRemoteCommandToPlugins(const char* text) {
  if (text == nullptr) return;
  HWND window = g_window.load();
  if (window == nullptr) {
    // No plug-in is bound (or binding has not happened): nobody to ask.
    OutputDebugStringA("Remote command: no plug-ins to offer it to\r\n");
    return;
  }
  if (GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    OfferRemoteCommandOnGuiThread(text);
    return;
  }
  // Waits until the GUI thread has done it; a window destroyed meanwhile
  // answers at once without doing anything.
  SendMessageA(window, kRemoteCommandMessage, 0, reinterpret_cast<LPARAM>(text));
}

void RunDeferredRemoteCommands() {
  while (!g_deferred.empty() && !ScheduleWalk::InProgress()) {
    const std::string text = std::move(g_deferred.front());
    g_deferred.pop_front();
    OfferRemoteCommandOnGuiThread(text.c_str());
  }
}

void OfferRemoteCommandOnGuiThread(const char* text) {
  if (ScheduleWalk::InProgress()) {
    g_deferred.emplace_back(text);
    return;
  }
  const std::string command = PluginCommandText(text);
  SchedulerLock lock;
  ScheduleWalk walk;
  bool removed = false;
  // From the last event to the first; a plug-in call may change the table
  // (it may pump messages), so the position is checked against the count at
  // every step and an event is looked for again before it is acted on.
  for (int32_t i = ScheduleTable.count - 1; i >= 0; --i) {
    if (i >= ScheduleTable.count) {
      i = ScheduleTable.count;
      continue;
    }
    SCHEDULE_EVENT* event = ScheduleTable.events[i];
    if (event == nullptr || event->profile == nullptr) continue;
    if (!OfferEvent(event, command)) continue;
    // The event leaves the table before its plug-in deletes it, so nothing
    // can hand the deleted event to a plug-in afterwards.
    if (RemoveScheduledEvent(event) < 0) continue;
    removed = true;
    const auto kind = static_cast<unsigned int>(event->profile->type);
    if (auto erase = GetPluginFunctionAs<PFN_DeleteScheduledEvent>(kind, PF_DELETE_SCHEDULED_EVENT)) {
      erase(g_app.mainPanel, event);
    }
  }
  if (removed) RescheduleAll(0);
}
