// File mappings backed by the paging file: named ones shared with the user's
// other processes (see kernel/shared_objects.h), unnamed ones private to the
// process. Views stay valid after the mapping's handles are closed.
#include <sys/mman.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <new>

#include "kernel/shared_objects.h"
#include "kernel/shared_store.h"
#include "qvplatform/kernel.h"

namespace qvp {
namespace {

// Mapped bytes start one page into the file, after the header page.
constexpr uint64_t kDataOffset = 4096;

class MappingObject : public KernelObject {
 public:
  MappingObject(int fd, uint64_t bytes, bool writable) : fd_(fd), bytes_(bytes), writable_(writable) {}
  ~MappingObject() override { close(fd_); }
  MappingObject(const MappingObject&) = delete;
  MappingObject& operator=(const MappingObject&) = delete;

  int fd() const { return fd_; }
  uint64_t bytes() const { return bytes_; }
  bool writable() const { return writable_; }

 private:
  const int fd_;
  const uint64_t bytes_;
  const bool writable_;
};

// The views of the process, by address, with their lengths.
struct Views {
  std::mutex lock;
  std::map<void*, size_t> lengths;
};
Views& TheViews() {
  static auto* views = new Views;
  return *views;
}

HANDLE Insert(std::shared_ptr<KernelObject> object, DWORD error) {
  try {
    HANDLE handle = InsertHandle(std::move(object));
    SetLastError(error);
    return handle;
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
}

HANDLE Wrap(const SharedFile& file, bool writable, DWORD error) {
  if (file.map != nullptr) munmap(file.map, file.file_size);
  if (file.file_size <= kDataOffset) {
    close(file.fd);
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  std::shared_ptr<MappingObject> object;
  try {
    object = std::make_shared<MappingObject>(file.fd, file.file_size - kDataOffset, writable);
  } catch (const std::bad_alloc&) {
    close(file.fd);
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  return Insert(std::move(object), error);
}

}  // namespace
}  // namespace qvp

QV_API HANDLE CreateFileMappingA(HANDLE hFile, LPSECURITY_ATTRIBUTES, DWORD flProtect, DWORD dwMaximumSizeHigh,
                                 DWORD dwMaximumSizeLow, LPCSTR lpName) {
  // Only mappings of the paging file are offered.
  if (hFile != INVALID_HANDLE_VALUE) {
    SetLastError(ERROR_NOT_SUPPORTED);
    return nullptr;
  }
  const DWORD protect = flProtect & 0xFFu;
  if (protect != PAGE_READONLY && protect != PAGE_READWRITE) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const uint64_t bytes = (static_cast<uint64_t>(dwMaximumSizeHigh) << 32) | dwMaximumSizeLow;
  if (bytes == 0 || bytes > (uint64_t{1} << 40)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  const bool writable = protect == PAGE_READWRITE;
  qvp::SharedFile file;
  if (lpName == nullptr || *lpName == '\0') {
    file.fd = memfd_create("qv-mapping", MFD_CLOEXEC);
    if (file.fd < 0 || ftruncate(file.fd, static_cast<off_t>(bytes + qvp::kDataOffset)) != 0) {
      if (file.fd >= 0) close(file.fd);
      SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      return nullptr;
    }
    file.file_size = bytes + qvp::kDataOffset;
    return qvp::Wrap(file, writable, NO_ERROR);
  }
  if (!qvp::OpenSharedFile(lpName, qvp::SharedKind::kMapping, true, bytes + qvp::kDataOffset, nullptr, &file)) {
    return nullptr;
  }
  // An existing mapping keeps its size and its contents.
  return qvp::Wrap(file, writable, file.created ? NO_ERROR : ERROR_ALREADY_EXISTS);
}

QV_API HANDLE OpenFileMappingA(DWORD dwDesiredAccess, BOOL, LPCSTR lpName) {
  if (lpName == nullptr || *lpName == '\0') {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  qvp::SharedFile file;
  if (!qvp::OpenSharedFile(lpName, qvp::SharedKind::kMapping, false, 0, nullptr, &file)) return nullptr;
  const bool writable = (dwDesiredAccess & (FILE_MAP_WRITE | FILE_MAP_COPY)) != 0;
  return qvp::Wrap(file, writable || dwDesiredAccess == FILE_MAP_ALL_ACCESS, NO_ERROR);
}

QV_API LPVOID MapViewOfFile(HANDLE hFileMappingObject, DWORD dwDesiredAccess, DWORD dwFileOffsetHigh,
                            DWORD dwFileOffsetLow, SIZE_T dwNumberOfBytesToMap) {
  auto mapping = qvp::LookupHandleAs<qvp::MappingObject>(hFileMappingObject);
  if (!mapping) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  const uint64_t offset = (static_cast<uint64_t>(dwFileOffsetHigh) << 32) | dwFileOffsetLow;
  const bool write = (dwDesiredAccess & (FILE_MAP_WRITE | FILE_MAP_COPY)) != 0;
  if (offset % 65536 != 0 || offset >= mapping->bytes()) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (write && !mapping->writable()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const uint64_t length = dwNumberOfBytesToMap == 0 ? mapping->bytes() - offset : dwNumberOfBytesToMap;
  if (length > mapping->bytes() - offset) {
    SetLastError(ERROR_ACCESS_DENIED);
    return nullptr;
  }
  const int protection = write ? PROT_READ | PROT_WRITE : PROT_READ;
  // FILE_MAP_COPY alone asks for a copy-on-write view (FILE_MAP_ALL_ACCESS carries its bit too).
  const int sharing = dwDesiredAccess == FILE_MAP_COPY ? MAP_PRIVATE : MAP_SHARED;
  void* view = mmap(nullptr, length, protection, sharing, mapping->fd(),
                    static_cast<off_t>(offset + qvp::kDataOffset));
  if (view == MAP_FAILED) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  qvp::Views& views = qvp::TheViews();
  std::lock_guard<std::mutex> hold(views.lock);
  views.lengths[view] = length;
  return view;
}

QV_API BOOL UnmapViewOfFile(LPCVOID lpBaseAddress) {
  qvp::Views& views = qvp::TheViews();
  size_t length = 0;
  {
    std::lock_guard<std::mutex> hold(views.lock);
    auto it = views.lengths.find(const_cast<void*>(lpBaseAddress));
    if (it == views.lengths.end()) {
      SetLastError(ERROR_INVALID_ADDRESS);
      return FALSE;
    }
    length = it->second;
    views.lengths.erase(it);
  }
  munmap(const_cast<void*>(lpBaseAddress), length);
  return TRUE;
}
