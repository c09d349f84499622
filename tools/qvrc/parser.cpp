// The statements of a resource script (the language is described in main.cpp).
#include <algorithm>
#include <array>
#include <cctype>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <utility>

#include "constants.h"
#include "images.h"
#include "lexer.h"
#include "qvplatform/dlgtemplate.h"
#include "qvplatform/nocase.h"
#include "script.h"

namespace qvrc {
namespace {

namespace fs = std::filesystem;

constexpr int kMaxIncludeDepth = 32;
// Signs and parentheses an expression may nest; each level costs stack.
constexpr int kMaxExpressionNesting = 256;

bool ReadFile(const std::string& path, std::string* bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream s;
  s << in.rdbuf();
  *bytes = s.str();
  return static_cast<bool>(in) || in.eof();
}

// Editors may start a UTF-8 text with a byte order mark; it is no part of the text.
void StripByteOrderMark(std::string* text) {
  if (text->compare(0, 3, "\xEF\xBB\xBF") == 0) text->erase(0, 3);
}

bool IsHeader(const std::string& path) {
  const std::string ext = fs::path(path).extension().string();
  return ext == ".h" || ext == ".hpp" || ext == ".hh";
}

// Removes // and /* */ comments from a C header, keeping line breaks.
std::string StripComments(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '"') {  // strings may hold comment markers
      const size_t end = s.find_first_of("\"\n", i + 1);
      const size_t stop = end == std::string::npos ? s.size() : (s[end] == '"' ? end + 1 : end);
      out.append(s, i, stop - i);
      i = stop - 1;
    } else if (s.compare(i, 2, "//") == 0) {
      while (i < s.size() && s[i] != '\n') ++i;
      if (i < s.size()) out += '\n';
    } else if (s.compare(i, 2, "/*") == 0) {
      const size_t end = s.find("*/", i + 2);
      for (size_t k = i; k < (end == std::string::npos ? s.size() : end); ++k) {
        if (s[k] == '\n') out += '\n';
      }
      out += ' ';
      i = end == std::string::npos ? s.size() : end + 1;
    } else {
      out += s[i];
    }
  }
  return out;
}

class Parser {
 public:
  Parser(std::vector<std::string> include_dirs) : include_dirs_(std::move(include_dirs)) {}

  Script Run(const std::string& path) {
    std::string text;
    if (!ReadFile(path, &text)) throw CompileError(path, "cannot read the script");
    StripByteOrderMark(&text);
    script_.dependencies.push_back(path);
    tokens_ = Tokenize(text, path, 0);
    pos_ = 0;
    while (Peek().kind != TokenKind::kEnd) Statement();
    FinishStringTables();
    CheckDuplicates();
    return std::move(script_);
  }

 private:
  // ---- Tokens ----

  const Token& Peek(size_t ahead = 0) const { return tokens_[std::min(pos_ + ahead, tokens_.size() - 1)]; }
  const Token& Next() {
    const Token& t = Peek();
    if (pos_ < tokens_.size() - 1) ++pos_;
    return t;
  }
  bool IsPunct(const char* p, size_t ahead = 0) const {
    return Peek(ahead).kind == TokenKind::kPunct && Peek(ahead).text == p;
  }
  bool IsWord(const char* w) const { return Peek().kind == TokenKind::kIdent && Peek().text == w; }
  [[noreturn]] void Fail(const Token& at, const std::string& what) const { throw CompileError(at.Where(), what); }
  void Expect(const char* punct) {
    if (!IsPunct(punct)) Fail(Peek(), std::string("expected '") + punct + "'" + Found());
    Next();
  }
  bool Accept(const char* punct) {
    if (!IsPunct(punct)) return false;
    Next();
    return true;
  }
  std::string Found() const {
    const Token& t = Peek();
    switch (t.kind) {
      case TokenKind::kEnd: return " at the end of the file";
      case TokenKind::kString: return " before a string";
      case TokenKind::kDirective: return " before a directive";
      default: return " before '" + t.text + "'";
    }
  }

  // Adjacent string literals form one text.
  std::string String() {
    if (Peek().kind != TokenKind::kString) Fail(Peek(), "expected a string" + Found());
    std::string s;
    while (Peek().kind == TokenKind::kString) s += Next().text;
    return s;
  }

  // ---- Expressions ----

