// The options sheet's report-language page, driven as a user would: adding,
// editing, restoring, finding, replacing and removing languages, with the
// files checked after each step.
#include <string>
#include <vector>

#include "monitor_ui.h"
#include "report_language.h"
#include "sheet_test_support.h"

namespace {

using namespace sheettest;
using Lines = std::vector<std::string>;
using qvp::UiDriver;
namespace drv = qvp::driver;

constexpr char kTree[] =
    ":{Page}\n"
    "::{Report title} <TITLE>\n"
    "::{Creation line} <CREATED>\n"
    ":{Details}\n"
    "::{Columns}\n"
    ":::{Event column} <EVENT>\n"
    ":::{Time column} <TIME>\n"
    "::{Table title} <TABLE>\n";
constexpr char kEnglish[] =
    "; the texts of the reports\n"
    "<TITLE> {Alert Report:}\n"
    "<CREATED> {Created on}\n"
    "<EVENT> {Event}\n"
    "<TIME> {Date and time}\n"
    "<TABLE> {Events and Actions}\n";

enum Item { kPage, kTitle, kCreated, kDetails, kColumns, kEvent, kTime, kTable };

class ReportLanguageTest : public PluginFixture {
 protected:
  void SetUp() override {
    PluginFixture::SetUp();
    Put("LANG.TRE", kTree);
    Put("ENGLISH.RPL", kEnglish);
    Put("ENGLISH.ORG", kEnglish);
  }
  void TearDown() override {
    if (sheet_ != nullptr) DestroyWindow(sheet_);
    if (frame_ != nullptr) DestroyWindow(frame_);
    OptionsStartPage() = 0;
    PluginFixture::TearDown();
  }
  void Put(const std::string& name, const std::string& text) { dir_.write("qvm_alrt/Template/" + name, text); }
  std::string Get(const std::string& name) { return dir_.read("qvm_alrt/Template/" + name); }
  bool Has(const std::string& name) { return std::filesystem::exists(dir_.file("qvm_alrt/Template/" + name)); }

  // The options sheet open at the report-language page.
  HWND OpenPage() {
    frame_ = CreateWindowExA(0, "#32770", "Options", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 700, 500, nullptr,
                             nullptr, nullptr, nullptr);
    sheet_ = plugin_->CreateOptionSheet(frame_, nullptr, nullptr, nullptr, nullptr);
    EXPECT_NE(sheet_, nullptr);
    SendMessageA(sheet_, PSM_SETCURSEL, 2, 0);
    page_ = reinterpret_cast<HWND>(SendMessageA(sheet_, PSM_GETCURRENTPAGEHWND, 0, 0));
    EXPECT_EQ(drv::DialogTemplateId(page_), 16005u);
    return page_;
  }
  HWND Control(int id) { return GetDlgItem(page_, id); }
  void Press(int id) { EXPECT_TRUE(drv::Click(Control(id))); }
  std::string EditText() { return drv::Text(Control(16010)); }
  HTREEITEM Handle(int item) { return report_language::Editor().items.at(static_cast<size_t>(item)).handle; }
  void Pick(int item) { SendDlgItemMessageA(page_, 16011, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(Handle(item))); }
  int Picture(int item) {
    TVITEMA read{};
    read.mask = TVIF_HANDLE | TVIF_IMAGE;
    read.hItem = Handle(item);
    SendDlgItemMessageA(page_, 16011, TVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read));
    return 16000 + read.iImage;
  }
  std::string Ini(const std::string& section, const std::string& key) {
    return Value(qvtest::SectionLines(dir_.read("qvm_alrt/qvm_alrt.ini"), section), key);
  }

  HWND frame_ = nullptr;
  HWND sheet_ = nullptr;
  HWND page_ = nullptr;
};

