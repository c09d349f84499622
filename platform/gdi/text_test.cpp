// Font metrics, text output, DrawTextA layout and the paint logs of windows.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gdi/gdi_test_util.h"
#include "gdi/window_dc.h"

namespace {

using qvp::gdi::test::Canvas;

HFONT DialogFont(LONG weight = FW_NORMAL, bool italic = false) {
  // 8 points at 96 pixels per inch: -MulDiv(8, 96, 72).
  LONG height = -((8 * 96 + 36) / 72);
  return CreateFontA(height, 0, 0, 0, weight, italic, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                     DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, "MS Sans Serif");
}

// A DC with a font selected, released at the end of the scope.
struct FontDC {
  Canvas canvas;
  HFONT font;
  HGDIOBJ old;
  explicit FontDC(HFONT f, int w = 200, int h = 100) : canvas(w, h), font(f), old(SelectObject(canvas.dc(), f)) {}
  ~FontDC() {
    SelectObject(canvas.dc(), old);
    DeleteObject(font);
  }
  HDC dc() const { return canvas.dc(); }
  int Width(const char* s) const {
    SIZE sz{};
    GetTextExtentPoint32A(dc(), s, static_cast<int>(std::strlen(s)), &sz);
    return sz.cx;
  }
};

const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";

TEST(FontMetrics, MsSansSerifEightPointGivesTheClassicDialogUnits) {
  FontDC f(DialogFont());
  TEXTMETRICA tm{};
  ASSERT_TRUE(GetTextMetricsA(f.dc(), &tm));
  EXPECT_EQ(tm.tmHeight, 13);
  EXPECT_EQ(tm.tmAscent, 11);
  EXPECT_EQ(tm.tmDescent, 2);
  EXPECT_EQ(tm.tmInternalLeading, 2);
  EXPECT_EQ(tm.tmExternalLeading, 0);
  EXPECT_EQ(tm.tmAveCharWidth, 5);
  EXPECT_EQ(tm.tmMaxCharWidth, 11);
  EXPECT_EQ(tm.tmWeight, FW_NORMAL);
  EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, TMPF_FIXED_PITCH);  // set = variable pitch
  // Dialog base units the way Windows derives them from the alphabet.
  SIZE sz{};
  GetTextExtentPoint32A(f.dc(), kLetters, 52, &sz);
  EXPECT_EQ((sz.cx / 26 + 1) / 2, 6);
  EXPECT_EQ(sz.cy, 13);
  SIZE units = qvp::FontDialogBaseUnits(f.font);
  EXPECT_EQ(units.cx, 6);
  EXPECT_EQ(units.cy, 13);
  // The positive cell height 13 is the same font.
  LOGFONTA lf{};
  GetObjectA(f.font, sizeof lf, &lf);
  lf.lfHeight = 13;
  FontDC cell(CreateFontIndirectA(&lf));
  TEXTMETRICA tm2{};
  GetTextMetricsA(cell.dc(), &tm2);
  EXPECT_EQ(std::memcmp(&tm, &tm2, sizeof tm), 0);
}

