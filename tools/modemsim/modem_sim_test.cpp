// The simulated modem's own rules: escape guard times, aborts while
// dialling, refused commands, the port closing as a DTR drop, and TAP's
// checks of a block.
#include "modem_sim.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <termios.h>
#include <unistd.h>

#include <string>

namespace {

class Line {
 public:
  explicit Line(const std::string& path) {
    fd_ = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
    termios t{};
    tcgetattr(fd_, &t);
    cfmakeraw(&t);
    tcsetattr(fd_, TCSANOW, &t);
  }
  ~Line() { Close(); }
  void Close() {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
  }
  bool ok() const { return fd_ >= 0; }
  void Send(const std::string& bytes) { [[maybe_unused]] ssize_t n = ::write(fd_, bytes.data(), bytes.size()); }
  // Reads until `text` came (or a long time passed).
  std::string Until(const std::string& text) {
    for (int rounds = 0; rounds < 200 && got_.find(text) == std::string::npos; ++rounds) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 50) > 0) {
        char buffer[256];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) got_.append(buffer, static_cast<size_t>(n));
      }
    }
    std::string all;
    all.swap(got_);
    return all;
  }

 private:
  int fd_ = -1;
  std::string got_;
};

class ModemSimTest : public ::testing::Test {
 protected:
  void Start() {
    modem_ = std::make_unique<modemsim::Modem>(settings_);
    ASSERT_TRUE(modem_->OpenPty());
    modem_->Start();
    line_ = std::make_unique<Line>(modem_->SlavePath());
    ASSERT_TRUE(line_->ok());
  }
  void TearDown() override {
    line_.reset();
    if (modem_) modem_->Stop();
  }
  modemsim::Settings settings_;
  std::unique_ptr<modemsim::Modem> modem_;
  std::unique_ptr<Line> line_;
};

TEST_F(ModemSimTest, CommandsAndRefusals) {
  settings_.maxDialLength = 8;
  Start();
  line_->Send("ATZ\r");
  EXPECT_NE(line_->Until("OK\r\n").find("ATZ\r\r\nOK\r\n"), std::string::npos);  // echoed, then the word
  line_->Send("ATS7=5S8=1&D2V1\r");
  EXPECT_NE(line_->Until("\r\n").find("OK"), std::string::npos);
  line_->Send("ATX4\r");
  EXPECT_NE(line_->Until("ERROR\r\n").find("ERROR"), std::string::npos);
  line_->Send("ATDT123456789\r");  // longer than the modem takes
  EXPECT_NE(line_->Until("ERROR\r\n").find("ERROR"), std::string::npos);
  EXPECT_TRUE(modem_->Calls().empty());
}

TEST_F(ModemSimTest, AByteWhileDiallingAbandonsTheCall) {
  settings_.otherNumbers.answers = {modemsim::Answer::Silence};
  Start();
  line_->Send("ATDT5551234\r");
  line_->Until("ATDT5551234\r");
  line_->Send("x");
  EXPECT_NE(line_->Until("NO CARRIER\r\n").find("NO CARRIER"), std::string::npos);
  ASSERT_TRUE(modem_->WaitForEndedCalls(1, 10000));
  EXPECT_EQ(modem_->Calls()[0].ended, "aborted");
}

TEST_F(ModemSimTest, OnlyAGuardedEscapeReachesCommandMode) {
  settings_.guardMs = 200;
  Start();
  line_->Send("ATDT5551234\r");
  EXPECT_NE(line_->Until("ID=").find("CONNECT 19200"), std::string::npos);
  usleep(300000);
  line_->Send("+++\r");  // the CR right after makes it data
  usleep(400000);
  line_->Send("+++");
  EXPECT_NE(line_->Until("OK\r\n").find("OK"), std::string::npos);
  line_->Send("ATH0\r");
  line_->Until("OK\r\n");
  ASSERT_TRUE(modem_->WaitForEndedCalls(1, 10000));
  const modemsim::Call call = modem_->Calls()[0];
  EXPECT_EQ(call.toFar, "+++\r");
  EXPECT_EQ(call.ended, "escape+ATH");
}

TEST_F(ModemSimTest, ClosingThePortDropsTheCall) {
  Start();
  line_->Send("ATDT5551234\r");
  line_->Until("ID=");
  line_->Close();
  ASSERT_TRUE(modem_->WaitForEndedCalls(1, 10000));
  EXPECT_EQ(modem_->Calls()[0].ended, "DTR");
}

TEST_F(ModemSimTest, TheServiceChecksEachBlock) {
  Start();
  line_->Send("ATDT5551234\r");
  line_->Until("ID=");
  line_->Send("\x1bPG1\r");
  line_->Until("\x1b[p\r");
  const std::string good = std::string("\x02") + "123\rHello\r\x03";
  line_->Send(good + modemsim::TapRuleChecksum(good) + "\r");
  EXPECT_NE(line_->Until("\x06\r").find("211 Page(s) Sent\r\x06\r"), std::string::npos);
  line_->Send(good + "000\r");
  EXPECT_NE(line_->Until("\x15\r").find("\x15\r"), std::string::npos);
  const std::string letters = std::string("\x02") + "12a\rHello\r\x03";
  line_->Send(letters + modemsim::TapRuleChecksum(letters) + "\r");
  line_->Until("\x15\r");
  line_->Send("\x04\r");
  EXPECT_NE(line_->Until("NO CARRIER").find("\x1b\x04\r"), std::string::npos);
  ASSERT_TRUE(modem_->WaitForEndedCalls(1, 10000));
  const modemsim::Call call = modem_->Calls()[0];
  EXPECT_EQ(call.verdicts, (std::vector<std::string>{"logon accepted", "block accepted", "bad checksum",
                                                     "field 1 not digits", "end of transaction"}));
  EXPECT_EQ(call.ended, "far end");
}

}  // namespace
