// The SMTP dialogue of one message: greeting, EHLO (HELO when refused), MAIL,
// one RCPT per recipient, DATA, the message, QUIT.
#pragma once

#include <string>

#include "qvplatform.h"
#include "smtp_settings.h"
#include "smtp_text.h"

namespace qvui::smtp {

// Time-outs of the dialogue, in milliseconds.
struct Timeouts {
  DWORD connect_ms = 30000;
  DWORD reply_ms = 300000;     // each reply, and sending each command
  DWORD data_end_ms = 600000;  // the server's verdict on the message
};

// How a send ended: the QVUI_MAIL_ result, the step it ended in ("greeting",
// "EHLO", "HELO", "MAIL FROM", "RCPT TO", "DATA", "message", "connect", ...;
// empty when sent) and the server's last reply text.
struct Outcome {
  int result = 0;
  std::string step;
  std::string reply;
  int reply_code = 0;
};

struct Job {
  std::string host;
  unsigned port = 25;
  Message message;
  Timeouts timeouts;
  std::string client_domain;  // the EHLO argument; empty: from the local host
  const volatile BYTE* cancel = nullptr;
};

// Checks the job's addresses and subject, then runs the dialogue. Starts and
// stops the socket library itself.
Outcome Send(const Job& job);

}  // namespace qvui::smtp
