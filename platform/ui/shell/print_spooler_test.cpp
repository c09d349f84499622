// Print jobs reaching a CUPS scheduler the test starts itself, and the file
// printer when no scheduler answers.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "gdi/print_doc.h"
#include "private_spooler.h"
#include "qvplatform.h"

namespace {

using qvtest::PrivateSpooler;
using qvtest::SpoolQueue;

const std::vector<SpoolQueue> kQueues = {{"Laser", false, true}, {"Office", true, true}, {"Shut", false, false}};

// The printer's context from the print dialog, as the user answers it.
HDC PrinterDC(const std::string& printer, int copies) {
  qvp::PromptScript script;
  qvp::PrintChoice choice;
  choice.copies = copies;
  script.Expect(qvp::PrintAnswer(choice, printer));
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.Flags = PD_RETURNDC | PD_USEDEVMODECOPIESANDCOLLATE | PD_NOSELECTION | PD_HIDEPRINTTOFILE;
  pd.nCopies = 1;
  if (!PrintDlgA(&pd)) return nullptr;
  GlobalFree(pd.hDevMode);
  GlobalFree(pd.hDevNames);
  return pd.hDC;
}

// Starts a document of one page with a line of text; the job's id.
int StartOnePage(HDC dc, const char* title) {
  DOCINFOA doc{};
  doc.cbSize = sizeof doc;
  doc.lpszDocName = title;
  const int job = StartDocA(dc, &doc);
  if (job <= 0 || StartPage(dc) <= 0) return -1;
  TextOutA(dc, 300, 300, "Quarterly figures", 17);
  return job;
}

class Spooler : public ::testing::Test {
 protected:
  void SetUp() override {
    qvp::TakeUnexpectedPrompts();
    dir_ = std::filesystem::temp_directory_path() / ("qv-print-" + std::to_string(getpid()));
    std::filesystem::create_directories(dir_);
    setenv("QV_PRINT_DIR", dir_.c_str(), 1);
  }
  void TearDown() override {
    unsetenv("QV_PRINT_DIR");
    std::filesystem::remove_all(dir_);
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }
  // A scheduler of the test's own, or a skip (outside CI) when it can't run here.
  bool Start() {
    spooler_ = std::make_unique<PrivateSpooler>(kQueues);
    if (spooler_->Problem().empty()) return true;
    if (std::getenv("CI") != nullptr) ADD_FAILURE() << spooler_->Problem();
    return false;
  }
  std::filesystem::path dir_;
  std::unique_ptr<PrivateSpooler> spooler_;
};

TEST_F(Spooler, DestinationsDefaultFirstThenTheFilePrinter) {
  if (!Start()) GTEST_SKIP() << spooler_->Problem();
  const std::vector<std::string> expected{"Office", "Laser", "Shut", "PDF File"};
  EXPECT_EQ(qvp::Printers(), expected);
}

TEST_F(Spooler, TheDocumentArrivesByteForByteOncePerCopy) {
  if (!Start()) GTEST_SKIP() << spooler_->Problem();
  HDC dc = PrinterDC("Office", 1);
  ASSERT_NE(dc, nullptr);
  ASSERT_GT(StartOnePage(dc, "Quarterly"), 0);
  EXPECT_GT(EndPage(dc), 0);
  ASSERT_GT(EndDoc(dc), 0);
  const std::string one = qvp::gdi::LastDocumentBytes();
  ASSERT_EQ(one.compare(0, 5, "%PDF-"), 0);
  EXPECT_EQ(spooler_->WaitForBytes(one.size()), one);
  EXPECT_EQ(spooler_->JobTitles(), std::vector<std::string>{"Quarterly"});
  DeleteDC(dc);

  // Two copies of the next document follow the first on the device.
  dc = PrinterDC("Laser", 2);
  ASSERT_NE(dc, nullptr);
  ASSERT_GT(StartOnePage(dc, "Twice"), 0);
  ASSERT_GT(EndDoc(dc), 0);  // the open page ends with the document
  const std::string two = qvp::gdi::LastDocumentBytes();
  EXPECT_EQ(spooler_->WaitForBytes(one.size() + 2 * two.size()), one + two + two);
  DeleteDC(dc);
  // Nothing is left in the print folder.
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST_F(Spooler, ARefusedOrAbortedJobPrintsNothing) {
  if (!Start()) GTEST_SKIP() << spooler_->Problem();
  HDC dc = PrinterDC("Shut", 1);
  ASSERT_NE(dc, nullptr);
  ASSERT_GT(StartOnePage(dc, "Refused"), 0);
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  EXPECT_TRUE(qvp::gdi::LastDocumentBytes().empty());
  DeleteDC(dc);

  // The user cancels while the pages are made: the abort procedure says stop.
  dc = PrinterDC("Office", 1);
  ASSERT_NE(dc, nullptr);
  SetAbortProc(dc, [](HDC, int) -> BOOL { return FALSE; });
  const DOCINFOA doc{sizeof(DOCINFOA), "Aborted", nullptr, nullptr, 0};
  ASSERT_GT(StartDocA(dc, &doc), 0);
  EXPECT_EQ(StartPage(dc), SP_ERROR);
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  DeleteDC(dc);
  EXPECT_TRUE(spooler_->JobTitles().empty());
  EXPECT_TRUE(std::filesystem::is_empty(dir_));
}

TEST_F(Spooler, WithoutASchedulerTheFilePrinterWrites) {
  // A scheduler that is not there: a loopback port nobody listens on.
  setenv("CUPS_SERVER", "127.0.0.1:1", 1);
  EXPECT_EQ(qvp::Printers(), std::vector<std::string>{"PDF File"});
  HDC dc = PrinterDC("PDF File", 3);
  ASSERT_NE(dc, nullptr);
  ASSERT_GT(StartOnePage(dc, "Quarterly"), 0);
  ASSERT_GT(EndDoc(dc), 0);
  EXPECT_EQ(std::filesystem::path(qvp::LastPrintedFile()), dir_ / "Quarterly 1.pdf");
  EXPECT_EQ(std::filesystem::file_size(dir_ / "Quarterly 1.pdf"), qvp::gdi::LastDocumentBytes().size());
  DeleteDC(dc);
  // A spooler destination that is not there fails the document.
  qvp::SetPrinters({"Gone", "PDF File"});
  dc = PrinterDC("Gone", 1);
  ASSERT_NE(dc, nullptr);
  ASSERT_GT(StartOnePage(dc, "Quarterly"), 0);
  EXPECT_EQ(EndDoc(dc), SP_ERROR);
  DeleteDC(dc);
  qvp::UseSpoolerPrinters();
  unsetenv("CUPS_SERVER");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir_), {}), 1);
}

}  // namespace
