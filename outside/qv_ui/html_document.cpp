// Showing a document or an address in the user's web browser.
#include <cstring>
#include <string>

#include "qv_ui.h"
#include "qv_ui_internal.h"

QV_API BOOL QVUI_ShowHTMDocument(HWND window, const char* document) {
  // The document travels as one quoted word; a quote inside would split it.
  if (document == nullptr || document[0] == '\0' || std::strchr(document, '"') != nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const std::string settings = QvUiProgramDirectory() + "QUORVANE.INI";
  char browser[MAX_PATH] = {};
  GetPrivateProfileStringA("Browser", "Path", "", browser, sizeof browser, settings.c_str());
  HINSTANCE result = nullptr;
  if (browser[0] != '\0') {
    const std::string quoted = std::string("\"") + document + "\"";
    result = ShellExecuteA(window, "open", browser, quoted.c_str(), nullptr, SW_SHOWNORMAL);
  } else {
    result = ShellExecuteA(window, "open", document, nullptr, nullptr, SW_SHOWNORMAL);
  }
  return reinterpret_cast<INT_PTR>(result) > 32 ? TRUE : FALSE;
}
