#include "mail_peer.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <system_error>
#include <utility>

#include "test_files.h"

namespace qvtest {

namespace {

constexpr char kModule[] = "aiosmtpd.handlers";

// Writes the addressee to "to", and attachment n to "n" with its name in
// "n.name", in the folder given.
constexpr char kReader[] =
    "import email, sys, os\n"
    "m = email.message_from_binary_file(open(sys.argv[1], 'rb'))\n"
    "open(os.path.join(sys.argv[2], 'to'), 'w').write(m['To'] or '')\n"
    "n = 0\n"
    "for p in m.walk():\n"
    "    if p.get_filename():\n"
    "        n += 1\n"
    "        open(os.path.join(sys.argv[2], str(n)), 'wb').write(p.get_payload(decode=True))\n"
    "        open(os.path.join(sys.argv[2], str(n) + '.name'), 'w').write(p.get_filename())\n";


}  // namespace

bool MailServer::Available() { return !PythonWith(kModule).empty(); }

MailServer::MailServer(std::string maildir) : maildir_(std::move(maildir)), port_(FreePort()) {
  const std::string python = PythonWith(kModule);
  if (python.empty() || port_ == 0) return;
  running_ = process_.Start({python, "-m", "aiosmtpd", "-n", "-l", address(), "-c", "aiosmtpd.handlers.Mailbox",
                             maildir_}) &&
             process_.WaitUntilListening(port_);
}

std::vector<std::filesystem::path> MailServer::MessageFiles() const {
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(maildir_ + "/new", error)) files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  return files;
}

std::vector<std::string> MailServer::Messages() const {
  std::vector<std::string> messages;
  for (const auto& file : MessageFiles()) {
    const std::string text = ReadFile(file);
    std::string lines;
    for (size_t i = 0; i < text.size(); ++i) {
      if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
      lines += text[i];
    }
    messages.push_back(lines);
  }
  return messages;
}

ReadMail MailServer::Read(const std::filesystem::path& message) {
  ReadMail mail;
  const TempDir parts("qvmailparts");
  if (RunToExit({PythonWith("email"), "-c", kReader, message.string(), parts.path().string()}) != 0) return mail;
  mail.ok = true;
  mail.to = parts.read("to");
  for (int n = 1; parts.exists(std::to_string(n)); ++n) {
    mail.attachments.push_back({parts.read(std::to_string(n) + ".name"), parts.read(std::to_string(n))});
  }
  return mail;
}

void WriteMailSettings(const std::string& path, const std::string& server, const std::string& from,
                       const std::string& reply_to, const std::string& subject) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out << "[Defaults]\r\nListStart=0\r\n[Email]\r\n";
  out << "SMTPServer=" << server << "\r\n";
  if (!from.empty()) out << "From=" << from << "\r\n";
  if (!reply_to.empty()) out << "ReplyTo=" << reply_to << "\r\n";
  if (!subject.empty()) out << "Subject=" << subject << "\r\n";
}

}  // namespace qvtest
