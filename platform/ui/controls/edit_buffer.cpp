#include "ui/controls/edit_buffer.h"

#include <algorithm>

namespace qvp::ui {
namespace {

// Characters a new edit control accepts before EM_LIMITTEXT is sent.
constexpr size_t kDefaultLimit = 30000;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

}  // namespace

EditBuffer::EditBuffer(bool multiline) : multiline_(multiline), limit_(kDefaultLimit) {}

std::string_view EditBuffer::selected_text() const {
  return std::string_view(text_).substr(sel_min(), sel_max() - sel_min());
}

size_t EditBuffer::Snap(size_t pos) const {
  pos = std::min(pos, text_.size());
  if (pos > 0 && pos < text_.size() && text_[pos - 1] == '\r' && text_[pos] == '\n') --pos;
  return pos;
}

void EditBuffer::Select(size_t anchor, size_t caret) {
  anchor_ = Snap(anchor);
  caret_ = Snap(caret);
}

void EditBuffer::Assign(std::string_view text) {
  text_.assign(text);
  anchor_ = caret_ = 0;
  modified_ = false;
  EmptyUndo();
}

void EditBuffer::Record(size_t pos, std::string_view removed, size_t inserted, Kind kind) {
  UndoRecord& u = undo_;
  if (u.valid) {
    const bool typing_run = u.kind == Kind::kTyping || u.kind == Kind::kBackspace;
    if (kind == Kind::kTyping && typing_run && removed.empty() && pos == u.pos + u.inserted) {
      u.inserted += inserted;
      u.kind = Kind::kTyping;
      return;
    }
    if (kind == Kind::kBackspace && typing_run && inserted == 0 && pos + removed.size() == u.pos + u.inserted) {
      // Erasing backwards eats first into what was typed, then into older text.
      size_t from_typed = std::min(removed.size(), u.inserted);
      u.inserted -= from_typed;
      u.removed.insert(0, removed.substr(0, removed.size() - from_typed));
      u.pos = std::min(u.pos, pos);
      return;
    }
    if (kind == Kind::kDelete && u.kind == Kind::kDelete && inserted == 0 && u.inserted == 0 && pos == u.pos) {
      u.removed.append(removed);
      return;
    }
  }
  u.valid = true;
  u.pos = pos;
  u.inserted = inserted;
  u.removed.assign(removed);
  u.kind = kind;
}

EditBuffer::Result EditBuffer::ReplaceSelection(std::string_view insert, bool undoable, Kind kind) {
  Result r;
  if (!multiline_) {
    size_t brk = insert.find_first_of("\r\n");
    if (brk != std::string_view::npos) insert = insert.substr(0, brk);
  }
  const size_t lo = sel_min();
  const size_t hi = sel_max();
  const size_t kept = text_.size() - (hi - lo);
  const size_t room = kept < limit_ ? limit_ - kept : 0;
  if (insert.size() > room) {
    r.truncated = true;
    insert = insert.substr(0, room);
    // Never leave half of a CR LF pair at the cut.
    if (!insert.empty() && insert.back() == '\r') insert.remove_suffix(1);
  }
  if (lo == hi && insert.empty()) {
    anchor_ = caret_ = lo;
    return r;
  }
  std::string removed = text_.substr(lo, hi - lo);
  r.changed = removed != insert;
  text_.replace(lo, hi - lo, insert);
  anchor_ = caret_ = lo + insert.size();
  if (undoable)
    Record(lo, removed, insert.size(), kind);
  else
    EmptyUndo();
  if (r.changed) modified_ = true;
  return r;
}

EditBuffer::Result EditBuffer::EraseBack() {
  if (!has_selection()) {
    if (caret_ == 0) return Result{};
    anchor_ = PrevPos(caret_);
  }
  return ReplaceSelection({}, true, Kind::kBackspace);
}

EditBuffer::Result EditBuffer::EraseForward() {
  if (!has_selection()) {
    if (caret_ >= text_.size()) return Result{};
    anchor_ = NextPos(caret_);
  }
  return ReplaceSelection({}, true, Kind::kDelete);
}

bool EditBuffer::Undo() {
  if (!undo_.valid) return false;
  UndoRecord u = undo_;
  std::string current = text_.substr(u.pos, u.inserted);
  text_.replace(u.pos, u.inserted, u.removed);
  anchor_ = u.pos;
  caret_ = u.pos + u.removed.size();
  undo_ = UndoRecord{true, u.pos, u.removed.size(), std::move(current), Kind::kOther};
  modified_ = true;
  return true;
}

size_t EditBuffer::PrevPos(size_t pos) const {
  pos = std::min(pos, text_.size());
  if (pos == 0) return 0;
  if (pos >= 2 && text_[pos - 2] == '\r' && text_[pos - 1] == '\n') return pos - 2;
  return pos - 1;
}

size_t EditBuffer::NextPos(size_t pos) const {
  if (pos >= text_.size()) return text_.size();
  if (pos + 1 < text_.size() && text_[pos] == '\r' && text_[pos + 1] == '\n') return pos + 2;
  return pos + 1;
}

size_t EditBuffer::WordLeft(size_t pos) const {
  pos = std::min(pos, text_.size());
  while (pos > 0 && IsBlank(text_[pos - 1])) --pos;
  while (pos > 0 && !IsBlank(text_[pos - 1])) --pos;
  return pos;
}

size_t EditBuffer::WordRight(size_t pos) const {
  const size_t n = text_.size();
  pos = std::min(pos, n);
  while (pos < n && !IsBlank(text_[pos])) ++pos;
  while (pos < n && IsBlank(text_[pos])) ++pos;
  return pos;
}

void EditBuffer::WordAt(size_t pos, size_t* begin, size_t* end) const {
  const size_t n = text_.size();
  pos = std::min(pos, n);
  if (pos == n && pos > 0) --pos;
  size_t b = pos, e = pos;
  if (n > 0) {
    const bool blank = IsBlank(text_[pos]);
    while (b > 0 && IsBlank(text_[b - 1]) == blank) --b;
    while (e < n && IsBlank(text_[e]) == blank) ++e;
  }
  *begin = b;
  *end = e;
}

}  // namespace qvp::ui
