// Holds a mutex handle for one scope.
#pragma once

#include "qvplatform.h"

class EngineGuard {
 public:
  explicit EngineGuard(HANDLE lock) : m_lock(lock) { WaitForSingleObject(m_lock, INFINITE); }
  ~EngineGuard() { ReleaseMutex(m_lock); }
  EngineGuard(const EngineGuard&) = delete;
  EngineGuard& operator=(const EngineGuard&) = delete;

 private:
  HANDLE m_lock;
};
