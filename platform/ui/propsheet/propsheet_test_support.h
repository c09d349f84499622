// Test pages for property sheets: a page procedure that writes every
// notification it gets into one journal and answers from a table, and a
// script that acts on a running modal sheet one step per idle.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "qvplatform.h"
#include "testdata/page_ids.h"

namespace pstest {

// Every page's notifications, in order: "init Alpha", "setactive Beta",
// "killactive Beta", "apply Alpha 1", "reset Gamma 0", "wiznext Alpha", ...
std::vector<std::string>& Journal();
// The journal's lines that start with one of `prefixes`, in order.
std::vector<std::string> JournalOf(const std::vector<std::string>& prefixes);

struct Page {
  using Answer = std::function<LRESULT(HWND page)>;

  Page(std::string page_name, UINT id) : name(std::move(page_name)), template_id(id) {}

  // The page answers `code` with `value` (every time).
  Page& On(UINT code, LRESULT value);
  // The page runs `answer` for `code` and answers what it returns.
  Page& On(UINT code, Answer answer);

  std::string name;
  UINT template_id;
  std::map<UINT, Answer> answers;
  HWND hwnd = nullptr;                           // the page dialog, once made
  const PROPSHEETPAGEA* init_record = nullptr;   // WM_INITDIALOG's lParam
  UINT destroyed = 0;                            // WM_DESTROY seen
  LRESULT siblings = 0;                          // the answer to PSM_QUERYSIBLINGS
};

INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// One page record per page (template from the test's resources, lParam the Page).
std::vector<PROPSHEETPAGEA> Records(std::vector<Page>& pages, DWORD flags = 0);
PROPSHEETHEADERA Header(std::vector<PROPSHEETPAGEA>& records, DWORD flags, HWND parent = nullptr,
                        const char* caption = "Sheet");

// The sheet window of a modal sheet that is running (the active window).
HWND ActiveSheet();
// The current page's index, through PSM_GETCURRENTPAGEHWND.
int CurrentIndex(HWND sheet, const std::vector<Page>& pages);

// Acts on modal sheets from the modal idle hook, one step per idle. When the
// steps are used up and a sheet still waits, the script records a stall and
// destroys that sheet so that the test goes on.
class Script {
 public:
  Script();
  ~Script();
  Script(const Script&) = delete;
  Script& operator=(const Script&) = delete;

  Script& Then(std::function<void()> step);
  // A step that presses one of the active sheet's buttons (PSBTN_*) as the user would.
  Script& Press(int psbtn);
  bool stalled() const { return stalled_; }
  size_t left() const { return steps_.size() - next_; }

 private:
  void Idle();
  std::vector<std::function<void()>> steps_;
  size_t next_ = 0;
  bool stalled_ = false;
};

// The test executable's resources as the program's.
void SetUpPages();

}  // namespace pstest
