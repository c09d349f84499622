// The state of an "Edit" control and the operations its procedure, its input
// handling and its painting share.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "qvplatform/ui.h"
#include "qvplatform/ui_controls.h"
#include "ui/controls/control_font.h"
#include "ui/controls/edit_buffer.h"
#include "ui/controls/edit_lines.h"

namespace qvp::ui {

struct EditState {
  explicit EditState(bool multiline) : buf(multiline) {}

  EditBuffer buf;
  HFONT font = nullptr;
  FontMetrics metrics;
  char password = 0;     // shown for every character while ES_PASSWORD is set
  RECT format{};         // the formatting rectangle, client coordinates
  bool format_set = false;  // given by EM_SETRECT rather than following the client area
  int left_margin = 1;
  int right_margin = 1;
  std::vector<int> tab_stops;  // EM_SETTABSTOPS, dialog units
  int first_line = 0;    // multi-line: the top visible line
  int x_offset = 0;      // pixels scrolled to the left
  bool focused = false;
  bool tracking = false;  // a mouse selection is in progress
  HWND combo = nullptr;   // the combo box this control is the edit part of
  bool vscroll = false;   // created with WS_VSCROLL / WS_HSCROLL: the bars follow the text
  bool hscroll = false;

  std::vector<EditLine> lines;  // of the current text, kept by Relayout
};

std::shared_ptr<EditState> EditStateOf(HWND hwnd);

// ---- Layout and scrolling ----
// Lays the text out again (after a change of text, font, size or style).
void Relayout(HWND hwnd, EditState& s);
TextMeasure MeasureOf(const EditState& s);
// The text as shown: one password character for each character while it applies.
std::string Shown(HWND hwnd, const EditState& s, std::string_view text);
int LineHeight(const EditState& s);
int VisibleLines(const EditState& s);
size_t LineOfPos(const EditState& s, size_t pos);
// Client coordinates of the character boundary at pos.
POINT PosToPoint(HWND hwnd, const EditState& s, size_t pos);
size_t PointToPos(HWND hwnd, const EditState& s, POINT p);
// Scrolls so that the caret shows.
void ScrollToCaret(HWND hwnd, EditState& s);
// Brings the scroll bars (of a control created with them) up to date.
void UpdateScrollBars(HWND hwnd, const EditState& s);

// ---- Changes ----
enum class Origin { kUser, kCode };
// Replaces the selection as typing, pasting or EM_REPLACESEL does: the limit
// holds, case conversion applies, a control that does not scroll refuses text
// that would not fit; EN_MAXTEXT for what is refused, EN_UPDATE and EN_CHANGE
// for a change.
void InsertText(HWND hwnd, EditState& s, std::string_view text, bool undoable, EditBuffer::Kind kind);
// EN_UPDATE, repaint, EN_CHANGE.
void Changed(HWND hwnd, EditState& s);
void Notify(HWND hwnd, const EditState& s, int code);

// ---- Input (edit_input.cpp) ----
LRESULT EditChar(HWND hwnd, EditState& s, WPARAM ch);
LRESULT EditKeyDown(HWND hwnd, EditState& s, WPARAM vk, LPARAM lp);
void EditMouse(HWND hwnd, EditState& s, UINT msg, LPARAM lp);
void EditCopy(HWND hwnd, const EditState& s);
void EditCut(HWND hwnd, EditState& s);
void EditPaste(HWND hwnd, EditState& s);
void EditClear(HWND hwnd, EditState& s);

// ---- Painting (edit_paint.cpp) ----
void PaintEdit(HWND hwnd, const EditState& s, HDC hdc);

// Makes an edit control the edit part of a combo box: it hands the combo box
// the keys that open, close and move through the list.
void AttachEditToCombo(HWND edit, HWND combo);

}  // namespace qvp::ui
