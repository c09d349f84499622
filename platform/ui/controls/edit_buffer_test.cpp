#include "ui/controls/edit_buffer.h"

#include <gtest/gtest.h>

#include "ui/controls/edit_lines.h"

namespace qvp::ui {
namespace {

using Kind = EditBuffer::Kind;

void Type(EditBuffer& b, std::string_view chars) {
  for (char c : chars) b.ReplaceSelection(std::string_view(&c, 1), true, Kind::kTyping);
}

TEST(EditBufferTest, LimitCutsInsertionsButNotAssignedText) {
  EditBuffer b(false);
  EXPECT_EQ(b.limit(), 30000u);
  b.set_limit(5);
  auto r = b.ReplaceSelection("abcdefg", true);
  EXPECT_TRUE(r.changed);
  EXPECT_TRUE(r.truncated);
  EXPECT_EQ(b.text(), "abcde");
  EXPECT_EQ(b.caret(), 5u);

  r = b.ReplaceSelection("x", true);
  EXPECT_FALSE(r.changed);
  EXPECT_TRUE(r.truncated);
  EXPECT_EQ(b.text(), "abcde");

  // A selection being replaced makes room for as much as it frees.
  b.Select(1, 3);
  r = b.ReplaceSelection("XYZ", true);
  EXPECT_TRUE(r.truncated);
  EXPECT_EQ(b.text(), "aXYde");

  // Text set as a whole may exceed the limit; nothing can be added then.
  b.Assign("0123456789");
  EXPECT_EQ(b.text(), "0123456789");
  b.Select(10, 10);
  r = b.ReplaceSelection("!", true);
  EXPECT_TRUE(r.truncated);
  EXPECT_EQ(b.text(), "0123456789");
}

TEST(EditBufferTest, LineBreaksInSingleAndMultiLineText) {
  EditBuffer single(false);
  single.ReplaceSelection("first\r\nsecond", true);
  EXPECT_EQ(single.text(), "first");
  single.ReplaceSelection("\nmore", true);
  EXPECT_EQ(single.text(), "first");

  EditBuffer multi(true);
  multi.ReplaceSelection("ab\r\ncd", true);
  EXPECT_EQ(multi.text(), "ab\r\ncd");
  // CR LF is one step for the caret and for erasing.
  EXPECT_EQ(multi.PrevPos(4), 2u);
  EXPECT_EQ(multi.NextPos(2), 4u);
  multi.Select(4, 4);
  multi.EraseBack();
  EXPECT_EQ(multi.text(), "abcd");
  multi.Assign("ab\r\ncd");
  multi.Select(2, 2);
  multi.EraseForward();
  EXPECT_EQ(multi.text(), "abcd");

  // A selection end never falls between CR and LF.
  multi.Assign("ab\r\ncd");
  multi.Select(3, 3);
  EXPECT_EQ(multi.caret(), 2u);

  // The limit never keeps half of a pair.
  EditBuffer cut(true);
  cut.set_limit(3);
  cut.ReplaceSelection("ab\r\ncd", true);
  EXPECT_EQ(cut.text(), "ab");
}

TEST(EditBufferTest, TypingUndoesAsOneEditAndUndoTwiceRedoes) {
  EditBuffer b(false);
  b.Assign("say ");
  b.Select(4, 4);
  Type(b, "hello");
  EXPECT_EQ(b.text(), "say hello");
  EXPECT_TRUE(b.modified());
  ASSERT_TRUE(b.CanUndo());
  ASSERT_TRUE(b.Undo());
  EXPECT_EQ(b.text(), "say ");
  ASSERT_TRUE(b.Undo());
  EXPECT_EQ(b.text(), "say hello");
  EXPECT_EQ(b.sel_min(), 4u);
  EXPECT_EQ(b.sel_max(), 9u);

  // Backspaces past what was typed undo together with the typing, restoring older text.
  b.Assign("abc");
  b.Select(3, 3);
  Type(b, "de");
  b.EraseBack();
  b.EraseBack();
  b.EraseBack();
  EXPECT_EQ(b.text(), "ab");
  ASSERT_TRUE(b.Undo());
  EXPECT_EQ(b.text(), "abc");

  // Deletes forward gather their characters.
  b.Assign("12345");
  b.Select(1, 1);
  b.EraseForward();
  b.EraseForward();
  EXPECT_EQ(b.text(), "145");
  ASSERT_TRUE(b.Undo());
  EXPECT_EQ(b.text(), "12345");
}

TEST(EditBufferTest, WholeTextAndUnundoableEditsEmptyTheUndoBuffer) {
  EditBuffer b(false);
  Type(b, "abc");
  ASSERT_TRUE(b.CanUndo());
  b.Assign("new");
  EXPECT_FALSE(b.CanUndo());
  EXPECT_FALSE(b.modified());
  EXPECT_EQ(b.caret(), 0u);
  EXPECT_FALSE(b.Undo());

  Type(b, "x");
  b.ReplaceSelection("y", false);
  EXPECT_FALSE(b.CanUndo());
  EXPECT_TRUE(b.modified());
}

TEST(EditBufferTest, WordSteps) {
  EditBuffer b(false);
  b.Assign("one two  three");
  EXPECT_EQ(b.WordRight(0), 4u);
  EXPECT_EQ(b.WordRight(4), 9u);
  EXPECT_EQ(b.WordLeft(9), 4u);
  EXPECT_EQ(b.WordLeft(14), 9u);
  size_t begin = 0, end = 0;
  b.WordAt(5, &begin, &end);
  EXPECT_EQ(b.text().substr(begin, end - begin), "two");
  b.WordAt(14, &begin, &end);
  EXPECT_EQ(b.text().substr(begin, end - begin), "three");
}

TextMeasure FixedWidth(int w) {
  TextMeasure m;
  m.char_width = [w](unsigned char) { return w; };
  m.tab_width = 8 * w;
  return m;
}

TEST(EditLinesTest, HardBreaksMakeLinesWithoutWrapping) {
  auto lines = LayoutLines("ab\r\n\r\ncde", 0, FixedWidth(5));
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].start, 0u);
  EXPECT_EQ(lines[0].length, 2u);
  EXPECT_EQ(lines[0].brk, 2u);
  EXPECT_EQ(lines[1].start, 4u);
  EXPECT_EQ(lines[1].length, 0u);
  EXPECT_EQ(lines[2].start, 6u);
  EXPECT_EQ(lines[2].length, 3u);
  EXPECT_EQ(lines[2].brk, 0u);
  EXPECT_EQ(LayoutLines("", 0, FixedWidth(5)).size(), 1u);
  EXPECT_EQ(LayoutLines("x\r\n", 0, FixedWidth(5)).size(), 2u);
}

