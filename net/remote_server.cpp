// The remote report server's start, stop, listener and serving threads.
#include "remote_server.h"

#include <strings.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <filesystem>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "access_log.h"
#include "app_globals.h"
#include "gui_bridge.h"
#include "later_parts.h"
#include "net_binding.h"
#include "remote_users.h"
#include "report_store.h"
#include "res_text.h"
#include "server_request.h"

namespace {

constexpr UINT kAcceptMessage = WM_USER + 21;
constexpr UINT kReadMessage = WM_USER + 22;
constexpr UINT kStopMessage = WM_USER + 23;
constexpr UINT_PTR kCleanUpTimer = 1;
constexpr UINT_PTR kDeadlineTimer = 2;
constexpr UINT_PTR kAcceptAgainTimer = 3;
constexpr UINT kAcceptPauseMs = 250;  // after an accept failed for want of resources
constexpr UINT kCleanUpMs = 30000;
constexpr uint64_t kFirstDataMs = 10000;
constexpr uint64_t kNextDataMs = 5000;
constexpr size_t kHeadMax = 2048;
constexpr size_t kBodyMax = 2048;
constexpr uint64_t kSendPatienceSeconds = 30;
constexpr char kListenerClass[] = "QV40:RemoteServerListener";

struct Job {
  SOCKET socket = INVALID_SOCKET;
  uint32_t address = 0;
  std::string head;
  std::string body;
};

struct Gathering {
  uint32_t address = 0;
  std::string data;
  std::multimap<uint64_t, SOCKET>::iterator deadline;  // its entry in the due-time index
};

class Server {
 public:
  // GUI thread.
  void Start(const RemoteServerSettings& settings);
  void RequestStop();
  void Join();
  bool Alive() const { return alive_.load(); }
  bool StopRequested() const { return stopRequested_.load(); }

  // Listener thread.
  void ListenerMain(RemoteServerSettings settings);
  LRESULT OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  std::atomic<bool> running{false};
  HANDLE listeningEvent = nullptr;  // set while listening, reset at the end

 private:
  void AcceptAll();
  void Read(SOCKET s, bool closed);
  void Complete(SOCKET s);
  void ArmDeadline();
  void Expire();
  void Dispatch(Job job);
  void WorkerMain();
  void Serve(Job& job);
  void StopWorkers();

  std::thread listener_;
  std::atomic<bool> alive_{false};
  std::atomic<bool> stopRequested_{false};
  HANDLE endedEvent_ = nullptr;
  std::mutex windowLock_;
  HWND window_ = nullptr;
  SOCKET listen_ = INVALID_SOCKET;
  std::string listenAddress_;
  void SetDeadline(SOCKET s, Gathering& entry, uint64_t due);
  void RunDueTimers();

  std::map<SOCKET, Gathering> gathering_;
  std::multimap<uint64_t, SOCKET> deadlines_;  // when each gathered client is given up
  uint64_t nextCleanUp_ = 0;

  std::mutex jobsLock_;
  std::condition_variable jobsReady_;
  std::deque<Job> jobs_;
  std::vector<std::thread> workers_;
  int idleWorkers_ = 0;
  bool closing_ = false;
};

Server g_server;

// Set on the server's own threads: they never start or wait for a server.
thread_local bool t_serverThread = false;

LRESULT CALLBACK ListenerWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return g_server.OnMessage(window, message, wParam, lParam);
}

void Debug(const char* text) { OutputDebugStringA(text); }

// Folders of the server: the owner's alone.
void MakePrivateFolder(const std::string& path) {
  CreateDirectoryA(path.c_str(), nullptr);
  HANDLE dir = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (dir == INVALID_HANDLE_VALUE) return;
  char real[1024];
  const DWORD length = GetFinalPathNameByHandleA(dir, real, sizeof real, 0);
  CloseHandle(dir);
  if (length == 0 || length >= sizeof real) return;
  std::string linuxPath(real, length);
  std::replace(linuxPath.begin(), linuxPath.end(), '\\', '/');
  std::error_code ignored;
  std::filesystem::permissions(linuxPath, std::filesystem::perms::owner_all, std::filesystem::perm_options::replace,
                               ignored);
}

