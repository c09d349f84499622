// The server's way onto the GUI thread.
#include "gui_bridge.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "app_globals.h"
#include "panel_state.h"
#include "plugin_host.h"
#include "remote_request.h"

namespace {

constexpr char kBridgeClass[] = "QV40:RemoteServerBridge";
constexpr UINT kRunMessage = WM_USER + 7;
constexpr UINT kPostedMessage = WM_USER + 8;
constexpr size_t kOwnerOffset = 1662;
constexpr size_t kOwnerSize = 101;

std::atomic<HWND> g_bridge{nullptr};

LRESULT CALLBACK BridgeWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kRunMessage) {
    (*reinterpret_cast<const std::function<void()>*>(lParam))();
    return 1;
  }
  if (message == kPostedMessage) {
    std::unique_ptr<std::function<void()>> work(reinterpret_cast<std::function<void()>*>(lParam));
    (*work)();
    return 1;
  }
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool OnGuiThread() {
  HWND panel = g_app.mainPanel;
  if (panel == nullptr || !IsWindow(panel)) return true;
  return GetWindowThreadProcessId(panel, nullptr) == GetCurrentThreadId();
}

void CreateGuiBridge() {
  if (g_bridge.load() != nullptr) return;
  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = BridgeWndProc;
  windowClass.hInstance = g_app.instance;
  windowClass.lpszClassName = kBridgeClass;
  RegisterClassA(&windowClass);  // a second registration fails harmlessly
  g_bridge.store(CreateWindowExA(0, kBridgeClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, g_app.instance,
                                 nullptr));
}

void DestroyGuiBridge() {
  HWND window = g_bridge.exchange(nullptr);
  if (window == nullptr) return;
  // Work posted and not yet run is dropped with its window's queue entries.
  MSG message;
  while (PeekMessageA(&message, window, kPostedMessage, kPostedMessage, PM_REMOVE)) {
    delete reinterpret_cast<std::function<void()>*>(message.lParam);
  }
  DestroyWindow(window);
}

bool RunOnGuiThread(const std::function<void()>& work) {
  HWND window = g_bridge.load();
  if (window == nullptr || GetWindowThreadProcessId(window, nullptr) == GetCurrentThreadId()) {
    work();
    return true;
  }
  return SendMessageA(window, kRunMessage, 0, reinterpret_cast<LPARAM>(&work)) == 1;
}

bool PostToGuiThread(std::function<void()> work) {
  HWND window = g_bridge.load();
  if (window == nullptr) return false;
  auto* copy = new std::function<void()>(std::move(work));
  if (PostMessageA(window, kPostedMessage, 0, reinterpret_cast<LPARAM>(copy))) return true;
  delete copy;
  return false;
}

std::vector<ProfileRowCopy> CopyProfileRows() {
  std::vector<ProfileRowCopy> rows;
  RunOnGuiThread([&] {
    ProfileSnapshot snapshot{};
    if (!RequestProfileSnapshot(g_app.mainPanel, &snapshot) || snapshot.rows == nullptr) return;
    for (int32_t i = 0; i < snapshot.count; ++i) {
      const PROFILE* row = snapshot.rows[i];
      ProfileRowCopy copy;
      copy.file.assign(row->profileFile, strnlen(row->profileFile, sizeof row->profileFile));
      copy.description.assign(row->description, strnlen(row->description, sizeof row->description));
      copy.kind = row->type;
      // The kind-1 plug-in keeps the profile's owner in its own object; the
      // key is the plug-in's and is read here, on the thread it lives on.
      if (row->type == 1 && row->key != nullptr) {
        const char* owner = static_cast<const char*>(row->key) + kOwnerOffset;
        copy.owner.assign(owner, strnlen(owner, kOwnerSize - 1));
      }
      rows.push_back(std::move(copy));
    }
    std::free(snapshot.rows);
  });
  return rows;
}

bool ProfileKindOfFile(const std::string& file, uint32_t* kind) {
  for (const ProfileRowCopy& row : CopyProfileRows()) {
    if (row.file == file) {
      *kind = static_cast<uint32_t>(row.kind);
      return true;
    }
  }
  return false;
}

int OfferDirectiveToPlugins(const char* text, RemoteRequest* request) {
  int taken = 0;
  RunOnGuiThread([&] {
    for (PluginEntry* entry = g_pluginList; entry != nullptr; entry = entry->next) {
      auto remote = reinterpret_cast<PFN_RemoteCommand>(PluginSlot(entry, PF_REMOTE_COMMAND));
      if (remote == nullptr) continue;
      taken = remote(text, request);
      if (taken != 0) return;
    }
  });
  return taken;
}
