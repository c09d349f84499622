// The text of the viewer control: the bytes as read or appended, an index of
// where each line starts, and the search over them. Lines end in LF (a CR
// before it is not part of the line); the text is never copied per line, so
// logs of hundreds of megabytes load and search in one pass.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

class ViewerLines {
 public:
  // Replaces the text with a file's bytes; false (text unchanged) when the
  // file can't be read.
  bool LoadFile(const char* path);
  void Clear();
  void Append(const char* bytes, size_t count);

  size_t Count() const { return starts_.size(); }
  // The line with its markup, without the line end; empty past the end.
  std::string_view Line(size_t index) const;
  // The line without the 0x01 n and 0x02 n pairs.
  static std::string Plain(std::string_view line);
  // Bytes of the longest line seen (markup included).
  size_t LongestLine() const { return longest_; }

  // Finds text (ignoring ASCII case) at or after byte offset `from` of the
  // whole text; the match never spans a line end. Returns the line of the
  // match and sets *matchEnd to the offset after it; -1 when there is none.
  int64_t Find(std::string_view needle, size_t from, size_t* matchEnd) const;
  size_t LineStart(size_t index) const { return index < starts_.size() ? starts_[index] : text_.size(); }
  size_t Size() const { return text_.size(); }

 private:
  void IndexFrom(size_t offset);
  size_t LineOf(size_t offset) const;

  std::string text_;
  std::vector<size_t> starts_;
  size_t longest_ = 0;
};
