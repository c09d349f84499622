// The "Edit" control: messages from code, layout and scrolling.
//
// A change a user makes (typing, cutting, pasting, undoing) sends EN_UPDATE
// then EN_CHANGE. So do EM_REPLACESEL and WM_SETTEXT, as on Windows, with one
// exception Windows documents: WM_SETTEXT to a multi-line control sends no
// EN_CHANGE. EM_SETSEL, EM_LIMITTEXT and the other settings send nothing.
#include "ui/controls/edit.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "ui/controls/control_classes.h"
#include "ui/controls/control_common.h"

namespace qvp::ui {
namespace {

WindowSlot<EditState>& States() { return SlotOf<EditState>(); }

constexpr size_t kSingleLineMaximum = 0x7FFFFFFE;
constexpr size_t kMultiLineMaximum = 0xFFFFFFFF;

bool Multi(const EditState& s) { return s.buf.multiline(); }

std::string Converted(DWORD style, std::string_view text) {
  std::string out(text);
  if (style & (ES_UPPERCASE | ES_LOWERCASE)) {
    for (char& c : out) {
      char one[2] = {c, 0};
      (style & ES_UPPERCASE) ? CharUpperA(one) : CharLowerA(one);
      c = one[0];
    }
  }
  return out;
}

void DefaultFormat(HWND hwnd, EditState& s) {
  if (s.format_set) return;
  RECT r = ClientRectOf(hwnd);
  r.left += s.left_margin;
  r.right = std::max(r.left, r.right - s.right_margin);
  if (!Multi(s)) {
    // A single line sits at the top, one line high.
    r.bottom = std::max(r.top, std::min(r.bottom, r.top + LineHeight(s)));
  }
  s.format = r;
}

LRESULT GetSel(const EditState& s, WPARAM wp, LPARAM lp) {
  const size_t lo = s.buf.sel_min(), hi = s.buf.sel_max();
  if (auto* p = reinterpret_cast<DWORD*>(wp)) *p = static_cast<DWORD>(lo);
  if (auto* p = reinterpret_cast<DWORD*>(lp)) *p = static_cast<DWORD>(hi);
  if (lo > 0xFFFF || hi > 0xFFFF) return -1;
  return MAKELRESULT(lo, hi);
}

void SetSel(HWND hwnd, EditState& s, WPARAM wp, LPARAM lp) {
  const auto start = static_cast<int>(static_cast<DWORD>(wp));
  const auto end = static_cast<int>(static_cast<DWORD>(lp));
  const size_t n = s.buf.size();
  if (start == -1) {
    s.buf.Select(s.buf.caret(), s.buf.caret());  // deselects
  } else {
    s.buf.Select(start < 0 ? n : static_cast<size_t>(start), end < 0 ? n : static_cast<size_t>(end));
  }
  InvalidateRect(hwnd, nullptr, FALSE);
}

LRESULT GetLine(const EditState& s, WPARAM line, LPARAM lp) {
  auto* buf = reinterpret_cast<char*>(lp);
  if (!buf) return 0;
  WORD room = 0;
  std::memcpy(&room, buf, sizeof(room));
  size_t index = Multi(s) ? static_cast<size_t>(line) : 0;
  if (index >= s.lines.size()) return 0;
  const EditLine& l = s.lines[index];
  size_t n = std::min<size_t>(l.length, room);
  // The copy carries no terminator.
  std::memcpy(buf, s.buf.text().data() + l.start, n);
  return static_cast<LRESULT>(n);
}

LRESULT LineIndex(const EditState& s, WPARAM wp) {
  const auto line = static_cast<int>(static_cast<DWORD>(wp));
  size_t index = line < 0 ? LineOfPos(s, s.buf.caret()) : static_cast<size_t>(line);
  if (index >= s.lines.size()) return -1;
  return static_cast<LRESULT>(s.lines[index].start);
}

LRESULT LineLength(const EditState& s, WPARAM wp) {
  const auto pos = static_cast<int>(static_cast<DWORD>(wp));
  if (pos < 0) {
    // The unselected characters on the lines the selection touches.
    const EditLine& first = s.lines[LineOfPos(s, s.buf.sel_min())];
    const EditLine& last = s.lines[LineOfPos(s, s.buf.sel_max())];
    return static_cast<LRESULT>((s.buf.sel_min() - first.start) + (last.start + last.length - s.buf.sel_max()));
  }
  if (static_cast<size_t>(pos) > s.buf.size()) return 0;
  return static_cast<LRESULT>(s.lines[LineOfPos(s, static_cast<size_t>(pos))].length);
}

LRESULT LineFromChar(const EditState& s, WPARAM wp) {
  const auto pos = static_cast<int>(static_cast<DWORD>(wp));
  size_t p = pos < 0 ? s.buf.sel_min() : std::min(static_cast<size_t>(pos), s.buf.size());
  return static_cast<LRESULT>(LineOfPos(s, p));
}

LRESULT SetLimit(EditState& s, WPARAM wp) {
  size_t limit = static_cast<DWORD>(wp);
  if (limit == 0) limit = Multi(s) ? kMultiLineMaximum : kSingleLineMaximum;
  s.buf.set_limit(limit);
  return 0;
}

LRESULT SetPasswordChar(HWND hwnd, EditState& s, WPARAM wp) {
  if (Multi(s)) return 0;
  s.password = static_cast<char>(wp);
  SetStyleBits(hwnd, ES_PASSWORD, s.password ? ES_PASSWORD : 0);
  Relayout(hwnd, s);
  InvalidateRect(hwnd, nullptr, TRUE);
  return 0;
}

LRESULT Scroll(HWND hwnd, EditState& s, WPARAM code) {
  if (!Multi(s)) return FALSE;
  const int before = s.first_line;
  const int page = std::max(1, VisibleLines(s));
  const int last = std::max(0, static_cast<int>(s.lines.size()) - page);
  switch (LOWORD(code)) {
    case SB_LINEUP: s.first_line -= 1; break;
    case SB_LINEDOWN: s.first_line += 1; break;
    case SB_PAGEUP: s.first_line -= page; break;
    case SB_PAGEDOWN: s.first_line += page; break;
    case SB_TOP: s.first_line = 0; break;
    case SB_BOTTOM: s.first_line = last; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: s.first_line = static_cast<SHORT>(HIWORD(code)); break;
    default: return FALSE;
  }
  s.first_line = std::clamp(s.first_line, 0, last);
  if (s.first_line != before) {
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateScrollBars(hwnd, s);
  }
  return MAKELRESULT(static_cast<WORD>(s.first_line - before), TRUE);
}

// A user's click on the horizontal bar: a character's width for a line, the width for a page.
void ScrollAcross(HWND hwnd, EditState& s, WPARAM code) {
  const int step = std::max(1, s.metrics.ave_width);
  const int page = std::max(step, static_cast<int>(s.format.right - s.format.left));
  switch (LOWORD(code)) {
    case SB_LINELEFT: s.x_offset -= step; break;
    case SB_LINERIGHT: s.x_offset += step; break;
    case SB_PAGELEFT: s.x_offset -= page; break;
    case SB_PAGERIGHT: s.x_offset += page; break;
    case SB_LEFT: s.x_offset = 0; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: s.x_offset = static_cast<SHORT>(HIWORD(code)); break;
    default: return;
  }
  s.x_offset = std::max(0, s.x_offset);
  InvalidateRect(hwnd, nullptr, TRUE);
  UpdateScrollBars(hwnd, s);
}

void SetFormat(HWND hwnd, EditState& s, const RECT* r) {
  if (!Multi(s)) return;
  if (r) {
    s.format = *r;
    s.format_set = true;
  } else {
    s.format_set = false;
  }
  Relayout(hwnd, s);
  InvalidateRect(hwnd, nullptr, TRUE);
}

LRESULT DialogCode(HWND hwnd, const EditState& s, LPARAM lp) {
  LRESULT code = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
  auto* m = reinterpret_cast<const MSG*>(lp);
  // While a combo box's list is open, Return and Escape close the list, not the dialog.
  if (s.combo && m && m->message == WM_KEYDOWN && (m->wParam == VK_RETURN || m->wParam == VK_ESCAPE) &&
      SendMessageA(s.combo, CB_GETDROPPEDSTATE, 0, 0))
    code |= DLGC_WANTMESSAGE;
  if (Multi(s) && (StyleOf(hwnd) & ES_WANTRETURN)) {
    // Return goes into the text; Tab and Escape still work the dialog.
    if (!(m && m->message == WM_KEYDOWN && (m->wParam == VK_TAB || m->wParam == VK_ESCAPE))) code |= DLGC_WANTALLKEYS;
  }
  return code;
}

LRESULT SetText(HWND hwnd, EditState& s, LPCSTR text) {
  s.buf.Assign(Converted(StyleOf(hwnd), text ? text : ""));
  s.first_line = 0;
  s.x_offset = 0;
  Relayout(hwnd, s);
  if (Multi(s)) {
    // Windows documents that a multi-line control does not tell this change.
    InvalidateRect(hwnd, nullptr, TRUE);
  } else {
    Changed(hwnd, s);
  }
  return TRUE;
}

void OnCreate(HWND hwnd, EditState& s, const CREATESTRUCTA* cs) {
  const DWORD style = StyleOf(hwnd);
  s.vscroll = Multi(s) && (style & WS_VSCROLL);
  s.hscroll = (style & WS_HSCROLL) != 0;
  if ((style & ES_PASSWORD) && !Multi(s)) s.password = '*';
  if (Multi(s) && (style & ES_PASSWORD)) SetStyleBits(hwnd, ES_PASSWORD, 0);
  s.metrics = MetricsOfFont(nullptr);
  LPCSTR name = cs ? cs->lpszName : nullptr;
  // An integer name (a resource id) is not text.
  if (name && reinterpret_cast<ULONG_PTR>(name) > 0xFFFF) s.buf.Assign(Converted(style, name));
  Relayout(hwnd, s);
}

}  // namespace

std::shared_ptr<EditState> EditStateOf(HWND hwnd) { return States().Get(hwnd); }

void AttachEditToCombo(HWND edit, HWND combo) {
  if (auto s = States().Get(edit)) s->combo = combo;
}

TextMeasure MeasureOf(const EditState& s) {
  // Tab stops are set in dialog units: every 32 until EM_SETTABSTOPS says otherwise.
  const int every = s.tab_stops.size() == 1 ? s.tab_stops[0] : 32;
  TextMeasure m = s.metrics.Measure(std::max(1, DialogUnitsToPixels(s.font, every)));
  if (s.tab_stops.size() > 1)
    for (int stop : s.tab_stops) m.tab_stops.push_back(DialogUnitsToPixels(s.font, stop));
  return m;
}

std::string Shown(HWND hwnd, const EditState& s, std::string_view text) {
  if (!Multi(s) && s.password && (StyleOf(hwnd) & ES_PASSWORD)) return std::string(text.size(), s.password);
  return std::string(text);
}

int LineHeight(const EditState& s) { return std::max(1, s.metrics.height); }

int VisibleLines(const EditState& s) {
  return std::max(1, static_cast<int>((s.format.bottom - s.format.top) / LineHeight(s)));
}

size_t LineOfPos(const EditState& s, size_t pos) { return LineOfChar(s.lines, pos); }

void Relayout(HWND hwnd, EditState& s) {
  DefaultFormat(hwnd, s);
  const DWORD style = StyleOf(hwnd);
  const bool wrap = Multi(s) && !(style & ES_AUTOHSCROLL) && !s.hscroll;
  std::string shown = Shown(hwnd, s, s.buf.text());
  s.lines = LayoutLines(shown, wrap ? s.format.right - s.format.left : 0, MeasureOf(s));
  const int last = std::max(0, static_cast<int>(s.lines.size()) - 1);
  s.first_line = std::clamp(s.first_line, 0, last);
  UpdateScrollBars(hwnd, s);
}

void UpdateScrollBars(HWND hwnd, const EditState& s) {
  // The bars stay, disabled while there is nothing to scroll.
  if (s.vscroll) {
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0,
                  std::max(0, static_cast<int>(s.lines.size()) - 1), static_cast<UINT>(VisibleLines(s)),
                  s.first_line, 0};
    SetScrollInfo(hwnd, SB_VERT, &si, TRUE);
  }
  if (s.hscroll) {
    int widest = 0;
    const TextMeasure m = MeasureOf(s);
    for (const EditLine& l : s.lines)
      widest = std::max(widest, m.Width(std::string_view(s.buf.text()).substr(l.start, l.length)));
    SCROLLINFO si{sizeof(si), SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL, 0, std::max(0, widest - 1),
                  static_cast<UINT>(std::max(0, static_cast<int>(s.format.right - s.format.left))), s.x_offset, 0};
    SetScrollInfo(hwnd, SB_HORZ, &si, TRUE);
  }
}

