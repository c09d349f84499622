// The notification-area icons on an X11 desktop: each recorded icon gets a
// small window of its own that paints the icon, and asks the desktop's system
// tray to embed it (the freedesktop system-tray protocol over XEmbed). A tray
// that starts later announces itself on the root window; the icons are then
// docked again. Without a tray nothing is shown. Clicks on an icon reach its
// window as the icon's callback message, the mouse message in lParam.
#include <cstdio>
#include <set>

#include "display/x11_display.h"
#include "display/x11_state.h"

#include <X11/Xatom.h>
#include <X11/Xutil.h>

namespace qvp::display::x11 {
namespace {

constexpr long kRequestDock = 0;  // SYSTEM_TRAY_REQUEST_DOCK
constexpr unsigned long kXembedMapped = 1;
constexpr int kDefaultSize = 16;
constexpr ::Time kDoubleClickMs = 500;  // as the window system counts double clicks

unsigned long FacePixel(const Connection& c) {
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  return Channel(GetRValue(face), c.visual->red_mask) | Channel(GetGValue(face), c.visual->green_mask) |
         Channel(GetBValue(face), c.visual->blue_mask);
}

TrayWin Create(Connection& c, const TrayIcon& icon) {
  TrayWin t;
  t.hwnd = icon.hwnd;
  t.id = icon.id;
  t.icon = icon.icon;
  t.pixels = IconPixels(icon.icon);
  t.width = t.pixels.empty() ? kDefaultSize : static_cast<int>(t.pixels[0]);
  t.height = t.pixels.empty() ? kDefaultSize : static_cast<int>(t.pixels[1]);
  XSetWindowAttributes a{};
  a.event_mask = ExposureMask | ButtonPressMask | ButtonReleaseMask | StructureNotifyMask;
  a.background_pixel = FacePixel(c);
  t.xid = XCreateWindow(c.dpy, c.root, 0, 0, static_cast<unsigned>(t.width), static_cast<unsigned>(t.height), 0,
                        c.depth, InputOutput, c.visual, CWBackPixel | CWEventMask, &a);
  // XEmbed version 0, to be mapped by the tray once embedded.
  const unsigned long info[2] = {0, kXembedMapped};
  XChangeProperty(c.dpy, t.xid, c.xembed_info, c.xembed_info, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(info), 2);
  if (!icon.tip.empty()) XStoreName(c.dpy, t.xid, icon.tip.c_str());
  return t;
}

UINT MouseMessage(const XButtonEvent& e, TrayWin& t) {
  const bool press = e.type == ButtonPress;
  if (e.button == Button1) {
    if (!press) return WM_LBUTTONUP;
    const bool twice = t.pressed_before && e.time - t.last_left_press <= kDoubleClickMs;
    t.pressed_before = !twice;
    t.last_left_press = e.time;
    return twice ? WM_LBUTTONDBLCLK : WM_LBUTTONDOWN;
  }
  if (e.button == Button3) return press ? WM_RBUTTONDOWN : WM_RBUTTONUP;
  return 0;
}

}  // namespace

void SetUpTray(Connection& c) {
  char name[40];
  std::snprintf(name, sizeof name, "_NET_SYSTEM_TRAY_S%d", c.screen);
  c.tray_selection = XInternAtom(c.dpy, name, False);
  c.tray_opcode = XInternAtom(c.dpy, "_NET_SYSTEM_TRAY_OPCODE", False);
  c.manager = XInternAtom(c.dpy, "MANAGER", False);
  c.xembed = XInternAtom(c.dpy, "_XEMBED", False);
  c.xembed_info = XInternAtom(c.dpy, "_XEMBED_INFO", False);
  // A new tray manager announces itself to the root's structure listeners.
  XWindowAttributes root{};
  XGetWindowAttributes(c.dpy, c.root, &root);
  XSelectInput(c.dpy, c.root, root.your_event_mask | StructureNotifyMask);
}

void Connection::DockTray(const TrayWin& t) {
  const ::Window owner = XGetSelectionOwner(dpy, tray_selection);
  if (owner == 0) return;  // no tray: nothing is shown
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = owner;
  ev.xclient.message_type = tray_opcode;
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = CurrentTime;
  ev.xclient.data.l[1] = kRequestDock;
  ev.xclient.data.l[2] = static_cast<long>(t.xid);
  XSendEvent(dpy, owner, False, NoEventMask, &ev);
}

void Connection::SyncTray() {
  const std::vector<TrayIcon> icons = TrayIcons();
  std::set<std::pair<HWND, UINT>> listed;
  for (const TrayIcon& icon : icons) {
    const auto key = std::make_pair(icon.hwnd, icon.id);
    listed.insert(key);
    auto it = trays.find(key);
    if (it == trays.end()) {
      TrayWin& t = trays.emplace(key, Create(*this, icon)).first->second;
      DockTray(t);
    } else if (it->second.icon != icon.icon) {
      it->second.icon = icon.icon;
      it->second.pixels = IconPixels(icon.icon);
      XClearArea(dpy, it->second.xid, 0, 0, 0, 0, True);
    }
  }
  for (auto it = trays.begin(); it != trays.end();) {
    if (listed.count(it->first)) {
      ++it;
      continue;
    }
    XDestroyWindow(dpy, it->second.xid);
    it = trays.erase(it);
  }
}

void Connection::PaintTray(TrayWin& t) {
  if (t.width <= 0 || t.height <= 0) return;
  XImage* xi = XCreateImage(dpy, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                            static_cast<unsigned>(t.width), static_cast<unsigned>(t.height), 32, 0);
  if (!xi) return;
  std::vector<char> data(static_cast<size_t>(xi->bytes_per_line) * static_cast<size_t>(t.height));
  xi->data = data.data();
  const unsigned long face = FacePixel(*this);
  const int iw = t.pixels.empty() ? 0 : static_cast<int>(t.pixels[0]);
  const int ih = t.pixels.empty() ? 0 : static_cast<int>(t.pixels[1]);
  for (int row = 0; row < t.height; ++row) {
    for (int col = 0; col < t.width; ++col) {
      unsigned long pixel = face;
      if (iw > 0 && ih > 0) {
        // The icon fills the window, scaled to the size the tray gave it.
        const size_t sx = static_cast<size_t>(col * iw / t.width), sy = static_cast<size_t>(row * ih / t.height);
        const unsigned long v = t.pixels[2 + sy * static_cast<size_t>(iw) + sx];
        if (v & 0xFF000000ul) {
          pixel = Channel((v >> 16) & 0xFF, xi->red_mask) | Channel((v >> 8) & 0xFF, xi->green_mask) |
                  Channel(v & 0xFF, xi->blue_mask);
        }
      }
      XPutPixel(xi, col, row, pixel);
    }
  }
  XPutImage(dpy, t.xid, DefaultGC(dpy, screen), xi, 0, 0, 0, 0, static_cast<unsigned>(t.width),
            static_cast<unsigned>(t.height));
  xi->data = nullptr;
  XDestroyImage(xi);
}

bool Connection::HandleTray(XEvent& ev) {
  if (ev.xany.window == root) {
    if (ev.type == ClientMessage && ev.xclient.message_type == manager &&
        static_cast<Atom>(ev.xclient.data.l[1]) == tray_selection) {
      for (auto& [key, t] : trays) DockTray(t);
    }
    return true;
  }
  TrayWin* found = nullptr;
  for (auto& [key, t] : trays) {
    if (t.xid == ev.xany.window) found = &t;
  }
  if (!found) return false;
  TrayWin& t = *found;
  switch (ev.type) {
    case Expose:
      if (ev.xexpose.count == 0) PaintTray(t);
      break;
    case ConfigureNotify:
      if (ev.xconfigure.width != t.width || ev.xconfigure.height != t.height) {
        t.width = ev.xconfigure.width;
        t.height = ev.xconfigure.height;
        XClearArea(dpy, t.xid, 0, 0, 0, 0, True);
      }
      break;
    case ButtonPress:
    case ButtonRelease:
      if (const UINT message = MouseMessage(ev.xbutton, t)) ClickTrayIcon(t.hwnd, t.id, message);
      break;
    default:
      break;
  }
  return true;
}

}  // namespace qvp::display::x11

namespace qvp::display {

void X11TrayChanged() {
  std::lock_guard<std::mutex> g(x11::Lock());
  if (x11::Connection* c = x11::Current()) {
    c->tray_wanted = true;
    c->Wake();
  }
}

}  // namespace qvp::display
