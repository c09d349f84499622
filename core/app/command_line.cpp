// Quoting by the rules the Windows command-line splitter undoes: backslashes
// are literal except before a double quote, where they are doubled.
#include "command_line.h"

#include <cstring>

namespace {

void AppendQuoted(std::string& line, const char* argument) {
  if (argument[0] != '\0' && std::strpbrk(argument, " \t\"") == nullptr) {
    line += argument;
    return;
  }
  line += '"';
  size_t backslashes = 0;
  for (const char* p = argument; *p; ++p) {
    if (*p == '\\') {
      ++backslashes;
      continue;
    }
    if (*p == '"') {
      line.append(2 * backslashes + 1, '\\');
    } else {
      line.append(backslashes, '\\');
    }
    backslashes = 0;
    line += *p;
  }
  line.append(2 * backslashes, '\\');
  line += '"';
}

}  // namespace

std::string JoinCommandLine(int count, const char* const* arguments) {
  std::string line;
  for (int i = 0; i < count; ++i) {
    if (i > 0) line += ' ';
    AppendQuoted(line, arguments[i]);
  }
  return line;
}
