// The report viewer's text control: shows the lines of a ViewerLines with the
// owner's sixteen font entries and tab stops, scrolls, finds and highlights,
// and hands lines out to its owner for saving and printing.
#include "viewer_text.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <string>

#include "ctlpack4.h"
#include "viewer_lines.h"

namespace {

constexpr int kMaxTabs = 16;
constexpr int kEntries = 16;
constexpr int kWheelLines = 3;

struct ViewerState {
  ViewerLines lines;
  HFONT baseFont = nullptr;  // the owner's; not ours to delete
  std::array<ViewerFontRecord, kEntries> entries{};
  std::array<HFONT, kEntries> entryFonts{};  // made on first use, ours
  std::array<INT, kMaxTabs> tabs{};
  int tabCount = 0;
  size_t current = 0;
  size_t top = 0;
  int xOffset = 0;
  int lineHeight = 16;
  int charWidth = 8;
  size_t pageLines = 60;
  int64_t foundLine = -1;   // highlighted line
  size_t findFrom = 0;      // offset where the next find goes on
  bool complete = true;
};

ViewerState* StateOf(HWND window) { return reinterpret_cast<ViewerState*>(GetWindowLongPtrA(window, GWLP_USERDATA)); }

void DropEntryFonts(ViewerState& s) {
  for (HFONT& f : s.entryFonts) {
    if (f != nullptr) DeleteObject(f);
    f = nullptr;
  }
}

void Measure(HWND window, ViewerState& s) {
  HDC dc = GetDC(window);
  if (dc == nullptr) return;
  HGDIOBJ old = s.baseFont != nullptr ? SelectObject(dc, s.baseFont) : nullptr;
  TEXTMETRICA tm{};
  if (GetTextMetricsA(dc, &tm)) {
    s.lineHeight = std::max<int>(1, tm.tmHeight + tm.tmExternalLeading);
    s.charWidth = std::max<int>(1, tm.tmAveCharWidth);
  }
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(window, dc);
}

size_t VisibleLines(HWND window, const ViewerState& s) {
  RECT r;
  GetClientRect(window, &r);
  return static_cast<size_t>(std::max<LONG>(1, (r.bottom - r.top) / s.lineHeight));
}

size_t MaxTop(HWND window, const ViewerState& s) {
  const size_t visible = VisibleLines(window, s);
  const size_t count = s.lines.Count();
  return count > visible ? count - visible : 0;
}

void UpdateScrollBars(HWND window, const ViewerState& s) {
  RECT r;
  GetClientRect(window, &r);
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  const size_t count = s.lines.Count();
  si.nMin = 0;
  si.nMax = static_cast<int>(std::min<size_t>(count == 0 ? 0 : count - 1, 0x7FFFFFFF));
  si.nPage = static_cast<UINT>(VisibleLines(window, s));
  si.nPos = static_cast<int>(std::min<size_t>(s.top, 0x7FFFFFFF));
  SetScrollInfo(window, SB_VERT, &si, TRUE);
  const size_t width = std::min<size_t>(s.lines.LongestLine(), 1u << 20) * static_cast<size_t>(s.charWidth);
  si.nMax = static_cast<int>(std::min<size_t>(width + static_cast<size_t>(s.charWidth), 0x7FFFFFFF));
  si.nPage = static_cast<UINT>(std::max<LONG>(1, r.right - r.left));
  si.nPos = s.xOffset;
  SetScrollInfo(window, SB_HORZ, &si, TRUE);
}

void ScrollTo(HWND window, ViewerState& s, int64_t top) {
  const size_t limit = MaxTop(window, s);
  const size_t wanted = top < 0 ? 0 : std::min(static_cast<size_t>(top), limit);
  if (wanted == s.top) return;
  s.top = wanted;
  UpdateScrollBars(window, s);
  InvalidateRect(window, nullptr, FALSE);
  HWND owner = GetParent(window);
  if (owner != nullptr) SendMessageA(owner, kViewerPageChanged, 0, reinterpret_cast<LPARAM>(window));
}

void ScrollXTo(HWND window, ViewerState& s, int x) {
  const int limit = static_cast<int>(std::min<size_t>(s.lines.LongestLine(), 1u << 20)) * s.charWidth;
  x = std::clamp(x, 0, std::max(0, limit));
  if (x == s.xOffset) return;
  s.xOffset = x;
  UpdateScrollBars(window, s);
  InvalidateRect(window, nullptr, FALSE);
}

HFONT EntryFont(HWND window, ViewerState& s, int n) {
  if (n < 1 || n > kEntries) return nullptr;
  HFONT& f = s.entryFonts[static_cast<size_t>(n - 1)];
  const ViewerFontRecord& r = s.entries[static_cast<size_t>(n - 1)];
  if (f == nullptr && r.face[0] != '\0') {
    HDC dc = GetDC(window);
    const int dpi = dc != nullptr ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc != nullptr) ReleaseDC(window, dc);
    char face[33] = {};
    std::memcpy(face, r.face, 32);
    f = CreateFontA(-MulDiv(r.size, dpi, 72), 0, 0, 0, (r.style & 2) ? FW_BOLD : FW_NORMAL, (r.style & 1) ? TRUE : FALSE,
                    (r.style & 4) ? TRUE : FALSE, (r.style & 8) ? TRUE : FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                    CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, r.pitchAndFamily, face);
  }
  return f;
}

