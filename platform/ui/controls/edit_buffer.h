// The text an edit control keeps: the characters, the selection, the limit on
// what may be entered, the modified flag and one level of undo. Lines of a
// multi-line control are separated by CR LF; the pair counts as one step for
// the caret and is never split by a selection.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace qvp::ui {

class EditBuffer {
 public:
  // How an edit joins the previous one in the undo buffer: characters typed one
  // after the other, or characters erased one after the other, undo together.
  enum class Kind { kOther, kTyping, kBackspace, kDelete };

  struct Result {
    bool changed = false;    // the text differs from before
    bool truncated = false;  // part of the insertion was refused by the limit
  };

  explicit EditBuffer(bool multiline);

  const std::string& text() const { return text_; }
  size_t size() const { return text_.size(); }
  bool multiline() const { return multiline_; }

  // ---- Selection: the anchor stays, the caret moves ----
  size_t anchor() const { return anchor_; }
  size_t caret() const { return caret_; }
  size_t sel_min() const { return anchor_ < caret_ ? anchor_ : caret_; }
  size_t sel_max() const { return anchor_ < caret_ ? caret_ : anchor_; }
  bool has_selection() const { return anchor_ != caret_; }
  std::string_view selected_text() const;
  // Each end is clamped to the text and moved off the middle of a CR LF pair.
  void Select(size_t anchor, size_t caret);

  // ---- Limit on entered text ----
  size_t limit() const { return limit_; }
  void set_limit(size_t limit) { limit_ = limit; }

  // Replaces the whole text, as WM_SETTEXT does: the limit does not apply, the
  // caret goes to the start, the modified flag and the undo buffer are cleared.
  void Assign(std::string_view text);

  // Replaces the selection with `insert`, cut so that the text stays within the
  // limit; the caret ends after the inserted characters. A single-line control
  // takes the insertion only up to its first line break. `undoable` false
  // empties the undo buffer. Sets the modified flag when the text changes.
  Result ReplaceSelection(std::string_view insert, bool undoable, Kind kind = Kind::kOther);
  // Backspace: the selection, else the character (or CR LF pair) before the caret.
  Result EraseBack();
  // Delete: the selection, else the character (or CR LF pair) after the caret.
  Result EraseForward();

  bool modified() const { return modified_; }
  void set_modified(bool modified) { modified_ = modified; }

  // ---- Undo: one level; undoing twice restores the edit ----
  bool CanUndo() const { return undo_.valid; }
  // Puts back what the last edit replaced and selects it. False when there is nothing to undo.
  bool Undo();
  void EmptyUndo() { undo_ = UndoRecord{}; }

  // ---- Caret steps ----
  size_t PrevPos(size_t pos) const;  // one character back, CR LF as one
  size_t NextPos(size_t pos) const;
  size_t WordLeft(size_t pos) const;   // start of the word before pos
  size_t WordRight(size_t pos) const;  // start of the next word
  // The word (or run of blanks) around pos, for a double click.
  void WordAt(size_t pos, size_t* begin, size_t* end) const;

 private:
  struct UndoRecord {
    bool valid = false;
    size_t pos = 0;       // where the edit happened
    size_t inserted = 0;  // characters it put there
    std::string removed;  // what it took away
    Kind kind = Kind::kOther;
  };

  size_t Snap(size_t pos) const;  // clamp and step back off the middle of CR LF
  void Record(size_t pos, std::string_view removed, size_t inserted, Kind kind);

  bool multiline_;
  std::string text_;
  size_t anchor_ = 0;
  size_t caret_ = 0;
  size_t limit_;
  bool modified_ = false;
  UndoRecord undo_;
};

}  // namespace qvp::ui
