// URL splitting, Base64 and the host cache.
#include <gtest/gtest.h>

#include <vector>

#include "http_get.h"

namespace {

TEST(HttpUrl, SplitsSchemeHostPortAndPath) {
  std::string path, host;
  int port = 0;
  EXPECT_EQ(SplitUrl("http://example.test:8080", &path, &host, &port), 2);
  EXPECT_EQ(host, "example.test");
  EXPECT_EQ(port, 8080);
  EXPECT_EQ(path, "/");
  EXPECT_EQ(SplitUrl("HTTP://h/a/b?c=d", &path, &host, &port), 2);
  EXPECT_EQ(port, 80);
  EXPECT_EQ(path, "/a/b?c=d");
  EXPECT_EQ(SplitUrl("Ftp://h:2121\\dir\\x", &path, &host, &port), 1);
  EXPECT_EQ(port, 2121);
  EXPECT_EQ(path, "\\dir\\x");
  EXPECT_EQ(SplitUrl("gopher://h/", &path, &host, &port), 0);
  EXPECT_EQ(host, "");
  // A port that is not a number in 1..65535.
  for (const char* bad : {"http://h:0/", "http://h:65536/", "http://h:99999999/", "http://h:/", "http://h:8x/"}) {
    SplitUrl(bad, &path, &host, &port);
    EXPECT_EQ(port, -1) << bad;
  }
}

TEST(HttpUrl, Base64OfTheStandard) {
  EXPECT_EQ(Base64Encode(""), "");
  EXPECT_EQ(Base64Encode("f"), "Zg==");
  EXPECT_EQ(Base64Encode("fo"), "Zm8=");
  EXPECT_EQ(Base64Encode("foo"), "Zm9v");
  EXPECT_EQ(Base64Encode("user:"), "dXNlcjo=");
  EXPECT_EQ(Base64Encode("alice:p\xe9ss\xff"), "YWxpY2U6cOlzc/8=");
}

TEST(HttpHostCache, TwentyOneNamesReplaceTheLeastRecentlyUsed) {
  std::vector<std::string> asked;
  ResetHostCacheForTests([&](const std::string& name, uint32_t* address) {
    asked.push_back(name);
    if (name.rfind("bad", 0) == 0) return false;
    *address = static_cast<uint32_t>(asked.size());
    return true;
  });
  uint32_t address = 0;
  for (int i = 0; i < 20; ++i) ASSERT_TRUE(ResolveHostCached(("h" + std::to_string(i)).c_str(), &address));
  ASSERT_TRUE(ResolveHostCached("h0", &address));  // h1 is now the oldest
  EXPECT_EQ(address, 1u);
  ASSERT_TRUE(ResolveHostCached("h20", &address));
  EXPECT_EQ(asked.size(), 21u);
  ASSERT_TRUE(ResolveHostCached("h0", &address));
  EXPECT_EQ(asked.size(), 21u);  // still cached
  ASSERT_TRUE(ResolveHostCached("h1", &address));
  EXPECT_EQ(asked.size(), 22u);  // it was the one replaced

  // A name that failed keeps failing at once while its entry lives.
  EXPECT_FALSE(ResolveHostCached("bad.test", &address));
  EXPECT_FALSE(ResolveHostCached("bad.test", &address));
  EXPECT_EQ(asked.size(), 23u);

  // Whole names: two long names that share their first 99 characters are two entries.
  const std::string stem(120, 'a');
  ASSERT_TRUE(ResolveHostCached((stem + "1").c_str(), &address));
  const uint32_t first = address;
  ASSERT_TRUE(ResolveHostCached((stem + "2").c_str(), &address));
  EXPECT_NE(address, first);

  // Dotted names go around the cache; one inet_addr refuses fails.
  ASSERT_TRUE(ResolveHostCached("127.0.0.1", &address));
  EXPECT_EQ(address, htonl(INADDR_LOOPBACK));
  EXPECT_FALSE(ResolveHostCached("1.2.3.999", &address));
  EXPECT_EQ(asked.size(), 25u);
  ResetHostCacheForTests(nullptr);
}

}  // namespace