// Writes one segment at x and moves x past it.
void DrawSegment(HDC dc, ViewerState& s, int& x, int y, const std::string& segment, int origin) {
  if (segment.empty()) return;
  const int count = static_cast<int>(std::min<size_t>(segment.size(), 0x7FFFFFFF));
  if (s.tabCount > 0) {
    const LONG size = TabbedTextOutA(dc, x, y, segment.data(), count, s.tabCount, s.tabs.data(), origin);
    x += LOWORD(static_cast<DWORD>(size));
  } else {
    SIZE extent{};
    TextOutA(dc, x, y, segment.data(), count);
    GetTextExtentPoint32A(dc, segment.data(), count, &extent);
    x += extent.cx;
  }
}

void PaintLine(HWND window, HDC dc, ViewerState& s, std::string_view line, int y, bool found) {
  const int origin = -s.xOffset;
  int x = origin;
  SelectObject(dc, s.baseFont != nullptr ? s.baseFont : GetStockObject(SYSTEM_FONT));
  const COLORREF normal = found ? GetSysColor(COLOR_HIGHLIGHTTEXT) : GetSysColor(COLOR_WINDOWTEXT);
  SetTextColor(dc, normal);
  std::string segment;
  for (size_t i = 0; i < line.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (c == kViewerFontCode || c == kViewerTabCode) {
      if (i + 1 >= line.size()) break;
      const int n = static_cast<unsigned char>(line[++i]);
      if (c == kViewerTabCode || n < 1 || n > kEntries) continue;
      DrawSegment(dc, s, x, y, segment, origin);
      segment.clear();
      HFONT f = EntryFont(window, s, n);
      if (f != nullptr) SelectObject(dc, f);
      if (!found) SetTextColor(dc, s.entries[static_cast<size_t>(n - 1)].color);
      continue;
    }
    segment.push_back(static_cast<char>(c));
  }
  DrawSegment(dc, s, x, y, segment, origin);
}

void Paint(HWND window, ViewerState& s) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (dc == nullptr) return;
  RECT client;
  GetClientRect(window, &client);
  FillRect(dc, &client, GetSysColorBrush(COLOR_WINDOW));
  SetBkMode(dc, TRANSPARENT);
  HGDIOBJ oldFont = SelectObject(dc, s.baseFont != nullptr ? s.baseFont : GetStockObject(SYSTEM_FONT));
  const size_t visible = VisibleLines(window, s) + 1;
  for (size_t k = 0; k < visible && s.top + k < s.lines.Count(); ++k) {
    const size_t index = s.top + k;
    const int y = static_cast<int>(k) * s.lineHeight;
    const bool found = static_cast<int64_t>(index) == s.foundLine;
    if (found) {
      RECT band{client.left, y, client.right, y + s.lineHeight};
      FillRect(dc, &band, GetSysColorBrush(COLOR_HIGHLIGHT));
    }
    PaintLine(window, dc, s, s.lines.Line(index), y, found);
  }
  SelectObject(dc, oldFont);
  EndPaint(window, &paint);
}

LRESULT CopyLine(const ViewerState& s, WPARAM size, LPARAM buffer, bool plain) {
  char* out = reinterpret_cast<char*>(buffer);
  if (out == nullptr || size == 0) return 0;
  const std::string_view marked = s.lines.Line(s.current);
  std::string text;
  std::string_view line = marked;
  if (plain) {
    text = ViewerLines::Plain(marked);
    line = text;
  }
  const size_t n = std::min<size_t>(line.size(), static_cast<size_t>(size) - 1);
  if (n > 0) std::memcpy(out, line.data(), n);
  out[n] = '\0';
  return static_cast<LRESULT>(n);
}