  bool AtExpression() const {
    const Token& t = Peek();
    return t.kind == TokenKind::kNumber || t.kind == TokenKind::kIdent ||
           (t.kind == TokenKind::kPunct && (t.text == "(" || t.text == "-" || t.text == "~" || t.text == "!" || t.text == "+"));
  }

  uint32_t Expression() { return Binary(0); }

  static int Precedence(const std::string& op) {
    if (op == "|") return 1;
    if (op == "^") return 2;
    if (op == "&") return 3;
    if (op == "<<" || op == ">>") return 4;
    if (op == "+" || op == "-") return 5;
    if (op == "*" || op == "/" || op == "%") return 6;
    return 0;
  }

  uint32_t Binary(int min_precedence) {
    uint32_t left = Unary();
    for (;;) {
      const Token& op = Peek();
      const int p = op.kind == TokenKind::kPunct ? Precedence(op.text) : 0;
      if (p == 0 || p <= min_precedence) return left;
      const Token at = Next();
      const uint32_t right = Binary(p);
      if (at.text == "|") left |= right;
      else if (at.text == "^") left ^= right;
      else if (at.text == "&") left &= right;
      else if (at.text == "<<") left = right >= 32 ? 0 : left << right;
      else if (at.text == ">>") left = right >= 32 ? 0 : left >> right;
      else if (at.text == "+") left += right;
      else if (at.text == "-") left -= right;
      else if (at.text == "*") left *= right;
      else {
        if (right == 0) Fail(at, "division by zero");
        left = at.text == "/" ? left / right : left % right;
      }
    }
  }

  uint32_t Unary() {
    if (expression_nesting_ >= kMaxExpressionNesting) {
      Fail(Peek(), "expression nested more than " + std::to_string(kMaxExpressionNesting) + " levels deep");
    }
    ++expression_nesting_;
    const uint32_t v = UnaryOperand();
    --expression_nesting_;
    return v;
  }

  uint32_t UnaryOperand() {
    if (Accept("-")) return 0u - Unary();
    if (Accept("+")) return Unary();
    if (Accept("~")) return ~Unary();
    if (Accept("!")) return Unary() == 0 ? 1u : 0u;
    if (Accept("(")) {
      const uint32_t v = Expression();
      Expect(")");
      return v;
    }
    const Token& t = Next();
    if (t.kind == TokenKind::kNumber) return t.value;
    if (t.kind == TokenKind::kIdent) {
      if (auto it = symbols_.find(t.text); it != symbols_.end()) return it->second;
      uint32_t v = 0;
      if (LookupBuiltin(t.text, &v)) return v;
      Fail(t, "unknown name '" + t.text + "'");
    }
    Fail(t, "expected a number or a name");
  }

  uint32_t Bounded(uint32_t max, const char* what) {
    const Token& at = Peek();
    const uint32_t v = Expression();
    if (v > max) Fail(at, std::string(what) + " out of range: " + std::to_string(v));
    return v;
  }

  int16_t Coordinate() {
    const Token& at = Peek();
    const auto v = static_cast<int32_t>(Expression());
    if (v < -32768 || v > 32767) Fail(at, "coordinate out of range: " + std::to_string(v));
    return static_cast<int16_t>(v);
  }

