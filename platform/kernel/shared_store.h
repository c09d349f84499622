// The files in /dev/shm behind the shared named objects: names, owner checks
// and the make-then-link step. Internal to the kernel facility.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace qvp {

enum class SharedKind : uint32_t { kMutex = 1, kEvent = 2, kMapping = 3 };

// The first bytes of every shared object's file.
struct SharedHeader {
  uint32_t magic;
  uint32_t kind;   // SharedKind
  uint64_t bytes;  // the payload's size (mappings: their size)
};
constexpr uint32_t kSharedMagic = 0x4F425651u;  // "QVBO"

// An open shared file: its descriptor, the whole file mapped, and whether
// this call made it.
struct SharedFile {
  int fd = -1;
  void* map = nullptr;
  bool created = false;
  uint64_t file_size = 0;
};

// Opens the object's file, or (when `create`) makes it first: a file of
// `file_size` bytes, filled by `init` (given the mapped file, which stays
// mapped as out->map) before any other process can see it. The header's kind must match. Returns false with the
// last error set (ERROR_FILE_NOT_FOUND, ERROR_INVALID_HANDLE for another kind,
// ERROR_ACCESS_DENIED for a file that is not the user's own, ...).
bool OpenSharedFile(const char* name, SharedKind kind, bool create, uint64_t file_size,
                    const std::function<void(void* file)>& init, SharedFile* out);

}  // namespace qvp
