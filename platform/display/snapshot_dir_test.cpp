// QV_SNAPSHOT_DIR: every dialog from a numbered template is pictured once, the
// first time one appears, in a file named after the template.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "display/display_test_support.h"
#include "qvplatform.h"
#include "qvplatform/ui_dialog.h"
#include "testdata/snapshot_ids.h"

namespace {

INT_PTR CALLBACK Plain(HWND, UINT msg, WPARAM, LPARAM) { return msg == WM_INITDIALOG; }

class SnapshotDir : public ::testing::Test {
 protected:
  void SetUp() override { setenv("QV_SNAPSHOT_DIR", dir_.path().c_str(), 1); }
  void TearDown() override {
    unsetenv("QV_SNAPSHOT_DIR");
    qvp::SetModalIdleHook({});
    qvp::SetRasterText(false);
  }
  std::string File(UINT id) const { return dir_.file("dialog_" + std::to_string(id) + ".png"); }
  disptest::ScratchDir dir_;
};

TEST_F(SnapshotDir, DialogsArePicturedOnceAsTheyFirstAppear) {
  QV_NEED_FONTS();
  // A modal dialog: pictured when its loop shows it, before the user can act.
  bool existed_when_idle = false;
  qvp::SetModalIdleHook([&] {
    HWND dlg = GetActiveWindow();
    existed_when_idle = std::filesystem::exists(File(IDD_SERVER));
    EndDialog(dlg, IDOK);
  });
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_SERVER), nullptr, Plain, 0), IDOK);
  qvp::SetModalIdleHook({});
  EXPECT_TRUE(existed_when_idle);
  qvp::display::Image img;
  ASSERT_TRUE(qvp::display::ReadPng(File(IDD_SERVER).c_str(), &img));
  EXPECT_GT(img.width, 200);
  EXPECT_EQ(img.ColorAt(40, 6), RGB(0, 0, 128));  // the active caption
  if (const char* keep = std::getenv("QV_KEEP_SNAPSHOTS"))
    std::filesystem::copy_file(File(IDD_SERVER), std::string(keep) + "/dialog_31002.png",
                               std::filesystem::copy_options::overwrite_existing);

  // The same template again: the first picture stays the only one.
  std::filesystem::remove(File(IDD_SERVER));
  HWND again = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_SERVER), nullptr, Plain, 0);
  ASSERT_TRUE(again);
  ShowWindow(again, SW_SHOW);
  EXPECT_FALSE(std::filesystem::exists(File(IDD_SERVER)));
  DestroyWindow(again);
}

TEST_F(SnapshotDir, AHiddenDialogIsPicturedWhenShown) {
  QV_NEED_FONTS();
  HWND later = CreateDialogParamA(nullptr, MAKEINTRESOURCEA(IDD_HIDDEN), nullptr, Plain, 0);
  ASSERT_TRUE(later);
  EXPECT_FALSE(std::filesystem::exists(File(IDD_HIDDEN)));
  ShowWindow(later, SW_SHOW);
  EXPECT_TRUE(std::filesystem::exists(File(IDD_HIDDEN)));
  DestroyWindow(later);
  // Nothing else was written: no picture for windows that are no numbered dialog.
  HWND plain = CreateWindowExA(0, "#32770", "x", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr, nullptr, nullptr);
  DestroyWindow(plain);
  size_t files = 0;
  for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(dir_.path())) ++files;
  EXPECT_EQ(files, 1u);
}

}  // namespace