TEST_F(ReportLanguageTest, TheTreeShowsTheItemsAndTheEditBoxTheSelectedText) {
  OpenPage();
  EXPECT_EQ(drv::Items(Control(16014)), (Lines{"ENGLISH (Default)"}));
  EXPECT_EQ(drv::SelectedText(Control(16014)), "ENGLISH (Default)");
  ASSERT_EQ(report_language::Editor().items.size(), 8u);
  // The columns group sits under Details, its items under it.
  auto parent = [&](int item) {
    return reinterpret_cast<HTREEITEM>(
        SendDlgItemMessageA(page_, 16011, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(Handle(item))));
  };
  EXPECT_EQ(parent(kColumns), Handle(kDetails));
  EXPECT_EQ(parent(kTime), Handle(kColumns));
  EXPECT_EQ(parent(kTable), Handle(kDetails));
  EXPECT_EQ(parent(kDetails), nullptr);
  EXPECT_EQ(Picture(kPage), 16004);
  EXPECT_EQ(Picture(kTitle), 16002);
  EXPECT_EQ(EditText(), "");  // the first item is a group
  Pick(kTime);
  EXPECT_EQ(EditText(), "Date and time");
  EXPECT_GT(SendMessageA(Control(16010), EM_GETLIMITTEXT, 0, 0), 1 << 20);  // long texts fit
  Press(16018);
  EXPECT_EQ(Picture(kColumns), 16001);
  EXPECT_EQ(Picture(kPage), 16001);
  Press(16017);
  EXPECT_EQ(Picture(kColumns), 16004);
  // The sheet's help shows the page's topic.
  UiDriver d;
  NMHDR help{sheet_, 0, static_cast<UINT>(PSN_HELP)};
  SendMessageA(page_, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&help));
  const std::vector<qvp::PromptRecord> records = d.Prompts().Records();
  ASSERT_EQ(records.size(), 1u);
  EXPECT_EQ(records[0].kind, qvp::PromptKind::kHelp);
  EXPECT_EQ(records[0].data, 9070u);
}

TEST_F(ReportLanguageTest, AddEditSaveAndSwitchKeepEveryFileWhole) {
  OpenPage();
  UiDriver d;
  d.OnDialog(16006).Type(16015, "GERMAN").Click(IDOK);
  Press(16012);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(Get("GERMAN.RPL"), kEnglish);
  EXPECT_EQ(Get("GERMAN.ORG"), kEnglish);
  EXPECT_EQ(drv::Items(Control(16014)), (Lines{"ENGLISH (Default)", "GERMAN"}));
  EXPECT_EQ(drv::SelectedText(Control(16014)), "GERMAN");

  // Typed braces never enter the item; the edit goes to the new language's file.
  Pick(kTitle);
  EXPECT_EQ(EditText(), "Alert Report:");
  ASSERT_TRUE(drv::TypeInto(Control(16010), "Alarm{bericht}"));
  EXPECT_EQ(EditText(), "Alarmbericht");
  EXPECT_EQ(Picture(kTitle), 16003);
  EXPECT_EQ(Get("GERMAN.RPL"), kEnglish);
  Press(16029);
  const std::string german = Get("GERMAN.RPL");
  EXPECT_NE(german.find("<TITLE> {Alarmbericht}\n"), std::string::npos);
  EXPECT_EQ(german.size(), std::string(kEnglish).size() - 1);
  EXPECT_EQ(Picture(kTitle), 16002);
  EXPECT_EQ(Get("ENGLISH.RPL"), kEnglish);
  EXPECT_EQ(Get("GERMAN.ORG"), kEnglish);

  // Add never overwrites a language, whatever the case, and takes plain names only.
  d.OnDialog(16006).Type(16015, "german").Click(IDOK);
  d.ExpectMessageBox("already exists", IDOK);
  d.OnDialog(16006).Type(16015, "..\\ENGLISH").Click(IDOK);
  d.ExpectMessageBox("plain file name", IDOK);
  d.OnDialog(16006).Click(IDCANCEL);
  Press(16012);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(Get("GERMAN.RPL"), german);
  EXPECT_EQ(Get("ENGLISH.RPL"), kEnglish);

  // Switching with changes asks; No drops them.
  Pick(kCreated);
  ASSERT_TRUE(drv::TypeInto(Control(16010), "Erstellt am"));
  d.ExpectMessageBox("do you want to save it before switch", IDNO);
  ASSERT_TRUE(drv::Select(Control(16014), "ENGLISH (Default)"));
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(Get("GERMAN.RPL"), german);
  EXPECT_EQ(EditText(), "Created on");
  EXPECT_EQ(Picture(kCreated), 16002);
  // Yes saves them before the switch.
  ASSERT_TRUE(drv::TypeInto(Control(16010), "Made on"));
  d.ExpectMessageBox("do you want to save it before switch", IDYES);
  ASSERT_TRUE(drv::Select(Control(16014), "GERMAN"));
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_NE(Get("ENGLISH.RPL").find("<CREATED> {Made on}"), std::string::npos);
  EXPECT_EQ(EditText(), "Created on");
}

