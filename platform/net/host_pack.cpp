// Windows' hostent and servent laid out in one buffer: the structure, its
// pointer lists, the addresses, then the texts. Pointers are copied bytewise,
// so a caller's buffer need not be aligned.
#include <cstring>
#include <string>
#include <vector>

#include "net/winsock_internal.h"

namespace qvp::net {
namespace {

constexpr size_t Align(size_t n) { return (n + alignof(void*) - 1) & ~(alignof(void*) - 1); }

class Layout {
 public:
  Layout(char* buf, size_t size) : buf_(buf), size_(size) {}
  size_t Take(size_t n) {
    size_t at = used_;
    used_ += n;
    return at;
  }
  size_t used() const { return used_; }
  bool fits() const { return buf_ && used_ <= size_; }
  char* At(size_t offset) const { return buf_ + offset; }
  void PutPointer(size_t offset, const void* p) const { std::memcpy(buf_ + offset, &p, sizeof p); }

 private:
  char* buf_;
  size_t size_;
  size_t used_ = 0;
};

}  // namespace

size_t PackHostent(const HostInfo& h, char* buf, size_t size) {
  for (int pass = 0; pass < 2; ++pass) {
    Layout l(pass == 0 ? nullptr : buf, size);
    size_t ent = l.Take(Align(sizeof(hostent)));
    size_t aliases = l.Take((h.aliases.size() + 1) * sizeof(char*));
    std::vector<size_t> alias_at;
    size_t addr_list = l.Take((h.addrs.size() + 1) * sizeof(char*));
    size_t addrs = l.Take(h.addrs.size() * 4);
    size_t name = l.Take(h.name.size() + 1);
    for (const std::string& a : h.aliases) alias_at.push_back(l.Take(a.size() + 1));
    if (pass == 0) {
      if (!buf || l.used() > size) return l.used();
      continue;
    }
    hostent he{};
    he.h_name = l.At(name);
    he.h_aliases = reinterpret_cast<char**>(l.At(aliases));
    he.h_addrtype = AF_INET;
    he.h_length = 4;
    he.h_addr_list = reinterpret_cast<char**>(l.At(addr_list));
    std::memcpy(l.At(ent), &he, sizeof he);
    std::memcpy(l.At(name), h.name.c_str(), h.name.size() + 1);
    for (size_t i = 0; i < h.aliases.size(); ++i) {
      std::memcpy(l.At(alias_at[i]), h.aliases[i].c_str(), h.aliases[i].size() + 1);
      l.PutPointer(aliases + i * sizeof(char*), l.At(alias_at[i]));
    }
    l.PutPointer(aliases + h.aliases.size() * sizeof(char*), nullptr);
    for (size_t i = 0; i < h.addrs.size(); ++i) {
      std::memcpy(l.At(addrs + 4 * i), &h.addrs[i], 4);
      l.PutPointer(addr_list + i * sizeof(char*), l.At(addrs + 4 * i));
    }
    l.PutPointer(addr_list + h.addrs.size() * sizeof(char*), nullptr);
    return l.used();
  }
  return 0;
}

size_t PackServent(const ServInfo& s, char* buf, size_t size) {
  for (int pass = 0; pass < 2; ++pass) {
    Layout l(pass == 0 ? nullptr : buf, size);
    size_t ent = l.Take(Align(sizeof(servent)));
    size_t aliases = l.Take((s.aliases.size() + 1) * sizeof(char*));
    std::vector<size_t> alias_at;
    size_t name = l.Take(s.name.size() + 1);
    size_t proto = l.Take(s.proto.size() + 1);
    for (const std::string& a : s.aliases) alias_at.push_back(l.Take(a.size() + 1));
    if (pass == 0) {
      if (!buf || l.used() > size) return l.used();
      continue;
    }
    servent se{};
    se.s_name = l.At(name);
    se.s_aliases = reinterpret_cast<char**>(l.At(aliases));
    se.s_proto = l.At(proto);
    se.s_port = static_cast<short>(s.port);
    std::memcpy(l.At(ent), &se, sizeof se);
    std::memcpy(l.At(name), s.name.c_str(), s.name.size() + 1);
    std::memcpy(l.At(proto), s.proto.c_str(), s.proto.size() + 1);
    for (size_t i = 0; i < s.aliases.size(); ++i) {
      std::memcpy(l.At(alias_at[i]), s.aliases[i].c_str(), s.aliases[i].size() + 1);
      l.PutPointer(aliases + i * sizeof(char*), l.At(alias_at[i]));
    }
    l.PutPointer(aliases + s.aliases.size() * sizeof(char*), nullptr);
    return l.used();
  }
  return 0;
}

}  // namespace qvp::net
