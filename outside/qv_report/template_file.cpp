#include "template_file.h"

#include <cctype>

namespace qvr {
namespace {

std::string Trim(const std::string& text) {
  size_t first = 0;
  size_t last = text.size();
  while (first < last && (text[first] == ' ' || text[first] == '\t')) ++first;
  while (last > first && (text[last - 1] == ' ' || text[last - 1] == '\t' || text[last - 1] == '\r')) --last;
  return text.substr(first, last - first);
}

void AddText(Nodes& nodes, const std::string& text) {
  if (text.empty()) return;
  if (!nodes.empty() && nodes.back()->kind == Node::Kind::kText) {
    nodes.back()->text += text;
    return;
  }
  auto node = std::make_unique<Node>();
  node->text = text;
  nodes.push_back(std::move(node));
}

void AddNode(Nodes& nodes, Node::Kind kind, const std::string& text) {
  auto node = std::make_unique<Node>();
  node->kind = kind;
  node->text = text;
  nodes.push_back(std::move(node));
}

bool IsNameChar(char c) { return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_'; }

// One line's inline text into nodes.
bool ParseInline(const std::string& line, Nodes& nodes, std::string* problem) {
  std::string text;
  for (size_t i = 0; i < line.size(); ++i) {
    const char c = line[i];
    if (c == '$' && i + 1 < line.size() && (line[i + 1] == '(' || line[i + 1] == '[')) {
      const char close = line[i + 1] == '(' ? ')' : ']';
      const size_t end = line.find(close, i + 2);
      const std::string name = end == std::string::npos ? std::string() : line.substr(i + 2, end - i - 2);
      bool valid = !name.empty();
      for (char n : name) valid = valid && IsNameChar(n);
      if (!valid) {
        *problem = "a token without a valid name";
        return false;
      }
      AddText(nodes, text);
      text.clear();
      AddNode(nodes, close == ')' ? Node::Kind::kToken : Node::Kind::kBareToken, name);
      i = end;
      continue;
    }
    if (c == '@' && i + 1 < line.size() && line[i + 1] == '<') {
      const size_t end = line.find('>', i + 2);
      if (end == std::string::npos || end == i + 2) {
        *problem = "a language item without a tag";
        return false;
      }
      AddText(nodes, text);
      text.clear();
      AddNode(nodes, Node::Kind::kItem, line.substr(i + 1, end - i));
      i = end;
      continue;
    }
    text += c;
  }
  AddText(nodes, text);
  return true;
}

std::string Located(int lineNumber, const std::string& what) {
  return "line " + std::to_string(lineNumber) + ": " + what;
}

}  // namespace

std::string UpperCase(std::string text) {
  for (char& c : text) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return text;
}

bool ParseTemplate(const std::string& text, Blocks* blocks, std::string* problem) {
  std::vector<Nodes*> open;  // the block, then each open repeat's body
  std::string blockName;
  Nodes block;
  int lineNumber = 0;
  size_t at = 0;
  while (at <= text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    const bool lastLine = end >= text.size();
    at = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (lastLine && line.empty()) break;
    const std::string trimmed = Trim(line);
    if (!trimmed.empty() && trimmed[0] == ';') continue;
    if (!trimmed.empty() && trimmed[0] == '.') {
      const size_t space = trimmed.find_first_of(" \t");
      const std::string directive = UpperCase(trimmed.substr(0, space));
      const std::string rest = space == std::string::npos ? std::string() : Trim(trimmed.substr(space));
      if (directive == ".BLOCK") {
        if (!open.empty() || rest.empty()) {
          *problem = Located(lineNumber, rest.empty() ? "a block without a name" : "a block inside a block");
          return false;
        }
        blockName = UpperCase(rest);
        if (blocks->count(blockName) != 0) {
          *problem = Located(lineNumber, "a second block " + rest);
          return false;
        }
        block.clear();
        open.push_back(&block);
        continue;
      }
      if (directive == ".ENDBLOCK") {
        if (open.size() != 1) {
          *problem = Located(lineNumber, open.empty() ? "an end without a block" : "a block ends inside a repeat");
          return false;
        }
        (*blocks)[blockName] = std::move(block);
        block = Nodes{};
        open.clear();
        continue;
      }
      if (directive == ".REPEAT") {
        if (open.empty()) {
          *problem = Located(lineNumber, "a repeat outside a block");
          return false;
        }
        auto repeat = std::make_unique<Node>();
        repeat->kind = Node::Kind::kRepeat;
        Nodes* body = &repeat->children;
        open.back()->push_back(std::move(repeat));
        open.push_back(body);
        continue;
      }
      if (directive == ".ENDREPEAT") {
        if (open.size() < 2) {
          *problem = Located(lineNumber, "an end of a repeat that did not begin");
          return false;
        }
        open.pop_back();
        continue;
      }
      if (directive == ".CHAPTER") {
        if (open.empty()) {
          *problem = Located(lineNumber, "a chapter outside a block");
          return false;
        }
        auto chapter = std::make_unique<Node>();
        chapter->kind = Node::Kind::kChapter;
        if (!ParseInline(rest, chapter->children, problem)) {
          *problem = Located(lineNumber, *problem);
          return false;
        }
        open.back()->push_back(std::move(chapter));
        continue;
      }
      *problem = Located(lineNumber, "an unknown directive " + directive);
      return false;
    }
    if (open.empty()) {
      if (trimmed.empty()) continue;
      *problem = Located(lineNumber, "text outside a block");
      return false;
    }
    if (!ParseInline(line + "\n", *open.back(), problem)) {
      *problem = Located(lineNumber, *problem);
      return false;
    }
  }
  if (!open.empty()) {
    *problem = "the block " + blockName + " does not end";
    return false;
  }
  return true;
}

bool ParseFrame(const std::string& text, Nodes* nodes, std::string* problem) {
  int lineNumber = 0;
  size_t at = 0;
  while (at < text.size()) {
    size_t end = text.find('\n', at);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(at, end - at);
    at = end + 1;
    ++lineNumber;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] == '#') continue;
    const std::string trimmed = Trim(line);
    if (trimmed.size() > 4 && trimmed.rfind("@@", 0) == 0 && trimmed.compare(trimmed.size() - 2, 2, "@@") == 0) {
      const std::string slot = UpperCase(trimmed.substr(2, trimmed.size() - 4));
      if (slot != "STYLE" && slot != "LOGO" && slot != "CONTENTS" && slot != "BODY") {
        *problem = Located(lineNumber, "an unknown place " + trimmed);
        return false;
      }
      AddNode(*nodes, Node::Kind::kFrameSlot, slot);
      continue;
    }
    if (!ParseInline(line + "\n", *nodes, problem)) {
      *problem = Located(lineNumber, *problem);
      return false;
    }
  }
  return true;
}

}  // namespace qvr
