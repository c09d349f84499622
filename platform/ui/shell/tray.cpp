// Shell_NotifyIconA: the notification area as a recorded list of icons.
#include <algorithm>
#include <mutex>
#include <vector>

#include "display/x11_display.h"
#include "ui/last_error.h"
#include "ui/shell/commdlg_common.h"

namespace {

// The structure's size in 32-bit programs.
constexpr DWORD kSizeIn32Bits = 88;

struct Tray {
  std::mutex lock;
  std::vector<qvp::TrayIcon> icons;
};

Tray& TheTray() {
  static auto* t = new Tray;
  return *t;
}

std::vector<qvp::TrayIcon>::iterator FindIcon(Tray& t, HWND hwnd, UINT id) {
  return std::find_if(t.icons.begin(), t.icons.end(),
                      [&](const qvp::TrayIcon& i) { return i.hwnd == hwnd && i.id == id; });
}

void Apply(qvp::TrayIcon& icon, const NOTIFYICONDATAA& data) {
  if (data.uFlags & NIF_MESSAGE) icon.callback_message = data.uCallbackMessage;
  if (data.uFlags & NIF_ICON) icon.icon = data.hIcon;
  // The tip need not be terminated: it is at most the 63 characters before the last byte.
  if (data.uFlags & NIF_TIP) icon.tip = qvp::ui::commdlg::BoundedText(data.szTip, sizeof data.szTip - 1);
}

BOOL Change(DWORD dwMessage, const NOTIFYICONDATAA& data);

}  // namespace

BOOL WINAPI Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData) {
  if (!lpData || !qvp::ui::commdlg::SizeOk(lpData->cbSize, sizeof(NOTIFYICONDATAA), kSizeIn32Bits)) {
    qvp::ui::SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  const NOTIFYICONDATAA& data = *lpData;
  if (dwMessage == NIM_ADD && !IsWindow(data.hWnd)) {
    qvp::ui::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return FALSE;
  }
  const BOOL done = Change(dwMessage, data);
  // A shown tray follows the recorded icons.
  if (done) qvp::display::X11TrayChanged();
  return done;
}

namespace {

BOOL Change(DWORD dwMessage, const NOTIFYICONDATAA& data) {
  Tray& t = TheTray();
  std::lock_guard<std::mutex> g(t.lock);
  auto it = FindIcon(t, data.hWnd, data.uID);
  switch (dwMessage) {
    case NIM_ADD: {
      if (it != t.icons.end()) return FALSE;  // one icon per window and id
      qvp::TrayIcon icon;
      icon.hwnd = data.hWnd;
      icon.id = data.uID;
      Apply(icon, data);
      t.icons.push_back(std::move(icon));
      return TRUE;
    }
    case NIM_MODIFY:
      if (it == t.icons.end()) return FALSE;
      Apply(*it, data);
      return TRUE;
    case NIM_DELETE:
      if (it == t.icons.end()) return FALSE;
      t.icons.erase(it);
      return TRUE;
    default:
      qvp::ui::SetError(ERROR_INVALID_PARAMETER);
      return FALSE;
  }
}

}  // namespace

namespace qvp {

std::vector<TrayIcon> TrayIcons() {
  Tray& t = TheTray();
  std::lock_guard<std::mutex> g(t.lock);
  return t.icons;
}

bool ClickTrayIcon(HWND hwnd, UINT id, UINT mouse_message) {
  UINT message = 0;
  {
    Tray& t = TheTray();
    std::lock_guard<std::mutex> g(t.lock);
    auto it = FindIcon(t, hwnd, id);
    if (it == t.icons.end()) return false;
    message = it->callback_message;
  }
  if (message == 0) return false;
  return PostMessageA(hwnd, message, id, static_cast<LPARAM>(mouse_message)) != FALSE;
}

}  // namespace qvp
