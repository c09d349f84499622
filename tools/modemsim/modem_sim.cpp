// The simulated modem: a command interpreter, a dialler with its timing, the
// escape sequence with its guard times, and the far sides of a call.
#include "modem_sim.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/eventfd.h>
#include <termios.h>
#include <unistd.h>

#include <cctype>
#include <chrono>
#include <cstring>

namespace modemsim {

namespace {

constexpr char kStx = 2;
constexpr char kEtx = 3;
constexpr char kEot = 4;
constexpr char kAck = 6;
constexpr char kNak = 21;
constexpr char kRs = 30;
constexpr char kEsc = 27;
constexpr size_t kMaxBlock = 256;
constexpr size_t kMaxPagerId = 16;
constexpr size_t kMaxField = 240;

long long NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void MakeRaw(int fd) {
  termios t{};
  if (tcgetattr(fd, &t) != 0) return;
  cfmakeraw(&t);
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  tcsetattr(fd, TCSANOW, &t);
}

std::string Digits(const std::string& dial) {
  std::string out;
  for (const char c : dial) {
    if (std::isdigit(static_cast<unsigned char>(c)) || c == '#' || c == '*') out += c;
  }
  return out;
}

}  // namespace

std::string TapRuleChecksum(const std::string& bytes) {
  unsigned sum = 0;
  for (const char c : bytes) sum += static_cast<unsigned char>(c) & 0x7Fu;
  std::string out(3, '0');
  out[0] = static_cast<char>(0x30 + ((sum >> 8) & 0x0F));
  out[1] = static_cast<char>(0x30 + ((sum >> 4) & 0x0F));
  out[2] = static_cast<char>(0x30 + (sum & 0x0F));
  return out;
}

Modem::Modem(Settings settings) : m_settings(std::move(settings)) {
  m_wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
  ResetRegisters();
}

Modem::~Modem() {
  Stop();
  if (m_fd >= 0) ::close(m_fd);
  if (m_wakeFd >= 0) ::close(m_wakeFd);
  if (!m_link.empty()) ::unlink(m_link.c_str());
}

bool Modem::OpenPty(const std::string& link) {
  m_fd = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (m_fd < 0 || grantpt(m_fd) != 0 || unlockpt(m_fd) != 0) return false;
  const char* name = ptsname(m_fd);
  if (name == nullptr) return false;
  m_slave = name;
  m_ownPty = true;
  // The slave starts raw, so that whoever opens it sees bytes unchanged.
  const int slave = ::open(m_slave.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave >= 0) {
    MakeRaw(slave);
    ::close(slave);
  }
  if (!link.empty()) {
    ::unlink(link.c_str());
    if (::symlink(m_slave.c_str(), link.c_str()) != 0) return false;
    m_link = link;
  }
  return true;
}

bool Modem::OpenDevice(const std::string& path) {
  m_fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC | O_NONBLOCK);
  if (m_fd < 0) return false;
  MakeRaw(m_fd);
  m_slave = path;
  return true;
}

void Modem::Start() {
  if (m_running.exchange(true)) return;
  m_thread = std::thread([this] { Run(); });
}

void Modem::Stop() {
  if (!m_running.exchange(false)) return;
  const uint64_t one = 1;
  [[maybe_unused]] const ssize_t put = ::write(m_wakeFd, &one, sizeof one);
  m_thread.join();
  if (m_mode != Mode::Command && m_mode != Mode::Dialing) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_calls.empty() && m_calls.back().ended.empty()) {
      m_calls.back().ended = "off-hook";
      ++m_ended;
    }
  }
}

std::vector<Call> Modem::Calls() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_calls;
}

std::vector<std::string> Modem::Commands() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_commands;
}

bool Modem::WaitForEndedCalls(size_t count, int ms) const {
  const long long end = NowMs() + ms;
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_ended >= count) return true;
    }
    if (NowMs() >= end) return false;
    ::usleep(10000);
  }
}

