// Tests only: a scripted SMTP server on 127.0.0.1 for the mail tests. It
// takes one connection, answers each command from its script and records the
// dialogue. Plain Linux sockets, like the other loopback peers.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <map>
#include <mutex>
#include <string>
#include <vector>

#include "loopback_peers.h"
#include "mail_peer.h"

namespace qvtest {

struct SmtpScript {
  std::string greeting = "220 mx.test ESMTP ready\r\n";
  // Replies by command word (upper case), each one or more whole lines.
  std::map<std::string, std::string> replies = {
      {"EHLO", "250-mx.test greets you\r\n250-PIPELINING\r\n250 8BITMIME\r\n"},
      {"HELO", "250 mx.test\r\n"},
      {"MAIL", "250 sender ok\r\n"},
      {"RCPT", "250 recipient ok\r\n"},
      {"DATA", "354 end with <CRLF>.<CRLF>\r\n"},
      {"RSET", "250 reset\r\n"},
      {"QUIT", "221 bye\r\n"},
  };
  std::string data_end_reply = "250 queued as 42\r\n";
  // The command word after which the server falls silent ("" = never;
  // "greeting" = it never greets). It then only waits for the client to go.
  std::string silent_after;
  // The reply to the message waits for Release().
  bool hold_data_end = false;
};

class SmtpServer {
 public:
  explicit SmtpServer(SmtpScript script);
  ~SmtpServer() { Release(); }  // a held reply goes before the server stops
  SmtpServer(const SmtpServer&) = delete;
  SmtpServer& operator=(const SmtpServer&) = delete;

  int port() const { return server_.port(); }
  // "127.0.0.1:port", as the mail settings name a server.
  std::string address() const { return server_.address(); }
  // The dialogue: "S: line" for what the server said, "C: line" for each
  // command line of the client; the message text is not in it.
  std::vector<std::string> Transcript();
  // The bytes between the reply to DATA and the closing ".", as received.
  std::string Data();
  // Waits (bounded; false when the bound passes) until the client has sent
  // `count` command lines, or until the connection has ended.
  bool WaitForCommands(size_t count);
  bool WaitForEnd();
  // Waits (bounded) until the whole message text has arrived.
  bool WaitForData();
  // Lets a held reply to the message go.
  void Release();

 private:
  void Serve(int client);
  void Say(int client, const std::string& text);
  bool ReadLine(int client, std::string* line);

  SmtpScript script_;
  std::string pending_;
  std::mutex lock_;
  std::condition_variable changed_;
  std::vector<std::string> transcript_;
  size_t commands_ = 0;
  std::string data_;
  bool ended_ = false;
  bool data_complete_ = false;
  bool released_ = false;
  LoopbackServer server_;  // last: it goes first
};

}  // namespace qvtest