LRESULT Find(HWND window, ViewerState& s, WPARAM goOn, LPARAM textParam) {
  const char* text = reinterpret_cast<const char*>(textParam);
  if (text == nullptr || *text == '\0') return kViewerNotFound;
  const size_t from = goOn ? s.findFrom : 0;
  size_t end = 0;
  const int64_t line = s.lines.Find(text, from, &end);
  if (line < 0) {
    s.findFrom = 0;
    if (s.foundLine >= 0) {
      s.foundLine = -1;
      InvalidateRect(window, nullptr, FALSE);
    }
    return from > 0 ? kViewerEndReached : kViewerNotFound;
  }
  s.foundLine = line;
  s.findFrom = end;
  s.current = static_cast<size_t>(line);
  const size_t visible = VisibleLines(window, s);
  const size_t l = static_cast<size_t>(line);
  if (l < s.top || l >= s.top + visible) ScrollTo(window, s, static_cast<int64_t>(l) - static_cast<int64_t>(visible / 3));
  InvalidateRect(window, nullptr, FALSE);
  return kViewerFound;
}

void OnScroll(HWND window, ViewerState& s, int bar, WORD code) {
  SCROLLINFO si{};
  si.cbSize = sizeof si;
  si.fMask = SIF_ALL;
  GetScrollInfo(window, bar, &si);
  if (bar == SB_VERT) {
    const int64_t page = static_cast<int64_t>(VisibleLines(window, s));
    int64_t top = static_cast<int64_t>(s.top);
    switch (code) {
      case SB_LINEUP: --top; break;
      case SB_LINEDOWN: ++top; break;
      case SB_PAGEUP: top -= page; break;
      case SB_PAGEDOWN: top += page; break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: top = si.nTrackPos; break;
      case SB_TOP: top = 0; break;
      case SB_BOTTOM: top = static_cast<int64_t>(s.lines.Count()); break;
      default: return;
    }
    ScrollTo(window, s, top);
  } else {
    int x = s.xOffset;
    switch (code) {
      case SB_LINELEFT: x -= s.charWidth; break;
      case SB_LINERIGHT: x += s.charWidth; break;
      case SB_PAGELEFT: x -= static_cast<int>(si.nPage); break;
      case SB_PAGERIGHT: x += static_cast<int>(si.nPage); break;
      case SB_THUMBTRACK:
      case SB_THUMBPOSITION: x = si.nTrackPos; break;
      default: return;
    }
    ScrollXTo(window, s, x);
  }
}

bool OnKey(HWND window, ViewerState& s, WPARAM key) {
  const int64_t page = static_cast<int64_t>(VisibleLines(window, s));
  const int64_t top = static_cast<int64_t>(s.top);
  switch (key) {
    case VK_UP: ScrollTo(window, s, top - 1); return true;
    case VK_DOWN: ScrollTo(window, s, top + 1); return true;
    case VK_PRIOR: ScrollTo(window, s, top - page); return true;
    case VK_NEXT: ScrollTo(window, s, top + page); return true;
    case VK_HOME: ScrollTo(window, s, 0); ScrollXTo(window, s, 0); return true;
    case VK_END: ScrollTo(window, s, static_cast<int64_t>(s.lines.Count())); return true;
    case VK_LEFT: ScrollXTo(window, s, s.xOffset - s.charWidth); return true;
    case VK_RIGHT: ScrollXTo(window, s, s.xOffset + s.charWidth); return true;
    default: return false;
  }
}

void TextChanged(HWND window, ViewerState& s) {
  if (s.top > MaxTop(window, s)) s.top = MaxTop(window, s);
  UpdateScrollBars(window, s);
  InvalidateRect(window, nullptr, FALSE);
}

