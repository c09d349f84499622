#include "ini/ini_text.h"

#include <algorithm>
#include <cstring>
#include <iterator>
#include <unordered_set>

#include "qvplatform/nocase.h"

namespace qvp::ini {
namespace {

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string_view Unquote(std::string_view value) {
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') && value.back() == value.front()) {
    return value.substr(1, value.size() - 2);
  }
  return value;
}

// Collects names, each once whatever its case, in the order first seen.
class DistinctNames {
 public:
  void Add(std::string_view name) {
    std::string folded(name);
    for (char& c : folded) c = FoldCase(c);
    if (seen_.insert(std::move(folded)).second) names_.emplace_back(name);
  }
  std::vector<std::string> Take() { return std::move(names_); }

 private:
  std::unordered_set<std::string> seen_;
  std::vector<std::string> names_;
};

}  // namespace

// Trim and Classify run for every line of every file read, so they work on
// plain pointers.
std::string_view Trim(std::string_view text) {
  const char* begin = text.data();
  const char* end = begin + text.size();
  while (begin < end && IsBlank(*begin)) ++begin;
  while (end > begin && IsBlank(end[-1])) --end;
  return std::string_view(begin, static_cast<size_t>(end - begin));
}

LineInfo Classify(std::string_view line) {
  LineInfo info;
  std::string_view text = Trim(line);
  if (text.empty()) return info;
  const char* begin = text.data();
  const char* end = begin + text.size();
  if (*begin == ';') {
    info.kind = LineKind::kComment;
  } else if (*begin == '[') {
    info.kind = LineKind::kSection;
    const char* close =
        static_cast<const char*>(std::memchr(begin + 1, ']', static_cast<size_t>(end - begin - 1)));
    info.name = Trim(std::string_view(begin + 1, static_cast<size_t>((close ? close : end) - begin - 1)));
  } else if (const char* eq = static_cast<const char*>(std::memchr(begin, '=', text.size()))) {
    info.kind = LineKind::kEntry;
    info.name = Trim(std::string_view(begin, static_cast<size_t>(eq - begin)));
    info.value = Trim(std::string_view(eq + 1, static_cast<size_t>(end - eq - 1)));
  } else {
    info.kind = LineKind::kOther;
    info.name = text;
  }
  return info;
}

bool IniText::Line::IsEntryNamed(std::string_view key) const {
  return info.kind == LineKind::kEntry && EqualNoCase(info.name, key);
}

IniText::Line IniText::MakeLine(std::string text) {
  std::string_view stored = owned_.emplace_back(std::move(text));
  return Line{stored, Classify(stored)};
}

IniText::IniText(std::string content) : content_(std::move(content)) {
  std::string_view rest = content_;
  if (rest.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
    byte_order_mark_ = true;
    rest.remove_prefix(kByteOrderMark.size());
  }
  const char* at = rest.data();
  const char* const stop = at + rest.size();
  size_t count = 1;
  for (const char* p = at;
       (p = static_cast<const char*>(std::memchr(p, '\n', static_cast<size_t>(stop - p)))); ++p) {
    ++count;
  }
  lines_.reserve(count);
  while (at < stop) {
    const char* newline = static_cast<const char*>(std::memchr(at, '\n', static_cast<size_t>(stop - at)));
    const char* line_end = newline ? newline : stop;
    size_t length = static_cast<size_t>(line_end - at);
    if (length > 0 && at[length - 1] == '\r') --length;
    std::string_view line(at, length);
    lines_.push_back(Line{line, Classify(line)});
    if (newline == nullptr) break;
    at = newline + 1;
  }
}

std::string IniText::Serialize() const {
  size_t size = byte_order_mark_ ? kByteOrderMark.size() : 0;
  for (const Line& line : lines_) size += line.text.size() + 2;
  std::string out;
  out.reserve(size);
  if (byte_order_mark_) out += kByteOrderMark;
  for (const Line& line : lines_) {
    out += line.text;
    out += "\r\n";
  }
  return out;
}

std::optional<IniText::Span> IniText::FindSection(std::string_view section) const {
  const std::string_view wanted = Trim(section);
  for (size_t i = 0; i < lines_.size(); ++i) {
    if (lines_[i].info.kind != LineKind::kSection || !EqualNoCase(lines_[i].info.name, wanted)) continue;
    Span span{i, i + 1};
    for (size_t j = i + 1; j < lines_.size(); ++j) {
      LineKind kind = lines_[j].info.kind;
      if (kind == LineKind::kSection) break;
      if (kind == LineKind::kEntry || kind == LineKind::kOther) span.owned_end = j + 1;
    }
    return span;
  }
  return std::nullopt;
}

