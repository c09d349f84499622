// Printing the viewer's text to the PDF printer: the pages, footers, range,
// fonts and characters as a PDF reader sees them.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app_globals.h"
#include "ctlpack4.h"
#include "mega_view.h"
#include "print_text.h"
#include "program_paths.h"
#include "qvplatform/ui_driver.h"
#include "resource_cache.h"
#include "loopback_peers.h"
#include "test_dir.h"
#include "viewer_test_support.h"

namespace {

using qvtest::CommandOutput;

bool HavePoppler() { return std::system("command -v pdftotext >/dev/null 2>&1 && command -v pdffonts >/dev/null 2>&1") == 0; }

class Printing : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!HavePoppler()) {
      if (std::getenv("CI") != nullptr) FAIL() << "poppler-utils missing";
      GTEST_SKIP() << "poppler-utils missing";
    }
    qv::SetProgramDirForTests(dir_.dir().c_str());
    std::filesystem::create_directory(dir_.path() / "pdf");
    setenv("QV_PRINT_DIR", dir_.file("pdf").c_str(), 1);
    ASSERT_NO_FATAL_FAILURE(modules_.Load());
    lines_ = GetPrinterPageLineCount("Courier", 8, FIXED_PITCH | FF_MODERN);
    ASSERT_GT(lines_, 10);
    ASSERT_NE(lines_, 60);  // measured, not the fallback
  }
  void TearDown() override {
    modules_.Unload();
    qv::SetProgramDirForTests(nullptr);
    unsetenv("QV_PRINT_DIR");
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }
  // Prints the file from the viewer with the print dialog's answer.
  void Print(const std::string& text, qvp::ExpectedPrompt answer) {
    dir_.write("report.txt", text);
    qvp::UiDriver ui;
    ui.Prompts().Expect(std::move(answer));
    ui.OnDialog(kViewerTemplate).Click(kPrintId).Click(IDOK);
    ShowTextViewer(nullptr, dir_.file("report.txt").c_str(), 0);
    for (const auto& p : ui.Problems()) ADD_FAILURE() << p;
  }
  std::vector<std::string> Pdfs() {
    std::vector<std::string> out;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path() / "pdf")) out.push_back(e.path().string());
    return out;
  }

  TestDir dir_;
  viewertest::ViewerModules modules_;
  int lines_ = 0;
};

TEST_F(Printing, TwoPagesOfLinesWithFootersInRealText) {
  std::string text;
  for (int i = 0; i < 2 * lines_; ++i) text += "line " + std::to_string(1000 + i) + " caf\xE9\r\n";
  Print(text, qvp::PrintAnswer());
  const auto pdfs = Pdfs();
  ASSERT_EQ(pdfs.size(), 1u);
  EXPECT_EQ(std::filesystem::path(pdfs[0]).filename(), "Quorvane(tm) Report 1.pdf");
  const std::string info = CommandOutput("pdfinfo '" + pdfs[0] + "'");
  const size_t pages = info.find("Pages:");
  ASSERT_NE(pages, std::string::npos) << info;
  EXPECT_EQ(std::atoi(info.c_str() + pages + 6), 2) << info;
  const std::string words = CommandOutput("pdftotext -layout '" + pdfs[0] + "' -");
  size_t at = 0;
  for (int i = 0; i < 2 * lines_; ++i) {
    const size_t next = words.find("line " + std::to_string(1000 + i) + " caf\xC3\xA9", at);
    ASSERT_NE(next, std::string::npos) << "line " << i;
    at = next;
  }
  EXPECT_NE(words.find("Page 1 of 2"), std::string::npos);
  EXPECT_NE(words.find("Page 2 of 2"), std::string::npos);
  // Every font is embedded.
  const std::string fonts = CommandOutput("pdffonts '" + pdfs[0] + "'");
  EXPECT_NE(fonts.find(" yes "), std::string::npos) << fonts;
  EXPECT_EQ(fonts.find(" no  "), std::string::npos) << fonts;

  // A second job never overwrites the first.
  Print(text, qvp::PrintAnswer());
  EXPECT_EQ(Pdfs().size(), 2u);
  EXPECT_TRUE(std::filesystem::exists(dir_.path() / "pdf" / "Quorvane(tm) Report 2.pdf"));
}

