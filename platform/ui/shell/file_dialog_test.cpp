#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "qvplatform.h"
#include "ui/shell/file_names.h"

namespace fs = std::filesystem;

namespace {

class FileDialog : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/qv_filedlg_XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    root_ = pattern;
    fs::create_directories(root_ / "REPORTS");
    fs::create_directories(root_ / "OTHER");
    ASSERT_TRUE(qvp::SetDriveMapping('Q', root_.c_str()));
    qvp::TakeUnexpectedPrompts();
  }
  void TearDown() override {
    qvp::SetDriveMapping('Q', nullptr);
    fs::remove_all(root_);
  }
  void Touch(const std::string& relative) { std::ofstream(root_ / relative) << "x"; }

  // An open/save structure over `buffer` starting in Q:\REPORTS.
  OPENFILENAMEA Ofn(char* buffer, DWORD size, DWORD flags) {
    OPENFILENAMEA ofn{};
    ofn.lStructSize = sizeof ofn;
    ofn.lpstrFilter = "Web pages\0*.htm;*.html\0Text\0*.txt\0";
    ofn.nFilterIndex = 1;
    ofn.lpstrFile = buffer;
    ofn.nMaxFile = size;
    ofn.lpstrInitialDir = "Q:\\REPORTS";
    ofn.Flags = flags;
    return ofn;
  }

  fs::path root_;
};

TEST_F(FileDialog, HeadlessWithoutAScriptIsCancelledAndLogged) {
  char file[MAX_PATH] = "REPORT.HTM";
  OPENFILENAMEA ofn = Ofn(file, sizeof file, OFN_FILEMUSTEXIST);
  ofn.lpstrTitle = "Open a report";
  qvp::CaptureDebugOutput(true);
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_FALSE(GetSaveFileNameA(&ofn));
  std::string out = qvp::TakeDebugOutput();
  qvp::CaptureDebugOutput(false);
  EXPECT_NE(out.find("OpenFile [Open a report] REPORT.HTM"), std::string::npos) << out;
  EXPECT_NE(out.find("SaveFile [Open a report]"), std::string::npos) << out;
  EXPECT_STREQ(file, "REPORT.HTM");
}

TEST_F(FileDialog, OpenTakesANameInTheStartFolderWithTheDefaultExtension) {
  Touch("REPORTS/weekly.htm");
  char file[MAX_PATH] = "REPORT.HTM";
  char title[8];
  OPENFILENAMEA ofn = Ofn(file, sizeof file, OFN_FILEMUSTEXIST | OFN_HIDEREADONLY);
  ofn.lpstrDefExt = "htm";
  ofn.lpstrFileTitle = title;
  ofn.nMaxFileTitle = sizeof title;
  qvp::PromptScript script;
  script.Expect(qvp::OpenFileAnswer("weekly", 2));
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_STREQ(file, "Q:\\REPORTS\\weekly.htm");
  EXPECT_EQ(ofn.nFileOffset, 11);
  EXPECT_EQ(ofn.nFileExtension, 18);
  EXPECT_EQ(ofn.nFilterIndex, 2u);
  EXPECT_STREQ(title, "weekly.");  // cut to its buffer
  EXPECT_EQ(CommDlgExtendedError(), 0u);

  std::vector<qvp::PromptRecord> records = script.Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].kind, qvp::PromptKind::kOpenFile);
  EXPECT_EQ(records[0].caption, "Open");
  EXPECT_EQ(records[0].text, "REPORT.HTM");
  EXPECT_EQ(records[0].directory, "Q:\\REPORTS");
  EXPECT_EQ(records[0].filters, (std::vector<std::string>{"Web pages|*.htm;*.html", "Text|*.txt"}));
  EXPECT_TRUE(records[0].scripted);
  EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
}

