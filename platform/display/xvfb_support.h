// Tests of the X11 display: a private X server (Xvfb) on a free display number,
// xdotool runs against it, and a connection of the test's own to look at the
// screen and act as a window manager would.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include <sys/types.h>

#include "qvplatform.h"

namespace xvfbtest {

// The first executable of that name on PATH; empty when there is none.
std::string FindProgram(const std::string& name);

class Server {
 public:
  // Starts Xvfb on a display number nobody uses. ok() tells whether it runs.
  Server();
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  bool ok() const { return pid_ > 0; }
  const std::string& name() const { return name_; }  // ":93"

  // Starts a program with DISPLAY set to this server; its pid, or -1.
  pid_t Spawn(const std::vector<std::string>& argv) const;

  // ---- Looking at the screen through a connection of the test's own ----
  // The colour of a pixel of the root window (the screen).
  COLORREF PixelAt(int x, int y);
  // The X window with this title among the root's children; 0 when there is none.
  unsigned long WindowTitled(const std::string& title);
  // The screen's pixels in a rectangle, as 0x00RRGGBB rows.
  std::vector<uint32_t> Grab(const RECT& r);
  // Whether the window is mapped and shown, and where it is on the screen.
  bool Viewable(unsigned long window);
  RECT Geometry(unsigned long window);
  // Asks a window to close as a window manager does (WM_DELETE_WINDOW).
  void AskToClose(unsigned long window);
  // A 32-bit property of a window (e.g. "_NET_WM_ICON"); empty when it has none.
  std::vector<unsigned long> Property32(unsigned long window, const char* name);

 private:
  pid_t pid_ = -1;
  std::string name_;
  void* dpy_ = nullptr;  // the test's own connection
};

// Runs the layer's message loop (with the dialog manager for `dialog`) until
// `done` is true or `ms` passed; true when it came true.
template <class Done>
bool PumpUntil(HWND dialog, Done done, int ms);

// Runs a program to its end while the message loop goes on; its exit status, or -1.
int RunPumping(const Server& server, HWND dialog, const std::vector<std::string>& argv);

void PumpOnce(HWND dialog);

template <class Done>
bool PumpUntil(HWND dialog, Done done, int ms) {
  for (int waited = 0; waited <= ms; waited += 5) {
    PumpOnce(dialog);
    if (done()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  PumpOnce(dialog);
  return done();
}

}  // namespace xvfbtest