POINT PosToPoint(HWND hwnd, const EditState& s, size_t pos) {
  const size_t li = LineOfPos(s, pos);
  const EditLine& l = s.lines[li];
  std::string shown = Shown(hwnd, s, std::string_view(s.buf.text()).substr(l.start, l.length));
  int x = MeasureOf(s).XOf(shown, pos - l.start);
  const DWORD align = StyleOf(hwnd) & (ES_CENTER | ES_RIGHT);
  const int width = s.format.right - s.format.left;
  int line_width = MeasureOf(s).Width(shown);
  if (align == ES_RIGHT) x += std::max(0, width - line_width);
  if (align == ES_CENTER) x += std::max(0, width - line_width) / 2;
  const int row = static_cast<int>(li) - (Multi(s) ? s.first_line : 0);
  return POINT{s.format.left + x - s.x_offset, s.format.top + row * LineHeight(s)};
}

size_t PointToPos(HWND hwnd, const EditState& s, POINT p) {
  int row = Multi(s) ? (p.y - s.format.top) / LineHeight(s) + s.first_line : 0;
  if (p.y < s.format.top && Multi(s)) row = s.first_line - 1;
  row = std::clamp(row, 0, static_cast<int>(s.lines.size()) - 1);
  const EditLine& l = s.lines[static_cast<size_t>(row)];
  std::string shown = Shown(hwnd, s, std::string_view(s.buf.text()).substr(l.start, l.length));
  POINT origin = PosToPoint(hwnd, s, l.start);
  return l.start + MeasureOf(s).IndexAt(shown, p.x - origin.x);
}

