// The style wizard driven as a user drives it: choosing, editing, saving,
// deleting and renaming styles in Style.ini beside a copy of the resource module.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "app_globals.h"
#include "qvplatform/ui_driver.h"
#include "resource_cache.h"
#include "style_preview.h"
#include "style_wizard.h"
#include "test_dir.h"

namespace {

using Lines = std::vector<std::string>;
namespace drv = qvp::driver;

class Wizard : public ::testing::Test {
 protected:
  void SetUp() override {
    // Style.ini lives beside the module: a copy in the test's folder keeps the shipped one out of reach.
    std::filesystem::copy_file(QV_DIST_DIR "/BASE.RSL", dir_.file("BASE.RSL"));
    base_ = LoadLibraryA(dir_.file("BASE.RSL").c_str());
    ASSERT_NE(base_, nullptr);
    g_app.resourceModule = base_;
    g_app.instance = GetModuleHandleA(nullptr);
    owner_ = CreateWindowExA(0, "#32770", "Panel", WS_POPUP | WS_VISIBLE, 0, 0, 640, 480, nullptr, nullptr, nullptr,
                             nullptr);
    qvp::TakeUnexpectedPrompts();
  }
  void TearDown() override {
    ReleaseStyleImages(TheStyleModel());
    DestroyWindow(owner_);
    FreeResourceCache();
    g_app.resourceModule = nullptr;
    FreeLibrary(base_);
  }
  std::string Ini() const { return dir_.exists("Style.ini") ? dir_.read("Style.ini") : std::string(); }
  std::string Value(const std::string& section, const std::string& key) const {
    char text[300] = {};
    GetPrivateProfileStringA(section.c_str(), key.c_str(), "", text, sizeof text, dir_.file("Style.ini").c_str());
    return text;
  }
  void WriteTwoStyles() {
    dir_.write("Style.ini",
               "[Quorvane Styles]\nStyle 1=Plain\nStyle 2=Bright\n"
               "[Plain]\nPageBackgroundColor=102030\nBorderWidth=2\n"
               "[Bright]\nPageBackgroundColor=FF0000\n");
  }
  // The wizard's own button ("Next >", "Finish", ...) around a page.
  static HWND SheetButton(HWND page, const char* text) {
    drv::WindowQuery query;
    query.title = text;
    query.within = GetParent(page);
    return drv::Find(query);
  }
  INT_PTR Run(qvp::UiDriver& d) {
    const INT_PTR result = ShowStyleWizard(owner_);
    EXPECT_EQ(d.Problems(), Lines{});
    return result;
  }

