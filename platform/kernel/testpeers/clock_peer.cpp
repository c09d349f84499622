// Tests only: a process that reads the clock, for the shared test clock's test.
//   clock_peer now     prints "now <time()>"
//   clock_peer sleep   a thread sleeps a minute; once it is asleep this prints
//                      "asleep <time()>", then when it woke "woke <ticks slept> <time()>"
#include <cstdio>
#include <cstring>
#include <ctime>
#include <thread>

#include "qvplatform.h"
#include "qvplatform/test_clock.h"

int main(int argc, char** argv) {
  if (argc < 2) return 2;
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  if (std::strcmp(argv[1], "now") == 0) {
    std::printf("now %lld\n", static_cast<long long>(std::time(nullptr)));
    return 0;
  }
  if (std::strcmp(argv[1], "sleep") == 0) {
    ULONGLONG slept = 0;
    std::thread sleeper([&slept] {
      const ULONGLONG before = GetTickCount64();
      Sleep(60000);
      slept = GetTickCount64() - before;
    });
    if (!qvp::TestClock::AwaitTimedWaiters(1)) {
      std::printf("no test clock\n");
      sleeper.detach();
      return 1;
    }
    std::printf("asleep %lld\n", static_cast<long long>(std::time(nullptr)));
    sleeper.join();
    std::printf("woke %llu %lld\n", static_cast<unsigned long long>(slept), static_cast<long long>(std::time(nullptr)));
    return 0;
  }
  return 2;
}
