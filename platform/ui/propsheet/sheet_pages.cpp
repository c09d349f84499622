// The sheets in the process, and a sheet's pages: making a page's dialog the
// first time it is shown, notifying pages, adding and removing pages.
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "qvplatform/dlgtemplate.h"
#include "ui/dialog_state.h"
#include "ui/propsheet/sheet.h"

namespace qvp::ui::sheet {
namespace {

struct Sheets {
  std::mutex lock;
  std::unordered_map<HWND, std::shared_ptr<Sheet>> by_window;
};

Sheets& All() {
  static Sheets* s = new Sheets;
  return *s;
}

// Window and dialog styles a page template may carry that make no sense for
// a child inside the sheet.
constexpr DWORD kFrameStyles = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX |
                               WS_VISIBLE | WS_DISABLED | DS_MODALFRAME | DS_CENTER | DS_CENTERMOUSE | DS_SYSMODAL |
                               DS_ABSALIGN | DS_CONTEXTHELP | DS_SETFOREGROUND;

// A page is a hidden child dialog that takes part in the sheet's keyboard
// navigation.
void MakeChildTemplate(std::vector<uint8_t>* block) {
  DWORD style = 0, ex = 0;
  std::memcpy(&style, block->data() + offsetof(qvp::DialogBlockHeader, style), sizeof(style));
  std::memcpy(&ex, block->data() + offsetof(qvp::DialogBlockHeader, exstyle), sizeof(ex));
  style = (style & ~kFrameStyles) | WS_CHILD | DS_CONTROL | DS_3DLOOK;
  ex = (ex & ~(WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE | WS_EX_CLIENTEDGE)) | WS_EX_CONTROLPARENT;
  std::memcpy(block->data() + offsetof(qvp::DialogBlockHeader, style), &style, sizeof(style));
  std::memcpy(block->data() + offsetof(qvp::DialogBlockHeader, exstyle), &ex, sizeof(ex));
}

}  // namespace

std::shared_ptr<Sheet> Find(HWND hwnd) {
  Sheets& all = All();
  std::lock_guard<std::mutex> g(all.lock);
  auto it = all.by_window.find(hwnd);
  return it == all.by_window.end() ? nullptr : it->second;
}

void Register(const std::shared_ptr<Sheet>& sheet) {
  Sheets& all = All();
  std::lock_guard<std::mutex> g(all.lock);
  all.by_window[sheet->hwnd] = sheet;
}

void Unregister(HWND hwnd) {
  std::shared_ptr<Sheet> gone;  // released outside the lock
  Sheets& all = All();
  std::lock_guard<std::mutex> g(all.lock);
  auto it = all.by_window.find(hwnd);
  if (it == all.by_window.end()) return;
  gone = std::move(it->second);
  all.by_window.erase(it);
}

int Sheet::IndexOf(HPROPSHEETPAGE page) const {
  for (size_t i = 0; i < pages.size(); ++i)
    if (pages[i].handle == page) return static_cast<int>(i);
  return -1;
}

int Sheet::IndexOfWindow(HWND page) const {
  if (!page) return -1;
  for (size_t i = 0; i < pages.size(); ++i)
    if (pages[i].hwnd == page) return static_cast<int>(i);
  return -1;
}

int Sheet::IndexOfTemplateId(LRESULT id) const {
  if (id <= 0 || id > 0xFFFF) return -1;
  for (size_t i = 0; i < pages.size(); ++i) {
    PageObject* p = LivePage(pages[i].handle);
    if (p && PageTemplateId(p) == static_cast<UINT>(id)) return static_cast<int>(i);
  }
  return -1;
}

HWND Sheet::CurrentWindow() const {
  return current >= 0 && current < static_cast<int>(pages.size()) ? pages[current].hwnd : nullptr;
}

bool EnsurePage(Sheet& s, int index) {
  if (index < 0 || index >= static_cast<int>(s.pages.size())) return false;
  if (s.pages[index].hwnd && IsWindow(s.pages[index].hwnd)) return true;
  HPROPSHEETPAGE handle = s.pages[index].handle;
  PageObject* page = LivePage(handle);
  if (!page) return false;
  PROPSHEETPAGEA* r = page->record();
  if ((r->dwFlags & PSP_USECALLBACK) && r->pfnCallback && !r->pfnCallback(nullptr, PSPCB_CREATE, r)) return false;
  std::vector<uint8_t> block = PageTemplate(page);
  if (block.empty()) return false;
  MakeChildTemplate(&block);
  HWND hwnd = CreateDialogIndirectParamA(r->hInstance, block.data(), s.hwnd, r->pfnDlgProc, reinterpret_cast<LPARAM>(r));
  if (!hwnd) return false;
  // The page may have changed the sheet while it initialised.
  index = s.IndexOf(handle);
  if (index < 0) {
    DestroyWindow(hwnd);
    return false;
  }
  s.pages[index].hwnd = hwnd;
  UINT id = PageTemplateId(page);
  UpdateDialog(hwnd, [id](DialogInfo& info) { info.template_id = id; });
  // In the tab order the page comes right after the tab strip.
  SetWindowPos(hwnd, s.tabs ? s.tabs : HWND_TOP, s.page_rect.left, s.page_rect.top,
               s.page_rect.right - s.page_rect.left, s.page_rect.bottom - s.page_rect.top, SWP_NOACTIVATE);
  return true;
}

LRESULT Notify(Sheet& s, int index, UINT code, LPARAM lp) {
  if (index < 0 || index >= static_cast<int>(s.pages.size())) return 0;
  HWND page = s.pages[index].hwnd;
  if (!page || !IsWindow(page)) return 0;
  PSHNOTIFY n{};
  n.hdr.hwndFrom = s.hwnd;
  n.hdr.idFrom = 0;
  n.hdr.code = code;
  n.lParam = lp;
  return SendMessageA(page, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&n));
}

bool AddPage(Sheet& s, HPROPSHEETPAGE page) {
  if (s.pages.size() >= MAXPROPPAGES || !ClaimPage(page)) return false;
  s.pages.push_back(SheetPage{page, nullptr, false});
  InsertTab(s, static_cast<int>(s.pages.size()) - 1);
  return true;
}

void RemovePage(Sheet& s, int index) {
  if (index < 0 || index >= static_cast<int>(s.pages.size())) return;
  HPROPSHEETPAGE handle = s.pages[index].handle;
  if (index == s.current) {
    // Another page takes the place of the one going away.
    int other = index + 1 < static_cast<int>(s.pages.size()) ? index + 1 : index - 1;
    if (other >= 0) Activate(s, other, other > index ? 1 : -1);
    index = s.IndexOf(handle);
    if (index < 0) return;
    if (s.current == index) {
      ShowWindow(s.pages[index].hwnd, SW_HIDE);
      s.current = -1;
      ++s.switches;
    }
  }
  HWND hwnd = s.pages[index].hwnd;
  s.pages.erase(s.pages.begin() + index);
  if (s.current > index) --s.current;
  SendMessageA(s.tabs, TCM_DELETEITEM, static_cast<WPARAM>(index), 0);
  if (s.current >= 0) SendMessageA(s.tabs, TCM_SETCURSEL, static_cast<WPARAM>(s.current), 0);
  if (hwnd && IsWindow(hwnd)) DestroyWindow(hwnd);
  FreeSheetPage(handle);
  UpdateApplyButton(s);
}

void ReleasePages(Sheet& s) {
  std::vector<SheetPage> pages;
  pages.swap(s.pages);
  s.current = -1;
  for (const SheetPage& p : pages) FreeSheetPage(p.handle);
}

}  // namespace qvp::ui::sheet
