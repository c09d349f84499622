// DrawTextA: lines, word wrapping, alignment, tabs, mnemonic prefixes and the
// end ellipsis, laid out with the font metric model in device pixels.
#include <algorithm>
#include <cstring>

#include "gdi/gdi_error.h"
#include "gdi/text_out.h"

using namespace qvp::gdi;

namespace {

struct Line {
  std::string text;
  int mnemonic = -1;
  int width = 0;
};

struct Layout {
  const FontMetrics* m = nullptr;
  UINT fmt = 0;
  TabStops tabs;  // origin 0: tabs count from the start of each line

  int Width(const std::string& s) const {
    if (fmt & DT_EXPANDTABS) return LayoutTabs(s, *m, 0, tabs, nullptr);
    return RunWidth(*m, s.data(), s.size());
  }
};

// Removes mnemonic prefixes: "&x" underlines x, "&&" is a literal '&', a
// trailing '&' is dropped. Returns the index of the first underlined character.
int StripPrefixes(std::string& s) {
  std::string out;
  int mnemonic = -1;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '&') {
      out += s[i];
      continue;
    }
    if (i + 1 >= s.size()) break;
    ++i;
    if (s[i] != '&' && mnemonic < 0) mnemonic = static_cast<int>(out.size());
    out += s[i];
  }
  s = std::move(out);
  return mnemonic;
}

std::vector<std::string> SplitParagraphs(const std::string& text, bool single) {
  std::vector<std::string> paras;
  if (single) {
    paras.push_back(text);
    return paras;
  }
  std::string cur;
  for (size_t i = 0; i < text.size(); ++i) {
    char ch = text[i];
    if (ch == '\r' || ch == '\n') {
      paras.push_back(cur);
      cur.clear();
      if (ch == '\r' && i + 1 < text.size() && text[i + 1] == '\n') ++i;
      continue;
    }
    cur += ch;
  }
  paras.push_back(cur);
  return paras;
}

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Greedy word wrap at blanks; a word wider than the line stays whole.
void WrapParagraph(const std::string& para, int mnemonic, const Layout& lay, int avail, std::vector<Line>* out) {
  size_t start = 0, n = para.size();
  if (n == 0) {
    out->push_back(Line{});
    return;
  }
  while (start < n) {
    size_t line_end = start;
    bool have = false;
    size_t j = start;
    while (j <= n) {
      size_t k = j;
      while (k < n && !IsBlank(para[k])) ++k;
      if (have && line_end > start && lay.Width(para.substr(start, k - start)) > avail) break;
      line_end = k;
      have = true;
      j = k;
      while (j < n && IsBlank(para[j])) ++j;
      if (j >= n) {
        j = n + 1;
        break;
      }
    }
    Line line;
    line.text = para.substr(start, line_end - start);
    if (mnemonic >= static_cast<int>(start) && mnemonic < static_cast<int>(line_end))
      line.mnemonic = mnemonic - static_cast<int>(start);
    out->push_back(std::move(line));
    // The blanks at a break are dropped.
    start = line_end;
    while (start < n && IsBlank(para[start])) ++start;
  }
}

void ApplyEndEllipsis(Line& line, const Layout& lay, int avail) {
  if (lay.Width(line.text) <= avail) return;
  static const std::string kDots = "...";
  int dots = lay.Width(kDots);
  // The longest prefix that fits with the dots (widths grow with the prefix).
  size_t lo = 0, hi = line.text.size();
  while (lo < hi) {
    size_t mid = (lo + hi + 1) / 2;
    if (lay.Width(line.text.substr(0, mid)) + dots <= avail) {
      lo = mid;
    } else {
      hi = mid - 1;
    }
  }
  size_t keep = lo;
  line.text = line.text.substr(0, keep) + kDots;
  if (line.mnemonic >= static_cast<int>(keep)) line.mnemonic = -1;
}

}  // namespace

