#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <thread>

#include "net/net_test_util.h"
#include "net/winsock_internal.h"
#include "qvplatform.h"

namespace {

using nettest::WinsockTest;

bool HasAddress(const hostent* h, u_long addr) {
  for (char** p = h->h_addr_list; *p; ++p) {
    u_long a = 0;
    std::memcpy(&a, *p, 4);
    if (a == addr) return true;
  }
  return false;
}

TEST(WinsockText, AddressTextInAllItsForms) {
  EXPECT_EQ(inet_addr("127.0.0.1"), htonl(0x7f000001));
  EXPECT_EQ(inet_addr("10.1.2.3"), htonl(0x0a010203));
  EXPECT_EQ(inet_addr("0x7f.1"), htonl(0x7f000001));      // a.b: b fills 24 bits
  EXPECT_EQ(inet_addr("10.1.515"), htonl(0x0a010203));    // a.b.c: c fills 16 bits
  EXPECT_EQ(inet_addr("017.0.0.1"), htonl(0x0f000001));   // octal
  EXPECT_EQ(inet_addr("3232235777"), htonl(0xc0a80101));  // one number
  EXPECT_EQ(inet_addr("1.2.3.4 trailing"), htonl(0x01020304));
  EXPECT_EQ(inet_addr("255.255.255.255"), INADDR_NONE);  // the one address that cannot be told apart
  for (const char* bad : {"", "256.1.1.1", "1.2.3.4.5", "1..2.3", "1.2.3.", "a.b.c.d", "08.1.1.1", "0x", "1.2.3.4x",
                          " 1.2.3.4", "1.300.1", "4294967296"}) {
    EXPECT_EQ(inet_addr(bad), INADDR_NONE) << bad;
  }
  EXPECT_EQ(inet_addr(nullptr), INADDR_NONE);

  in_addr a;
  a.s_addr = inet_addr("192.168.10.200");
  EXPECT_STREQ(inet_ntoa(a), "192.168.10.200");
  EXPECT_EQ(a.S_un.S_un_b.s_b1, 192);
  // Each thread has its own text.
  char* mine = inet_ntoa(a);
  std::thread([] {
    in_addr other;
    other.s_addr = htonl(0x01020304);
    EXPECT_STREQ(inet_ntoa(other), "1.2.3.4");
  }).join();
  EXPECT_STREQ(mine, "192.168.10.200");

  EXPECT_EQ(htons(0x1234), 0x3412);
  EXPECT_EQ(ntohs(htons(8080)), 8080);
  EXPECT_EQ(htonl(0x01020304u), 0x04030201u);
  EXPECT_EQ(ntohl(htonl(0xdeadbeefu)), 0xdeadbeefu);
}

TEST(WinsockText, DataBaseNeedsAStartedLibrary) {
  EXPECT_EQ(gethostbyname("localhost"), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  char name[64];
  EXPECT_EQ(gethostname(name, 64), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
}

TEST_F(WinsockTest, HostsByNameAndAddress) {
  hostent* h = gethostbyname("localhost");
  ASSERT_NE(h, nullptr) << WSAGetLastError();
  EXPECT_EQ(h->h_addrtype, AF_INET);
  EXPECT_EQ(h->h_length, 4);
  EXPECT_TRUE(HasAddress(h, htonl(INADDR_LOOPBACK)));
  ASSERT_NE(h->h_aliases, nullptr);
  EXPECT_EQ(h->h_addr, h->h_addr_list[0]);

  h = gethostbyname("127.0.0.1");  // a dotted address answers itself
  ASSERT_NE(h, nullptr);
  EXPECT_STREQ(h->h_name, "127.0.0.1");
  EXPECT_TRUE(HasAddress(h, htonl(INADDR_LOOPBACK)));
  EXPECT_EQ(h->h_addr_list[1], nullptr);

  u_long loop = htonl(INADDR_LOOPBACK);
  h = gethostbyaddr(reinterpret_cast<const char*>(&loop), 4, AF_INET);
  ASSERT_NE(h, nullptr) << WSAGetLastError();
  EXPECT_STRNE(h->h_name, "");
  EXPECT_TRUE(HasAddress(h, loop));
  EXPECT_EQ(gethostbyaddr(reinterpret_cast<const char*>(&loop), 4, 23), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSAEAFNOSUPPORT);
  EXPECT_EQ(gethostbyaddr(reinterpret_cast<const char*>(&loop), 2, AF_INET), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
}

TEST_F(WinsockTest, HostAnswersBelongToTheCallingThread) {
  hostent* mine = gethostbyname("127.0.0.1");
  ASSERT_NE(mine, nullptr);
  std::thread([] {
    hostent* theirs = gethostbyname("localhost");
    ASSERT_NE(theirs, nullptr);
    EXPECT_STRNE(theirs->h_name, "127.0.0.1");
  }).join();
  EXPECT_STREQ(mine->h_name, "127.0.0.1");
}

TEST_F(WinsockTest, ThisComputersName) {
  char name[256];
  ASSERT_EQ(gethostname(name, 256), 0);
  EXPECT_GT(std::strlen(name), 0u);
  char tiny[1];
  EXPECT_EQ(gethostname(tiny, 1), SOCKET_ERROR);
  EXPECT_EQ(WSAGetLastError(), WSAEFAULT);
}

TEST_F(WinsockTest, ServicesFromTheSystemsDataBase) {
  if (!std::ifstream("/etc/services")) GTEST_SKIP() << "no /etc/services on this machine";
  servent* s = getservbyname("http", "tcp");
  ASSERT_NE(s, nullptr) << WSAGetLastError();
  EXPECT_EQ(s->s_port, static_cast<short>(htons(80)));
  EXPECT_STREQ(s->s_proto, "tcp");
  s = getservbyport(htons(21), nullptr);
  ASSERT_NE(s, nullptr);
  EXPECT_STREQ(s->s_name, "ftp");
  EXPECT_EQ(getservbyname("no-such-service", "tcp"), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSANO_DATA);
}

TEST(WinsockLayout, HostAnswerFitsExactlyOrNotAtAll) {
  qvp::net::HostInfo info;
  info.name = "host.example";
  info.aliases = {"alias1", "alias-two"};
  info.addrs = {htonl(0x01020304), htonl(0x05060708)};
  size_t need = qvp::net::PackHostent(info, nullptr, 0);
  std::vector<uint64_t> words(need / 8 + 2, 0xabababababababab);
  char* buf = reinterpret_cast<char*>(words.data());
  EXPECT_EQ(qvp::net::PackHostent(info, buf, need - 1), need);
  EXPECT_EQ(words[0], 0xababababababababu);  // too small: untouched
  ASSERT_EQ(qvp::net::PackHostent(info, buf, need), need);
  EXPECT_EQ(static_cast<unsigned char>(buf[need]), 0xab);  // nothing past the end
  auto* h = reinterpret_cast<hostent*>(buf);
  EXPECT_STREQ(h->h_name, "host.example");
  EXPECT_STREQ(h->h_aliases[1], "alias-two");
  EXPECT_EQ(h->h_aliases[2], nullptr);
  EXPECT_TRUE(HasAddress(h, htonl(0x05060708)));
  EXPECT_EQ(h->h_addr_list[2], nullptr);
  for (char** p = h->h_addr_list; *p; ++p) {
    EXPECT_GE(*p, buf);
    EXPECT_LT(*p, buf + need);
  }
}

}  // namespace
