// Wrappers that own kernel synchronisation handles: a waitable-object
// interface, a handle-owning base, and event, mutex and semaphore objects,
// plus a critical section. Constructors never fail loudly: a caller tests
// GetHandle or GetLastError.
#pragma once

#include "qvplatform.h"

class CSyncObject {
 public:
  virtual HANDLE GetHandle() const = 0;
  virtual DWORD GetLastError() const = 0;

 protected:
  ~CSyncObject() = default;
};

class CKernelObject : public CSyncObject {
 public:
  HANDLE GetHandle() const override { return m_handle; }
  DWORD GetLastError() const override { return m_lastError; }
  virtual ~CKernelObject() = 0;

  CKernelObject(const CKernelObject&) = delete;
  CKernelObject& operator=(const CKernelObject&) = delete;

  // WaitForSingleObject on the handle; its result.
  DWORD Wait(DWORD milliseconds) const;
  // WaitForMultipleObjects on this handle and the other's, for both or either.
  DWORD WaitWith(const CSyncObject& other, bool all, DWORD milliseconds) const;

 protected:
  CKernelObject() = default;
  // After a create call: records the outcome. A failed create reports to
  // OnSyncError; a named object keeps GetLastError (ERROR_ALREADY_EXISTS tells
  // that it existed), an unnamed one 0.
  void TakeCreated(HANDLE handle, const char* name);
  // After an open call: 0 on success, else GetLastError.
  void TakeOpened(HANDLE handle);

  HANDLE m_handle = nullptr;
  DWORD m_lastError = ERROR_INVALID_HANDLE;
};

class CEvent : public CKernelObject {
 public:
  CEvent(bool manualReset, bool initialState, const char* name = nullptr,
         SECURITY_ATTRIBUTES* security = nullptr);
  CEvent(const char* name, bool inherit, DWORD access);
  bool Set() const;
  bool Reset() const;
  bool Pulse() const;
};

class CMutex : public CKernelObject {
 public:
  explicit CMutex(bool initialOwner, const char* name = nullptr, SECURITY_ATTRIBUTES* security = nullptr);
  CMutex(const char* name, bool inherit, DWORD access);
  bool Release() const;
};

class CSemaphore : public CKernelObject {
 public:
  CSemaphore(int initialCount, int maximumCount, const char* name = nullptr,
             SECURITY_ATTRIBUTES* security = nullptr);
  CSemaphore(const char* name, bool inherit, DWORD access);
  // The previous count goes to *previous when given.
  bool Release(int count, LONG* previous = nullptr) const;
};

class CCriticalSection {
 public:
  CCriticalSection();
  virtual ~CCriticalSection();
  CCriticalSection(const CCriticalSection&) = delete;
  CCriticalSection& operator=(const CCriticalSection&) = delete;

  void Lock() { EnterCriticalSection(&m_section); }
  void Unlock() { LeaveCriticalSection(&m_section); }
  CRITICAL_SECTION* GetSection() { return &m_section; }

 private:
  CRITICAL_SECTION m_section;
};
