// Paging by modem: an alphanumeric page by TAP over a Hayes modem, and a
// numeric page sent as tones in the dial string.
#include "pager_modem.h"

#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "alert_runtime.h"
#include "comm_port.h"
#include "pager_alert.h"
#include "pager_senders.h"

std::string TapChecksum(const char* bytes, size_t count) {
  uint16_t sum = 0;
  for (size_t i = 0; i < count; ++i) sum = static_cast<uint16_t>(sum + static_cast<signed char>(bytes[i]));
  std::string out(3, '0');
  out[0] = static_cast<char>(((sum >> 8) & 0x0F) | 0x30);
  out[1] = static_cast<char>(((sum >> 4) & 0x0F) | 0x30);
  out[2] = static_cast<char>((sum & 0x0F) | 0x30);
  return out;
}

std::string DialDigits(const char* text) {
  std::string out;
  for (const char* p = text != nullptr ? text : ""; *p != '\0'; ++p) {
    if ((*p >= '0' && *p <= '9') || *p == '#' || *p == '*' || *p == ',') out += *p;
  }
  return out;
}

std::string BuildTapBlock(const char* pagerId, const char* message) {
  std::string block(1, kTapStx);
  block += DialDigits(pagerId);
  block += '\r';
  const char* text = message != nullptr ? message : "This message intentionally left blank.";
  for (const char* p = text; *p != '\0'; ++p) {
    const unsigned char c = static_cast<unsigned char>(*p);
    if (c == '\r' || c == '\n') continue;
    // Field 2 carries printable 7-bit text only: no control byte can end the
    // block early or change its meaning.
    if (c < 0x20 || c == 0x7F) {
      block += ' ';
    } else if (c > 0x7F) {
      block += '?';
    } else {
      block += static_cast<char>(c);
    }
  }
  if (block.size() > kTapBlockLimit) block.resize(kTapBlockLimit);
  block += '\r';
  block += kTapEtx;
  block += TapChecksum(block.data(), block.size());
  block += '\r';
  return block;
}

std::string BuildNumericDialString(CPagerAlert& alert) {
  // The settings themselves keep only their dial digits.
  if (alert.GetPreDial() != nullptr) alert.SetPreDial(DialDigits(alert.GetPreDial()).c_str());
  if (alert.GetNumber() != nullptr) alert.SetNumber(DialDigits(alert.GetNumber()).c_str());
  if (alert.GetPostDial() != nullptr) alert.SetPostDial(DialDigits(alert.GetPostDial()).c_str());
  if (alert.GetPIN() != nullptr) alert.SetPIN(DialDigits(alert.GetPIN()).c_str());
  if (alert.GetMessage() != nullptr) alert.SetMessage(DialDigits(alert.GetMessage()).c_str());
  auto text = [](const char* value) { return std::string(value != nullptr ? value : ""); };
  std::string dial = text(alert.GetDialString()) + text(alert.GetPreDial()) + "," + text(alert.GetNumber()) + "," +
                     text(alert.GetPostDial());
  const int connectPause = alert.GetConnectDelay() > 0 ? alert.GetConnectDelay() / 2 : 0;
  dial.append(static_cast<size_t>(connectPause), ',');
  if (alert.GetPIN() != nullptr && *alert.GetPIN() != '\0') {
    dial += alert.GetPIN();
    const int pinPause = alert.GetPINDelay() > 0 ? alert.GetPINDelay() / 2 : 0;
    dial.append(static_cast<size_t>(pinPause), ',');
  }
  dial += alert.GetMessage() != nullptr ? alert.GetMessage() : "0000000";
  dial += '\r';
  return dial;
}

