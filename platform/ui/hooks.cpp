// Message filter hooks: a chain per thread, newest first. A hook removed while
// any hook of the thread runs stays in the chain, marked, until the outermost
// call returns, so CallNextHookEx from a hook that removed itself still finds
// its place.
#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "qvplatform.h"
#include "qvplatform/ui_hooks.h"
#include "ui/last_error.h"

namespace qvp::ui {
namespace {

struct Hook {
  HHOOK handle;
  int id;
  HOOKPROC proc;
  bool removed = false;
};

struct HookChain {
  std::vector<std::shared_ptr<Hook>> hooks;  // newest first
  int running = 0;                           // hook procedures under way on this thread
};

thread_local HookChain t_chain;
std::atomic<uintptr_t> g_next_handle{1};

void Sweep() {
  if (t_chain.running > 0) return;
  std::erase_if(t_chain.hooks, [](const std::shared_ptr<Hook>& h) { return h->removed; });
}

// The position of a hook in the chain (removed ones included), or -1.
int Find(HHOOK handle) {
  for (size_t i = 0; i < t_chain.hooks.size(); ++i)
    if (t_chain.hooks[i]->handle == handle) return static_cast<int>(i);
  return -1;
}

// Calls the first live hook of kind `id` at or after position `from`.
LRESULT CallFrom(size_t from, int id, int code, WPARAM wp, LPARAM lp) {
  std::shared_ptr<Hook> hook;
  for (size_t i = from; i < t_chain.hooks.size() && !hook; ++i)
    if (!t_chain.hooks[i]->removed && t_chain.hooks[i]->id == id) hook = t_chain.hooks[i];
  if (!hook) return 0;
  ++t_chain.running;
  LRESULT result = hook->proc(code, wp, lp);
  --t_chain.running;
  Sweep();
  return result;
}

}  // namespace
}  // namespace qvp::ui

using namespace qvp::ui;

HHOOK WINAPI SetWindowsHookExA(int idHook, HOOKPROC lpfn, HINSTANCE /*hmod*/, DWORD dwThreadId) {
  if (idHook != WH_MSGFILTER) {
    SetError(ERROR_INVALID_HOOK_FILTER);
    return nullptr;
  }
  if (!lpfn) {
    SetError(ERROR_INVALID_FILTER_PROC);
    return nullptr;
  }
  if (dwThreadId != GetCurrentThreadId()) {
    SetError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  auto hook = std::make_shared<Hook>();
  hook->handle = reinterpret_cast<HHOOK>(g_next_handle.fetch_add(1));
  hook->id = idHook;
  hook->proc = lpfn;
  t_chain.hooks.insert(t_chain.hooks.begin(), hook);
  return hook->handle;
}

BOOL WINAPI UnhookWindowsHookEx(HHOOK hhk) {
  const int at = Find(hhk);
  if (at < 0 || t_chain.hooks[static_cast<size_t>(at)]->removed) {
    SetError(ERROR_INVALID_HOOK_HANDLE);
    return FALSE;
  }
  t_chain.hooks[static_cast<size_t>(at)]->removed = true;
  Sweep();
  return TRUE;
}

LRESULT WINAPI CallNextHookEx(HHOOK hhk, int nCode, WPARAM wParam, LPARAM lParam) {
  const int at = Find(hhk);
  if (at < 0) return 0;
  const int id = t_chain.hooks[static_cast<size_t>(at)]->id;
  return CallFrom(static_cast<size_t>(at) + 1, id, nCode, wParam, lParam);
}

BOOL WINAPI CallMsgFilterA(LPMSG lpMsg, int nCode) {
  if (!lpMsg || t_chain.hooks.empty()) return FALSE;
  return CallFrom(0, WH_MSGFILTER, nCode, 0, reinterpret_cast<LPARAM>(lpMsg)) != 0 ? TRUE : FALSE;
}
