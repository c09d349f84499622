// Requests: parsing, the mapping of URLs (and the ways clients try to get
// out of the roots), the headers, and the variables.
#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

#include "net_test_site.h"
#include "remote_users.h"

namespace fs = std::filesystem;

namespace {

class Requests : public ::testing::Test {
 protected:
  void SetUp() override {
    g_remoteUsers.Clear();
    g_logonThrottle.Clear();
    TestSite::Write(site_.Web() / "index.htm", "<p>home</p>");
    TestSite::Write(site_.Web() / "dir" / "default.htm", "<p>dir</p>");
    TestSite::Write(site_.Web() / "pic.gif", "GIF89a");
    TestSite::Write(site_.Web() / "notes.txt", "plain");
    TestSite::Write(site_.Web() / "My Page.htm", "blank name");
    TestSite::Write(site_.Root() / "QUORVANE.INI", "[Defaults]\r\nsecret=1\r\n");
  }
  void TearDown() override {
    g_remoteUsers.Clear();
    g_logonThrottle.Clear();
  }

  std::string Mapped(const std::string& url) {
    auto request = site_.Request();
    request->Parse(Get(url));
    return request->mappedPath;
  }
  std::string Web(const std::string& rest) const { return std::string(site_.settings.webRoot) + rest; }
  std::string Users(const std::string& rest) const { return std::string(site_.settings.usersFolder) + rest; }

