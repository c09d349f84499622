#include "registry/registry_text.h"

#include <cstdio>
#include <optional>
#include <utility>
#include <vector>

#include "qvplatform/registry.h"

namespace qvp::registry {
namespace {

constexpr char kHexDigits[] = "0123456789abcdef";

bool NeedsEscape(unsigned char c) { return c < 0x20 || c == 0x7f || c == '%' || c == '"' || c == ']'; }

void AppendEscaped(std::string& out, std::string_view text) {
  for (char ch : text) {
    auto c = static_cast<unsigned char>(ch);
    if (NeedsEscape(c)) {
      out += '%';
      out += kHexDigits[c >> 4];
      out += kHexDigits[c & 15];
    } else {
      out += ch;
    }
  }
}

void AppendQuoted(std::string& out, std::string_view text) {
  out += '"';
  AppendEscaped(out, text);
  out += '"';
}

void AppendHex(std::string& out, const std::vector<BYTE>& data) {
  for (size_t i = 0; i < data.size(); ++i) {
    if (i) out += ',';
    out += kHexDigits[data[i] >> 4];
    out += kHexDigits[data[i] & 15];
  }
}

int HexValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
      continue;
    }
    if (i + 2 >= text.size()) return std::nullopt;
    int hi = HexValue(text[i + 1]);
    int lo = HexValue(text[i + 2]);
    if (hi < 0 || lo < 0) return std::nullopt;
    out += static_cast<char>(hi * 16 + lo);
    i += 2;
  }
  return out;
}

// A REG_SZ / REG_EXPAND_SZ that can be written as one quoted string.
bool IsPlainString(const std::vector<BYTE>& data) {
  if (data.empty() || data.back() != 0) return false;
  for (size_t i = 0; i + 1 < data.size(); ++i) {
    if (data[i] == 0) return false;
  }
  return true;
}

// A REG_MULTI_SZ of non-empty strings closed by an empty one.
bool SplitMultiString(const std::vector<BYTE>& data, std::vector<std::string>* parts) {
  if (data.empty()) return false;
  size_t start = 0;
  while (true) {
    size_t end = start;
    while (end < data.size() && data[end] != 0) ++end;
    if (end == data.size()) return false;
    if (end == start) return end + 1 == data.size();
    parts->emplace_back(reinterpret_cast<const char*>(data.data()) + start, end - start);
    start = end + 1;
  }
}

void AppendValue(std::string& out, const Value& v) {
  if (v.name.empty()) {
    out += '@';
  } else {
    AppendQuoted(out, v.name);
  }
  out += '=';
  std::vector<std::string> parts;
  const char* text = reinterpret_cast<const char*>(v.data.data());
  if ((v.type == REG_SZ || v.type == REG_EXPAND_SZ) && IsPlainString(v.data)) {
    out += v.type == REG_SZ ? "sz:" : "expand_sz:";
    AppendQuoted(out, std::string_view(text, v.data.size() - 1));
  } else if (v.type == REG_MULTI_SZ && SplitMultiString(v.data, &parts)) {
    out += "multi_sz:";
    for (size_t i = 0; i < parts.size(); ++i) {
      if (i) out += ',';
      AppendQuoted(out, parts[i]);
    }
  } else if (v.type == REG_DWORD && v.data.size() == 4) {
    DWORD d = static_cast<DWORD>(v.data[0]) | static_cast<DWORD>(v.data[1]) << 8 |
              static_cast<DWORD>(v.data[2]) << 16 | static_cast<DWORD>(v.data[3]) << 24;
    char buf[16];
    std::snprintf(buf, sizeof buf, "dword:%08x", static_cast<unsigned>(d));
    out += buf;
  } else if (v.type == REG_BINARY) {
    out += "binary:";
    AppendHex(out, v.data);
  } else {
    out += "hex(" + std::to_string(v.type) + "):";
    AppendHex(out, v.data);
  }
  out += '\n';
}

