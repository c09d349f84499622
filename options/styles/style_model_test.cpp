// Style.ini through the model: the keys as written and read back, the list of
// names, and saving, removing and renaming styles.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "style_model.h"
#include "test_dir.h"

namespace {

class Styles : public ::testing::Test {
 protected:
  void SetUp() override {
    base_ = LoadLibraryA(QV_DIST_DIR "/BASE.RSL");
    ASSERT_NE(base_, nullptr);
    ResetStyleModel(model_, base_);
    EXPECT_EQ(model_.filePath.substr(model_.filePath.size() - 15), "\\dist\\Style.ini");
    model_.filePath = dir_.file("Style.ini");
  }
  void TearDown() override { FreeLibrary(base_); }
  std::string File() const { return dir_.read("Style.ini"); }
  std::string Section(const std::string& name) const {
    const std::string text = File();
    const size_t start = text.find("[" + name + "]");
    if (start == std::string::npos) return {};
    const size_t end = text.find("\n[", start + 1);
    std::string body =
        text.substr(start + name.size() + 2, end == std::string::npos ? std::string::npos : end - start - name.size() - 1);
    while (!body.empty() && (body.back() == '\n' || body.back() == '\r')) body.pop_back();
    return body;
  }

  TestDir dir_;
  HMODULE base_ = nullptr;
  StyleModel model_;
};

TEST_F(Styles, TheTwentySixKeysRoundTripByteExact) {
  model_.colors[0] = RGB(0xFF, 0, 0);
  model_.colors[11] = RGB(0x12, 0x34, 0x56);
  model_.spareColor = RGB(1, 2, 3);
  model_.faces[2] = "Courier New";
  model_.columnShown = {0, 1, 0, 1};
  model_.sortColumn = 3;
  model_.alignment = 3;
  model_.showTitles = 0;
  model_.tableLayout = 1;
  model_.borderWidth = 4;
  model_.layoutSize = 33;
  model_.backgroundImageMode = 1;
  model_.backgroundImageName = "Tiles.JPG";
  model_.logoName = "MyLogo.Gif";
  ASSERT_EQ(SaveStyle(model_, "First"), StyleChange::kDone);
  const std::string first = Section("First");
  int lines = 0;
  for (char c : first) lines += c == '=';
  EXPECT_EQ(lines, 26) << first;
  EXPECT_NE(first.find("PageBackgroundColor=FF0000"), std::string::npos) << first;
  EXPECT_NE(first.find("EvenRowTextColor=123456"), std::string::npos);
  EXPECT_NE(first.find("Columns=13"), std::string::npos);
  EXPECT_NE(first.find("Alignment=RIGHT"), std::string::npos);
  // Image names keep their case.
  EXPECT_NE(first.find("BackgroundImage=Tiles.JPG"), std::string::npos);
  EXPECT_EQ(first.find("010203"), std::string::npos);  // the spare colour is never written

  StyleModel again;
  ResetStyleModel(again, base_);
  again.filePath = model_.filePath;
  again.styleNames = ReadStyleNames(again);
  ReadStyle(again, "First");
  EXPECT_EQ(again.colors, model_.colors);
  EXPECT_EQ(again.columnCount, 2);
  EXPECT_EQ(again.columnOrder[0], 1);
  EXPECT_EQ(again.columnOrder[1], 3);
  EXPECT_EQ(again.logoName, "MyLogo.Gif");
  EXPECT_EQ(again.backgroundImageMode, 1);
  ASSERT_EQ(SaveStyle(again, "Second"), StyleChange::kDone);
  EXPECT_EQ(Section("Second"), first);
}

TEST_F(Styles, ReadingPullsOddValuesIntoRange) {
  WritePrivateProfileStringA("Quorvane Styles", "Style 1", "Odd", model_.filePath.c_str());
  WritePrivateProfileStringA("Quorvane Styles", "Style 3", "Lost", model_.filePath.c_str());
  WritePrivateProfileStringA("Odd", "Columns", "31", model_.filePath.c_str());
  WritePrivateProfileStringA("Odd", "Alignment", "left", model_.filePath.c_str());
  WritePrivateProfileStringA("Odd", "BorderWidth", "7", model_.filePath.c_str());
  WritePrivateProfileStringA("Odd", "SortColumn", "9", model_.filePath.c_str());
  WritePrivateProfileStringA("Odd", "LayoutSize", "2", model_.filePath.c_str());
  WritePrivateProfileStringA("Odd", "Logo", "", model_.filePath.c_str());
  const auto names = ReadStyleNames(model_);
  ASSERT_EQ(names.size(), 1u);  // the gap ends the list
  ReadStyle(model_, "Odd");
  EXPECT_EQ(model_.columnCount, 2);
  EXPECT_EQ(model_.columnOrder[0], 1);
  EXPECT_EQ(model_.columnOrder[1], 3);
  EXPECT_EQ(model_.alignment, 1);
  EXPECT_EQ(model_.borderWidth, 5);
  EXPECT_EQ(model_.sortColumn, 3);
  EXPECT_EQ(model_.layoutSize, 5);
  EXPECT_EQ(model_.logoName, "qvlogoss.gif");
  EXPECT_EQ(model_.colors[0], RGB(0, 0, 0));  // missing colour: black
}

TEST_F(Styles, NamesAreCheckedAndComparedWithoutCase) {
  for (const char* bad : {"", " lead", "trail ", "a[b", "a]b", "a=b", "tab\there"})
    EXPECT_EQ(SaveStyle(model_, bad), StyleChange::kBadName) << bad;
  EXPECT_EQ(SaveStyle(model_, std::string(65, 'n')), StyleChange::kBadName);
  EXPECT_EQ(SaveStyle(model_, std::string(64, 'n')), StyleChange::kDone);
  ASSERT_EQ(SaveStyle(model_, "Blue"), StyleChange::kDone);
  // The same name in another case is the same style: no second list entry.
  ASSERT_EQ(SaveStyle(model_, "BLUE"), StyleChange::kDone);
  EXPECT_EQ(ReadStyleNames(model_).size(), 2u);
  EXPECT_EQ(FindStyleName(model_.styleNames, "blue"), 1);
}

TEST_F(Styles, RemoveAndRenameMoveWholeSectionsAndKeepTheListDense) {
  for (const char* name : {"One", "Two", "Three"}) {
    model_.borderWidth = static_cast<int>(std::strlen(name));
    ASSERT_EQ(SaveStyle(model_, name), StyleChange::kDone);
  }
  const std::string two = Section("Two");
  ASSERT_EQ(RemoveStyle(model_, "one"), StyleChange::kDone);
  EXPECT_EQ(ReadStyleNames(model_), (std::vector<std::string>{"Two", "Three"}));
  EXPECT_EQ(File().find("[One]"), std::string::npos);
  char gone[8] = {};
  GetPrivateProfileStringA("Quorvane Styles", "Style 3", "", gone, sizeof gone, model_.filePath.c_str());
  EXPECT_STREQ(gone, "");

  // Onto another style: refused, nothing changes.
  EXPECT_EQ(RenameStyleSection(model_, "Two", "three"), StyleChange::kExists);
  ASSERT_EQ(RenameStyleSection(model_, "Two", "Deux"), StyleChange::kDone);
  EXPECT_EQ(ReadStyleNames(model_), (std::vector<std::string>{"Deux", "Three"}));
  EXPECT_EQ(Section("Deux"), two);
  EXPECT_EQ(File().find("[Two]"), std::string::npos);
  EXPECT_EQ(RenameStyleSection(model_, "Nope", "X"), StyleChange::kMissing);
  EXPECT_EQ(RemoveStyle(model_, "Nope"), StyleChange::kMissing);

  // Many styles: the list is not cut at any fixed size.
  for (int i = 0; i < 60; ++i) ASSERT_EQ(SaveStyle(model_, "S" + std::to_string(i)), StyleChange::kDone);
  EXPECT_EQ(ReadStyleNames(model_).size(), 62u);
}

TEST_F(Styles, AFileThatCannotBeWrittenChangesNothing) {
  ASSERT_EQ(SaveStyle(model_, "Kept"), StyleChange::kDone);
  const std::string before = File();
  model_.filePath = dir_.file("missing/dir/Style.ini");
  EXPECT_EQ(SaveStyle(model_, "New"), StyleChange::kFileError);
  EXPECT_EQ(RenameStyleSection(model_, "Kept", "Other"), StyleChange::kFileError);
  EXPECT_EQ(RemoveStyle(model_, "Kept"), StyleChange::kFileError);
  EXPECT_EQ(model_.styleNames, (std::vector<std::string>{"Kept"}));
  EXPECT_EQ(File(), before);
}

}  // namespace
