// The report viewer as a user meets it: opened on a file, read, searched,
// its font changed, saved and closed.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "app_globals.h"
#include "ctlpack4.h"
#include "mega_view.h"
#include "program_paths.h"
#include "qv_ui_shell.h"
#include "qvplatform/ui_driver.h"
#include "resource_cache.h"
#include "test_dir.h"
#include "viewer_test_support.h"

namespace {

std::string Text(HWND dialog, int id) {
  char text[256] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

std::string ComboChoice(HWND dialog, int id) {
  const LRESULT at = SendDlgItemMessageA(dialog, id, CB_GETCURSEL, 0, 0);
  char text[64] = {};
  if (at >= 0) SendDlgItemMessageA(dialog, id, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
  return text;
}

class Viewer : public ::testing::Test {
 protected:
  void SetUp() override {
    qv::SetProgramDirForTests(dir_.dir().c_str());
    ASSERT_NO_FATAL_FAILURE(modules_.Load());
  }
  void TearDown() override {
    modules_.Unload();
    qv::SetProgramDirForTests(nullptr);
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }
  std::string Ini(const char* key) {
    char text[64] = {};
    GetPrivateProfileStringA("Report", key, "", text, sizeof text, GetIniPath());
    return text;
  }
  // Runs the viewer on `file` with the steps given, and returns the driver's problems.
  void Run(qvp::UiDriver& ui, const std::string& file) {
    ShowTextViewer(nullptr, file.c_str(), 0);
    for (const auto& p : ui.Problems()) ADD_FAILURE() << p;
  }

  TestDir dir_;
  viewertest::ViewerModules modules_;
};

TEST_F(Viewer, APlainFileShowsInCourierWithItsCountsAndClosesKeepingThePlace) {
  dir_.write("week.txt", "first\r\nsecond\r\nthird\r\n");
  qvp::UiDriver ui;
  ui.OnDialog(kViewerTemplate).Do([](HWND dialog) {
    char title[64] = {};
    GetWindowTextA(dialog, title, sizeof title);
    EXPECT_STREQ(title, "week.txt");
    EXPECT_EQ(ComboChoice(dialog, kFaceComboId), "Courier");
    EXPECT_EQ(ComboChoice(dialog, kSizeComboId), " 8");
    EXPECT_EQ(Text(dialog, kLineCountId), "3");
    EXPECT_EQ(Text(dialog, kPageId), "1");
    EXPECT_EQ(Text(dialog, kPageCountId), "1");
    EXPECT_EQ(Text(dialog, IDOK), "Close");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(dialog, kSaveId)));
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(dialog, kProgressId)));
    EXPECT_EQ(SendDlgItemMessageA(dialog, kViewerTextId, kViewerLineCount, 0, 0), 3);
  }).Click(IDOK);
  Run(ui, dir_.file("week.txt"));
  EXPECT_NE(Ini("WindowWidth"), "");
  EXPECT_NE(Ini("WindowWidth"), "0");
  // The plain file's face is not stored: the user chose none.
  EXPECT_EQ(Ini("FontFace"), "");
}

TEST_F(Viewer, TabCodesKeepTheStoredFaceAndOddSizesFallBack) {
  WritePrivateProfileStringA("Report", "FontFace", "Arial", GetIniPath());
  WritePrivateProfileStringA("Report", "FontSize", "7", GetIniPath());
  dir_.write("coded.rpt", std::string("\x02\x0A\x02\x14" "Name\tCount\r\n") + "a\t1\r\n");
  qvp::UiDriver ui;
  ui.OnDialog(kViewerTemplate).Do([](HWND dialog) {
    EXPECT_EQ(ComboChoice(dialog, kFaceComboId), "Arial");
    // 7 is not offered: the first size is selected.
    EXPECT_EQ(ComboChoice(dialog, kSizeComboId), " 4");
  }).Click(IDOK);
  Run(ui, dir_.file("coded.rpt"));

  // A size no font has reads as 8.
  WritePrivateProfileStringA("Report", "FontSize", "300", GetIniPath());
  int size = 0;
  char face[32];
  ReadViewerFont(face, sizeof face, &size);
  EXPECT_EQ(size, 8);
  EXPECT_STREQ(face, "Arial");
}