  // A resource name or type: "TEXT" (upper-cased; "#12" is the number 12) or a number.
  ResName Name(const char* what) {
    if (Peek().kind == TokenKind::kString) {
      const Token& at = Peek();
      std::string s = String();
      if (s.empty() || s.find('\0') != std::string::npos) Fail(at, std::string("bad ") + what + " text");
      if (s.size() > 1 && s[0] == '#' && std::all_of(s.begin() + 1, s.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        if (s.size() > 6 || std::stoul(s.substr(1)) > 0xFFFF) Fail(at, std::string(what) + " out of range");
        return ResName::Number(static_cast<uint16_t>(std::stoul(s.substr(1))));
      }
      return ResName::Text(qvp::Upper(s));
    }
    return ResName::Number(static_cast<uint16_t>(Bounded(0xFFFF, what)));
  }

  // ---- Files ----

  std::string Resolve(const Token& at, const std::string& name, bool search_includes) {
    const fs::path given(name);
    std::vector<fs::path> candidates;
    if (given.is_absolute()) {
      candidates.push_back(given);
    } else {
      candidates.push_back(fs::path(at.file).parent_path() / given);
      if (search_includes) {
        for (const std::string& dir : include_dirs_) candidates.push_back(fs::path(dir) / given);
      }
    }
    for (const fs::path& c : candidates) {
      std::error_code ec;
      if (fs::is_regular_file(c, ec)) return c.lexically_normal().string();
    }
    Fail(at, "cannot find file \"" + name + "\"");
  }

  std::vector<uint8_t> ReadData(const Token& at, const std::string& name) {
    const std::string path = Resolve(at, name, false);
    std::string bytes;
    if (!ReadFile(path, &bytes)) Fail(at, "cannot read \"" + path + "\"");
    AddDependency(path);
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
  }

  void AddDependency(const std::string& path) {
    if (std::find(script_.dependencies.begin(), script_.dependencies.end(), path) == script_.dependencies.end()) {
      script_.dependencies.push_back(path);
    }
  }

  // ---- Directives ----

  void Directive(const Token& d) {
    std::vector<Token> line = Tokenize(d.text, d.file, d.depth);
    for (Token& t : line) t.line = d.line;
    const size_t saved_pos = pos_;
    std::vector<Token> saved = std::exchange(tokens_, std::move(line));
    pos_ = 0;
    const Token word = Next();
    if (word.kind == TokenKind::kIdent && word.text == "define") {
      Define(/*lenient=*/false);
      tokens_ = std::move(saved);
      pos_ = saved_pos;
    } else if (word.kind == TokenKind::kIdent && word.text == "include") {
      const Token at = Peek();
      const std::string name = String();
      if (Peek().kind != TokenKind::kEnd) Fail(Peek(), "unexpected text after #include");
      tokens_ = std::move(saved);
      pos_ = saved_pos;
      Include(at, name);
    } else {
      Fail(d, "unknown directive '#" + word.text + "'");
    }
  }

  // #define NAME expression, on the current (directive) tokens. A lenient
  // define (from a C header) that is no constant expression is skipped.
  void Define(bool lenient) {
    const Token name = Next();
    if (name.kind != TokenKind::kIdent) {
      if (lenient) return;
      Fail(name, "#define needs a name");
    }
    if (Peek().kind == TokenKind::kEnd) {
      if (lenient) return;  // include guards and the like
      Fail(name, "#define " + name.text + " needs a value");
    }
    uint32_t value = 0;
    try {
      value = Expression();
      if (Peek().kind != TokenKind::kEnd) Fail(Peek(), "unexpected text after the value of " + name.text);
    } catch (const CompileError&) {
      if (lenient) return;
      throw;
    }
    uint32_t builtin = 0;
    auto it = symbols_.find(name.text);
    if ((it != symbols_.end() && it->second != value) || (LookupBuiltin(name.text, &builtin) && builtin != value)) {
      Fail(name, name.text + " is already defined with another value");
    }
    symbols_[name.text] = value;
  }

  void Include(const Token& at, const std::string& name) {
    if (at.depth >= kMaxIncludeDepth) Fail(at, "#include nested too deeply");
    const std::string path = Resolve(at, name, true);
    std::string text;
    if (!ReadFile(path, &text)) Fail(at, "cannot read \"" + path + "\"");
    StripByteOrderMark(&text);
    AddDependency(path);
    if (IsHeader(path)) {
      HeaderDefines(path, text, at.depth + 1);
      return;
    }
    // A script's tokens take the place of the #include line.
    std::vector<Token> included = Tokenize(text, path, at.depth + 1);
    included.pop_back();  // its kEnd
    tokens_.insert(tokens_.begin() + static_cast<std::ptrdiff_t>(pos_), std::make_move_iterator(included.begin()),
                   std::make_move_iterator(included.end()));
  }

  // A C header counts for its object-like #define lines of constant values and
  // the headers it includes; everything else in it is skipped.
  void HeaderDefines(const std::string& path, const std::string& text, int depth) {
    const std::string clean = StripComments(text);
    int number = 0;
    size_t start = 0;
    while (start < clean.size()) {
      // One logical line: physical lines joined where they end in a backslash.
      std::string line;
      const int first_line = number + 1;
      for (;;) {
        const size_t end = clean.find('\n', start);
        std::string physical = clean.substr(start, end == std::string::npos ? std::string::npos : end - start);
        start = end == std::string::npos ? clean.size() : end + 1;
        ++number;
        if (!physical.empty() && physical.back() == '\r') physical.pop_back();
        if (!physical.empty() && physical.back() == '\\' && start < clean.size()) {
          physical.pop_back();
          line += physical + " ";
          continue;
        }
        line += physical;
        break;
      }
      HeaderLine(path, line, first_line, depth);
    }
  }

  void HeaderLine(const std::string& path, const std::string& line, int number, int depth) {
    const size_t hash = line.find_first_not_of(" \t");
    if (hash == std::string::npos || line[hash] != '#') return;
    const std::string rest = line.substr(hash + 1);
    const size_t word = rest.find_first_not_of(" \t");
    if (word == std::string::npos) return;
    const bool is_define = rest.compare(word, 6, "define") == 0;
    const bool is_include = rest.compare(word, 7, "include") == 0;
    if (!is_define && !is_include) return;
    if (is_define) {
      // Function-like macros: the name is followed directly by '('.
      size_t n = rest.find_first_not_of(" \t", word + 6);
      while (n != std::string::npos && n < rest.size() &&
             (std::isalnum(static_cast<unsigned char>(rest[n])) != 0 || rest[n] == '_')) {
        ++n;
      }
      if (n != std::string::npos && n < rest.size() && rest[n] == '(') return;
    }
    std::vector<Token> toks;
    try {
      toks = Tokenize(rest, path, depth);
    } catch (const CompileError&) {
      return;  // not a line of constants
    }
    for (Token& t : toks) t.line = number;
    const size_t saved_pos = pos_;
    std::vector<Token> saved = std::exchange(tokens_, std::move(toks));
    pos_ = 1;  // past "define" / "include"
    if (is_define) {
      Define(/*lenient=*/true);
      tokens_ = std::move(saved);
      pos_ = saved_pos;
      return;
    }
    const Token at = Peek();
    tokens_ = std::move(saved);
    pos_ = saved_pos;
    if (at.kind != TokenKind::kString) return;  // <system> headers are skipped
    if (depth >= kMaxIncludeDepth) Fail(at, "#include nested too deeply");
    const std::string inner = Resolve(at, at.text, true);
    std::string inner_text;
    if (!ReadFile(inner, &inner_text)) Fail(at, "cannot read \"" + inner + "\"");
    StripByteOrderMark(&inner_text);
    AddDependency(inner);
    HeaderDefines(inner, inner_text, depth + 1);
  }

  // ---- Statements ----

  void Statement() {
    const Token& t = Peek();
    if (t.kind == TokenKind::kDirective) {
      const Token d = Next();
      Directive(d);
      return;
    }
    if (t.kind != TokenKind::kIdent) Fail(t, "expected a resource statement" + Found());
    const Token word = Next();
    if (word.text == "LANGUAGE") Language();
    else if (word.text == "STRINGTABLE") StringTable();
    else if (word.text == "DIALOG") Dialog(word);
    else if (word.text == "MENU") Menu(word);
    else if (word.text == "BITMAP") Bitmap(word);
    else if (word.text == "ICON") Icon(word);
    else if (word.text == "RESOURCE") Generic(word);
    else Fail(word, "unknown statement '" + word.text + "'");
  }

  void Language() {
    const uint32_t first = Bounded(0xFFFF, "language");
    if (Accept(",")) {
      const Token& at = Peek();
      const uint32_t sub = Bounded(0x3F, "sub-language");
      if (first > 0x3FF) Fail(at, "primary language out of range");
      language_ = static_cast<uint16_t>((sub << 10) | first);
    } else {
      language_ = static_cast<uint16_t>(first);
    }
  }

  void Add(ResName type, ResName name, std::vector<uint8_t> data, const Token& at) {
    Resource r;
    r.type = std::move(type);
    r.name = std::move(name);
    r.language = language_;
    r.data = std::move(data);
    r.where = at.Where();
    script_.resources.push_back(std::move(r));
  }

  void StringTable() {
    Expect("{");
    while (!Accept("}")) {
      const Token at = Peek();
      if (!AtExpression()) Fail(at, "expected a string id" + Found());
      const auto id = static_cast<uint16_t>(Bounded(0xFFFF, "string id"));
      Accept(",");
      std::string text = String();
      if (text.size() > 0xFFFF) Fail(at, "string longer than 65535 bytes");
      const auto key = std::make_pair(language_, static_cast<uint16_t>(id / 16 + 1));
      auto [block, inserted] = string_blocks_.try_emplace(key);
      if (inserted) block_order_.push_back(key);
      StringSlot& slot = block->second[id % 16];
      if (slot.used) Fail(at, "string " + std::to_string(id) + " is already defined at " + slot.where);
      slot = {true, std::move(text), at.Where()};
    }
  }

  void FinishStringTables() {
    for (const auto& key : block_order_) {
      const auto& slots = string_blocks_.at(key);
      std::vector<uint8_t> data;
      std::string where;
      for (const StringSlot& s : slots) {
        const auto length = static_cast<uint16_t>(s.text.size());
        data.push_back(static_cast<uint8_t>(length & 0xFF));
        data.push_back(static_cast<uint8_t>(length >> 8));
        data.insert(data.end(), s.text.begin(), s.text.end());
        if (where.empty() && s.used) where = s.where;
      }
      Resource r;
      r.type = ResName::Number(kTypeString);
      r.name = ResName::Number(key.second);
      r.language = key.first;
      r.data = std::move(data);
      r.where = where;
      script_.resources.push_back(std::move(r));
    }
  }

  void Dialog(const Token& word) {
    qvp::DialogDesc d;
    const ResName name = Name("dialog id");
    Expect(",");
    d.x = Coordinate();
    Expect(",");
    d.y = Coordinate();
    Expect(",");
    d.cx = Coordinate();
    Expect(",");
    d.cy = Coordinate();
    std::set<std::string> seen;
    while (Peek().kind == TokenKind::kIdent) {
      const Token option = Next();
      if (!seen.insert(option.text).second) Fail(option, option.text + " given twice");
      if (option.text == "STYLE") {
        d.style |= Expression();
      } else if (option.text == "EXSTYLE") {
        d.exstyle = Expression();
      } else if (option.text == "CAPTION") {
        d.caption = qvp::NameOrId::Text(String());
      } else if (option.text == "FONT") {
        d.font_point_size = static_cast<uint16_t>(Bounded(0xFFFF, "point size"));
        Expect(",");
        d.font_face = qvp::NameOrId::Text(String());
        if (Accept(",")) {
          d.font_weight = static_cast<uint16_t>(Bounded(1000, "font weight"));
          if (Accept(",")) d.font_italic = Bounded(1, "italic flag") != 0;
        }
        d.style |= 0x40;  // DS_SETFONT: the dialog has a font of its own
      } else if (option.text == "MENU") {
        const ResName menu = Name("menu id");
        d.menu = menu.is_text ? qvp::NameOrId::Text(menu.text) : qvp::NameOrId::Id(menu.number);
      } else if (option.text == "CLASS") {
        if (Peek().kind == TokenKind::kString) d.window_class = qvp::NameOrId::Text(String());
        else d.window_class = qvp::NameOrId::Id(Bounded(0xFFFF, "class atom"));
      } else {
        Fail(option, "unknown dialog option '" + option.text + "'");
      }
    }
    Expect("{");
    while (!Accept("}")) {
      const Token at = Peek();
      if (!IsWord("CONTROL")) Fail(at, "expected CONTROL" + Found());
      Next();
      qvp::ControlDesc c;
      c.id = Expression();
      Expect(",");
      const Token class_at = Peek();
      const std::string cls = String();
      if (cls.empty()) Fail(class_at, "empty class name");
      const uint16_t code = qvp::StandardClassCode(cls);
      c.window_class = code != 0 ? qvp::NameOrId::Id(code) : qvp::NameOrId::Text(cls);
      Expect(",");
      if (Peek().kind == TokenKind::kString) c.text = qvp::NameOrId::Text(String());
      else c.text = qvp::NameOrId::Id(Bounded(0xFFFF, "text resource id"));
      Expect(",");
      c.style = Expression();
      Expect(",");
      c.exstyle = Expression();
      Expect(",");
      c.x = Coordinate();
      Expect(",");
      c.y = Coordinate();
      Expect(",");
      c.cx = Coordinate();
      Expect(",");
      c.cy = Coordinate();
      d.controls.push_back(std::move(c));
    }
    std::vector<uint8_t> block;
    std::string error;
    if (!qvp::BuildDialogTemplate(d, &block, &error)) Fail(word, "dialog: " + error);
    Add(ResName::Number(kTypeDialog), name, std::move(block), word);
  }

  uint32_t MenuFlags() {
    uint32_t flags = 0;
    while (Accept(",")) {
      const Token f = Next();
      if (f.kind == TokenKind::kIdent && f.text == "GRAYED") flags |= qvp::kMenuGrayed;
      else if (f.kind == TokenKind::kIdent && f.text == "CHECKED") flags |= qvp::kMenuChecked;
      else if (f.kind == TokenKind::kIdent && f.text == "DISABLED") flags |= qvp::kMenuDisabled;
      else Fail(f, "expected GRAYED, CHECKED or DISABLED");
    }
    return flags;
  }

  std::vector<qvp::MenuItemDesc> MenuItems(int depth) {
    if (depth > 16) Fail(Peek(), "pop-ups nested too deeply");
    std::vector<qvp::MenuItemDesc> items;
    Expect("{");
    while (!Accept("}")) {
      const Token word = Next();
      qvp::MenuItemDesc item;
      if (word.kind == TokenKind::kIdent && word.text == "POPUP") {
        item.text = String();
        item.flags = MenuFlags();
        item.popup = true;
        item.children = MenuItems(depth + 1);
      } else if (word.kind == TokenKind::kIdent && word.text == "ITEM") {
        item.text = String();
        Expect(",");
        item.id = Expression();
        item.flags = MenuFlags();
      } else if (word.kind == TokenKind::kIdent && word.text == "SEPARATOR") {
        item.flags = qvp::kMenuSeparator;
      } else {
        Fail(word, "expected POPUP, ITEM or SEPARATOR");
      }
      items.push_back(std::move(item));
    }
    return items;
  }

  void Menu(const Token& word) {
    const ResName name = Name("menu id");
    const std::vector<qvp::MenuItemDesc> items = MenuItems(0);
    std::vector<uint8_t> block;
    std::string error;
    if (!qvp::BuildMenuTemplate(items, &block, &error)) Fail(word, "menu: " + error);
    Add(ResName::Number(kTypeMenu), name, std::move(block), word);
  }

  void Bitmap(const Token& word) {
    const ResName name = Name("bitmap id");
    Expect(",");
    const Token at = Peek();
    const std::vector<uint8_t> file = ReadData(at, String());
    Add(ResName::Number(kTypeBitmap), name, PackedDibFromBitmapFile(file, at.Where()), word);
  }

  void Icon(const Token& word) {
    const ResName name = Name("icon id");
    Expect(",");
    const Token at = Peek();
    const std::vector<IconImage> images = ImagesFromIconFile(ReadData(at, String()), at.Where());
    std::vector<uint16_t> ids;
    for (const IconImage& image : images) {
      if (next_icon_id_ > 0xFFFF) Fail(word, "too many icon images");
      ids.push_back(static_cast<uint16_t>(next_icon_id_++));
      Add(ResName::Number(kTypeIcon), ResName::Number(ids.back()), image.data, word);
    }
    Add(ResName::Number(kTypeGroupIcon), name, IconGroupDirectory(images, ids), word);
  }

  void Generic(const Token& word) {
    const ResName type = Name("resource type");
    Expect(",");
    const ResName name = Name("resource id");
    Expect(",");
    std::vector<uint8_t> data;
    if (IsWord("FILE")) {
      Next();
      const Token at = Peek();
      data = ReadData(at, String());
    } else {
      const std::string text = String();
      data.assign(text.begin(), text.end());
    }
    Add(type, name, std::move(data), word);
  }

  void CheckDuplicates() const {
    for (size_t i = 0; i < script_.resources.size(); ++i) {
      for (size_t j = 0; j < i; ++j) {
        const Resource& a = script_.resources[j];
        const Resource& b = script_.resources[i];
        if (a.type == b.type && a.name == b.name && a.language == b.language) {
          throw CompileError(b.where, "resource " + b.name.Describe() + " of type " + b.type.Describe() +
                                          " in language " + std::to_string(b.language) + " is already defined at " +
                                          a.where);
        }
      }
    }
  }

  struct StringSlot {
    bool used = false;
    std::string text;
    std::string where;
  };

  std::vector<std::string> include_dirs_;
  std::vector<Token> tokens_;
  size_t pos_ = 0;
  int expression_nesting_ = 0;
  std::map<std::string, uint32_t> symbols_;
  uint16_t language_ = 1033;
  uint32_t next_icon_id_ = 1;
  std::map<std::pair<uint16_t, uint16_t>, std::array<StringSlot, 16>> string_blocks_;
  std::vector<std::pair<uint16_t, uint16_t>> block_order_;
  Script script_;
};

}  // namespace

Script CompileScript(const std::string& path, const std::vector<std::string>& include_dirs) {
  return Parser(include_dirs).Run(path);
}

}  // namespace qvrc
