#include "propsheet_test_support.h"

extern "C" const QvResourceDirectory QvResourceTable;

namespace pstest {
namespace {

std::string CodeName(UINT code) {
  switch (code) {
    case PSN_SETACTIVE: return "setactive";
    case PSN_KILLACTIVE: return "killactive";
    case PSN_APPLY: return "apply";
    case PSN_RESET: return "reset";
    case PSN_HELP: return "help";
    case PSN_WIZBACK: return "wizback";
    case PSN_WIZNEXT: return "wiznext";
    case PSN_WIZFINISH: return "wizfinish";
    case PSN_QUERYCANCEL: return "querycancel";
    default: return "code" + std::to_string(static_cast<int>(code));
  }
}

Page* PageOf(HWND hwnd) { return reinterpret_cast<Page*>(GetWindowLongPtrA(hwnd, DWL_USER)); }

}  // namespace

std::vector<std::string>& Journal() {
  static std::vector<std::string> lines;
  return lines;
}

std::vector<std::string> JournalOf(const std::vector<std::string>& prefixes) {
  std::vector<std::string> out;
  for (const std::string& line : Journal())
    for (const std::string& p : prefixes)
      if (line.compare(0, p.size(), p) == 0) {
        out.push_back(line);
        break;
      }
  return out;
}

Page& Page::On(UINT code, LRESULT value) {
  answers[code] = [value](HWND) { return value; };
  return *this;
}

Page& Page::On(UINT code, Answer answer) {
  answers[code] = std::move(answer);
  return *this;
}

INT_PTR CALLBACK PageProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case PSM_QUERYSIBLINGS: {
      Page* page = PageOf(hwnd);
      if (!page) return FALSE;
      Journal().push_back("siblings " + page->name + " " + std::to_string(wp) + " " + std::to_string(lp));
      SetWindowLongPtrA(hwnd, DWL_MSGRESULT, page->siblings);
      return TRUE;
    }
    case WM_INITDIALOG: {
      auto* record = reinterpret_cast<const PROPSHEETPAGEA*>(lp);
      auto* page = reinterpret_cast<Page*>(record->lParam);
      SetWindowLongPtrA(hwnd, DWL_USER, reinterpret_cast<LONG_PTR>(page));
      page->hwnd = hwnd;
      page->init_record = record;
      Journal().push_back("init " + page->name);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wp) == IDC_PAGE_RUN && HIWORD(wp) == BN_CLICKED)
        if (Page* page = PageOf(hwnd)) Journal().push_back("run " + page->name);
      return TRUE;
    case WM_DESTROY:
      if (Page* page = PageOf(hwnd)) ++page->destroyed;
      return FALSE;
    case WM_NOTIFY: {
      Page* page = PageOf(hwnd);
      auto* n = reinterpret_cast<const PSHNOTIFY*>(lp);
      if (!page || n->hdr.code > PSN_FIRST || n->hdr.code < PSN_LAST) return FALSE;
      std::string line = CodeName(n->hdr.code) + " " + page->name;
      if (n->hdr.code == PSN_APPLY || n->hdr.code == PSN_RESET) line += " " + std::to_string(n->lParam);
      Journal().push_back(line);
      auto it = page->answers.find(n->hdr.code);
      LRESULT answer = it == page->answers.end() ? 0 : it->second(hwnd);
      if (IsWindow(hwnd)) SetWindowLongPtrA(hwnd, DWL_MSGRESULT, answer);
      return TRUE;
    }
    default:
      return FALSE;
  }
}

std::vector<PROPSHEETPAGEA> Records(std::vector<Page>& pages, DWORD flags) {
  std::vector<PROPSHEETPAGEA> out;
  for (Page& p : pages) {
    PROPSHEETPAGEA r{};
    r.dwSize = sizeof(r);
    r.dwFlags = flags;
    r.hInstance = nullptr;
    r.pszTemplate = MAKEINTRESOURCEA(p.template_id);
    r.pfnDlgProc = PageProc;
    r.lParam = reinterpret_cast<LPARAM>(&p);
    out.push_back(r);
  }
  return out;
}

PROPSHEETHEADERA Header(std::vector<PROPSHEETPAGEA>& records, DWORD flags, HWND parent, const char* caption) {
  PROPSHEETHEADERA h{};
  h.dwSize = sizeof(h);
  h.dwFlags = flags | PSH_PROPSHEETPAGE;
  h.hwndParent = parent;
  h.pszCaption = caption;
  h.nPages = static_cast<UINT>(records.size());
  h.ppsp = records.data();
  return h;
}

HWND ActiveSheet() { return GetActiveWindow(); }

int CurrentIndex(HWND sheet, const std::vector<Page>& pages) {
  auto page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  for (size_t i = 0; i < pages.size(); ++i)
    if (page && pages[i].hwnd == page) return static_cast<int>(i);
  return -1;
}

Script::Script() {
  qvp::SetModalIdleHook([this] { Idle(); });
}

Script::~Script() { qvp::SetModalIdleHook(nullptr); }

Script& Script::Then(std::function<void()> step) {
  steps_.push_back(std::move(step));
  return *this;
}

Script& Script::Press(int psbtn) {
  return Then([psbtn] { SendMessageA(ActiveSheet(), PSM_PRESSBUTTON, static_cast<WPARAM>(psbtn), 0); });
}

void Script::Idle() {
  if (next_ < steps_.size()) {
    steps_[next_++]();
    return;
  }
  stalled_ = true;
  if (HWND sheet = ActiveSheet()) DestroyWindow(sheet);
}

void SetUpPages() {
  qvp::RegisterResourceTableForTests(nullptr, &QvResourceTable);
  Journal().clear();
}

}  // namespace pstest