void Modem::ResetRegisters() {
  m_echo = true;
  m_dtrHangup = true;
  m_carrierWaitMs = m_settings.carrierWaitMs;
  m_commaPauseMs = m_settings.commaPauseMs;
  m_guardMs = m_settings.guardMs;
}

void Modem::Send(const std::string& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t put = ::write(m_fd, bytes.data() + done, bytes.size() - done);
    if (put > 0) {
      done += static_cast<size_t>(put);
      continue;
    }
    if (put < 0 && errno == EINTR) continue;
    if (put < 0 && errno == EAGAIN) {
      pollfd p{m_fd, POLLOUT, 0};
      if (::poll(&p, 1, 1000) > 0 && (p.revents & POLLOUT) != 0) continue;
    }
    return;  // nobody listens: the bytes are lost, as on a line without a peer
  }
}

void Modem::Result(const std::string& word) { Send("\r\n" + word + "\r\n"); }

void Modem::FarSend(const std::string& bytes) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_calls.empty()) m_calls.back().fromFar += bytes;
  }
  Send(bytes);
}

void Modem::EndCall(const std::string& how) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_calls.empty() && m_calls.back().ended.empty()) {
      m_calls.back().ended = how;
      ++m_ended;
    }
  }
  m_mode = Mode::Command;
  m_plan = nullptr;
  m_plusCount = 0;
  m_line.clear();
}

const NumberPlan& Modem::PlanFor(const std::string& digits, size_t callIndex, Answer* answer) const {
  const NumberPlan* plan = &m_settings.otherNumbers;
  for (const auto& [number, candidate] : m_settings.numbers) {
    if (!number.empty() && digits.find(number) != std::string::npos) {
      plan = &candidate;
      break;
    }
  }
  if (plan->answers.empty()) {
    *answer = Answer::Connect;
  } else {
    *answer = plan->answers[callIndex < plan->answers.size() ? callIndex : plan->answers.size() - 1];
  }
  return *plan;
}

void Modem::StartDial(const std::string& dial, long long now) {
  const std::string digits = Digits(dial);
  std::string key = digits;
  for (const auto& entry : m_settings.numbers) {
    if (digits.find(entry.first) != std::string::npos) key = entry.first;
  }
  const size_t index = m_callsTo[key]++;
  m_plan = &PlanFor(digits, index, &m_answer);
  Call call;
  call.dialed = dial;
  // The tones after the number: for a numeric far side, what the pager hears.
  const size_t at = key.empty() ? std::string::npos : dial.find(key);
  if (at != std::string::npos) {
    size_t after = at;
    for (size_t matched = 0; after < dial.size() && matched < key.size(); ++after) {
      if (dial[after] != ',') ++matched;
    }
    call.tones = dial.substr(after);
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.push_back(call);
  }
  long long pauses = 0;
  for (const char c : dial) {
    if (c == ',') pauses += m_commaPauseMs;
  }
  m_semicolon = !dial.empty() && dial.back() == ';';
  m_dialDoneAt = now + pauses + m_settings.answerDelayMs;
  m_mode = Mode::Dialing;
}

void Modem::FinishDial(long long now) {
  std::string word;
  switch (m_answer) {
    case Answer::Busy: word = "BUSY"; break;
    case Answer::NoDialtone: word = "NO DIALTONE"; break;
    case Answer::NoDialTone: word = "NO DIAL TONE"; break;
    case Answer::NoCarrier:
      if (now < m_dialDoneAt + m_carrierWaitMs) return;  // waits S7 for a carrier
      word = "NO CARRIER";
      break;
    case Answer::Silence: return;  // rings on and on
    case Answer::Connect:
      if (m_plan->far == FarSide::Numeric || m_semicolon) {
        // A voice call: the tones are out, the modem stays off hook in
        // command mode.
        word = "OK";
        break;
      }
      word = "CONNECT 19200";
      break;
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.back().result = word;
  }
  Result(word);
  if (word == "CONNECT 19200") {
    m_mode = Mode::Online;
    m_lastByteAt = now;
    m_plusCount = 0;
    m_tap = TapState::Prompt;
    m_crs = 0;
    m_tapInput.clear();
    if (m_plan->crsBeforeId == 0) {
      FarSend("ID=");
      m_tap = TapState::Logon;
    }
  } else if (word == "OK") {
    m_mode = Mode::Voice;
  } else {
    EndCall("not connected");
  }
}

