#include "please_wait.h"

#include <gtest/gtest.h>

#include "app_globals.h"
#include "res_templates.h"
#include "resource_cache.h"
#include "sizeable_control.h"
#include "test_windows.h"

namespace {

class PleaseWaitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RegisterTestWindowClasses();
    g_app.resourceModule = GetModuleHandleA(nullptr);
    qvp::TakeUnexpectedPrompts();
  }
  void TearDown() override {
    if (box_ != nullptr && IsWindow(box_)) DestroyWindow(box_);
    FreeResourceCache();
    g_app.resourceModule = nullptr;
    EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  }

  HWND Open() {
    box_ = CreateDialogIndirectParamA(g_app.resourceModule, LoadDialogTemplate(200), nullptr, PleaseWaitDlg, 0);
    return box_;
  }

  HWND box_ = nullptr;
};

TEST_F(PleaseWaitTest, TheBoxIsCentredWithBoldHeadingsWhichGoWithIt) {
  HWND box = Open();
  ASSERT_NE(box, nullptr);
  RECT rect;
  GetWindowRect(box, &rect);
  const int width = rect.right - rect.left + 1;
  const int height = rect.bottom - rect.top + 1;
  EXPECT_EQ(rect.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2);
  EXPECT_EQ(rect.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2);

  // Windows of today draw their own grip.
  EXPECT_NE(GetWindowLongPtrA(GetDlgItem(box, kPleaseWaitSizeableId), GWLP_WNDPROC),
            reinterpret_cast<LONG_PTR>(&SizeableControlWndProc));

  HFONT bold = FontOf(GetDlgItem(box, 30001));
  ASSERT_NE(bold, FontOf(box));
  EXPECT_EQ(GetObjectType(bold), static_cast<DWORD>(OBJ_FONT));
  DestroyWindow(box);
  EXPECT_EQ(GetObjectType(bold), 0u);
}

TEST_F(PleaseWaitTest, TheUserCannotCloseTheBox) {
  HWND box = Open();
  ASSERT_NE(box, nullptr);
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  SendMessageA(box, WM_SYSCOMMAND, SC_CLOSE, 0);
  // A dialog that let SC_CLOSE through would now be asked to cancel.
  EXPECT_FALSE(PeekMessageA(&message, box, WM_COMMAND, WM_COMMAND, PM_NOREMOVE));
  EXPECT_TRUE(IsWindow(box));
}

TEST(BadLogFileErrorProc, OnlyCode11ShowsTheMessage) {
  g_app.resourceModule = GetModuleHandleA(nullptr);
  qvp::TakeUnexpectedPrompts();
  {
    qvp::PromptScript script;
    script.ExpectMessageBox("cannot be read", IDOK);
    BadLogFileErrorProc(10);
    BadLogFileErrorProc(0);
    BadLogFileErrorProc(11);
    const auto records = script.Records();
    ASSERT_EQ(records.size(), 1u);
    EXPECT_EQ(records[0].caption, "Bad Log File");
    EXPECT_EQ(records[0].text, "The log file cannot be read.");
    EXPECT_EQ(records[0].flags & MB_TYPEMASK, static_cast<UINT>(MB_OK));
  }
  EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  g_app.resourceModule = nullptr;
}

}  // namespace