std::optional<std::string> IniText::Value(std::string_view section, std::string_view key) const {
  std::optional<Span> span = FindSection(section);
  if (!span) return std::nullopt;
  const std::string_view wanted = Trim(key);
  for (size_t i = span->header + 1; i < span->owned_end; ++i) {
    if (lines_[i].IsEntryNamed(wanted)) return std::string(Unquote(lines_[i].info.value));
  }
  return std::nullopt;
}

std::vector<std::string> IniText::SectionNames() const {
  DistinctNames names;
  for (const Line& line : lines_) {
    if (line.info.kind == LineKind::kSection) names.Add(line.info.name);
  }
  return names.Take();
}

std::vector<std::string> IniText::KeyNames(std::string_view section) const {
  DistinctNames names;
  std::optional<Span> span = FindSection(section);
  if (!span) return {};
  for (size_t i = span->header + 1; i < span->owned_end; ++i) {
    if (lines_[i].info.kind == LineKind::kEntry) names.Add(lines_[i].info.name);
  }
  return names.Take();
}

std::vector<std::string> IniText::SectionLines(std::string_view section) const {
  std::vector<std::string> out;
  std::optional<Span> span = FindSection(section);
  if (!span) return out;
  for (size_t i = span->header + 1; i < span->owned_end; ++i) {
    const Line& line = lines_[i];
    if (line.info.kind == LineKind::kEntry) {
      out.push_back(std::string(line.info.name) + "=" + std::string(line.info.value));
    } else if (line.info.kind == LineKind::kOther) {
      out.emplace_back(line.info.name);
    }
  }
  return out;
}

void IniText::AppendSection(std::string_view section, const std::vector<std::string>& lines) {
  if (!lines_.empty() && lines_.back().info.kind != LineKind::kBlank)
    lines_.push_back(MakeLine(std::string()));
  std::string header(1, '[');
  header += Trim(section);
  header += ']';
  lines_.push_back(MakeLine(std::move(header)));
  for (const std::string& line : lines) lines_.push_back(MakeLine(line));
}

bool IniText::SetValue(std::string_view section, std::string_view key, std::string_view value) {
  const std::string_view wanted = Trim(key);
  std::optional<Span> span = FindSection(section);
  if (!span) {
    AppendSection(section, {std::string(wanted) + "=" + std::string(value)});
    return true;
  }
  for (size_t i = span->header + 1; i < span->owned_end; ++i) {
    if (!lines_[i].IsEntryNamed(wanted)) continue;
    std::string replacement = std::string(lines_[i].info.name) + "=" + std::string(value);
    if (replacement == lines_[i].text) return false;
    lines_[i] = MakeLine(std::move(replacement));
    return true;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(span->owned_end),
                MakeLine(std::string(wanted) + "=" + std::string(value)));
  return true;
}

bool IniText::DeleteKey(std::string_view section, std::string_view key) {
  std::optional<Span> span = FindSection(section);
  if (!span) return false;
  const std::string_view wanted = Trim(key);
  auto first = lines_.begin() + static_cast<std::ptrdiff_t>(span->header + 1);
  auto last = lines_.begin() + static_cast<std::ptrdiff_t>(span->owned_end);
  auto kept_end = std::remove_if(first, last, [&](const Line& line) { return line.IsEntryNamed(wanted); });
  if (kept_end == last) return false;
  lines_.erase(kept_end, last);
  return true;
}

bool IniText::DeleteSection(std::string_view section) {
  bool changed = false;
  while (std::optional<Span> span = FindSection(section)) {
    lines_.erase(lines_.begin() + static_cast<std::ptrdiff_t>(span->header),
                 lines_.begin() + static_cast<std::ptrdiff_t>(span->owned_end));
    changed = true;
  }
  return changed;
}

bool IniText::ReplaceSection(std::string_view section, const std::vector<std::string>& lines) {
  std::optional<Span> span = FindSection(section);
  if (!span) {
    AppendSection(section, lines);
    return true;
  }
  const size_t begin = span->header + 1;
  const size_t old_count = span->owned_end - begin;
  bool same = old_count == lines.size();
  for (size_t i = 0; same && i < lines.size(); ++i) same = lines_[begin + i].text == lines[i];
  if (same) return false;
  auto first = lines_.begin() + static_cast<std::ptrdiff_t>(begin);
  auto at = lines_.erase(first, first + static_cast<std::ptrdiff_t>(old_count));
  std::vector<Line> replacement;
  for (const std::string& line : lines) replacement.push_back(MakeLine(line));
  lines_.insert(at, std::make_move_iterator(replacement.begin()), std::make_move_iterator(replacement.end()));
  return true;
}

}  // namespace qvp::ini
