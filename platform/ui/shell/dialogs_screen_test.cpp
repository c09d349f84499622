// The common dialogs on a private X server: they show as windows, the user's
// keys answer them, and the print dialog runs the caller's hook.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/xvfb_support.h"
#include "qvplatform.h"
#include "qvplatform/display.h"

namespace {

struct HookSeen {
  bool init = false;
  LPARAM init_param = 0;
  int commands = 0;
};
HookSeen* g_hook = nullptr;

UINT_PTR CALLBACK PrintHook(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    g_hook->init = true;
    g_hook->init_param = lp;
    // As a caller trims the dialog: the copies go.
    ShowWindow(GetDlgItem(dlg, 1154), SW_HIDE);
    ShowWindow(GetDlgItem(dlg, 1092), SW_HIDE);
    return 0;
  }
  if (msg == WM_COMMAND && LOWORD(wp) == 1038) {
    ++g_hook->commands;
    return 1;
  }
  return 0;
}

class DialogsOnScreen : public ::testing::Test {
 protected:
  void SetUp() override {
    if (xvfbtest::FindProgram("Xvfb").empty() || xvfbtest::FindProgram("xdotool").empty()) {
      if (std::getenv("CI")) FAIL() << "Xvfb and xdotool are needed: install xvfb and xdotool";
      GTEST_SKIP() << "xvfb or xdotool is not installed; the display is not tested";
    }
    if (!qvp::RasterTextAvailable()) {
      if (std::getenv("CI")) FAIL() << "no fonts: install fonts-liberation2 and fonts-dejavu-core";
      GTEST_SKIP() << "fonts-liberation2 is not installed";
    }
    server_ = std::make_unique<xvfbtest::Server>();
    ASSERT_TRUE(server_->ok()) << "Xvfb did not start";
    ASSERT_TRUE(qvp::OpenDisplay(server_->name().c_str()));
    qvp::SetPrinters({"Office", "Laser", "PDF File"});
  }
  void TearDown() override {
    qvp::SetModalIdleHook({});
    for (pid_t pid : spawned_) waitpid(pid, nullptr, 0);
    qvp::UseSpoolerPrinters();
    qvp::CloseDisplay();
    qvp::SetRasterText(false);
    server_.reset();
    if (!dir_.empty()) std::filesystem::remove_all(dir_);
  }

  void Xdotool(std::vector<std::string> args) {
    args.insert(args.begin(), "xdotool");
    const pid_t pid = server_->Spawn(args);
    ASSERT_GT(pid, 0);
    spawned_.push_back(pid);
  }
  // Once the window titled `title` shows, runs `then` once from inside its modal
  // loop. A window that never comes is cancelled after a while, failing the test.
  void WhenShown(const char* title, std::function<void(HWND)> then) {
    const ULONGLONG since = GetTickCount64();
    auto acted = std::make_shared<bool>(false);
    qvp::SetModalIdleHook([=] {
      HWND w = FindWindowA(nullptr, title);
      if (*acted) return;
      if (GetTickCount64() - since > 30000) {
        ADD_FAILURE() << "no window " << title;
        *acted = true;
        if (w) PostMessageA(w, WM_COMMAND, IDCANCEL, 0);
        return;
      }
      if (!w || !IsWindowVisible(w)) return;
      *acted = true;
      SetForegroundWindow(w);
      then(w);
    });
  }

  std::unique_ptr<xvfbtest::Server> server_;
  std::vector<pid_t> spawned_;
  std::filesystem::path dir_;
};

