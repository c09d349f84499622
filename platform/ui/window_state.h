// The window system's shared state: classes, windows and the tree, guarded by
// one lock. Lock order: the window lock may be held while taking the kernel's
// wait lock (message queues), never the other way round. No window procedure
// or other callback is ever called with either lock held.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <unordered_map>
#include <vector>

#include "qvplatform/nocase.h"
#include "qvplatform/ui.h"

namespace qvp::ui {

struct ThreadQueue;

struct WindowClass {
  ATOM atom = 0;
  std::string name;  // as registered ("#32770" for an integer atom)
  UINT style = 0;
  WNDPROC proc = nullptr;
  int cls_extra = 0;
  int wnd_extra = 0;
  HINSTANCE instance = nullptr;
  HICON icon = nullptr;
  HICON small_icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
  LPCSTR menu = nullptr;  // an integer resource id, or menu_name.c_str()
  std::string menu_name;
  std::vector<BYTE> extra;
  bool system = false;  // built into the layer (dialogs, controls)
  int windows = 0;      // live windows of the class
};

struct Property {
  ATOM atom = 0;  // set for a property named by an integer atom
  std::string name;
  HANDLE data = nullptr;
};

struct Window {
  HWND handle = nullptr;
  std::shared_ptr<WindowClass> cls;
  std::shared_ptr<ThreadQueue> queue;  // of the thread that created the window
  Window* parent = nullptr;            // the desktop (or message root) for top-level windows
  std::vector<Window*> children;       // the top of the z-order first
  HWND owner = nullptr;
  DWORD style = 0;
  DWORD ex_style = 0;
  WNDPROC proc = nullptr;
  HINSTANCE instance = nullptr;
  LONG_PTR id = 0;  // the child id, or the menu of a top-level window
  LONG_PTR user_data = 0;
  std::vector<BYTE> extra;
  std::string text;
  RECT window_rect{};  // in the parent's client coordinates (screen for top-level windows)
  RECT client_rect{};  // likewise
  RECT normal_rect{};  // where a minimized or maximized window restores to
  std::vector<Property> props;
  HICON icon_big = nullptr;
  HICON icon_small = nullptr;
  HWND last_active_popup = nullptr;
  bool is_root = false;  // the desktop or the message-only root

  // Painting: the update region is kept as its bounding rectangle (client coordinates).
  RECT update{};
  bool has_update = false;
  bool erase_pending = false;
  bool internal_paint = false;

  bool destroying = false;  // DestroyWindow has begun
  bool gone = false;        // freed; the handle no longer names it
};

struct WindowSystem {
  std::mutex lock;
  std::unordered_map<uintptr_t, std::shared_ptr<Window>> windows;
  uintptr_t next_handle = 0x10020;
  Window* desktop = nullptr;
  Window* message_root = nullptr;
  std::vector<std::shared_ptr<WindowClass>> classes;
  std::unordered_map<std::string, ATOM> atoms;  // upper-cased name -> atom
  std::vector<std::string> atom_names;          // atom - 0xC000 -> name
  HWND foreground = nullptr;
};

WindowSystem& Sys();
// Adds the layer's own window classes (the dialog class, ...) to a new window system.
void AddBuiltInClasses(WindowSystem& s);
using Lock = std::lock_guard<std::mutex>;

// Puts a window into a sibling list before position `index`.
void InsertSibling(std::vector<Window*>& list, size_t index, Window* w);

// ---- Lookups (window lock held) ----
Window* FindLocked(HWND hwnd);  // null for an invalid handle, the desktop included
// Like FindLocked, but sets ERROR_INVALID_WINDOW_HANDLE when not found.
Window* RequireLocked(HWND hwnd);
bool IsTopLevel(const Window* w);  // a child of the desktop or the message root
Window* RootOf(Window* w);         // the top-level ancestor (w itself when top-level)
bool IsDescendant(const Window* ancestor, const Window* w);  // w is ancestor or below it
bool VisibleLocked(const Window* w);  // w and all its ancestors visible
POINT ClientOriginOnScreen(const Window* w);
bool OnCurrentThread(const Window* w);
// The top-level windows of a thread, in z-order (takes the window lock).
std::vector<HWND> ThreadTopLevelWindows(DWORD thread_id);

// Shared pointer of a window for calls made without the lock.
std::shared_ptr<Window> Hold(HWND hwnd);

// ---- Atoms (window lock held) ----
// The atom of a class or message name: an integer atom (MAKEINTATOM or "#123"),
// or the atom registered for the name; 0 when a string has no atom and `add` is false.
ATOM AtomOfLocked(LPCSTR name, bool add);
std::string AtomNameLocked(ATOM atom);
bool IsIntAtom(LPCSTR name);

// ---- Calls ----
// Calls a window procedure, as CallWindowProcA does.
LRESULT CallProc(WNDPROC proc, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// SendMessageA: a direct call on the window's own thread, otherwise handed to that thread.
LRESULT Send(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// ---- Geometry helpers ----
struct Insets {
  LONG left, top, right, bottom;
};
// The frame a window of these styles has around its client area (no scroll bars).
Insets FrameOf(DWORD style, DWORD ex_style, bool menu);
// The client rectangle for a window rectangle, in the same coordinates.
RECT ClientFromWindowRect(const RECT& window, DWORD style, DWORD ex_style, bool menu);
bool HasMenuBar(const Window* w);
inline void ShiftRect(RECT& r, LONG dx, LONG dy) {
  r.left += dx;
  r.right += dx;
  r.top += dy;
  r.bottom += dy;
}

}  // namespace qvp::ui
