// One TCP connection to a mail server through the layer's Windows Sockets:
// connect, send and read reply lines, each bounded by a time-out and, where
// asked, ended early by a cancel flag.
#pragma once

#include <string>
#include <vector>

#include "qvplatform.h"

namespace qvui::smtp {

// One server reply: its three-digit code and the text of every line.
struct Reply {
  int code = 0;
  std::vector<std::string> lines;  // as received, without the line end
  std::string Text() const;        // the lines joined with " / "
};

class Connection {
 public:
  // `cancel` may be null. The socket library must be started by the caller.
  explicit Connection(const volatile BYTE* cancel) : cancel_(cancel) {}
  ~Connection();
  Connection(const Connection&) = delete;
  Connection& operator=(const Connection&) = delete;

  // Each returns QVUI_MAIL_SENT (0) on success or a QVUI_MAIL_ failure.
  int Open(const std::string& host, unsigned port, DWORD timeout_ms);
  // `cancellable`: the cancel flag ends the wait.
  int Send(const std::string& data, DWORD timeout_ms, bool cancellable);
  int ReadReply(Reply* reply, DWORD timeout_ms, bool cancellable);

  bool Cancelled() const;
  // The local host name when it is a usable domain, else the local address as
  // an address literal "[a.b.c.d]".
  std::string ClientDomain() const;

 private:
  enum class Wait { kRead, kWrite };
  int WaitFor(Wait what, ULONGLONG deadline, bool cancellable);
  int ReadLine(std::string* line, ULONGLONG deadline, bool cancellable);

  const volatile BYTE* cancel_;
  SOCKET socket_ = INVALID_SOCKET;
  std::string pending_;  // received bytes not yet taken as lines
};

}  // namespace qvui::smtp
