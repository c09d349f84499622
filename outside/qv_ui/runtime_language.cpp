// The run-time language's name, the product index of the web pages, and the
// display's colour depth.
#include "qv_ui.h"
#include "qv_ui_internal.h"

QV_API const char* QVUI_ReadRuntimeLanguage() {
  switch (QvUiLanguage()) {
    case 1036:
      return "FRENCH";
    case 1031:
      return "GERMAN";
    case 1041:
      return "JAPANESE";
    default:
      return "ENGLISH";
  }
}

QV_API int QVUI_GetWebPageProductIndex(HINSTANCE /*instance*/, int page, const char* /*text*/) {
  return page >= 1 && page <= 5 ? 1 : 0;
}

QV_API int QVUI_GetNumSysColors() {
  HDC screen = GetDC(nullptr);
  if (screen == nullptr) return 0;
  const int depth = GetDeviceCaps(screen, BITSPIXEL) * GetDeviceCaps(screen, PLANES);
  ReleaseDC(nullptr, screen);
  return depth;
}
