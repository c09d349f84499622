// Top-level windows that other processes of the same user can find: the
// owner's serving thread and the finder's stand-in window.
#include "ui/remote_window.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <thread>

#include "qvplatform/nocase.h"
#include "qvplatform/services.h"

namespace qvp::ui {
namespace {

constexpr uint32_t kAskTitle = 1;
constexpr uint32_t kSend = 2;
constexpr int kTitleMax = 256;

struct Request {
  uint32_t op;
  uint32_t msg;
  int64_t wp;
  int64_t lp;
};
struct Reply {
  int64_t result;
  uint32_t title_length;
  char title[kTitleMax];
};

constexpr size_t kClassNameMax = 255;

// The classes whose top-level windows other processes can find, upper-cased.
struct SharedClasses {
  std::mutex lock;
  std::set<std::string> names;
};

SharedClasses& Shared() {
  static SharedClasses* shared = new SharedClasses();  // lives as long as the process
  return *shared;
}

bool IsShared(const std::string& class_name) {
  SharedClasses& s = Shared();
  std::lock_guard<std::mutex> g(s.lock);
  return s.names.count(Upper(class_name)) != 0;
}

bool FullyWritten(int fd, const void* data, size_t size) {
  const char* p = static_cast<const char*>(data);
  while (size > 0) {
    const ssize_t n = send(fd, p, size, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool FullyRead(int fd, void* data, size_t size) {
  char* p = static_cast<char*>(data);
  while (size > 0) {
    const ssize_t n = recv(fd, p, size, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    p += n;
    size -= static_cast<size_t>(n);
  }
  return true;
}

bool FillAddress(const std::string& path, sockaddr_un* address) {
  std::memset(address, 0, sizeof *address);
  address->sun_family = AF_UNIX;
  if (path.size() >= sizeof address->sun_path) return false;
  std::memcpy(address->sun_path, path.c_str(), path.size() + 1);
  return true;
}

// A connected socket to the publisher of path, or -1.
int Connect(const std::string& path) {
  sockaddr_un address;
  if (!FillAddress(path, &address)) return -1;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

bool Call(const std::string& path, const Request& request, Reply* reply) {
  const int fd = Connect(path);
  if (fd < 0) return false;
  const bool ok = FullyWritten(fd, &request, sizeof request) && FullyRead(fd, reply, sizeof *reply);
  close(fd);
  return ok;
}

// ---- The owner's side ----

struct Publication {
  HWND hwnd = nullptr;
  std::string path;
  int listen_fd = -1;
  int wake[2] = {-1, -1};
  HANDLE done = nullptr;  // set by the serving thread as it ends
  std::thread thread;
};

struct Registry {
  std::mutex lock;
  std::map<std::string, std::unique_ptr<Publication>> by_class;  // upper-case class name
  std::map<HWND, std::string> stand_ins;                          // stand-in window -> socket path
};

Registry& Reg() {
  static auto* registry = new Registry;  // serving threads may outlive static destruction
  return *registry;
}

void Answer(const Publication& p, int fd) {
  timeval patience{5, 0};  // a client that connects and says nothing does not hold the window
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &patience, sizeof patience);
  Request request{};
  if (!FullyRead(fd, &request, sizeof request)) return;
  Reply reply{};
  if (request.op == kAskTitle) {
    const int n = GetWindowTextA(p.hwnd, reply.title, kTitleMax);
    reply.title_length = static_cast<uint32_t>(n > 0 ? n : 0);
    reply.result = IsWindow(p.hwnd) ? 1 : 0;
  } else if (request.op == kSend && request.msg >= WM_USER) {
    reply.result = SendMessageA(p.hwnd, request.msg, static_cast<WPARAM>(request.wp),
                                static_cast<LPARAM>(request.lp));
  }
  FullyWritten(fd, &reply, sizeof reply);
}

void Serve(Publication* p) {
  for (;;) {
    pollfd fds[2] = {{p->listen_fd, POLLIN, 0}, {p->wake[0], POLLIN, 0}};
    const int n = poll(fds, 2, -1);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 || fds[1].revents != 0) break;
    if (fds[0].revents & POLLIN) {
      const int fd = accept4(p->listen_fd, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) {
        Answer(*p, fd);
        close(fd);
      }
    }
  }
  SetEvent(p->done);
}

int Listen(const std::string& path) {
  sockaddr_un address;
  if (!FillAddress(path, &address)) return -1;
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 && errno == EADDRINUSE) {
    // A socket nobody answers on is left over from a process that ended.
    const int probe = Connect(path);
    if (probe >= 0) {
      close(probe);
      close(fd);
      return -1;
    }
    unlink(path.c_str());
    if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
      close(fd);
      return -1;
    }
  }
  if (listen(fd, 8) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

// ---- The finder's side ----

LRESULT CALLBACK StandInProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_NCDESTROY) {
    Registry& r = Reg();
    std::lock_guard<std::mutex> g(r.lock);
    r.stand_ins.erase(hwnd);
  }
  if (msg < WM_USER) return DefWindowProcA(hwnd, msg, wp, lp);
  std::string path;
  {
    Registry& r = Reg();
    std::lock_guard<std::mutex> g(r.lock);
    auto it = r.stand_ins.find(hwnd);
    if (it == r.stand_ins.end()) return 0;
    path = it->second;
  }
  Reply reply{};
  Request request{kSend, msg, static_cast<int64_t>(wp), static_cast<int64_t>(lp)};
  return Call(path, request, &reply) ? static_cast<LRESULT>(reply.result) : 0;
}

constexpr char kStandInClass[] = "QvpRemoteWindow";

}  // namespace

BOOL ShareClass(LPCSTR class_name) {
  if (class_name == nullptr || reinterpret_cast<uintptr_t>(class_name) <= 0xFFFF) return FALSE;
  const std::string name(class_name);
  // The name becomes a file name in the state directory.
  if (name.empty() || name.size() > kClassNameMax || name == "." || name == ".." ||
      name.find_first_of("/\\") != std::string::npos)
    return FALSE;
  SharedClasses& s = Shared();
  std::lock_guard<std::mutex> g(s.lock);
  s.names.insert(Upper(name));
  return TRUE;
}

std::string SharedWindowSocketPath(const std::string& class_name) {
  return qvp::StateDirectory() + "/windows/" + Upper(class_name) + ".sock";
}

void PublishIfShared(HWND hwnd, const std::string& class_name) {
  if (!IsShared(class_name)) return;
  Registry& r = Reg();
  std::lock_guard<std::mutex> g(r.lock);
  std::unique_ptr<Publication>& slot = r.by_class[Upper(class_name)];
  if (slot) return;  // the first window of the class stays the one others find
  auto p = std::make_unique<Publication>();
  p->hwnd = hwnd;
  p->path = SharedWindowSocketPath(class_name);
  const std::string state = qvp::StateDirectory();
  mkdir(state.c_str(), 0700);
  mkdir((state + "/windows").c_str(), 0700);
  p->listen_fd = Listen(p->path);
  if (p->listen_fd < 0) {
    r.by_class.erase(Upper(class_name));
    return;
  }
  if (pipe2(p->wake, O_CLOEXEC) != 0) {
    close(p->listen_fd);
    unlink(p->path.c_str());
    r.by_class.erase(Upper(class_name));
    return;
  }
  p->done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  p->thread = std::thread(Serve, p.get());
  slot = std::move(p);
}

void Unpublish(HWND hwnd) {
  std::unique_ptr<Publication> p;
  {
    Registry& r = Reg();
    std::lock_guard<std::mutex> g(r.lock);
    for (auto it = r.by_class.begin(); it != r.by_class.end(); ++it) {
      if (it->second && it->second->hwnd == hwnd) {
        p = std::move(it->second);
        r.by_class.erase(it);
        break;
      }
    }
  }
  if (!p) return;
  unlink(p->path.c_str());
  const char stop = 1;
  [[maybe_unused]] ssize_t n = write(p->wake[1], &stop, 1);
  // The serving thread may be sending to this very thread's window: keep
  // answering sent messages until it has ended.
  for (;;) {
    const DWORD woke = MsgWaitForMultipleObjects(1, &p->done, FALSE, INFINITE, QS_SENDMESSAGE);
    if (woke == WAIT_OBJECT_0 || woke == WAIT_FAILED) break;
    MSG m;
    PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE);
  }
  p->thread.join();
  CloseHandle(p->done);
  close(p->listen_fd);
  close(p->wake[0]);
  close(p->wake[1]);
}

HWND FindRemoteWindow(LPCSTR class_name, LPCSTR title) {
  if (class_name == nullptr || reinterpret_cast<uintptr_t>(class_name) <= 0xFFFF) return nullptr;
  if (!IsShared(class_name)) return nullptr;
  const std::string path = SharedWindowSocketPath(class_name);
  Reply reply{};
  if (!Call(path, Request{kAskTitle, 0, 0, 0}, &reply) || reply.result == 0) return nullptr;
  if (title != nullptr) {
    const std::string theirs(reply.title, std::min<uint32_t>(reply.title_length, kTitleMax));
    if (Upper(theirs) != Upper(title)) return nullptr;
  }
  Registry& r = Reg();
  {
    std::lock_guard<std::mutex> g(r.lock);
    for (const auto& [hwnd, known] : r.stand_ins)
      if (known == path) return hwnd;
  }
  WNDCLASSA wc{};
  wc.lpfnWndProc = StandInProc;
  wc.lpszClassName = kStandInClass;
  RegisterClassA(&wc);  // already registered by an earlier find: fine
  HWND stand_in = CreateWindowExA(0, kStandInClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, nullptr, nullptr);
  if (stand_in == nullptr) return nullptr;
  std::lock_guard<std::mutex> g(r.lock);
  r.stand_ins[stand_in] = path;
  return stand_in;
}

}  // namespace qvp::ui

namespace qvp {

BOOL ShareWindowClass(LPCSTR class_name) { return ui::ShareClass(class_name); }

}  // namespace qvp
