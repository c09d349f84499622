// Property sheets with tabs: when pages are made, OK / Apply / Cancel and the
// answers of PSN_APPLY, PSN_KILLACTIVE and PSN_QUERYCANCEL, the PSM_ messages.
#include <gtest/gtest.h>

#include "propsheet_test_support.h"

namespace {

using pstest::ActiveSheet;
using pstest::CurrentIndex;
using pstest::Journal;
using pstest::JournalOf;
using pstest::Page;
using pstest::Script;
using Lines = std::vector<std::string>;

std::vector<Page> ThreePages() {
  return {Page("Alpha", IDD_PAGE_ALPHA), Page("Beta", IDD_PAGE_BETA), Page("Gamma", IDD_PAGE_GAMMA)};
}

LRESULT SetCurSel(int index) { return SendMessageA(ActiveSheet(), PSM_SETCURSEL, static_cast<WPARAM>(index), 0); }

std::string Text(HWND hwnd) {
  char text[128] = {};
  GetWindowTextA(hwnd, text, sizeof(text));
  return text;
}

class PropSheetTest : public ::testing::Test {
 protected:
  void SetUp() override { pstest::SetUpPages(); }
};

TEST_F(PropSheetTest, OkAppliesOnlyThePagesThatWereShownAfterTheCurrentOneLetGo) {
  std::vector<Page> pages = ThreePages();
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, 0);
  h.nStartPage = 2;
  Script script;
  Lines at_open;
  script.Then([&] { at_open = Journal(); }).Then([] { SetCurSel(0); }).Press(PSBTN_OK);
  EXPECT_EQ(PropertySheetA(&h), 1);
  EXPECT_FALSE(script.stalled());
  EXPECT_EQ(at_open, (Lines{"init Gamma", "setactive Gamma"}));
  EXPECT_EQ(Journal(), (Lines{"init Gamma", "setactive Gamma", "killactive Gamma", "init Alpha", "setactive Alpha",
                              "killactive Alpha", "apply Alpha 1", "apply Gamma 1"}));
  EXPECT_EQ(pages[1].hwnd, nullptr);
  EXPECT_EQ(pages[0].destroyed, 1u);
  EXPECT_EQ(pages[2].destroyed, 1u);
}

TEST_F(PropSheetTest, PagesGetTheSheetsCopyOfTheirRecordWithTheCallersExtraBytes) {
  struct Extended {
    PROPSHEETPAGEA page;
    char extra[16];
  };
  std::vector<Page> pages = ThreePages();
  auto plain = pstest::Records(pages);
  std::vector<Extended> records(plain.size());
  for (size_t i = 0; i < plain.size(); ++i) {
    records[i].page = plain[i];
    records[i].page.dwSize = sizeof(Extended);
    std::snprintf(records[i].extra, sizeof(records[i].extra), "extra %d", static_cast<int>(i % 10));
  }
  PROPSHEETHEADERA h = pstest::Header(plain, 0);
  h.ppsp = &records[0].page;  // the records follow each other by their own size
  std::string extra_seen;
  const PROPSHEETPAGEA* record_seen = nullptr;
  Script script;
  script.Then([] { SetCurSel(1); })
      .Then([&] {
        record_seen = pages[1].init_record;
        extra_seen = reinterpret_cast<const Extended*>(record_seen)->extra;
      })
      .Press(PSBTN_CANCEL);
  EXPECT_EQ(PropertySheetA(&h), 0);
  EXPECT_NE(record_seen, &records[1].page);
  EXPECT_EQ(extra_seen, "extra 1");
  EXPECT_EQ(pages[1].name, "Beta");
  EXPECT_TRUE(pages[1].hwnd != nullptr);
}

