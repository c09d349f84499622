// The registry store's text form (described in qvplatform/registry.h).
#pragma once

#include <string>
#include <string_view>

#include "registry/registry_tree.h"

namespace qvp::registry {

// Parses the text into `out` (a fresh tree); every key gets `stamp` as its
// last write time. False with "line N: reason" in `error` when the text is
// malformed; `out` is then incomplete and must be dropped.
bool ParseRegistryText(std::string_view text, Tree& out, uint64_t stamp, std::string* error);

// Writes every key and value so that parsing gives back the same tree.
std::string FormatRegistryText(const Tree& tree);

}  // namespace qvp::registry
