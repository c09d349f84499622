// Windows command lines taken apart into argument vectors.
//
// The first word is the program and is read as Windows reads a program name: a
// quoted part may hold blanks, backslashes are plain characters, and quotes are
// dropped. The words after it follow the C runtime's rules:
//   - blanks and tabs separate words outside quotes;
//   - a quote starts or ends a quoted part, which may hold blanks;
//   - inside a quoted part, two quotes in a row give one literal quote;
//   - 2n backslashes before a quote give n backslashes and the quote acts as
//     above; 2n+1 backslashes before a quote give n backslashes and a literal
//     quote; backslashes before anything else are kept as they are.
// No other character is special: nothing here is ever handed to a shell.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace qvp::shell {

struct ProgramWord {
  std::string program;     // the program word, quotes removed
  bool quoted = false;     // the word began with a quote
  std::string_view rest;   // what follows the word (still to be split)
};

// Takes the program word off the front of a command line (leading blanks skipped).
ProgramWord TakeProgramWord(std::string_view command_line);

// Splits the words after the program word.
std::vector<std::string> SplitArguments(std::string_view arguments);

// The whole command line: the program word, then the arguments.
std::vector<std::string> SplitCommandLine(std::string_view command_line);

}  // namespace qvp::shell