void ScrollToCaret(HWND hwnd, EditState& s) {
  const int before_line = s.first_line, before_x = s.x_offset;
  if (Multi(s)) {
    const int line = static_cast<int>(LineOfPos(s, s.buf.caret()));
    const int page = VisibleLines(s);
    if (line < s.first_line) s.first_line = line;
    if (line >= s.first_line + page) s.first_line = line - page + 1;
  }
  const int width = std::max(1, static_cast<int>(s.format.right - s.format.left));
  POINT p = PosToPoint(hwnd, s, s.buf.caret());
  const int x = p.x - s.format.left + s.x_offset;  // from the line's start
  if (x - s.x_offset > width) s.x_offset = x - width + width / 3;
  if (x < s.x_offset) s.x_offset = std::max(0, x - width / 3);
  // Scrolling to follow the caret tells nobody: EN_HSCROLL and EN_VSCROLL are
  // for a user's clicks on the scroll bars.
  if (s.first_line != before_line || s.x_offset != before_x) {
    InvalidateRect(hwnd, nullptr, TRUE);
    UpdateScrollBars(hwnd, s);
  }
}

void Notify(HWND hwnd, const EditState&, int code) { NotifyParent(hwnd, code); }

void Changed(HWND hwnd, EditState& s) {
  Notify(hwnd, s, EN_UPDATE);
  InvalidateRect(hwnd, nullptr, TRUE);
  Notify(hwnd, s, EN_CHANGE);
}

