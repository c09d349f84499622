// Text for the report's HTML: the system's ANSI (Windows-1252) text as
// UTF-8, escaped where it is inserted.
#pragma once

#include <string>
#include <string_view>

namespace qvr {

// Appends text as UTF-8; control characters other than tab, CR and LF are
// left out (they are not allowed in an HTML document).
void AppendUtf8(std::string& out, std::string_view ansi);
// The same, with & < > " ' escaped.
void AppendEscaped(std::string& out, std::string_view ansi);
// A class name made of the token's letters, digits, '-' and '_'.
std::string ClassName(std::string_view token);

}  // namespace qvr