TEST_F(Printing, APageRangePrintsItsLinesAndFooterOnly) {
  std::string text;
  for (int i = 0; i < 2 * lines_; ++i) text += "row " + std::to_string(5000 + i) + "\r\n";
  qvp::PrintChoice range;
  range.range = PD_PAGENUMS;
  range.from_page = 2;
  range.to_page = 2;
  Print(text, qvp::PrintAnswer(range));
  const auto pdfs = Pdfs();
  ASSERT_EQ(pdfs.size(), 1u);
  const std::string words = CommandOutput("pdftotext '" + pdfs[0] + "' -");
  EXPECT_EQ(words.find("row 5000\n"), std::string::npos);
  EXPECT_NE(words.find("row " + std::to_string(5000 + lines_)), std::string::npos);
  EXPECT_NE(words.find("row " + std::to_string(5000 + 2 * lines_ - 1)), std::string::npos);
  EXPECT_NE(words.find("Page 2 of 2"), std::string::npos);
  EXPECT_EQ(words.find("Page 1 of 2"), std::string::npos);
}

TEST_F(Printing, CancelPrintsNothing) {
  Print("one line\r\n", qvp::CancelAnswer(qvp::PromptKind::kPrint));
  EXPECT_TRUE(Pdfs().empty());
}

// Red pixels of the first page, rendered by poppler.
int RedPixels(const std::string& pdf) {
  const std::string ppm = CommandOutput("pdftoppm -r 150 -f 1 -l 1 '" + pdf + "'");
  // P6 header: magic, width, height, maximum, then the pixels.
  int width = 0, height = 0, maximum = 0, used = 0;
  if (std::sscanf(ppm.c_str(), "P6 %d %d %d%n", &width, &height, &maximum, &used) != 3 || maximum != 255) return -1;
  const size_t start = static_cast<size_t>(used) + 1;
  if (ppm.size() < start + static_cast<size_t>(width) * static_cast<size_t>(height) * 3) return -1;
  int red = 0;
  for (size_t i = start; i + 2 < ppm.size(); i += 3) {
    const auto r = static_cast<unsigned char>(ppm[i]);
    const auto g = static_cast<unsigned char>(ppm[i + 1]);
    const auto b = static_cast<unsigned char>(ppm[i + 2]);
    if (r > 180 && g < 90 && b < 90) ++red;
  }
  return red;
}

TEST_F(Printing, QualityDecidesWhetherMarkupColoursPrint) {
  const std::string text = "\x02\x08plain\r\n\x01\x05RED RED RED RED RED\r\n";
  WritePrivateProfileStringA("Printing", "Quality", "0", GetIniPath());
  Print(text, qvp::PrintAnswer());
  ASSERT_EQ(Pdfs().size(), 1u);
  EXPECT_GT(RedPixels(dir_.file("pdf/Quorvane(tm) Report 1.pdf")), 20);
  WritePrivateProfileStringA("Printing", "Quality", "3", GetIniPath());
  Print(text, qvp::PrintAnswer());
  ASSERT_EQ(Pdfs().size(), 2u);
  EXPECT_EQ(RedPixels(dir_.file("pdf/Quorvane(tm) Report 2.pdf")), 0);
  // Both still carry every word.
  EXPECT_NE(CommandOutput("pdftotext '" + dir_.file("pdf/Quorvane(tm) Report 2.pdf") + "' -").find("RED RED"),
            std::string::npos);
}

TEST_F(Printing, ADocumentThatCannotBeWrittenIsReported) {
  setenv("QV_PRINT_DIR", dir_.file("no/such/folder").c_str(), 1);
  dir_.write("report.txt", "one line\r\n");
  qvp::UiDriver ui;
  ui.Prompts().Expect(qvp::PrintAnswer());
  ui.ExpectMessageBox("refused the document", IDOK);
  ui.OnDialog(kViewerTemplate).Click(kPrintId).Click(IDOK);
  ShowTextViewer(nullptr, dir_.file("report.txt").c_str(), 0);
  for (const auto& p : ui.Problems()) ADD_FAILURE() << p;
  EXPECT_TRUE(Pdfs().empty());
}

TEST(PrintMargins, CodesAreFractionsOfAnInch) {
  EXPECT_EQ(MarginPixels(34, 300), 225);
  EXPECT_EQ(MarginPixels(12, 300), 150);
  EXPECT_EQ(MarginPixels(20, 300), 600);
  EXPECT_EQ(MarginPixels(0, 300), 0);
}

}  // namespace
