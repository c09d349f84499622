#include <grp.h>
#include <unistd.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <string>
#include <thread>
#include <vector>

#include "accounts/utf16.h"
#include "qvplatform.h"

namespace {

using qvp::accounts::Utf16ToUtf8;
using qvp::accounts::Utf8ToUtf16;

// Each of the level-0 records is one name pointer.
std::vector<std::string> Names(LPBYTE buf, DWORD count) {
  std::vector<std::string> out;
  auto* records = reinterpret_cast<LPWSTR*>(buf);
  for (DWORD i = 0; i < count; ++i) out.push_back(Utf16ToUtf8(records[i]));
  return out;
}

bool Contains(const std::vector<std::string>& v, const std::string& s) {
  return std::find(v.begin(), v.end(), s) != v.end();
}

std::vector<std::string> AllUsers(DWORD prefmaxlen, int* calls) {
  std::vector<std::string> all;
  DWORD resume = 0;
  NET_API_STATUS s;
  *calls = 0;
  do {
    LPBYTE buf = nullptr;
    DWORD read = 0, total = 0;
    s = NetUserEnum(nullptr, 0, FILTER_NORMAL_ACCOUNT, &buf, prefmaxlen, &read, &total, &resume);
    EXPECT_TRUE(s == NERR_Success || s == ERROR_MORE_DATA) << s;
    EXPECT_GE(total, read);
    std::vector<std::string> page = Names(buf, read);
    all.insert(all.end(), page.begin(), page.end());
    NetApiBufferFree(buf);
    ++*calls;
  } while (s == ERROR_MORE_DATA && *calls < 100000);
  return all;
}

std::vector<std::string> GroupsOf(const char16_t* user, NET_API_STATUS* status) {
  LPBYTE buf = nullptr;
  DWORD read = 0, total = 0;
  *status = NetUserGetLocalGroups(nullptr, user, 0, LG_INCLUDE_INDIRECT, &buf, MAX_PREFERRED_LENGTH, &read, &total);
  std::vector<std::string> names = Names(buf, read);
  if (*status == NERR_Success) {
    EXPECT_EQ(read, total);
  }
  NetApiBufferFree(buf);
  return names;
}

TEST(Accounts, UsersAreListedWholeAndInPages) {
  int calls = 0;
  std::vector<std::string> whole = AllUsers(MAX_PREFERRED_LENGTH, &calls);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(Contains(whole, "root"));
  // A tiny preferred length still moves on one user per call, and loses none.
  std::vector<std::string> paged = AllUsers(1, &calls);
  EXPECT_EQ(paged, whole);
  EXPECT_EQ(calls, static_cast<int>(whole.size()));
  // Two names per page, about.
  std::vector<std::string> pairs = AllUsers(static_cast<DWORD>(2 * (sizeof(LPWSTR) + 8 * sizeof(WCHAR))), &calls);
  EXPECT_EQ(pairs, whole);

  LPBYTE buf = nullptr;
  DWORD read = 9, total = 9;
  EXPECT_EQ(NetUserEnum(nullptr, 0, FILTER_WORKSTATION_TRUST_ACCOUNT, &buf, MAX_PREFERRED_LENGTH, &read, &total,
                        nullptr),
            static_cast<DWORD>(NERR_Success));
  EXPECT_EQ(read, 0u);
  EXPECT_EQ(buf, nullptr);
  EXPECT_EQ(NetUserEnum(u"", 0, 0, &buf, MAX_PREFERRED_LENGTH, &read, &total, nullptr),
            static_cast<DWORD>(NERR_Success));
  EXPECT_EQ(read, whole.size());
  NetApiBufferFree(buf);
}

TEST(Accounts, OnlyLevelZeroOnThisComputer) {
  LPBYTE buf = nullptr;
  DWORD read = 0, total = 0;
  EXPECT_EQ(NetUserEnum(nullptr, 1, 0, &buf, MAX_PREFERRED_LENGTH, &read, &total, nullptr),
            static_cast<DWORD>(ERROR_INVALID_LEVEL));
  EXPECT_EQ(NetLocalGroupEnum(u"\\\\ELSEWHERE", 0, &buf, MAX_PREFERRED_LENGTH, &read, &total, nullptr),
            static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_EQ(NetUserEnum(u"ELSEWHERE", 0, 0, &buf, MAX_PREFERRED_LENGTH, &read, &total, nullptr),
            static_cast<DWORD>(NERR_InvalidComputer));
  EXPECT_EQ(NetUserGetLocalGroups(nullptr, u"root", 1, 0, &buf, MAX_PREFERRED_LENGTH, &read, &total),
            static_cast<DWORD>(ERROR_INVALID_LEVEL));
  EXPECT_EQ(NetUserEnum(nullptr, 0, 0, nullptr, MAX_PREFERRED_LENGTH, &read, &total, nullptr),
            static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(buf, nullptr);
  EXPECT_EQ(NetApiBufferFree(nullptr), static_cast<DWORD>(NERR_Success));
}

TEST(Accounts, LocalGroupsAreListed) {
  std::vector<std::string> all;
  DWORD_PTR resume = 0;
  NET_API_STATUS s;
  int calls = 0;
  do {
    LPBYTE buf = nullptr;
    DWORD read = 0, total = 0;
    s = NetLocalGroupEnum(nullptr, 0, &buf, 1, &read, &total, &resume);
    ASSERT_TRUE(s == NERR_Success || s == ERROR_MORE_DATA);
    EXPECT_EQ(read, 1u);
    auto page = Names(buf, read);
    all.insert(all.end(), page.begin(), page.end());
    NetApiBufferFree(buf);
  } while (s == ERROR_MORE_DATA && ++calls < 100000);
  EXPECT_EQ(resume, 0u);
  EXPECT_TRUE(Contains(all, "root"));
  std::vector<std::string> sorted = all;
  std::sort(sorted.begin(), sorted.end());
  EXPECT_EQ(std::adjacent_find(sorted.begin(), sorted.end()), sorted.end());  // no name twice
}

TEST(Accounts, AUsersGroupsIncludePrimaryAndSupplementary) {
  NET_API_STATUS s;
  std::vector<std::string> groups = GroupsOf(u"root", &s);
  ASSERT_EQ(s, static_cast<DWORD>(NERR_Success));
  ASSERT_FALSE(groups.empty());
  EXPECT_EQ(groups[0], "root");
  // Windows names: any case, with a domain in front.
  EXPECT_EQ(GroupsOf(u"ROOT", &s), groups);
  EXPECT_EQ(GroupsOf(u"THISHOST\\root", &s), groups);
  GroupsOf(u"no-such-user-here", &s);
  EXPECT_EQ(s, static_cast<DWORD>(NERR_UserNotFound));

  // A group that lists a member: that member's groups include it.
  std::string member, listed;
  setgrent();
  while (group* g = getgrent()) {
    if (g->gr_mem && g->gr_mem[0]) {
      member = g->gr_mem[0];
      listed = g->gr_name;
      break;
    }
  }
  endgrent();
  if (member.empty()) GTEST_SKIP() << "no group with listed members on this system";
  std::vector<std::string> theirs = GroupsOf(Utf8ToUtf16(member).c_str(), &s);
  if (s == NERR_UserNotFound) GTEST_SKIP() << member << " is listed in a group but has no account";
  EXPECT_TRUE(Contains(theirs, listed)) << member;
}

TEST(Accounts, TheBuiltinModuleExportsTheFunctions) {
  HMODULE net = LoadLibraryA("NetApi32.dll");
  ASSERT_NE(net, nullptr);
  auto as_void = [](auto f) { return reinterpret_cast<void*>(f); };
  EXPECT_EQ(as_void(GetProcAddress(net, "NetUserEnum")), as_void(&NetUserEnum));
  EXPECT_EQ(as_void(GetProcAddress(net, "NetLocalGroupEnum")), as_void(&NetLocalGroupEnum));
  EXPECT_EQ(as_void(GetProcAddress(net, "NetUserGetLocalGroups")), as_void(&NetUserGetLocalGroups));
  EXPECT_EQ(as_void(GetProcAddress(net, "NetApiBufferFree")), as_void(&NetApiBufferFree));
  EXPECT_TRUE(FreeLibrary(net));
}

TEST(Accounts, EnumerationsFromSeveralThreadsAgree) {
  int calls = 0;
  std::vector<std::string> expected = AllUsers(MAX_PREFERRED_LENGTH, &calls);
  std::vector<std::vector<std::string>> seen(4);
  std::vector<std::thread> threads;
  for (auto& out : seen) {
    threads.emplace_back([&out] {
      int n = 0;
      out = AllUsers(MAX_PREFERRED_LENGTH, &n);
      NET_API_STATUS s;
      GroupsOf(u"root", &s);
    });
  }
  for (auto& t : threads) t.join();
  for (const auto& out : seen) EXPECT_EQ(out, expected);
}

TEST(Accounts, NamesConvertBetweenUtf8AndUtf16) {
  EXPECT_EQ(Utf8ToUtf16("Zo\xc3\xab"), u"Zo\u00eb");
  EXPECT_EQ(Utf8ToUtf16("\xf0\x9f\x98\x80"), u"\U0001F600");  // a surrogate pair
  EXPECT_EQ(Utf16ToUtf8(u"\U0001F600 Zo\u00eb"), "\xf0\x9f\x98\x80 Zo\xc3\xab");
  EXPECT_EQ(Utf8ToUtf16("a\xff" "b"), u"a\uFFFDb");  // malformed input is marked, not dropped
  EXPECT_EQ(Utf8ToUtf16(""), u"");
}

}  // namespace

// Without a PAM service of the program's this process cannot check anyone's
// password: it lacks the right to log users on.
TEST(Accounts, LogonWithoutAConfiguredServiceAnswersPrivilegeNotHeld) {
  char dir[] = "/tmp/qvp-nopam-XXXXXX";
  ASSERT_NE(mkdtemp(dir), nullptr);
  const char* oldWrapper = std::getenv("PAM_WRAPPER");
  const char* oldDir = std::getenv("PAM_WRAPPER_SERVICE_DIR");
  const std::string keepWrapper = oldWrapper != nullptr ? oldWrapper : "";
  const std::string keepDir = oldDir != nullptr ? oldDir : "";
  setenv("PAM_WRAPPER", "1", 1);
  setenv("PAM_WRAPPER_SERVICE_DIR", dir, 1);
  HANDLE token = nullptr;
  SetLastError(0);
  EXPECT_FALSE(LogonUserA("LocalSystem", "", "morlivex", LOGON32_LOGON_INTERACTIVE, LOGON32_PROVIDER_DEFAULT, &token));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PRIVILEGE_NOT_HELD));
  EXPECT_EQ(token, nullptr);
  if (oldWrapper != nullptr) {
    setenv("PAM_WRAPPER", keepWrapper.c_str(), 1);
  } else {
    unsetenv("PAM_WRAPPER");
  }
  if (oldDir != nullptr) {
    setenv("PAM_WRAPPER_SERVICE_DIR", keepDir.c_str(), 1);
  } else {
    unsetenv("PAM_WRAPPER_SERVICE_DIR");
  }
  rmdir(dir);
}
