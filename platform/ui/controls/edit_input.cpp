// What a user does to an edit control: typing, editing keys, caret movement,
// mouse selection and the clipboard.
//
// Typing into a read-only control, or a character other than a digit into an
// ES_NUMBER control, is refused with a beep. Text pasted or set from code is
// not filtered for digits, as on Windows. A password control never gives its
// text to the clipboard.
#include <algorithm>
#include <cstring>

#include "qvplatform/kernel.h"
#include "ui/controls/control_common.h"
#include "ui/controls/edit.h"

namespace qvp::ui {
namespace {

using Kind = EditBuffer::Kind;

bool Multi(const EditState& s) { return s.buf.multiline(); }
bool ReadOnly(HWND hwnd) { return (StyleOf(hwnd) & ES_READONLY) != 0; }
bool Password(HWND hwnd, const EditState& s) { return !Multi(s) && (StyleOf(hwnd) & ES_PASSWORD); }

void Refuse() { MessageBeep(MB_OK); }

// Moves the caret; with `extend` the anchor stays and the selection grows or shrinks.
void MoveCaret(HWND hwnd, EditState& s, size_t pos, bool extend) {
  s.buf.Select(extend ? s.buf.anchor() : pos, pos);
  ScrollToCaret(hwnd, s);
  InvalidateRect(hwnd, nullptr, FALSE);
}

size_t LineStart(const EditState& s, size_t line) { return s.lines[line].start; }
size_t LineEnd(const EditState& s, size_t line) { return s.lines[line].start + s.lines[line].length; }

// The position on another line at the caret's horizontal position.
size_t Vertical(HWND hwnd, const EditState& s, int delta) {
  const size_t line = LineOfPos(s, s.buf.caret());
  const int target = std::clamp(static_cast<int>(line) + delta, 0, static_cast<int>(s.lines.size()) - 1);
  POINT now = PosToPoint(hwnd, s, s.buf.caret());
  POINT there = PosToPoint(hwnd, s, LineStart(s, static_cast<size_t>(target)));
  return PointToPos(hwnd, s, POINT{now.x, there.y});
}

void Erase(HWND hwnd, EditState& s, bool forward) {
  if (ReadOnly(hwnd)) {
    Refuse();
    return;
  }
  EditBuffer::Result r = forward ? s.buf.EraseForward() : s.buf.EraseBack();
  if (!r.changed) return;
  Relayout(hwnd, s);
  ScrollToCaret(hwnd, s);
  Changed(hwnd, s);
}

void Type(HWND hwnd, EditState& s, std::string_view text) {
  if (ReadOnly(hwnd)) {
    Refuse();
    return;
  }
  InsertText(hwnd, s, text, true, Kind::kTyping);
}

// Keys the edit part of a combo box leaves to the combo box.
bool ForCombo(WPARAM vk) {
  return vk == VK_F4 || vk == VK_UP || vk == VK_DOWN || vk == VK_PRIOR || vk == VK_NEXT || vk == VK_RETURN ||
         vk == VK_ESCAPE;
}

}  // namespace

LRESULT EditChar(HWND hwnd, EditState& s, WPARAM wp) {
  const auto ch = static_cast<unsigned char>(wp);
  switch (ch) {
    case 0x08:  // backspace
      Erase(hwnd, s, false);
      return 0;
    case 0x03:  // Ctrl+C
      SendMessageA(hwnd, WM_COPY, 0, 0);
      return 0;
    case 0x16:  // Ctrl+V
      SendMessageA(hwnd, WM_PASTE, 0, 0);
      return 0;
    case 0x18:  // Ctrl+X
      SendMessageA(hwnd, WM_CUT, 0, 0);
      return 0;
    case 0x1A:  // Ctrl+Z
      SendMessageA(hwnd, WM_UNDO, 0, 0);
      return 0;
    case '\r':
    case '\n':
      if (Multi(s)) Type(hwnd, s, "\r\n");
      return 0;
    case '\t':
      if (Multi(s)) Type(hwnd, s, "\t");
      return 0;
    default:
      break;
  }
  if (ch < 0x20) return 0;
  if ((StyleOf(hwnd) & ES_NUMBER) && !(ch >= '0' && ch <= '9')) {
    Refuse();
    return 0;
  }
  const char c = static_cast<char>(ch);
  Type(hwnd, s, std::string_view(&c, 1));
  return 0;
}

LRESULT EditKeyDown(HWND hwnd, EditState& s, WPARAM vk, LPARAM lp) {
  if (s.combo && ForCombo(vk)) {
    // Up and Down stay in a multi-line edit; a combo box's edit is never multi-line.
    SendMessageA(s.combo, WM_KEYDOWN, vk, lp);
    return 0;
  }
  const bool shift = ShiftDown();
  const bool ctrl = CtrlDown();
  const size_t caret = s.buf.caret();
  const size_t line = LineOfPos(s, caret);
  switch (vk) {
    case VK_LEFT:
      MoveCaret(hwnd, s, ctrl ? s.buf.WordLeft(caret) : s.buf.PrevPos(caret), shift);
      break;
    case VK_RIGHT:
      MoveCaret(hwnd, s, ctrl ? s.buf.WordRight(caret) : s.buf.NextPos(caret), shift);
      break;
    case VK_UP:
      MoveCaret(hwnd, s, Multi(s) ? Vertical(hwnd, s, -1) : s.buf.PrevPos(caret), shift);
      break;
    case VK_DOWN:
      MoveCaret(hwnd, s, Multi(s) ? Vertical(hwnd, s, 1) : s.buf.NextPos(caret), shift);
      break;
    case VK_PRIOR:
      if (Multi(s)) MoveCaret(hwnd, s, Vertical(hwnd, s, -VisibleLines(s)), shift);
      break;
    case VK_NEXT:
      if (Multi(s)) MoveCaret(hwnd, s, Vertical(hwnd, s, VisibleLines(s)), shift);
      break;
    case VK_HOME:
      MoveCaret(hwnd, s, (ctrl || !Multi(s)) ? 0 : LineStart(s, line), shift);
      break;
    case VK_END:
      MoveCaret(hwnd, s, (ctrl || !Multi(s)) ? s.buf.size() : LineEnd(s, line), shift);
      break;
    case VK_DELETE:
      if (shift)
        SendMessageA(hwnd, WM_CUT, 0, 0);
      else
        Erase(hwnd, s, true);
      break;
    case VK_INSERT:
      if (shift) SendMessageA(hwnd, WM_PASTE, 0, 0);
      if (ctrl) SendMessageA(hwnd, WM_COPY, 0, 0);
      break;
    default:
      break;
  }
  return 0;
}

void EditMouse(HWND hwnd, EditState& s, UINT msg, LPARAM lp) {
  const size_t pos = PointToPos(hwnd, s, PointOf(lp));
  switch (msg) {
    case WM_LBUTTONDOWN:
      if (!HasFocus(hwnd)) SetFocus(hwnd);
      s.tracking = true;
      SetCapture(hwnd);
      MoveCaret(hwnd, s, pos, ShiftDown());
      break;
    case WM_LBUTTONDBLCLK: {
      size_t begin = 0, end = 0;
      s.buf.WordAt(pos, &begin, &end);
      s.buf.Select(begin, end);
      ScrollToCaret(hwnd, s);
      InvalidateRect(hwnd, nullptr, FALSE);
      break;
    }
    case WM_MOUSEMOVE:
      if (s.tracking) MoveCaret(hwnd, s, pos, true);
      break;
    case WM_LBUTTONUP:
      if (s.tracking) {
        s.tracking = false;
        if (GetCapture() == hwnd) ReleaseCapture();
      }
      break;
    default:
      break;
  }
}

void EditCopy(HWND hwnd, const EditState& s) {
  if (Password(hwnd, s) || !s.buf.has_selection()) return;
  std::string_view text = s.buf.selected_text();
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, text.size() + 1);
  if (!h) return;
  auto* p = static_cast<char*>(GlobalLock(h));
  std::memcpy(p, text.data(), text.size());
  p[text.size()] = '\0';
  GlobalUnlock(h);
  if (!OpenClipboard(hwnd)) {
    GlobalFree(h);
    return;
  }
  EmptyClipboard();
  if (!SetClipboardData(CF_TEXT, h)) GlobalFree(h);
  CloseClipboard();
}

void EditCut(HWND hwnd, EditState& s) {
  if (Password(hwnd, s) || ReadOnly(hwnd) || !s.buf.has_selection()) return;
  EditCopy(hwnd, s);
  EditClear(hwnd, s);
}

void EditPaste(HWND hwnd, EditState& s) {
  if (ReadOnly(hwnd)) return;
  std::string text;
  if (!OpenClipboard(hwnd)) return;
  if (HANDLE h = GetClipboardData(CF_TEXT)) {
    const SIZE_T size = GlobalSize(h);
    if (auto* p = static_cast<const char*>(GlobalLock(h))) {
      text.assign(p, strnlen(p, size));
      GlobalUnlock(h);
    }
  }
  CloseClipboard();
  if (!text.empty()) InsertText(hwnd, s, text, true, Kind::kOther);
}

void EditClear(HWND hwnd, EditState& s) {
  if (ReadOnly(hwnd) || !s.buf.has_selection()) return;
  InsertText(hwnd, s, {}, true, Kind::kOther);
}

}  // namespace qvp::ui
