// The driver: steps that drive nested modal dialogs and answer their prompts,
// what goes wrong in a run, and the input a user's click and keys give.
#include <gtest/gtest.h>

#include "qvplatform/ui_driver.h"
#include "testdata/driver_ids.h"
#include "ui_test_support.h"

extern "C" const QvResourceDirectory QvResourceTable;

namespace {

using qvp::UiDriver;
using Lines = std::vector<std::string>;

struct Seen {
  std::string name;
  UINT flag = 0;
  std::string inner_answer;
};
Seen g_seen;

INT_PTR CALLBACK InnerProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg != WM_COMMAND) return FALSE;
  switch (LOWORD(wp)) {
    case IDC_ASK: {
      int answer = MessageBoxA(dlg, "Really proceed?", "Question", MB_YESNO | MB_ICONQUESTION);
      SetDlgItemTextA(dlg, IDC_ANSWER, answer == IDYES ? "yes" : "no");
      return TRUE;
    }
    case IDOK: {
      char name[64] = {};
      GetDlgItemTextA(dlg, IDC_NAME, name, sizeof(name));
      g_seen.name = name;
      g_seen.flag = IsDlgButtonChecked(dlg, IDC_FLAG);
      EndDialog(dlg, IDOK);
      return TRUE;
    }
    case IDCANCEL:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR CALLBACK OuterProc(HWND dlg, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg != WM_COMMAND) return FALSE;
  switch (LOWORD(wp)) {
    case IDC_MORE: {
      INT_PTR r = DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_INNER), dlg, InnerProc, 0);
      SetDlgItemTextA(dlg, IDC_RESULT, r == IDOK ? "inner ok" : "inner cancelled");
      return TRUE;
    }
    case IDOK:
    case IDCANCEL:
      EndDialog(dlg, LOWORD(wp));
      return TRUE;
    default:
      return FALSE;
  }
}

INT_PTR RunOuter() { return DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_OUTER), nullptr, OuterProc, 0); }

class DriverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    qvp::RegisterResourceTableForTests(nullptr, &QvResourceTable);
    g_seen = Seen{};
    qvp::TakeUnexpectedPrompts();
  }
};

TEST_F(DriverTest, DrivesADialogThreeLevelsDeep) {
  UiDriver d;
  d.ExpectMessageBox("Really", IDYES);
  std::string answer, result;
  bool answer_painted = false;
  d.OnDialog(IDD_OUTER).Click(IDC_MORE);
  d.OnDialog(IDD_INNER)
      .Type(IDC_NAME, "Hello, World!")
      .Check(IDC_FLAG)
      .Click(IDC_ASK)
      .Read(IDC_ANSWER, &answer)
      .Do([&](HWND inner) {
        answer_painted = qvp::driver::Painted(GetDlgItem(inner, IDC_ANSWER)).FindText("yes") != nullptr;
      })
      .ClickButton("OK");
  d.OnDialog(IDD_OUTER).Read(IDC_RESULT, &result).ClickButton("OK");
  EXPECT_EQ(RunOuter(), IDOK);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(d.PendingSteps(), 0u);
  EXPECT_EQ(answer, "yes");
  EXPECT_TRUE(answer_painted);
  EXPECT_EQ(result, "inner ok");
  EXPECT_EQ(g_seen.name, "Hello, World!");
  EXPECT_EQ(g_seen.flag, static_cast<UINT>(BST_CHECKED));
  std::vector<qvp::PromptRecord> prompts = d.Prompts().Records();
  ASSERT_EQ(prompts.size(), 1u);
  EXPECT_EQ(prompts[0].caption, "Question");
  EXPECT_EQ(prompts[0].text, "Really proceed?");
}

