#include "lexer.h"

#include "encoding.h"

namespace qvrc {
namespace {

bool IsIdentStart(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsIdentChar(char c) { return IsIdentStart(c) || IsDigit(c); }
int HexValue(char c) {
  if (IsDigit(c)) return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

class Lexer {
 public:
  Lexer(const std::string& source, const std::string& file, int depth) : s_(source), file_(file), depth_(depth) {}

  std::vector<Token> Run() {
    std::vector<Token> out;
    bool line_start = true;
    while (pos_ < s_.size()) {
      const char c = s_[pos_];
      if (c == '\n') {
        ++line_;
        ++pos_;
        line_start = true;
        continue;
      }
      if (c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v') {
        ++pos_;
        continue;
      }
      if (c == '/' && Peek(1) == '/') {
        while (pos_ < s_.size() && s_[pos_] != '\n') ++pos_;
        continue;
      }
      if (c == '/' && Peek(1) == '*') {
        SkipBlockComment();
        continue;
      }
      if (c == '#' && line_start) {
        Token t = Make(TokenKind::kDirective);
        ++pos_;
        const size_t end = s_.find('\n', pos_);
        t.text = s_.substr(pos_, end == std::string::npos ? std::string::npos : end - pos_);
        pos_ = end == std::string::npos ? s_.size() : end;
        out.push_back(std::move(t));
        continue;
      }
      line_start = false;
      if (IsIdentStart(c)) {
        Token t = Make(TokenKind::kIdent);
        while (pos_ < s_.size() && IsIdentChar(s_[pos_])) t.text += s_[pos_++];
        out.push_back(std::move(t));
      } else if (IsDigit(c)) {
        out.push_back(Number());
      } else if (c == '"') {
        out.push_back(String());
      } else if ((c == '<' || c == '>') && Peek(1) == c) {
        Token t = Make(TokenKind::kPunct);
        t.text = std::string(2, c);
        pos_ += 2;
        out.push_back(std::move(t));
      } else if (std::string_view(",{}()|&^~+-*/%!").find(c) != std::string_view::npos) {
        Token t = Make(TokenKind::kPunct);
        t.text = std::string(1, c);
        ++pos_;
        out.push_back(std::move(t));
      } else {
        throw CompileError(Where(), "unexpected character '" + Printable(c) + "'");
      }
    }
    out.push_back(Make(TokenKind::kEnd));
    return out;
  }

 private:
  char Peek(size_t ahead) const { return pos_ + ahead < s_.size() ? s_[pos_ + ahead] : '\0'; }
  std::string Where() const { return file_ + ":" + std::to_string(line_); }
  static std::string Printable(char c) {
    const auto u = static_cast<unsigned char>(c);
    if (u >= 0x20 && u < 0x7F) return std::string(1, c);
    static const char* hex = "0123456789ABCDEF";
    return std::string("\\x") + hex[u >> 4] + hex[u & 15];
  }

  Token Make(TokenKind kind) const {
    Token t;
    t.kind = kind;
    t.file = file_;
    t.line = line_;
    t.depth = depth_;
    return t;
  }

  void SkipBlockComment() {
    const int start_line = line_;
    pos_ += 2;
    while (pos_ + 1 < s_.size() && !(s_[pos_] == '*' && s_[pos_ + 1] == '/')) {
      if (s_[pos_] == '\n') ++line_;
      ++pos_;
    }
    if (pos_ + 1 >= s_.size()) throw CompileError(file_ + ":" + std::to_string(start_line), "unterminated comment");
    pos_ += 2;
  }

  Token Number() {
    Token t = Make(TokenKind::kNumber);
    uint64_t v = 0;
    const size_t start = pos_;
    if (s_[pos_] == '0' && (Peek(1) == 'x' || Peek(1) == 'X')) {
      pos_ += 2;
      if (HexValue(Peek(0)) < 0) throw CompileError(Where(), "bad hexadecimal number");
      while (pos_ < s_.size() && HexValue(s_[pos_]) >= 0) {
        v = v * 16 + static_cast<uint64_t>(HexValue(s_[pos_++]));
        if (v > 0xFFFFFFFFu) throw CompileError(Where(), "number too large for 32 bits");
      }
    } else {
      // Decimal, leading zeros included: scripts never mean octal.
      while (pos_ < s_.size() && IsDigit(s_[pos_])) {
        v = v * 10 + static_cast<uint64_t>(s_[pos_++] - '0');
        if (v > 0xFFFFFFFFu) throw CompileError(Where(), "number too large for 32 bits");
      }
    }
    while (pos_ < s_.size() && (s_[pos_] == 'u' || s_[pos_] == 'U' || s_[pos_] == 'l' || s_[pos_] == 'L')) ++pos_;
    if (pos_ < s_.size() && IsIdentChar(s_[pos_])) throw CompileError(Where(), "bad number");
    t.text = s_.substr(start, pos_ - start);
    t.value = static_cast<uint32_t>(v);
    return t;
  }

  Token String() {
    Token t = Make(TokenKind::kString);
    ++pos_;  // the opening quote
    std::string raw;  // UTF-8 bytes not yet converted
    auto flush = [&] {
      size_t bad = 0;
      if (!Utf8ToCp1252(raw, &t.text, &bad)) {
        throw CompileError(Where(), "text is not UTF-8 or holds a character outside the Windows-1252 code page");
      }
      raw.clear();
    };
    for (;;) {
      if (pos_ >= s_.size() || s_[pos_] == '\n') throw CompileError(Where(), "unterminated string");
      const char c = s_[pos_++];
      if (c == '"') break;
      if (c != '\\') {
        raw += c;
        continue;
      }
      flush();
      // Escapes give bytes of the code page directly.
      if (pos_ >= s_.size()) throw CompileError(Where(), "unterminated string");
      const char e = s_[pos_++];
      switch (e) {
        case 'n': t.text += '\n'; break;
        case 'r': t.text += '\r'; break;
        case 't': t.text += '\t'; break;
        case 'a': t.text += '\a'; break;
        case 'b': t.text += '\b'; break;
        case 'f': t.text += '\f'; break;
        case 'v': t.text += '\v'; break;
        case '\\': t.text += '\\'; break;
        case '"': t.text += '"'; break;
        case '\'': t.text += '\''; break;
        case '?': t.text += '?'; break;
        case 'x': {
          int v = 0, digits = 0;
          while (digits < 2 && pos_ < s_.size() && HexValue(s_[pos_]) >= 0) {
            v = v * 16 + HexValue(s_[pos_++]);
            ++digits;
          }
          if (digits == 0) throw CompileError(Where(), "\\x needs hexadecimal digits");
          t.text += static_cast<char>(v);
          break;
        }
        default:
          if (e >= '0' && e <= '7') {
            int v = e - '0', digits = 1;
            while (digits < 3 && pos_ < s_.size() && s_[pos_] >= '0' && s_[pos_] <= '7') {
              v = v * 8 + (s_[pos_++] - '0');
              ++digits;
            }
            if (v > 0xFF) throw CompileError(Where(), "octal escape past one byte");
            t.text += static_cast<char>(v);
            break;
          }
          throw CompileError(Where(), std::string("unknown escape \\") + Printable(e));
      }
    }
    flush();
    return t;
  }

  const std::string& s_;
  std::string file_;
  int depth_;
  size_t pos_ = 0;
  int line_ = 1;
};

}  // namespace

std::vector<Token> Tokenize(const std::string& source, const std::string& file, int depth) {
  return Lexer(source, file, depth).Run();
}

}  // namespace qvrc