// Writes a key and every key below it, parents before children and sisters in
// their sorted order, with a list of its own rather than one call per level.
void AppendTree(std::string& out, const Key& top) {
  std::vector<std::pair<const Key*, std::string>> pending;
  pending.emplace_back(&top, top.name);
  while (!pending.empty()) {
    auto [key, path] = std::move(pending.back());
    pending.pop_back();
    out += '[';
    out += path;
    out += "]\n";
    for (const Value& v : key->values) AppendValue(out, v);
    out += '\n';
    for (auto it = key->children.rbegin(); it != key->children.rend(); ++it) {
      std::string child_path = path + '\\';
      AppendEscaped(child_path, it->second->name);
      pending.emplace_back(it->second.get(), std::move(child_path));
    }
  }
}

// Reads a run of characters up to a closing quote; `pos` is just past the opening one.
std::optional<std::string> ReadQuoted(std::string_view line, size_t& pos) {
  size_t close = line.find('"', pos);
  if (close == std::string_view::npos) return std::nullopt;
  auto text = Unescape(line.substr(pos, close - pos));
  pos = close + 1;
  return text;
}

bool ParseHex(std::string_view payload, std::vector<BYTE>& data) {
  size_t i = 0;
  while (i < payload.size()) {
    char c = payload[i];
    if (c == ',' || c == ' ' || c == '\t') {
      ++i;
      continue;
    }
    if (i + 1 >= payload.size()) return false;
    int hi = HexValue(payload[i]);
    int lo = HexValue(payload[i + 1]);
    if (hi < 0 || lo < 0) return false;
    data.push_back(static_cast<BYTE>(hi * 16 + lo));
    i += 2;
  }
  return true;
}