TEST_F(DriverTest, AnUnexpectedPromptIsAProblemNamingItsCaptionAndText) {
  UiDriver d;
  d.OnDialog(IDD_OUTER).Click(IDC_MORE);
  d.OnDialog(IDD_INNER).Click(IDC_ASK).ClickButton("OK");
  d.OnDialog(IDD_OUTER).ClickButton("Cancel");
  EXPECT_EQ(RunOuter(), IDCANCEL);
  Lines problems = d.Problems();
  ASSERT_EQ(problems.size(), 1u);
  EXPECT_NE(problems[0].find("[Question]"), std::string::npos) << problems[0];
  EXPECT_NE(problems[0].find("Really proceed?"), std::string::npos) << problems[0];
}

TEST_F(DriverTest, CommonDialogsAreAnsweredByThePromptScriptToo) {
  UiDriver d;
  d.Prompts().Expect(qvp::OpenFileAnswer("C:\\logs\\today.log"));
  std::string chosen;
  d.OnDialog(IDD_OUTER)
      .Do([&](HWND dlg) {
        char path[MAX_PATH] = {};
        OPENFILENAMEA ofn{};
        ofn.lStructSize = sizeof(ofn);
        ofn.hwndOwner = dlg;
        ofn.lpstrFile = path;
        ofn.nMaxFile = sizeof(path);
        if (GetOpenFileNameA(&ofn)) chosen = path;
      })
      .ClickButton("OK");
  EXPECT_EQ(RunOuter(), IDOK);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(chosen, "C:\\logs\\today.log");
}

TEST_F(DriverTest, ActionsThatAUserCouldNotDoAreProblems) {
  UiDriver d;
  d.ExpectMessageBox("never asked", IDOK);
  d.OnDialog(IDD_OUTER).Click(IDC_MORE);
  d.OnDialog(IDD_INNER).Click(IDC_OFF).Click(4242).Check(IDC_FLAG, BST_UNCHECKED).ClickButton("OK");
  d.OnDialog(IDD_OUTER).ClickButton("OK");
  EXPECT_EQ(RunOuter(), IDOK);
  Lines problems = d.Problems();
  ASSERT_EQ(problems.size(), 3u);
  EXPECT_NE(problems[0].find("click 1007"), std::string::npos) << problems[0];
  EXPECT_NE(problems[0].find("disabled"), std::string::npos) << problems[0];
  EXPECT_NE(problems[1].find("no control 4242"), std::string::npos) << problems[1];
  EXPECT_EQ(problems[2], "1 expected prompt(s) never came");
  EXPECT_EQ(g_seen.flag, static_cast<UINT>(BST_UNCHECKED));  // already clear: no click
}

TEST_F(DriverTest, AStepWaitingInVainEndsTheDialogInsteadOfHanging) {
  UiDriver d;
  d.SetStallLimit(5);
  d.OnDialog(IDD_INNER).ClickButton("OK");
  d.OnDialog(IDD_OUTER).ClickButton("OK");
  EXPECT_EQ(RunOuter(), IDCANCEL);
  Lines problems = d.Problems();
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[0].find("step 1 (dialog 32002) waited in vain"), std::string::npos) << problems[0];
  EXPECT_NE(problems[0].find("'Outer' (dialog 32001)"), std::string::npos) << problems[0];
  EXPECT_NE(problems[1].find("step 2 (dialog 32001) was never run"), std::string::npos) << problems[1];
}

TEST_F(DriverTest, ADialogLeftOpenWithNothingToDoIsEndedToo) {
  UiDriver d;
  d.SetStallLimit(3);
  d.OnDialog(IDD_OUTER).Click(IDC_MORE);
  EXPECT_EQ(RunOuter(), IDCANCEL);  // the inner one is ended first, then the outer one
  Lines problems = d.Problems();
  ASSERT_EQ(problems.size(), 2u);
  EXPECT_NE(problems[0].find("'Inner'"), std::string::npos) << problems[0];
  EXPECT_NE(problems[1].find("'Outer'"), std::string::npos) << problems[1];
}

Lines g_notes;

