// Address lists, header values, dates and the body on the wire.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "smtp_settings.h"
#include "smtp_text.h"

namespace {

using namespace qvui::smtp;

std::string FromBase64(const std::string& text) {
  static const std::string kAlphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  unsigned value = 0;
  int bits = 0;
  for (char c : text) {
    const size_t at = kAlphabet.find(c);
    if (at == std::string::npos) break;
    value = (value << 6) | static_cast<unsigned>(at);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      out += static_cast<char>((value >> bits) & 0xFF);
    }
  }
  return out;
}

// Decodes quoted-printable (CR LF lines) back to text with CR LF line ends.
std::string FromQuotedPrintable(const std::string& text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '=' && text.compare(i + 1, 2, "\r\n") == 0) {
      i += 2;
    } else if (text[i] == '=') {
      out += static_cast<char>(std::stoi(text.substr(i + 1, 2), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

TEST(SmtpTextTest, AddressListsSplitOnSemicolonsAndCommas) {
  EXPECT_EQ(SplitAddresses("a@x.test"), std::vector<std::string>{"a@x.test"});
  EXPECT_EQ(SplitAddresses(" a@x.test ;b@y.test,\tc@z.test ;; , "),
            (std::vector<std::string>{"a@x.test", "b@y.test", "c@z.test"}));
  EXPECT_TRUE(SplitAddresses("").empty());
  EXPECT_TRUE(SplitAddresses(" ; , ").empty());
  EXPECT_TRUE(SplitAddresses(nullptr).empty());
}

TEST(SmtpTextTest, AddressesThatWouldForgeCommandsAreUnusable) {
  EXPECT_TRUE(IsUsableAddress("ops@site.test"));
  EXPECT_TRUE(IsUsableAddress("postmaster"));
  for (const char* bad : {"", "a b@x.test", "a@x.test>", "<a@x.test", "a@x.test\r\nDATA", "a\n@x",
                          "a\x7f@x"}) {
    EXPECT_FALSE(IsUsableAddress(bad)) << bad;
  }
  EXPECT_FALSE(IsUsableAddress(std::string(255, 'a')));
  EXPECT_TRUE(IsUsableHeaderValue("Disk full on C: (95%)"));
  EXPECT_FALSE(IsUsableHeaderValue("a\rb"));
  EXPECT_FALSE(IsUsableHeaderValue("a\nb"));
}

TEST(SmtpTextTest, BodyLinesEndInCrLfAndLeadingDotsAreDoubled) {
  EXPECT_EQ(WireBody("a\nb\r\nc\rd"), "a\r\nb\r\nc\r\nd\r\n");
  EXPECT_EQ(WireBody("a\r\n"), "a\r\n");
  EXPECT_EQ(WireBody(""), "");
  EXPECT_EQ(WireBody("\n\n"), "\r\n\r\n");
  EXPECT_EQ(WireBody(".\n..\n.x\nx."), "..\r\n...\r\n..x\r\nx.\r\n");
  // A lone "." would end the message early; it is doubled too.
  EXPECT_EQ(WireBody("before\r\n.\r\nafter"), "before\r\n..\r\nafter\r\n");
}

TEST(SmtpTextTest, QuotedPrintableKeepsEveryByteAndShortLines) {
  EXPECT_FALSE(NeedsQuotedPrintable("plain text\nwith lines"));
  EXPECT_TRUE(NeedsQuotedPrintable("caf\xe9"));
  EXPECT_TRUE(NeedsQuotedPrintable(std::string(998, 'x')));
  EXPECT_FALSE(NeedsQuotedPrintable(std::string(997, 'x')));

  const std::string text = "caf\xe9 = 5 \n" + std::string(200, 'y') + "\ttrail \n.dot";
  const std::string encoded = QuotedPrintable(text);
  size_t at = 0;
  while (at < encoded.size()) {
    const size_t end = encoded.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LE(end - at, 76u);
    const std::string line = encoded.substr(at, end - at);
    EXPECT_TRUE(line.empty() || (line.back() != ' ' && line.back() != '\t')) << line;
    for (unsigned char c : line) EXPECT_LT(c, 128);
    at = end + 2;
  }
  EXPECT_EQ(FromQuotedPrintable(encoded),
            "caf\xe9 = 5 \r\n" + std::string(200, 'y') + "\ttrail \r\n.dot\r\n");
}

TEST(SmtpTextTest, HeaderTextIsEncodedOnlyWhenItMustBe) {
  EXPECT_EQ(EncodeHeaderText("Server down", "windows-1252"), "Server down");
  const std::string subject = "Serveur arr\xeat\xe9 " + std::string(100, 'z');
  const std::string encoded = EncodeHeaderText(subject, "windows-1252");
  std::string decoded;
  size_t at = 0;
  while ((at = encoded.find("=?windows-1252?B?", at)) != std::string::npos) {
    const size_t start = at + 17;
    const size_t end = encoded.find("?=", start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LE(end + 2 - at, 75u);
    decoded += FromBase64(encoded.substr(start, end - start));
    at = end + 2;
  }
  EXPECT_EQ(decoded, subject);
  for (unsigned char c : encoded) EXPECT_LT(c, 128);
}

TEST(SmtpTextTest, DateFollowsTheMailDateForm) {
  const char* old = std::getenv("TZ");
  const std::string saved = old != nullptr ? old : "";
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(FormatMailDate(1796803387), "Wed, 09 Dec 2026 08:03:07 +0000");
  setenv("TZ", "EST5", 1);
  tzset();
  EXPECT_EQ(FormatMailDate(1796803387), "Wed, 09 Dec 2026 03:03:07 -0500");
  if (old != nullptr) {
    setenv("TZ", saved.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
}

TEST(SmtpTextTest, MessageCarriesItsHeadersAndAnEightBitBodySafely) {
  Message m;
  m.from = "alerts@site.test";
  m.reply_to = "admin@site.test";
  m.recipients = {"a@x.test", "b@y.test"};
  m.subject = "Alert";
  m.body = "Temp\xe9rature\n.";
  m.message_id = MakeMessageId(DomainOf(m.from));
  m.date = 0;
  const std::string wire = WireMessage(m);
  EXPECT_NE(wire.find("Message-ID: " + m.message_id + "\r\n"), std::string::npos);
  EXPECT_EQ(m.message_id.back(), '>');
  EXPECT_NE(m.message_id.find("@site.test>"), std::string::npos);
  EXPECT_NE(wire.find("Content-Transfer-Encoding: quoted-printable\r\n"), std::string::npos);
  EXPECT_NE(wire.find("charset=windows-1252"), std::string::npos);
  EXPECT_NE(wire.find("\r\n\r\nTemp=E9rature\r\n..\r\n"), std::string::npos);
  EXPECT_NE(MakeMessageId("d.test"), MakeMessageId("d.test"));

  // A long recipient list is folded within the line limit.
  m.recipients.assign(40, "someone.with.a.long.name@example.test");
  const std::string folded = WireMessage(m);
  size_t at = 0;
  while (at < folded.size()) {
    const size_t end = folded.find("\r\n", at);
    ASSERT_NE(end, std::string::npos);
    EXPECT_LE(end - at, 998u);
    at = end + 2;
  }
}

TEST(SmtpTextTest, ServerValueGivesHostAndPort) {
  Settings s;
  ParseServer("mail.site.test", &s);
  EXPECT_EQ(s.host, "mail.site.test");
  EXPECT_EQ(s.port, 25u);
  ParseServer(" 10.0.0.5 : 2525 ", &s);
  EXPECT_EQ(s.host, "10.0.0.5");
  EXPECT_EQ(s.port, 2525u);
  for (const char* bad : {"h:", "h:0", "h:65536", "h:-1", "h:12a", "h:123456"}) {
    ParseServer(bad, &s);
    EXPECT_EQ(s.port, 0u) << bad;
  }
}

}  // namespace