LRESULT CALLBACK ViewerTextProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  ViewerState* s = StateOf(window);
  if (message == WM_NCCREATE) {
    s = new ViewerState;
    SetWindowLongPtrA(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(s));
    return DefWindowProcA(window, message, wParam, lParam);
  }
  if (s == nullptr) return DefWindowProcA(window, message, wParam, lParam);
  switch (message) {
    case WM_NCDESTROY: {
      DropEntryFonts(*s);
      SetWindowLongPtrA(window, GWLP_USERDATA, 0);
      delete s;
      return DefWindowProcA(window, message, wParam, lParam);
    }
    case WM_CREATE:
      Measure(window, *s);
      UpdateScrollBars(window, *s);
      return 0;
    case WM_PAINT:
      Paint(window, *s);
      return 0;
    case WM_ERASEBKGND:
      return 1;  // WM_PAINT covers the whole client area
    case WM_SIZE:
      TextChanged(window, *s);
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_SETFONT:
      s->baseFont = reinterpret_cast<HFONT>(wParam);
      Measure(window, *s);
      TextChanged(window, *s);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(s->baseFont);
    case WM_VSCROLL:
      OnScroll(window, *s, SB_VERT, LOWORD(wParam));
      return 0;
    case WM_HSCROLL:
      OnScroll(window, *s, SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL: {
      const short delta = static_cast<short>(HIWORD(wParam));
      ScrollTo(window, *s, static_cast<int64_t>(s->top) - delta / WHEEL_DELTA * kWheelLines);
      return 0;
    }
    case WM_LBUTTONDOWN:
      SetFocus(window);
      return 0;
    case WM_KEYDOWN:
      if (OnKey(window, *s, wParam)) return 0;
      break;
    case kViewerLoadFile: {
      if (!s->lines.LoadFile(reinterpret_cast<const char*>(lParam))) return FALSE;
      s->top = 0;
      s->current = 0;
      s->xOffset = 0;
      s->foundLine = -1;
      s->findFrom = 0;
      TextChanged(window, *s);
      return TRUE;
    }
    case kViewerAppendText:
      s->complete = false;
      s->lines.Append(reinterpret_cast<const char*>(lParam), static_cast<size_t>(wParam));
      TextChanged(window, *s);
      return static_cast<LRESULT>(s->lines.Count());
    case kViewerTextComplete:
      s->complete = true;
      TextChanged(window, *s);
      return 0;
    case kViewerSetTabCount:
      s->tabCount = static_cast<int>(std::min<WPARAM>(wParam, kMaxTabs));
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case kViewerSetTabStops: {
      const auto* stops = reinterpret_cast<const int32_t*>(lParam);
      const int n = static_cast<int>(std::min<WPARAM>(wParam, kMaxTabs));
      if (stops == nullptr) return 0;
      for (int i = 0; i < n; ++i) s->tabs[static_cast<size_t>(i)] = stops[i];
      s->tabCount = n;
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    }
    case kViewerSetFontEntry: {
      const auto* record = reinterpret_cast<const ViewerFontRecord*>(lParam);
      if (wParam < 1 || wParam > kEntries || record == nullptr) return FALSE;
      const size_t i = static_cast<size_t>(wParam - 1);
      s->entries[i] = *record;
      if (s->entryFonts[i] != nullptr) DeleteObject(s->entryFonts[i]);
      s->entryFonts[i] = nullptr;
      InvalidateRect(window, nullptr, FALSE);
      return TRUE;
    }
    case kViewerFind:
      return Find(window, *s, wParam, lParam);
    case kViewerGetPlainLine:
      return CopyLine(*s, wParam, lParam, true);
    case kViewerGetMarkedLine:
      return CopyLine(*s, wParam, lParam, false);
    case kViewerLineLength:
      return static_cast<LRESULT>(s->lines.Line(s->current).size());
    case kViewerLineCount:
      return static_cast<LRESULT>(s->lines.Count());
    case kViewerSetCurrentLine:
      s->current = lParam < 0 ? 0 : static_cast<size_t>(lParam);
      return 0;
    case kViewerFirstVisible:
      return static_cast<LRESULT>(s->top + 1);
    case kViewerSetPageLines:
      s->pageLines = wParam == 0 ? 60 : static_cast<size_t>(wParam);
      return 0;
    default:
      break;
  }
  if (message >= WM_USER && message < 0x8000) return 0;
  return DefWindowProcA(window, message, wParam, lParam);
}

}  // namespace

bool RegisterViewerTextClass(HINSTANCE instance) {
  WNDCLASSA wc{};
  wc.style = CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = ViewerTextProc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  wc.lpszClassName = kViewerTextClass;
  return RegisterClassA(&wc) != 0;
}

BOOL UnregisterViewerTextClass(HINSTANCE instance) { return UnregisterClassA(kViewerTextClass, instance); }