INT_PTR CALLBACK ListsProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg == WM_INITDIALOG) {
    for (int i = 0; i < 40; ++i)
      SendDlgItemMessageA(dlg, IDC_FRUIT, LB_ADDSTRING, 0,
                          reinterpret_cast<LPARAM>(i == 30 ? "Cherry" : ("fruit " + std::to_string(i)).c_str()));
    for (const char* size : {"small", "medium", "large", "huge"})
      SendDlgItemMessageA(dlg, IDC_SIZE, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(size));
    for (const char* colour : {"Alpha", "Beta", "Gamma"})
      SendDlgItemMessageA(dlg, IDC_COLOUR, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(colour));
    LVCOLUMNA column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH;
    column.cx = 120;
    column.pszText = const_cast<char*>("Host");
    SendDlgItemMessageA(dlg, IDC_HOSTS, LVM_INSERTCOLUMNA, 0, reinterpret_cast<LPARAM>(&column));
    for (int i = 0; i < 20; ++i) {
      std::string text = i == 15 ? "mail.example.com" : "host" + std::to_string(i);
      LVITEMA item{};
      item.mask = LVIF_TEXT;
      item.iItem = i;
      item.pszText = text.data();
      SendDlgItemMessageA(dlg, IDC_HOSTS, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    }
    return TRUE;
  }
  if (msg == WM_NOTIFY) {
    auto* n = reinterpret_cast<const NMLISTVIEW*>(lp);
    if (n->hdr.idFrom == IDC_HOSTS && n->hdr.code == LVN_ITEMCHANGED && (n->uNewState & LVIS_SELECTED))
      g_notes.push_back("hosts selected " + std::to_string(n->iItem));
    return FALSE;
  }
  if (msg != WM_COMMAND) return FALSE;
  const int id = LOWORD(wp), code = HIWORD(wp);
  if (id == IDC_FRUIT && code == LBN_SELCHANGE) g_notes.push_back("fruit selchange");
  if (id == IDC_SIZE || id == IDC_COLOUR) {
    const std::string name = id == IDC_SIZE ? "size " : "colour ";
    if (code == CBN_DROPDOWN) g_notes.push_back(name + "dropdown");
    if (code == CBN_SELCHANGE) g_notes.push_back(name + "selchange");
    if (code == CBN_CLOSEUP) g_notes.push_back(name + "closeup");
  }
  if (id == IDOK) EndDialog(dlg, IDOK);
  return TRUE;
}

TEST_F(DriverTest, PicksListItemsWithTheMouseSoTheListsNotify) {
  g_notes.clear();
  UiDriver d;
  std::string fruit, size, colour, host;
  d.OnDialog(IDD_LISTS)
      .Select(IDC_FRUIT, "Cherry")
      .Select(IDC_SIZE, 2)
      .Select(IDC_COLOUR, "Beta")
      .Select(IDC_HOSTS, "mail.example.com")
      .Do([&](HWND dlg) {
        fruit = qvp::driver::SelectedText(GetDlgItem(dlg, IDC_FRUIT));
        size = qvp::driver::SelectedText(GetDlgItem(dlg, IDC_SIZE));
        colour = qvp::driver::Text(GetDlgItem(dlg, IDC_COLOUR));
        host = qvp::driver::SelectedText(GetDlgItem(dlg, IDC_HOSTS));
      })
      .ClickButton("OK");
  EXPECT_EQ(DialogBoxParamA(nullptr, MAKEINTRESOURCEA(IDD_LISTS), nullptr, ListsProc, 0), IDOK);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(fruit, "Cherry");
  EXPECT_EQ(size, "large");
  EXPECT_EQ(colour, "Beta");
  EXPECT_EQ(host, "mail.example.com");
  // The notifications come from the controls' own handling of the clicks.
  EXPECT_EQ(g_notes, (Lines{"fruit selchange", "size dropdown", "size closeup", "size selchange", "colour dropdown",
                            "colour closeup", "colour selchange", "hosts selected 15"}));
}

// ---- Input as a user gives it ----