  TestSite site_;
};

bool Is404(const std::string& answer) {
  return answer.rfind("HTTP/1.0 404 URL Not Found\r\n\r\n<TITLE>URL Not Found</TITLE>\r\nURL Not Found #", 0) == 0;
}

TEST_F(Requests, AFileIsServedWithItsTypeAndAWholeHeader) {
  const std::string answer = site_.Serve(Get("/index.htm"));
  ASSERT_EQ(answer.rfind("HTTP/1.0 200 OK\r\nServer: Quorvane Server\r\nAllow: GET, POST\r\nContent-Type: "
                         "text/html\r\nCache-Control: no-cache\r\nPragma: no-cache\r\nDate: ",
                         0),
            0u)
      << answer;
  EXPECT_EQ(answer.substr(answer.size() - 15), "\r\n\r\n<p>home</p>");
  EXPECT_NE(site_.Serve(Get("/pic.gif")).find("Content-Type: image/gif\r\n"), std::string::npos);
  const std::string text = site_.Serve(Get("/notes.txt"));
  EXPECT_EQ(text.find("Content-Type"), std::string::npos);
  EXPECT_EQ(text.substr(text.size() - 5), "plain");
  // Blanks come encoded; case is kept and matching ignores it.
  EXPECT_NE(site_.Serve(Get("/my%20page.HTM")).find("blank name"), std::string::npos);
  EXPECT_NE(site_.Serve(Get("/dir/")).find("<p>dir</p>"), std::string::npos);
  EXPECT_EQ(Mapped("/dir/"), Web("\\dir\\default.htm"));
}

TEST_F(Requests, WhatCannotBeParsedIsNotFound) {
  EXPECT_TRUE(Is404(site_.Serve("GET /index.htm HTTP/1.0\r\n")));           // no host
  EXPECT_TRUE(Is404(site_.Serve("PUT /index.htm HTTP/1.0\r\nHost: h\r\n")));  // no such method
  EXPECT_TRUE(Is404(site_.Serve("GET index.htm HTTP/1.0\r\nHost: h\r\n")));   // not from the root
  EXPECT_TRUE(Is404(site_.Serve("GET /index.htm HTTP/1.01\r\nHost: h\r\n")));
  EXPECT_TRUE(Is404(site_.Serve("GET /index.htm\r\nHost: h\r\n")));
  EXPECT_TRUE(Is404(site_.Serve("")));
  EXPECT_TRUE(Is404(site_.Serve(Get("/missing.htm"))));
  // A leading part of a method's name is taken, as a short request line.
  EXPECT_FALSE(Is404(site_.Serve("ge /index.htm http/1.1\r\nHost: h\r\n")));
}

TEST_F(Requests, UserPathsGoToTheUsersOwnFolderUnlessTheyAdminister) {
  const RemoteUser usera = g_remoteUsers.LogOn("usera", 0, GetTickCount64());
  const RemoteUser boss = g_remoteUsers.LogOn("boss", 1, GetTickCount64());
  const std::string a = std::to_string(usera.id);
  EXPECT_EQ(Mapped("/" + a + "/userb/r1/rep.htm"), Users("\\usera\\r1\\rep.htm"));
  EXPECT_EQ(Mapped("/" + std::to_string(boss.id) + "/userb/r1/rep.htm"), Users("\\userb\\r1\\rep.htm"));
  uint32_t unknown = usera.id + 1;
  if (unknown == boss.id) ++unknown;
  EXPECT_EQ(Mapped("/" + std::to_string(unknown) + "/userb/r1/rep.htm"), Web("\\unknown\\userb\\r1\\rep.htm"));
  EXPECT_EQ(Mapped("/users/x/y.htm"), Web("\\unknown\\x\\y.htm"));

  site_.Report("usera", "r1", 100);
  site_.Report("userb", "r1", 100);
  TestSite::Write(site_.Users() / "userb" / "r1" / "rep.htm", "userb's secret");
  const std::string own = site_.Serve(Get("/" + a + "/userb/r1/rep.htm"));
  EXPECT_NE(own.find("<p>report</p>"), std::string::npos);
  EXPECT_EQ(own.find("secret"), std::string::npos);
  // A report's file is never run as a script page: it is sent as it is.
  const std::string script = "<!-- Quorvane Script -->\r\n%username%|%count%";
  TestSite::Write(site_.Users() / "usera" / "r1" / "page.htm", script);
  const std::string page = site_.Serve(Get("/" + a + "/usera/r1/page.htm"));
  EXPECT_EQ(page.rfind("HTTP/1.0 200 OK\r\n", 0), 0u) << page;
  EXPECT_EQ(page.substr(page.size() - script.size()), script);
}

// The attack corpus: every way out of the roots ends in the 404 text, and no
// byte of what lies outside is sent.
TEST_F(Requests, NoRequestReachesOutsideItsRoot) {
  const RemoteUser usera = g_remoteUsers.LogOn("usera", 0, GetTickCount64());
  const std::string a = std::to_string(usera.id);
  site_.Report("userb", "r1", 100);
  TestSite::Write(site_.Users() / "userb" / "r1" / "rep.htm", "userb's secret");
  fs::create_directory_symlink(site_.Root(), site_.Web() / "up");
  fs::create_symlink(site_.Root() / "QUORVANE.INI", site_.Web() / "settings.htm");
  fs::create_directories(site_.Users() / "usera");
  fs::create_directory_symlink(site_.Users() / "userb", site_.Users() / "usera" / "sneak");
  const char* const kAttacks[] = {
      "/..%2FQUORVANE.INI", "/..%2fQUORVANE.INI", "/users+../QUORVANE.INI", "/users../x/../../QUORVANE.INI", "/..%5CQUORVANE.INI", "/%2e%2e/QUORVANE.INI",
      "/%2E%2E%2FQUORVANE.INI", "/index.htm%00.gif", "/..%252FQUORVANE.INI", "/%c0%af..%c0%afQUORVANE.INI",
      "/..\\QUORVANE.INI", "/users/../../QUORVANE.INI", "/users/..", "/dir/./../../QUORVANE.INI",
      "/up/QUORVANE.INI", "/settings.htm", "/%0d%0aX:/y", "/a%", "/a%zz", "/.", "/..",
  };
  for (const char* url : kAttacks) {
    const std::string answer = site_.Serve(Get(url));
    EXPECT_TRUE(Is404(answer)) << url << "\n" << answer;
    EXPECT_EQ(answer.find("secret"), std::string::npos) << url;
  }
  for (const std::string& url : {"/" + a + "/../../QUORVANE.INI", "/" + a + "/x/../../userb/r1/rep.htm",
                                 "/" + a + "/x/sneak/r1/rep.htm", "/" + a + "/x/%2e%2e/userb/r1/rep.htm"}) {
    const std::string answer = site_.Serve(Get(url));
    EXPECT_TRUE(Is404(answer)) << url << "\n" << answer;
    EXPECT_EQ(answer.find("secret"), std::string::npos) << url;
  }
}

TEST_F(Requests, TheItemAndTheVariablesAreDecoded) {
  auto request = site_.Request();
  request->Parse(Get("/index.htm?Item=My%20Report+1&a=x%26y&Password=p+q;b=2"));
  EXPECT_EQ(request->item, "My Report 1");
  EXPECT_EQ(request->GetVarText("qitem"), "My Report 1");
  EXPECT_EQ(request->GetVarText("A"), "x&y");
  EXPECT_EQ(request->GetParamText("Password"), "p q");
  EXPECT_EQ(request->GetParamText("b"), "2");
  EXPECT_EQ(request->GetParamText("word"), "");  // a key is matched whole
  char out[4];
  request->GetVar("a", out, sizeof out);
  EXPECT_STREQ(out, "x&y");
  request->SetVar("A", std::string(500, 'v').c_str());
  EXPECT_EQ(request->GetVarText("a").size(), 199u);
  request->SetVarInt("n", -1);
  EXPECT_EQ(request->GetVarText("N"), "4294967295");
  int32_t number = 7;
  request->GetVarInt("none", &number);
  EXPECT_EQ(number, 0);
  // A posted form gives variables and parameters too.
  request->Parse("POST /index.htm HTTP/1.0\r\nHost: h\r\nContent-Length: 27\r\n", "Username=ann&Password=p%21w");
  EXPECT_EQ(request->GetParamText("Username"), "ann");
  EXPECT_EQ(request->GetVarText("Password"), "p!w");
}

TEST_F(Requests, TheDateCarriesTheZone) {
  const char* old = std::getenv("TZ");
  const std::string keep = old != nullptr ? old : "";
  setenv("TZ", "UTC-1", 1);
  tzset();
  const std::string east = HttpDate(86400 * 365);
  setenv("TZ", "UTC+5", 1);
  tzset();
  const std::string west = HttpDate(86400 * 365);
  if (old != nullptr) {
    setenv("TZ", keep.c_str(), 1);
  } else {
    unsetenv("TZ");
  }
  tzset();
  EXPECT_EQ(east, "Fri, 1 Jan 1971 01:00:00 +0100");
  EXPECT_EQ(west, "Thu, 31 Dec 1970 19:00:00 -0500");
}

TEST_F(Requests, RedirectsSendNothingTheClientWroteUnchecked) {
  auto request = site_.Request();
  request->Parse("GET /index.htm?Item=a%0D%0ASet-Cookie:%20x HTTP/1.0\r\nHost: evil\"<host>\r\n");
  std::string target = "/%host%%user%";
  request->ExpandRedirectTarget(&target);
  EXPECT_EQ(target, "/127.0.0.1:8080");  // the host was no host: the listening address
  target = "%host%/x";
  request->ExpandRedirectTarget(&target);
  EXPECT_EQ(target, "");
  request->status = 11301;
  site_.answer.clear();
  request->SendResponseHeader();
  EXPECT_EQ(site_.answer, "HTTP/1.0 301 Redirect\r\nLocation: http://127.0.0.1:8080/0/a%0D%0ASet-Cookie:%20x/rep.htm\r\n\r\n");
  request->mappedPath = std::string(site_.settings.webRoot) + "\\next.htm?User=1\r\nX: y";
  request->status = 301;
  site_.answer.clear();
  request->SendResponseHeader();
  EXPECT_EQ(site_.answer.find("\r\nX: y"), std::string::npos) << site_.answer;
  EXPECT_EQ(site_.answer.rfind("HTTP/1.0 301 Redirect\r\nLocation: http://127.0.0.1:8080/next.htm?User=1%0D%0AX:%20y\r\n\r\n<TITLE>URL Moved</TITLE>\r\nURL Moved #", 0), 0u)
      << site_.answer;
  // Characters with a meaning in a URL path stay part of the folder's name.
  request->Parse("GET /index.htm?Item=ann%5Ca%2541%3Fb%23c+d HTTP/1.0\r\nHost: h:81\r\n");
  request->status = 11301;
  site_.answer.clear();
  request->SendResponseHeader();
  EXPECT_EQ(site_.answer, "HTTP/1.0 301 Redirect\r\nLocation: http://h:81/0/ann/a%2541%3Fb%23c%20d/rep.htm\r\n\r\n");
}

TEST_F(Requests, UnknownIdsAreThrottledPerAddress) {
  for (int i = 0; i < LogonThrottle::kFreeFailures; ++i) Mapped("/12345/x/y.htm");
  const RemoteUser usera = g_remoteUsers.LogOn("usera", 0, GetTickCount64());
  // Locked out: even a real id is unknown from this address now.
  EXPECT_EQ(Mapped("/" + std::to_string(usera.id) + "/x/r.htm"), Web("\\unknown\\x\\r.htm"));
  auto other = std::make_unique<ServerRequest>(site_.settings, [](const char*, size_t) {}, 0x0200007f);
  other->Parse(Get("/" + std::to_string(usera.id) + "/x/r.htm"));
  EXPECT_EQ(other->mappedPath, Users("\\usera\\r.htm"));
}

}  // namespace
