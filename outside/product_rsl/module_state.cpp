#include "module_state.h"

#include <cstring>
#include <mutex>

#include "prd_exports.h"

namespace {

std::mutex g_lock;
HINSTANCE g_module = nullptr;
bool g_classes = false;

bool RegisterOne(const char* name, WNDPROC proc, HBRUSH background) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = proc;
  wc.hInstance = ProductModule();
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.hbrBackground = background;
  wc.lpszClassName = name;
  return RegisterClassA(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

}  // namespace

HINSTANCE ProductModule() {
  std::lock_guard<std::mutex> hold(g_lock);
  // Linked rather than loaded, the library was never told its handle.
  if (g_module == nullptr) g_module = GetModuleHandleA("PRODUCT.RSL");
  return g_module;
}

void SetProductModule(HINSTANCE module) {
  std::lock_guard<std::mutex> hold(g_lock);
  g_module = module;
}

bool EnsureProductClasses() {
  if (g_classes) return true;
  if (!RegisterOne(kSplashClass, SplashProc, nullptr)) return false;
  if (!RegisterOne(kBigButtonsClass, BigButtonsProc, GetSysColorBrush(COLOR_BTNFACE))) {
    UnregisterClassA(kSplashClass, ProductModule());
    return false;
  }
  g_classes = true;
  return true;
}

bool RemoveProductClasses() {
  if (!g_classes) return true;
  // A class with windows left stays; a later call tries again.
  const bool splash = UnregisterClassA(kSplashClass, ProductModule()) != FALSE ||
                      GetLastError() == ERROR_CLASS_DOES_NOT_EXIST;
  const bool bar = UnregisterClassA(kBigButtonsClass, ProductModule()) != FALSE ||
                   GetLastError() == ERROR_CLASS_DOES_NOT_EXIST;
  g_classes = !(splash && bar);
  return !g_classes;
}

bool IsProductWindow(HWND window, const char* class_name) {
  if (window == nullptr || !IsWindow(window)) return false;
  char name[64] = {};
  GetClassNameA(window, name, sizeof name);
  return std::strcmp(name, class_name) == 0;
}

// The menus and texts are English whatever the language.
QV_API int PRD_Register(LANGID /*language*/, LANGID /*resourceLanguage*/) {
  return EnsureProductClasses() ? 1 : 0;
}

// Called twice at the program's shut-down: the second call finds nothing to do.
QV_API void PRD_Unregister() { RemoveProductClasses(); }

QV_API BOOL DllMain(HINSTANCE module, DWORD reason, LPVOID /*reserved*/) {
  if (reason == DLL_PROCESS_ATTACH) SetProductModule(module);
  if (reason == DLL_PROCESS_DETACH) RemoveProductClasses();
  return TRUE;
}
