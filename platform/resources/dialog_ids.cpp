#include "resources/dialog_ids.h"

#include <cstdint>
#include <map>
#include <mutex>
#include <utility>

#include "qvplatform/dlgtemplate.h"

namespace qvp {
namespace {

// FNV-1a over the bytes; with the size it keys the table.
uint64_t Hash(const void* data, size_t size) {
  uint64_t h = 1469598103934665603ULL;
  const auto* p = static_cast<const unsigned char*>(data);
  for (size_t i = 0; i < size; ++i) h = (h ^ p[i]) * 1099511628211ULL;
  return h;
}

struct Known {
  std::mutex lock;
  std::map<std::pair<uint64_t, size_t>, UINT> ids;
};

Known& TheKnown() {
  static auto* k = new Known;
  return *k;
}

}  // namespace

void RememberDialogTemplate(const void* data, size_t size, UINT id) {
  if (data == nullptr || size == 0 || id == 0) return;
  // A resource may be padded past the template's end; copies keep the template.
  DialogTemplateReader reader;
  if (!reader.Open(data, size)) return;
  size = reader.size();
  Known& k = TheKnown();
  std::lock_guard<std::mutex> g(k.lock);
  k.ids[{Hash(data, size), size}] = id;
}

UINT KnownDialogTemplateId(const void* data, size_t size) {
  if (data == nullptr || size == 0) return 0;
  const auto key = std::make_pair(Hash(data, size), size);
  Known& k = TheKnown();
  std::lock_guard<std::mutex> g(k.lock);
  auto it = k.ids.find(key);
  return it == k.ids.end() ? 0 : it->second;
}

}  // namespace qvp
