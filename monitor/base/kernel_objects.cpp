// Kernel-object wrappers.
#include "kernel_objects.h"

#include "plugin_helpers.h"

CKernelObject::~CKernelObject() {
  if (IsValidHandle(m_handle)) CloseHandle(m_handle);
  m_handle = nullptr;
}

DWORD CKernelObject::Wait(DWORD milliseconds) const { return WaitForSingleObject(m_handle, milliseconds); }

DWORD CKernelObject::WaitWith(const CSyncObject& other, bool all, DWORD milliseconds) const {
  const HANDLE handles[2] = {m_handle, other.GetHandle()};
  return WaitForMultipleObjects(2, handles, all ? TRUE : FALSE, milliseconds);
}

void CKernelObject::TakeCreated(HANDLE handle, const char* name) {
  const DWORD error = ::GetLastError();
  m_handle = handle;
  if (!IsValidHandle(handle)) {
    m_lastError = error;
    OnSyncError(m_lastError);
  } else {
    m_lastError = name != nullptr ? error : 0;
  }
}

void CKernelObject::TakeOpened(HANDLE handle) {
  const DWORD error = ::GetLastError();
  m_handle = handle;
  m_lastError = IsValidHandle(handle) ? 0 : error;
}

CEvent::CEvent(bool manualReset, bool initialState, const char* name, SECURITY_ATTRIBUTES* security) {
  SetLastError(0);
  TakeCreated(CreateEventA(security, manualReset, initialState, name), name);
}

CEvent::CEvent(const char* name, bool inherit, DWORD access) {
  TakeOpened(OpenEventA(access, inherit, name));
}

bool CEvent::Set() const { return SetEvent(m_handle) != FALSE; }
bool CEvent::Reset() const { return ResetEvent(m_handle) != FALSE; }
bool CEvent::Pulse() const { return PulseEvent(m_handle) != FALSE; }

CMutex::CMutex(bool initialOwner, const char* name, SECURITY_ATTRIBUTES* security) {
  SetLastError(0);
  TakeCreated(CreateMutexA(security, initialOwner, name), name);
}

CMutex::CMutex(const char* name, bool inherit, DWORD access) { TakeOpened(OpenMutexA(access, inherit, name)); }

bool CMutex::Release() const { return ReleaseMutex(m_handle) != FALSE; }

CSemaphore::CSemaphore(int initialCount, int maximumCount, const char* name, SECURITY_ATTRIBUTES* security) {
  SetLastError(0);
  TakeCreated(CreateSemaphoreA(security, initialCount, maximumCount, name), name);
}

CSemaphore::CSemaphore(const char* name, bool inherit, DWORD access) {
  TakeOpened(OpenSemaphoreA(access, inherit, name));
}

bool CSemaphore::Release(int count, LONG* previous) const {
  return ReleaseSemaphore(m_handle, count, previous) != FALSE;
}

CCriticalSection::CCriticalSection() : m_section{} { InitializeCriticalSection(&m_section); }

CCriticalSection::~CCriticalSection() { DeleteCriticalSection(&m_section); }