TEST_F(FileDialog, AMissingFileIsRefusedAndAskedAgain) {
  Touch("OTHER/there.txt");
  char file[MAX_PATH] = "";
  OPENFILENAMEA ofn = Ofn(file, sizeof file, OFN_FILEMUSTEXIST);
  {
    qvp::PromptScript script;
    script.Expect(qvp::OpenFileAnswer("missing.txt"));
    script.ExpectMessageBox("File not found", IDOK);
    script.Expect(qvp::OpenFileAnswer("Q:\\other\\THERE.TXT"));
    ASSERT_TRUE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(script.Pending(), 0u);
    EXPECT_STREQ(file, "Q:\\other\\THERE.TXT");
    // The missing folder of a name is refused the same way.
    script.Expect(qvp::OpenFileAnswer("Q:\\nowhere\\x.txt"));
    script.ExpectMessageBox("Path does not exist", IDOK);
    script.Expect(qvp::CancelAnswer(qvp::PromptKind::kOpenFile));
    EXPECT_FALSE(GetOpenFileNameA(&ofn));
    EXPECT_EQ(CommDlgExtendedError(), 0u);
    EXPECT_EQ(script.Pending(), 0u);
  }
  EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());

  // A script that did not expect the refusal sees it reported.
  qvp::PromptScript script;
  script.Expect(qvp::OpenFileAnswer("missing.txt"));
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  std::vector<qvp::PromptRecord> unexpected = qvp::TakeUnexpectedPrompts();
  ASSERT_EQ(unexpected.size(), 2u);
  EXPECT_EQ(unexpected[0].kind, qvp::PromptKind::kMessageBox);
  EXPECT_EQ(unexpected[1].kind, qvp::PromptKind::kOpenFile);
}

TEST_F(FileDialog, SaveAppendsThreeCharactersAndAsksBeforeOverwriting) {
  Touch("REPORTS/old.htm");
  char file[MAX_PATH] = "";
  OPENFILENAMEA ofn = Ofn(file, sizeof file, OFN_OVERWRITEPROMPT | OFN_HIDEREADONLY);
  ofn.lpstrDefExt = "html";
  qvp::PromptScript script;
  script.Expect(qvp::SaveFileAnswer("new"));
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_STREQ(file, "Q:\\REPORTS\\new.htm");

  // No to the overwrite question: the dialog stays and takes another name.
  script.Expect(qvp::SaveFileAnswer("old"));
  script.ExpectMessageBox("already exists", IDNO);
  script.Expect(qvp::SaveFileAnswer("kept.txt"));
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_STREQ(file, "Q:\\REPORTS\\kept.txt");
  script.Expect(qvp::SaveFileAnswer("old."));  // a trailing dot: no extension is added
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_STREQ(file, "Q:\\REPORTS\\old.");
  EXPECT_EQ(ofn.nFileExtension, 0);
  script.Expect(qvp::SaveFileAnswer("old"));
  script.ExpectMessageBox("already exists", IDYES);
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_STREQ(file, "Q:\\REPORTS\\old.htm");
  EXPECT_EQ(script.Pending(), 0u);

  // Without the flag an existing file is taken as it is.
  ofn.Flags = 0;
  script.Expect(qvp::SaveFileAnswer("old.htm"));
  ASSERT_TRUE(GetSaveFileNameA(&ofn));
  EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
}

TEST_F(FileDialog, ABufferTooSmallReportsTheSizeNeeded) {
  char file[10] = "";
  OPENFILENAMEA ofn = Ofn(file, sizeof file, 0);
  qvp::PromptScript script;
  script.Expect(qvp::OpenFileAnswer("longer-name.txt"));
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_BUFFERTOOSMALL));
  WORD needed = 0;
  std::memcpy(&needed, file, sizeof needed);
  EXPECT_EQ(needed, std::strlen("Q:\\REPORTS\\longer-name.txt") + 1);
}

TEST_F(FileDialog, SeveralFilesComeBackInOneBuffer) {
  char file[MAX_PATH] = "";
  OPENFILENAMEA ofn = Ofn(file, sizeof file, OFN_ALLOWMULTISELECT | OFN_EXPLORER);
  qvp::PromptScript script;
  script.Expect(qvp::OpenFilesAnswer({"a.txt", "b.log"}));
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  const char expected[] = "Q:\\REPORTS\0a.txt\0b.log\0";
  EXPECT_EQ(std::memcmp(file, expected, sizeof expected), 0);
  EXPECT_EQ(ofn.nFileOffset, 11);

  // The older style separates the names with blanks.
  ofn.Flags = OFN_ALLOWMULTISELECT;
  script.Expect(qvp::OpenFilesAnswer({"a.txt", "b.log"}));
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_STREQ(file, "Q:\\REPORTS a.txt b.log");

  // One file is a plain path, ending in two NULs.
  ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER;
  script.Expect(qvp::OpenFilesAnswer({"one.txt"}));
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  const char single[] = "Q:\\REPORTS\\one.txt\0";
  EXPECT_EQ(std::memcmp(file, single, sizeof single), 0);

  // Files from two folders, or several without the flag, cannot be chosen.
  script.Expect(qvp::OpenFilesAnswer({"a.txt", "..\\OTHER\\b.txt"}));
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  ofn.Flags = 0;
  script.Expect(qvp::OpenFilesAnswer({"a.txt", "b.txt"}));
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(qvp::TakeUnexpectedPrompts().size(), 2u);
}

