#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>

#include "net/http_test_server.h"
#include "net/inet_handles.h"
#include "qvplatform.h"

namespace {

using nettest::Reply;
using nettest::Response;
using nettest::TestCertificate;
using nettest::TestServer;

// Path of the request line ("GET /x HTTP/1.1" -> "/x").
std::string PathOf(const std::string& request) {
  size_t sp = request.find(' ');
  return request.substr(sp + 1, request.find(' ', sp + 1) - sp - 1);
}

// The site most tests fetch from.
Reply Site(const std::string& request) {
  std::string path = PathOf(request);
  if (path == "/len") return {Response(200, "OK", "hello, world", "Content-Type: text/plain\r\n")};
  if (path == "/chunked") {
    return {"HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n5\r\nhello\r\n7\r\n, world\r\n0\r\n\r\n"};
  }
  if (path == "/close") return {"HTTP/1.0 200 OK\r\n\r\nup to the close"};
  if (path == "/hop1") return {Response(302, "Found", "", "Location: /hop2\r\n")};
  if (path == "/hop2") return {Response(301, "Moved", "", "Location: hop3?x=1\r\n")};
  if (path == "/hop3?x=1") return {Response(307, "Temporary", "", "Location: /len\r\n")};
  if (path == "/loop") return {Response(302, "Found", "", "Location: /loop\r\n")};
  if (path == "/silent") return {"", true};
  if (path == "/stall") return {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\n0123456789", true};
  if (path == "/short") return {"HTTP/1.1 200 OK\r\nContent-Length: 100\r\n\r\nonly this"};
  if (path == "/echo") {
    return {Response(200, "OK", request.substr(request.find("\r\n\r\n") + 4))};
  }
  return {Response(404, "Not Found", "<html><head><title>Error 404</title></head></html>",
                   "Content-Type: text/html\r\nX-Twice: one\r\nX-Twice: two\r\n")};
}

std::string Url(const TestServer& server, const std::string& path, const char* scheme = "http",
                const char* host = "127.0.0.1") {
  return std::string(scheme) + "://" + host + ":" + std::to_string(server.port()) + path;
}

// The whole body through InternetReadFile in pieces of `piece` bytes.
std::string ReadAll(HINTERNET h, DWORD piece = 1024) {
  std::string body;
  std::string buf(piece, '\0');
  for (;;) {
    DWORD got = 0;
    if (!InternetReadFile(h, buf.data(), piece, &got)) {
      ADD_FAILURE() << "InternetReadFile failed: " << GetLastError();
      return body;
    }
    if (got == 0) return body;
    body.append(buf.data(), got);
  }
}

DWORD StatusOf(HINTERNET h) {
  DWORD status = 0, len = sizeof status;
  EXPECT_TRUE(HttpQueryInfoA(h, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &len, nullptr));
  return status;
}

class InetTest : public ::testing::Test {
 protected:
  void SetUp() override { session = InternetOpenA("SiteMap", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0); }
  void TearDown() override {
    if (session) InternetCloseHandle(session);
  }
  HINTERNET session = nullptr;
};

TEST_F(InetTest, BodiesByLengthChunksAndClose) {
  TestServer server(Site);
  for (const char* path : {"/len", "/chunked"}) {
    HINTERNET h = InternetOpenUrlA(session, Url(server, path).c_str(), "Accept: */*\r\n", static_cast<DWORD>(-1),
                                   INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE, 0);
    ASSERT_NE(h, nullptr) << path << ": " << GetLastError();
    EXPECT_EQ(StatusOf(h), 200u);
    EXPECT_EQ(ReadAll(h, 3), "hello, world") << path;
    DWORD got = 99;
    char c;
    EXPECT_TRUE(InternetReadFile(h, &c, 1, &got));  // the end stays the end
    EXPECT_EQ(got, 0u);
    EXPECT_TRUE(InternetCloseHandle(h));
  }
  HINTERNET h = InternetOpenUrlA(session, Url(server, "/close").c_str(), nullptr, 0, 0, 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(ReadAll(h), "up to the close");
  InternetCloseHandle(h);

  // A read fills the caller's buffer when the body holds that much.
  h = InternetOpenUrlA(session, Url(server, "/len").c_str(), nullptr, 0, 0, 0);
  char buf[1024];
  DWORD got = 0;
  ASSERT_TRUE(InternetReadFile(h, buf, sizeof buf, &got));
  EXPECT_EQ(std::string(buf, got), "hello, world");
  InternetCloseHandle(h);

  std::vector<std::string> requests = server.requests();
  ASSERT_FALSE(requests.empty());
  EXPECT_NE(requests[0].find("GET /len HTTP/1.1\r\n"), std::string::npos);
  EXPECT_NE(requests[0].find("\r\nHost: 127.0.0.1:" + std::to_string(server.port()) + "\r\n"), std::string::npos);
  EXPECT_NE(requests[0].find("\r\nUser-Agent: SiteMap\r\n"), std::string::npos);
  EXPECT_NE(requests[0].find("\r\nAccept: */*\r\n"), std::string::npos);
}

TEST_F(InetTest, RedirectChainIsFollowedUnlessAskedNotTo) {
  TestServer server(Site);
  HINTERNET h = InternetOpenUrlA(session, Url(server, "/hop1").c_str(), nullptr, 0, 0, 0);
  ASSERT_NE(h, nullptr) << GetLastError();
  EXPECT_EQ(StatusOf(h), 200u);
  EXPECT_EQ(ReadAll(h), "hello, world");
  char where[256];
  DWORD len = sizeof where;
  ASSERT_TRUE(InternetQueryOptionA(h, INTERNET_OPTION_URL, where, &len));
  EXPECT_EQ(std::string(where), Url(server, "/len"));
  InternetCloseHandle(h);

  h = InternetOpenUrlA(session, Url(server, "/hop1").c_str(), nullptr, 0, INTERNET_FLAG_NO_AUTO_REDIRECT, 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(StatusOf(h), 302u);
  char location[64];
  len = sizeof location;
  ASSERT_TRUE(HttpQueryInfoA(h, HTTP_QUERY_LOCATION, location, &len, nullptr));
  EXPECT_STREQ(location, "/hop2");
  InternetCloseHandle(h);

  EXPECT_EQ(InternetOpenUrlA(session, Url(server, "/loop").c_str(), nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HTTP_REDIRECT_FAILED));
}

TEST_F(InetTest, NotFoundIsAnAnswerReadThroughQueries) {
  TestServer server(Site);
  HINTERNET h = InternetOpenUrlA(session, Url(server, "/nothing-here").c_str(), nullptr, 0, 0, 0);
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(StatusOf(h), 404u);

  char text[512];
  DWORD len = sizeof text;
  ASSERT_TRUE(HttpQueryInfoA(h, HTTP_QUERY_STATUS_CODE, text, &len, nullptr));
  EXPECT_STREQ(text, "404");
  EXPECT_EQ(len, 3u);
  len = sizeof text;
  ASSERT_TRUE(HttpQueryInfoA(h, HTTP_QUERY_CONTENT_TYPE, text, &len, nullptr));
  EXPECT_STREQ(text, "text/html");
  DWORD length = 0;
  len = sizeof length;
  ASSERT_TRUE(HttpQueryInfoA(h, HTTP_QUERY_CONTENT_LENGTH | HTTP_QUERY_FLAG_NUMBER, &length, &len, nullptr));
  EXPECT_EQ(length, 50u);
  len = sizeof text;
  ASSERT_TRUE(HttpQueryInfoA(h, HTTP_QUERY_RAW_HEADERS_CRLF, text, &len, nullptr));
  std::string raw(text, len);
  EXPECT_EQ(raw.rfind("HTTP/1.1 404 Not Found\r\n", 0), 0u);
  EXPECT_EQ(raw.substr(raw.size() - 4), "\r\n\r\n");

  // Too small a buffer tells the size needed; a missing header says so.
  char tiny[4];
  len = sizeof tiny;
  EXPECT_FALSE(HttpQueryInfoA(h, HTTP_QUERY_RAW_HEADERS_CRLF, tiny, &len, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(len, raw.size() + 1);
  len = sizeof text;
  EXPECT_FALSE(HttpQueryInfoA(h, HTTP_QUERY_LOCATION, text, &len, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_HTTP_HEADER_NOT_FOUND));

  // Repeated headers one by one through the index; a named one through CUSTOM.
  DWORD index = 0;
  std::strcpy(text, "X-Twice");
  len = sizeof text;
  ASSERT_TRUE(HttpQueryInfoA(h, HTTP_QUERY_CUSTOM, text, &len, &index));
  EXPECT_STREQ(text, "one");
  EXPECT_EQ(index, 1u);
  std::strcpy(text, "X-Twice");
  len = sizeof text;
  ASSERT_TRUE(HttpQueryInfoA(h, HTTP_QUERY_CUSTOM, text, &len, &index));
  EXPECT_STREQ(text, "two");
  std::strcpy(text, "X-Twice");
  len = sizeof text;
  EXPECT_FALSE(HttpQueryInfoA(h, HTTP_QUERY_CUSTOM, text, &len, &index));

  // The body is the server's error page; its first bytes are what probes look at.
  EXPECT_EQ(ReadAll(h).rfind("<html><head><title>Error ", 0), 0u);
  InternetCloseHandle(h);
}

TEST_F(InetTest, SilentServerEndsAtTheReceiveTimeOut) {
  TestServer server(Site);
  DWORD ms = 300;
  ASSERT_TRUE(InternetSetOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &ms, sizeof ms));
  DWORD back = 0, len = sizeof back;
  ASSERT_TRUE(InternetQueryOptionA(session, INTERNET_OPTION_RECEIVE_TIMEOUT, &back, &len));
  EXPECT_EQ(back, 300u);
  EXPECT_EQ(InternetOpenUrlA(session, Url(server, "/silent").c_str(), nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_TIMEOUT));
  DWORD code = 0;
  char text[256];
  len = sizeof text;
  ASSERT_TRUE(InternetGetLastResponseInfoA(&code, text, &len));
  EXPECT_EQ(code, static_cast<DWORD>(ERROR_INTERNET_TIMEOUT));
  EXPECT_GT(len, 0u);

  // The same for a body that stops halfway.
  HINTERNET h = InternetOpenUrlA(session, Url(server, "/stall").c_str(), nullptr, 0, 0, 0);
  ASSERT_NE(h, nullptr);
  char buf[100];
  DWORD got = 0;
  ASSERT_TRUE(InternetReadFile(h, buf, 10, &got));
  EXPECT_EQ(got, 10u);
  EXPECT_FALSE(InternetReadFile(h, buf, sizeof buf, &got));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_TIMEOUT));
  InternetCloseHandle(h);
}

TEST_F(InetTest, CloseFromAnotherThreadEndsPendingCalls) {
  TestServer server(Site);
  std::atomic<DWORD> open_error{0};
  std::thread opener([&] {
    if (!InternetOpenUrlA(session, Url(server, "/silent").c_str(), nullptr, 0, 0, 0)) open_error = GetLastError();
  });
  // Once the server has the request, the client waits for the answer.
  for (DWORD start = GetTickCount(); server.requests().empty() && GetTickCount() - start < 10000;) Sleep(1);
  ASSERT_TRUE(InternetCloseHandle(session));  // closes the request under it too
  session = nullptr;
  opener.join();
  EXPECT_EQ(open_error, static_cast<DWORD>(ERROR_INTERNET_OPERATION_CANCELLED));

  session = InternetOpenA("SiteMap", INTERNET_OPEN_TYPE_DIRECT, nullptr, nullptr, 0);
  HINTERNET h = InternetOpenUrlA(session, Url(server, "/stall").c_str(), nullptr, 0, 0, 0);
  ASSERT_NE(h, nullptr);
  char buf[100];
  DWORD got = 0;
  ASSERT_TRUE(InternetReadFile(h, buf, 10, &got));
  std::atomic<DWORD> read_error{0};
  std::atomic<bool> reading{false};
  std::thread reader([&] {
    char more[90];
    DWORD n = 0;
    reading = true;
    if (!InternetReadFile(h, more, sizeof more, &n)) read_error = GetLastError();
  });
  for (DWORD start = GetTickCount(); !reading && GetTickCount() - start < 10000;) Sleep(1);
  Sleep(100);  // into its wait
  EXPECT_TRUE(InternetCloseHandle(h));
  reader.join();
  EXPECT_EQ(read_error, static_cast<DWORD>(ERROR_INTERNET_OPERATION_CANCELLED));
  EXPECT_FALSE(InternetReadFile(h, buf, 1, &got));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

TEST_F(InetTest, ConnectionFailuresAndShortBodies) {
  TestServer server(Site);
  std::string closed;
  {
    TestServer other(Site);  // a port that was just in use and is free again
    closed = Url(other, "/");
  }
  EXPECT_EQ(InternetOpenUrlA(session, closed.c_str(), nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));
  EXPECT_EQ(InternetOpenUrlA(session, "gopher://127.0.0.1/", nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_UNRECOGNIZED_SCHEME));
  EXPECT_EQ(InternetOpenUrlA(session, "http://127.0.0.1:notaport/", nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_INVALID_URL));

  HINTERNET h = InternetOpenUrlA(session, Url(server, "/short").c_str(), nullptr, 0, 0, 0);
  ASSERT_NE(h, nullptr);
  char buf[200];
  DWORD got = 0;
  ASSERT_TRUE(InternetReadFile(h, buf, sizeof buf, &got));  // what came is handed out first
  EXPECT_EQ(std::string(buf, got), "only this");
  EXPECT_FALSE(InternetReadFile(h, buf, sizeof buf, &got));  // then the cut is reported
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_CONNECTION_ABORTED));
  InternetCloseHandle(h);
}

TEST_F(InetTest, ExplicitRequestWithBodyCredentialsAndOptions) {
  TestServer server(Site);
  HINTERNET c = InternetConnectA(session, "127.0.0.1", server.port(), "joe", "secret", INTERNET_SERVICE_HTTP, 0, 0);
  ASSERT_NE(c, nullptr);
  LPCSTR types[] = {"text/plain", "text/html", nullptr};
  HINTERNET r = HttpOpenRequestA(c, "POST", "echo", nullptr, "http://referrer/", types, 0, 0);
  ASSERT_NE(r, nullptr);
  DWORD type = 0, len = sizeof type;
  ASSERT_TRUE(InternetQueryOptionA(r, INTERNET_OPTION_HANDLE_TYPE, &type, &len));
  EXPECT_EQ(type, static_cast<DWORD>(INTERNET_HANDLE_TYPE_HTTP_REQUEST));
  char body[] = "name=value";
  ASSERT_TRUE(HttpSendRequestA(r, "X-Extra: 1", static_cast<DWORD>(-1), body, 10)) << GetLastError();
  EXPECT_EQ(ReadAll(r), "name=value");
  std::string seen = server.requests().back();
  EXPECT_EQ(seen.rfind("POST /echo HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(seen.find("\r\nAuthorization: Basic am9lOnNlY3JldA==\r\n"), std::string::npos);
  EXPECT_NE(seen.find("\r\nReferer: http://referrer/\r\n"), std::string::npos);
  EXPECT_NE(seen.find("\r\nAccept: text/plain, text/html\r\n"), std::string::npos);
  EXPECT_NE(seen.find("\r\nX-Extra: 1\r\n"), std::string::npos);
  EXPECT_NE(seen.find("\r\nContent-Length: 10\r\n"), std::string::npos);

  // Handles of the wrong kind are refused; closing the connection closes the request.
  char buf[8];
  DWORD got = 0;
  EXPECT_FALSE(InternetReadFile(c, buf, sizeof buf, &got));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_INCORRECT_HANDLE_TYPE));
  DWORD flags = SECURITY_FLAG_IGNORE_UNKNOWN_CA;
  EXPECT_FALSE(InternetSetOptionA(c, INTERNET_OPTION_SECURITY_FLAGS, &flags, sizeof flags));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_INCORRECT_HANDLE_TYPE));
  EXPECT_FALSE(InternetSetOptionA(c, 9999, &flags, sizeof flags));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_INVALID_OPTION));
  EXPECT_TRUE(InternetCloseHandle(c));
  EXPECT_FALSE(InternetCloseHandle(r));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));

  // Credentials in the URL go as basic authorisation too, but not after a
  // redirect to another host.
  HINTERNET h = InternetOpenUrlA(session, Url(server, "/len", "http", "ann:pw@127.0.0.1").c_str(), nullptr, 0, 0, 0);
  ASSERT_NE(h, nullptr);
  InternetCloseHandle(h);
  EXPECT_NE(server.requests().back().find("\r\nAuthorization: Basic YW5uOnB3\r\n"), std::string::npos);
}

