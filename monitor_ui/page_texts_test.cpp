// Connection strings the ODBC page reads and web paging requests the pager
// dialog edits.
#include <gtest/gtest.h>

#include "connection_text.h"
#include "web_pager_text.h"

namespace {

TEST(ConnectionTextTest, KeysAreWholeAndBracedValuesStayWhole) {
  const std::string text = "FILEDSN=c:\\x.dsn;DSN=Sales;UID={a;b}}c};pwd=secret";
  std::string value;
  ASSERT_TRUE(ConnectionValue(text, "DSN", &value));
  EXPECT_EQ(value, "Sales");
  ASSERT_TRUE(ConnectionValue(text, "UID", &value));
  EXPECT_EQ(value, "a;b}c");
  ASSERT_TRUE(ConnectionValue(text, "PWD", &value));
  EXPECT_EQ(value, "secret");
  EXPECT_FALSE(ConnectionValue("FILEDSN=x", "DSN", &value));
  EXPECT_FALSE(ConnectionValue("", "DSN", &value));
  ASSERT_TRUE(ConnectionValue("DSN=", "DSN", &value));
  EXPECT_EQ(value, "");
}

TEST(WebPagerTextTest, ArgumentsAreReadAndOnlyTheirValuesReplaced) {
  const std::string url = "SkyPage/http://pager.example/send?%arg:pin=123%&%arg:msg=hello%&x=%y";
  EXPECT_EQ(WebServiceName(url), "SkyPage");
  std::string request = WebRequest(url);
  EXPECT_EQ(request, "http://pager.example/send?%arg:pin=123%&%arg:msg=hello%&x=%y");
  const std::vector<WebArgument> arguments = WebArguments(request);
  ASSERT_EQ(arguments.size(), 2u);
  EXPECT_EQ(arguments[0].name, "pin");
  EXPECT_EQ(arguments[0].value, "123");
  EXPECT_EQ(arguments[1].name, "msg");
  EXPECT_TRUE(ReplaceWebArgument(request, "msg", "bye"));
  EXPECT_TRUE(ReplaceWebArgument(request, "pin", ""));
  EXPECT_FALSE(ReplaceWebArgument(request, "none", "x"));
  EXPECT_EQ(request, "http://pager.example/send?%arg:pin=%&%arg:msg=bye%&x=%y");
  EXPECT_EQ(WebServiceName("NoSlash"), "NoSlash");
  EXPECT_EQ(WebRequest("NoSlash"), "");
}

TEST(WebPagerTextTest, NineArgumentsAreAllFound) {
  std::string request;
  for (int i = 0; i < 9; ++i) request += "%arg:a" + std::to_string(i) + "=v%&";
  EXPECT_EQ(WebArguments(request).size(), 9u);
}

}  // namespace
