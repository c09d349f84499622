// URL splitting, Base64 and the host cache of the HTTP GET client.
#include <cstring>
#include <mutex>

#include "http_get.h"
#include "net_binding.h"

namespace {

constexpr int kCacheEntries = 20;

struct CacheEntry {
  bool inUse = false;
  uint64_t lastUse = 0;
  uint32_t address = 0xFFFFFFFFu;  // none
  std::string name;                // the whole name: a cut name would answer for another
};

struct HostCache {
  std::mutex lock;  // the cache is process-wide; calls may come from more than one thread
  CacheEntry entries[kCacheEntries];
  uint64_t clock = 0;  // orders uses; a tick count could tie or wrap
  std::function<bool(const std::string&, uint32_t*)> resolver;
};

bool ResolveByName(const std::string& name, uint32_t* address) {
  hostent* found = g_net.gethostbyname(name.c_str());
  if (found == nullptr || found->h_addrtype != AF_INET || found->h_addr_list == nullptr ||
      found->h_addr_list[0] == nullptr) {
    return false;
  }
  std::memcpy(address, found->h_addr_list[0], sizeof *address);
  return true;
}

HostCache& Cache() {
  static HostCache cache;
  return cache;
}

// The start of text is prefix, letters compared without regard to case.
bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    const char a = (*text >= 'A' && *text <= 'Z') ? static_cast<char>(*text + 32) : *text;
    if (a != *prefix) return false;
  }
  return true;
}

bool IsDottedName(const char* host) {
  for (const char* c = host; *c != '\0'; ++c) {
    if ((*c < '0' || *c > '9') && *c != '.') return false;
  }
  return true;
}

}  // namespace

int SplitUrl(const char* url, std::string* path, std::string* host, int* port) {
  *path = "/";
  host->clear();
  *port = -1;
  int kind = 0;
  const char* rest = url;
  if (StartsWithNoCase(url, "http://")) {
    kind = 2;
    *port = 80;
    rest = url + 7;
  } else if (StartsWithNoCase(url, "ftp://")) {
    kind = 1;
    *port = 21;
    rest = url + 6;
  } else {
    return 0;
  }
  const size_t hostLength = std::strcspn(rest, ":/\\");
  host->assign(rest, hostLength);
  const char* at = rest + hostLength;
  if (*at == ':') {
    ++at;
    long value = 0;
    size_t digits = 0;
    while (at[digits] >= '0' && at[digits] <= '9' && digits < 6) {
      value = value * 10 + (at[digits] - '0');
      ++digits;
    }
    const bool wellFormed = digits > 0 && (at[digits] == '\0' || at[digits] == '/' || at[digits] == '\\');
    *port = wellFormed && value >= 1 && value <= 65535 ? static_cast<int>(value) : -1;
    at = std::strpbrk(at, "/\\");
  }
  if (at != nullptr && (*at == '/' || *at == '\\')) *path = at;
  return kind;
}

std::string Base64Encode(const std::string& text) {
  static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  size_t i = 0;
  for (; i + 2 < text.size(); i += 3) {
    const uint32_t n = (static_cast<unsigned char>(text[i]) << 16) | (static_cast<unsigned char>(text[i + 1]) << 8) |
                       static_cast<unsigned char>(text[i + 2]);
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += kAlphabet[(n >> 6) & 63];
    out += kAlphabet[n & 63];
  }
  if (i < text.size()) {
    uint32_t n = static_cast<unsigned char>(text[i]) << 16;
    if (i + 1 < text.size()) n |= static_cast<unsigned char>(text[i + 1]) << 8;
    out += kAlphabet[(n >> 18) & 63];
    out += kAlphabet[(n >> 12) & 63];
    out += i + 1 < text.size() ? kAlphabet[(n >> 6) & 63] : '=';
    out += '=';
  }
  return out;
}

bool ResolveHostCached(const char* host, uint32_t* address) {
  if (g_net.socketLibrary == nullptr) return false;
  if (IsDottedName(host)) {
    const u_long value = g_net.inet_addr(host);
    if (value == INADDR_NONE) return false;  // not a valid dotted address
    *address = static_cast<uint32_t>(value);
    return true;
  }
  HostCache& cache = Cache();
  std::lock_guard<std::mutex> hold(cache.lock);
  const uint64_t now = ++cache.clock;
  for (CacheEntry& entry : cache.entries) {
    if (entry.inUse && entry.name == host) {
      entry.lastUse = now;
      *address = entry.address;
      return entry.address != 0xFFFFFFFFu;
    }
  }
  CacheEntry* chosen = nullptr;
  for (CacheEntry& entry : cache.entries) {
    if (!entry.inUse) {
      chosen = &entry;
      break;
    }
  }
  if (chosen == nullptr) {
    chosen = &cache.entries[0];
    for (CacheEntry& entry : cache.entries) {
      if (entry.lastUse < chosen->lastUse) chosen = &entry;
    }
  }
  chosen->inUse = true;
  chosen->lastUse = now;
  chosen->address = 0xFFFFFFFFu;
  chosen->name = host;
  uint32_t found = 0;
  const bool resolved = cache.resolver ? cache.resolver(chosen->name, &found) : ResolveByName(chosen->name, &found);
  if (!resolved) return false;  // the entry stays without an address
  chosen->address = found;
  *address = found;
  return true;
}

void ResetHostCacheForTests(std::function<bool(const std::string&, uint32_t*)> resolver) {
  HostCache& cache = Cache();
  std::lock_guard<std::mutex> hold(cache.lock);
  for (CacheEntry& entry : cache.entries) entry = CacheEntry{};
  cache.clock = 0;
  cache.resolver = std::move(resolver);
}
