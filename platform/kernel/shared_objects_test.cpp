// Named objects shared with another process of the user: mappings, events
// and robust mutexes, met from a second process (testpeers/shared_peer).
#include <gtest/gtest.h>

#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "kernel/shared_objects.h"
#include "kernel/test_support.h"
#include "qvplatform/kernel.h"

extern char** environ;

namespace {

class SharedObjects : public ::testing::Test {
 protected:
  void SetUp() override {
    // A namespace of this run's own (read once by the layer, inherited by the peer).
    setenv("QV_KERNEL_NAMESPACE", ("kt" + std::to_string(getpid())).c_str(), 0);
  }
  void TearDown() override {
    const std::string prefix = "qv-" + std::to_string(geteuid()) + "-" + qvp::KernelNamespace() + "-";
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/dev/shm", error)) {
      if (entry.path().filename().string().rfind(prefix, 0) == 0) std::filesystem::remove(entry.path(), error);
    }
  }
  static std::string FileOf(const char* name) {
    return "/dev/shm/qv-" + std::to_string(geteuid()) + "-" + qvp::KernelNamespace() + "-" + name;
  }
  // Runs the peer to its end; its exit code.
  static int Peer(const std::vector<std::string>& arguments) {
    std::vector<std::string> all{QV_SHARED_PEER};
    all.insert(all.end(), arguments.begin(), arguments.end());
    std::vector<char*> argv;
    for (std::string& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return -1;
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  }
};

TEST_F(SharedObjects, MappingIsSharedOwnerOnlyAndZeroedWhenMade) {
  HANDLE mapping = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1296, "QuorvaneSNMPMemMap_7");
  ASSERT_NE(mapping, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
  auto* view = static_cast<char*>(MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, 1296));
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(std::count(view, view + 1296, '\0'), 1296);
  struct stat info {};
  ASSERT_EQ(stat(FileOf("QuorvaneSNMPMemMap_7").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 0777, 0600u);

  EXPECT_EQ(Peer({"write-map", "QuorvaneSNMPMemMap_7", "from the peer"}), 0);
  EXPECT_STREQ(view, "from the peer");
  EXPECT_EQ(Peer({"create-map", "QuorvaneSNMPMemMap_7", "1296"}), 3);  // ERROR_ALREADY_EXISTS
  // A second mapping of the name keeps the contents.
  HANDLE again = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1296, "QuorvaneSNMPMemMap_7");
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));
  auto* second = static_cast<char*>(MapViewOfFile(again, FILE_MAP_READ, 0, 0, 0));
  ASSERT_NE(second, nullptr);
  EXPECT_STREQ(second, "from the peer");
  CloseHandle(again);
  CloseHandle(mapping);
  EXPECT_STREQ(view, "from the peer");  // views outlive the handles
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_TRUE(UnmapViewOfFile(second));
  EXPECT_FALSE(UnmapViewOfFile(view));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_ADDRESS));

  EXPECT_EQ(OpenFileMappingA(FILE_MAP_READ, FALSE, "QuorvaneSNMPMemMap_8"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST_F(SharedObjects, AFileOfTheNameThatOthersCouldReadIsRefused) {
  const std::string path = FileOf("QuorvaneSNMPMemMap_9");
  FILE* planted = std::fopen(path.c_str(), "w");
  ASSERT_NE(planted, nullptr);
  std::fputs("planted", planted);
  std::fclose(planted);
  chmod(path.c_str(), 0644);
  EXPECT_EQ(CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 1296, "QuorvaneSNMPMemMap_9"),
            nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
}

TEST_F(SharedObjects, EventsCrossProcessesAndResetThemselves) {
  HANDLE request = CreateEventA(nullptr, FALSE, FALSE, "QV_GetRequest_7");
  ASSERT_NE(request, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(WaitForSingleObject(request, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_EQ(Peer({"set-event", "QV_GetRequest_7"}), 0);
  EXPECT_EQ(WaitForSingleObject(request, 30000), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(request, 20), static_cast<DWORD>(WAIT_TIMEOUT));  // auto-reset

  HANDLE response = CreateEventA(nullptr, FALSE, FALSE, "QV_GetResponse_7");
  ASSERT_NE(response, nullptr);
  HANDLE opened = OpenEventA(EVENT_ALL_ACCESS, FALSE, "QV_GetResponse_7");
  ASSERT_NE(opened, nullptr);
  // The peer waits; a thread of ours sets the event through the other handle.
  DWORD waited = 99;
  auto run = [&]() -> DWORD {
    waited = static_cast<DWORD>(Peer({"wait-event", "QV_GetResponse_7", "30000"}));
    return 0;
  };
  HANDLE thread = qvtest::StartThread(&run);
  // The peer either sees the set or (started late) finds the event still set.
  Sleep(50);
  EXPECT_TRUE(SetEvent(opened));
  EXPECT_EQ(WaitForSingleObject(thread, INFINITE), WAIT_OBJECT_0);
  EXPECT_EQ(waited, 0u);
  EXPECT_EQ(WaitForSingleObject(response, 0), static_cast<DWORD>(WAIT_TIMEOUT));  // the peer took it
  CloseHandle(thread);

  HANDLE manual = CreateEventA(nullptr, TRUE, TRUE, "QV_TrapResponse_7");
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_EQ(WaitForSingleObject(manual, 0), WAIT_OBJECT_0);
  EXPECT_TRUE(ResetEvent(manual));
  EXPECT_EQ(WaitForSingleObject(manual, 0), static_cast<DWORD>(WAIT_TIMEOUT));
  // Waited on together with other objects, a shared object is refused.
  HANDLE both[2] = {manual, response};
  EXPECT_EQ(WaitForMultipleObjects(2, both, FALSE, 0), WAIT_FAILED);
  EXPECT_EQ(WaitForMultipleObjects(1, both, FALSE, 0), static_cast<DWORD>(WAIT_TIMEOUT));

  EXPECT_EQ(OpenEventA(EVENT_ALL_ACCESS, FALSE, "QV_TrapRequest_7"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(OpenMutexA(MUTEX_ALL_ACCESS, FALSE, "QV_GetRequest_7"), nullptr);  // an event, not a mutex
  for (HANDLE h : {request, response, opened, manual}) CloseHandle(h);
}

TEST_F(SharedObjects, AMutexLeftByAnEndedOwnerIsAbandoned) {
  HANDLE mutex = CreateMutexA(nullptr, FALSE, "QV_SNMP_Mutex_7");
  ASSERT_NE(mutex, nullptr);
  HANDLE same = CreateMutexA(nullptr, FALSE, "QV_SNMP_Mutex_7");
  ASSERT_NE(same, nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ALREADY_EXISTS));

  // Another process ends while owning it.
  EXPECT_EQ(Peer({"hold-mutex-and-exit", "QV_SNMP_Mutex_7"}), 0);
  EXPECT_EQ(WaitForSingleObject(mutex, 30000), WAIT_ABANDONED);
  EXPECT_EQ(WaitForSingleObject(same, 0), WAIT_OBJECT_0);  // recursive for its owner
  EXPECT_TRUE(ReleaseMutex(same));
  // Not its owner: another thread cannot release it, nor take it.
  DWORD fromThread = 0;
  BOOL released = TRUE;
  auto other = [&]() -> DWORD {
    released = ReleaseMutex(mutex);
    fromThread = WaitForSingleObject(mutex, 20);
    return 0;
  };
  HANDLE thread = qvtest::StartThread(&other);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_FALSE(released);
  EXPECT_EQ(fromThread, static_cast<DWORD>(WAIT_TIMEOUT));
  EXPECT_TRUE(ReleaseMutex(mutex));
  EXPECT_FALSE(ReleaseMutex(mutex));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_NOT_OWNER));

  // A thread of ours that ends owning it abandons it too.
  auto holder = [&]() -> DWORD { return WaitForSingleObject(mutex, INFINITE); };
  thread = qvtest::StartThread(&holder);
  WaitForSingleObject(thread, INFINITE);
  CloseHandle(thread);
  EXPECT_EQ(WaitForSingleObject(mutex, 30000), WAIT_ABANDONED);
  EXPECT_TRUE(ReleaseMutex(mutex));
  CloseHandle(same);
  CloseHandle(mutex);
}

TEST_F(SharedObjects, OtherNamesStayInTheProcess) {
  HANDLE local = CreateEventA(nullptr, FALSE, FALSE, "QV_Other_Event");
  ASSERT_NE(local, nullptr);
  EXPECT_FALSE(std::filesystem::exists(FileOf("QV_Other_Event")));
  CloseHandle(local);
  HANDLE unnamed = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 100, nullptr);
  ASSERT_NE(unnamed, nullptr);
  auto* view = static_cast<char*>(MapViewOfFile(unnamed, FILE_MAP_WRITE, 0, 0, 0));
  ASSERT_NE(view, nullptr);
  view[99] = 'x';
  EXPECT_TRUE(UnmapViewOfFile(view));
  EXPECT_EQ(MapViewOfFile(unnamed, FILE_MAP_WRITE, 0, 0, 101), nullptr);
  CloseHandle(unnamed);
  HANDLE readOnly = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READONLY, 0, 100, nullptr);
  EXPECT_EQ(MapViewOfFile(readOnly, FILE_MAP_WRITE, 0, 0, 0), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  CloseHandle(readOnly);
}

}  // namespace