TEST_F(PropSheetTest, KillActiveRefusalKeepsThePageOnSwitchAndOnOk) {
  std::vector<Page> pages = ThreePages();
  pages[0].On(PSN_KILLACTIVE, 1);
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, 0);
  Script script;
  LRESULT switched = -1;
  int index_after = -1;
  LRESULT tab_after = -1;
  script.Then([&] { switched = SetCurSel(1); })
      .Then([&] {
        index_after = CurrentIndex(ActiveSheet(), pages);
        tab_after = SendMessageA(reinterpret_cast<HWND>(SendMessageA(ActiveSheet(), PSM_GETTABCONTROL, 0, 0)),
                                 TCM_GETCURSEL, 0, 0);
      })
      .Press(PSBTN_OK)
      .Press(PSBTN_CANCEL);
  EXPECT_EQ(PropertySheetA(&h), 0);
  EXPECT_FALSE(script.stalled());
  EXPECT_EQ(switched, FALSE);
  EXPECT_EQ(index_after, 0);
  EXPECT_EQ(tab_after, 0);
  EXPECT_TRUE(JournalOf({"apply"}).empty());
  EXPECT_EQ(pages[1].hwnd, nullptr);
}

TEST_F(PropSheetTest, ApplyRefusalsKeepTheSheetOpenOnTheRightPage) {
  struct Case {
    LRESULT answer;
    int stays_on;
    Lines after_apply;
  } cases[] = {
      // PSNRET_INVALID: the refusing page comes to the front; the pages after it get nothing.
      {PSNRET_INVALID, 0, {"setactive Alpha", "querycancel Alpha"}},
      // PSNRET_INVALID_NOCHANGEPAGE: the page that was current stays.
      {PSNRET_INVALID_NOCHANGEPAGE, 1, {"querycancel Beta"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.answer);
    Journal().clear();
    std::vector<Page> pages = ThreePages();
    pages[0].On(PSN_APPLY, c.answer);
    auto records = pstest::Records(pages);
    PROPSHEETHEADERA h = pstest::Header(records, 0);
    int at = -1;
    Script script;
    script.Then([] { SetCurSel(1); })
        .Press(PSBTN_OK)
        .Then([&] { at = CurrentIndex(ActiveSheet(), pages); })
        .Press(PSBTN_CANCEL);
    EXPECT_EQ(PropertySheetA(&h), 0);
    EXPECT_FALSE(script.stalled());
    EXPECT_EQ(at, c.stays_on);
    Lines expected = {"killactive Beta", "apply Alpha 1"};
    expected.insert(expected.end(), c.after_apply.begin(), c.after_apply.end());
    Lines tail(Journal().begin() + 5, Journal().end());  // after init/setactive Alpha, killactive Alpha, init/setactive Beta
    tail.resize(std::min(tail.size(), expected.size()));
    EXPECT_EQ(tail, expected);
    EXPECT_TRUE(JournalOf({"apply Beta"}).empty());
  }
}

// The pages steer the sheet themselves: on a failed check a page sends
// PSM_SETCURSEL to the page that holds the error and answers
// PSNRET_INVALID_NOCHANGEPAGE.
TEST_F(PropSheetTest, SetCurSelInsideApplyMovesToTheFaultyPage) {
  std::vector<Page> pages = ThreePages();
  LRESULT moved = 0;
  pages[0].On(PSN_APPLY, [&moved](HWND page) {
    moved = SendMessageA(GetParent(page), PSM_SETCURSEL, 1, 0);
    return LRESULT{PSNRET_INVALID_NOCHANGEPAGE};
  });
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, 0);
  int at = -1;
  Script script;
  script.Then([] { SetCurSel(2); })
      .Press(PSBTN_OK)
      .Then([&] { at = CurrentIndex(ActiveSheet(), pages); })
      .Press(PSBTN_CANCEL);
  EXPECT_EQ(PropertySheetA(&h), 0);
  EXPECT_EQ(moved, TRUE);
  EXPECT_EQ(at, 1);
  Lines from_ok = JournalOf({"killactive", "apply", "init Beta", "setactive Beta"});
  EXPECT_EQ(from_ok, (Lines{"killactive Alpha", "killactive Gamma", "apply Alpha 1", "killactive Gamma",
                            "init Beta", "setactive Beta"}));
}