class InputTest : public DriverTest {
 protected:
  void SetUp() override {
    DriverTest::SetUp();
    rec_ = std::make_unique<uitest::Recorder>("DriverRecorder", CS_DBLCLKS);
    rec_->SetHook([](HWND, UINT msg, WPARAM, LPARAM) -> std::optional<LRESULT> {
      if (msg == WM_GETDLGCODE) return DLGC_WANTCHARS;
      if (msg == WM_MOUSEACTIVATE) return MA_ACTIVATE;
      return std::nullopt;
    });
  }
  std::unique_ptr<uitest::Recorder> rec_;
};

INT_PTR CALLBACK Modeless(HWND, UINT msg, WPARAM wp, LPARAM) {
  if (msg == WM_COMMAND && (LOWORD(wp) == IDOK || LOWORD(wp) == IDCANCEL)) {
    g_seen.name += "command " + std::to_string(LOWORD(wp)) + ";";
    return TRUE;
  }
  return msg == WM_INITDIALOG;
}

std::vector<uint8_t> ModelessTemplate(const char* recorder_class) {
  qvp::DialogDesc d;
  d.style = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
  d.cx = 200;
  d.cy = 100;
  d.caption = qvp::NameOrId::Text("Keys");
  d.font_face = qvp::NameOrId::Text("MS Sans Serif");
  d.font_point_size = 8;
  auto control = [](const char* cls, uint32_t id, uint32_t style, int16_t y, const char* text = "") {
    qvp::ControlDesc c;
    c.window_class = qvp::NameOrId::Text(cls);
    c.id = id;
    c.text = qvp::NameOrId::Text(text);
    c.style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | style;
    c.x = 8;
    c.y = y;
    c.cx = 100;
    c.cy = 14;
    return c;
  };
  d.controls = {control(recorder_class, 10, 0, 8), control("EDIT", 11, 0, 28),
                control("BUTTON", IDOK, BS_DEFPUSHBUTTON, 48), control("BUTTON", IDCANCEL, 0, 68),
                control("BUTTON", 12, BS_AUTOCHECKBOX, 88, "&Go")};
  std::vector<uint8_t> block;
  std::string error;
  EXPECT_TRUE(qvp::BuildDialogTemplate(d, &block, &error)) << error;
  return block;
}

TEST_F(InputTest, KeysGoToTheFocusThroughTheLoopAndTheDialogManager) {
  std::vector<uint8_t> block = ModelessTemplate(rec_->cls());
  HWND dlg = CreateDialogIndirectParamA(nullptr, block.data(), nullptr, Modeless, 0);
  ASSERT_TRUE(dlg);
  HWND keys = GetDlgItem(dlg, 10), edit = GetDlgItem(dlg, 11);
  ASSERT_TRUE(qvp::driver::Focus(keys));
  rec_->Clear();
  ASSERT_TRUE(qvp::driver::Type("aB\tx"));
  Lines seen;
  for (const uitest::Seen& s : rec_->All()) {
    if (s.msg == WM_KEYDOWN) seen.push_back("down " + std::to_string(s.wp));
    if (s.msg == WM_KEYUP) seen.push_back("up " + std::to_string(s.wp));
    if (s.msg == WM_CHAR) seen.push_back(std::string("char ") + static_cast<char>(s.wp));
  }
  // Tab went to the dialog manager, which moved the focus: only its key-up reaches the control.
  EXPECT_EQ(seen, (Lines{"down 65", "char a", "up 65", "down 16", "down 66", "char B", "up 66", "up 16", "up 9"}));
  EXPECT_EQ(GetFocus(), edit);
  EXPECT_EQ(qvp::driver::Text(edit), "x");

  ASSERT_TRUE(qvp::driver::Press(VK_RETURN));
  ASSERT_TRUE(qvp::driver::Press(VK_ESCAPE));
  EXPECT_EQ(g_seen.name, "command 1;command 2;");
  // Alt+G: the dialog manager finds the control that underlines G.
  ASSERT_TRUE(qvp::driver::Press('G', qvp::driver::kAlt));
  EXPECT_EQ(qvp::driver::CheckState(GetDlgItem(dlg, 12)), static_cast<UINT>(BST_CHECKED));
  EXPECT_EQ(GetKeyState(VK_MENU) & 0x8000, 0);
  DestroyWindow(dlg);
}