TEST_F(InetTest, LongLivedSessionDoesNotCollectClosedRequests) {
  TestServer server(Site);
  for (int i = 0; i < 20; ++i) {
    HINTERNET h = InternetOpenUrlA(session, Url(server, "/len").c_str(), nullptr, 0, 0, 0);
    ASSERT_NE(h, nullptr);
    InternetCloseHandle(h);
  }
  qvp::net::InetPtr s = qvp::net::LookupInet(session);
  ASSERT_NE(s, nullptr);
  std::lock_guard<std::mutex> g(s->lock);
  EXPECT_LE(s->children.size(), 1u);
}

TEST(InetProxy, PlainRequestsGoThroughTheProxy) {
  TestServer proxy([](const std::string& request) {
    if (request.rfind("CONNECT ", 0) == 0) return Reply{"HTTP/1.1 403 Forbidden\r\nContent-Length: 0\r\n\r\n"};
    return Reply{Response(200, "OK", "via proxy")};
  });
  std::string where = "127.0.0.1:" + std::to_string(proxy.port());
  HINTERNET session = InternetOpenA("SiteMap", INTERNET_OPEN_TYPE_PROXY, where.c_str(), "<local>", 0);
  ASSERT_NE(session, nullptr);
  // 127.0.0.2 is never contacted: the proxy answers for it.
  HINTERNET h = InternetOpenUrlA(session, "http://127.0.0.2:81/page?q=1", nullptr, 0, 0, 0);
  ASSERT_NE(h, nullptr) << GetLastError();
  EXPECT_EQ(ReadAll(h), "via proxy");
  InternetCloseHandle(h);
  std::string seen = proxy.requests().back();
  EXPECT_EQ(seen.rfind("GET http://127.0.0.2:81/page?q=1 HTTP/1.1\r\n", 0), 0u);
  EXPECT_NE(seen.find("\r\nHost: 127.0.0.2:81\r\n"), std::string::npos);

  // https asks the proxy for a tunnel.
  EXPECT_EQ(InternetOpenUrlA(session, "https://127.0.0.2:1/", nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_CANNOT_CONNECT));
  EXPECT_EQ(proxy.requests().back().rfind("CONNECT 127.0.0.2:1 HTTP/1.1\r\n", 0), 0u);
  InternetCloseHandle(session);

  EXPECT_EQ(InternetOpenA("x", INTERNET_OPEN_TYPE_PROXY, nullptr, nullptr, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

class InetTlsTest : public InetTest {
 protected:
  void TearDown() override {
    unsetenv("QV_CA_FILE");
    InetTest::TearDown();
  }
  // Fetches through HttpOpenRequestA with security flags; answers the body
  // or "error <code>".
  std::string FetchIgnoring(const TestServer& server, DWORD security_flags, DWORD request_flags = 0) {
    HINTERNET c = InternetConnectA(session, "127.0.0.1", server.port(), nullptr, nullptr, INTERNET_SERVICE_HTTP, 0, 0);
    HINTERNET r = HttpOpenRequestA(c, "GET", "/len", nullptr, nullptr, nullptr, INTERNET_FLAG_SECURE | request_flags, 0);
    if (security_flags) InternetSetOptionA(r, INTERNET_OPTION_SECURITY_FLAGS, &security_flags, sizeof security_flags);
    std::string result;
    if (HttpSendRequestA(r, nullptr, 0, nullptr, 0)) {
      result = ReadAll(r);
      DWORD flags = 0, len = sizeof flags;
      EXPECT_TRUE(InternetQueryOptionA(r, INTERNET_OPTION_SECURITY_FLAGS, &flags, &len));
      EXPECT_TRUE(flags & SECURITY_FLAG_SECURE);
    } else {
      result = "error " + std::to_string(GetLastError());
    }
    InternetCloseHandle(c);
    return result;
  }
  static std::string Error(DWORD code) { return "error " + std::to_string(code); }
};

TEST_F(InetTlsTest, SelfSignedIsRefusedUnlessTheUnknownAuthorityIsIgnored) {
  TestCertificate cert({"localhost", "127.0.0.1"});
  TestServer server(Site, &cert);
  EXPECT_EQ(InternetOpenUrlA(session, Url(server, "/len", "https").c_str(), nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_INVALID_CA));
  EXPECT_EQ(FetchIgnoring(server, 0), Error(ERROR_INTERNET_INVALID_CA));
  EXPECT_EQ(FetchIgnoring(server, SECURITY_FLAG_IGNORE_UNKNOWN_CA), "hello, world");
}

TEST_F(InetTlsTest, TrustedThroughTheTestAuthorityFile) {
  TestCertificate cert({"localhost", "127.0.0.1"});
  TestServer server(Site, &cert);
  setenv("QV_CA_FILE", cert.pem_path().c_str(), 1);
  for (const char* host : {"127.0.0.1", "localhost"}) {
    HINTERNET h = InternetOpenUrlA(session, Url(server, "/chunked", "https", host).c_str(), nullptr, 0, 0, 0);
    ASSERT_NE(h, nullptr) << host << ": " << GetLastError();
    EXPECT_EQ(ReadAll(h), "hello, world");
    InternetCloseHandle(h);
  }
}

TEST_F(InetTlsTest, WrongNameAndWrongDatesEachNeedTheirOwnFlag) {
  TestCertificate other_name({"other.test"});
  TestCertificate expired({"127.0.0.1"}, -30, -1);
  {
    TestServer server(Site, &other_name);
    setenv("QV_CA_FILE", other_name.pem_path().c_str(), 1);
    EXPECT_EQ(FetchIgnoring(server, 0), Error(ERROR_INTERNET_SEC_CERT_CN_INVALID));
    EXPECT_EQ(FetchIgnoring(server, SECURITY_FLAG_IGNORE_CERT_DATE_INVALID), Error(ERROR_INTERNET_SEC_CERT_CN_INVALID));
    EXPECT_EQ(FetchIgnoring(server, 0, INTERNET_FLAG_IGNORE_CERT_CN_INVALID), "hello, world");
    EXPECT_EQ(FetchIgnoring(server, SECURITY_FLAG_IGNORE_CERT_CN_INVALID), "hello, world");
  }
  {
    TestServer server(Site, &expired);
    setenv("QV_CA_FILE", expired.pem_path().c_str(), 1);
    EXPECT_EQ(FetchIgnoring(server, 0), Error(ERROR_INTERNET_SEC_CERT_DATE_INVALID));
    EXPECT_EQ(FetchIgnoring(server, 0, INTERNET_FLAG_IGNORE_CERT_DATE_INVALID), "hello, world");
  }
}

TEST_F(InetTlsTest, RedirectFromHttpsToHttpIsRefusedByDefault) {
  TestServer plain(Site);
  TestCertificate cert({"127.0.0.1"});
  std::string target = Url(plain, "/len");
  TestServer secure([&](const std::string&) { return Reply{Response(302, "Found", "", "Location: " + target + "\r\n")}; },
                    &cert);
  setenv("QV_CA_FILE", cert.pem_path().c_str(), 1);
  EXPECT_EQ(InternetOpenUrlA(session, Url(secure, "/", "https").c_str(), nullptr, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INTERNET_HTTPS_TO_HTTP_ON_REDIR));
  HINTERNET h = InternetOpenUrlA(session, Url(secure, "/", "https").c_str(), nullptr, 0,
                                 INTERNET_FLAG_IGNORE_REDIRECT_TO_HTTP, 0);
  ASSERT_NE(h, nullptr) << GetLastError();
  EXPECT_EQ(ReadAll(h), "hello, world");
  InternetCloseHandle(h);
}

TEST(InetModule, ExportsTheCallsTheProbesBind) {
  HMODULE m = LoadLibraryA("WININET.DLL");
  ASSERT_NE(m, nullptr);
  for (const char* name : {"InternetOpenA", "InternetOpenUrlA", "InternetReadFile", "InternetGetLastResponseInfoA",
                           "InternetCloseHandle", "HttpQueryInfoA", "InternetSetOptionA", "InternetCrackUrlA"}) {
    EXPECT_NE(GetProcAddress(m, name), nullptr) << name;
  }
  FreeLibrary(m);
}

}  // namespace
