#include "files/sibling_file.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "files/path_mapper.h"

namespace qvp {

std::string FollowLinks(const std::string& path) {
  char resolved[PATH_MAX];
  if (::realpath(path.c_str(), resolved) != nullptr) return resolved;
  return path;
}

int CreateSiblingFile(const std::string& target, std::string* temp_path) {
  static std::atomic<unsigned> counter{0};
  const std::string directory = ParentOf(target);
  std::string leaf = target.substr(target.find_last_of('/') + 1);
  if (leaf.size() > 200) leaf.resize(200);  // leave room for the suffix within a name's limit
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate = JoinPath(directory, "." + leaf + "." + std::to_string(::getpid()) + "." +
                                                    std::to_string(counter.fetch_add(1)) + ".tmp");
    int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) {
      *temp_path = std::move(candidate);
      return fd;
    }
    if (errno != EEXIST) return -1;
  }
  errno = EEXIST;
  return -1;
}

bool WriteAll(int fd, const char* data, size_t size) {
  size_t done = 0;
  while (done < size) {
    ssize_t put = ::write(fd, data + done, size - done);
    if (put < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    done += static_cast<size_t>(put);
  }
  return true;
}

}  // namespace qvp
