// The standard window, dialog and control style constants scripts may name,
// with their documented Windows values.
#pragma once

#include <cstdint>
#include <string_view>

namespace qvrc {

// The value of a built-in constant; false when `name` is none.
bool LookupBuiltin(std::string_view name, uint32_t* value);

}  // namespace qvrc
