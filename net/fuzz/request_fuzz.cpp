// libFuzzer target: a request's parsing and URL mapping. Property: the
// mapped path is empty, or lies under the web root or the users folder with
// no "." or ".." component and no control byte below it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz_common.h"
#include "remote_users.h"
#include "server_request.h"

namespace {

bool UnderRoot(const std::string& path, const std::string& root) {
  if (path.size() <= root.size() || path.compare(0, root.size(), root) != 0 || path[root.size()] != '\\') {
    return false;
  }
  size_t from = root.size() + 1;
  for (;;) {
    const size_t next = path.find_first_of("\\/", from);
    const std::string part = path.substr(from, next == std::string::npos ? std::string::npos : next - from);
    if (part == "." || part == "..") return false;
    for (unsigned char c : part) {
      if (c < 0x20 || c == 0x7f || c == ':') return false;
    }
    if (next == std::string::npos) return true;
    from = next + 1;
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const RemoteServerSettings settings = FuzzSettings();
  static const bool users = [] {
    g_remoteUsers.LogOn("ann", 0, 1);
    g_remoteUsers.LogOn("boss", 1, 1);
    return true;
  }();
  (void)users;
  const std::string input(reinterpret_cast<const char*>(data), size);
  const size_t split = input.find("\r\n\r\n");
  const std::string head = split == std::string::npos ? input : input.substr(0, split + 2);
  const std::string body = split == std::string::npos ? std::string() : input.substr(split + 4);
  ServerRequest request(settings, [](const char*, size_t) {}, 0x0100007f);
  request.Parse(head, body);
  const std::string& mapped = request.mappedPath;
  if (!mapped.empty() && !UnderRoot(mapped, settings.webRoot) && !UnderRoot(mapped, settings.usersFolder)) {
    std::abort();
  }
  if (request.host.size() > 99 || request.item.size() > 99) std::abort();
  g_logonThrottle.Clear();
  return 0;
}