TEST_F(PropSheetTest, CancelAsksTheCurrentPageThenResetsOnlyCreatedPages) {
  std::vector<Page> pages = ThreePages();
  int asked = 0;
  pages[2].On(PSN_QUERYCANCEL, [&asked](HWND) { return LRESULT{++asked == 1 ? TRUE : FALSE}; });
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, 0);
  Script script;
  bool open_after_refusal = false;
  script.Then([] { SetCurSel(2); })
      .Press(PSBTN_CANCEL)
      .Then([&] { open_after_refusal = CurrentIndex(ActiveSheet(), pages) == 2; })
      .Then([] { SendMessageA(ActiveSheet(), WM_CLOSE, 0, 0); });
  EXPECT_EQ(PropertySheetA(&h), 0);
  EXPECT_FALSE(script.stalled());
  EXPECT_TRUE(open_after_refusal);
  // The close box cancels too; PSN_RESET says so in lParam.
  EXPECT_EQ(JournalOf({"querycancel", "reset"}),
            (Lines{"querycancel Gamma", "querycancel Gamma", "reset Alpha 1", "reset Gamma 1"}));
}

TEST_F(PropSheetTest, ApplyButtonFollowsChangedAndApplyKeepsTheSheetOpen) {
  std::vector<Page> pages = ThreePages();
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, 0);
  Script script;
  bool initially = true, after_changed = false, after_unchanged = true, after_apply = true;
  auto apply_enabled = [] { return IsWindowEnabled(GetDlgItem(ActiveSheet(), ID_APPLY_NOW)) != FALSE; };
  script
      .Then([&] {
        initially = apply_enabled();
        SendMessageA(ActiveSheet(), PSM_CHANGED, reinterpret_cast<WPARAM>(pages[0].hwnd), 0);
        after_changed = apply_enabled();
        SendMessageA(ActiveSheet(), PSM_UNCHANGED, reinterpret_cast<WPARAM>(pages[0].hwnd), 0);
        after_unchanged = apply_enabled();
        SendMessageA(ActiveSheet(), PSM_CHANGED, reinterpret_cast<WPARAM>(pages[0].hwnd), 0);
      })
      .Press(PSBTN_APPLYNOW)
      .Then([&] { after_apply = apply_enabled(); })
      .Press(PSBTN_CANCEL);
  // Cancelled, but what Apply did stays done.
  EXPECT_EQ(PropertySheetA(&h), 1);
  EXPECT_FALSE(script.stalled());
  EXPECT_FALSE(initially);
  EXPECT_TRUE(after_changed);
  EXPECT_FALSE(after_unchanged);
  EXPECT_FALSE(after_apply);
  EXPECT_EQ(Journal(), (Lines{"init Alpha", "setactive Alpha", "killactive Alpha", "apply Alpha 0", "setactive Alpha",
                              "querycancel Alpha", "reset Alpha 0"}));
}

TEST_F(PropSheetTest, CancelToCloseTurnsOkIntoCloseAndCancelOff) {
  std::vector<Page> pages = ThreePages();
  pages[0].On(PSN_APPLY, [](HWND page) {
    SendMessageA(GetParent(page), PSM_CANCELTOCLOSE, 0, 0);
    return LRESULT{PSNRET_NOERROR};
  });
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, 0);
  std::string ok_text;
  bool cancel_enabled = true;
  Script script;
  script.Then([] { SendMessageA(ActiveSheet(), PSM_APPLY, 0, 0); })
      .Then([&] {
        ok_text = Text(GetDlgItem(ActiveSheet(), IDOK));
        cancel_enabled = IsWindowEnabled(GetDlgItem(ActiveSheet(), IDCANCEL)) != FALSE;
      })
      .Press(PSBTN_CANCEL)
      .Then([] { PostMessageA(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0); })
      .Press(PSBTN_OK);
  EXPECT_EQ(PropertySheetA(&h), 1);
  EXPECT_FALSE(script.stalled());
  EXPECT_EQ(ok_text, "Close");
  EXPECT_FALSE(cancel_enabled);
  EXPECT_TRUE(JournalOf({"querycancel", "reset"}).empty());
}

