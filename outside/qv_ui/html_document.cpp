// Showing a document or an address in the user's web browser.
#include <cctype>
#include <cstring>
#include <string>

#include "qv_ui.h"
#include "qv_ui_internal.h"

namespace {

// "http://...", "file:..." and the like: a scheme of two letters or more (one
// letter is a drive).
bool IsAddress(const char* document) {
  size_t n = 0;
  while (std::isalpha(static_cast<unsigned char>(document[n])) != 0) ++n;
  return n >= 2 && document[n] == ':';
}

}  // namespace

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
    // The browser is a program of this system: it reads files by their own paths.
    std::string target = document;
    if (!IsAddress(document)) {
      const qvp::MappedPath mapped = qvp::MapPath(document);
      if (!mapped.ok()) {
        SetLastError(mapped.error);
        return FALSE;
      }
      target = mapped.path;
    }
    const std::string quoted = "\"" + target + "\"";
    result = ShellExecuteA(window, "open", browser, quoted.c_str(), nullptr, SW_SHOWNORMAL);
  } else {
    result = ShellExecuteA(window, "open", document, nullptr, nullptr, SW_SHOWNORMAL);
  }
  return reinterpret_cast<INT_PTR>(result) > 32 ? TRUE : FALSE;
}
