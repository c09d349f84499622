// The registry store's text: what the reader takes, the writer gives back.
//
// Properties: a refused text names its line; an accepted text, written out and
// read again, writes out the same; the tree is freed however deep it is.
#include <string>

#include "fuzz_support.h"
#include "registry/registry_text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > 256 * 1024) return 0;
  std::string error;
  qvp::registry::Tree tree;
  if (!qvp::registry::ParseRegistryText(qvfuzz::Bytes(data, size), tree, 1, &error)) {
    FUZZ_CHECK(error.starts_with("line "));
    return 0;
  }
  const std::string once = qvp::registry::FormatRegistryText(tree);
  qvp::registry::Tree again;
  FUZZ_CHECK(qvp::registry::ParseRegistryText(once, again, 1, &error));
  FUZZ_CHECK(qvp::registry::FormatRegistryText(again) == once);
  return 0;
}