bool Modem::RunCommands(const std::string& commands, long long now) {
  size_t i = 0;
  auto number = [&](int fallback) {
    if (i >= commands.size() || !std::isdigit(static_cast<unsigned char>(commands[i]))) return fallback;
    int value = 0;
    while (i < commands.size() && std::isdigit(static_cast<unsigned char>(commands[i])) && value < 100000) {
      value = value * 10 + (commands[i++] - '0');
    }
    return value;
  };
  while (i < commands.size()) {
    const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(commands[i++])));
    switch (c) {
      case ' ': break;
      case 'Z':
        ResetRegisters();
        if (m_mode == Mode::Voice || m_mode == Mode::OnlineCommand) EndCall("ATZ");
        break;
      case 'E': m_echo = number(0) != 0; break;
      case 'V':
        if (number(0) != 1) return false;  // words only
        break;
      case 'H': {
        if (number(0) != 0) return false;
        if (m_mode == Mode::OnlineCommand) {
          EndCall("escape+ATH");
        } else if (m_mode == Mode::Voice) {
          EndCall("ATH");
        }
        break;
      }
      case '&': {
        if (i >= commands.size() || std::toupper(static_cast<unsigned char>(commands[i])) != 'D') return false;
        ++i;
        const int value = number(0);
        if (value > 3) return false;
        m_dtrHangup = value >= 2;
        break;
      }
      case 'S': {
        const int reg = number(-1);
        if (reg < 0 || i >= commands.size() || commands[i] != '=') return false;
        ++i;
        const int value = number(-1);
        if (value < 0 || value > 255) return false;
        if (reg == 7) m_carrierWaitMs = value * 1000;
        if (reg == 8) m_commaPauseMs = value * 1000;
        if (reg == 12) m_guardMs = value * 20;
        break;
      }
      case 'D': {
        if (m_mode != Mode::Command) return false;
        std::string dial = commands.substr(i);
        if (!dial.empty() && (std::toupper(static_cast<unsigned char>(dial[0])) == 'T' ||
                              std::toupper(static_cast<unsigned char>(dial[0])) == 'P')) {
          dial.erase(0, 1);
        }
        // Blanks, dashes and brackets only make a number readable.
        std::string kept;
        for (const char d : dial) {
          if (std::strchr(" -()", d) != nullptr) continue;
          if (!std::isdigit(static_cast<unsigned char>(d)) && std::strchr("#*,;Ww", d) == nullptr) return false;
          kept += d;
        }
        dial = kept;
        if (dial.size() > m_settings.maxDialLength) return false;
        StartDial(dial, now);
        return true;
      }
      default: return false;
    }
  }
  return true;
}

void Modem::OnCommandLine(const std::string& line, long long now) {
  // Whatever comes before "AT" is noise on the line.
  size_t at = std::string::npos;
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    if (std::toupper(static_cast<unsigned char>(line[i])) == 'A' &&
        std::toupper(static_cast<unsigned char>(line[i + 1])) == 'T') {
      at = i;
      break;
    }
  }
  if (at == std::string::npos) return;
  const std::string commands = line.substr(at + 2);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_commands.push_back(line.substr(at));
  }
  if (m_settings.mute) return;
  if (!RunCommands(commands, now)) {
    Result("ERROR");
    return;
  }
  if (m_mode != Mode::Dialing) Result("OK");
}