int DrawTextA(HDC hdc, LPCSTR lpchText, int cchText, LPRECT lprc, UINT format) {
  Guard g(Lock());
  std::shared_ptr<DcObj> dc = LookupDC(hdc);
  if (!dc) return 0;
  if (lprc == nullptr || cchText < -1 || (cchText != 0 && lpchText == nullptr)) {
    SetError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t len = cchText == -1 ? std::strlen(lpchText) : static_cast<size_t>(cchText);
  UINT fmt = format;
  int tab_chars = 8;
  if (fmt & DT_TABSTOP) {
    // The second byte of the format holds the tab size instead of flags.
    tab_chars = static_cast<int>((fmt >> 8) & 0xFF);
    fmt &= ~0xFF00u;
  }
  bool calc = (fmt & DT_CALCRECT) != 0;
  bool single = (fmt & DT_SINGLELINE) != 0;
  if (len == 0) {
    if (calc) {
      lprc->right = lprc->left;
      lprc->bottom = lprc->top;
    }
    return 0;
  }
  FontMetrics m = dc->Metrics();
  Layout lay;
  lay.m = &m;
  lay.fmt = fmt;
  lay.tabs.origin = 0;
  lay.tabs.interval = std::max(1, tab_chars) * m.ave;

  RECT dr = dc->ToSurface(*lprc);
  int avail = static_cast<int>(std::min<long long>(static_cast<long long>(dr.right) - dr.left, 0x3FFFFFFF));

  std::vector<Line> lines;
  for (std::string& para : SplitParagraphs(std::string(lpchText, len), single)) {
    int mnemonic = -1;
    if (!(fmt & DT_NOPREFIX)) mnemonic = StripPrefixes(para);
    if (fmt & DT_HIDEPREFIX) mnemonic = -1;
    if ((fmt & DT_WORDBREAK) && !single) {
      WrapParagraph(para, mnemonic, lay, avail, &lines);
    } else {
      lines.push_back(Line{para, mnemonic, 0});
    }
  }
  // The end of the text gets the ellipsis when it does not fit.
  if (fmt & DT_END_ELLIPSIS) ApplyEndEllipsis(lines.back(), lay, avail);
  int max_width = 0;
  for (Line& l : lines) {
    l.width = lay.Width(l.text);
    max_width = std::max(max_width, l.width);
  }
  int line_h = m.height;
  long long total_h = static_cast<long long>(line_h) * static_cast<long long>(lines.size());
  LONG height_logical = dc->UnscaleY(static_cast<LONG>(std::min<long long>(total_h, 0x3FFFFFFF)));

  if (calc) {
    LONG w = dc->UnscaleX(max_width);
    lprc->right = lprc->left + w;
    lprc->bottom = dc->YAxisUp() ? lprc->top - height_logical : lprc->top + height_logical;
    return height_logical;
  }

  DrawTarget t;
  if (!OpenDraw(hdc, &t)) return 0;
  long long y0 = dr.top;
  if (single && (fmt & DT_VCENTER)) {
    y0 = dr.top + (static_cast<long long>(dr.bottom) - dr.top - line_h) / 2;
  } else if (single && (fmt & DT_BOTTOM)) {
    y0 = static_cast<long long>(dr.bottom) - line_h;
  }
  long long y = y0;
  for (const Line& l : lines) {
    long long x = dr.left;
    if (fmt & DT_CENTER) {
      x = dr.left + (static_cast<long long>(avail) - l.width) / 2;
    } else if (fmt & DT_RIGHT) {
      x = static_cast<long long>(dr.right) - l.width;
    }
    std::vector<TextSegment> segs;
    if (fmt & DT_EXPANDTABS) {
      LayoutTabs(l.text, m, 0, lay.tabs, &segs);
    } else if (!l.text.empty()) {
      segs.push_back(TextSegment{0, l.text.size(), 0, l.width});
    }
    for (const TextSegment& s : segs) {
      TextRun run;
      run.text = l.text.substr(s.begin, s.length);
      run.width = s.width;
      run.pos = POINT{static_cast<LONG>(x + s.x), static_cast<LONG>(y)};
      if (l.mnemonic >= static_cast<int>(s.begin) && l.mnemonic < static_cast<int>(s.begin + s.length))
        run.mnemonic = l.mnemonic - static_cast<int>(s.begin);
      if (!(fmt & DT_NOCLIP)) {
        run.clipped = true;
        run.clip = dr;
      }
      OutputText(t, m, run);
    }
    y += line_h;
  }
  if (single && (fmt & (DT_VCENTER | DT_BOTTOM))) {
    long long bottom = y0 - dr.top + total_h;
    return dc->UnscaleY(static_cast<LONG>(std::clamp<long long>(bottom, 0, 0x3FFFFFFF)));
  }
  return height_logical;
}
