// The text of a settings file in the Windows private-profile form, and the edits
// the profile calls make to it.
//
//   ; comment            kept, never read as a key
//   [Section]            names compare without regard to case, blanks around them ignored
//   key = value          the first '=' splits; blanks around key and value ignored
//
// Lines before the first section, lines without '=' and comments are kept as
// they are. Lines are read with CRLF or LF ends and written with CRLF. When a
// section or key appears twice, the first one counts.
#pragma once

#include <deque>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qvp::ini {

enum class LineKind { kBlank, kComment, kSection, kEntry, kOther };

struct LineInfo {
  LineKind kind = LineKind::kBlank;
  std::string_view name;   // section or key name, trimmed
  std::string_view value;  // an entry's value, trimmed, quotes kept
};

LineInfo Classify(std::string_view line);

// Blanks (spaces and tabs) off both ends.
std::string_view Trim(std::string_view text);

class IniText {
 public:
  explicit IniText(std::string content);
  IniText(const IniText&) = delete;
  IniText& operator=(const IniText&) = delete;

  // The whole file: every line ended by CRLF.
  std::string Serialize() const;

  // A value as a reader sees it: trimmed, and without the quotes when the whole
  // value is enclosed in a matching pair of " or '. Nothing when the key is missing.
  std::optional<std::string> Value(std::string_view section, std::string_view key) const;
  // Each section name once, in file order.
  std::vector<std::string> SectionNames() const;
  // Each key of the section once, in file order; empty when the section is missing.
  std::vector<std::string> KeyNames(std::string_view section) const;
  // The section's lines other than comments and blanks, as "key=value".
  std::vector<std::string> SectionLines(std::string_view section) const;

  // Edits return true when the text changed. A new key goes after the last entry
  // of its section; a new section goes at the end of the file.
  bool SetValue(std::string_view section, std::string_view key, std::string_view value);
  bool DeleteKey(std::string_view section, std::string_view key);
  // Removes every section of that name with its entries.
  bool DeleteSection(std::string_view section);
  // The section's entries become `lines`; a missing section is appended.
  bool ReplaceSection(std::string_view section, const std::vector<std::string>& lines);

 private:
  struct Span {
    size_t header;  // the "[name]" line
    size_t
        owned_end;  // one past the section's last entry (comments and blanks after it lead the next section)
  };
  // A line with its classification, worked out once. The text lives in
  // content_ (lines as read) or owned_ (lines made by edits), neither of which
  // moves, so the views stay valid for the object's life.
  struct Line {
    std::string_view text;
    LineInfo info;
    bool IsEntryNamed(std::string_view key) const;
  };
  Line MakeLine(std::string text);

  std::optional<Span> FindSection(std::string_view section) const;
  void AppendSection(std::string_view section, const std::vector<std::string>& lines);

  std::string content_;
  std::deque<std::string> owned_;
  std::vector<Line> lines_;
  bool byte_order_mark_ = false;
};

}  // namespace qvp::ini
