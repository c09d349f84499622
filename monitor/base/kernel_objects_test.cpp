#include <gtest/gtest.h>

#include <thread>

#include "kernel_objects.h"

namespace {

TEST(KernelObjectsTest, NamedMutexTellsWhetherItExisted) {
  CMutex first(false, "QvKernelObjectsTest!Mutex");
  ASSERT_NE(first.GetHandle(), nullptr);
  EXPECT_EQ(first.GetLastError(), 0u);
  CMutex second(false, "QvKernelObjectsTest!Mutex");
  EXPECT_EQ(second.GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  CMutex opened("QvKernelObjectsTest!Mutex", false, MUTEX_ALL_ACCESS);
  EXPECT_NE(opened.GetHandle(), nullptr);
  EXPECT_EQ(opened.GetLastError(), 0u);
  CMutex missing("QvKernelObjectsTest!Nothing", false, MUTEX_ALL_ACCESS);
  EXPECT_EQ(missing.GetHandle(), nullptr);
  EXPECT_EQ(missing.GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  CMutex unnamed(false);
  EXPECT_EQ(unnamed.GetLastError(), 0u);
}

TEST(KernelObjectsTest, MutexGuardsAcrossThreads) {
  CMutex mutex(true, nullptr);  // owned by this thread
  DWORD other = WAIT_FAILED;
  std::thread waiter([&] { other = mutex.Wait(0); });
  waiter.join();
  EXPECT_EQ(other, static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(mutex.Release());
  EXPECT_FALSE(mutex.Release());  // not owned any more
  std::thread taker([&] {
    other = mutex.Wait(INFINITE);
    mutex.Release();
  });
  taker.join();
  EXPECT_EQ(other, static_cast<DWORD>(WAIT_OBJECT_0));
}

TEST(KernelObjectsTest, EventsAndSemaphores) {
  CEvent event(true, false);
  EXPECT_EQ(event.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(event.Set());
  EXPECT_EQ(event.Wait(0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(event.Wait(0), static_cast<DWORD>(WAIT_OBJECT_0));  // manual reset stays set
  EXPECT_TRUE(event.Reset());
  EXPECT_EQ(event.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT));

  CSemaphore semaphore(0, 2);
  LONG previous = -1;
  EXPECT_TRUE(semaphore.Release(2, &previous));
  EXPECT_EQ(previous, 0);
  EXPECT_FALSE(semaphore.Release(1));  // past the maximum
  // Either of the two: the event is not set, the semaphore is.
  EXPECT_EQ(event.WaitWith(semaphore, false, 0), static_cast<DWORD>(WAIT_OBJECT_0 + 1));
  EXPECT_EQ(event.WaitWith(semaphore, true, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  event.Set();
  EXPECT_EQ(event.WaitWith(semaphore, true, 0), static_cast<DWORD>(WAIT_OBJECT_0));

  CEvent named(false, false, "QvKernelObjectsTest!Event");
  CEvent opened("QvKernelObjectsTest!Event", false, EVENT_ALL_ACCESS);
  EXPECT_TRUE(opened.Set());
  EXPECT_EQ(named.Wait(0), static_cast<DWORD>(WAIT_OBJECT_0));
  EXPECT_EQ(named.Wait(0), static_cast<DWORD>(WAIT_TIMEOUT));  // auto reset
}

TEST(KernelObjectsTest, CriticalSectionExcludes) {
  CCriticalSection section;
  int counter = 0;
  std::thread threads[4];
  for (auto& thread : threads) {
    thread = std::thread([&] {
      for (int i = 0; i < 1000; ++i) {
        section.Lock();
        ++counter;
        section.Unlock();
      }
    });
  }
  for (auto& thread : threads) thread.join();
  EXPECT_EQ(counter, 4000);
  EXPECT_NE(section.GetSection(), nullptr);
}

}  // namespace
