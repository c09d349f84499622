#include "netapi_lazy.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

std::vector<std::u16string> Names(LPBYTE buffer, DWORD count) {
  std::vector<std::u16string> names;
  auto* records = reinterpret_cast<LPWSTR*>(buffer);
  for (DWORD i = 0; i < count; ++i) names.emplace_back(records[i]);
  return names;
}

// The lazily bound calls answer exactly what the library's own calls answer.
TEST(LazyNetApi, UsersAndGroupsAsTheLibraryListsThem) {
  LPBYTE lazyBuffer = nullptr;
  LPBYTE directBuffer = nullptr;
  DWORD lazyRead = 0, lazyTotal = 0, directRead = 0, directTotal = 0;
  ASSERT_EQ(LazyNetUserEnum(nullptr, 0, FILTER_NORMAL_ACCOUNT, &lazyBuffer, MAX_PREFERRED_LENGTH,
                            &lazyRead, &lazyTotal, nullptr),
            static_cast<NET_API_STATUS>(NERR_Success));
  ASSERT_EQ(NetUserEnum(nullptr, 0, FILTER_NORMAL_ACCOUNT, &directBuffer, MAX_PREFERRED_LENGTH,
                        &directRead, &directTotal, nullptr),
            static_cast<NET_API_STATUS>(NERR_Success));
  EXPECT_EQ(Names(lazyBuffer, lazyRead), Names(directBuffer, directRead));
  EXPECT_EQ(lazyTotal, directTotal);
  EXPECT_EQ(LazyNetApiBufferFree(lazyBuffer), static_cast<NET_API_STATUS>(NERR_Success));
  NetApiBufferFree(directBuffer);

  DWORD_PTR resume = 0;
  lazyBuffer = directBuffer = nullptr;
  ASSERT_EQ(LazyNetLocalGroupEnum(nullptr, 0, &lazyBuffer, MAX_PREFERRED_LENGTH, &lazyRead,
                                  &lazyTotal, &resume),
            static_cast<NET_API_STATUS>(NERR_Success));
  resume = 0;
  ASSERT_EQ(NetLocalGroupEnum(nullptr, 0, &directBuffer, MAX_PREFERRED_LENGTH, &directRead,
                              &directTotal, &resume),
            static_cast<NET_API_STATUS>(NERR_Success));
  EXPECT_EQ(Names(lazyBuffer, lazyRead), Names(directBuffer, directRead));
  LazyNetApiBufferFree(lazyBuffer);
  NetApiBufferFree(directBuffer);
}

TEST(LazyNetApi, UnknownUserIsTheLibrarysAnswer) {
  LPBYTE buffer = nullptr;
  DWORD read = 7, total = 7;
  EXPECT_EQ(LazyNetUserGetLocalGroups(nullptr, u"qv-no-such-user-4711", 0, 0, &buffer,
                                      MAX_PREFERRED_LENGTH, &read, &total),
            static_cast<NET_API_STATUS>(NERR_UserNotFound));
  LazyNetApiBufferFree(buffer);
}

}  // namespace