TEST_F(InputTest, AClickOnAnInactiveWindowAsksMouseActivateThenClicksAtTheCentre) {
  HWND other = rec_->Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, 0, "other");
  HWND frame = rec_->Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, 0, "frame");
  HWND child = rec_->Create(WS_CHILD | WS_VISIBLE, frame, 5, 0, "child", RECT{10, 10, 110, 50});
  SetActiveWindow(other);
  rec_->Clear();
  ASSERT_TRUE(qvp::driver::Click(child));
  EXPECT_EQ(GetActiveWindow(), frame);
  std::vector<UINT> mouse = rec_->Of(child, {WM_MOUSEACTIVATE, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP});
  EXPECT_EQ(mouse, (std::vector<UINT>{WM_MOUSEACTIVATE, WM_MOUSEMOVE, WM_LBUTTONDOWN, WM_LBUTTONUP}));
  for (const uitest::Seen& s : rec_->All())
    if (s.hwnd == child && s.msg == WM_LBUTTONDOWN) {
      EXPECT_EQ(s.lp, MAKELPARAM(50, 20));
      EXPECT_EQ(s.wp, static_cast<WPARAM>(MK_LBUTTON));
    }
  // Once the window is active, a click goes straight in; a double click on a
  // class that takes them gives WM_LBUTTONDBLCLK.
  rec_->Clear();
  ASSERT_TRUE(qvp::driver::DoubleClick(child));
  EXPECT_EQ(rec_->Of(child, {WM_MOUSEACTIVATE, WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK}),
            (std::vector<UINT>{WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP}));
  EnableWindow(frame, FALSE);
  qvp::Outcome refused = qvp::driver::Click(child);
  EXPECT_FALSE(refused);
  EXPECT_NE(refused.problem.find("disabled"), std::string::npos);
  DestroyWindow(frame);
  DestroyWindow(other);
}

LRESULT CALLBACK Label(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != WM_PAINT) return DefWindowProcA(h, msg, wp, lp);
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(h, &ps);
  char text[64] = {};
  int n = GetWindowTextA(h, text, sizeof(text));
  TextOutA(dc, 2, 2, text, n);
  EndPaint(h, &ps);
  return 0;
}

TEST_F(InputTest, FindsWindowsAndReadsWhatTheyHoldAndPainted) {
  WNDCLASSA wc{};
  wc.lpfnWndProc = Label;
  wc.lpszClassName = "DriverLabel";
  RegisterClassA(&wc);
  HWND frame = rec_->Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, 0, "Status &Window");
  HWND label = CreateWindowExA(0, "DriverLabel", "ready", WS_CHILD | WS_VISIBLE, 0, 0, 100, 20, frame,
                               reinterpret_cast<HMENU>(7), nullptr, nullptr);
  HWND hidden = CreateWindowExA(0, "DriverLabel", "later", WS_CHILD, 0, 30, 100, 20, frame,
                                reinterpret_cast<HMENU>(8), nullptr, nullptr);
  qvp::driver::WindowQuery q;
  q.title = "Status Window";
  EXPECT_EQ(qvp::driver::Find(q), frame);
  q = {};
  q.class_name = "driverlabel";
  q.within = frame;
  EXPECT_EQ(qvp::driver::FindAll(q), (std::vector<HWND>{label, hidden}));
  q.visible_only = true;
  EXPECT_EQ(qvp::driver::FindAll(q), std::vector<HWND>{label});
  q = {};
  q.id = 8;
  EXPECT_EQ(qvp::driver::Find(q), hidden);
  EXPECT_EQ(qvp::driver::FindControl(frame, 7), label);

  EXPECT_TRUE(qvp::driver::Painted(label).FindText("ready"));
  SetWindowTextA(label, "done");
  qvp::PaintLog log = qvp::driver::Painted(label);
  EXPECT_TRUE(log.FindText("done"));
  EXPECT_FALSE(log.FindText("ready"));
  EXPECT_TRUE(qvp::driver::Enabled(label));
  EXPECT_FALSE(qvp::driver::Visible(hidden));
  DestroyWindow(frame);
  UnregisterClassA("DriverLabel", nullptr);
}

