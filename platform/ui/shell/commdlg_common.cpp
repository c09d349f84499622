// CommDlgExtendedError and the checks the common dialogs share.
#include "ui/shell/commdlg_common.h"

#include <cstring>

namespace qvp::ui::commdlg {

namespace {
thread_local DWORD t_error = 0;
}  // namespace

void SetDialogError(DWORD code) { t_error = code; }

DWORD DialogError() { return t_error; }

BOOL Refuse(DWORD code) {
  t_error = code;
  return FALSE;
}

bool SizeOk(DWORD stated, size_t ours, DWORD size_in_32_bits) {
  return stated == ours || stated == size_in_32_bits;
}

bool OwnerOk(HWND owner) { return owner == nullptr || IsWindow(owner); }

ModalOwner::ModalOwner(HWND owner) {
  HWND root = owner;
  while (root && (GetWindowLongA(root, GWL_STYLE) & WS_CHILD)) {
    HWND parent = GetParent(root);
    if (!parent) break;
    root = parent;
  }
  if (root && IsWindowEnabled(root)) {
    EnableWindow(root, FALSE);
    disabled_ = root;
  }
}

ModalOwner::~ModalOwner() {
  if (disabled_ && IsWindow(disabled_)) EnableWindow(disabled_, TRUE);
}

int ScreenDpi(int index) {
  HDC screen = CreateICA("DISPLAY", nullptr, nullptr, nullptr);
  int dpi = screen ? GetDeviceCaps(screen, index) : 0;
  if (screen) DeleteDC(screen);
  return dpi > 0 ? dpi : 96;
}

std::string BoundedText(const char* text, size_t limit) {
  if (!text) return {};
  const void* end = std::memchr(text, '\0', limit);
  return std::string(text, end ? static_cast<const char*>(end) - text : limit);
}

}  // namespace qvp::ui::commdlg

DWORD WINAPI CommDlgExtendedError() { return qvp::ui::commdlg::DialogError(); }
