// The wire side of the FTP client: the control connection with its replies,
// passive data connections and the bounded waits every read and write goes
// through. Internal to FTP4W32.DLL.
#pragma once

#include <sys/socket.h>

#include <cstdint>
#include <string>

namespace ftp4w {

// One reply of the server: its three-digit code and its whole text (the
// lines of a multi-line reply joined by '\n').
struct Reply {
  int code = 0;
  std::string text;
};

// FtpAbort's signal: a flag and a descriptor that wakes every wait.
void RequestAbort();
void ClearAbort();
bool AbortRequested();

// A point in time after which a wait gives up.
int64_t DeadlineAfter(int milliseconds);

// Waits until `fd` is ready for `events` (POLLIN / POLLOUT) or the deadline
// passes or an abort is asked for: 0, FTP4W_TIMEOUT or FTP4W_CANCELLED.
int WaitReady(int fd, short events, int64_t deadline);

// Sends all of `data` on a non-blocking socket within the deadline.
int SendAll(int fd, const char* data, size_t size, int64_t deadline);

// Waits for data and receives what came: 0 with *got the byte count (0 when
// the peer closed), or an error code.
int ReceiveSome(int fd, char* buffer, size_t size, int64_t deadline, long* got);

// A data connection, closed when it goes out of scope.
class DataSocket {
 public:
  explicit DataSocket(int fd) : fd_(fd) {}
  ~DataSocket() { Close(); }
  DataSocket(const DataSocket&) = delete;
  DataSocket& operator=(const DataSocket&) = delete;
  int fd() const { return fd_; }
  void Close();

 private:
  int fd_;
};

// A host text "name", "name:port", "[v6]" or "[v6]:port" split up; false when
// the port is not a number in 1..65535 or the name is empty.
bool SplitHostPort(const std::string& text, int defaultPort, std::string* host, int* port);

class ControlConnection {
 public:
  ControlConnection() = default;
  ~ControlConnection() { Close(); }
  ControlConnection(const ControlConnection&) = delete;
  ControlConnection& operator=(const ControlConnection&) = delete;

  bool open() const { return fd_ >= 0; }
  void set_timeout(int milliseconds) { timeoutMs_ = milliseconds; }
  int timeout() const { return timeoutMs_; }

  // Resolves and connects, then reads the greeting: 0 once the server said 220.
  int Connect(const std::string& host, int port);
  // Reads one complete reply (multi-line replies whole). A 421 closes the
  // connection and answers FTP4W_CONNECTREJECTED.
  int ReadReply(Reply* reply);
  // Sends "<line>\r\n" and reads the reply.
  int Command(const std::string& line, Reply* reply);
  int SendLine(const std::string& line);
  // Asks for a passive data port and connects to it at the control peer's
  // own address; the address in the reply is never used.
  int OpenData(int* dataFd);
  void Close();

 private:
  int ReadLine(std::string* line, int64_t deadline);

  int fd_ = -1;
  int timeoutMs_ = 30000;
  sockaddr_storage peer_{};
  socklen_t peerLength_ = 0;
  std::string pending_;  // received bytes not yet taken as lines
};

}  // namespace ftp4w
