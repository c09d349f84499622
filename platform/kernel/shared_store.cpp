// The files behind shared named objects.
#include "kernel/shared_store.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "kernel/shared_objects.h"
#include "qvplatform/kernel.h"

namespace qvp {
namespace {

constexpr const char kShmFolder[] = "/dev/shm/";

// A name as a file name: letters, digits, '_', '.' and '-' as they are,
// everything else as "%XX".
std::string Encode(const char* text) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (const unsigned char c : std::string(text)) {
    if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '.' ||
        c == '-') {
      out += static_cast<char>(c);
    } else {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    }
  }
  return out;
}

std::string FilePath(const char* name) {
  return std::string(kShmFolder) + "qv-" + std::to_string(geteuid()) + "-" + Encode(KernelNamespace()) + "-" +
         Encode(name);
}

DWORD ErrorOf(int error) {
  switch (error) {
    case ENOENT:
      return ERROR_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case ELOOP:
      return ERROR_ACCESS_DENIED;
    case ENAMETOOLONG:
      return ERROR_FILENAME_EXCED_RANGE;
    case ENOMEM:
    case ENOSPC:
      return ERROR_NOT_ENOUGH_MEMORY;
    default:
      return ERROR_INVALID_HANDLE;
  }
}

// Checks an opened file: the user's own, nobody else's to read or write, a
// complete object of the right kind.
bool Verify(int fd, SharedKind kind, uint64_t* size) {
  struct stat info {};
  if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode) || info.st_uid != geteuid() ||
      (info.st_mode & 077) != 0) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  SharedHeader header{};
  if (static_cast<size_t>(info.st_size) < sizeof header ||
      pread(fd, &header, sizeof header, 0) != static_cast<ssize_t>(sizeof header) || header.magic != kSharedMagic) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (header.kind != static_cast<uint32_t>(kind)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  *size = static_cast<uint64_t>(info.st_size);
  return true;
}

}  // namespace

const char* KernelNamespace() {
  static const std::string name = [] {
    const char* value = std::getenv("QV_KERNEL_NAMESPACE");
    return std::string(value != nullptr && *value != '\0' ? value : "default");
  }();
  return name.c_str();
}

bool OpenSharedFile(const char* name, SharedKind kind, bool create, uint64_t file_size,
                    const std::function<void(void* file)>& init, SharedFile* out) {
  const std::string path = FilePath(name);
  if (path.size() - std::strlen(kShmFolder) > 250) {
    SetLastError(ERROR_FILENAME_EXCED_RANGE);
    return false;
  }
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    const int fd = open(path.c_str(), O_RDWR | O_NOFOLLOW | O_CLOEXEC);
    if (fd >= 0) {
      uint64_t size = 0;
      if (!Verify(fd, kind, &size)) {
        close(fd);
        return false;
      }
      void* map = mmap(nullptr, size, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
      if (map == MAP_FAILED) {
        SetLastError(ErrorOf(errno));
        close(fd);
        return false;
      }
      out->fd = fd;
      out->map = map;
      out->created = false;
      out->file_size = size;
      return true;
    }
    if (errno != ENOENT || !create) {
      SetLastError(ErrorOf(errno));
      return false;
    }
    // Made complete under a name of our own, then linked to its name: the
    // link fails when another process was quicker, and we open theirs.
    const std::string temporary =
        path + ".new." + std::to_string(getpid()) + "." + std::to_string(counter.fetch_add(1));
    const int made = open(temporary.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (made < 0) {
      SetLastError(ErrorOf(errno));
      return false;
    }
    void* file = MAP_FAILED;
    if (ftruncate(made, static_cast<off_t>(file_size)) == 0) {
      file = mmap(nullptr, file_size, PROT_READ | PROT_WRITE, MAP_SHARED, made, 0);
    }
    if (file == MAP_FAILED) {
      const int error = errno;
      close(made);
      unlink(temporary.c_str());
      SetLastError(ErrorOf(error));
      return false;
    }
    auto* header = static_cast<SharedHeader*>(file);
    header->magic = kSharedMagic;
    header->kind = static_cast<uint32_t>(kind);
    header->bytes = file_size;
    if (init) init(file);
    const int linked = link(temporary.c_str(), path.c_str());
    const int error = errno;
    unlink(temporary.c_str());
    if (linked == 0) {
      out->fd = made;
      out->map = file;
      out->created = true;
      out->file_size = file_size;
      return true;
    }
    munmap(file, file_size);
    close(made);
    if (error != EEXIST) {
      SetLastError(ErrorOf(error));
      return false;
    }
  }
  SetLastError(ERROR_INVALID_HANDLE);
  return false;
}

}  // namespace qvp
