// A simulated Hayes modem on a pseudo terminal, for tests and for trying the
// pager without a modem. The computer side talks to it like a modem on a
// serial line; what it dials reaches a simulated far side: a paging service
// speaking TAP 1.8, or a numeric pager that records the tones it hears.
//
// Commands: AT, ATZ, ATE0/ATE1, ATV1, ATSn=v, AT&Dn, ATD[T|P] with 0-9 # * , ; W,
// ATH[0] (blanks, dashes and brackets in a number are ignored); anything
// else answers ERROR. Results are words (V1) framed by CR LF.
#pragma once

#include <atomic>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace modemsim {

// What answers when a number is dialled.
enum class Answer { Connect, Busy, NoCarrier, NoDialtone, NoDialTone, Silence };
// Who answers a connected call.
enum class FarSide { Tap, Numeric };
// The TAP service's answer to a valid block.
enum class BlockVerdict { Ack, Nak, Rs, Disconnect };

struct NumberPlan {
  // The answer of each call to this number in turn; the last one repeats.
  std::vector<Answer> answers{Answer::Connect};
  FarSide far = FarSide::Tap;
  int crsBeforeId = 0;      // "ID=" after this many CRs (0: at once), -1 never
  std::string password;     // the logon must carry it when `requirePassword`
  bool requirePassword = false;
  BlockVerdict blockVerdict = BlockVerdict::Ack;
  bool answerEot = true;    // EOT CR gets ESC EOT CR (else silence) and the carrier drops
  bool sevenBit = false;    // the line carries 7 bits: the eighth is lost
};

struct Settings {
  std::map<std::string, NumberPlan> numbers;  // by the digits dialled (commas aside)
  NumberPlan otherNumbers;                    // any number not listed
  bool mute = false;                          // answers no command at all
  int carrierWaitMs = 50000;                  // S7
  int commaPauseMs = 2000;                    // S8
  int guardMs = 1000;                         // S12
  int answerDelayMs = 50;                     // from the end of dialling to the answer
  size_t maxDialLength = 60;
};

// One call: what went each way and how it ended.
struct Call {
  std::string dialed;   // the dial string as given (after D and T/P)
  std::string result;   // the modem's answer to the dial ("CONNECT 19200", "BUSY", ...)
  std::string toFar;    // bytes from the computer to the far side
  std::string fromFar;  // bytes from the far side
  std::vector<std::string> verdicts;  // TAP: "logon accepted", "block accepted", "bad checksum", ...
  std::vector<std::pair<std::string, std::string>> pages;  // TAP: accepted (field 1, field 2)
  std::string tones;    // numeric: digits and pauses after the number
  // "escape+ATH" (ATH after a valid escape), "ATH" (hung up from command
  // mode), "DTR" (the computer closed the port), "far end", "aborted" (a byte
  // while dialling), "" while the call lasts or never connected.
  std::string ended;
};

class Modem {
 public:
  explicit Modem(Settings settings);
  ~Modem();
  Modem(const Modem&) = delete;
  Modem& operator=(const Modem&) = delete;

  // A new pseudo terminal whose slave the computer opens; `link` (when not
  // empty) becomes a symbolic link to it. A port closed by the computer counts
  // as DTR dropped.
  bool OpenPty(const std::string& link = "");
  // An existing terminal (such as one end of a socat pair).
  bool OpenDevice(const std::string& path);
  const std::string& SlavePath() const { return m_slave; }

  void Start();
  void Stop();

  std::vector<Call> Calls() const;
  // Every command line the modem took, in order.
  std::vector<std::string> Commands() const;
  // Waits until `count` calls have ended (or `ms` passed); false on time-out.
  bool WaitForEndedCalls(size_t count, int ms) const;

 private:
  enum class Mode { Command, Dialing, Online, OnlineCommand, Voice };
  struct Timer;

  void Run();
  void OnByte(unsigned char c, long long now);
  void OnCommandLine(const std::string& line, long long now);
  bool RunCommands(const std::string& commands, long long now);
  void StartDial(const std::string& dial, long long now);
  void FinishDial(long long now);
  void OnTimers(long long now);
  void OnHangupOfPort();
  void EndCall(const std::string& how);
  void FarReceive(unsigned char c);
  void TapBlock(const std::string& block);
  void FarSend(const std::string& bytes);
  void Send(const std::string& bytes);
  void Result(const std::string& word);
  void ResetRegisters();
  const NumberPlan& PlanFor(const std::string& digits, size_t callIndex, Answer* answer) const;

  Settings m_settings;
  int m_fd = -1;
  bool m_ownPty = false;
  std::string m_slave;
  std::string m_link;
  std::thread m_thread;
  std::atomic<bool> m_running{false};
  int m_wakeFd = -1;

  // The modem thread's state.
  Mode m_mode = Mode::Command;
  bool m_echo = true;
  bool m_dtrHangup = true;  // &D2
  int m_carrierWaitMs = 0;
  int m_commaPauseMs = 0;
  int m_guardMs = 0;
  std::string m_line;
  long long m_dialDoneAt = 0;
  long long m_lastByteAt = 0;
  int m_plusCount = 0;
  long long m_plusAt = 0;
  bool m_portHungUp = false;
  std::map<std::string, size_t> m_callsTo;
  const NumberPlan* m_plan = nullptr;
  Answer m_answer = Answer::Connect;
  bool m_semicolon = false;
  // TAP far side.
  enum class TapState { Prompt, Logon, Ready, Block, Gone };
  TapState m_tap = TapState::Prompt;
  int m_crs = 0;
  std::string m_tapInput;

  mutable std::mutex m_mutex;  // guards the records below
  std::vector<Call> m_calls;
  std::vector<std::string> m_commands;
  size_t m_ended = 0;
};

// TAP's own checksum: the 7-bit values of the characters summed, its low 12
// bits as three characters 0x30 + 4 bits each.
std::string TapRuleChecksum(const std::string& bytes);

}  // namespace modemsim
