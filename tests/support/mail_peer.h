// Tests only: Debian's aiosmtpd on 127.0.0.1, started by the test at a free
// port, keeping every message it accepts as a file of a mail directory that
// the test reads back.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "loopback_peers.h"

namespace qvtest {

// A received message as a mail reader (Python's email package) takes it
// apart: its addressee and each attachment's file name and decoded bytes, in
// message order.
struct ReadMail {
  bool ok = false;  // false when the reader failed
  std::string to;
  struct Attachment {
    std::string name;
    std::string bytes;
  };
  std::vector<Attachment> attachments;
};

class MailServer {
 public:
  // Whether the server can be started here (python3-aiosmtpd is installed).
  static bool Available();

  // Starts the server storing into `maildir` (made by the server) and waits
  // until it listens.
  explicit MailServer(std::string maildir);
  ~MailServer() = default;  // stops it
  MailServer(const MailServer&) = delete;
  MailServer& operator=(const MailServer&) = delete;

  // Whether it came up and listens.
  bool running() const { return running_; }
  int port() const { return port_; }
  // "127.0.0.1:port", as the mail settings name a server.
  std::string address() const { return "127.0.0.1:" + std::to_string(port_); }
  // The files of the messages received so far, in name order (an empty list
  // before the first).
  std::vector<std::filesystem::path> MessageFiles() const;
  // Their texts, each line ending in "\n" alone.
  std::vector<std::string> Messages() const;
  // The message of one of those files, taken apart.
  static ReadMail Read(const std::filesystem::path& message);
  void Stop() { process_.Stop(); }

 private:
  std::string maildir_;
  int port_ = 0;
  PeerProcess process_;
  bool running_ = false;
};

// Writes a settings file with an [Email] section into `path`, naming the mail
// server ("host:port") and, where not empty, the sender, the reply address
// and the subject.
void WriteMailSettings(const std::string& path, const std::string& server, const std::string& from,
                       const std::string& reply_to, const std::string& subject);

}  // namespace qvtest
