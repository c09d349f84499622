#include "net/netns_test_util.h"

#include <net/if.h>
#include <sched.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

namespace nettest {

bool EnterPrivateNetwork(std::string* why) {
  if (unshare(CLONE_NEWNET) != 0) {
    *why = std::string("cannot make a private network namespace: ") + std::strerror(errno);
    return false;
  }
  int s = socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  ifreq r{};
  std::strncpy(r.ifr_name, "lo", sizeof r.ifr_name - 1);
  bool up = s >= 0 && ioctl(s, SIOCGIFFLAGS, &r) == 0;
  r.ifr_flags = static_cast<short>(r.ifr_flags | IFF_UP);
  up = up && ioctl(s, SIOCSIFFLAGS, &r) == 0;
  if (s >= 0) close(s);
  if (!up) *why = std::string("cannot bring the private loopback up: ") + std::strerror(errno);
  return up;
}

bool WriteNetSetting(const std::string& name, const std::string& value) {
  std::ofstream f("/proc/sys/" + name);
  f << value;
  f.flush();
  return static_cast<bool>(f);
}

}  // namespace nettest
