// The SMTP dialogue of one message.
#include "smtp_session.h"

#include "smtp_connection.h"
#include "smtp_mail.h"

namespace qvui::smtp {
namespace {

// The socket library, started for the length of one send.
class SocketLibrary {
 public:
  SocketLibrary() {
    WSADATA data;
    started_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }
  ~SocketLibrary() {
    if (started_) WSACleanup();
  }
  SocketLibrary(const SocketLibrary&) = delete;
  SocketLibrary& operator=(const SocketLibrary&) = delete;
  bool started() const { return started_; }

 private:
  bool started_ = false;
};

int FailureOfReply(int code) {
  return code >= 400 && code < 500 ? QVUI_MAIL_REFUSED_TEMPORARY : QVUI_MAIL_REFUSED_PERMANENT;
}

class Dialogue {
 public:
  Dialogue(const Job& job, Outcome* outcome)
      : job_(job), outcome_(outcome), connection_(job.cancel) {}

  // Sends the step's command (none for the greeting) and reads the answer;
  // true when its code is one of `accepted`.
  bool Step(const char* step, const std::string& command, std::initializer_list<int> accepted,
            DWORD timeout_ms, bool cancellable) {
    outcome_->step = step;
    if (cancellable && connection_.Cancelled()) return Fail(QVUI_MAIL_CANCELLED);
    if (!command.empty()) {
      const int sent = connection_.Send(command, job_.timeouts.reply_ms, cancellable);
      if (sent != QVUI_MAIL_SENT) return Fail(sent);
    }
    const int read = connection_.ReadReply(&reply_, timeout_ms, cancellable);
    outcome_->reply = reply_.Text();
    outcome_->reply_code = reply_.code;
    if (read != QVUI_MAIL_SENT) return Fail(read);
    for (int code : accepted) {
      if (reply_.code == code) return true;
    }
    refused_ = true;
    return Fail(FailureOfReply(reply_.code));
  }

  bool Run() {
    const Timeouts& t = job_.timeouts;
    outcome_->step = "connect";
    if (connection_.Cancelled()) return Fail(QVUI_MAIL_CANCELLED);
    const int opened = connection_.Open(job_.host, job_.port, t.connect_ms);
    if (opened != QVUI_MAIL_SENT) return Fail(opened);
    if (!Step("greeting", "", {220}, t.reply_ms, true)) return Quit();
    const std::string domain =
        job_.client_domain.empty() ? connection_.ClientDomain() : job_.client_domain;
    if (!Step("EHLO", "EHLO " + domain + "\r\n", {250}, t.reply_ms, true)) {
      // A server that does not know EHLO answers 5xx; it may still take HELO.
      if (!refused_ || reply_.code < 500) return Quit();
      refused_ = false;
      outcome_->result = QVUI_MAIL_SENT;
      if (!Step("HELO", "HELO " + domain + "\r\n", {250}, t.reply_ms, true)) return Quit();
    }
    const Message& m = job_.message;
    if (!Step("MAIL FROM", "MAIL FROM:<" + m.from + ">\r\n", {250}, t.reply_ms, true)) return Quit();
    for (const std::string& recipient : m.recipients) {
      if (!Step("RCPT TO", "RCPT TO:<" + recipient + ">\r\n", {250, 251}, t.reply_ms, true)) {
        return Quit();
      }
    }
    if (!Step("DATA", "DATA\r\n", {354}, t.reply_ms, true)) return Quit();
    // Until the closing dot has gone out the server keeps nothing, so the
    // cancel flag may still end the send; after it the verdict is awaited.
    outcome_->step = "message";
    const int sent = connection_.Send(WireMessage(m) + ".\r\n", t.reply_ms, true);
    if (sent != QVUI_MAIL_SENT) return Fail(sent);
    if (!Step("message", "", {250}, t.data_end_ms, false)) return Quit();
    outcome_->step.clear();
    outcome_->result = QVUI_MAIL_SENT;
    // The message is the server's now: the answer to QUIT changes nothing.
    Reply ignored;
    if (connection_.Send("QUIT\r\n", t.reply_ms, true) == QVUI_MAIL_SENT) {
      connection_.ReadReply(&ignored, t.reply_ms, true);
    }
    return true;
  }

 private:
  bool Fail(int result) {
    outcome_->result = result;
    return false;
  }

  // After a refusal the connection still works: say goodbye before closing.
  bool Quit() {
    if (refused_) {
      Reply ignored;
      if (connection_.Send("QUIT\r\n", job_.timeouts.reply_ms, true) == QVUI_MAIL_SENT) {
        connection_.ReadReply(&ignored, job_.timeouts.reply_ms, true);
      }
    }
    return false;
  }

  const Job& job_;
  Outcome* outcome_;
  Connection connection_;
  Reply reply_;
  bool refused_ = false;  // the last step ended with a server refusal
};

}  // namespace

Outcome Send(const Job& job) {
  Outcome outcome;
  outcome.step = "addresses";
  const Message& m = job.message;
  if (m.recipients.empty()) {
    outcome.result = QVUI_MAIL_BAD_ADDRESS;
    return outcome;
  }
  for (const std::string& recipient : m.recipients) {
    if (!IsUsableAddress(recipient)) {
      outcome.result = QVUI_MAIL_BAD_ADDRESS;
      outcome.reply = recipient;
      return outcome;
    }
  }
  if (!IsUsableAddress(m.from) || !IsUsableAddress(m.reply_to)) {
    outcome.result = QVUI_MAIL_BAD_ADDRESS;
    outcome.reply = IsUsableAddress(m.from) ? m.reply_to : m.from;
    return outcome;
  }
  outcome.step = "subject";
  if (!IsUsableHeaderValue(m.subject)) {
    outcome.result = QVUI_MAIL_BAD_HEADER;
    return outcome;
  }
  outcome.step = "settings";
  if (job.host.empty() || job.port == 0 || job.port > 65535) {
    outcome.result = QVUI_MAIL_BAD_SETTINGS;
    outcome.reply = job.host;
    return outcome;
  }
  outcome.step = "start";
  SocketLibrary library;
  if (!library.started()) {
    outcome.result = QVUI_MAIL_NO_NETWORK;
    return outcome;
  }
  Dialogue dialogue(job, &outcome);
  dialogue.Run();
  return outcome;
}

}  // namespace qvui::smtp