void InsertText(HWND hwnd, EditState& s, std::string_view text, bool undoable, EditBuffer::Kind kind) {
  const DWORD style = StyleOf(hwnd);
  EditBuffer before = s.buf;
  const size_t lines_before = s.lines.size();
  const int width_before = MeasureOf(s).Width(Shown(hwnd, s, s.buf.text()));
  EditBuffer::Result r = s.buf.ReplaceSelection(Converted(style, text), undoable, kind);
  Relayout(hwnd, s);
  // A control that does not scroll refuses to grow past what it can show.
  bool too_big = false;
  if (r.changed && !Multi(s) && !(style & ES_AUTOHSCROLL)) {
    const int width = MeasureOf(s).Width(Shown(hwnd, s, s.buf.text()));
    too_big = width > width_before && width > s.format.right - s.format.left;
  }
  if (r.changed && Multi(s) && !(style & ES_AUTOVSCROLL))
    too_big = s.lines.size() > lines_before && static_cast<int>(s.lines.size()) > VisibleLines(s);
  if (too_big) {
    s.buf = std::move(before);
    Relayout(hwnd, s);
    Notify(hwnd, s, EN_MAXTEXT);
    return;
  }
  if (r.truncated) Notify(hwnd, s, EN_MAXTEXT);
  if (!r.changed) return;
  ScrollToCaret(hwnd, s);
  Changed(hwnd, s);
}

