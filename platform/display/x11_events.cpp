// X events of the display's windows: pictures for exposures, what the window
// manager changed, and the user's pointer and keys as RawInput for the windows'
// threads; dragging a window by its caption or border.
#include <algorithm>

#include "display/input.h"
#include "display/x11_keys.h"
#include "display/x11_state.h"

#include <X11/Xutil.h>

namespace qvp::display::x11 {
namespace {

bool Same(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

void Modifiers(unsigned state, RawInput* in) {
  in->shift = (state & ShiftMask) != 0;
  in->control = (state & ControlMask) != 0;
  in->alt = (state & Mod1Mask) != 0;
  in->buttons = ((state & Button1Mask) ? MK_LBUTTON : 0) | ((state & Button2Mask) ? MK_MBUTTON : 0) |
                ((state & Button3Mask) ? MK_RBUTTON : 0);
}

constexpr UINT kWmszLeft = 1, kWmszRight = 2, kWmszTop = 3, kWmszTopLeft = 4, kWmszTopRight = 5, kWmszBottom = 6,
               kWmszBottomLeft = 7, kWmszBottomRight = 8;

}  // namespace

void Connection::StartDrag(const Drag& request) {
  auto it = windows.find(request.hwnd);
  if (it == windows.end() || !it->second.viewable) return;
  ::Window root_back = 0, child = 0;
  int rx = 0, ry = 0, wx = 0, wy = 0;
  unsigned mask = 0;
  // The drag rides on the grab the server took when the left button went down
  // in the window: the pointer's motion and the release come to the window
  // wherever the pointer goes, and the server ends that grab by itself at the
  // release. (A grab of our own would last until we read the release and gave
  // it back, and swallow a click that comes in the meantime.)
  if (left_held != request.hwnd) return;
  // A drag needs the button still held: a quick click has nothing to drag.
  if (!XQueryPointer(dpy, it->second.xid, &root_back, &child, &rx, &ry, &wx, &wy, &mask) || !(mask & Button1Mask))
    return;
  drag = request;
  drag.start = POINT{rx, ry};
  drag.from = it->second.rect;
}

void Connection::DragTo(POINT p) {
  auto it = windows.find(drag.hwnd);
  if (it == windows.end()) {
    drag = Drag{};
    return;
  }
  const LONG dx = p.x - drag.start.x, dy = p.y - drag.start.y;
  RECT r = drag.from;
  const UINT e = drag.edge;
  if (e == 0) {
    r = RECT{r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
  } else {
    const LONG min_w = GetSystemMetrics(SM_CXMINTRACK), min_h = GetSystemMetrics(SM_CYMINTRACK);
    if (e == kWmszLeft || e == kWmszTopLeft || e == kWmszBottomLeft) r.left = std::min(r.left + dx, r.right - min_w);
    if (e == kWmszRight || e == kWmszTopRight || e == kWmszBottomRight) r.right = std::max(r.right + dx, r.left + min_w);
    if (e == kWmszTop || e == kWmszTopLeft || e == kWmszTopRight) r.top = std::min(r.top + dy, r.bottom - min_h);
    if (e == kWmszBottom || e == kWmszBottomLeft || e == kWmszBottomRight)
      r.bottom = std::max(r.bottom + dy, r.top + min_h);
  }
  if (Same(r, it->second.rect)) return;
  Reconfigure(it->second, r);
  RawInput in;
  in.kind = InputKind::kGeometry;
  in.rect = r;
  QueueInput(drag.hwnd, in);
}

void Connection::Handle(XEvent& ev) {
  if (HandleTray(ev)) return;
  XWin* w = Find(ev.xany.window);
  if (!w) return;
  const HWND top = w->hwnd;
  RawInput in;
  switch (ev.type) {
    case Expose:
      if (w->picture.width > 0)
        Put(*w, ev.xexpose.x, ev.xexpose.y, ev.xexpose.width, ev.xexpose.height);
      else
        owed.insert(top);
      return;
    case ConfigureNotify: {
      int rx = 0, ry = 0;
      ::Window child = 0;
      XTranslateCoordinates(dpy, w->xid, root, 0, 0, &rx, &ry, &child);
      RECT r{rx, ry, rx + ev.xconfigure.width, ry + ev.xconfigure.height};
      // What we asked for coming back is no news.
      auto asked = std::find_if(w->requested.begin(), w->requested.end(), [&](const RECT& q) { return Same(q, r); });
      if (asked != w->requested.end()) {
        w->requested.erase(w->requested.begin(), asked + 1);
        return;
      }
      if (Same(r, w->rect) || drag.hwnd == top) return;
      w->rect = r;
      in.kind = InputKind::kGeometry;
      in.rect = r;
      QueueInput(top, in);
      return;
    }
    case MapNotify:
      w->viewable = true;
      if (focus_pending == top) {
        XSetInputFocus(dpy, w->xid, RevertToParent, CurrentTime);
        focused = top;
        focus_pending = nullptr;
      }
      if (w->iconified) {
        // Opened again from the window manager's list of icons.
        w->iconified = false;
        w->mapped = true;
        in.kind = InputKind::kRestore;
        QueueInput(top, in);
      }
      return;
    case UnmapNotify:
      w->viewable = false;
      return;
    case DestroyNotify:
      // Ours are forgotten before they are destroyed: somebody else destroyed this one.
      by_xid.erase(w->xid);
      windows.erase(top);
      in.kind = InputKind::kClose;
      QueueInput(top, in);
      return;
    case FocusIn:
      if (ev.xfocus.detail == NotifyPointer || ev.xfocus.mode == NotifyGrab || ev.xfocus.mode == NotifyUngrab) return;
      if (top != focused) {
        focused = top;
        in.kind = InputKind::kActivate;
        QueueInput(top, in);
      }
      return;
    case ClientMessage:
      if (ev.xclient.message_type == wm_protocols && static_cast<Atom>(ev.xclient.data.l[0]) == wm_delete) {
        in.kind = InputKind::kClose;
        QueueInput(top, in);
      }
      return;
    case ButtonPress:
    case ButtonRelease: {
      if (ev.xbutton.button == Button1) left_held = ev.type == ButtonPress ? top : nullptr;
      if (drag.hwnd) {
        if (ev.type == ButtonRelease && ev.xbutton.button == Button1) {
          DragTo(POINT{ev.xbutton.x_root, ev.xbutton.y_root});
          drag = Drag{};
        }
        return;
      }
      Modifiers(ev.xbutton.state, &in);
      in.pt = POINT{w->rect.left + ev.xbutton.x, w->rect.top + ev.xbutton.y};
      const unsigned b = ev.xbutton.button;
      if (b == Button4 || b == Button5) {
        if (ev.type == ButtonRelease) return;
        in.kind = InputKind::kWheel;
        in.wheel = b == Button4 ? 1 : -1;
      } else if (b == Button1 || b == Button2 || b == Button3) {
        in.kind = InputKind::kButton;
        in.button = b == Button1 ? 1 : b == Button2 ? 2 : 3;
        in.down = ev.type == ButtonPress;
      } else {
        return;
      }
      QueueInput(top, in);
      return;
    }
    case MotionNotify: {
      // Only the latest position matters.
      while (XCheckTypedWindowEvent(dpy, w->xid, MotionNotify, &ev)) {
      }
      if (drag.hwnd) {
        DragTo(POINT{ev.xmotion.x_root, ev.xmotion.y_root});
        return;
      }
      Modifiers(ev.xmotion.state, &in);
      in.kind = InputKind::kMotion;
      in.pt = POINT{w->rect.left + ev.xmotion.x, w->rect.top + ev.xmotion.y};
      QueueInput(top, in);
      return;
    }
    case KeyPress:
    case KeyRelease: {
      char text[16];
      KeySym keysym = 0;
      XLookupString(&ev.xkey, text, sizeof text, &keysym, nullptr);
      const KeySym base = XLookupKeysym(&ev.xkey, 0);
      KeyName key = KeyOfKeysym(keysym, base);
      if (!key.vk) return;
      Modifiers(ev.xkey.state, &in);
      in.kind = InputKind::kKey;
      in.down = ev.type == KeyPress;
      in.vk = key.vk;
      in.extended = key.extended;
      in.scan = ev.xkey.keycode >= 8 ? ev.xkey.keycode - 8 : 0;
      in.ch = CharOfKeysym(keysym);
      if (key.vk == VK_MENU && !key.extended && in.down) in.alt = true;  // the Alt key itself counts as held
      if (in.down) {
        in.repeat = !keys_down.insert(ev.xkey.keycode).second;
      } else {
        keys_down.erase(ev.xkey.keycode);
      }
      QueueInput(top, in);
      return;
    }
    default:
      return;
  }
}

}  // namespace qvp::display::x11
