// Raster text: metrics from the installed fonts and glyphs drawn on surfaces.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "gdi/gdi_test_util.h"
#include "gdi/raster_text_faces.h"
#include "qvplatform/display.h"

namespace {

using qvp::gdi::test::Canvas;

HFONT Font(LONG height, const char* face, LONG weight = FW_NORMAL, bool italic = false, bool underline = false,
           LONG width = 0) {
  return CreateFontA(height, width, 0, 0, weight, italic, underline, 0, ANSI_CHARSET, 0, 0, 0, 0, face);
}

// Raster text on for the test, off again after it; skipped where no fonts are installed.
class RasterText : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!qvp::RasterTextAvailable()) {
      if (std::getenv("CI")) FAIL() << "no fonts found: install fonts-liberation2 and fonts-dejavu-core";
      GTEST_SKIP() << "fonts-liberation2 is not installed; raster text is not tested";
    }
    qvp::SetRasterText(true);
  }
  void TearDown() override { qvp::SetRasterText(false); }
};

// A canvas with a font selected (deleted at the end of the scope).
struct TextCanvas {
  Canvas canvas;
  HFONT font;
  HGDIOBJ old;
  TextCanvas(HFONT f, int w = 240, int h = 80) : canvas(w, h), font(f), old(SelectObject(canvas.dc(), f)) {
    SetBkMode(canvas.dc(), TRANSPARENT);
  }
  ~TextCanvas() {
    SelectObject(canvas.dc(), old);
    DeleteObject(font);
  }
  HDC dc() const { return canvas.dc(); }
  TEXTMETRICA Metrics() const {
    TEXTMETRICA tm{};
    GetTextMetricsA(dc(), &tm);
    return tm;
  }
  int Width(const char* s) const {
    SIZE sz{};
    GetTextExtentPoint32A(dc(), s, static_cast<int>(std::strlen(s)), &sz);
    return sz.cx;
  }
  // Pixels that are not the white background.
  int Ink(RECT r) const { return r.right > r.left ? (r.right - r.left) * (r.bottom - r.top) - canvas.Count(RGB(255, 255, 255), r) : 0; }
  int Ink() const { return Ink(RECT{0, 0, canvas.width(), canvas.height()}); }
};

std::string Family(const char* face, LONG weight = FW_NORMAL) {
  LOGFONTA lf{};
  std::strncpy(lf.lfFaceName, face, LF_FACESIZE - 1);
  lf.lfWeight = weight;
  return qvp::gdi::raster::ResolvedFamily(lf);
}

TEST(RasterTextSwitch, OffByDefaultSoTextDrawsNoPixels) {
  ASSERT_FALSE(qvp::RasterTextEnabled());
  Canvas c(100, 30);
  SetBkMode(c.dc(), TRANSPARENT);
  TextOutA(c.dc(), 2, 2, "Hello", 5);
  EXPECT_EQ(c.Count(RGB(255, 255, 255)), 100 * 30);
  // The fixed model's numbers stay.
  TEXTMETRICA tm{};
  GetTextMetricsA(c.dc(), &tm);
  EXPECT_EQ(tm.tmHeight, 16);
}

TEST_F(RasterText, WindowsFacesMapToMetricCompatibleFamilies) {
  EXPECT_EQ(Family("MS Sans Serif"), "Liberation Sans");
  EXPECT_EQ(Family("Arial", FW_BOLD), "Liberation Sans");
  EXPECT_EQ(Family("System", FW_BOLD), "Liberation Sans");
  EXPECT_EQ(Family("Times New Roman"), "Liberation Serif");
  EXPECT_EQ(Family("Courier"), "Liberation Mono");
  EXPECT_EQ(Family("courier new"), "Liberation Mono");
  EXPECT_FALSE(Family("No Such Face At All").empty());  // some installed font stands in
}

