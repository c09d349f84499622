// The X11 display's state, shared by its files (internal). The X headers come
// last: they define macros (None, Bool, Status, True, False) the layer's own
// headers must not see.
#pragma once

#include <atomic>
#include <deque>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "display/image.h"
#include "display/input.h"
#include "qvplatform.h"

#include <X11/Xlib.h>

namespace qvp::display::x11 {

// An X window standing for a top-level window of the window system.
struct XWin {
  ::Window xid = 0;
  HWND hwnd = nullptr;
  RECT rect{};                   // where the window system has it, screen coordinates
  std::deque<RECT> requested;    // geometries asked of the server that have not come back yet
  std::string title;
  bool popup = false;            // placed exactly, not managed
  bool mapped = false;           // we asked for it to be shown
  bool viewable = false;         // the server says it is shown
  bool iconified = false;        // minimized in the window system
  WORD cursor = 0;               // the stock cursor shown over it (0: the arrow)
  HICON icon = nullptr;          // the icon given to the window manager
  Image picture;                 // the last composed picture, for exposures
};

// A notification-area icon shown in the desktop's system tray.
struct TrayWin {
  ::Window xid = 0;
  HWND hwnd = nullptr;
  UINT id = 0;
  HICON icon = nullptr;
  std::vector<unsigned long> pixels;  // width, height, then ARGB rows (empty: no icon)
  int width = 0, height = 0;          // the window's size as the tray made it
  ::Time last_left_press = 0;         // for double clicks
  bool pressed_before = false;
};

// How a caption or border drag is going.
struct Drag {
  HWND hwnd = nullptr;  // null: none
  UINT edge = 0;        // 0 moves, WMSZ_ edges resize
  POINT start{};        // pointer, root coordinates
  RECT from{};          // the window's rectangle when it began
};

class Connection {
 public:
  // ---- set up before the thread starts, read-only afterwards ----
  ::Display* dpy = nullptr;
  int screen = 0;
  ::Window root = 0;
  Visual* visual = nullptr;
  int depth = 0;
  int wake_read = -1, wake_write = -1;
  Atom wm_protocols = 0, wm_delete = 0, motif_hints = 0, net_wm_name = 0, utf8 = 0, net_wm_type = 0,
       type_dialog = 0, type_normal = 0, type_menu = 0, net_wm_icon = 0;
  Atom tray_selection = 0, tray_opcode = 0, manager = 0, xembed = 0, xembed_info = 0;
  std::thread thread;
  std::atomic<bool> stop{false};

  // ---- shared with other threads, under the display's lock (Lock()) ----
  bool sync_wanted = true;
  std::set<HWND> painted;
  Drag drag_request;
  std::map<HWND, WORD> cursor_wanted;  // the stock cursor each window's pointer is to show
  std::set<HWND> cursor_changed;       // ... where that changed since the event thread looked
  bool tray_wanted = true;             // the notification-area icons changed

  // ---- the event thread's own ----
  std::map<HWND, XWin> windows;
  std::map<::Window, HWND> by_xid;
  HWND focused = nullptr;        // the foreground window X focus was last given to
  HWND focus_pending = nullptr;  // to be given the focus once the server shows it
  Drag drag;
  HWND left_held = nullptr;      // the window the left button went down in, until it comes up
  std::set<unsigned> keys_down;  // key codes pressed, for repeats
  std::set<HWND> owed;           // painted windows whose pictures wait for the painting to settle
  std::map<WORD, ::Cursor> cursors;  // X cursors made for stock cursors
  std::map<std::pair<HWND, UINT>, TrayWin> trays;  // the icons shown in the system tray

  XWin* Find(::Window xid);
  void Wake();
  // The event loop: returns when asked to stop or when the server went away.
  void Run();
  void Sync();
  void Paint(const std::set<HWND>& painted);
  void Put(XWin& w, int x, int y, int width, int height);
  void Handle(XEvent& ev);
  void StartDrag(const Drag& request);
  void DragTo(POINT root_pt);
  void Reconfigure(XWin& w, const RECT& r);
  void ShowCursor(XWin& w, WORD stock_id);
  // The system tray (x11_tray.cpp): icons follow the recorded ones, and are
  // docked with the tray's manager whenever one is there.
  void SyncTray();
  void DockTray(const TrayWin& t);
  void PaintTray(TrayWin& t);
  bool HandleTray(XEvent& ev);
};

// Interns the tray's atoms and watches the root for a new tray manager.
void SetUpTray(Connection& c);
// An icon as _NET_WM_ICON wants it: width, height, then ARGB rows top down.
std::vector<unsigned long> IconPixels(HICON icon);
// An 8-bit channel value placed under a visual's colour mask.
unsigned long Channel(uint32_t v8, unsigned long mask);

// The display's lock: guards the connection pointer and its shared fields.
std::mutex& Lock();
// The open connection, or null (under Lock()).
Connection*& Current();
// Set by the I/O error handler when the server connection broke.
extern std::atomic<bool> g_broken;

// Tests: called on the event thread at the start of every round of its loop,
// before it takes its wake-ups and looks at the stop flag (null: none).
using RoundHook = void (*)(Connection& c);
void SetRoundHookForTests(RoundHook hook);

}  // namespace qvp::display::x11
