// The X11 connection: opening and closing it, the event thread's loop, keeping
// the X windows in step with the window system and pushing pictures.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "display/compose.h"
#include "display/window_list.h"
#include "display/x11_display.h"
#include "display/x11_state.h"
#include "gdi/raster_text_faces.h"

#include <X11/XKBlib.h>
#include <X11/cursorfont.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace qvp::display::x11 {

std::atomic<bool> g_broken{false};

namespace {
std::atomic<RoundHook> g_round_hook{nullptr};
}  // namespace

void SetRoundHookForTests(RoundHook hook) { g_round_hook = hook; }

std::mutex& Lock() {
  static auto* m = new std::mutex;
  return *m;
}

Connection*& Current() {
  static Connection* c = nullptr;
  return c;
}

namespace {

// Opening and closing are one at a time.
std::mutex& OpenLock() {
  static auto* m = new std::mutex;
  return *m;
}

// Settling time after a window paints, so that a picture is pushed once the
// painting is done rather than halfway.
constexpr int kSettleMs = 8;
// At most this many events are taken before the loop looks at its other work.
constexpr int kEventBatch = 256;

int IgnoreErrors(::Display*, XErrorEvent* e) {
  // Requests on windows the server already dropped (a focus on a window being
  // unmapped, ...) fail harmlessly; nothing else is sent that can fail.
  char text[128] = {};
  XGetErrorText(e->display, e->error_code, text, sizeof text);
  OutputDebugStringA((std::string("display: X error: ") + text + "\n").c_str());
  return 0;
}

int IoError(::Display*) {
  g_broken = true;
  return 0;
}

void IoErrorExit(::Display*, void*) { g_broken = true; }

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

std::string Utf8(const std::string& ansi) {
  std::string out;
  for (unsigned char c : ansi) {
    char32_t u = gdi::raster::UnicodeOfAnsi(c);
    if (u == 0) u = '?';
    if (u < 0x80) {
      out += static_cast<char>(u);
    } else if (u < 0x800) {
      out += static_cast<char>(0xC0 | (u >> 6));
      out += static_cast<char>(0x80 | (u & 0x3F));
    } else {
      out += static_cast<char>(0xE0 | (u >> 12));
      out += static_cast<char>(0x80 | ((u >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (u & 0x3F));
    }
  }
  return out;
}

std::string Latin1(const std::string& ansi) {
  std::string out = ansi;
  for (char& c : out)
    if (static_cast<unsigned char>(c) >= 0x80 && static_cast<unsigned char>(c) < 0xA0) c = '?';
  return out;
}

}  // namespace

static int ShiftOf(unsigned long mask) {
  int s = 0;
  while (mask && !(mask & 1)) {
    mask >>= 1;
    ++s;
  }
  return s;
}

unsigned long Channel(uint32_t v8, unsigned long mask) {
  if (!mask) return 0;
  int shift = ShiftOf(mask);
  unsigned long max = mask >> shift;
  return ((v8 * max + 127) / 255) << shift;
}


XWin* Connection::Find(::Window xid) {
  auto it = by_xid.find(xid);
  if (it == by_xid.end()) return nullptr;
  auto w = windows.find(it->second);
  return w == windows.end() ? nullptr : &w->second;
}

void Connection::Wake() {
  const char byte = 1;
  while (write(wake_write, &byte, 1) < 0 && errno == EINTR) {
  }
}

void Connection::Put(XWin& w, int x, int y, int width, int height) {
  const Image& img = w.picture;
  x = std::max(0, x);
  y = std::max(0, y);
  width = std::min(width, img.width - x);
  height = std::min(height, img.height - y);
  if (width <= 0 || height <= 0) return;
  XImage* xi = XCreateImage(dpy, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                            static_cast<unsigned>(width), static_cast<unsigned>(height), 32, 0);
  if (!xi) return;
  std::vector<char> data(static_cast<size_t>(xi->bytes_per_line) * static_cast<size_t>(height));
  xi->data = data.data();
  const uint32_t probe = 1;
  const bool little = *reinterpret_cast<const uint8_t*>(&probe) == 1;
  const bool direct = xi->bits_per_pixel == 32 && xi->red_mask == 0xFF0000 && xi->green_mask == 0xFF00 &&
                      xi->blue_mask == 0xFF && (xi->byte_order == LSBFirst) == little;
  for (int row = 0; row < height; ++row) {
    const uint32_t* src = img.pixels.data() + static_cast<size_t>(y + row) * static_cast<size_t>(img.width) + x;
    if (direct) {
      std::memcpy(xi->data + static_cast<size_t>(row) * static_cast<size_t>(xi->bytes_per_line), src,
                  static_cast<size_t>(width) * 4);
      continue;
    }
    for (int col = 0; col < width; ++col) {
      uint32_t v = src[col];
      XPutPixel(xi, col, row,
                Channel((v >> 16) & 0xFF, xi->red_mask) | Channel((v >> 8) & 0xFF, xi->green_mask) |
                    Channel(v & 0xFF, xi->blue_mask));
    }
  }
  XPutImage(dpy, w.xid, DefaultGC(dpy, screen), xi, 0, 0, x, y, static_cast<unsigned>(width),
            static_cast<unsigned>(height));
  xi->data = nullptr;
  XDestroyImage(xi);
}

void Connection::Reconfigure(XWin& w, const RECT& r) {
  XMoveResizeWindow(dpy, w.xid, r.left, r.top, static_cast<unsigned>(std::max<LONG>(1, r.right - r.left)),
                    static_cast<unsigned>(std::max<LONG>(1, r.bottom - r.top)));
  w.requested.push_back(r);
  if (w.requested.size() > 16) w.requested.pop_front();
  w.rect = r;
}

void Connection::ShowCursor(XWin& w, WORD stock_id) {
  if (w.cursor == stock_id) return;
  unsigned shape = XC_left_ptr;
  switch (stock_id) {
    case 32513: shape = XC_xterm; break;
    case 32514: case 32650: shape = XC_watch; break;
    case 32515: shape = XC_crosshair; break;
    case 32516: shape = XC_sb_up_arrow; break;
    case 32642: shape = XC_bottom_right_corner; break;
    case 32643: shape = XC_bottom_left_corner; break;
    case 32644: shape = XC_sb_h_double_arrow; break;
    case 32645: shape = XC_sb_v_double_arrow; break;
    case 32646: shape = XC_fleur; break;
    case 32648: shape = XC_X_cursor; break;
    case 32649: shape = XC_hand2; break;
    default: break;
  }
  ::Cursor& cursor = cursors[static_cast<WORD>(shape)];
  if (!cursor) cursor = XCreateFontCursor(dpy, shape);
  XDefineCursor(dpy, w.xid, cursor);
  w.cursor = stock_id;
}

namespace {

void SetTitle(Connection& c, XWin& w, const std::string& title) {
  std::string latin = Latin1(title), utf8 = Utf8(title);
  XChangeProperty(c.dpy, w.xid, XA_WM_NAME, XA_STRING, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(latin.data()), static_cast<int>(latin.size()));
  XChangeProperty(c.dpy, w.xid, c.net_wm_name, c.utf8, 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(utf8.data()), static_cast<int>(utf8.size()));
  w.title = title;
}

void SetSizeHints(Connection& c, XWin& w, const TopWindow& t) {
  XSizeHints* h = XAllocSizeHints();
  if (!h) return;
  h->flags = USPosition | PPosition | USSize | PSize;
  h->x = t.rect.left;
  h->y = t.rect.top;
  h->width = std::max<LONG>(1, t.rect.right - t.rect.left);
  h->height = std::max<LONG>(1, t.rect.bottom - t.rect.top);
  if (!t.resizable) {
    // Only the window system's own border changes the size of such a window.
    h->flags |= PMinSize | PMaxSize;
    h->min_width = h->max_width = h->width;
    h->min_height = h->max_height = h->height;
  }
  XSetWMNormalHints(c.dpy, w.xid, h);
  XFree(h);
}

}  // namespace

// An icon as _NET_WM_ICON wants it: width, height, then ARGB rows top down,
// transparent where the icon's mask is set. Empty when it cannot be read.
std::vector<unsigned long> IconPixels(HICON icon) {
  ICONINFO info{};
  if (!icon || !GetIconInfo(icon, &info)) return {};
  std::vector<unsigned long> out;
  BITMAP mask{};
  if (info.hbmMask && GetObjectA(info.hbmMask, sizeof mask, &mask) == sizeof mask) {
    // A monochrome icon's mask holds the AND mask over the XOR image.
    const int width = mask.bmWidth;
    const int height = info.hbmColor ? mask.bmHeight : mask.bmHeight / 2;
    if (width > 0 && height > 0 && width <= 256 && height <= 256) {
      BITMAPINFO bi{};
      bi.bmiHeader.biSize = sizeof bi.bmiHeader;
      bi.bmiHeader.biWidth = width;
      bi.bmiHeader.biHeight = -(info.hbmColor ? height : height * 2);
      bi.bmiHeader.biPlanes = 1;
      bi.bmiHeader.biBitCount = 32;
      bi.bmiHeader.biCompression = BI_RGB;
      const size_t cells = static_cast<size_t>(width) * static_cast<size_t>(height);
      std::vector<uint32_t> masks(info.hbmColor ? cells : cells * 2), colours(cells);
      HDC dc = CreateCompatibleDC(nullptr);
      const UINT maskRows = static_cast<UINT>(info.hbmColor ? height : height * 2);
      bool ok = dc && GetDIBits(dc, info.hbmMask, 0, maskRows, masks.data(), &bi, DIB_RGB_COLORS) != 0;
      if (ok && info.hbmColor) {
        bi.bmiHeader.biHeight = -height;
        ok = GetDIBits(dc, info.hbmColor, 0, static_cast<UINT>(height), colours.data(), &bi, DIB_RGB_COLORS) != 0;
      } else if (ok) {
        std::copy(masks.begin() + static_cast<std::ptrdiff_t>(cells), masks.end(), colours.begin());
      }
      if (dc) DeleteDC(dc);
      if (ok) {
        out.reserve(cells + 2);
        out.push_back(static_cast<unsigned long>(width));
        out.push_back(static_cast<unsigned long>(height));
        for (size_t i = 0; i < cells; ++i) {
          const bool clear = (masks[i] & 0xFFFFFFu) != 0;
          out.push_back(clear ? 0ul : (0xFF000000ul | (colours[i] & 0xFFFFFFu)));
        }
      }
    }
  }
  if (info.hbmMask) DeleteObject(info.hbmMask);
  if (info.hbmColor) DeleteObject(info.hbmColor);
  return out;
}

namespace {

void SetIcon(Connection& c, XWin& w, HICON icon) {
  w.icon = icon;
  const std::vector<unsigned long> pixels = IconPixels(icon);
  if (pixels.empty()) {
    XDeleteProperty(c.dpy, w.xid, c.net_wm_icon);
    return;
  }
  XChangeProperty(c.dpy, w.xid, c.net_wm_icon, XA_CARDINAL, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(pixels.data()), static_cast<int>(pixels.size()));
}

XWin& Create(Connection& c, const TopWindow& t) {
  XSetWindowAttributes a{};
  a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | KeyPressMask |
                 KeyReleaseMask | FocusChangeMask | StructureNotifyMask;
  a.override_redirect = t.popup ? True : False;
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  a.background_pixel = Channel(GetRValue(face), c.visual->red_mask) | Channel(GetGValue(face), c.visual->green_mask) |
                       Channel(GetBValue(face), c.visual->blue_mask);
  a.bit_gravity = NorthWestGravity;
  const unsigned width = static_cast<unsigned>(std::max<LONG>(1, t.rect.right - t.rect.left));
  const unsigned height = static_cast<unsigned>(std::max<LONG>(1, t.rect.bottom - t.rect.top));
  ::Window xid = XCreateWindow(c.dpy, c.root, t.rect.left, t.rect.top, width, height, 0, CopyFromParent, InputOutput,
                               CopyFromParent, CWEventMask | CWOverrideRedirect | CWBackPixel | CWBitGravity, &a);
  XWin& w = c.windows[t.hwnd];
  w.xid = xid;
  w.hwnd = t.hwnd;
  w.rect = t.rect;
  w.popup = t.popup;
  c.by_xid[xid] = t.hwnd;
  w.cursor = 0xFFFF;
  c.ShowCursor(w, 0);  // the arrow, not whatever the root window shows
  if (!t.popup) {
    Atom protocols[1] = {c.wm_delete};
    XSetWMProtocols(c.dpy, xid, protocols, 1);
    SetSizeHints(c, w, t);
    XWMHints* wm = XAllocWMHints();
    if (wm) {
      wm->flags = InputHint | StateHint;
      wm->input = True;
      wm->initial_state = NormalState;
      XSetWMHints(c.dpy, xid, wm);
      XFree(wm);
    }
    XClassHint* cls = XAllocClassHint();
    if (cls) {
      std::string name = program_invocation_short_name;
      cls->res_name = name.data();
      cls->res_class = name.data();
      XSetClassHint(c.dpy, xid, cls);
      XFree(cls);
    }
    if (t.caption) {
      // The window draws its own caption and frame: the window manager adds none.
      long motif[5] = {2 /* decorations given */, 0, 0 /* none */, 0, 0};
      XChangeProperty(c.dpy, xid, c.motif_hints, c.motif_hints, 32, PropModeReplace,
                      reinterpret_cast<unsigned char*>(motif), 5);
    }
    Atom type = t.dialog ? c.type_dialog : c.type_normal;
    XChangeProperty(c.dpy, xid, c.net_wm_type, XA_ATOM, 32, PropModeReplace, reinterpret_cast<unsigned char*>(&type),
                    1);
    auto owner = c.windows.find(t.owner);
    if (owner != c.windows.end()) XSetTransientForHint(c.dpy, xid, owner->second.xid);
  }
  SetTitle(c, w, t.title);
  if (!t.popup && t.icon) SetIcon(c, w, t.icon);
  return w;
}

}  // namespace

void Connection::Sync() {
  HWND foreground = nullptr;
  std::vector<TopWindow> tops = ListTopWindows(&foreground);
  std::set<HWND> listed;
  for (const TopWindow& t : tops) listed.insert(t.hwnd);
  for (auto it = windows.begin(); it != windows.end();) {
    if (listed.count(it->first)) {
      ++it;
      continue;
    }
    by_xid.erase(it->second.xid);
    XDestroyWindow(dpy, it->second.xid);
    if (focused == it->first) focused = nullptr;
    {
      std::lock_guard<std::mutex> g(Lock());
      cursor_wanted.erase(it->first);
      cursor_changed.erase(it->first);
    }
    it = windows.erase(it);
  }
  // Bottom of the z-order first, so that owners exist before what they own.
  std::vector<XWin*> popups;
  for (auto it = tops.rbegin(); it != tops.rend(); ++it) {
    const TopWindow& t = *it;
    const bool want = t.visible && t.rect.right > t.rect.left && t.rect.bottom > t.rect.top;
    auto found = windows.find(t.hwnd);
    if (found == windows.end() && !want) continue;
    XWin& w = found == windows.end() ? Create(*this, t) : found->second;
    if (!Same(t.rect, w.rect) && t.rect.right > t.rect.left && t.rect.bottom > t.rect.top) {
      if (!w.popup) SetSizeHints(*this, w, t);
      Reconfigure(w, t.rect);
    }
    if (t.title != w.title) SetTitle(*this, w, t.title);
    if (!w.popup && t.icon != w.icon) SetIcon(*this, w, t.icon);
    if (want && t.minimized) {
      if (!w.iconified) XIconifyWindow(dpy, w.xid, screen);
      w.iconified = true;
      w.mapped = false;
    } else if (want && !w.mapped) {
      w.iconified = false;
      XMapWindow(dpy, w.xid);
      w.mapped = true;
      owed.insert(t.hwnd);
    } else if (!want && w.mapped) {
      if (w.popup)
        XUnmapWindow(dpy, w.xid);
      else
        XWithdrawWindow(dpy, w.xid, screen);
      w.mapped = false;
    }
    if (w.popup && w.mapped) popups.push_back(&w);
  }
  for (XWin* p : popups) XRaiseWindow(dpy, p->xid);
  // The keyboard follows the window system's foreground window.
  if (foreground != focused) {
    auto f = windows.find(foreground);
    if (f != windows.end() && f->second.mapped && !f->second.popup) {
      XRaiseWindow(dpy, f->second.xid);
      if (f->second.viewable) {
        XSetInputFocus(dpy, f->second.xid, RevertToParent, CurrentTime);
        focused = foreground;
      } else {
        focus_pending = foreground;
      }
    }
  }
}

void Connection::Paint(const std::set<HWND>& changed) {
  std::set<HWND> tops;
  for (HWND h : changed)
    if (HWND top = TopWindowOf(h)) tops.insert(top);
  for (HWND top : tops) {
    auto it = windows.find(top);
    if (it == windows.end() || !it->second.mapped) continue;
    Image img;
    if (!ComposeWindow(top, &img)) continue;
    it->second.picture = std::move(img);
    Put(it->second, 0, 0, it->second.picture.width, it->second.picture.height);
  }
}

void Connection::Run() {
  const int xfd = ConnectionNumber(dpy);
  for (;;) {
    if (RoundHook hook = g_round_hook.load()) hook(*this);
    // The wake-ups are taken before the stop flag is looked at: a stop asked for
    // after the flag was read leaves its byte in the pipe, so the wait below
    // returns at once instead of sleeping through it.
    char drain[64];
    while (read(wake_read, drain, sizeof drain) > 0) {
    }
    if (stop || g_broken) break;
    bool sync = false;
    bool tray = false;
    Drag request;
    std::vector<std::pair<HWND, WORD>> pointers;
    {
      std::lock_guard<std::mutex> g(Lock());
      sync = sync_wanted;
      sync_wanted = false;
      owed.insert(painted.begin(), painted.end());
      painted.clear();
      request = drag_request;
      drag_request = Drag{};
      for (HWND h : cursor_changed) pointers.emplace_back(h, cursor_wanted[h]);
      cursor_changed.clear();
      tray = tray_wanted;
      tray_wanted = false;
    }
    if (sync) Sync();
    if (tray) SyncTray();
    if (request.hwnd) StartDrag(request);
    for (auto [hwnd, id] : pointers)
      if (auto it = windows.find(hwnd); it != windows.end()) ShowCursor(it->second, id);
    int events = 0;
    while (!g_broken && events < kEventBatch && XPending(dpy) > 0) {
      XEvent ev;
      XNextEvent(dpy, &ev);
      Handle(ev);
      ++events;
    }
    if (g_broken) break;
    // Pictures go out once nothing more was painted for a moment.
    pollfd fds[2] = {{xfd, POLLIN, 0}, {wake_read, POLLIN, 0}};
    if (!owed.empty()) {
      XFlush(dpy);
      if (poll(fds, 2, kSettleMs) == 0) {
        std::set<HWND> now;
        now.swap(owed);
        Paint(now);
      } else {
        continue;
      }
    }
    XFlush(dpy);
    if (events >= kEventBatch || XPending(dpy) > 0) continue;
    fds[0].revents = fds[1].revents = 0;
    poll(fds, 2, -1);
  }
}

}  // namespace qvp::display::x11

namespace qvp::display {

using namespace x11;

bool OpenX11(const char* name) {
  std::lock_guard<std::mutex> one(OpenLock());
  {
    std::lock_guard<std::mutex> g(Lock());
    if (Current()) return true;
  }
  ::Display* dpy = XOpenDisplay(name);
  if (!dpy) return false;
  int pipe_fds[2];
  if (pipe2(pipe_fds, O_NONBLOCK | O_CLOEXEC) != 0) {
    XCloseDisplay(dpy);
    return false;
  }
  g_broken = false;
  XSetErrorHandler(IgnoreErrors);
  XSetIOErrorHandler(IoError);
  XSetIOErrorExitHandler(dpy, IoErrorExit, nullptr);
  XkbSetDetectableAutoRepeat(dpy, True, nullptr);
  auto* c = new Connection;
  c->dpy = dpy;
  c->screen = DefaultScreen(dpy);
  c->root = RootWindow(dpy, c->screen);
  c->visual = DefaultVisual(dpy, c->screen);
  c->depth = DefaultDepth(dpy, c->screen);
  c->wake_read = pipe_fds[0];
  c->wake_write = pipe_fds[1];
  c->wm_protocols = XInternAtom(dpy, "WM_PROTOCOLS", False);
  c->wm_delete = XInternAtom(dpy, "WM_DELETE_WINDOW", False);
  c->motif_hints = XInternAtom(dpy, "_MOTIF_WM_HINTS", False);
  c->net_wm_name = XInternAtom(dpy, "_NET_WM_NAME", False);
  c->net_wm_icon = XInternAtom(dpy, "_NET_WM_ICON", False);
  c->utf8 = XInternAtom(dpy, "UTF8_STRING", False);
  c->net_wm_type = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE", False);
  c->type_dialog = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_DIALOG", False);
  c->type_normal = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_NORMAL", False);
  c->type_menu = XInternAtom(dpy, "_NET_WM_WINDOW_TYPE_POPUP_MENU", False);
  SetUpTray(*c);
  {
    std::lock_guard<std::mutex> g(Lock());
    Current() = c;
  }
  c->thread = std::thread([c] { c->Run(); });
  return true;
}

void CloseX11() {
  std::lock_guard<std::mutex> one(OpenLock());
  Connection* c = nullptr;
  {
    std::lock_guard<std::mutex> g(Lock());
    c = Current();
    Current() = nullptr;
  }
  if (!c) return;
  c->stop = true;
  c->Wake();
  c->thread.join();
  if (!g_broken) {
    for (auto& [hwnd, w] : c->windows) XDestroyWindow(c->dpy, w.xid);
    for (auto& [key, t] : c->trays) XDestroyWindow(c->dpy, t.xid);
    for (auto& [shape, cursor] : c->cursors) XFreeCursor(c->dpy, cursor);
    XCloseDisplay(c->dpy);  // a broken connection is left as it is: Xlib may not touch it again
  }
  close(c->wake_read);
  close(c->wake_write);
  delete c;
}

void X11ShowCursor(HWND top, WORD stock_id) {
  std::lock_guard<std::mutex> g(Lock());
  if (Connection* c = Current()) {
    auto it = c->cursor_wanted.find(top);
    if (it != c->cursor_wanted.end() && it->second == stock_id) return;
    c->cursor_wanted[top] = stock_id;
    c->cursor_changed.insert(top);
    c->Wake();
  }
}

bool X11IsOpen() {
  std::lock_guard<std::mutex> g(Lock());
  return Current() != nullptr && !g_broken;
}

void X11WindowChanged(HWND) {
  std::lock_guard<std::mutex> g(Lock());
  if (Connection* c = Current()) {
    c->sync_wanted = true;
    c->Wake();
  }
}

void X11WindowPainted(HWND hwnd) {
  std::lock_guard<std::mutex> g(Lock());
  if (Connection* c = Current()) {
    c->painted.insert(hwnd);
    c->Wake();
  }
}

void X11BeginMove(HWND hwnd, UINT edge) {
  HWND top = TopWindowOf(hwnd);
  std::lock_guard<std::mutex> g(Lock());
  if (Connection* c = Current(); c && top) {
    c->drag_request = Drag{top, edge, POINT{}, RECT{}};
    c->Wake();
  }
}

namespace {
// The connection is closed and its thread joined when the program ends.
struct CloseAtExit {
  ~CloseAtExit() { CloseX11(); }
} g_close_at_exit;
}  // namespace

}  // namespace qvp::display