TEST_F(PropSheetTest, TheOwnerIsDisabledWhileTheSheetRunsAndTheSheetHoldsTheLargestPage) {
  HWND owner = CreateWindowExA(0, "#32770", "Owner", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 10, 10, 600, 500, nullptr,
                               nullptr, nullptr, nullptr);
  ASSERT_TRUE(owner);
  std::vector<Page> pages = ThreePages();
  auto records = pstest::Records(pages, PSP_USETITLE);
  records[1].pszTitle = "Second";
  PROPSHEETHEADERA h = pstest::Header(records, PSH_PROPTITLE | PSH_NOAPPLYNOW, owner, "Printer");
  Script script;
  bool owner_enabled = true, apply_shown = true, help_shown = true;
  std::string caption, tab_text;
  RECT alpha{}, beta{};
  script
      .Then([&] {
        HWND sheet = ActiveSheet();
        owner_enabled = IsWindowEnabled(owner) != FALSE;
        caption = Text(sheet);
        apply_shown = IsWindowVisible(GetDlgItem(sheet, ID_APPLY_NOW)) != FALSE;
        help_shown = IsWindowVisible(GetDlgItem(sheet, IDHELP)) != FALSE;
        char text[32] = {};
        TCITEMA item{};
        item.mask = TCIF_TEXT;
        item.pszText = text;
        item.cchTextMax = sizeof(text);
        SendMessageA(reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0)), TCM_GETITEMA, 1,
                     reinterpret_cast<LPARAM>(&item));
        tab_text = text;
        SetCurSel(1);
      })
      .Then([&] {
        GetWindowRect(pages[0].hwnd, &alpha);
        GetWindowRect(pages[1].hwnd, &beta);
      })
      .Press(PSBTN_CANCEL);
  EXPECT_EQ(PropertySheetA(&h), 0);
  EXPECT_FALSE(owner_enabled);
  EXPECT_TRUE(IsWindowEnabled(owner));
  EXPECT_EQ(caption, "Properties for Printer");
  EXPECT_FALSE(apply_shown);
  EXPECT_FALSE(help_shown);
  EXPECT_EQ(tab_text, "Second");
  // Every page gets the room of the largest one (Beta's template).
  EXPECT_EQ(alpha.right - alpha.left, beta.right - beta.left);
  EXPECT_EQ(alpha.bottom - alpha.top, beta.bottom - beta.top);
  EXPECT_GT(alpha.right - alpha.left, 100);
  DestroyWindow(owner);
}

struct Callbacks {
  std::vector<std::string> lines;
  DWORD template_style = 0;
  HWND initialized = nullptr;
  bool page_made_before_initialized = false;
  UINT refs = 0;
};
Callbacks g_calls;

int CALLBACK SheetCallback(HWND hwnd, UINT msg, LPARAM lp) {
  if (msg == PSCB_PRECREATE) {
    auto* t = reinterpret_cast<DLGTEMPLATE*>(lp);
    g_calls.template_style = t->style;
    t->style &= ~DS_CONTEXTHELP;
    g_calls.lines.push_back(hwnd ? "precreate with window" : "precreate");
  } else if (msg == PSCB_INITIALIZED) {
    g_calls.initialized = hwnd;
    g_calls.page_made_before_initialized = !Journal().empty();
    g_calls.lines.push_back("initialized");
  }
  return 0;
}

UINT CALLBACK PageCallback(HWND hwnd, UINT msg, PROPSHEETPAGEA* ppsp) {
  auto* page = reinterpret_cast<Page*>(ppsp->lParam);
  g_calls.lines.push_back(std::string(msg == PSPCB_CREATE ? "create " : "release ") + page->name +
                          (hwnd ? " with window" : ""));
  return page->name == "Beta" ? 0 : 1;  // Beta refuses to be made
}

