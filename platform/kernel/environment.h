// The process environment as the layer reads it: one lock around every read
// and change the layer makes, names matched without regard to case as on Windows.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace qvp {

// The value of the variable, or nothing when it is not set.
std::optional<std::string> ReadEnvironment(const char* name);

// Every "NAME=value" entry, read under the same lock (for starting programs).
std::vector<std::string> EnvironmentEntries();

}  // namespace qvp