TEST(EditLinesTest, WrapsAfterBlanksAndInsideOverlongWords) {
  // Ten pixels a character, forty pixels a line: four characters fit.
  auto m = FixedWidth(10);
  auto lines = LayoutLines("ab cd ef", 40, m);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].length, 3u);  // "ab " (the blank hangs on the line)
  EXPECT_EQ(lines[1].start, 3u);
  EXPECT_EQ(lines[1].length, 3u);  // "cd "
  EXPECT_EQ(lines[2].start, 6u);

  lines = LayoutLines("abcdefghij", 40, m);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[0].length, 4u);
  EXPECT_EQ(lines[1].length, 4u);
  EXPECT_EQ(lines[2].length, 2u);

  // A character at a soft break belongs to the next line; at a hard break's end, to its own.
  EXPECT_EQ(LineOfChar(lines, 4), 1u);
  EXPECT_EQ(LineOfChar(lines, 3), 0u);
  EXPECT_EQ(LineOfChar(lines, 10), 2u);
  auto hard = LayoutLines("ab\r\ncd", 0, m);
  EXPECT_EQ(LineOfChar(hard, 2), 0u);
  EXPECT_EQ(LineOfChar(hard, 4), 1u);

  // Wrapping happens within each hard line on its own.
  lines = LayoutLines("abcdef\r\ngh", 40, m);
  ASSERT_EQ(lines.size(), 3u);
  EXPECT_EQ(lines[1].length, 2u);
  EXPECT_EQ(lines[1].brk, 2u);
  EXPECT_EQ(lines[2].start, 8u);
}

TEST(EditLinesTest, PositionsAndTabs) {
  auto m = FixedWidth(10);
  EXPECT_EQ(m.XOf("abc", 2), 20);
  EXPECT_EQ(m.IndexAt("abc", 14), 1u);
  EXPECT_EQ(m.IndexAt("abc", 15), 2u);
  EXPECT_EQ(m.IndexAt("abc", 500), 3u);
  EXPECT_EQ(m.IndexAt("abc", -5), 0u);
  EXPECT_EQ(m.Width("a\tb"), 90);  // the tab runs to the stop at 80
}

}  // namespace
}  // namespace qvp::ui