TEST_F(FileDialog, RefusesBadStructuresAndKeepsTheOwnerDisabledMeanwhile) {
  char file[MAX_PATH] = "";
  OPENFILENAMEA ofn = Ofn(file, sizeof file, 0);
  ofn.lStructSize = 40;
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_STRUCTSIZE));
  ofn.lStructSize = 76;  // the size the structure has in 32-bit programs
  ofn.hwndOwner = reinterpret_cast<HWND>(0x4242);
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_DIALOGFAILURE));
  ofn.hwndOwner = nullptr;
  ofn.lpstrFile = nullptr;
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_INITIALIZATION));
  ofn.lpstrFile = file;
  std::strcpy(file, "bad|name");
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(FNERR_INVALIDFILENAME));
  std::strcpy(file, "*.htm");  // a pattern is a fine start
  ofn.Flags = OFN_ENABLEHOOK;
  EXPECT_FALSE(GetOpenFileNameA(&ofn));
  EXPECT_EQ(CommDlgExtendedError(), static_cast<DWORD>(CDERR_NOHOOK));
  ofn.Flags = 0;

  WNDCLASSA wc{};
  wc.lpfnWndProc = DefWindowProcA;
  wc.lpszClassName = "FileDialogOwner";
  RegisterClassA(&wc);
  HWND owner = CreateWindowExA(0, "FileDialogOwner", "o", WS_OVERLAPPEDWINDOW, 0, 0, 50, 50, nullptr, nullptr,
                               nullptr, nullptr);
  HWND child = CreateWindowExA(0, "FileDialogOwner", "c", WS_CHILD, 0, 0, 5, 5, owner, nullptr, nullptr, nullptr);
  ofn.hwndOwner = child;
  qvp::PromptScript script;
  qvp::ExpectedPrompt e = qvp::OpenFileAnswer("x.txt");
  bool was_enabled = true;
  e.respond = [&](const qvp::PromptRecord& r) {
    EXPECT_EQ(r.owner, child);
    was_enabled = IsWindowEnabled(owner) != FALSE;
    return qvp::OpenFileAnswer("x.txt").answer;
  };
  script.Expect(e);
  ASSERT_TRUE(GetOpenFileNameA(&ofn));
  EXPECT_FALSE(was_enabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  DestroyWindow(owner);
}

TEST(FileNames, FiltersOffsetsAndExtensions) {
  using namespace qvp::ui::commdlg;
  EXPECT_EQ(ParseFilters("All\0*.*\0Lonely\0"), (std::vector<std::string>{"All|*.*"}));
  EXPECT_TRUE(ParseFilters(nullptr).empty());
  const char unterminated[] = {'A', '\0', '*', '.', 'x'};
  EXPECT_EQ(ParseFilters(unterminated, sizeof unterminated), (std::vector<std::string>{"A|*.x"}));

  EXPECT_EQ(NameOffset("C:\\dir\\file.txt"), 7u);
  EXPECT_EQ(NameOffset("C:file"), 2u);
  EXPECT_EQ(NameOffset("file"), 0u);
  EXPECT_EQ(ExtensionOffset("C:\\d.ir\\name"), 12u);  // no extension: the end
  EXPECT_EQ(ExtensionOffset("C:\\d\\name.tar.gz"), 14u);
  EXPECT_EQ(ExtensionOffset("name."), 0u);

  EXPECT_EQ(WithDefaultExtension("C:\\d.x\\rep", "html"), "C:\\d.x\\rep.htm");
  EXPECT_EQ(WithDefaultExtension("rep.v2", "txt"), "rep.v2");
  EXPECT_EQ(WithDefaultExtension("rep", ""), "rep");
  EXPECT_EQ(FolderOf("C:\\a.txt"), "C:\\");
  EXPECT_EQ(FolderOf("/a.txt"), "/");
  EXPECT_EQ(FolderOf("C:\\x\\a.txt"), "C:\\x");

  EXPECT_FALSE(ValidFileName(""));
  EXPECT_FALSE(ValidFileName("C:\\dir\\"));
  EXPECT_FALSE(ValidFileName("a?.txt"));
  EXPECT_TRUE(ValidFileName("a?.txt", true));
  EXPECT_FALSE(ValidFileName("a\tb"));
}

}  // namespace
