#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "qv_ui.h"

namespace {

TEST(QvUiRegistration, ProgramAndPluginEachCountUntilTheyLeave) {
  EXPECT_EQ(QVUI_Register(1033), 1);  // the program
  EXPECT_EQ(QVUI_Register(0), 2);     // a plug-in
  EXPECT_EQ(QVUI_Unregister(), 1);
  EXPECT_EQ(QVUI_Unregister(), 0);
  // A stray unregister never drives the count below zero.
  EXPECT_EQ(QVUI_Unregister(), 0);
  EXPECT_EQ(QVUI_Register(0), 1);
  EXPECT_EQ(QVUI_Unregister(), 0);
}

TEST(QvUiRegistration, ConcurrentRegistrationsAllCount) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 500;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([] {
      for (int i = 0; i < kRounds; ++i) QVUI_Register(0);
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(QVUI_Register(0), kThreads * kRounds + 1);
  for (int i = kThreads * kRounds + 1; i > 0; --i) ASSERT_EQ(QVUI_Unregister(), i - 1);
}

}  // namespace
