// Tests only: FTP peers on loopback. A scripted server whose replies a test
// writes line by line (for replies no real server gives), and Debian's
// pyftpdlib serving a folder.
#pragma once

#include <functional>
#include <string>

#include "loopback_peers.h"

namespace ftptest {

// One accepted control connection of the scripted server.
class ScriptedConnection {
 public:
  explicit ScriptedConnection(int fd) : fd_(fd) {}
  ~ScriptedConnection();
  ScriptedConnection(const ScriptedConnection&) = delete;
  ScriptedConnection& operator=(const ScriptedConnection&) = delete;

  // Sends raw text (the test writes the "\r\n").
  void Send(const std::string& text);
  // The next command line without its line end; "" when the client closed
  // or said nothing for 30 seconds.
  std::string Command();
  // Listens for one data connection on 127.0.0.1; its port.
  int ListenData();
  // Accepts it (at most 30 seconds), sends the bytes and closes it.
  bool SendData(const std::string& bytes);
  // Accepts it and reads it to its end.
  std::string ReceiveData();
  // Accepts it and keeps it open without sending anything.
  bool AcceptDataAndHold();
  // Sends bytes on the held data connection (it stays open).
  void SendHeld(const std::string& bytes);
  // Waits until the client closes the control connection (at most 30 s).
  void WaitForClose();

 private:
  int fd_;
  int dataListener_ = -1;
  int dataHeld_ = -1;
  std::string pending_;
};

// A server on 127.0.0.1 that hands each connection to the script, one after another.
class ScriptedServer {
 public:
  explicit ScriptedServer(std::function<void(ScriptedConnection&)> script);
  ScriptedServer(const ScriptedServer&) = delete;
  ScriptedServer& operator=(const ScriptedServer&) = delete;

  int port() const { return server_.port(); }
  std::string host() const { return server_.address(); }
  int connections() const { return server_.connections(); }

 private:
  std::function<void(ScriptedConnection&)> script_;
  qvtest::LoopbackServer server_;  // last: it goes first
};

// Debian's pyftpdlib serving `root` to one user on 127.0.0.1.
class PyFtpServer {
 public:
  PyFtpServer(const std::string& root, const std::string& user, const std::string& password);
  ~PyFtpServer();
  PyFtpServer(const PyFtpServer&) = delete;
  PyFtpServer& operator=(const PyFtpServer&) = delete;

  // False when Python or pyftpdlib is missing or the server did not come up.
  bool running() const { return port_ > 0; }
  int port() const { return port_; }
  std::string host() const { return "127.0.0.1:" + std::to_string(port_); }

 private:
  int pid_ = -1;
  int port_ = 0;
};

}  // namespace ftptest
