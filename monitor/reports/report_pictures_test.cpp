// Each report and schedule dialog paints its picture: the picture is blitted
// onto its control and its pixels show there, over the button face.
#include <gtest/gtest.h>

#include <cstring>
#include <ctime>
#include <map>
#include <string>

#include "entry_format.h"
#include "qv_ui.h"
#include "qv_ui_internal.h"
#include "qvplatform/gdi_paint_log.h"
#include "qvplatform/ui_driver.h"
#include "report_dialogs.h"
#include "report_resources.h"
#include "report_runner.h"
#include "report_test_support.h"
#include "save_to_controls.h"

namespace {

using qvp::UiDriver;

struct Painted {
  bool shown = false;    // the control was found and painted
  int blits = 0;         // blits of the picture onto the control
  RECT blit{};           // where the last one went
  int pictureDots = 0;   // sampled pixels that are not the button face
};

// Repaints control `id` of `dialog` and reads what it drew.
Painted PaintPicture(HWND dialog, int id) {
  Painted out;
  HWND control = GetDlgItem(dialog, id);
  if (control == nullptr) return out;
  qvp::ClearWindowPaintLog(control);
  InvalidateRect(control, nullptr, TRUE);
  UpdateWindow(control);
  out.shown = true;
  for (const qvp::PaintRecord& record : qvp::GetWindowPaintLog(control).records) {
    if (record.kind != qvp::PaintKind::kBlit) continue;
    ++out.blits;
    out.blit = record.rect;
  }
  const COLORREF face = GetSysColor(COLOR_BTNFACE);
  HDC dc = GetDC(control);
  for (int y = 2; y < 30; y += 4) {
    for (int x = 2; x < 30; x += 4) {
      const COLORREF dot = GetPixel(dc, x, y);
      if (dot != CLR_INVALID && dot != face) ++out.pictureDots;
    }
  }
  ReleaseDC(control, dc);
  return out;
}

std::map<int, Painted> g_painted;

// An engine that looks at the progress dialog while the report is made.
int LookingEngine(const char* /*script*/, void* /*request*/, ReportSummaryProc /*summary*/,
                  ReportPropertyProc /*property*/, ReportStatusProc /*status*/, ReportFileProc /*files*/) {
  qvp::driver::WindowQuery progress;
  progress.template_id = IDD_ALERT_REPORT;
  if (HWND dialog = qvp::driver::Find(progress))
    g_painted[IDC_ALERT_REPORT_BITMAP] = PaintPicture(dialog, IDC_ALERT_REPORT_BITMAP);
  return 0;
}

class ReportPicturesTest : public ReportPluginTest {
 protected:
  void SetUp() override {
    ReportPluginTest::SetUp();
    g_painted.clear();
    qvui::SetProgramDirectoryForTests(dir_.dir());
    StoreHostCallback(HC_CREATE_REPORT, reinterpret_cast<FARPROC>(&LookingEngine));
    Profile("lert0000.amp", "Web server", "h1");
    QVLS_FIELD fields[3] = {{4, "STATUS"}, {5, "UP"}, {8, "700"}};
    dir_.write("qvm_alrt/QVM_ALRT.LOG", qvls::EncodeEntry(fields, 3, 1000000000u));
    Start();
  }
  void TearDown() override {
    qvui::SetProgramDirectoryForTests("");
    ReportPluginTest::TearDown();
  }
  static std::function<void(HWND)> Look(int id) {
    return [id](HWND dialog) { g_painted[id] = PaintPicture(dialog, id); };
  }
};

TEST_F(ReportPicturesTest, EveryDialogPaintsItsPicture) {
  UiDriver driver;
  driver.OnDialog(IDD_REPORT).Do(Look(IDC_REPORT_BITMAP)).Click(IDC_REPORT_MEMORIZE);
  driver.OnDialog(IDD_MEMORIZED_NAME).Do(Look(IDC_NAME_BITMAP)).Click(IDCANCEL);
  driver.OnDialog(IDD_REPORT).Click(IDCANCEL);
  EXPECT_EQ(GenerateReportForRow(nullptr, rows_[0]), PLUGIN_FAILED);

  driver.OnDialog(IDD_SCHEDULE).Do(Look(IDC_SCHEDULE_BITMAP)).Click(IDCANCEL);
  SCHEDULE_EVENT* event = nullptr;
  EXPECT_EQ(EditScheduledEvent(nullptr, nullptr, &event), PLUGIN_FAILED);

  driver.OnDialog(IDD_WEB_LOGIN).Do(Look(IDC_LOGIN_BITMAP)).Click(IDCANCEL);
  WebLoginRecord login{};
  login.kind = kSaveToFtp;
  EXPECT_EQ(RunWebServerLoginDialog(nullptr, &login), 2);
  for (const std::string& problem : driver.Problems()) ADD_FAILURE() << problem;

  ReportRequestWithReport run{};
  run.request.profile = rows_[0];
  run.request.report = &run.report;
  run.request.scheduled = 1;
  std::strcpy(run.request.logPath, QVUI_GetScheduleLogFilename(nullptr));
  run.report.reportType = 1;
  std::strcpy(run.report.saveTo, "r.htm");
  RunAlertReportDialog(nullptr, &run.request);

  // Control -> the size of its picture.
  const std::map<int, SIZE> pictures = {{IDC_REPORT_BITMAP, {48, 48}},   {IDC_NAME_BITMAP, {32, 32}},
                                        {IDC_SCHEDULE_BITMAP, {32, 32}}, {IDC_LOGIN_BITMAP, {32, 32}},
                                        {IDC_ALERT_REPORT_BITMAP, {32, 32}}};
  for (const auto& [id, size] : pictures) {
    SCOPED_TRACE("control " + std::to_string(id));
    const Painted& painted = g_painted[id];
    ASSERT_TRUE(painted.shown);
    EXPECT_EQ(painted.blits, 1);
    EXPECT_EQ(painted.blit.left, 0);
    EXPECT_EQ(painted.blit.top, 0);
    EXPECT_EQ(painted.blit.right, size.cx);
    EXPECT_EQ(painted.blit.bottom, size.cy);
    EXPECT_GT(painted.pictureDots, 20);
  }
  EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
}

}  // namespace
