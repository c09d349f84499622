// The texts of a report language (".RPL"): an item is written as its tag
// followed, before the next '}', by "{" text "}".
#pragma once

#include <string>

namespace qvr {

// The text of the item: between the first '{' and the first '}' that follow
// the first occurrence of the tag. False when the tag or its braces are missing.
bool FindItemText(const std::string& language, const std::string& tag, std::string* text);

}  // namespace qvr