namespace {

const char kAckCr[] = {kTapAck, '\r', 0};
const char kNakCr[] = {kTapNak, '\r', 0};
const char kRsCr[] = {kTapRs, '\r', 0};
const char kEscEotCr[] = {kTapEsc, kTapEot, '\r', 0};
const char kGoAhead[] = {kTapEsc, '[', 'p', 0};
const char kEotCr[] = {kTapEot, '\r', 0};

constexpr DWORD kInitWait = 10000;
constexpr DWORD kPromptWait = 2000;
constexpr int kPromptTries = 7;
constexpr DWORD kTapWait = 5000;
constexpr DWORD kGuardSilence = 1100;
constexpr DWORD kHangUpWait = 3000;

DWORD Seconds(int seconds) { return seconds > 0 ? static_cast<DWORD>(seconds) * 1000u : 0u; }

bool Holds(const std::vector<char>& buffer, int length, const char* text) {
  const size_t size = std::strlen(text);
  for (int at = 0; at + static_cast<int>(size) <= length; ++at) {
    if (std::memcmp(buffer.data() + at, text, size) == 0) return true;
  }
  return false;
}

// One page over the modem: the port, the status lines and the steps both
// senders share.
class ModemPage {
 public:
  ModemPage(CPagerAlert& alert, AlertStatus& status, int bufferSize)
      : m_alert(alert), m_status(status), m_buffer(static_cast<size_t>(bufferSize), '\0') {}

  void Post(const char* text) { m_status.Tell(text); }
  void Fail(const char* text) { m_status.Report(text); }

  // A cancelled test, or monitoring stopping.
  bool Stopped() const {
    return (m_alert.GetTestMode() && IsAlertTestCancelled()) || StoppedByMonitoring();
  }
  bool StoppedByMonitoring() const {
    const std::atomic<bool>* running = m_alert.GetRunningFlag();
    return running != nullptr && !running->load();
  }

  // Opens the port and sets the line format; false after the failure lines.
  bool Open() {
    char line[300];
    std::snprintf(line, sizeof line, "Initializing %s.", m_alert.GetPortName());
    Post(line);
    m_port = std::make_unique<CCommPort>(m_alert.GetPortName());
    if (!m_port->IsOpen()) {
      std::snprintf(line, sizeof line, "Error initializing %s", m_alert.GetPortName());
      Fail(line);
      Post("Page Aborted");
      m_port.reset();
      return false;
    }
    m_port->WatchStop(m_alert.GetTestMode(), m_alert.GetRunningFlag());
    m_port->SetLineFormat(m_alert.GetParity(), m_alert.GetDataBits(), m_alert.GetStopBits());
    return true;
  }

  // Three tries of the init string; false when none got "OK".
  bool Initialize() {
    Post("Initializing Modem...");
    for (int attempt = 0; attempt < 3; ++attempt) {
      if (Stopped()) return false;
      m_port->Write("\r\r\r\r\r\r\r");
      Sleep(100);
      m_port->Write((std::string(m_alert.GetInitString() != nullptr ? m_alert.GetInitString() : "") + "\r").c_str());
      const char* ok[] = {"OK"};
      if (Wait(ok, 1, kInitWait)) return true;
    }
    return false;
  }

  // Waits for one of `expected`; true on a match (the last of the list found,
  // in Matched()).
  bool Wait(const char* const* expected, int count, DWORD ms) {
    int err = 0;
    m_matched[0] = '\0';
    m_received = m_port->ReadResponse(m_buffer.data(), static_cast<int>(m_buffer.size()), expected, count, ms,
                                      m_matched, sizeof m_matched, &err);
    if (Holds(m_buffer, m_received, "NO CARRIER")) m_noCarrier = true;
    return m_matched[0] != '\0';
  }
  const char* Matched() const { return m_matched; }
  bool Received(const char* text) const { return Holds(m_buffer, m_received, text); }

  void Write(const std::string& bytes) { m_port->Write(bytes.data(), static_cast<int>(bytes.size())); }

  // The dial's answer ended the call attempt (BUSY, NO CARRIER, ...) or the
  // dialling itself (a numeric page's OK): the modem takes commands again.
  void InCommandMode() { m_commandMode = true; }