TEST(FontMetrics, TheModelIsFixedAndFollowsSizeWeightAndPitch) {
  FontDC a(DialogFont());
  FontDC b(DialogFont());
  INT wa[256], wb[256];
  ASSERT_TRUE(GetCharWidthA(a.dc(), 0, 255, wa));
  GetCharWidthA(b.dc(), 0, 255, wb);
  EXPECT_EQ(std::memcmp(wa, wb, sizeof wa), 0);
  auto width = [&wa](unsigned char c) { return wa[c]; };
  EXPECT_EQ(a.Width("Hello"), width('H') + width('e') + 2 * width('l') + width('o'));
  EXPECT_EQ(a.Width("Hello"), 23);
  EXPECT_EQ(a.Width("WWW"), 33);
  EXPECT_FALSE(GetCharWidthA(a.dc(), 10, 9, wa));

  FontDC bold(DialogFont(FW_BOLD));
  INT wbold[256];
  GetCharWidthA(bold.dc(), 0, 255, wbold);
  for (int ch = 'A'; ch <= 'z'; ++ch) EXPECT_EQ(wbold[ch], wa[ch] + 1) << ch;

  FontDC mono(CreateFontA(-13, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Courier New"));
  EXPECT_EQ(mono.Width("i"), 8);
  EXPECT_EQ(mono.Width("W"), 8);
  TEXTMETRICA tm{};
  GetTextMetricsA(mono.dc(), &tm);
  EXPECT_EQ(tm.tmPitchAndFamily & TMPF_FIXED_PITCH, 0);

  FontDC big(CreateFontA(-22, 0, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "Arial"));
  EXPECT_EQ(big.Width("Hello"), 46);
  GetTextMetricsA(big.dc(), &tm);
  EXPECT_EQ(tm.tmHeight, 26);

  FontDC wide(CreateFontA(-11, 10, 0, 0, FW_NORMAL, 0, 0, 0, 0, 0, 0, 0, 0, "MS Sans Serif"));
  GetTextMetricsA(wide.dc(), &tm);
  EXPECT_EQ(tm.tmAveCharWidth, 10);

  // A new DC starts with the bold System font.
  Canvas plain(4, 4);
  GetTextMetricsA(plain.dc(), &tm);
  EXPECT_EQ(tm.tmHeight, 16);
  EXPECT_EQ(tm.tmAveCharWidth, 7);
  EXPECT_EQ(tm.tmWeight, FW_BOLD);
  SIZE sz{};
  EXPECT_TRUE(GetTextExtentPoint32A(plain.dc(), "", 0, &sz));
  EXPECT_EQ(sz.cx, 0);
  EXPECT_EQ(sz.cy, 16);
  EXPECT_FALSE(GetTextExtentPoint32A(plain.dc(), "x", -1, &sz));
}

TEST(TextOut, RecordsRunsWithFontColourAndPosition) {
  FontDC f(DialogFont(FW_BOLD, true));
  SetTextColor(f.dc(), RGB(255, 0, 0));
  ASSERT_TRUE(TextOutA(f.dc(), 10, 20, "Status: OK", 10));
  qvp::PaintLog log = qvp::GetDCPaintLog(f.dc());
  const qvp::PaintRecord* r = log.FindText("Status: OK");
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->rect.left, 10);
  EXPECT_EQ(r->rect.top, 20);
  EXPECT_EQ(r->rect.right, 10 + f.Width("Status: OK"));
  EXPECT_EQ(r->rect.bottom, 33);
  EXPECT_EQ(r->face, "MS Sans Serif");
  EXPECT_EQ(r->font_height, -11);
  EXPECT_EQ(r->weight, FW_BOLD);
  EXPECT_TRUE(r->italic);
  EXPECT_EQ(r->color, RGB(255, 0, 0));
  EXPECT_TRUE(r->opaque);
  EXPECT_EQ(r->fill, RGB(255, 255, 255));

  // Alignment moves the cell; TA_UPDATECP draws from and advances the current position.
  qvp::ClearDCPaintLog(f.dc());
  EXPECT_EQ(SetTextAlign(f.dc(), TA_CENTER | TA_BASELINE), static_cast<UINT>(TA_LEFT | TA_TOP));
  TextOutA(f.dc(), 100, 50, "ab", 2);
  int w = f.Width("ab");
  SetTextAlign(f.dc(), TA_UPDATECP);
  MoveToEx(f.dc(), 5, 5, nullptr);
  TextOutA(f.dc(), 0, 0, "one", 3);
  TextOutA(f.dc(), 0, 0, "two", 3);
  log = qvp::GetDCPaintLog(f.dc());
  ASSERT_EQ(log.Texts().size(), 3u);
  EXPECT_EQ(log.records[0].rect.left, 100 - w / 2);
  EXPECT_EQ(log.records[0].rect.top, 50 - 11);
  EXPECT_EQ(log.FindText("two")->rect.left, 5 + f.Width("one"));
  EXPECT_EQ(log.JoinedText(), "ab\none\ntwo");
}

TEST(TextOut, OpaqueBackgroundIsPaintedTransparentIsNot) {
  FontDC f(DialogFont(), 100, 20);
  f.canvas.Fill(RGB(0, 0, 255));
  SetBkColor(f.dc(), RGB(0, 255, 0));
  TextOutA(f.dc(), 0, 0, "Hi", 2);
  int w = f.Width("Hi");
  EXPECT_EQ(f.canvas.Count(RGB(0, 255, 0)), w * 13);
  f.canvas.Fill(RGB(0, 0, 255));
  SetBkMode(f.dc(), TRANSPARENT);
  TextOutA(f.dc(), 0, 0, "Hi", 2);
  EXPECT_EQ(f.canvas.Count(RGB(0, 0, 255)), 100 * 20);
  EXPECT_FALSE(qvp::GetDCPaintLog(f.dc()).Texts().back().opaque);
}

TEST(ExtTextOut, OpaqueRectangleAndClipping) {
  FontDC f(DialogFont(), 50, 20);
  SetBkColor(f.dc(), RGB(1, 2, 3));
  RECT r{0, 0, 20, 10};
  ASSERT_TRUE(ExtTextOutA(f.dc(), 0, 0, ETO_OPAQUE, &r, nullptr, 0, nullptr));
  EXPECT_EQ(f.canvas.Count(RGB(1, 2, 3)), 200);
  ExtTextOutA(f.dc(), 2, 2, ETO_CLIPPED, &r, "clipped text", 12, nullptr);
  qvp::PaintLog log = qvp::GetDCPaintLog(f.dc());
  EXPECT_EQ(log.records[0].kind, qvp::PaintKind::kFill);
  EXPECT_EQ(log.records[0].color, RGB(1, 2, 3));
  const qvp::PaintRecord* t = log.FindText("clipped text");
  ASSERT_NE(t, nullptr);
  EXPECT_TRUE(t->clipped);
  EXPECT_EQ(t->clip_rect.right, 20);
  // The opaque cell stays inside the clip rectangle.
  EXPECT_EQ(f.canvas.At(25, 5), RGB(255, 255, 255));
  INT dx[3] = {10, 10, 10};
  ExtTextOutA(f.dc(), 0, 0, 0, nullptr, "abc", 3, dx);
  EXPECT_EQ(qvp::GetDCPaintLog(f.dc()).FindText("abc")->rect.right, 30);
}

TEST(TabbedText, DefaultAndExplicitTabStops) {
  FontDC f(DialogFont());
  LONG size = TabbedTextOutA(f.dc(), 0, 0, "a\tb", 3, 0, nullptr, 0);
  qvp::PaintLog log = qvp::GetDCPaintLog(f.dc());
  ASSERT_NE(log.FindText("b"), nullptr);
  EXPECT_EQ(log.FindText("b")->rect.left, 40);  // eight average characters
  EXPECT_EQ(LOWORD(size), 40 + f.Width("b"));
  EXPECT_EQ(HIWORD(size), 13);
  INT stops[2] = {30, 70};
  TabbedTextOutA(f.dc(), 10, 20, "x\ty\tz\tw", 7, 2, stops, 10);
  log = qvp::GetDCPaintLog(f.dc());
  EXPECT_EQ(log.FindText("y")->rect.left, 40);
  EXPECT_EQ(log.FindText("z")->rect.left, 80);
  // Past the last stop a tab is one space.
  EXPECT_EQ(log.FindText("w")->rect.left, 80 + f.Width("z") + f.Width(" "));
  INT every = 25;
  DWORD ext = GetTabbedTextExtentA(f.dc(), "a\tb\tc", 5, 1, &every);
  EXPECT_EQ(LOWORD(ext), 50 + f.Width("c"));
}

struct DrawTextCase {
  FontDC f{DialogFont()};
  qvp::PaintLog Draw(const char* text, RECT r, UINT fmt, int* ret = nullptr) {
    qvp::ClearDCPaintLog(f.dc());
    int h = DrawTextA(f.dc(), text, -1, &r, fmt);
    if (ret) *ret = h;
    return qvp::GetDCPaintLog(f.dc());
  }
  RECT Calc(const char* text, RECT r, UINT fmt, int* ret = nullptr) {
    int h = DrawTextA(f.dc(), text, -1, &r, fmt | DT_CALCRECT);
    if (ret) *ret = h;
    return r;
  }
};

TEST(DrawText, CalcRectMeasuresLinesAndWrappedText) {
  DrawTextCase t;
  int h = 0;
  RECT r = t.Calc("Hello", RECT{5, 7, 500, 500}, DT_SINGLELINE, &h);
  EXPECT_EQ(h, 13);
  EXPECT_EQ(r.left, 5);
  EXPECT_EQ(r.right, 5 + 23);
  EXPECT_EQ(r.bottom, 7 + 13);

  r = t.Calc("a\nbb\r\nccc", RECT{0, 0, 500, 0}, 0, &h);
  EXPECT_EQ(h, 39);
  EXPECT_EQ(r.right, t.f.Width("ccc"));

  // "the quick" (42) and "brown fox" (46) fit in 50; "the quick brown" does not.
  r = t.Calc("the quick brown fox", RECT{0, 0, 50, 0}, DT_WORDBREAK, &h);
  EXPECT_EQ(h, 26);
  EXPECT_EQ(r.right, 46);
  qvp::PaintLog log = t.Draw("the quick brown fox", RECT{0, 0, 50, 100}, DT_WORDBREAK);
  ASSERT_EQ(log.Texts().size(), 2u);
  EXPECT_EQ(log.records[0].text, "the quick");
  EXPECT_EQ(log.records[1].text, "brown fox");
  EXPECT_EQ(log.records[1].rect.top, 13);

  // A word wider than the rectangle stays whole and widens it.
  r = t.Calc("abcdefghijklmnop xy", RECT{0, 0, 20, 0}, DT_WORDBREAK, &h);
  EXPECT_EQ(r.right, t.f.Width("abcdefghijklmnop"));
  EXPECT_EQ(h, 26);

  // Nothing to draw.
  r = RECT{3, 3, 50, 50};
  EXPECT_EQ(DrawTextA(t.f.dc(), "", -1, &r, DT_CALCRECT), 0);
  EXPECT_EQ(r.right, 3);
  EXPECT_EQ(DrawTextA(t.f.dc(), "x", -1, nullptr, 0), 0);
}

TEST(DrawText, EndEllipsisKeepsTheTextInsideTheRectangle) {
  DrawTextCase t;
  qvp::PaintLog log = t.Draw("the quick brown fox", RECT{0, 0, 50, 20}, DT_SINGLELINE | DT_END_ELLIPSIS);
  ASSERT_EQ(log.Texts().size(), 1u);
  EXPECT_EQ(log.records[0].text, "the quic...");
  EXPECT_LE(log.records[0].rect.right, 50);
  RECT r = t.Calc("the quick brown fox", RECT{0, 0, 50, 0}, DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_EQ(r.right, t.f.Width("the quic..."));
  // Text that fits is left alone.
  log = t.Draw("fox", RECT{0, 0, 50, 20}, DT_SINGLELINE | DT_END_ELLIPSIS);
  EXPECT_EQ(log.records[0].text, "fox");
  // With word wrapping only the end of the text gets the ellipsis.
  log = t.Draw("aaaaaaaaaaaa bbbbbbbbbbbb", RECT{0, 0, 40, 100}, DT_WORDBREAK | DT_END_ELLIPSIS);
  ASSERT_EQ(log.Texts().size(), 2u);
  EXPECT_EQ(log.records[0].text, "aaaaaaaaaaaa");
  EXPECT_EQ(log.records[1].text.substr(log.records[1].text.size() - 3), "...");
}

TEST(DrawText, MnemonicPrefixes) {
  DrawTextCase t;
  qvp::PaintLog log = t.Draw("&File", RECT{0, 0, 100, 20}, DT_SINGLELINE);
  EXPECT_EQ(log.records[0].text, "File");
  EXPECT_EQ(log.records[0].mnemonic, 0);
  log = t.Draw("Save &As", RECT{0, 0, 100, 20}, DT_SINGLELINE);
  EXPECT_EQ(log.records[0].text, "Save As");
  EXPECT_EQ(log.records[0].mnemonic, 5);
  log = t.Draw("A&&B&", RECT{0, 0, 100, 20}, DT_SINGLELINE);
  EXPECT_EQ(log.records[0].text, "A&B");
  EXPECT_EQ(log.records[0].mnemonic, -1);
  log = t.Draw("&File", RECT{0, 0, 100, 20}, DT_SINGLELINE | DT_NOPREFIX);
  EXPECT_EQ(log.records[0].text, "&File");
  log = t.Draw("&File", RECT{0, 0, 100, 20}, DT_SINGLELINE | DT_HIDEPREFIX);
  EXPECT_EQ(log.records[0].text, "File");
  EXPECT_EQ(log.records[0].mnemonic, -1);
  // The prefix is not measured.
  RECT r = t.Calc("&File", RECT{0, 0, 100, 20}, DT_SINGLELINE);
  EXPECT_EQ(r.right, t.f.Width("File"));
}

TEST(DrawText, AlignmentVerticalCentringAndTabs) {
  DrawTextCase t;
  int w = t.f.Width("Hello");
  int ret = 0;
  qvp::PaintLog log = t.Draw("Hello", RECT{0, 0, 101, 33}, DT_SINGLELINE | DT_CENTER | DT_VCENTER, &ret);
  EXPECT_EQ(log.records[0].rect.left, (101 - w) / 2);
  EXPECT_EQ(log.records[0].rect.top, 10);
  EXPECT_EQ(ret, 23);  // from the top of the rectangle to the bottom of the text
  EXPECT_TRUE(log.records[0].clipped);
  log = t.Draw("Hello", RECT{0, 0, 100, 33}, DT_SINGLELINE | DT_RIGHT | DT_BOTTOM | DT_NOCLIP);
  EXPECT_EQ(log.records[0].rect.left, 100 - w);
  EXPECT_EQ(log.records[0].rect.top, 20);
  EXPECT_FALSE(log.records[0].clipped);

  log = t.Draw("a\tb", RECT{0, 0, 200, 20}, DT_SINGLELINE | DT_EXPANDTABS);
  ASSERT_EQ(log.Texts().size(), 2u);
  EXPECT_EQ(log.FindText("b")->rect.left, 40);
  // DT_TABSTOP takes the tab size from the second byte of the format.
  log = t.Draw("a\tb", RECT{0, 0, 200, 20}, DT_SINGLELINE | DT_EXPANDTABS | DT_TABSTOP | (4 << 8));
  EXPECT_EQ(log.FindText("b")->rect.left, 20);
}

TEST(WindowPaintLog, WindowDcsDrawOnAPersistentTarget) {
  HWND hwnd = reinterpret_cast<HWND>(0x6001);
  HDC dc = qvp::CreateWindowDC(hwnd, 100, 50, POINT{0, 0});
  ASSERT_NE(dc, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT r{0, 0, 10, 10};
  FillRect(dc, &r, red);
  TextOutA(dc, 12, 3, "Ready", 5);
  EXPECT_FALSE(DeleteDC(dc));  // a window's DC is released, not deleted
  EXPECT_TRUE(qvp::ReleaseWindowDC(dc));

  qvp::PaintLog log = qvp::GetWindowPaintLog(hwnd);
  ASSERT_EQ(log.records.size(), 2u);
  EXPECT_EQ(log.records[0].kind, qvp::PaintKind::kFill);
  EXPECT_EQ(log.records[0].color, RGB(255, 0, 0));
  EXPECT_EQ(log.records[1].text, "Ready");
  EXPECT_EQ(log.records[1].face, "System");

  // The pixels stay for the next DC; a DC with an origin draws offset.
  dc = qvp::CreateWindowDC(hwnd, 100, 50, POINT{0, 0});
  EXPECT_EQ(GetPixel(dc, 5, 5), RGB(255, 0, 0));
  EXPECT_EQ(qvp::WindowFromWindowDC(dc), hwnd);
  qvp::ReleaseWindowDC(dc);
  qvp::ClearWindowPaintLog(hwnd);
  EXPECT_TRUE(qvp::GetWindowPaintLog(hwnd).records.empty());
  dc = qvp::CreateWindowDC(hwnd, 20, 20, POINT{30, 10});
  TextOutA(dc, 0, 0, "Inner", 5);
  FillRect(dc, &r, red);
  // Outside the DC's area nothing is drawn.
  RECT outside{50, 50, 60, 60};
  FillRect(dc, &outside, red);
  qvp::ReleaseWindowDC(dc);
  log = qvp::GetWindowPaintLog(hwnd);
  ASSERT_EQ(log.records.size(), 2u);
  EXPECT_EQ(log.FindText("Inner")->rect.left, 30);
  EXPECT_EQ(log.FindText("Inner")->rect.top, 10);

  qvp::DestroyWindowPaintTarget(hwnd);
  EXPECT_TRUE(qvp::GetWindowPaintLog(hwnd).records.empty());
  EXPECT_EQ(qvp::CreateWindowDC(hwnd, -1, 10, POINT{0, 0}), nullptr);
  EXPECT_EQ(qvp::CreateWindowDC(hwnd, 100000, 100000, POINT{0, 0}), nullptr);
  DeleteObject(red);
}

TEST(WindowPaintLog, DoubleBufferedTextTravelsWithTheBlit) {
  HWND hwnd = reinterpret_cast<HWND>(0x6002);
  HDC win = qvp::CreateWindowDC(hwnd, 200, 100, POINT{0, 0});
  HDC mem = CreateCompatibleDC(win);
  HBITMAP back = CreateCompatibleBitmap(win, 100, 40);
  HGDIOBJ old = SelectObject(mem, back);
  HFONT font = DialogFont();
  SelectObject(mem, font);
  SetTextColor(mem, RGB(0, 0, 128));
  TextOutA(mem, 2, 2, "Buffered", 8);
  TextOutA(mem, 2, 25, "Below", 5);
  BitBlt(win, 50, 30, 100, 20, mem, 0, 0, SRCCOPY);  // only the top 20 rows
  qvp::PaintLog log = qvp::GetWindowPaintLog(hwnd);
  const qvp::PaintRecord* t = log.FindText("Buffered");
  ASSERT_NE(t, nullptr);
  EXPECT_EQ(t->rect.left, 52);
  EXPECT_EQ(t->rect.top, 32);
  EXPECT_EQ(t->face, "MS Sans Serif");
  EXPECT_EQ(t->color, RGB(0, 0, 128));
  EXPECT_EQ(log.FindText("Below"), nullptr);
  SelectObject(mem, GetStockObject(SYSTEM_FONT));
  SelectObject(mem, old);
  DeleteObject(font);
  DeleteObject(back);
  DeleteDC(mem);
  qvp::ReleaseWindowDC(win);
  qvp::DestroyWindowPaintTarget(hwnd);
}

TEST(WindowPaintLog, KeepsTheLatestRecords) {
  HWND hwnd = reinterpret_cast<HWND>(0x6003);
  HDC dc = qvp::CreateWindowDC(hwnd, 4, 4, POINT{0, 0});
  RECT r{0, 0, 1, 1};
  for (int i = 0; i < 20010; ++i) FillRect(dc, &r, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  TextOutA(dc, 0, 0, "last", 4);
  qvp::PaintLog log = qvp::GetWindowPaintLog(hwnd);
  EXPECT_LE(log.records.size(), 20000u);
  EXPECT_EQ(log.records.back().text, "last");
  qvp::ReleaseWindowDC(dc);
  qvp::DestroyWindowPaintTarget(hwnd);
}

}  // namespace