TEST_F(PropSheetTest, SheetAndPageCallbacks) {
  g_calls = Callbacks{};
  std::vector<Page> pages = ThreePages();
  auto records = pstest::Records(pages, PSP_USECALLBACK | PSP_USEREFPARENT);
  for (PROPSHEETPAGEA& r : records) {
    r.pfnCallback = PageCallback;
    r.pcRefParent = &g_calls.refs;
  }
  PROPSHEETHEADERA h = pstest::Header(records, PSH_USECALLBACK);
  h.pfnCallback = SheetCallback;
  Script script;
  LONG_PTR style = 0;
  LRESULT to_beta = -1;
  UINT refs_while_open = 0;
  script
      .Then([&] {
        style = GetWindowLongPtrA(ActiveSheet(), GWL_STYLE);
        refs_while_open = g_calls.refs;
        to_beta = SetCurSel(1);
      })
      .Press(PSBTN_CANCEL);
  EXPECT_EQ(PropertySheetA(&h), 0);
  EXPECT_TRUE(g_calls.template_style & DS_CONTEXTHELP);
  EXPECT_FALSE(style & DS_CONTEXTHELP);
  EXPECT_TRUE(style & WS_CAPTION);
  EXPECT_TRUE(g_calls.initialized != nullptr);
  EXPECT_FALSE(g_calls.page_made_before_initialized);
  EXPECT_EQ(to_beta, FALSE);
  EXPECT_FALSE(IsWindow(g_calls.initialized));
  EXPECT_EQ(refs_while_open, 3u);
  EXPECT_EQ(g_calls.refs, 0u);
  EXPECT_EQ(g_calls.lines, (Lines{"precreate", "initialized", "create Alpha", "create Beta", "release Alpha",
                                  "release Beta", "release Gamma"}));
}

TEST_F(PropSheetTest, PageHandlesBelongToTheSheetThatTakesThem) {
  std::vector<Page> pages = ThreePages();
  auto records = pstest::Records(pages);
  std::vector<HPROPSHEETPAGE> handles;
  for (const PROPSHEETPAGEA& r : records) handles.push_back(CreatePropertySheetPageA(&r));
  ASSERT_TRUE(handles[0] && handles[1] && handles[2]);
  PROPSHEETHEADERA h{};
  h.dwSize = sizeof(h);
  h.pszCaption = "Handles";
  h.nPages = 3;
  h.phpage = handles.data();
  BOOL destroyed_while_open = TRUE;
  LRESULT by_handle = FALSE;
  Script script;
  script
      .Then([&] {
        destroyed_while_open = DestroyPropertySheetPage(handles[1]);
        // A handle names the page; the index beside it does not count then.
        by_handle = SendMessageA(ActiveSheet(), PSM_SETCURSEL, 1, reinterpret_cast<LPARAM>(handles[2]));
        SendMessageA(ActiveSheet(), PSM_REBOOTSYSTEM, 0, 0);
      })
      .Press(PSBTN_OK);
  EXPECT_EQ(PropertySheetA(&h), ID_PSREBOOTSYSTEM);
  EXPECT_FALSE(destroyed_while_open);
  EXPECT_EQ(by_handle, TRUE);
  // The sheet destroyed its pages when it ended.
  EXPECT_FALSE(DestroyPropertySheetPage(handles[0]));
  EXPECT_EQ(JournalOf({"apply"}), (Lines{"apply Alpha 1", "apply Gamma 1"}));
}

TEST_F(PropSheetTest, BadHeadersAndPagesAreRefused) {
  std::vector<Page> pages = ThreePages();
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, 0);
  h.nPages = 0;
  EXPECT_EQ(PropertySheetA(&h), -1);
  EXPECT_EQ(PropertySheetA(nullptr), -1);
  h = pstest::Header(records, 0);
  h.dwSize = 8;
  EXPECT_EQ(PropertySheetA(&h), -1);

  PROPSHEETPAGEA small = records[0];
  small.dwSize = 12;
  EXPECT_EQ(CreatePropertySheetPageA(&small), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // A sheet that cannot take one handle leaves the caller's other handles to the caller.
  HPROPSHEETPAGE good = CreatePropertySheetPageA(&records[0]);
  HPROPSHEETPAGE list[2] = {good, reinterpret_cast<HPROPSHEETPAGE>(&h)};
  PROPSHEETHEADERA bad{};
  bad.dwSize = sizeof(bad);
  bad.nPages = 2;
  bad.phpage = list;
  EXPECT_EQ(PropertySheetA(&bad), -1);
  EXPECT_TRUE(DestroyPropertySheetPage(good));

  // A page whose template is missing cannot be shown; a sheet with no page to show fails.
  PROPSHEETPAGEA missing = records[0];
  missing.pszTemplate = MAKEINTRESOURCEA(4711);
  PROPSHEETHEADERA lone = pstest::Header(records, 0);
  lone.nPages = 1;
  lone.ppsp = &missing;
  EXPECT_EQ(PropertySheetA(&lone), -1);
  EXPECT_TRUE(Journal().empty());
}

