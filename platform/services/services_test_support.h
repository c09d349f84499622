// For tests: a service database of its own under a temporary directory.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "files/test_dir.h"
#include "qvplatform.h"

namespace qvp::test {

class ServiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const char* old = std::getenv("QV_STATE_DIR");
    had_env_ = old != nullptr;
    if (had_env_) old_env_ = old;
    // Also in the environment, for programs the test starts itself.
    SetEnvironmentVariableA("QV_STATE_DIR", dir_.path().c_str());
    SetStateDirectory(dir_.path().c_str());
    manager_ = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
    ASSERT_NE(manager_, nullptr);
  }
  void TearDown() override {
    if (manager_ != nullptr) CloseServiceHandle(manager_);
    SetStateDirectory(nullptr);
    SetEnvironmentVariableA("QV_STATE_DIR", had_env_ ? old_env_.c_str() : nullptr);
  }

  SC_HANDLE Create(const char* name, const char* binary = "prog.exe", const char* display = nullptr,
                   DWORD type = SERVICE_WIN32_OWN_PROCESS) {
    return CreateServiceA(manager_, name, display, SERVICE_ALL_ACCESS, type, SERVICE_DEMAND_START,
                          SERVICE_ERROR_NORMAL, binary, nullptr, nullptr, nullptr, nullptr, nullptr);
  }
  SC_HANDLE Open(const char* name, DWORD access = SERVICE_ALL_ACCESS) { return OpenServiceA(manager_, name, access); }

  // The state a fresh handle sees (0 when the service cannot be queried).
  DWORD StateOf(const char* name) {
    SC_HANDLE h = Open(name, SERVICE_QUERY_STATUS);
    SERVICE_STATUS status{};
    const bool ok = h != nullptr && QueryServiceStatus(h, &status);
    if (h != nullptr) CloseServiceHandle(h);
    return ok ? status.dwCurrentState : 0;
  }
  // Asked without opening a handle, which would keep a deleted service.
  bool Exists(const char* name) {
    char display[300];
    DWORD size = sizeof display;
    return GetServiceDisplayNameA(manager_, name, display, &size) != FALSE;
  }

  TestDir dir_;
  SC_HANDLE manager_ = nullptr;

 private:
  bool had_env_ = false;
  std::string old_env_;
};

}  // namespace qvp::test