void Modem::OnByte(unsigned char c, long long now) {
  const long long quietBefore = now - m_lastByteAt;
  m_lastByteAt = now;
  switch (m_mode) {
    case Mode::Dialing:
      // Any byte while dialling abandons the call.
      EndCall("aborted");
      {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_calls.back().result = "NO CARRIER";
      }
      Result("NO CARRIER");
      return;
    case Mode::Online: {
      if (c == '+' && (m_plusCount > 0 || quietBefore >= m_guardMs) && m_plusCount < 3) {
        // Held back: an escape if the guard silence follows.
        if (m_plusCount == 0) m_plusAt = now;
        ++m_plusCount;
        return;
      }
      if (m_plusCount > 0) {
        const int held = m_plusCount;
        m_plusCount = 0;
        for (int i = 0; i < held; ++i) FarReceive('+');
      }
      FarReceive(c);
      return;
    }
    case Mode::Command:
    case Mode::OnlineCommand:
    case Mode::Voice:
      if (m_echo) Send(std::string(1, static_cast<char>(c)));
      if (c == '\r') {
        const std::string line = m_line;
        m_line.clear();
        OnCommandLine(line, now);
      } else if (c != '\n') {
        if (m_line.size() < 512) m_line += static_cast<char>(c);
      }
      return;
  }
}

void Modem::OnTimers(long long now) {
  if (m_mode == Mode::Dialing && now >= m_dialDoneAt) FinishDial(now);
  if (m_mode == Mode::Online && m_plusCount == 3 && now - m_lastByteAt >= m_guardMs) {
    m_plusCount = 0;
    m_mode = Mode::OnlineCommand;
    Result("OK");
  }
}

void Modem::OnHangupOfPort() {
  if (m_portHungUp) return;
  m_portHungUp = true;
  // The computer closed the port: DTR dropped.
  if (m_dtrHangup && (m_mode == Mode::Online || m_mode == Mode::OnlineCommand || m_mode == Mode::Voice ||
                      m_mode == Mode::Dialing)) {
    EndCall("DTR");
  }
  m_line.clear();
}

void Modem::FarReceive(unsigned char c) {
  if (m_plan == nullptr) return;
  if (m_plan->sevenBit) c &= 0x7F;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.back().toFar += static_cast<char>(c);
  }
  auto verdict = [&](const std::string& text) {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.back().verdicts.push_back(text);
  };
  switch (m_tap) {
    case TapState::Prompt:
      if (c == '\r' && m_plan->crsBeforeId > 0 && ++m_crs >= m_plan->crsBeforeId) {
        FarSend("ID=");
        m_tap = TapState::Logon;
      }
      return;
    case TapState::Gone: return;
    case TapState::Logon:
      if (c == '\r' && m_tapInput.empty()) {
        FarSend("ID=");  // a CR asks again
        return;
      }
      m_tapInput += static_cast<char>(c);
      if (c != '\r') {
        if (m_tapInput.size() > 64) m_tapInput.clear();
        return;
      }
      {
        const std::string logon = m_tapInput;
        m_tapInput.clear();
        const size_t start = logon.find(std::string(1, kEsc) + "PG1");
        if (start == std::string::npos) {
          verdict("bad logon");
          FarSend(std::string("\r") + kNak + "\r");
          return;
        }
        const std::string password = logon.substr(start + 4, logon.size() - start - 5);
        if (m_plan->requirePassword && password != m_plan->password) {
          verdict("logon refused");
          FarSend(std::string("\r") + kNak + "\r");
          return;
        }
        verdict("logon accepted");
        FarSend(std::string("110 1.8\r") + kAck + "\r" + kEsc + "[p\r");
        m_tap = TapState::Ready;
      }
      return;
    case TapState::Ready:
      if (c == kStx) {
        m_tapInput.assign(1, kStx);
        m_tap = TapState::Block;
        return;
      }
      m_tapInput += static_cast<char>(c);
      if (m_tapInput.size() >= 2 && m_tapInput.compare(m_tapInput.size() - 2, 2, std::string(1, kEot) + "\r") == 0) {
        verdict("end of transaction");
        m_tap = TapState::Gone;
        if (m_plan->answerEot) {
          FarSend(std::string(1, kEsc) + kEot + "\r");
          Result("NO CARRIER");
          EndCall("far end");
        }
        return;
      }
      if (m_tapInput.size() > 64) m_tapInput.clear();
      return;
    case TapState::Block:
      m_tapInput += static_cast<char>(c);
      if (m_tapInput.size() > kMaxBlock + 8) {
        verdict("block too long");
        FarSend(std::string("\r") + kNak + "\r");
        m_tapInput.clear();
        m_tap = TapState::Ready;
        return;
      }
      // STX ... ETX c c c CR
      if (c == '\r' && m_tapInput.size() >= 5 && m_tapInput[m_tapInput.size() - 5] == kEtx) {
        const std::string block = m_tapInput;
        m_tapInput.clear();
        m_tap = TapState::Ready;
        TapBlock(block);
      }
      return;
  }
}