TEST_F(RasterText, MetricsComeFromTheFontAtTheRequestedSize) {
  TextCanvas small(Font(-11, "MS Sans Serif"));
  TEXTMETRICA tm = small.Metrics();
  EXPECT_EQ(tm.tmHeight - tm.tmInternalLeading, 11);  // a negative height is the em height
  EXPECT_EQ(tm.tmAscent + tm.tmDescent, tm.tmHeight);
  EXPECT_GE(tm.tmDescent, 2);
  EXPECT_GT(tm.tmAveCharWidth, 3);
  EXPECT_LT(tm.tmAveCharWidth, 9);

  // A positive height is the cell height.
  TextCanvas cell(Font(20, "Arial"));
  EXPECT_NEAR(cell.Metrics().tmHeight, 20, 1);

  // Extents are the sums of the character widths; narrow and wide letters differ.
  INT w[256];
  ASSERT_TRUE(GetCharWidth32A(small.dc(), 0, 255, w));
  auto width = [&w](unsigned char c) { return w[c]; };
  EXPECT_EQ(small.Width("Hello"), width('H') + width('e') + 2 * width('l') + width('o'));
  EXPECT_LT(width('i'), width('W'));

  // Bold is wider; a fixed-pitch face gives every character one width.
  TextCanvas bold(Font(-11, "MS Sans Serif", FW_BOLD));
  EXPECT_GT(bold.Width("Heavy Weight"), small.Width("Heavy Weight"));
  EXPECT_EQ(bold.Metrics().tmWeight, FW_BOLD);
  TextCanvas mono(Font(-13, "Courier New"));
  EXPECT_EQ(mono.Width("i"), mono.Width("W"));
  EXPECT_EQ(mono.Metrics().tmPitchAndFamily & TMPF_FIXED_PITCH, 0);

  // A width stretches the characters to that average.
  TextCanvas wide(Font(-11, "Arial", FW_NORMAL, false, false, 12));
  EXPECT_NEAR(wide.Metrics().tmAveCharWidth, 12, 1);

  // The dialog base units follow the real font too.
  SIZE units = qvp::FontDialogBaseUnits(small.font);
  EXPECT_EQ(units.cy, tm.tmHeight);
  EXPECT_GT(units.cx, 3);
}

TEST_F(RasterText, SwitchingOffRestoresTheFixedModel) {
  TextCanvas a(Font(-22, "Arial"));
  int raster_width = a.Width("Hello");
  qvp::SetRasterText(false);
  EXPECT_EQ(a.Width("Hello"), 46);  // the fixed model's number
  qvp::SetRasterText(true);
  EXPECT_EQ(a.Width("Hello"), raster_width);
}

TEST_F(RasterText, GlyphsAreDrawnInsideTheTextCellInTheTextColour) {
  TextCanvas t(Font(-16, "Arial"));
  SetTextColor(t.dc(), RGB(200, 0, 0));
  ASSERT_TRUE(TextOutA(t.dc(), 10, 10, "Hamburg", 7));
  TEXTMETRICA tm = t.Metrics();
  RECT cell{10, 10, 10 + t.Width("Hamburg"), 10 + tm.tmHeight};
  EXPECT_GT(t.Ink(cell), 60);
  EXPECT_EQ(t.Ink(), t.Ink(cell));  // nothing outside the cell
  EXPECT_GT(t.canvas.Count(RGB(200, 0, 0), cell), 20);  // solid stems in the colour itself
  // Nothing between the letters' tops and the cell top beyond the internal leading.
  EXPECT_EQ(t.Ink(RECT{cell.left, cell.top, cell.right, cell.top + tm.tmInternalLeading / 2}), 0);
  // 'g' reaches below the baseline; 'H' does not.
  int baseline = cell.top + tm.tmAscent;
  int h_width = t.Width("H");
  EXPECT_EQ(t.Ink(RECT{cell.left, baseline + 1, cell.left + h_width, cell.bottom}), 0);
  EXPECT_GT(t.Ink(RECT{cell.right - t.Width("g"), baseline + 1, cell.right, cell.bottom}), 0);
}

