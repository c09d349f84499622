// Printing a report on a screen: a user of the built quorvane on a private X
// server opens a text report from the panel's File menu, prints it from the
// report viewer with the print dialog's "PDF File" printer, and finds the PDF.
#include <cstdio>
#include <filesystem>
#include <string>

#include <gtest/gtest.h>

#include "loopback_peers.h"
#include "screen_session.h"

namespace {

using qvtest::CommandOutput;

class ReportPrintOnScreen : public qvtest::ScreenTest {
 protected:
  ReportPrintOnScreen()
      : ScreenTest({.folder = "qvreportprint",
                    .folders = {"program/REPORTS", "pdf"},
                    .tools = {{"pdftotext", "poppler-utils"}}}) {}
  void Prepare() override {
    std::string report;
    for (int i = 1; i <= 12; ++i) report += "Weekly uptime line " + std::to_string(i) + "\r\n";
    root_.write("program/REPORTS/weekly.txt", report);
  }
};

TEST_F(ReportPrintOnScreen, AUserOpensAReportAndPrintsItToAPdfFile) {
  // CUPS_SERVER names a loopback port nobody listens on: no spooler, only the file printer.
  const unsigned long panel = StartToPanel({"QV_PRINT_DIR=" + Path("pdf").string(), "CUPS_SERVER=127.0.0.1:1"});
  ASSERT_NE(panel, 0u) << program_->Output();
  // File on the menu bar, then its eighth item, Open Report..., below two separators.
  ASSERT_NE(OpenFromMenu(panel, 20, 40, 205, "Open Report", "0.5"), 0u) << program_->Output();
  ASSERT_NE(Focus("Open Report"), 0u) << program_->Output();
  ASSERT_EQ(Type("weekly.txt", 60), 0);
  ASSERT_EQ(Key("Return"), 0);
  ASSERT_NE(Focus("weekly.txt"), 0u) << program_->Output();
  // Print... in the viewer, then OK in the print dialog on its only printer.
  ASSERT_EQ(Key("alt+p"), 0);
  ASSERT_NE(Focus("Print"), 0u) << program_->Output();
  ASSERT_EQ(Key("Return"), 0);

  const std::filesystem::path pdf = Path("pdf/Quorvane(tm) Report 1.pdf");
  ASSERT_TRUE(WaitForFile(pdf)) << program_->Output().substr(0, 4000);
  // The file is whole once the viewer is back: pdftotext reads every line.
  std::string text;
  Eventually([&] {
    text = CommandOutput("pdftotext '" + pdf.string() + "' - 2>/dev/null");
    return text.find("line 12") != std::string::npos;
  });
  for (int i = 1; i <= 12; ++i)
    EXPECT_NE(text.find("Weekly uptime line " + std::to_string(i) + "\n"), std::string::npos) << i << "\n" << text;
  // The viewer and the panel close as a user closes them.
  Focus("weekly.txt");
  Key("Escape");
  Focus(kPanelTitle);
  Key("alt+F4");
}

}  // namespace