// A wizard driven page by page: the pages are the steps' windows and the
// sheet's buttons are reached from them.
INT_PTR CALLBACK WizardPage(HWND page, UINT msg, WPARAM, LPARAM lp) {
  if (msg == WM_INITDIALOG) return TRUE;
  if (msg != WM_NOTIFY) return FALSE;
  const UINT id = qvp::driver::DialogTemplateId(page);
  switch (reinterpret_cast<const NMHDR*>(lp)->code) {
    case PSN_SETACTIVE:
      SendMessageA(GetParent(page), PSM_SETWIZBUTTONS, 0,
                   id == IDD_PAGE_NAME ? PSWIZB_NEXT : PSWIZB_BACK | PSWIZB_FINISH);
      break;
    case PSN_WIZNEXT:
      g_seen.name = qvp::driver::Text(GetDlgItem(page, IDC_NAME));
      break;
    case PSN_WIZFINISH:
      g_seen.flag = IsDlgButtonChecked(page, IDC_FLAG);
      break;
    default:
      break;
  }
  SetWindowLongPtrA(page, DWL_MSGRESULT, 0);
  return TRUE;
}

// The name page and the flag page as a sheet, or with PSH_WIZARD as a wizard.
struct NameAndFlagSheet {
  PROPSHEETPAGEA pages[2] = {};
  PROPSHEETHEADERA header{};
  NameAndFlagSheet(DWORD flags, const char* caption) {
    const UINT ids[2] = {IDD_PAGE_NAME, IDD_PAGE_FLAG};
    for (int i = 0; i < 2; ++i) {
      pages[i].dwSize = sizeof(PROPSHEETPAGEA);
      pages[i].pszTemplate = MAKEINTRESOURCEA(ids[i]);
      pages[i].pfnDlgProc = WizardPage;
    }
    header.dwSize = sizeof(header);
    header.dwFlags = PSH_PROPSHEETPAGE | flags;
    header.pszCaption = caption;
    header.nPages = 2;
    header.ppsp = pages;
  }
};

TEST_F(DriverTest, DrivesAWizardThroughItsPages) {
  NameAndFlagSheet sheet(PSH_WIZARD, "Wizard");
  UiDriver d;
  d.OnDialog(IDD_PAGE_NAME).Type(IDC_NAME, "probe").ClickButton("Next >");
  d.OnDialog(IDD_PAGE_FLAG).Check(IDC_FLAG).ClickButton("Finish");
  EXPECT_EQ(PropertySheetA(&sheet.header), 1);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(g_seen.name, "probe");
  EXPECT_EQ(g_seen.flag, static_cast<UINT>(BST_CHECKED));
}

TEST_F(DriverTest, PicksASheetsPageFromItsTabStrip) {
  NameAndFlagSheet sheet(0, "Sheet");
  UiDriver d;
  std::vector<std::string> tabs;
  std::string selected;
  d.OnDialog(IDD_PAGE_NAME).Select(IDD_PROPSHEET_TABS, "Flag");
  d.OnDialog(IDD_PAGE_FLAG)
      .Do([&](HWND page) {
        HWND strip = qvp::driver::FindControl(page, IDD_PROPSHEET_TABS);
        tabs = qvp::driver::Items(strip);
        selected = qvp::driver::SelectedText(strip);
      })
      .ClickButton("Cancel");
  EXPECT_EQ(PropertySheetA(&sheet.header), 0);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(tabs, (Lines{"Name", "Flag"}));
  EXPECT_EQ(selected, "Flag");
}

}  // namespace
