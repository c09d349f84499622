// Web paging: the filled template, the requests byte for byte against a
// gateway on loopback, and how each answer is judged.
#include "pager_web.h"

#include <gtest/gtest.h>

#include "alert_senders.h"
#include "net/http_test_server.h"
#include "pager_alert.h"
#include "pager_test_support.h"

namespace {

CPagerAlert WebPager(const std::string& url) {
  CPagerAlert alert;
  alert.SetWebDelivery();
  alert.SetTestMode(true);
  alert.SetWebPageUrl(url.c_str());
  alert.SetPagerID("42");
  alert.SetMessage("Server down");
  return alert;
}

TEST(WebPageTemplate, ValuesAreFilledInOnePassAndFormEncoded) {
  EXPECT_EQ(FormEncode("a&b=c %d+\xc3\xa9"), "a%26b%3Dc+%25d%2B%C3%A9");
  EXPECT_EQ(FormEncode("Az09-._~"), "Az09-._~");

  WebPageTarget target;
  CPagerAlert alert = WebPager("Acme/http://pager.example:8080/page?id=%id%&text=%msg%");
  ASSERT_TRUE(FillWebPageTemplate(alert, &target));
  EXPECT_EQ(target.host, "pager.example");
  EXPECT_EQ(target.port, 8080);
  EXPECT_EQ(target.path, "/page?id=42&text=Server+down");

  // A value that looks like an item is not filled in again; only the first
  // of each item is replaced; numeric pages send the PIN as the id.
  alert.SetMessage("%num% & 100%");
  alert.SetNumber("555 1234");
  alert.SetPIN("77");
  alert.SetNumericMode();
  alert.SetWebPageUrl("Svc/HTTP://host/p?m=%msg%&n=%num%&i=%id%&again=%id%&k=%arg:key=v w%&x=a b");
  ASSERT_TRUE(FillWebPageTemplate(alert, &target));
  EXPECT_EQ(target.port, 80);
  EXPECT_EQ(target.path, "/p?m=%25num%25+%26+100%25&n=555+1234&i=77&again=%id%&k=v+w&x=a+b");

  // "%arg:" without its closing "%" stays as written.
  alert.SetWebPageUrl("Svc/http://host/p?a=%arg:open=1");
  ASSERT_TRUE(FillWebPageTemplate(alert, &target));
  EXPECT_EQ(target.path, "/p?a=%arg:open=1");

  for (const char* bad : {"Svc/ftp://host/p", "Svc/http:///p", "Svc/http://host", "Svc/http://host:0/p",
                          "Svc/http://host:99999/p", ""}) {
    alert.SetWebPageUrl(bad);
    EXPECT_FALSE(FillWebPageTemplate(alert, &target)) << bad;
  }
}

TEST(WebPageTemplate, PostWhenThePathHoldsTwoQuestionMarks) {
  WebPageTarget target{"gw.example", 80, "/send??pin=42&msg=Server+down"};
  EXPECT_EQ(BuildWebPageRequest(target),
            "POST /send HTTP/1.0\r\nUser-Agent: Quorvane Monitoring and Alerting\r\nHost: gw.example\r\n"
            "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: 22\r\nAccept: */*\r\n\r\n"
            "pin=42&msg=Server+down\r\n");
  EXPECT_TRUE(IsWebPageAccepted("HTTP/1.0 302 Found", 18));
  EXPECT_TRUE(IsWebPageAccepted("http/1.1 200 OK", 15));
  EXPECT_FALSE(IsWebPageAccepted("HTTP/1.0 404 Not Found", 22));
  EXPECT_FALSE(IsWebPageAccepted("HTTP/", 5));
}

class WebPageSend : public ::testing::Test {
 protected:
  void SetUp() override {
    ResetAlertSenders();
    SetWebPageStepLimit(1500);
  }
  void TearDown() override { SetWebPageStepLimit(0); }
  pagertest::StatusLines status_;
};

TEST_F(WebPageSend, GetRequestIsByteExactAndARedirectCountsAsSent) {
  nettest::TestServer server([](const std::string&) { return nettest::Reply{"HTTP/1.0 302 Found\r\n\r\n"}; });
  CPagerAlert alert =
      WebPager("Acme/http://localhost:" + std::to_string(server.port()) + "/page?id=%id%&text=%msg%");
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  ASSERT_EQ(server.requests().size(), 1u);
  EXPECT_EQ(server.requests()[0],
            "GET /page?id=42&text=Server+down HTTP/1.0\r\nUser-Agent: Quorvane Monitoring and Alerting\r\n"
            "Host: localhost\r\nAccept: */*\r\n\r\n");
  EXPECT_EQ(pagertest::StatusLines::Lines(),
            (std::vector<std::string>{"1 Generating Pager alert...", "1 Initializing", "1 Resolving Host Address",
                                      "1 Connecting to Host", "1 Sending Request to Host",
                                      "1 Waiting for Response from Host", "1 Web Page successfully sent.",
                                      "1 Pager alert done."}));
}

TEST_F(WebPageSend, PostCarriesItsBodyWithItsLength) {
  nettest::TestServer server([](const std::string&) { return nettest::Reply{nettest::Response(200, "OK", "ok")}; });
  CPagerAlert alert = WebPager("Acme/http://127.0.0.1:" + std::to_string(server.port()) + "/send??pin=%id%&m=%msg%");
  EXPECT_EQ(alert.Deliver(), SendResult::Sent);
  ASSERT_EQ(server.requests().size(), 1u);
  const std::string request = server.requests()[0];
  EXPECT_EQ(request.substr(0, request.find("\r\n")), "POST /send HTTP/1.0");
  EXPECT_NE(request.find("\r\nContent-Length: 20\r\n"), std::string::npos);
  EXPECT_NE(request.find("\r\n\r\npin=42&m=Server+down"), std::string::npos);
}

TEST_F(WebPageSend, RefusalsShortAnswersSilenceAndBadAddressesFail) {
  struct Case {
    nettest::Reply reply;
    const char* error;
  } cases[] = {
      {{"HTTP/1.0 404 Not Found\r\n\r\n"}, "3 Unknown response from Host"},
      {{"HTTP/"}, "3 Unknown response from Host"},
      {{"", true}, "3 Host did not answer"},
  };
  for (const Case& c : cases) {
    nettest::TestServer server([&](const std::string&) { return c.reply; });
    CPagerAlert alert = WebPager("Acme/http://127.0.0.1:" + std::to_string(server.port()) + "/p?m=%msg%");
    pagertest::StatusLines::Clear();
    EXPECT_EQ(alert.Deliver(), SendResult::Failed);
    const auto lines = pagertest::StatusLines::Lines();
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[lines.size() - 2], c.error);
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(), [](const std::string& l) { return l[0] == '3'; }), 1);
  }

  // No "http://": refused before any traffic.
  pagertest::StatusLines::Clear();
  CPagerAlert alert = WebPager("Acme/www.example.org/page");
  EXPECT_EQ(alert.Deliver(), SendResult::Failed);
  EXPECT_EQ(pagertest::StatusLines::Lines(),
            (std::vector<std::string>{"1 Generating Pager alert...", "1 Initializing", "3 Invalid Address",
                                      "1 Pager alert done."}));

  // A cancelled test stops before connecting.
  pagertest::StatusLines::Clear();
  SetAlertTestCancelled(true);
  CPagerAlert cancelled = WebPager("Acme/http://127.0.0.1:9/p");
  EXPECT_EQ(cancelled.Deliver(), SendResult::Failed);
  EXPECT_EQ(pagertest::StatusLines::Lines()[2], "3 Aborted");
  SetAlertTestCancelled(false);
}

}  // namespace
