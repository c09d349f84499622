#include "language_tree.h"

#include <algorithm>
#include <cctype>

namespace replang {

namespace {

char Lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

size_t Find(std::string_view text, std::string_view find, size_t from, bool match_case) {
  if (find.empty() || from > text.size()) return std::string_view::npos;
  if (match_case) return text.find(find, from);
  const auto at = std::search(text.begin() + static_cast<std::ptrdiff_t>(from), text.end(), find.begin(), find.end(),
                              [](char a, char b) { return Lower(a) == Lower(b); });
  return at == text.end() ? std::string_view::npos : static_cast<size_t>(at - text.begin());
}

bool EndsWithNoCase(std::string_view text, std::string_view end) {
  if (text.size() < end.size()) return false;
  const std::string_view tail = text.substr(text.size() - end.size());
  return std::equal(tail.begin(), tail.end(), end.begin(), [](char a, char b) { return Lower(a) == Lower(b); });
}

}  // namespace

std::vector<TreeEntry> ParseLanguageTree(std::string_view text) {
  std::vector<TreeEntry> entries;
  int previous_depth = 0;
  int parent = -1;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string_view::npos; start = end + 1, end = text.find('\n', start)) {
    const std::string_view line = text.substr(start, end - start);
    const size_t colons = line.find_first_not_of(':');
    const size_t depth_count = colons == std::string_view::npos ? line.size() : colons;
    if (depth_count == 0) continue;
    const size_t open = line.find('{');
    if (open == std::string_view::npos) continue;
    const size_t close = line.find('}', open + 1);
    if (close == std::string_view::npos) continue;
    TreeEntry entry;
    entry.depth = static_cast<int>(std::min<size_t>(depth_count, 1u << 20));
    entry.label = std::string(line.substr(open + 1, close - open - 1));
    const size_t less = line.find('<');
    if (less != std::string_view::npos) {
      const size_t greater = line.find('>', less + 1);
      if (greater != std::string_view::npos) entry.tag = std::string(line.substr(less, greater - less + 1));
    }
    if (entry.depth == 1) {
      parent = -1;
    } else if (entry.depth > previous_depth) {
      parent = entries.empty() ? -1 : static_cast<int>(entries.size()) - 1;
    } else if (entry.depth < previous_depth) {
      for (int up = previous_depth - entry.depth; up > 0 && parent >= 0; --up) parent = entries[parent].parent;
    }
    entry.parent = parent;
    previous_depth = entry.depth;
    entries.push_back(std::move(entry));
  }
  return entries;
}

bool FindItemSpan(std::string_view language, std::string_view tag, ItemSpan* span) {
  if (tag.empty()) return false;
  const size_t at = language.find(tag);
  if (at == std::string_view::npos) return false;
  const size_t after = at + tag.size();
  const size_t close = language.find('}', after);
  if (close == std::string_view::npos) return false;
  const size_t open = language.find('{', after);
  if (open == std::string_view::npos || open > close) return false;
  *span = ItemSpan{at, open, close};
  return true;
}

bool ItemText(std::string_view language, std::string_view tag, std::string* text) {
  ItemSpan span;
  if (!FindItemSpan(language, tag, &span)) return false;
  *text = std::string(language.substr(span.open + 1, span.close - span.open - 1));
  return true;
}

bool IsValidItemText(std::string_view text) { return text.find_first_of("{}") == std::string_view::npos; }

bool SetItemText(std::string* language, std::string_view tag, std::string_view text) {
  if (!IsValidItemText(text)) return false;
  ItemSpan span;
  if (!FindItemSpan(*language, tag, &span)) return false;
  const std::string old_span = language->substr(span.tag_at, span.close + 1 - span.tag_at);
  std::string new_span = language->substr(span.tag_at, span.open + 1 - span.tag_at);
  new_span.append(text);
  new_span.push_back('}');
  ReplaceEvery(language, old_span, new_span, true);
  return true;
}

bool ContainsText(std::string_view text, std::string_view find, bool match_case) {
  return Find(text, find, 0, match_case) != std::string_view::npos;
}

int ReplaceEvery(std::string* text, std::string_view find, std::string_view with, bool match_case) {
  if (find.empty()) return 0;
  std::string out;
  int count = 0;
  size_t from = 0;
  for (size_t at = Find(*text, find, 0, match_case); at != std::string_view::npos;
       at = Find(*text, find, from, match_case)) {
    out.append(*text, from, at - from);
    out.append(with);
    from = at + find.size();
    ++count;
  }
  if (count == 0) return 0;
  out.append(*text, from, std::string::npos);
  *text = std::move(out);
  return count;
}

bool IsPlainLanguageName(std::string_view name) {
  if (name.empty() || name.size() > 63) return false;
  if (name.front() == ' ' || name.back() == ' ') return false;
  for (char c : name) {
    const auto u = static_cast<unsigned char>(c);
    if (u < 0x20 || u == 0x7F) return false;
    if (std::string_view("\\/:*?\"<>|.{}").find(c) != std::string_view::npos) return false;
  }
  return true;
}

std::string LanguageOfFile(std::string_view file_name) {
  if (!EndsWithNoCase(file_name, ".RPL")) return {};
  return std::string(file_name.substr(0, file_name.size() - 4));
}

std::string OriginalPathOf(std::string_view language_path) {
  if (!EndsWithNoCase(language_path, ".RPL")) return {};
  return std::string(language_path.substr(0, language_path.size() - 4)) + ".ORG";
}

}  // namespace replang
