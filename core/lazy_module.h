// A library bound by name on first use and released when the holder goes
// away (for process-wide holders: at program exit), so that the program also
// runs where the library is missing.
#pragma once

#include <atomic>
#include <mutex>

#include "qvplatform.h"

class LazyModule {
 public:
  explicit LazyModule(const char* fileName);
  ~LazyModule();
  LazyModule(const LazyModule&) = delete;
  LazyModule& operator=(const LazyModule&) = delete;

  // The address of an export, loading the library first when it is not yet
  // loaded. Null when the library cannot be loaded (last error
  // ERROR_MOD_NOT_FOUND) or lacks the export (ERROR_PROC_NOT_FOUND).
  FARPROC Find(const char* procName);

 private:
  const char* fileName_;
  std::mutex lock_;
  HMODULE module_ = nullptr;
};

// One export of a LazyModule, looked up on its first use and then kept.
class LazyProc {
 public:
  LazyProc(LazyModule& module, const char* name) : module_(module), name_(name) {}

  // The export's address, or null with the last error of LazyModule::Find.
  FARPROC Get();

  template <typename Fn>
  Fn As() {
    return reinterpret_cast<Fn>(Get());
  }

 private:
  LazyModule& module_;
  const char* name_;
  std::atomic<FARPROC> address_{nullptr};
};
