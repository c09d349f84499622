// The access log's lines.
#include <gtest/gtest.h>

#include "access_log.h"

namespace {

std::tm When() {
  std::tm t{};
  t.tm_mday = 5;
  t.tm_mon = 1;
  t.tm_year = 126;
  t.tm_hour = 7;
  t.tm_min = 3;
  t.tm_sec = 9;
  return t;
}

TEST(AccessLog, TheLineHasItsFormAndNoPassword) {
  const uint32_t address = 0x0401a8c0;  // 192.168.1.4 in network order
  EXPECT_EQ(FormatAccessLine(address, "", When(), "\\default.htm", "", 200),
            "192.168.1.4 - - [5/Feb/2026:7:3:9] \"GET \\default.htm HTTP/1.0\" 200 0\r\n");
  EXPECT_EQ(FormatAccessLine(address, "ann", When(), "\\logon.htm", "Username=ann&Password=s3cret&x=1", 301),
            "192.168.1.4 - ann [5/Feb/2026:7:3:9] \"GET \\logon.htm?Username=ann&Password=&x=1 HTTP/1.0\" 301 0\r\n");
  const std::string cut =
      FormatAccessLine(address, "ann", When(), "", "MailPassword=a;HTTPProxyPASSWORD=b c&PASSWORD=d\"e", 404);
  EXPECT_EQ(cut.find('a', cut.find("MailPassword=")), cut.find("MailPassword=") + 1);  // the 'a' of "assword"
  for (const char* secret : {"=a;", "=b", "=d"}) EXPECT_EQ(cut.find(secret), std::string::npos) << cut;
  // Nothing the client sent breaks the line or its quotes.
  const std::string odd = FormatAccessLine(address, "x\r\ny", When(), "\\a\"b", "q=\r\n\x01", 404);
  EXPECT_EQ(odd.find('\n'), odd.size() - 1);
  EXPECT_NE(odd.find("x\\x0D\\x0Ay"), std::string::npos) << odd;
  EXPECT_NE(odd.find("\\a\\x22b?q=\\x0D\\x0A\\x01 "), std::string::npos) << odd;
}

}  // namespace
