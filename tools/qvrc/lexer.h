// Tokens of a resource script.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace qvrc {

// A fault in a script, with the place it was found ("file:line").
class CompileError : public std::runtime_error {
 public:
  CompileError(const std::string& where, const std::string& what) : std::runtime_error(where + ": " + what) {}
};

enum class TokenKind {
  kIdent,      // names and keywords
  kNumber,     // 12, 0x1F, 100L
  kString,     // "text" with escapes already applied; bytes in the layer's ANSI code page
  kPunct,      // one of , { } ( ) | & ^ ~ + - * / % ! < > (<< and >> as two-character tokens)
  kDirective,  // a whole line starting with '#', without the '#'
  kEnd,
};

struct Token {
  TokenKind kind = TokenKind::kEnd;
  std::string text;     // identifier, punctuation, string bytes or directive line
  uint32_t value = 0;   // numbers
  std::string file;
  int line = 0;
  int depth = 0;        // #include nesting
  std::string Where() const { return file + ":" + std::to_string(line); }
};

// Splits a script into tokens, ending with one kEnd token. Throws CompileError
// for an unterminated string or comment, a bad escape or number, or a text
// that is not UTF-8 or has a character the ANSI code page lacks.
std::vector<Token> Tokenize(const std::string& source, const std::string& file, int depth);

}  // namespace qvrc
