// The file prompt: an open or save dialog with a title and filter that may
// be given as texts or as string ids.
#include <algorithm>
#include <cstring>
#include <string>

#include "qv_ui.h"

namespace {

// A text argument: the text itself, or the string of that id in `instance`.
std::string TextArgument(HINSTANCE instance, const char* text) {
  if (text == nullptr) return {};
  if (!IS_INTRESOURCE(text)) return text;
  char buffer[512];
  const int n = LoadStringA(instance, static_cast<UINT>(reinterpret_cast<ULONG_PTR>(text)), buffer, sizeof buffer);
  return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
}

// "A|*.a|B|*.b|" as the dialog takes it: each '|' a NUL, two NULs at the end.
std::string DialogFilter(const std::string& filter) {
  std::string out = filter;
  for (char& c : out) {
    if (c == '|') c = '\0';
  }
  if (out.empty() || out.back() != '\0') out.push_back('\0');
  out.push_back('\0');
  return out;
}

}  // namespace

QV_API BOOL QVUI_GetFilename(HWND owner, HINSTANCE instance, char* path, const char* folder, const char* name,
                             const char* title, const char* filter, int flags) {
  if (path == nullptr) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  char file[MAX_PATH] = {};
  if (name != nullptr) {
    const size_t n = std::min(std::strlen(name), sizeof file - 1);
    std::memcpy(file, name, n);
  }
  const std::string title_text = TextArgument(instance, title);
  const std::string filter_text = TextArgument(instance, filter);
  const std::string dialog_filter = DialogFilter(filter_text);

  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = owner;
  ofn.hInstance = instance;
  ofn.lpstrFilter = filter_text.empty() ? nullptr : dialog_filter.c_str();
  ofn.nFilterIndex = 1;
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = folder != nullptr && folder[0] != '\0' ? folder : nullptr;
  ofn.lpstrTitle = title_text.empty() ? nullptr : title_text.c_str();
  ofn.Flags = OFN_HIDEREADONLY | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR;
  const bool must_exist = (flags & QVUI_FILE_MUST_EXIST) != 0;
  if (must_exist) ofn.Flags |= OFN_FILEMUSTEXIST;
  const BOOL chosen = must_exist ? GetOpenFileNameA(&ofn) : GetSaveFileNameA(&ofn);
  if (!chosen) return FALSE;
  std::memcpy(path, file, std::strlen(file) + 1);
  return TRUE;
}