TEST_F(ReportLanguageTest, ASaveThatFailsSaysSoAndKeepsTheChanges) {
  OpenPage();
  Pick(kEvent);
  ASSERT_TRUE(drv::TypeInto(Control(16010), "Incident"));
  // The language file's place is taken by a folder: nothing can be put there.
  std::filesystem::remove(dir_.file("qvm_alrt/Template/ENGLISH.RPL"));
  std::filesystem::create_directory(dir_.file("qvm_alrt/Template/ENGLISH.RPL"));
  UiDriver d;
  d.ExpectMessageBox("Cannot save file", IDOK);
  Press(16029);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_TRUE(report_language::Editor().modified);
  EXPECT_EQ(Picture(kEvent), 16003);
  EXPECT_TRUE(std::filesystem::is_directory(dir_.file("qvm_alrt/Template/ENGLISH.RPL")));
  // The temporary file of the failed save is gone.
  int files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.file("qvm_alrt/Template"))) {
    files += entry.is_regular_file() ? 1 : 0;
  }
  EXPECT_EQ(files, 2);  // LANG.TRE, ENGLISH.ORG
  ASSERT_FALSE(d.Prompts().Records().empty());
  EXPECT_EQ(d.Prompts().Records().back().caption, "Save");
}

TEST_F(ReportLanguageTest, RestoreTakesAnItemOrTheWholeLanguageFromTheOriginal) {
  std::string changed = kEnglish;
  changed.replace(changed.find("Alert Report:"), 13, "Changed");
  changed.replace(changed.find("Created on"), 10, "Made");
  Put("ENGLISH.RPL", changed);
  OpenPage();
  Pick(kTitle);
  EXPECT_EQ(EditText(), "Changed");
  UiDriver d;
  d.OnDialog(16008).Click(IDOK);
  Press(16009);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(EditText(), "Alert Report:");
  EXPECT_EQ(Picture(kTitle), 16003);
  EXPECT_EQ(Get("ENGLISH.RPL"), changed);  // not saved yet

  d.OnDialog(16008).Check(16031).Click(IDOK);
  Press(16009);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(Get("ENGLISH.RPL"), kEnglish);
  EXPECT_EQ(Picture(kTitle), 16002);
  EXPECT_FALSE(report_language::Editor().modified);
  Pick(kCreated);
  EXPECT_EQ(EditText(), "Created on");

  // Without the original, restoring fails and says so.
  std::filesystem::remove(dir_.file("qvm_alrt/Template/ENGLISH.ORG"));
  d.OnDialog(16008).Check(16031).Click(IDOK);
  d.ExpectMessageBox("Cannot restore the report language", IDOK);
  Press(16009);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(Get("ENGLISH.RPL"), kEnglish);
}

TEST_F(ReportLanguageTest, FindAndReplaceGoThroughTheItemsAndCloseWithThePage) {
  OpenPage();
  Press(16020);
  drv::WindowQuery query;
  query.template_id = 16007;
  HWND find = drv::Find(query);
  ASSERT_NE(find, nullptr);
  auto at = [&](int id) { return GetDlgItem(find, id); };
  EXPECT_FALSE(drv::Enabled(at(16025)));
  EXPECT_FALSE(drv::Enabled(at(16026)));
  EXPECT_FALSE(drv::Enabled(at(16027)));
  EXPECT_EQ(drv::CheckState(at(16019)), static_cast<UINT>(BST_CHECKED));

  ASSERT_TRUE(drv::TypeInto(at(16022), "TIME"));
  EXPECT_TRUE(drv::Enabled(at(16025)));
  EXPECT_TRUE(drv::Enabled(at(16027)));
  EXPECT_FALSE(drv::Enabled(at(16026)));
  ASSERT_TRUE(drv::Click(at(16025)));
  EXPECT_EQ(report_language::SelectedItem(), kTime);
  EXPECT_EQ(EditText(), "Date and time");
  EXPECT_TRUE(drv::Enabled(at(16026)));
  ASSERT_TRUE(drv::TypeInto(at(16024), "hour"));
  ASSERT_TRUE(drv::Click(at(16026)));
  EXPECT_EQ(EditText(), "Date and hour");
  EXPECT_EQ(Picture(kTime), 16003);

  // Match case: "Event" is in two items, "event" in none.
  UiDriver d;
  ASSERT_TRUE(drv::Check(at(16023)));
  ASSERT_TRUE(drv::TypeInto(at(16022), "Event"));
  ASSERT_TRUE(drv::TypeInto(at(16024), "Incident"));
  d.ExpectMessageBox("2 Items replaced", IDOK);
  ASSERT_TRUE(drv::Click(at(16027)));
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(Picture(kEvent), 16003);
  EXPECT_EQ(Picture(kTable), 16003);
  EXPECT_EQ(Picture(kTitle), 16002);
  ASSERT_TRUE(drv::TypeInto(at(16022), "event"));
  d.ExpectMessageBox("String Not Found!", IDOK);
  ASSERT_TRUE(drv::Click(at(16025)));
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_FALSE(drv::Enabled(at(16026)));
  // A replacement with braces is refused.
  ASSERT_TRUE(drv::TypeInto(at(16022), "Incident"));
  ASSERT_TRUE(drv::TypeInto(at(16024), "a}b"));
  d.ExpectMessageBox("cannot hold", IDOK);
  ASSERT_TRUE(drv::Click(at(16027)));
  EXPECT_EQ(d.Problems(), Lines{});

  // Titles: the replace field and Replace All are off; the search wraps.
  ASSERT_TRUE(drv::Check(at(16021)));
  EXPECT_FALSE(drv::Enabled(at(16024)));
  EXPECT_FALSE(drv::Enabled(at(16027)));
  ASSERT_TRUE(drv::TypeInto(at(16022), "column"));
  Pick(kTable);
  ASSERT_TRUE(drv::Click(at(16025)));
  EXPECT_EQ(report_language::SelectedItem(), kEvent);  // "Event column": the case must match
  ASSERT_TRUE(drv::Check(at(16023), BST_UNCHECKED));
  Pick(kTable);
  ASSERT_TRUE(drv::Click(at(16025)));
  EXPECT_EQ(report_language::SelectedItem(), kColumns);  // "Columns", after wrapping to the top

  Press(16029);
  const std::string saved = Get("ENGLISH.RPL");
  EXPECT_NE(saved.find("<EVENT> {Incident}"), std::string::npos);
  EXPECT_NE(saved.find("<TABLE> {Incidents and Actions}"), std::string::npos);
  EXPECT_NE(saved.find("<TIME> {Date and hour}"), std::string::npos);

  DestroyWindow(sheet_);
  sheet_ = nullptr;
  EXPECT_FALSE(IsWindow(find));
}