TEST_F(DialogsOnScreen, ThePrintDialogRunsTheHookAndTakesTheUsersChoice) {
  HookSeen seen;
  g_hook = &seen;
  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.Flags = PD_RETURNDC | PD_ENABLEPRINTHOOK | PD_USEDEVMODECOPIES | PD_HIDEPRINTTOFILE | PD_NOSELECTION;
  pd.lpfnPrintHook = PrintHook;
  pd.nCopies = 1;
  pd.nFromPage = 1;
  pd.nToPage = 4;
  pd.nMinPage = 1;
  pd.nMaxPage = 4;
  bool copies_hidden = false, to_file_hidden = false, selection_off = false;
  WhenShown("Print", [&](HWND dlg) {
    copies_hidden = !IsWindowVisible(GetDlgItem(dlg, 1154));
    to_file_hidden = !IsWindowVisible(GetDlgItem(dlg, 1040));
    selection_off = !IsWindowEnabled(GetDlgItem(dlg, 1057));
    SendMessageA(dlg, WM_COMMAND, 1038, 0);  // reaches the hook, which takes it
    SendDlgItemMessageA(dlg, 1139, CB_SETCURSEL, 1, 0);
    CheckRadioButton(dlg, 1056, 1058, 1058);
    SetDlgItemTextA(dlg, 1152, "2");
    SetDlgItemTextA(dlg, 1153, "3");
    Xdotool({"key", "--delay", "80", "Return"});
  });
  ASSERT_TRUE(PrintDlgA(&pd)) << CommDlgExtendedError();
  EXPECT_TRUE(seen.init);
  EXPECT_EQ(seen.init_param, reinterpret_cast<LPARAM>(&pd));
  EXPECT_EQ(seen.commands, 1);
  EXPECT_TRUE(copies_hidden);
  EXPECT_TRUE(to_file_hidden);
  EXPECT_TRUE(selection_off);
  EXPECT_TRUE(pd.Flags & PD_PAGENUMS);
  EXPECT_EQ(pd.nFromPage, 2);
  EXPECT_EQ(pd.nToPage, 3);
  const auto* names = static_cast<const char*>(GlobalLock(pd.hDevNames));
  EXPECT_STREQ(names + reinterpret_cast<const DEVNAMES*>(names)->wDeviceOffset, "Laser");
  GlobalUnlock(pd.hDevNames);
  DeleteDC(pd.hDC);
  GlobalFree(pd.hDevMode);
  GlobalFree(pd.hDevNames);

  // A page range outside the document is refused in the dialog.
  pd = PRINTDLGA{};
  pd.lStructSize = sizeof pd;
  pd.Flags = PD_RETURNDC | PD_NOSELECTION;
  pd.nFromPage = 1;
  pd.nToPage = 2;
  pd.nMinPage = 1;
  pd.nMaxPage = 2;
  bool refused = false;
  WhenShown("Print", [&](HWND dlg) {
    CheckRadioButton(dlg, 1056, 1058, 1058);
    SetDlgItemTextA(dlg, 1153, "9");
    // The message box that refuses the range: OK closes it; then the dialog is cancelled.
    qvp::SetModalIdleHook([&, dlg] {
      HWND box = nullptr;
      for (HWND w = FindWindowExA(nullptr, nullptr, nullptr, "Print"); w; w = FindWindowExA(nullptr, w, nullptr, "Print"))
        if (w != dlg && IsWindowVisible(w)) box = w;
      if (!refused && box != nullptr) {
        refused = true;
        PostMessageA(box, WM_COMMAND, IDOK, 0);
      } else if (refused && box == nullptr && IsWindow(dlg)) {
        PostMessageA(dlg, WM_COMMAND, IDCANCEL, 0);
      }
    });
    PostMessageA(dlg, WM_COMMAND, IDOK, 0);
  });
  EXPECT_FALSE(PrintDlgA(&pd));
  EXPECT_EQ(CommDlgExtendedError(), 0u);
  EXPECT_TRUE(refused);
  EXPECT_EQ(pd.hDC, nullptr);
  g_hook = nullptr;
}

TEST_F(DialogsOnScreen, TheOpenDialogListsTheFolderAndTakesATypedName) {
  dir_ = std::filesystem::temp_directory_path() / ("qv-open-" + std::to_string(getpid()));
  std::filesystem::create_directories(dir_ / "older");
  std::ofstream(dir_ / "weekly.txt") << "w";
  std::ofstream(dir_ / "daily.log") << "d";
  std::ofstream(dir_ / "older" / "monthly.txt") << "m";
  char file[MAX_PATH] = "";
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.lpstrFilter = "Reports (*.txt)\0*.txt\0All files\0*.*\0";
  ofn.lpstrFile = file;
  ofn.nMaxFile = sizeof file;
  ofn.lpstrInitialDir = dir_.c_str();
  ofn.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST;
  std::vector<std::string> listed;
  WhenShown("Open", [&](HWND dlg) {
    const LRESULT n = SendDlgItemMessageA(dlg, 1120, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < n; ++i) {
      char text[MAX_PATH] = "";
      SendDlgItemMessageA(dlg, 1120, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
      listed.push_back(text);
    }
    // Into the subfolder by its name, then the file in it.
    Xdotool({"type", "--delay", "60", "older\rmonthly.txt\r"});
  });
  ASSERT_TRUE(GetOpenFileNameA(&ofn)) << CommDlgExtendedError();
  std::string chosen = file;
  std::replace(chosen.begin(), chosen.end(), '\\', '/');
  EXPECT_EQ(chosen, (dir_ / "older" / "monthly.txt").string());
  const std::vector<std::string> expected{"[..]", "[older]", "weekly.txt"};
  EXPECT_EQ(listed, expected);
  EXPECT_EQ(ofn.nFilterIndex, 1u);
}

TEST_F(DialogsOnScreen, TheColourDialogTakesTheTypedParts) {
  COLORREF custom[16] = {};
  CHOOSECOLORA cc{};
  cc.lStructSize = sizeof cc;
  cc.lpCustColors = custom;
  cc.rgbResult = RGB(10, 20, 30);
  cc.Flags = CC_RGBINIT;
  std::string red;
  WhenShown("Color", [&](HWND dlg) {
    char text[8] = "";
    GetDlgItemTextA(dlg, 706, text, sizeof text);
    red = text;
    SetDlgItemTextA(dlg, 707, "200");
    Xdotool({"key", "--delay", "80", "Return"});
  });
  ASSERT_TRUE(ChooseColorA(&cc));
  EXPECT_EQ(red, "10");
  EXPECT_EQ(cc.rgbResult, RGB(10, 200, 30));
}

}  // namespace
