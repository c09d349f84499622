#include "lazy_module.h"

LazyModule::LazyModule(const char* fileName) : fileName_(fileName) {}

LazyModule::~LazyModule() {
  if (module_ != nullptr) FreeLibrary(module_);
}

FARPROC LazyModule::Find(const char* procName) {
  std::lock_guard<std::mutex> guard(lock_);
  if (module_ == nullptr) module_ = LoadLibraryA(fileName_);
  if (module_ == nullptr) {
    SetLastError(ERROR_MOD_NOT_FOUND);
    return nullptr;
  }
  FARPROC address = GetProcAddress(module_, procName);
  if (address == nullptr) SetLastError(ERROR_PROC_NOT_FOUND);
  return address;
}

FARPROC LazyProc::Get() {
  FARPROC address = address_.load(std::memory_order_acquire);
  if (address == nullptr) {
    address = module_.Find(name_);
    if (address != nullptr) address_.store(address, std::memory_order_release);
  }
  return address;
}
