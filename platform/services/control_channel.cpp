#include "services/control_channel.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <functional>

#include "services/service_db.h"

namespace qvp::services {
namespace {

// Runs `use` with an address for the path. A path too long for a socket
// address is reached through the directory's descriptor in /proc.
int WithAddress(const std::string& path, const std::function<int(const sockaddr_un&)>& use) {
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  if (path.size() < sizeof address.sun_path) {
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    return use(address);
  }
  const size_t slash = path.rfind('/');
  if (slash == std::string::npos) {
    errno = ENAMETOOLONG;
    return -1;
  }
  const int dir = open(path.substr(0, slash).c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  if (dir < 0) return -1;
  const std::string shortened = "/proc/self/fd/" + std::to_string(dir) + path.substr(slash);
  int rc = -1;
  if (shortened.size() < sizeof address.sun_path) {
    std::memcpy(address.sun_path, shortened.c_str(), shortened.size() + 1);
    rc = use(address);
  } else {
    errno = ENAMETOOLONG;
  }
  const int saved = errno;
  close(dir);
  errno = saved;
  return rc;
}

bool WaitReadable(int fd, int timeout_ms) {
  pollfd p{fd, POLLIN, 0};
  for (;;) {
    const int rc = poll(&p, 1, timeout_ms);
    if (rc > 0) return true;
    if (rc == 0 || errno != EINTR) return false;
  }
}

// Reads exactly `size` bytes, waiting at most timeout_ms for each part.
bool ReadExactly(int fd, void* data, size_t size, int timeout_ms) {
  auto* bytes = static_cast<char*>(data);
  size_t done = 0;
  while (done < size) {
    if (!WaitReadable(fd, timeout_ms)) return false;
    const ssize_t n = recv(fd, bytes + done, size - done, 0);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

bool SendAll(int fd, const void* data, size_t size) {
  const auto* bytes = static_cast<const char*>(data);
  size_t done = 0;
  while (done < size) {
    const ssize_t n = send(fd, bytes + done, size - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string ControlSocketPath(int pid) { return ServicesDirectory() + "/control-" + std::to_string(pid); }

int ListenControlSocket(const std::string& path) {
  unlink(path.c_str());
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return -1;
  const int rc = WithAddress(path, [fd](const sockaddr_un& address) {
    return bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  });
  if (rc != 0 || listen(fd, 8) != 0) {
    const int saved = errno;
    close(fd);
    errno = saved;
    return -1;
  }
  return fd;
}

DWORD SendControl(const std::string& path, DWORD control, int timeout_ms, ControlAnswer* answer) {
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return ERROR_NOT_ENOUGH_MEMORY;
  struct Closer {
    int fd;
    ~Closer() { close(fd); }
  } closer{fd};
  const int rc = WithAddress(path, [fd](const sockaddr_un& address) {
    int r;
    do {
      r = connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    } while (r != 0 && errno == EINTR);
    return r;
  });
  if (rc != 0) return ERROR_SERVICE_NOT_ACTIVE;
  if (!SendAll(fd, &control, sizeof control)) return ERROR_SERVICE_NOT_ACTIVE;
  if (!ReadExactly(fd, answer, sizeof *answer, timeout_ms)) return ERROR_SERVICE_REQUEST_TIMEOUT;
  return ERROR_SUCCESS;
}

bool ReadControl(int fd, int timeout_ms, DWORD* control) { return ReadExactly(fd, control, sizeof *control, timeout_ms); }

void WriteAnswer(int fd, const ControlAnswer& answer) { SendAll(fd, &answer, sizeof answer); }

}  // namespace qvp::services
