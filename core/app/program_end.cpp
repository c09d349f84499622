// An end asked for from outside the window thread: the service's stop control
// or a termination signal. The request is remembered, and the main window's
// thread carries it out: the main panel gets its exit command, or, before the
// panel is up, the main window is closed and the start ends before the panel.
// Only that thread looks at the panel and the main window; other threads see
// the window through this file's lock.
#include <atomic>
#include <cstdio>
#include <mutex>

#include "app_globals.h"
#include "app_start.h"
#include "panel_ids.h"

namespace {

struct EndRequest {
  std::mutex lock;
  HWND window = nullptr;       // the main window, while it takes requests
  const char* requester = "";  // who asked last
};

EndRequest& Request() {
  static auto* request = new EndRequest;  // signals may come while the process ends
  return *request;
}

std::atomic<bool> g_endRequested{false};

void Note(const char* requester, const char* what) {
  char line[200];
  std::snprintf(line, sizeof line, "%s: %s\r\n", requester, what);
  OutputDebugStringA(line);
}

}  // namespace

void SetProgramEndWindow(HWND window) {
  EndRequest& r = Request();
  std::lock_guard<std::mutex> guard(r.lock);
  r.window = window;
}

void RequestProgramEnd(const char* requester) {
  g_endRequested.store(true);
  EndRequest& r = Request();
  std::lock_guard<std::mutex> guard(r.lock);
  r.requester = requester;
  // Noted here: the start may see the request and end before the window's
  // thread gets to the posted message.
  if (r.window != nullptr && PostMessageA(r.window, kProgramEndMessage, 0, 0)) {
    Note(requester, "the main window's thread ends the program");
    return;
  }
  Note(requester, "no main window yet; the start ends before the panel");
}

bool ProgramEndRequested() { return g_endRequested.load(); }

void CarryOutProgramEnd(HWND window) {
  const char* requester;
  {
    EndRequest& r = Request();
    std::lock_guard<std::mutex> guard(r.lock);
    requester = r.requester;
  }
  if (g_app.mainPanel != nullptr && IsWindow(g_app.mainPanel)) {
    Note(requester, "exit command to the main panel");
    SendMessageA(g_app.mainPanel, WM_COMMAND, kCmdExit, 0);
  } else {
    Note(requester, "closing the main window before the panel is up");
    DestroyWindow(window);
  }
}