// Waits for the event; on the GUI thread, messages sent by other threads are
// served meanwhile, since a server thread may be waiting for one.
void WaitServing(HANDLE event) {
  if (event == nullptr) return;
  for (;;) {
    const DWORD result = MsgWaitForMultipleObjects(1, &event, FALSE, INFINITE, QS_SENDMESSAGE);
    if (result == WAIT_OBJECT_0) return;
    if (result != WAIT_OBJECT_0 + 1) {
      WaitForSingleObject(event, INFINITE);
      return;
    }
    MSG message;
    PeekMessageA(&message, nullptr, 0, 0, PM_NOREMOVE);
  }
}

// The current local time as a FILETIME.
FILETIME LocalNow() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILETIME out{};
  SystemTimeToFileTime(&now, &out);
  return out;
}

}  // namespace

bool ParseListenAddress(const char* webAddress, std::string* host, uint16_t* port) {
  std::string text = webAddress != nullptr ? webAddress : "";
  *port = 99;
  const size_t colon = text.find(':');
  if (colon != std::string::npos) {
    const std::string digits = text.substr(colon + 1);
    text.resize(colon);
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos) {
      return false;
    }
    const long value = std::strtol(digits.c_str(), nullptr, 10);
    if (value < 1 || value > 65535) return false;
    *port = static_cast<uint16_t>(value);
  }
  *host = text;
  return true;
}

void CleanUpRemoteServer(const RemoteServerSettings& settings) {
  Debug("Clean up dead users\r\n");
  const uint64_t timeout = static_cast<uint64_t>(std::max(settings.webUserTimeout, 0)) * 60000ull;
  g_remoteUsers.DropIdle(GetTickCount64(), timeout);
  if (settings.webNoDays < 1) return;
  const FILETIME now = LocalNow();
  uint64_t cutoff = static_cast<uint64_t>(now.dwHighDateTime) << 32 | now.dwLowDateTime;
  const uint64_t span = static_cast<uint64_t>(settings.webNoDays) * 86400ull * 10000000ull;
  cutoff = cutoff > span ? cutoff - span : 0;
  FILETIME limit;
  limit.dwLowDateTime = static_cast<DWORD>(cutoff);
  limit.dwHighDateTime = static_cast<DWORD>(cutoff >> 32);
  RemoveOldReports(settings.usersFolder, limit);
}

void Server::Start(const RemoteServerSettings& settings) {
  Join();
  if (endedEvent_ == nullptr) endedEvent_ = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (listeningEvent == nullptr) listeningEvent = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  ResetEvent(endedEvent_);
  ResetEvent(listeningEvent);
  stopRequested_ = false;
  alive_ = true;
  listener_ = std::thread([this, settings] { ListenerMain(settings); });
}

void Server::RequestStop() {
  stopRequested_ = true;
  running = false;
  std::lock_guard<std::mutex> guard(windowLock_);
  if (window_ != nullptr) PostMessageA(window_, kStopMessage, 0, 0);
}

void Server::Join() {
  if (!listener_.joinable()) return;
  WaitServing(endedEvent_);
  listener_.join();
}

