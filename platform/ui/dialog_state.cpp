// The dialog manager's per-dialog state and the modal idle hook.
#include "ui/dialog_state.h"

#include <mutex>
#include <unordered_map>

namespace qvp::ui {
namespace {

struct Dialogs {
  std::mutex lock;
  std::unordered_map<HWND, DialogInfo> infos;
  std::function<void()> idle_hook;
};

Dialogs& All() {
  static Dialogs* d = new Dialogs;
  return *d;
}

}  // namespace

void AddDialog(HWND hwnd, const DialogInfo& info) {
  Dialogs& d = All();
  std::lock_guard<std::mutex> g(d.lock);
  d.infos[hwnd] = info;
}

bool GetDialog(HWND hwnd, DialogInfo* info) {
  Dialogs& d = All();
  std::lock_guard<std::mutex> g(d.lock);
  auto it = d.infos.find(hwnd);
  if (it == d.infos.end()) return false;
  *info = it->second;
  return true;
}

bool UpdateDialog(HWND hwnd, const std::function<void(DialogInfo&)>& change) {
  Dialogs& d = All();
  std::lock_guard<std::mutex> g(d.lock);
  auto it = d.infos.find(hwnd);
  if (it == d.infos.end()) return false;
  change(it->second);
  return true;
}

DialogInfo RemoveDialog(HWND hwnd) {
  Dialogs& d = All();
  std::lock_guard<std::mutex> g(d.lock);
  DialogInfo info;
  auto it = d.infos.find(hwnd);
  if (it != d.infos.end()) {
    info = it->second;
    d.infos.erase(it);
  }
  return info;
}

void RunModalIdleHook() {
  std::function<void()> hook;
  {
    Dialogs& d = All();
    std::lock_guard<std::mutex> g(d.lock);
    hook = d.idle_hook;
  }
  if (hook) hook();
}

void WaitForModalInput() {
  bool hooked = false;
  {
    Dialogs& d = All();
    std::lock_guard<std::mutex> g(d.lock);
    hooked = static_cast<bool>(d.idle_hook);
  }
  if (hooked)
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  else
    WaitMessage();
}

}  // namespace qvp::ui

namespace qvp {

void SetModalIdleHook(std::function<void()> hook) {
  ui::Dialogs& d = ui::All();
  std::lock_guard<std::mutex> g(d.lock);
  d.idle_hook = std::move(hook);
}

}  // namespace qvp