TEST_F(RasterText, OpaqueBackgroundAndClippingStillHold) {
  TextCanvas t(Font(-13, "Times New Roman"));
  SetBkMode(t.dc(), OPAQUE);
  SetBkColor(t.dc(), RGB(0, 0, 255));
  TextOutA(t.dc(), 5, 5, "Cell", 4);
  int w = t.Width("Cell");
  // The background fills the cell and the glyphs sit on it.
  RECT cell{5, 5, 5 + w, 5 + t.Metrics().tmHeight};
  int blue = t.canvas.Count(RGB(0, 0, 255), cell);
  EXPECT_GT(blue, 0);
  EXPECT_GT((cell.right - cell.left) * (cell.bottom - cell.top) - blue, 10);
  EXPECT_EQ(t.Ink(), (cell.right - cell.left) * (cell.bottom - cell.top));

  // DrawText clips to its rectangle: half a word leaves no ink beyond it.
  TextCanvas c(Font(-20, "Arial"));
  RECT r{0, 0, 30, 40};
  DrawTextA(c.dc(), "Clipped text", -1, &r, DT_SINGLELINE);
  EXPECT_GT(c.Ink(r), 0);
  EXPECT_EQ(c.Ink(RECT{30, 0, 240, 80}), 0);

  // A clip region limits the glyphs too.
  TextCanvas d(Font(-20, "Arial"));
  HRGN rgn = CreateRectRgn(0, 0, 240, 12);
  SelectClipRgn(d.dc(), rgn);
  DeleteObject(rgn);
  TextOutA(d.dc(), 0, 0, "Region", 6);
  EXPECT_GT(d.Ink(RECT{0, 0, 240, 12}), 0);
  EXPECT_EQ(d.Ink(RECT{0, 12, 240, 80}), 0);
}

TEST_F(RasterText, MnemonicAndFontUnderlinesAndStrikeout) {
  TextCanvas t(Font(-16, "Arial"));
  RECT r{0, 0, 200, 40};
  DrawTextA(t.dc(), "&File", -1, &r, DT_SINGLELINE);
  TEXTMETRICA tm = t.Metrics();
  int f_width = t.Width("F");
  // Below the baseline, the underline spans the F and nothing else of the word is there.
  RECT below{0, tm.tmAscent + 1, 200, tm.tmHeight};
  EXPECT_GE(t.Ink(RECT{0, tm.tmAscent + 1, f_width, tm.tmHeight}), f_width - 1);
  EXPECT_EQ(t.Ink(below), t.Ink(RECT{0, tm.tmAscent + 1, f_width, tm.tmHeight}));

  // Without the prefix there is nothing below the baseline.
  TextCanvas plain(Font(-16, "Arial"));
  DrawTextA(plain.dc(), "File", -1, &r, DT_SINGLELINE);
  EXPECT_EQ(plain.Ink(below), 0);

  // An underlined font underlines the whole run; a struck-out one crosses it.
  TextCanvas under(Font(-16, "Arial", FW_NORMAL, false, true));
  TextOutA(under.dc(), 0, 0, "File", 4);
  EXPECT_GE(under.Ink(below), under.Width("File") - 1);
  LOGFONTA lf{};
  lf.lfHeight = -16;
  lf.lfStrikeOut = TRUE;
  std::strcpy(lf.lfFaceName, "Arial");
  TextCanvas struck(CreateFontIndirectA(&lf));
  TextOutA(struck.dc(), 0, 0, "____", 4);
  EXPECT_GT(struck.Ink(RECT{0, 0, 200, tm.tmAscent - 2}), 0);  // underscores alone leave this empty
}

