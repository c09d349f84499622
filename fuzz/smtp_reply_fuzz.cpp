// The mail client's dialogue against a server on 127.0.0.1 whose every reply
// comes from the input.
//
// Properties: each send ends with one of the documented results; a message
// counts as sent only when the server's replies accepted every step; the reply
// text reported holds only bytes the server sent.
#include <string>

#include "fuzz_support.h"
#include "loopback_server.h"
#include "smtp_mail.h"
#include "smtp_session.h"

namespace {

qvfuzz::LoopbackServer& Server() {
  static auto* server = new qvfuzz::LoopbackServer("");  // lives as long as the process
  return *server;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 16 * 1024) return 0;
  const std::string replies(qvfuzz::Bytes(data, size));
  Server().Answer(replies);

  qvui::smtp::Job job;
  job.host = "127.0.0.1";
  job.port = Server().port();
  job.client_domain = "client.test";
  job.timeouts.connect_ms = 5000;
  job.timeouts.reply_ms = 3000;
  job.timeouts.data_end_ms = 3000;
  job.message.from = "monitor@client.test";
  job.message.reply_to = "admin@client.test";
  job.message.recipients = {"one@server.test", "two@server.test"};
  job.message.subject = "Status";
  job.message.body = "Line one\r\n.dot line\r\n";
  job.message.message_id = "<1.2@client.test>";
  const qvui::smtp::Outcome outcome = qvui::smtp::Send(job);

  FUZZ_CHECK(outcome.result >= QVUI_MAIL_SENT && outcome.result <= QVUI_MAIL_NO_MEMORY);
  FUZZ_CHECK(outcome.result != QVUI_MAIL_BAD_ADDRESS && outcome.result != QVUI_MAIL_BAD_HEADER);
  FUZZ_CHECK(outcome.reply_code == 0 || (outcome.reply_code >= 100 && outcome.reply_code <= 599));
  if (outcome.result == QVUI_MAIL_SENT) {
    // Greeting, EHLO or HELO, MAIL, two RCPT, DATA and the message's end: at
    // least six replies, and a positive one last.
    FUZZ_CHECK(outcome.step.empty());
    size_t replies_seen = 0;
    for (size_t at = 0; (at = replies.find('\n', at)) != std::string::npos; ++at) ++replies_seen;
    FUZZ_CHECK(replies_seen >= 6);
  }
  // The reported text is the server's lines joined with " / ": between two
  // slashes, less the blank a joint adds on either side, lie only input bytes.
  const std::string& text = outcome.reply;
  for (size_t begin = 0; begin <= text.size();) {
    size_t end = text.find('/', begin);
    if (end == std::string::npos) end = text.size();
    std::string piece = text.substr(begin, end - begin);
    if (!piece.empty() && piece.front() == ' ') piece.erase(0, 1);
    if (!piece.empty() && piece.back() == ' ') piece.pop_back();
    FUZZ_CHECK(replies.find(piece) != std::string::npos);
    begin = end + 1;
  }
  return 0;
}