namespace {

// Creation, size, style, font and the dialog manager's questions.
std::optional<LRESULT> OnWindow(EditState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      OnCreate(hwnd, s, reinterpret_cast<const CREATESTRUCTA*>(lp));
      return 0;
    case WM_SIZE:
      Relayout(hwnd, s);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_STYLECHANGED:
      Relayout(hwnd, s);
      return 0;
    case WM_SETFONT:
      s.font = reinterpret_cast<HFONT>(wp);
      s.metrics = MetricsOfFont(s.font);
      Relayout(hwnd, s);
      if (LOWORD(lp)) InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s.font);
    case WM_ENABLE:
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case WM_GETDLGCODE:
      return DialogCode(hwnd, s, lp);
    default:
      return std::nullopt;
  }
}

// The text as a whole: reading, replacing, its limit and its modified flag.
std::optional<LRESULT> OnText(EditState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_SETTEXT:
      return SetText(hwnd, s, reinterpret_cast<LPCSTR>(lp));
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<char*>(lp);
      if (!buf || wp == 0) return 0;
      size_t n = std::min(s.buf.size(), static_cast<size_t>(wp) - 1);
      std::memcpy(buf, s.buf.text().data(), n);
      buf[n] = '\0';
      return static_cast<LRESULT>(n);
    }
    case WM_GETTEXTLENGTH:
      return static_cast<LRESULT>(s.buf.size());
    case EM_REPLACESEL:
      InsertText(hwnd, s, lp ? reinterpret_cast<LPCSTR>(lp) : "", wp != 0, EditBuffer::Kind::kOther);
      return 0;
    case EM_GETMODIFY:
      return s.buf.modified() ? TRUE : FALSE;
    case EM_SETMODIFY:
      s.buf.set_modified(wp != 0);
      return 0;
    case EM_LIMITTEXT:
      return SetLimit(s, wp);
    case EM_GETLIMITTEXT:
      return static_cast<LRESULT>(static_cast<DWORD>(s.buf.limit()));
    default:
      return std::nullopt;
  }
}

