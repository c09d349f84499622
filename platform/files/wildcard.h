// Matching a file name against a search pattern the way Windows does.
#pragma once

#include <string_view>

namespace qvp {

// Letters match without regard to case. '*' matches any run of characters; '?'
// matches one character, or none at the end of the name or before a dot (so
// "lert????.amp" matches "lert1.amp"); a '*' before a dot stops at the name's
// last dot; a dot followed only by wildcards, or ending the pattern, also
// matches the end of a name without one ("*.*" matches "README", "*." matches
// only names without a dot).
bool MatchesPattern(std::string_view pattern, std::string_view name);

}  // namespace qvp