void Server::ListenerMain(RemoteServerSettings settings) {
  t_serverThread = true;
  Debug("ServerThread\r\n");
  SendSnmpTrap("Quorvane is Enabled");
  MakePrivateFolder(std::string(settings.programDir) + "Reports");
  MakePrivateFolder(std::string(settings.programDir) + "Reports\\Remote Reports");
  MakePrivateFolder(settings.usersFolder);

  WSADATA data;
  if (g_net.WSAStartup(0x0101, &data) != 0) {
    Debug("WSAStartup failed\r\n");
    alive_ = false;
    SetEvent(endedEvent_);
    return;
  }
  auto finish = [&](const char* why) {
    if (why != nullptr) Debug(why);
    g_net.WSACleanup();
    alive_ = false;
    SetEvent(endedEvent_);
  };

  std::string host;
  uint16_t port = 99;
  if (!ParseListenAddress(settings.webAddress, &host, &port)) {
    finish("bad listening address\r\n");
    return;
  }
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = g_net.htons(port);
  address.sin_addr.s_addr = host.empty() ? INADDR_ANY : g_net.inet_addr(host.c_str());
  if (host.empty()) {
    char name[256] = {};
    listenAddress_ = g_net.gethostname(name, sizeof name - 1) == 0 ? name : "localhost";
  } else {
    listenAddress_ = host;
  }
  if (port != 80) listenAddress_ += ":" + std::to_string(port);

  listen_ = g_net.socket(AF_INET, SOCK_STREAM, 0);
  if (listen_ == INVALID_SOCKET) {
    finish("socket failed\r\n");
    return;
  }
  if (g_net.bind(listen_, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    g_net.closesocket(listen_);
    finish("bind failed\r\n");
    return;
  }
  if (g_net.listen(listen_, 2147483647) != 0) {
    g_net.closesocket(listen_);
    finish("listen failed\r\n");
    return;
  }

  WNDCLASSA windowClass{};
  windowClass.lpfnWndProc = ListenerWndProc;
  windowClass.lpszClassName = kListenerClass;
  RegisterClassA(&windowClass);
  HWND window = CreateWindowExA(0, kListenerClass, "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  {
    std::lock_guard<std::mutex> guard(windowLock_);
    window_ = window;
  }
  if (window == nullptr || g_net.WSAAsyncSelect(listen_, window, kAcceptMessage, FD_ACCEPT) != 0) {
    g_net.closesocket(listen_);
    if (window != nullptr) DestroyWindow(window);
    finish("listen failed\r\n");
    return;
  }
  nextCleanUp_ = GetTickCount64() + kCleanUpMs;
  SetTimer(window, kCleanUpTimer, kCleanUpMs, nullptr);
  running = !stopRequested_;
  char line[200];
  std::snprintf(line, sizeof line, "Remote server listening on port %u\r\n", static_cast<unsigned>(port));
  Debug(line);
  SetEvent(listeningEvent);

  MSG message;
  while (running && GetMessageA(&message, nullptr, 0, 0) > 0) DispatchMessageA(&message);

  running = false;
  ResetEvent(listeningEvent);
  KillTimer(window, kCleanUpTimer);
  KillTimer(window, kDeadlineTimer);
  KillTimer(window, kAcceptAgainTimer);
  g_net.closesocket(listen_);
  listen_ = INVALID_SOCKET;
  for (auto& [s, gathering] : gathering_) g_net.closesocket(s);
  gathering_.clear();
  deadlines_.clear();
  {
    std::lock_guard<std::mutex> guard(windowLock_);
    window_ = nullptr;
  }
  DestroyWindow(window);
  StopWorkers();
  g_remoteUsers.Clear();
  CloseAccessLog();
  Debug("~ServerThread\r\n");
  SendSnmpTrap("Quorvane is Disabled");
  finish(nullptr);
}

LRESULT Server::OnMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case kAcceptMessage:
      AcceptAll();
      RunDueTimers();
      return 0;
    case kReadMessage: {
      const WORD event = WSAGETSELECTEVENT(lParam);
      Read(static_cast<SOCKET>(wParam), event == FD_CLOSE);
      RunDueTimers();
      return 0;
    }
    case kStopMessage:
      running = false;
      return 0;
    case WM_TIMER:
      if (wParam == kCleanUpTimer) nextCleanUp_ = 0;  // its time has come
      if (wParam == kAcceptAgainTimer) {
        KillTimer(window, kAcceptAgainTimer);
        g_net.WSAAsyncSelect(listen_, window, kAcceptMessage, FD_ACCEPT);
      }
      RunDueTimers();
      return 0;
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

// Every waiting connection is taken; a failed accept never ends the listener.
void Server::AcceptAll() {
  for (int i = 0; i < 1024; ++i) {
    sockaddr_in client{};
    int size = sizeof client;
    const SOCKET s = g_net.accept(listen_, reinterpret_cast<sockaddr*>(&client), &size);
    if (s == INVALID_SOCKET) {
      // Out of descriptors or memory: the waiting clients stay queued, and
      // accepting resumes after a pause rather than spinning on the failure.
      if (g_net.WSAGetLastError() != WSAEWOULDBLOCK) {
        g_net.WSAAsyncSelect(listen_, window_, 0, 0);
        SetTimer(window_, kAcceptAgainTimer, kAcceptPauseMs, nullptr);
      }
      break;
    }
    if (gathering_.size() >= kMaxGathered ||
        g_net.WSAAsyncSelect(s, window_, kReadMessage, FD_READ | FD_CLOSE) != 0) {
      g_net.closesocket(s);
      continue;
    }
    Gathering& entry = gathering_[s];
    entry.address = client.sin_addr.s_addr;
    entry.deadline = deadlines_.end();
    SetDeadline(s, entry, GetTickCount64() + kFirstDataMs);
  }
  ArmDeadline();
}

namespace {

// True when the gathered bytes make a whole request: the head with its blank
// line (and a posted form's announced bytes), or the most a head may have.
bool RequestIsWhole(const std::string& data, std::string* head, std::string* body) {
  const size_t blank = data.find("\r\n\r\n");
  if (blank == std::string::npos || blank + 2 > kHeadMax) {
    if (data.size() < kHeadMax) return false;
    *head = data.substr(0, kHeadMax);
    body->clear();
    return true;
  }
  *head = data.substr(0, blank + 2);
  size_t length = 0;
  const bool post = head->size() >= 4 && strncasecmp(head->c_str(), "POST", 4) == 0;
  if (post) {
    for (size_t at = 0; (at = head->find("\r\n", at)) != std::string::npos; at += 2) {
      if (strncasecmp(head->c_str() + at + 2, "Content-Length:", 15) == 0) {
        length = std::strtoul(head->c_str() + at + 17, nullptr, 10);
        break;
      }
    }
  }
  length = std::min(length, kBodyMax);
  if (data.size() - (blank + 4) < length) return false;
  *body = data.substr(blank + 4, length);
  return true;
}

}  // namespace

void Server::Read(SOCKET s, bool closed) {
  auto found = gathering_.find(s);
  if (found == gathering_.end()) return;
  Gathering& entry = found->second;
  char buffer[kHeadMax + kBodyMax + 8];
  const size_t room = kHeadMax + kBodyMax + 4 - std::min(entry.data.size(), kHeadMax + kBodyMax + 4);
  bool ended = closed;
  if (room > 0) {
    const int got = g_net.recv(s, buffer, static_cast<int>(room), 0);
    if (got > 0) {
      entry.data.append(buffer, static_cast<size_t>(got));
      SetDeadline(s, entry, GetTickCount64() + kNextDataMs);
    } else if (got == 0 || g_net.WSAGetLastError() != WSAEWOULDBLOCK) {
      ended = true;
    }
  }
  std::string head;
  std::string body;
  if (RequestIsWhole(entry.data, &head, &body) || ended || room == 0) Complete(s);
  ArmDeadline();
}

void Server::SetDeadline(SOCKET s, Gathering& entry, uint64_t due) {
  if (entry.deadline != deadlines_.end()) deadlines_.erase(entry.deadline);
  entry.deadline = deadlines_.emplace(due, s);
}

// Timers come only when the queue is otherwise empty; under steady traffic
// the clean-up and the time-outs are run from here.
void Server::RunDueTimers() {
  const uint64_t now = GetTickCount64();
  if (now >= nextCleanUp_) {
    nextCleanUp_ = now + kCleanUpMs;
    CleanUpRemoteServer(g_serverGlobals.Settings());
  }
  if (!deadlines_.empty() && deadlines_.begin()->first <= now) Expire();
}

void Server::Complete(SOCKET s) {
  auto found = gathering_.find(s);
  if (found == gathering_.end()) return;
  g_net.WSAAsyncSelect(s, window_, 0, 0);
  Job job;
  job.socket = s;
  job.address = found->second.address;
  if (!RequestIsWhole(found->second.data, &job.head, &job.body)) {
    job.head = found->second.data.substr(0, kHeadMax);
    job.body.clear();
  }
  if (found->second.deadline != deadlines_.end()) deadlines_.erase(found->second.deadline);
  gathering_.erase(found);
  Dispatch(std::move(job));
}

void Server::ArmDeadline() {
  if (gathering_.empty()) {
    KillTimer(window_, kDeadlineTimer);
    return;
  }
  const uint64_t first = deadlines_.empty() ? UINT64_MAX : deadlines_.begin()->first;
  const uint64_t now = GetTickCount64();
  const uint64_t wait = first > now ? first - now : 0;
  SetTimer(window_, kDeadlineTimer, static_cast<UINT>(std::clamp<uint64_t>(wait, 10, 60000)), nullptr);
}

// Clients silent past their time: served with what they sent.
void Server::Expire() {
  const uint64_t now = GetTickCount64();
  std::vector<SOCKET> due;
  for (auto it = deadlines_.begin(); it != deadlines_.end() && it->first <= now; ++it) due.push_back(it->second);
  for (SOCKET s : due) Complete(s);
  ArmDeadline();
}

void Server::Dispatch(Job job) {
  std::lock_guard<std::mutex> guard(jobsLock_);
  jobs_.push_back(std::move(job));
  if (idleWorkers_ == 0 && workers_.size() < static_cast<size_t>(kMaxServingThreads)) {
    workers_.emplace_back([this] { WorkerMain(); });
  } else {
    jobsReady_.notify_one();
  }
}

void Server::WorkerMain() {
  t_serverThread = true;
  std::unique_lock<std::mutex> lock(jobsLock_);
  for (;;) {
    ++idleWorkers_;
    jobsReady_.wait(lock, [this] { return closing_ || !jobs_.empty(); });
    --idleWorkers_;
    if (jobs_.empty()) return;  // closing and nothing left
    Job job = std::move(jobs_.front());
    jobs_.pop_front();
    lock.unlock();
    try {
      Serve(job);
    } catch (...) {
      // Out of memory while serving: the client gets no answer.
      g_net.closesocket(job.socket);
    }
    lock.lock();
  }
}

void Server::StopWorkers() {
  {
    std::lock_guard<std::mutex> guard(jobsLock_);
    closing_ = true;
  }
  jobsReady_.notify_all();
  for (std::thread& worker : workers_) worker.join();
  workers_.clear();
  closing_ = false;
}

void Server::Serve(Job& job) {
  const RemoteServerSettings settings = g_serverGlobals.Settings();
  const SOCKET s = job.socket;
  bool failed = false;
  // The socket stays non-blocking: a client that does not take the answer
  // holds the thread no longer than the patience.
  auto sender = [s, &failed](const char* bytes, size_t size) {
    size_t done = 0;
    while (!failed && done < size) {
      const int sent = g_net.send(s, bytes + done, static_cast<int>(std::min<size_t>(size - done, 65536)), 0);
      if (sent > 0) {
        done += static_cast<size_t>(sent);
        continue;
      }
      if (sent < 0 && g_net.WSAGetLastError() == WSAEWOULDBLOCK) {
        fd_set writable;
        FD_ZERO(&writable);
        FD_SET(s, &writable);
        timeval patience{static_cast<LONG>(kSendPatienceSeconds), 0};
        if (g_net.select(0, nullptr, &writable, nullptr, &patience) == 1) continue;
      }
      failed = true;
    }
  };
  ServerRequest request(settings, sender, job.address, listenAddress_);
  request.Parse(job.head, job.body);
  request.Respond();
  if (settings.webLogging != 0 && AccessLogOpen()) {
    const size_t rootLength = std::strlen(settings.webRoot);
    const std::string below = request.mappedPath.size() > rootLength ? request.mappedPath.substr(rootLength) : "";
    const time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    WriteAccessLine(FormatAccessLine(job.address, request.userName, local, below, request.query, request.status));
  }
  // Bytes the client sent beyond what was read (a form longer than the
  // server takes) are taken off first: a socket closed over unread input
  // is reset, and the reset drops the part of the answer still under way.
  char sink[4096];
  for (int i = 0; i < 256 && g_net.recv(s, sink, sizeof sink, 0) > 0; ++i) {
  }
  g_net.closesocket(s);
}

// ---- The settings' apply ----

namespace {

std::mutex g_applyLock;

void ApplySettings(bool onGui) {
  std::lock_guard<std::mutex> guard(g_applyLock);
  g_serverGlobals.EnsureLibraries();
  if (!g_serverGlobals.LibrariesBound()) {
    Debug("Remote server: the network libraries are not bound\r\n");
    return;
  }
  RemoteServerSettings settings;
  ReadServerSettings(&settings);
  g_serverGlobals.SetSettings(settings);
  const bool enable = std::tolower(static_cast<unsigned char>(settings.webEnable[0])) == 't';
  const bool active = g_server.Alive() && !g_server.StopRequested();
  if (!active && enable) {
    HANDLE token = nullptr;
    if (LogonUserA("LocalSystem", "", "morlivex", LOGON32_LOGON_INTERACTIVE, LOGON32_PROVIDER_DEFAULT, &token)) {
      CloseHandle(token);
    } else if (GetLastError() == ERROR_PRIVILEGE_NOT_HELD) {
      char text[kResTextMax + 1];
      char caption[kResTextMax + 1];
      if (onGui) {
        MessageBoxA(nullptr, LoadResText(5718, text, sizeof text), LoadResText(5719, caption, sizeof caption),
                    MB_OK);
      }
      Debug("Remote server: this process cannot check passwords; not started\r\n");
      return;
    }
    if (t_serverThread) return;
    if (onGui && g_app.mainPanel != nullptr) CreateGuiBridge();
    g_server.Start(settings);
  } else if (active && !enable) {
    g_server.RequestStop();
  }
  if (settings.webLogging != 0 && !AccessLogOpen()) {
    OpenAccessLog(settings.programDir);
  } else if (settings.webLogging == 0 && AccessLogOpen()) {
    CloseAccessLog();
  }
}

}  // namespace

void ApplyWebServerSettings() {
  if (!OnGuiThread()) {
    RequestApplyWebServerSettings();
    return;
  }
  ApplySettings(true);
}

void RequestApplyWebServerSettings() {
  if (OnGuiThread() && !t_serverThread) {
    ApplySettings(true);
  } else if (!PostToGuiThread([] { ApplySettings(true); })) {
    ApplySettings(false);
  }
}

void StopRemoteServer() {
  g_server.RequestStop();
  g_server.Join();
  DestroyGuiBridge();
  CloseAccessLog();
}

namespace qvnet {

bool WaitUntilListening(uint32_t milliseconds) {
  if (g_server.listeningEvent == nullptr) return false;
  return WaitForSingleObject(g_server.listeningEvent, milliseconds) == WAIT_OBJECT_0;
}

bool ServerRunning() { return g_server.running.load(); }

}  // namespace qvnet