TEST_F(PropSheetTest, PagesAddedRemovedAndAskedThroughTheSheet) {
  std::vector<Page> pages = ThreePages();
  pages.push_back(Page("Delta", IDD_PAGE_DELTA));
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, 0);
  h.nPages = 2;
  Script script;
  int count_after_add = 0, count_after_remove = 0, at_after_remove = -1;
  std::string caption;
  script
      .Then([&] {
        HWND sheet = ActiveSheet();
        HPROPSHEETPAGE extra = CreatePropertySheetPageA(&records[3]);
        EXPECT_EQ(SendMessageA(sheet, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(extra)), TRUE);
        EXPECT_EQ(SendMessageA(sheet, PSM_ADDPAGE, 0, reinterpret_cast<LPARAM>(extra)), FALSE);  // already in
        HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
        count_after_add = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
        EXPECT_EQ(SendMessageA(sheet, PSM_SETCURSELID, 0, IDD_PAGE_DELTA), TRUE);
      })
      .Then([&] {
        HWND sheet = ActiveSheet();
        // Removing the current page brings up its neighbour.
        SendMessageA(sheet, PSM_REMOVEPAGE, 2, 0);
        HWND tabs = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETTABCONTROL, 0, 0));
        count_after_remove = static_cast<int>(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
        at_after_remove = CurrentIndex(sheet, pages);
        SendMessageA(sheet, PSM_SETTITLEA, 0, reinterpret_cast<LPARAM>("Renamed"));
        caption = Text(sheet);
      })
      .Press(PSBTN_CANCEL);
  EXPECT_EQ(PropertySheetA(&h), 0);
  EXPECT_FALSE(script.stalled());
  EXPECT_EQ(count_after_add, 3);
  EXPECT_EQ(count_after_remove, 2);
  EXPECT_EQ(at_after_remove, 1);
  EXPECT_EQ(pages[3].destroyed, 1u);
  EXPECT_EQ(caption, "Renamed");
}

TEST_F(PropSheetTest, QuerySiblingsAsksMadePagesInOrderUntilOneAnswers) {
  std::vector<Page> pages = ThreePages();
  pages.push_back(Page("Delta", IDD_PAGE_DELTA));
  pages[2].siblings = 42;
  pages[3].siblings = 43;
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, 0);
  Script script;
  LRESULT answer = 0;
  script.Then([] { SetCurSel(3); })
      .Then([] { SetCurSel(2); })
      .Then([&] { answer = SendMessageA(ActiveSheet(), PSM_QUERYSIBLINGS, 7, 8); })
      .Press(PSBTN_CANCEL);
  PropertySheetA(&h);
  EXPECT_EQ(answer, 42);
  // Beta was never made, so it is not asked; Delta comes after the answer.
  EXPECT_EQ(JournalOf({"siblings"}), (Lines{"siblings Alpha 7 8", "siblings Gamma 7 8"}));
}

