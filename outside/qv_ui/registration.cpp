// Registration count of the modules that use the library.
#include <atomic>

#include "qv_ui.h"

namespace {

std::atomic<int> g_registrations{0};

}  // namespace

QV_API int QVUI_Register(LANGID /*language*/) {
  return g_registrations.fetch_add(1) + 1;
}

// An unregister without a matching register leaves the count at zero.
QV_API int QVUI_Unregister() {
  int count = g_registrations.load();
  while (count > 0 && !g_registrations.compare_exchange_weak(count, count - 1)) {
  }
  return count > 0 ? count - 1 : 0;
}