  // Puts the modem on hook: guard silence, "+++", guard silence and "OK",
  // then "ATH0" and "OK". A modem that reported the carrier lost, or that is
  // in command mode anyway, gets "ATH0" alone. A stop does not cut these
  // waits short.
  void HangUp() {
    if (!m_port) return;
    m_port->WatchStop(false, nullptr);
    const char* noCarrier[] = {"NO CARRIER"};
    const char* ok[] = {"OK"};
    if (!m_noCarrier && !m_commandMode && !Wait(noCarrier, 1, kGuardSilence)) {
      m_port->Write("+++");
      Wait(ok, 1, kGuardSilence + kHangUpWait);
    }
    m_port->Write("ATH0\r");
    Wait(ok, 1, kHangUpWait);
    m_port->WatchStop(m_alert.GetTestMode(), m_alert.GetRunningFlag());
  }

  // Closing drops DTR.
  void Close() { m_port.reset(); }

  // The end of a cancelled or stopped page: a page stopped with monitoring
  // stays spooled; a cancelled test is not tried again.
  SendResult GiveUp(bool hangUp, const char* canceled = "Page canceled by User",
                    const char* aborted = "Page Aborted") {
    const bool byMonitoring = StoppedByMonitoring();
    Post(canceled);
    Post(aborted);
    if (hangUp) HangUp();
    Close();
    return byMonitoring ? SendResult::Unavailable : SendResult::Sent;
  }

  // A failure after which the page is tried again.
  SendResult Failed(const char* text, bool hangUp, const char* aborted = "Page Aborted") {
    Fail(text);
    Post(aborted);
    if (hangUp) HangUp();
    Close();
    return SendResult::Failed;
  }

 private:
  CPagerAlert& m_alert;
  AlertStatus& m_status;
  std::unique_ptr<CCommPort> m_port;
  std::vector<char> m_buffer;
  int m_received = 0;
  char m_matched[32] = "";
  bool m_noCarrier = false;
  bool m_commandMode = false;
};

const char* OrEmpty(const char* text) { return text != nullptr ? text : ""; }

}  // namespace

SendResult SendAlphaPage(CPagerAlert& alert, AlertStatus& status) {
  ModemPage page(alert, status, 2048);
  if (!page.Open()) return SendResult::Failed;
  if (page.Stopped()) return page.GiveUp(false);
  if (!page.Initialize()) {
    if (page.Stopped()) return page.GiveUp(false);
    return page.Failed("Error Initializing modem", false);
  }
  page.Write(std::string(11, '\r'));
  Sleep(100);
  if (page.Stopped()) return page.GiveUp(false);

  page.Post("Dialing Service Provider.");
  if (alert.GetNumber() == nullptr || alert.GetDialString() == nullptr) {
    page.Post("Invalid Profile Configuration. Page Aborted.");
    page.HangUp();
    page.Close();
    return SendResult::Refused;
  }
  std::string dial = alert.GetDialString();
  if (alert.GetPreDial() != nullptr) dial += std::string(alert.GetPreDial()) + ",";
  dial += std::string(alert.GetNumber()) + "\r";
  page.Write(dial);
  const char* dialAnswers[] = {"NO CARRIER", "NO DIALTONE", "NO DIAL TONE", "BUSY", "CONNECT"};
  page.Wait(dialAnswers, 5, Seconds(alert.GetDialDelay()));
  if (page.Stopped()) return page.GiveUp(true);
  if (std::strcmp(page.Matched(), "CONNECT") != 0) {
    if (page.Matched()[0] != '\0') page.InCommandMode();
    char line[300];
    std::snprintf(line, sizeof line, "Error Connecting to Service: %s", page.Matched());
    return page.Failed(line, true);
  }

  page.Post("Logging In...");
  if (!page.Received("ID=")) {
    const char* prompt[] = {"ID="};
    for (int failures = 0;;) {
      if (page.Stopped()) return page.GiveUp(true);
      if (page.Wait(prompt, 1, kPromptWait)) break;
      if (page.Stopped()) return page.GiveUp(true);
      page.Write("\r");
      if (++failures == kPromptTries) return page.Failed("Error Getting Login Prompt", true);
    }
  }
  if (page.Stopped()) return page.GiveUp(true);

  // The logon carries the TAP password, else the service logon code.
  const char* password = alert.GetTapPassword();
  if (password == nullptr || *password == '\0') password = alert.GetAlphaPassword();
  page.Write(std::string(1, kTapEsc) + "PG1" + OrEmpty(password) + "\r");
  const char* logonAnswers[] = {kAckCr, kNakCr, kEscEotCr};
  page.Wait(logonAnswers, 3, kTapWait);
  if (page.Stopped()) return page.GiveUp(true, "Page canceled by User!", "Page Aborted!");
  if (!page.Received(kAckCr) || page.Received(kNakCr) || page.Received(kEscEotCr)) {
    return page.Failed("Login Refused", true);
  }

  page.Post("Preparing to send page.");
  if (!page.Received(kGoAhead)) {
    const char* goAhead[] = {kGoAhead};
    if (!page.Wait(goAhead, 1, kTapWait)) {
      if (page.Stopped()) return page.GiveUp(true);
      return page.Failed("Error getting Start Signal!", true, "Page Aborted!");
    }
  }
  if (page.Stopped()) return page.GiveUp(true);

  page.Post("Sending page...");
  page.Write(BuildTapBlock(alert.GetPagerID(), alert.GetMessage()));
  page.Post(alert.GetTestMode() ? "Waiting for Confimation.." : "Waiting for Confimation...");
  const char* blockAnswers[] = {kAckCr, kNakCr, kRsCr};
  page.Wait(blockAnswers, 3, kTapWait);
  if (!page.Received(kAckCr) || page.Received(kNakCr) || page.Received(kRsCr)) {
    if (page.Stopped()) return page.GiveUp(true);
    return page.Failed("Page Refused by Server", true);
  }

  // The service took the block: the page is sent, whatever the end of the
  // transaction brings.
  page.Write(kEotCr);
  const char* endAnswers[] = {kEscEotCr};
  page.Wait(endAnswers, 1, kTapWait);
  page.Post("Page successfully sent");
  page.HangUp();
  page.Close();
  return SendResult::Sent;
}

