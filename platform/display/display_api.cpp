// The display's public calls and how it hooks into the window system and the
// GDI: window changes and paints reach the X11 display, registered input
// messages are delivered, shown dialogs may be pictured, and the first window
// shown opens the display when the environment asks for one.
#include <atomic>

#include "display/display_env.h"
#include "display/input.h"
#include "display/snapshot.h"
#include "display/window_list.h"
#include "display/x11_display.h"
#include "gdi/window_dc.h"
#include "qvplatform.h"
#include "qvplatform/display.h"
#include "ui/nonclient.h"

namespace qvp::display {
namespace {

std::atomic<bool> g_auto_open_tried{false};

void Changed(HWND hwnd) { X11WindowChanged(hwnd); }

void Shown(HWND hwnd) {
  SnapshotShownDialogs(hwnd);
  static const bool wanted = DisplayWantedByEnvironment();
  if (!wanted || g_auto_open_tried.load() || TopWindowOf(hwnd) != hwnd) return;
  if (g_auto_open_tried.exchange(true)) return;
  if (!qvp::OpenDisplay(nullptr)) OutputDebugStringA("display: the X server cannot be reached; windows stay hidden\n");
}

void BeginMove(HWND hwnd, UINT edge) { X11BeginMove(hwnd, edge); }

bool Message(HWND hwnd, UINT msg, WPARAM, LPARAM, LRESULT* result) {
  if (msg != InputMessage()) return false;
  DeliverInput(hwnd);
  *result = 0;
  return true;
}

void Painted(HWND hwnd) { X11WindowPainted(hwnd); }

struct Registration {
  Registration() {
    ui::ShowHooks hooks;
    hooks.changed = Changed;
    hooks.shown = Shown;
    hooks.begin_move = BeginMove;
    hooks.message = Message;
    ui::SetShowHooks(hooks);
    SetWindowDamageHook(Painted);
  }
} g_registration;

}  // namespace
}  // namespace qvp::display

namespace qvp {

bool OpenDisplay(const char* name) {
  if (!display::OpenX11(name)) {
    SetLastError(ERROR_NOT_READY);
    return false;
  }
  SetRasterText(true);
  display::X11WindowChanged(nullptr);
  // What is already on the screen is painted again, now with the real fonts.
  RedrawWindow(nullptr, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_FRAME | RDW_ALLCHILDREN);
  return true;
}

void CloseDisplay() { display::CloseX11(); }

bool DisplayOpen() { return display::X11IsOpen(); }

}  // namespace qvp
