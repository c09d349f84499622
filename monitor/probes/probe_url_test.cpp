// The URL test against HTTP and HTTPS servers on loopback.
#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "monitor_type.h"
#include "net/http_test_server.h"
#include "probe.h"
#include "probe_test_peers.h"

namespace {

using nettest::Reply;
using nettest::Response;
using nettest::TestServer;

int FetchUrl(const std::string& url, const ProbeOptions& options = {}) {
  ProbeTarget target;
  target.kind = MONITOR_URL;
  target.host = url;
  std::string message = "0 OK";
  const int result = ProbeDevice(target, message, options);
  EXPECT_EQ(message, "0 OK");  // the URL test names no failure
  return result;
}

std::string Url(const TestServer& server, const std::string& path, const char* scheme = "http") {
  return std::string(scheme) + "://127.0.0.1:" + std::to_string(server.port()) + path;
}

TEST(UrlProbe, PageIsUpUnlessItIsTheServersErrorPage) {
  TestServer server([](const std::string& request) {
    if (request.find("GET /error ") == 0) {
      return Reply{Response(200, "OK", "<html><head><title>Error 500</title></head></html>")};
    }
    if (request.find("GET /short ") == 0) return Reply{Response(200, "OK", "ok")};
    if (request.find("GET /moved ") == 0) return Reply{Response(302, "Found", "", "Location: /error\r\n")};
    return Reply{Response(200, "OK", "<html><head><title>Welcome</title></head></html>")};
  });
  EXPECT_EQ(FetchUrl(Url(server, "/page")), 1);
  EXPECT_EQ(FetchUrl(Url(server, "/error")), 0);
  EXPECT_EQ(FetchUrl(Url(server, "/short")), 1);
  EXPECT_EQ(FetchUrl(Url(server, "/moved")), 0);  // followed to the error page

  const std::vector<std::string> requests = server.requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_NE(requests[0].find("Accept: */*\r\n"), std::string::npos);
  EXPECT_NE(requests[0].find("SiteMap"), std::string::npos);
}

TEST(UrlProbe, LongUrlGoesWhole) {
  const std::string path = "/" + std::string(300, 'p') + "?q=" + std::string(200, 'v');
  TestServer server([&path](const std::string& request) {
    const bool whole = request.compare(0, 4 + path.size() + 1, "GET " + path + " ") == 0;
    return Reply{whole ? Response(200, "OK", "<html>whole</html>")
                       : Response(200, "OK", "<html><head><title>Error cut</title></head></html>")};
  });
  EXPECT_EQ(FetchUrl(Url(server, path)), 1);
}

TEST(UrlProbe, NoServerOrNoAnswerIsDown) {
  EXPECT_EQ(FetchUrl("http://127.0.0.1:" + std::to_string(probetest::ClosedPort()) + "/"), 0);
  EXPECT_EQ(FetchUrl("not a url"), 0);

  // A server that never answers, or stops in the middle of the page's start,
  // is cut off at the connect time.
  TestServer silent([](const std::string&) { return Reply{"", true}; });
  ProbeOptions options;
  options.maxConnectTimeMs = 300;
  EXPECT_EQ(FetchUrl(Url(silent, "/"), options), 0);
  TestServer stalled([](const std::string&) {
    return Reply{"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n<html><he", true};
  });
  EXPECT_EQ(FetchUrl(Url(stalled, "/"), options), 0);
}

TEST(UrlProbe, StopEndsAPendingFetch) {
  TestServer silent([](const std::string&) { return Reply{"", true}; });
  ProbeStop stop;
  ProbeOptions options;
  options.maxConnectTimeMs = 600000;  // only the stop can end this one
  options.stop = &stop;
  std::thread stopper([&stop] {
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    stop.Request();
  });
  EXPECT_EQ(FetchUrl(Url(silent, "/"), options), 0);
  stopper.join();
}

class HttpsUrlProbe : public ::testing::Test {
 protected:
  void TearDown() override { unsetenv("QV_CA_FILE"); }
  nettest::TestCertificate cert_{{"127.0.0.1", "localhost"}};
};

TEST_F(HttpsUrlProbe, TrustedCertificateIsUpUnknownAuthorityIsDown) {
  TestServer server([](const std::string&) { return Reply{Response(200, "OK", "<html>secure</html>")}; }, &cert_);
  unsetenv("QV_CA_FILE");
  EXPECT_EQ(FetchUrl(Url(server, "/", "https")), 0);
  setenv("QV_CA_FILE", cert_.pem_path().c_str(), 1);
  EXPECT_EQ(FetchUrl(Url(server, "/", "https")), 1);
}

TEST_F(HttpsUrlProbe, ErrorPageOverTlsIsDown) {
  TestServer server(
      [](const std::string&) { return Reply{Response(404, "Not Found", "<html><head><title>Error 404</title>")}; },
      &cert_);
  setenv("QV_CA_FILE", cert_.pem_path().c_str(), 1);
  EXPECT_EQ(FetchUrl(Url(server, "/missing", "https")), 0);
}

}  // namespace