TEST_F(Viewer, AnEmptyFileIsPageOneOfOne) {
  dir_.write("empty.txt", "");
  qvp::UiDriver ui;
  ui.OnDialog(kViewerTemplate).Do([](HWND dialog) {
    EXPECT_EQ(Text(dialog, kLineCountId), "0");
    EXPECT_EQ(Text(dialog, kPageId), "1");
    EXPECT_EQ(Text(dialog, kPageCountId), "1");
  }).Click(IDOK);
  Run(ui, dir_.file("empty.txt"));
}

TEST_F(Viewer, ChangingTheSizeIsStoredAndTheFaceFollows) {
  dir_.write("a.txt", "x\r\n");
  qvp::UiDriver ui;
  ui.OnDialog(kViewerTemplate).Select(kSizeComboId, "12").Select(kFaceComboId, "Arial").Do([](HWND dialog) {
    EXPECT_EQ(ComboChoice(dialog, kSizeComboId), "12");
  }).Click(IDOK);
  Run(ui, dir_.file("a.txt"));
  EXPECT_EQ(Ini("FontFace"), "Arial");
  EXPECT_EQ(Ini("FontSize"), "12");
}

TEST_F(Viewer, FindGoesOnAsksAtTheEndAndSaysWhenNothingIsThere) {
  std::string text;
  for (int i = 0; i < 200; ++i) text += i == 150 ? "the Needle\r\n" : "hay\r\n";
  dir_.write("find.txt", text);
  qvp::UiDriver ui;
  ui.OnDialog(kViewerTemplate)
      .Type(kFindTextId, "needle")
      .Click(kFindId)
      .Do([](HWND dialog) {
        HWND control = GetDlgItem(dialog, kViewerTextId);
        char line[64] = {};
        SendMessageA(control, kViewerGetPlainLine, sizeof line, reinterpret_cast<LPARAM>(line));
        EXPECT_STREQ(line, "the Needle");
        EXPECT_NE(Text(dialog, kPageId), "");
      })
      .Click(kFindId)  // end reached: asked, No
      .Type(kFindTextId, "straw")
      .Click(kFindId)  // not found: told
      .Do([](HWND dialog) { SetDlgItemTextA(dialog, kFindTextId, ""); })
      .Click(kFindId)  // nothing to find: nothing asked
      .Click(IDOK);
  ui.ExpectMessageBox("end of the text", IDNO);
  ui.ExpectMessageBox("not found", IDOK);
  Run(ui, dir_.file("find.txt"));
}

TEST_F(Viewer, SaveWritesEveryLineWholeWithTabsExpanded) {
  const std::string longLine(70000, 'L');
  dir_.write("save.txt", "a\tb\r\n\r\n" + longLine + "\r\n" + std::string(81, 'x') + "\ty\r\nlast");
  qvp::UiDriver ui;
  ui.Prompts().Expect(qvp::SaveFileAnswer(dir_.file("out.txt"), 1));
  ui.OnDialog(kViewerTemplate).Click(kSaveId).Click(IDOK);
  Run(ui, dir_.file("save.txt"));
  // Tabs to the next stop of 8; empty lines kept; a tab past the last stop (80) one blank.
  EXPECT_EQ(dir_.read("out.txt"),
            "a       b\r\n\r\n" + longLine + "\r\n" + std::string(81, 'x') + " y\r\nlast\r\n");
  // The REPORTS folder was made for the dialog to start in.
  EXPECT_TRUE(std::filesystem::is_directory(dir_.path() / "REPORTS"));
}

TEST_F(Viewer, ASaveThatCannotWriteSaysSo) {
  dir_.write("s.txt", "x\r\n");
  qvp::UiDriver ui;
  ui.Prompts().Expect(qvp::SaveFileAnswer(dir_.file("no/such/dir/out.txt"), 1));
  ui.ExpectMessageBox("could not be saved", IDOK);
  ui.OnDialog(kViewerTemplate).Click(kSaveId).Click(IDOK);
  Run(ui, dir_.file("s.txt"));
}

TEST(ViewerTabs, ExpandToTheNextStopPastTheColumn) {
  const uint16_t stops[] = {4, 10};
  std::string out;
  ExpandViewerTabs("ab\tc\td\te", 8, 2, stops, &out);
  EXPECT_EQ(out, "ab  c     d e");
  ExpandViewerTabs("\t", 1, 0, stops, &out);
  EXPECT_EQ(out, " ");
}

}  // namespace
