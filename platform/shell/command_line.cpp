#include "shell/command_line.h"

namespace qvp::shell {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

ProgramWord TakeProgramWord(std::string_view line) {
  ProgramWord word;
  size_t i = 0;
  while (i < line.size() && IsBlank(line[i])) ++i;
  word.quoted = i < line.size() && line[i] == '"';
  bool in_quotes = false;
  for (; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '"') {
      in_quotes = !in_quotes;
    } else if (IsBlank(c) && !in_quotes) {
      break;
    } else {
      word.program += c;
    }
  }
  word.rest = line.substr(i);
  return word;
}

std::vector<std::string> SplitArguments(std::string_view text) {
  std::vector<std::string> words;
  size_t i = 0;
  const size_t n = text.size();
  for (;;) {
    while (i < n && IsBlank(text[i])) ++i;
    if (i >= n) break;
    std::string word;
    bool quoted = false;
    while (i < n && (quoted || !IsBlank(text[i]))) {
      const char c = text[i];
      if (c == '\\') {
        size_t count = 0;
        while (i < n && text[i] == '\\') {
          ++count;
          ++i;
        }
        if (i < n && text[i] == '"') {
          word.append(count / 2, '\\');
          if (count % 2 == 1) {
            word += '"';
            ++i;
          }
          // An even count leaves the quote to the code below.
        } else {
          word.append(count, '\\');
        }
        continue;
      }
      if (c == '"') {
        if (quoted && i + 1 < n && text[i + 1] == '"') {
          word += '"';  // "" inside quotes: a literal quote, still quoted
          i += 2;
          continue;
        }
        quoted = !quoted;
        ++i;
        continue;
      }
      word += c;
      ++i;
    }
    words.push_back(std::move(word));
  }
  return words;
}

std::vector<std::string> SplitCommandLine(std::string_view command_line) {
  ProgramWord first = TakeProgramWord(command_line);
  std::vector<std::string> words;
  bool blank = true;
  for (char c : command_line) blank = blank && IsBlank(c);
  if (blank) return words;
  words.push_back(std::move(first.program));
  for (std::string& w : SplitArguments(first.rest)) words.push_back(std::move(w));
  return words;
}

}  // namespace qvp::shell