  TestDir dir_;
  HMODULE base_ = nullptr;
  HWND owner_ = nullptr;
};

TEST_F(Wizard, WithoutStylesOnlyANewOneCanBeMadeAndFinishWaitsForAName) {
  qvp::UiDriver d;
  bool editEnabled = true, deleteEnabled = true, finishAtStart = true, finishWithName = false;
  UINT newChecked = 0;
  d.OnDialog(20000)
      .Do([&](HWND page) {
        editEnabled = drv::Enabled(GetDlgItem(page, kEditSelected));
        deleteEnabled = drv::Enabled(GetDlgItem(page, kDeleteButton)) || drv::Enabled(GetDlgItem(page, kRenameButton));
        newChecked = drv::CheckState(GetDlgItem(page, kNewStyle));
      })
      .ClickButton("Next >");
  for (UINT id = 20001; id <= 20004; ++id) d.OnDialog(id).ClickButton("Next >");
  d.OnDialog(20005)
      .Do([&](HWND page) { finishAtStart = drv::Enabled(SheetButton(page, "Finish")); })
      .Type(kSaveName, "Mine")
      .Do([&](HWND page) { finishWithName = drv::Enabled(SheetButton(page, "Finish")); })
      .ClickButton("Finish");
  EXPECT_EQ(Run(d), 1);
  EXPECT_FALSE(editEnabled);
  EXPECT_FALSE(deleteEnabled);
  EXPECT_EQ(newChecked, static_cast<UINT>(BST_CHECKED));
  EXPECT_FALSE(finishAtStart);
  EXPECT_TRUE(finishWithName);
  EXPECT_EQ(Value("Quorvane Styles", "Style 1"), "Mine");
  EXPECT_EQ(Value("Mine", "PageBackgroundColor"), "80FFFF");  // the wizard's start values
}

TEST_F(Wizard, EditsAreTypedCheckedAndClampedAsAUserDoesThemThenSaved) {
  WriteTwoStyles();
  qvp::UiDriver d;
  std::string typed, left, border, size, sizeUp;
  bool onlyColumnKept = false;
  int sortAfterUncheck = -1;
  d.OnDialog(20000).ClickButton("Next >");  // edits "Plain"
  std::string picked;
  d.OnDialog(20001)
      .Click(kFirstSwatch + 1)  // the title text's colour from the chooser
      .Read(kFirstColorEdit + 1, &picked)
      .Check(kBackgroundImageRadio)
      .Click(kBackgroundBrowse)
      .Check(kBackgroundColorRadio)
      .Type(kFirstColorEdit, "abc")
      .Read(kFirstColorEdit, &typed)
      .Type("g-")  // refused with a beep
      .Press(VK_TAB)
      .Read(kFirstColorEdit, &left)
      .ClickButton("Next >");
  d.OnDialog(20002).ClickButton("Next >");
  d.OnDialog(20003)
      .Check(kFirstColumnCheck, BST_UNCHECKED)  // the sort column goes: the sort moves to column 1
      .Do([&](HWND) { sortAfterUncheck = TheStyleModel().sortColumn; })
      .Check(kFirstColumnCheck + 2, BST_UNCHECKED)
      .Click(kFirstColumnCheck + 1)  // the only one left stays
      .Do([&](HWND page) { onlyColumnKept = IsDlgButtonChecked(page, kFirstColumnCheck + 1) == BST_CHECKED; })
      .Type(kBorderEdit, "7")
      .Read(kBorderEdit, &border)
      .ClickButton("Next >");
  d.OnDialog(20004)
      .Type(kSizeEdit, "3")
      .Press(VK_TAB)
      .Read(kSizeEdit, &size)
      .Focus(kSizeEdit)
      .Press(VK_UP)  // the up-down beside it steps from the clamped value
      .Read(kSizeEdit, &sizeUp)
      .ClickButton("Next >");
  d.OnDialog(20005).ClickButton("Finish");  // the style being edited: saved without a question
  d.Prompts().Expect(qvp::ColorAnswer(RGB(0x12, 0x34, 0x56)));
  std::filesystem::create_directories(dir_.path() / "pictures");
  dir_.write("pictures/Dusk.JPG", "a picture the library would decode");
  d.Prompts().Expect(qvp::OpenFileAnswer(dir_.file("pictures/Dusk.JPG")));
  EXPECT_EQ(Run(d), 1);
  EXPECT_EQ(picked, "123456");
  EXPECT_EQ(Value("Plain", "TitleTextColor"), "123456");
  // Chosen, copied beside the styles and named, though the colour is back in use.
  EXPECT_EQ(dir_.read("Base/Images/Dusk.JPG"), "a picture the library would decode");
  EXPECT_EQ(TheStyleModel().backgroundImageName, "Dusk.JPG");
  EXPECT_EQ(Value("Plain", "BackgroundImage"), "");
  EXPECT_EQ(typed, "ABC");
  EXPECT_EQ(left, "000ABC");
  EXPECT_EQ(sortAfterUncheck, 1);
  EXPECT_TRUE(onlyColumnKept);
  EXPECT_EQ(border, "5");
  EXPECT_EQ(size, "5");
  EXPECT_EQ(sizeUp, "6");
  EXPECT_EQ(Value("Plain", "LayoutSize"), "6");
  EXPECT_EQ(Value("Plain", "PageBackgroundColor"), "000ABC");
  EXPECT_EQ(Value("Plain", "Columns"), "1");
  EXPECT_EQ(Value("Plain", "SortColumn"), "1");
  EXPECT_EQ(Value("Plain", "BorderWidth"), "5");
  EXPECT_EQ(Value("Bright", "PageBackgroundColor"), "FF0000");
  EXPECT_EQ(Value("Quorvane Styles", "Style 3"), "");
}

TEST_F(Wizard, ANewStyleUnderATakenNameAsksAndABadNameIsRefused) {
  WriteTwoStyles();
  qvp::UiDriver d;
  d.OnDialog(20000).Check(kNewStyle).ClickButton("Next >");
  for (UINT id = 20001; id <= 20004; ++id) d.OnDialog(id).ClickButton("Next >");
  d.OnDialog(20005)
      .Type(kSaveName, "bright")  // the same style whatever the case
      .ClickButton("Finish")
      .Type(kSaveName, "a]b")
      .ClickButton("Finish")
      .Type(kSaveName, "Third")
      .ClickButton("Finish");
  d.ExpectMessageBox("bright already existed, do you want to overwrite it?", IDNO);
  d.ExpectMessageBox("1 to 64 characters", IDOK);
  const std::string before = Ini();
  EXPECT_EQ(Run(d), 1);
  EXPECT_EQ(Value("Bright", "PageBackgroundColor"), "FF0000");
  EXPECT_EQ(Value("Quorvane Styles", "Style 3"), "Third");
  EXPECT_EQ(Value("Third", "BorderWidth"), "2");  // started from the first listed style
  EXPECT_EQ(Ini().find("[a]b]"), std::string::npos);
  EXPECT_NE(before, Ini());
}

TEST_F(Wizard, RenameAndDeleteActAtOnceAndRefuseWhatWouldLoseAStyle) {
  WriteTwoStyles();
  qvp::UiDriver d;
  Lines afterRename, afterDelete;
  d.OnDialog(20000)
      .Select(kStyleList, "Plain")
      .Click(kRenameButton);
  d.OnDialog(kRenameTemplate).Type(kRenameNew, "BRIGHT").ClickButton("OK");  // another style's name
  d.OnDialog(20000).Click(kRenameButton);
  d.OnDialog(kRenameTemplate).Type(kRenameNew, "Calm").ClickButton("OK");
  d.OnDialog(20000)
      .Do([&](HWND page) { afterRename = drv::Items(GetDlgItem(page, kStyleList)); })
      .Select(kStyleList, "Calm")
      .Click(kDeleteButton)
      .Do([&](HWND page) { afterDelete = drv::Items(GetDlgItem(page, kStyleList)); })
      .ClickButton("Cancel");
  d.ExpectMessageBox("There is already a style named BRIGHT.", IDOK);
  EXPECT_EQ(Run(d), 0);
  EXPECT_EQ(afterRename, (Lines{"Calm", "Bright"}));
  EXPECT_EQ(afterDelete, (Lines{"Bright"}));
  EXPECT_EQ(Value("Quorvane Styles", "Style 1"), "Bright");
  EXPECT_EQ(Value("Quorvane Styles", "Style 2"), "");
  EXPECT_EQ(Value("Calm", "BorderWidth"), "");
  EXPECT_EQ(Value("Plain", "BorderWidth"), "");
  EXPECT_EQ(Value("Bright", "PageBackgroundColor"), "FF0000");
}

TEST_F(Wizard, AStyleFileThatCannotBeWrittenIsReportedAndTheWizardStays) {
  WriteTwoStyles();
  const std::string before = Ini();
  const std::string unreachable = dir_.file("missing/dir/Style.ini");
  qvp::UiDriver d;
  Lines listed;
  bool stayedOnLastPage = false;
  d.OnDialog(20000)
      .Do([&](HWND) { TheStyleModel().filePath = unreachable; })
      .Click(kDeleteButton)
      .Do([&](HWND page) { listed = drv::Items(GetDlgItem(page, kStyleList)); })
      .ClickButton("Next >");
  for (UINT id = 20001; id <= 20004; ++id) d.OnDialog(id).ClickButton("Next >");
  d.OnDialog(20005)
      .ClickButton("Finish")
      .Do([&](HWND page) { stayedOnLastPage = drv::Visible(page); })
      .ClickButton("Cancel");
  d.ExpectMessageBox("Cannot open file:" + unreachable, IDOK);
  d.ExpectMessageBox("Cannot open file:" + unreachable, IDOK);
  EXPECT_EQ(Run(d), 0);
  EXPECT_EQ(listed, (Lines{"Plain", "Bright"}));
  EXPECT_TRUE(stayedOnLastPage);
  EXPECT_EQ(Ini(), before);
}

TEST_F(Wizard, WithoutTheImageLibraryTheColoursShowAndTheFileStaysAsItWas) {
  std::filesystem::create_directories(dir_.path() / "Base" / "Images");
  dir_.write("Base/Images/Back.jpg", "not decoded without the library");
  dir_.write("Style.ini",
             "[Quorvane Styles]\nStyle 1=Pictured\n"
             "[Pictured]\nPageBackgroundColor=FF0000\nTitleTextColor=0000FF\nBackgroundImage=Back.jpg\n"
             "Logo=Logo.gif\n");
  const std::string before = Ini();
  qvp::UiDriver d;
  qvp::PaintLog painted;
  std::string logoShown = "unset";
  d.OnDialog(20000).ClickButton("Next >");
  d.OnDialog(20001)
      .Do([&](HWND page) { painted = drv::Painted(GetDlgItem(page, kPreviewId)); })
      .ClickButton("Next >");
  d.OnDialog(20002).ClickButton("Next >");
  d.OnDialog(20003).ClickButton("Next >");
  d.OnDialog(20004).Read(kLogoNameText, &logoShown).ClickButton("Cancel");
  EXPECT_EQ(Run(d), 0);
  const qvp::PaintRecord* title = painted.FindText("Quorvane Report");
  ASSERT_NE(title, nullptr) << painted.JoinedText();
  EXPECT_EQ(title->color, RGB(0, 0, 0xFF));
  EXPECT_EQ(logoShown, "");  // no picture, no name shown
  EXPECT_EQ(Ini(), before);
}

TEST_F(Wizard, AChosenPictureIsCopiedIntoTheImagesFolderOnceAndAFailedCopyKeepsTheName) {
  ResetStyleModel(TheStyleModel(), base_);
  std::filesystem::create_directories(dir_.path() / "Base" / "Images");
  std::filesystem::create_directories(dir_.path() / "elsewhere");
  dir_.write("elsewhere/Sun.GIF", "picture bytes");
  dir_.write("Base/Images/Here.jpg", "already here");
  qvp::UiDriver d;
  d.Prompts().Expect(qvp::OpenFileAnswer(dir_.file("elsewhere/Sun.GIF")));
  d.Prompts().Expect(qvp::OpenFileAnswer(dir_.file("Base/Images/Here.jpg")));
  d.Prompts().Expect(qvp::OpenFileAnswer(dir_.file("elsewhere/Missing.gif")));
  d.ExpectMessageBox("Cannot copy file:", IDOK);
  std::string name = "old.gif";
  EXPECT_EQ(ChooseImageFile(owner_, &name), 1);
  EXPECT_EQ(name, "Sun.GIF");
  EXPECT_EQ(dir_.read("Base/Images/Sun.GIF"), "picture bytes");
  EXPECT_EQ(ChooseImageFile(owner_, &name), 1);
  EXPECT_EQ(name, "Here.jpg");
  EXPECT_EQ(dir_.read("Base/Images/Here.jpg"), "already here");
  EXPECT_EQ(ChooseImageFile(owner_, &name), 0);
  EXPECT_EQ(name, "Here.jpg");
  EXPECT_EQ(d.Problems(), Lines{});
}

TEST(HexEdit, TakesHexDigitsInUpperCaseAndLetsTheRestThrough) {
  HWND edit = CreateWindowExA(0, "EDIT", "", WS_POPUP, 0, 0, 80, 20, nullptr, nullptr, nullptr, nullptr);
  ASSERT_TRUE(SubclassHexEdit(edit));
  for (char c : std::string("1a/:G`gF\x7f")) SendMessageA(edit, WM_CHAR, static_cast<unsigned char>(c), 0);
  SendMessageA(edit, WM_CHAR, 0xE9, 0);  // above 0x7F passes
  char text[16] = {};
  GetWindowTextA(edit, text, sizeof text);
  EXPECT_EQ(std::string(text), "1AF\xE9");
  EXPECT_NE(GetPropA(edit, "Edit_OldWndProc"), nullptr);
  DestroyWindow(edit);
}

}  // namespace