TEST_F(PropSheetTest, PagesFromTemplatesInMemoryWithTitlesFromResources) {
  qvp::DialogDesc d;
  d.style = WS_POPUP | WS_CAPTION | DS_SETFONT;
  d.cx = 150;
  d.cy = 60;
  d.caption = qvp::NameOrId::Text("From memory");
  d.font_face = qvp::NameOrId::Text("MS Sans Serif");
  d.font_point_size = 8;
  std::vector<uint8_t> block;
  std::string error;
  ASSERT_TRUE(qvp::BuildDialogTemplate(d, &block, &error)) << error;
  std::vector<Page> pages = {Page("Memory", 0), Page("Titled", 0)};
  auto records = pstest::Records(pages, PSP_DLGINDIRECT);
  records[0].pResource = block.data();
  records[1].pResource = block.data();
  records[1].dwFlags |= PSP_USETITLE;
  records[1].pszTitle = MAKEINTRESOURCEA(IDS_START_TITLE);
  PROPSHEETHEADERA h = pstest::Header(records, 0);
  Lines tabs;
  LONG_PTR page_style = 0;
  Script script;
  script
      .Then([&] {
        HWND strip = reinterpret_cast<HWND>(SendMessageA(ActiveSheet(), PSM_GETTABCONTROL, 0, 0));
        for (int i = 0; i < 2; ++i) {
          char text[32] = {};
          TCITEMA item{};
          item.mask = TCIF_TEXT;
          item.pszText = text;
          item.cchTextMax = sizeof(text);
          SendMessageA(strip, TCM_GETITEMA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&item));
          tabs.push_back(text);
        }
        page_style = GetWindowLongPtrA(pages[0].hwnd, GWL_STYLE);
      })
      .Press(PSBTN_CANCEL);
  EXPECT_EQ(PropertySheetA(&h), 0);
  EXPECT_EQ(tabs, (Lines{"From memory", "Gamma"}));
  // A page is a child of the sheet, whatever its template says.
  EXPECT_TRUE(page_style & WS_CHILD);
  EXPECT_FALSE(page_style & (WS_POPUP | WS_CAPTION));
  EXPECT_EQ(Journal().front(), "init Memory");
}

TEST_F(PropSheetTest, StartPageByTitle) {
  for (LPCSTR start : std::vector<LPCSTR>{"Gamma", MAKEINTRESOURCEA(IDS_START_TITLE)}) {
    Journal().clear();
    std::vector<Page> pages = ThreePages();
    auto records = pstest::Records(pages);
    PROPSHEETHEADERA h = pstest::Header(records, PSH_USEPSTARTPAGE);
    h.pStartPage = start;
    Script script;
    script.Press(PSBTN_CANCEL);
    PropertySheetA(&h);
    EXPECT_EQ(Journal().front(), "init Gamma");
  }
}

TEST_F(PropSheetTest, ATabClickSwitchesPagesUnlessTheCurrentPageRefuses) {
  std::vector<Page> pages = ThreePages();
  int refusals = 1;
  pages[0].On(PSN_KILLACTIVE, [&refusals](HWND) { return LRESULT{refusals-- > 0 ? TRUE : FALSE}; });
  auto records = pstest::Records(pages);
  PROPSHEETHEADERA h = pstest::Header(records, 0);
  auto click_tab = [](int index) {
    HWND tabs = reinterpret_cast<HWND>(SendMessageA(ActiveSheet(), PSM_GETTABCONTROL, 0, 0));
    RECT r{};
    SendMessageA(tabs, TCM_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&r));
    LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    PostMessageA(tabs, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageA(tabs, WM_LBUTTONUP, 0, at);
  };
  int after_refusal = -1, after_click = -1, after_ctrl_tab = -1;
  Script script;
  script.Then([&] { click_tab(2); })
      .Then([&] { after_refusal = CurrentIndex(ActiveSheet(), pages); })
      .Then([&] { click_tab(2); })
      .Then([&] {
        after_click = CurrentIndex(ActiveSheet(), pages);
        HWND focus = GetFocus();
        PostMessageA(focus, WM_KEYDOWN, VK_CONTROL, 0);
        PostMessageA(focus, WM_KEYDOWN, VK_TAB, 0);
        PostMessageA(focus, WM_KEYUP, VK_TAB, 0);
        PostMessageA(focus, WM_KEYUP, VK_CONTROL, 0);
      })
      .Then([&] { after_ctrl_tab = CurrentIndex(ActiveSheet(), pages); })
      .Press(PSBTN_CANCEL);
  PropertySheetA(&h);
  EXPECT_FALSE(script.stalled());
  EXPECT_EQ(after_refusal, 0);
  EXPECT_EQ(after_click, 2);
  EXPECT_EQ(after_ctrl_tab, 0);  // Ctrl+Tab goes round to the first page
  EXPECT_EQ(JournalOf({"killactive", "init", "setactive"}),
            (Lines{"init Alpha", "setactive Alpha", "killactive Alpha", "killactive Alpha", "init Gamma",
                   "setactive Gamma", "killactive Gamma", "setactive Alpha"}));
}

}  // namespace