SendResult SendNumericPage(CPagerAlert& alert, AlertStatus& status) {
  ModemPage page(alert, status, 260);
  if (!page.Open()) return SendResult::Failed;
  if (page.Stopped()) return page.GiveUp(false);
  if (!page.Initialize()) {
    if (page.Stopped()) return page.GiveUp(false);
    return page.Failed("Error Initializing modem", false);
  }
  if (page.Stopped()) return page.GiveUp(false);

  page.Post("Dialing modem...");
  if (alert.GetNumber() == nullptr || *alert.GetNumber() == '\0' || alert.GetDialString() == nullptr) {
    page.Post("Invalid Profile Configuration. Page Aborted.");
    page.Close();
    return SendResult::Refused;
  }
  const std::string dial = BuildNumericDialString(alert);
  page.Write(dial);
  int wait = alert.GetConnectDelay() > 0 ? alert.GetConnectDelay() : 0;
  if (alert.GetPIN() != nullptr && *alert.GetPIN() != '\0') wait += wait;
  wait += static_cast<int>(dial.size() / 2);
  const char* answers[] = {"OK", "BUSY", "NO DIALTONE", "NO DIAL TONE", "ERROR"};
  page.Wait(answers, 5, Seconds(wait) + 5000);
  if (page.Matched()[0] != '\0') page.InCommandMode();
  if (page.Stopped()) return page.GiveUp(true);

  const char* matched = page.Matched();
  if (std::strcmp(matched, "NO DIALTONE") != 0 && std::strcmp(matched, "NO DIAL TONE") != 0 &&
      std::strcmp(matched, "BUSY") != 0 && std::strcmp(matched, "ERROR") != 0) {
    page.Post("Hanging Up...");
    page.HangUp();
    page.Close();
    page.Post("Numeric page successfully sent");
    return SendResult::Sent;
  }
  char line[300];
  std::snprintf(line, sizeof line, "Error Connecting to Service: %s", matched);
  return page.Failed(line, true);
}
