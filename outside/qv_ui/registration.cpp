// Registration count of the modules that use the library.
#include <atomic>

#include "qv_ui.h"
#include "qv_ui_internal.h"

namespace {

std::atomic<int> g_registrations{0};
std::atomic<LANGID> g_language{1033};

}  // namespace

// A plug-in registers with 0 and leaves the program's language alone.
QV_API int QVUI_Register(LANGID language) {
  if (language != 0) g_language.store(language);
  return g_registrations.fetch_add(1) + 1;
}

// An unregister without a matching register leaves the count at zero.
QV_API int QVUI_Unregister() {
  int count = g_registrations.load();
  while (count > 0 && !g_registrations.compare_exchange_weak(count, count - 1)) {
  }
  return count > 0 ? count - 1 : 0;
}

LANGID QvUiLanguage() { return g_language.load(); }