TEST_F(RasterText, CallerPlacedCharactersAndStyles) {
  TextCanvas t(Font(-13, "Arial"));
  const INT dx[3] = {60, 60, 60};
  ExtTextOutA(t.dc(), 0, 0, 0, nullptr, "iii", 3, dx);
  // Each 'i' stands in its own 60-pixel slot.
  for (int k = 0; k < 3; ++k) EXPECT_GT(t.Ink(RECT{60 * k, 0, 60 * k + 10, 20}), 0) << k;
  EXPECT_EQ(t.Ink(RECT{12, 0, 58, 20}), 0);

  // Italic and bold glyphs are not the regular ones.
  TextCanvas regular(Font(-20, "Arial"));
  TextCanvas italic(Font(-20, "Arial", FW_NORMAL, true));
  TextCanvas bold(Font(-20, "Arial", FW_BOLD));
  for (TextCanvas* c : {&regular, &italic, &bold}) TextOutA(c->dc(), 4, 4, "lll", 3);
  EXPECT_GT(bold.Ink(), regular.Ink());
  int differ = 0;
  for (int y = 0; y < 40; ++y)
    for (int x = 0; x < 60; ++x) differ += regular.canvas.At(x, y) != italic.canvas.At(x, y);
  EXPECT_GT(differ, 10);
}

TEST_F(RasterText, HostileSizesAreBoundedAndOtherSurfacesWork) {
  TextCanvas huge(Font(-100000, "Arial"), 50, 50);
  TEXTMETRICA tm = huge.Metrics();
  EXPECT_GT(tm.tmHeight, 100);
  EXPECT_LE(tm.tmHeight, 2000);
  EXPECT_TRUE(TextOutA(huge.dc(), 0, 0, "W", 1));
  TextCanvas zero(Font(0, "Arial"));
  EXPECT_GT(zero.Metrics().tmHeight, 10);
  TextCanvas wide(Font(-11, "Arial", FW_NORMAL, false, false, 1 << 30));
  EXPECT_TRUE(TextOutA(wide.dc(), 0, 0, "x", 1));
  // Every byte, control characters and the high half included, has a width and draws.
  std::string all;
  for (int c = 1; c < 256; ++c) all += static_cast<char>(c);
  TextCanvas any(Font(-11, "MS Sans Serif"), 4000, 20);
  EXPECT_TRUE(TextOutA(any.dc(), 0, 0, all.data(), static_cast<int>(all.size())));

  // A monochrome bitmap takes the glyphs without blending.
  HDC mem = CreateCompatibleDC(nullptr);
  HBITMAP mono = CreateBitmap(64, 24, 1, 1, nullptr);
  HGDIOBJ old = SelectObject(mem, mono);
  PatBlt(mem, 0, 0, 64, 24, WHITENESS);
  SetBkMode(mem, TRANSPARENT);
  TextOutA(mem, 0, 0, "Mono", 4);
  int black = 0;
  for (int y = 0; y < 24; ++y)
    for (int x = 0; x < 64; ++x) black += GetPixel(mem, x, y) == RGB(0, 0, 0);
  EXPECT_GT(black, 10);
  SelectObject(mem, old);
  DeleteObject(mono);
  DeleteDC(mem);
}

TEST_F(RasterText, ThreadsDrawAndMeasureAtOnce) {
  std::vector<std::thread> threads;
  std::vector<int> ink(4, 0);
  for (int i = 0; i < 4; ++i) {
    threads.emplace_back([i, &ink] {
      for (int round = 0; round < 20; ++round) {
        TextCanvas t(Font(-10 - (round % 5), i % 2 ? "Courier New" : "Arial", (round % 2) ? FW_BOLD : FW_NORMAL));
        TextOutA(t.dc(), 0, 0, "Threads", 7);
        ink[static_cast<size_t>(i)] += t.Ink() > 0;
      }
    });
  }
  for (std::thread& t : threads) t.join();
  for (int v : ink) EXPECT_EQ(v, 20);
}

}  // namespace
