#include "dialog_fonts.h"

#include <gtest/gtest.h>

#include "app_globals.h"
#include "res_templates.h"
#include "resource_cache.h"
#include "test_windows.h"

namespace {

INT_PTR CALLBACK QuietDialog(HWND, UINT message, WPARAM, LPARAM) { return message == WM_INITDIALOG; }

class DialogFontsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestWindowClasses();
    g_app.resourceModule = GetModuleHandleA(nullptr);
  }
  void TearDown() override {
    if (dialog_ != nullptr) DestroyWindow(dialog_);
    FreeResourceCache();
    g_app.resourceModule = nullptr;
  }

  HWND Open(int templateId) {
    dialog_ = CreateDialogIndirectParamA(g_app.resourceModule, LoadDialogTemplate(templateId), nullptr,
                                         QuietDialog, 0);
    return dialog_;
  }

  HWND dialog_ = nullptr;
};

TEST_F(DialogFontsTest, OnlyTheHeadingControlsGetTheBoldCopy) {
  HWND dialog = Open(200);
  ASSERT_NE(dialog, nullptr);
  HFONT own = FontOf(dialog);
  ASSERT_NE(own, nullptr);
  HFONT bold = PrepWindowFonts(dialog);
  ASSERT_NE(bold, nullptr);
  ASSERT_NE(bold, own);
  for (int id : {30001, 30002, 30003, 30005, 30009}) EXPECT_EQ(FontOf(GetDlgItem(dialog, id)), bold) << id;
  for (int id : {30000, 30010, 8505}) EXPECT_EQ(FontOf(GetDlgItem(dialog, id)), own) << id;

  LOGFONTA ownLook{};
  LOGFONTA boldLook{};
  ASSERT_EQ(GetObjectA(own, sizeof ownLook, &ownLook), static_cast<int>(sizeof ownLook));
  ASSERT_EQ(GetObjectA(bold, sizeof boldLook, &boldLook), static_cast<int>(sizeof boldLook));
  EXPECT_EQ(boldLook.lfWeight, FW_BOLD);
  EXPECT_STREQ(boldLook.lfFaceName, ownLook.lfFaceName);
  EXPECT_EQ(boldLook.lfHeight, ownLook.lfHeight);
  DestroyWindow(dialog);
  dialog_ = nullptr;
  DeleteObject(bold);
}

TEST_F(DialogFontsTest, ADialogWithoutFontChangesNothing) {
  HWND dialog = Open(201);
  ASSERT_NE(dialog, nullptr);
  EXPECT_EQ(PrepWindowFonts(dialog), nullptr);
  EXPECT_EQ(FontOf(GetDlgItem(dialog, 30001)), nullptr);
  EXPECT_EQ(SwitchFontToBold(dialog, 30001, nullptr), -1);
  HFONT given = CreateFontA(-20, 0, 0, 0, FW_BOLD, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "Arial");
  EXPECT_EQ(SwitchFontToBold(dialog, 30001, given), 0);
  EXPECT_EQ(FontOf(GetDlgItem(dialog, 30001)), given);
  EXPECT_EQ(SwitchFontToBold(dialog, 4242, given), 0);  // no such control
  DestroyWindow(dialog);
  dialog_ = nullptr;
  DeleteObject(given);
}

}  // namespace