void Modem::TapBlock(const std::string& block) {
  auto refuse = [&](const std::string& why) {
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      m_calls.back().verdicts.push_back(why);
    }
    FarSend(std::string("\r") + kNak + "\r");
  };
  const size_t etx = block.size() - 5;
  if (block.size() > kMaxBlock) return refuse("block too long");
  if (TapRuleChecksum(block.substr(0, etx + 1)) != block.substr(etx + 1, 3)) return refuse("bad checksum");
  const std::string fields = block.substr(1, etx - 1);  // field 1 CR field 2 CR
  const size_t firstCr = fields.find('\r');
  if (firstCr == std::string::npos || fields.empty() || fields.back() != '\r') return refuse("bad framing");
  const std::string id = fields.substr(0, firstCr);
  const std::string text = fields.substr(firstCr + 1, fields.size() - firstCr - 2);
  if (id.empty() || id.size() > kMaxPagerId) return refuse("bad field length");
  for (const char c : id) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return refuse("field 1 not digits");
  }
  if (text.size() > kMaxField || text.find('\r') != std::string::npos) return refuse("bad field length");
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_calls.back().verdicts.push_back("block accepted");
    m_calls.back().pages.emplace_back(id, text);
  }
  switch (m_plan->blockVerdict) {
    case BlockVerdict::Ack: FarSend(std::string("211 Page(s) Sent\r") + kAck + "\r"); break;
    case BlockVerdict::Nak: FarSend(std::string("\r") + kNak + "\r"); break;
    case BlockVerdict::Rs: FarSend(std::string("\r") + kRs + "\r"); break;
    case BlockVerdict::Disconnect:
      FarSend(std::string(1, kEsc) + kEot + "\r");
      m_tap = TapState::Gone;
      Result("NO CARRIER");
      EndCall("far end");
      break;
  }
}

void Modem::Run() {
  for (;;) {
    if (!m_running.load()) return;
    const long long now = NowMs();
    OnTimers(now);
    int timeout = 50;
    if (m_mode == Mode::Dialing && m_dialDoneAt > now) {
      timeout = static_cast<int>(std::min<long long>(m_dialDoneAt - now, 50));
    }
    pollfd fds[2] = {{m_fd, POLLIN, 0}, {m_wakeFd, POLLIN, 0}};
    const int ready = ::poll(fds, 2, timeout);
    if (ready <= 0) continue;
    if (fds[1].revents & POLLIN) continue;  // Stop
    if (fds[0].revents & POLLIN) {
      unsigned char buffer[512];
      const ssize_t got = ::read(m_fd, buffer, sizeof buffer);
      if (got > 0) {
        m_portHungUp = false;
        for (ssize_t i = 0; i < got; ++i) OnByte(buffer[i], NowMs());
        continue;
      }
    }
    if (fds[0].revents & (POLLHUP | POLLERR | POLLIN)) {
      // Nobody has the port open.
      if (m_ownPty) OnHangupOfPort();
      ::usleep(20000);
    }
  }
}

}  // namespace modemsim