// Lines and positions: counting, indexing and mapping characters to points.
std::optional<LRESULT> OnLines(EditState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case EM_GETLINECOUNT:
      return Multi(s) ? static_cast<LRESULT>(s.lines.size()) : 1;
    case EM_LINEINDEX:
      return LineIndex(s, wp);
    case EM_LINELENGTH:
      return LineLength(s, wp);
    case EM_LINEFROMCHAR:
      return LineFromChar(s, wp);
    case EM_GETLINE:
      return GetLine(s, wp, lp);
    case EM_POSFROMCHAR: {
      if (wp >= s.buf.size()) return -1;
      POINT p = PosToPoint(hwnd, s, static_cast<size_t>(wp));
      return MAKELRESULT(static_cast<WORD>(p.x), static_cast<WORD>(p.y));
    }
    case EM_CHARFROMPOS: {
      size_t pos = PointToPos(hwnd, s, PointOf(lp));
      return MAKELRESULT(static_cast<WORD>(pos), static_cast<WORD>(LineOfPos(s, pos)));
    }
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> OnSelection(EditState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case EM_GETSEL:
      return GetSel(s, wp, lp);
    case EM_SETSEL:
      SetSel(hwnd, s, wp, lp);
      return 0;
    default:
      return std::nullopt;
  }
}

