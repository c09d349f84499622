#include "display/xvfb_support.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "qvplatform.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

extern char** environ;

namespace xvfbtest {
namespace {

::Display* Dpy(void* p) { return static_cast<::Display*>(p); }

// Starts a program with DISPLAY set; `fd3`, when not -1, becomes its descriptor 3.
pid_t SpawnWith(const std::vector<std::string>& argv, const std::string& display, int fd3 = -1) {
  std::vector<std::string> env_strings;
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("DISPLAY=", 0) != 0) env_strings.push_back(*e);
  if (!display.empty()) env_strings.push_back("DISPLAY=" + display);
  std::vector<char*> env, args;
  for (std::string& s : env_strings) env.push_back(s.data());
  env.push_back(nullptr);
  std::vector<std::string> copy = argv;
  for (std::string& s : copy) args.push_back(s.data());
  args.push_back(nullptr);
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
  if (fd3 >= 0) posix_spawn_file_actions_adddup2(&actions, fd3, 3);
  pid_t pid = -1;
  if (posix_spawnp(&pid, args[0], &actions, nullptr, args.data(), env.data()) != 0) pid = -1;
  posix_spawn_file_actions_destroy(&actions);
  return pid;
}

}  // namespace

std::string FindProgram(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string dirs = path ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    std::string candidate = dirs.substr(start, end - start) + "/" + name;
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

Server::Server() {
  if (FindProgram("Xvfb").empty()) return;
  // The server picks a free display number itself and tells it on descriptor 3,
  // so that tests running at once never share one.
  int fds[2];
  if (pipe2(fds, O_CLOEXEC) != 0) return;
  pid_t pid = SpawnWith({"Xvfb", "-displayfd", "3", "-screen", "0", "1024x768x24", "-nolisten", "tcp", "-noreset"}, "",
                        fds[1]);
  close(fds[1]);
  if (pid <= 0) {
    close(fds[0]);
    return;
  }
  std::string number;
  char c = 0;
  while (read(fds[0], &c, 1) == 1 && c != '\n') number += c;
  close(fds[0]);
  if (!number.empty()) {
    name_ = ":" + number;
    dpy_ = XOpenDisplay(name_.c_str());
  }
  if (dpy_) {
    pid_ = pid;
  } else {
    kill(pid, SIGTERM);
    waitpid(pid, nullptr, 0);
  }
}

Server::~Server() {
  if (dpy_) XCloseDisplay(Dpy(dpy_));
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

pid_t Server::Spawn(const std::vector<std::string>& argv) const { return SpawnWith(argv, name_); }

COLORREF Server::PixelAt(int x, int y) {
  ::Display* d = Dpy(dpy_);
  XImage* img = XGetImage(d, DefaultRootWindow(d), x, y, 1, 1, AllPlanes, ZPixmap);
  if (!img) return 0xFFFFFFFF;
  unsigned long v = XGetPixel(img, 0, 0);
  XDestroyImage(img);
  return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
}

std::vector<uint32_t> Server::Grab(const RECT& r) {
  ::Display* d = Dpy(dpy_);
  const unsigned w = static_cast<unsigned>(r.right - r.left), h = static_cast<unsigned>(r.bottom - r.top);
  std::vector<uint32_t> out;
  XImage* img = XGetImage(d, DefaultRootWindow(d), r.left, r.top, w, h, AllPlanes, ZPixmap);
  if (!img) return out;
  out.reserve(static_cast<size_t>(w) * h);
  for (unsigned y = 0; y < h; ++y)
    for (unsigned x = 0; x < w; ++x) out.push_back(static_cast<uint32_t>(XGetPixel(img, static_cast<int>(x), static_cast<int>(y)) & 0xFFFFFF));
  XDestroyImage(img);
  return out;
}

unsigned long Server::WindowTitled(const std::string& title) {
  ::Display* d = Dpy(dpy_);
  ::Window root_back = 0, parent = 0, *children = nullptr;
  unsigned count = 0;
  unsigned long found = 0;
  if (!XQueryTree(d, DefaultRootWindow(d), &root_back, &parent, &children, &count)) return 0;
  for (unsigned i = 0; i < count && !found; ++i) {
    char* name = nullptr;
    if (XFetchName(d, children[i], &name) && name) {
      if (title == name) found = children[i];
      XFree(name);
    }
  }
  if (children) XFree(children);
  return found;
}

std::vector<unsigned long> Server::Property32(unsigned long window, const char* name) {
  ::Display* d = Dpy(dpy_);
  std::vector<unsigned long> values;
  const Atom atom = XInternAtom(d, name, False);
  Atom type = 0;
  int format = 0;
  unsigned long count = 0, left = 0;
  unsigned char* data = nullptr;
  if (XGetWindowProperty(d, window, atom, 0, 1 << 20, False, AnyPropertyType, &type, &format, &count, &left, &data) ==
          Success &&
      data != nullptr && format == 32) {
    // Xlib hands 32-bit items back in longs, sign-extended.
    const auto* longs = reinterpret_cast<const unsigned long*>(data);
    for (unsigned long i = 0; i < count; ++i) values.push_back(longs[i] & 0xFFFFFFFFul);
  }
  if (data) XFree(data);
  return values;
}

bool Server::Viewable(unsigned long window) {
  XWindowAttributes a{};
  return XGetWindowAttributes(Dpy(dpy_), window, &a) && a.map_state == IsViewable;
}

RECT Server::Geometry(unsigned long window) {
  ::Display* d = Dpy(dpy_);
  XWindowAttributes a{};
  if (!XGetWindowAttributes(d, window, &a)) return RECT{};
  int x = 0, y = 0;
  ::Window child = 0;
  XTranslateCoordinates(d, window, DefaultRootWindow(d), 0, 0, &x, &y, &child);
  return RECT{x, y, x + a.width, y + a.height};
}

void Server::AskToClose(unsigned long window) {
  ::Display* d = Dpy(dpy_);
  XEvent ev{};
  ev.xclient.type = ClientMessage;
  ev.xclient.window = window;
  ev.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
  ev.xclient.format = 32;
  ev.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
  ev.xclient.data.l[1] = CurrentTime;
  XSendEvent(d, window, False, NoEventMask, &ev);
  XFlush(d);
}

void PumpOnce(HWND dialog) {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (dialog && IsWindow(dialog) && IsDialogMessageA(dialog, &m)) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

int RunPumping(const Server& server, HWND dialog, const std::vector<std::string>& argv) {
  pid_t pid = server.Spawn(argv);
  if (pid <= 0) return -1;
  int status = -1;
  for (int waited = 0; waited < 30000; waited += 5) {
    PumpOnce(dialog);
    if (waitpid(pid, &status, WNOHANG) == pid) return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  return -1;
}

}  // namespace xvfbtest