TEST_F(ReportLanguageTest, RemoveDeletesBothFilesButNeverTheDefault) {
  Put("FRENCH.RPL", "<TITLE> {Rapport}\n");
  Put("FRENCH.ORG", "<TITLE> {Rapport}\n");
  Put("GERMAN.RPL", "<TITLE> {Bericht}\n");
  Put("GERMAN.ORG", "<TITLE> {Bericht}\n");
  OpenPage();
  EXPECT_EQ(drv::Items(Control(16014)), (Lines{"ENGLISH (Default)", "FRENCH", "GERMAN"}));
  UiDriver d;
  d.ExpectMessageBox("default report language cannot be removed", IDOK);
  Press(16013);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_TRUE(Has("ENGLISH.RPL"));
  EXPECT_TRUE(Has("ENGLISH.ORG"));

  ASSERT_TRUE(drv::Select(Control(16014), "GERMAN"));
  Press(21015);
  EXPECT_EQ(Ini("Language", "Report"), "GERMAN");
  EXPECT_EQ(drv::Items(Control(16014)), (Lines{"ENGLISH", "FRENCH", "GERMAN (Default)"}));
  EXPECT_EQ(drv::SelectedText(Control(16014)), "GERMAN (Default)");
  Pick(kTitle);
  EXPECT_EQ(EditText(), "Bericht");

  ASSERT_TRUE(drv::Select(Control(16014), "FRENCH"));
  EXPECT_EQ(EditText(), "Rapport");
  Press(16013);
  EXPECT_FALSE(Has("FRENCH.RPL"));
  EXPECT_FALSE(Has("FRENCH.ORG"));
  EXPECT_EQ(drv::Items(Control(16014)), (Lines{"ENGLISH", "GERMAN (Default)"}));
  // The first language becomes the current one, and later saves go to it.
  EXPECT_EQ(drv::SelectedText(Control(16014)), "ENGLISH");
  EXPECT_EQ(EditText(), "Alert Report:");
  ASSERT_TRUE(drv::TypeInto(Control(16010), "Report"));
  Press(16029);
  EXPECT_NE(Get("ENGLISH.RPL").find("<TITLE> {Report}"), std::string::npos);
  EXPECT_FALSE(Has("FRENCH.RPL"));
}

TEST_F(ReportLanguageTest, ClosingTheSheetAsksAboutUnsavedChanges) {
  OpenPage();
  Pick(kTitle);
  ASSERT_TRUE(drv::TypeInto(Control(16010), "Status Report"));
  UiDriver d;
  // The options window's Cancel: No leaves the file as it was.
  d.ExpectMessageBox("do you want to save it", IDNO);
  SendMessageA(sheet_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(Get("ENGLISH.RPL"), kEnglish);
  // Its OK: Yes saves them, and the sheet's Cancel becomes Close.
  ASSERT_TRUE(drv::TypeInto(Control(16010), "State Report"));
  d.ExpectMessageBox("do you want to save it", IDYES);
  SendMessageA(sheet_, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_NE(Get("ENGLISH.RPL").find("<TITLE> {State Report}"), std::string::npos);
  EXPECT_EQ(drv::Text(GetDlgItem(sheet_, IDOK)), "Close");
}

}  // namespace
