#include "kernel/handles.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

struct Probe : qvp::KernelObject {
  explicit Probe(bool* gone) : gone_(gone) {}
  ~Probe() override { *gone_ = true; }
  bool* gone_;
};

TEST(HandleTable, HandlesAreDistinctAndNeverNullOrInvalid) {
  bool gone = false;
  HANDLE a = qvp::InsertHandle(std::make_shared<Probe>(&gone));
  HANDLE b = qvp::InsertHandle(std::make_shared<Probe>(&gone));
  EXPECT_NE(a, nullptr);
  EXPECT_NE(a, INVALID_HANDLE_VALUE);
  EXPECT_NE(a, b);
  EXPECT_TRUE(qvp::RemoveHandle(a));
  EXPECT_TRUE(qvp::RemoveHandle(b));
}

TEST(HandleTable, ObjectOutlivesItsHandleWhileStillReferenced) {
  bool gone = false;
  HANDLE h = qvp::InsertHandle(std::make_shared<Probe>(&gone));
  HANDLE dup = qvp::DuplicateHandleEntry(h);
  auto held = qvp::LookupHandleAs<Probe>(h);
  ASSERT_TRUE(held);
  EXPECT_TRUE(qvp::RemoveHandle(h));
  EXPECT_FALSE(qvp::RemoveHandle(h));
  EXPECT_FALSE(qvp::LookupHandle(h));
  EXPECT_TRUE(qvp::LookupHandle(dup));
  EXPECT_TRUE(qvp::RemoveHandle(dup));
  EXPECT_FALSE(gone);
  held.reset();
  EXPECT_TRUE(gone);
}

TEST(HandleTable, ThreadKeysDifferPerThread) {
  uint64_t mine = qvp::CurrentThreadKey();
  uint64_t other = 0;
  std::thread([&] { other = qvp::CurrentThreadKey(); }).join();
  EXPECT_NE(mine, 0u);
  EXPECT_NE(other, 0u);
  EXPECT_NE(mine, other);
  EXPECT_EQ(mine, qvp::CurrentThreadKey());
}

}  // namespace