// The clipboard and undo.
std::optional<LRESULT> OnEditing(EditState& s, HWND hwnd, UINT msg, WPARAM, LPARAM) {
  switch (msg) {
    case WM_COPY:
      EditCopy(hwnd, s);
      return 0;
    case WM_CUT:
      EditCut(hwnd, s);
      return 0;
    case WM_PASTE:
      EditPaste(hwnd, s);
      return 0;
    case WM_CLEAR:
      EditClear(hwnd, s);
      return 0;
    case WM_UNDO:
    case EM_UNDO:
      // A single-line control answers TRUE whether or not there was anything to undo.
      if (!s.buf.Undo()) return Multi(s) ? FALSE : TRUE;
      Relayout(hwnd, s);
      ScrollToCaret(hwnd, s);
      Changed(hwnd, s);
      return TRUE;
    case EM_CANUNDO:
      return s.buf.CanUndo() ? TRUE : FALSE;
    case EM_EMPTYUNDOBUFFER:
      s.buf.EmptyUndo();
      return 0;
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> OnFocus(EditState& s, HWND hwnd, UINT msg, WPARAM, LPARAM) {
  switch (msg) {
    case WM_SETFOCUS:
      s.focused = true;
      InvalidateRect(hwnd, nullptr, FALSE);
      Notify(hwnd, s, EN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      s.focused = false;
      s.tracking = false;
      InvalidateRect(hwnd, nullptr, FALSE);
      Notify(hwnd, s, EN_KILLFOCUS);
      return 0;
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> OnKeyboard(EditState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CHAR:
      return EditChar(hwnd, s, wp);
    case WM_KEYDOWN:
      return EditKeyDown(hwnd, s, wp, lp);
    case WM_SYSKEYDOWN:
      // Alt+Down and Alt+Up open and close a combo box's list.
      if (s.combo && (wp == VK_DOWN || wp == VK_UP)) return SendMessageA(s.combo, msg, wp, lp);
      return DefWindowProcA(hwnd, msg, wp, lp);
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> OnMouse(EditState& s, HWND hwnd, UINT msg, WPARAM, LPARAM lp) {
  switch (msg) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_MOUSEMOVE:
    case WM_LBUTTONUP:
      EditMouse(hwnd, s, msg, lp);
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != hwnd) s.tracking = false;
      return 0;
    default:
      return std::nullopt;
  }
}

// The scroll bars, and scrolling asked for by code.
std::optional<LRESULT> OnScrolling(EditState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_VSCROLL:
      // A user's click on a scroll bar is told before the text moves.
      Notify(hwnd, s, EN_VSCROLL);
      Scroll(hwnd, s, wp);
      return 0;
    case WM_HSCROLL:
      Notify(hwnd, s, EN_HSCROLL);
      ScrollAcross(hwnd, s, wp);
      return 0;
    case EM_GETFIRSTVISIBLELINE:
      if (Multi(s)) return s.first_line;
      return static_cast<LRESULT>(PointToPos(hwnd, s, POINT{s.format.left, s.format.top}));
    case EM_SCROLLCARET:
      ScrollToCaret(hwnd, s);
      return TRUE;
    case EM_LINESCROLL: {
      if (!Multi(s)) return FALSE;
      const int last = std::max(0, static_cast<int>(s.lines.size()) - 1);
      s.first_line = std::clamp(s.first_line + static_cast<int>(lp), 0, last);
      s.x_offset = std::max(0, s.x_offset + static_cast<int>(wp) * std::max(1, s.metrics.ave_width));
      InvalidateRect(hwnd, nullptr, TRUE);
      UpdateScrollBars(hwnd, s);
      return TRUE;
    }
    case EM_SCROLL:
      return Scroll(hwnd, s, wp);
    default:
      return std::nullopt;
  }
}

// How the text is laid out and shown: the formatting rectangle, margins, tab
// stops, the password character and read-only.
std::optional<LRESULT> OnFormat(EditState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case EM_GETRECT:
      if (auto* r = reinterpret_cast<RECT*>(lp)) *r = s.format;
      return 0;
    case EM_SETRECT:
    case EM_SETRECTNP:
      SetFormat(hwnd, s, reinterpret_cast<const RECT*>(lp));
      return 0;
    case EM_SETMARGINS:
      if (wp & EC_LEFTMARGIN) s.left_margin = LOWORD(lp) == EC_USEFONTINFO ? 1 : LOWORD(lp);
      if (wp & EC_RIGHTMARGIN) s.right_margin = HIWORD(lp) == EC_USEFONTINFO ? 1 : HIWORD(lp);
      Relayout(hwnd, s);
      InvalidateRect(hwnd, nullptr, TRUE);
      return 0;
    case EM_GETMARGINS:
      return MAKELRESULT(s.left_margin, s.right_margin);
    case EM_SETTABSTOPS: {
      auto* stops = reinterpret_cast<const int*>(lp);
      s.tab_stops.clear();
      if (stops)
        for (WPARAM i = 0; i < wp; ++i) s.tab_stops.push_back(stops[i]);
      Relayout(hwnd, s);
      return Multi(s) ? TRUE : FALSE;
    }
    case EM_SETPASSWORDCHAR:
      return SetPasswordChar(hwnd, s, wp);
    case EM_GETPASSWORDCHAR:
      return (StyleOf(hwnd) & ES_PASSWORD) ? static_cast<unsigned char>(s.password) : 0;
    case EM_SETREADONLY:
      SetStyleBits(hwnd, ES_READONLY, wp ? ES_READONLY : 0);
      InvalidateRect(hwnd, nullptr, TRUE);
      return TRUE;
    default:
      return std::nullopt;
  }
}

std::optional<LRESULT> OnPainting(EditState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM) {
  switch (msg) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { PaintEdit(hwnd, s, hdc); });
    default:
      return std::nullopt;
  }
}

// Each group answers the messages it handles and passes on the rest.
LRESULT EditProc(EditState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  using Group = std::optional<LRESULT> (*)(EditState&, HWND, UINT, WPARAM, LPARAM);
  static constexpr Group kGroups[] = {OnWindow,   OnText,  OnLines,     OnSelection, OnEditing, OnFocus,
                                      OnKeyboard, OnMouse, OnScrolling, OnFormat,    OnPainting};
  for (Group group : kGroups)
    if (std::optional<LRESULT> answer = group(s, hwnd, msg, wp, lp)) return *answer;
  return DefWindowProcA(hwnd, msg, wp, lp);
}

}  // namespace

LRESULT CALLBACK EditWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto make = [](HWND, LPARAM c) { return std::make_shared<EditState>((CreateStyle(c) & ES_MULTILINE) != 0); };
  return RunControlProc(States(), hwnd, msg, wp, lp, make, EditProc);
}

}  // namespace qvp::ui