std::string_view Trim(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

class Parser {
 public:
  Parser(Tree& tree, uint64_t stamp) : tree_(tree), stamp_(stamp) {
    for (auto& root : tree_.roots) root->last_write = stamp;
  }

  // Empty on success, else the reason.
  std::string Line(std::string_view line) {
    line = Trim(line);
    if (line.empty() || line[0] == ';' || line[0] == '#') return {};
    if (line[0] == '[') return KeyLine(line);
    if (!current_) return "value outside any key";
    return ValueLine(line);
  }

 private:
  std::string KeyLine(std::string_view line) {
    if (line.back() != ']') return "key line without closing ']'";
    std::string_view path = line.substr(1, line.size() - 2);
    std::vector<std::string> parts;
    size_t start = 0;
    while (true) {
      size_t sep = path.find('\\', start);
      std::string_view raw = path.substr(start, sep == std::string_view::npos ? std::string_view::npos : sep - start);
      auto part = Unescape(raw);
      if (!part) return "bad %-escape in key path";
      if (part->empty()) return "empty component in key path";
      if (part->find('\\') != std::string::npos) return "key name holds a backslash";
      if (part->size() > kMaxKeyNameLength) return "key name longer than 255 characters";
      parts.push_back(std::move(*part));
      if (sep == std::string_view::npos) break;
      start = sep + 1;
    }
    std::shared_ptr<Key> key;
    const std::string& root = parts[0];
    size_t first = 1;
    if (EqualNoCase(root, "HKEY_LOCAL_MACHINE") || EqualNoCase(root, "HKLM")) {
      key = tree_.roots[kLocalMachine];
    } else if (EqualNoCase(root, "HKEY_CURRENT_USER") || EqualNoCase(root, "HKCU")) {
      key = tree_.roots[kCurrentUser];
    } else if (EqualNoCase(root, "HKEY_USERS") || EqualNoCase(root, "HKU")) {
      key = tree_.roots[kUsers];
    } else if (EqualNoCase(root, "HKEY_CLASSES_ROOT") || EqualNoCase(root, "HKCR")) {
      key = tree_.roots[kLocalMachine];
      parts[0] = "Classes";
      parts.insert(parts.begin(), "Software");
      first = 0;
    } else {
      return "unknown root key \"" + root + "\"";
    }
    if (parts.size() - first > kMaxKeyDepth) return "key path deeper than 512 levels";
    for (size_t i = first; i < parts.size(); ++i) {
      std::shared_ptr<Key> child = key->FindChild(parts[i]);
      if (!child) {
        child = std::make_shared<Key>();
        child->name = parts[i];
        child->parent = key;
        child->last_write = stamp_;
        key->children.emplace(child->name, child);
      }
      key = child;
    }
    current_ = key;
    return {};
  }

  std::string ValueLine(std::string_view line) {
    Value v;
    size_t pos = 0;
    if (line[0] == '@') {
      pos = 1;
    } else if (line[0] == '"') {
      pos = 1;
      auto name = ReadQuoted(line, pos);
      if (!name) return "bad value name";
      if (name->empty()) return "empty value name (the default value is written @)";
      v.name = std::move(*name);
    } else {
      return "a value line starts with @ or a quoted name";
    }
    if (pos >= line.size() || line[pos] != '=') return "'=' expected after the value name";
    std::string_view rest = line.substr(pos + 1);
    size_t colon = rest.find(':');
    if (colon == std::string_view::npos) return "type expected (sz:, dword:, ...)";
    std::string_view type = rest.substr(0, colon);
    std::string_view payload = rest.substr(colon + 1);
    std::string problem = Payload(type, payload, v);
    if (!problem.empty()) return problem;
    current_->SetValue(std::move(v));
    return {};
  }

  static std::string Strings(std::string_view payload, bool several, std::vector<BYTE>& data) {
    size_t pos = 0;
    bool first = true;
    while (pos < payload.size()) {
      if (!first) {
        if (!several || payload[pos] != ',') return "',' expected between strings";
        ++pos;
      }
      if (pos >= payload.size() || payload[pos] != '"') return "quoted string expected";
      ++pos;
      auto text = ReadQuoted(payload, pos);
      if (!text) return "bad quoted string";
      if (several && text->empty()) return "empty string in multi_sz";
      data.insert(data.end(), text->begin(), text->end());
      data.push_back(0);
      first = false;
    }
    if (!several && first) return "quoted string expected";
    if (several) data.push_back(0);
    return {};
  }

  static std::string Payload(std::string_view type, std::string_view payload, Value& v) {
    if (type == "sz" || type == "expand_sz") {
      v.type = type == "sz" ? REG_SZ : REG_EXPAND_SZ;
      return Strings(payload, false, v.data);
    }
    if (type == "multi_sz") {
      v.type = REG_MULTI_SZ;
      return Strings(payload, true, v.data);
    }
    if (type == "dword") {
      if (payload.empty() || payload.size() > 8) return "dword takes 1 to 8 hex digits";
      DWORD d = 0;
      for (char c : payload) {
        int h = HexValue(c);
        if (h < 0) return "dword takes 1 to 8 hex digits";
        d = d << 4 | static_cast<DWORD>(h);
      }
      v.type = REG_DWORD;
      v.data = {static_cast<BYTE>(d), static_cast<BYTE>(d >> 8), static_cast<BYTE>(d >> 16),
                static_cast<BYTE>(d >> 24)};
      return {};
    }
    if (type == "binary") {
      v.type = REG_BINARY;
      return ParseHex(payload, v.data) ? std::string() : "bad hex bytes";
    }
    if (type.size() > 5 && type.substr(0, 4) == "hex(" && type.back() == ')') {
      std::string_view digits = type.substr(4, type.size() - 5);
      if (digits.size() > 10) return "bad type number";
      uint64_t n = 0;
      for (char c : digits) {
        if (c < '0' || c > '9') return "bad type number";
        n = n * 10 + static_cast<uint64_t>(c - '0');
      }
      if (n > 0xffffffffu) return "bad type number";
      v.type = static_cast<DWORD>(n);
      return ParseHex(payload, v.data) ? std::string() : "bad hex bytes";
    }
    return "unknown value type \"" + std::string(type) + "\"";
  }

  Tree& tree_;
  uint64_t stamp_;
  std::shared_ptr<Key> current_;
};

}  // namespace

bool ParseRegistryText(std::string_view text, Tree& out, uint64_t stamp, std::string* error) {
  Parser parser(out, stamp);
  size_t start = 0;
  int line_number = 1;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string_view::npos) end = text.size();
    std::string problem = parser.Line(text.substr(start, end - start));
    if (!problem.empty()) {
      if (error) *error = "line " + std::to_string(line_number) + ": " + problem;
      return false;
    }
    start = end + 1;
    ++line_number;
  }
  return true;
}

std::string FormatRegistryText(const Tree& tree) {
  std::string out = "; Quorvane registry store. Written by the program; format in qvplatform/registry.h.\n\n";
  for (const auto& root : tree.roots) AppendTree(out, *root);
  return out;
}

}  // namespace qvp::registry
