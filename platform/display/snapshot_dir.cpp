// The snapshot directory: dialogs pictured as they first appear.
#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "display/snapshot.h"
#include "qvplatform.h"
#include "qvplatform/display.h"
#include "ui/dialog_state.h"

namespace qvp::display {
namespace {

struct SnapshotDir {
  std::mutex lock;
  std::set<std::string> written;  // pictures already written (a directory set later starts afresh)
  std::vector<HWND> pending;  // shown while an ancestor was still hidden
};

SnapshotDir& Dir() {
  static auto* d = new SnapshotDir;
  return *d;
}

UINT TemplateIdOf(HWND hwnd) {
  ui::DialogInfo info;
  return ui::GetDialog(hwnd, &info) ? info.template_id : 0;
}

bool OnThisThread(HWND hwnd) { return GetWindowThreadProcessId(hwnd, nullptr) == GetCurrentThreadId(); }

}  // namespace

void SnapshotShownDialogs(HWND shown) {
  const char* dir = std::getenv("QV_SNAPSHOT_DIR");
  if (!dir || !*dir) return;
  auto path_of = [dir](UINT id) { return std::string(dir) + "/dialog_" + std::to_string(id) + ".png"; };
  SnapshotDir& d = Dir();
  std::vector<std::pair<HWND, std::string>> due;
  {
    std::lock_guard<std::mutex> g(d.lock);
    UINT id = TemplateIdOf(shown);
    if (id && !d.written.count(path_of(id)) &&
        std::find(d.pending.begin(), d.pending.end(), shown) == d.pending.end())
      d.pending.push_back(shown);
    for (auto it = d.pending.begin(); it != d.pending.end();) {
      HWND h = *it;
      UINT hid = IsWindow(h) ? TemplateIdOf(h) : 0;
      if (!hid || d.written.count(path_of(hid))) {
        it = d.pending.erase(it);
      } else if (IsWindowVisible(h) && OnThisThread(h)) {
        d.written.insert(path_of(hid));
        due.emplace_back(h, path_of(hid));
        it = d.pending.erase(it);
      } else {
        ++it;
      }
    }
  }
  for (const auto& [h, path] : due)
    if (!SnapshotWindow(h, path.c_str())) OutputDebugStringA(("dialog snapshot not written: " + path + "\n").c_str());
}

}  // namespace qvp::display

