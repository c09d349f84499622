// The property sheet's own state: page objects behind HPROPSHEETPAGE, and one
// Sheet per sheet window with its pages, current page and buttons.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "qvplatform.h"

namespace qvp::ui::sheet {

// ---- Page objects (page_object.cpp) ----

// The record a page handle names: the sheet's copy of the caller's
// PROPSHEETPAGEA, all dwSize bytes of it.
struct PageObject {
  std::vector<std::max_align_t> storage;
  bool in_sheet = false;  // handed to a sheet, which destroys it

  PROPSHEETPAGEA* record() { return reinterpret_cast<PROPSHEETPAGEA*>(storage.data()); }
};

// The object behind a live handle; null for anything else.
PageObject* LivePage(HPROPSHEETPAGE page);
// Makes a live page the sheet's; false when it is not live or another sheet has it.
bool ClaimPage(HPROPSHEETPAGE page);
// Gives a page back to its creator.
void UnclaimPage(HPROPSHEETPAGE page);
// Destroys a page its sheet is done with (PSPCB_RELEASE).
void FreeSheetPage(HPROPSHEETPAGE page);
// The page's tab text: PSP_USETITLE's title, else its template's caption.
std::string PageTitle(PageObject* page);
// A writable copy of the page's dialog template; empty when it has none.
std::vector<uint8_t> PageTemplate(PageObject* page);
// The resource id of the page's template; 0 for one in memory or named by text.
UINT PageTemplateId(PageObject* page);

// ---- The sheet ----

struct SheetPage {
  HPROPSHEETPAGE handle = nullptr;
  HWND hwnd = nullptr;   // the page dialog, once made
  bool changed = false;  // PSM_CHANGED since the last apply
};

// How a page change ended.
enum class Change {
  kDone,     // the wanted page (or the one it redirected to) is current
  kRefused,  // a page kept the activation, or no page would take it
  kNested,   // a page changed pages itself while being notified; that change stands
};

struct Sheet {
  HWND hwnd = nullptr;
  DWORD flags = 0;
  HINSTANCE instance = nullptr;
  HWND parent = nullptr;
  PFNPROPSHEETCALLBACK callback = nullptr;
  std::string caption;  // the sheet's caption as the header gave it (PSH_PROPTITLE applied)
  bool wizard = false;
  bool modeless = false;
  int start = 0;

  std::vector<SheetPage> pages;
  int current = -1;
  uint64_t switches = 0;  // page switches made; tells a caller that a nested change happened
  HWND tabs = nullptr;
  RECT page_rect{};  // where pages go, in the sheet's client coordinates
  bool init_failed = false;

  DWORD wizard_buttons = PSWIZB_BACK | PSWIZB_NEXT;
  bool finish_text = false;  // PSM_SETFINISHTEXT made Finish the only way on
  bool cancel_to_close = false;

  bool applied = false;  // an apply went through
  int restart = 0;       // ID_PSRESTARTWINDOWS / ID_PSREBOOTSYSTEM asked by a page
  bool ended = false;
  INT_PTR result = 0;
  HWND disabled_owner = nullptr;

  int IndexOf(HPROPSHEETPAGE page) const;
  int IndexOfWindow(HWND page) const;
  int IndexOfTemplateId(LRESULT id) const;
  HWND CurrentWindow() const;
};

// The sheet of a sheet window; null for any other window.
std::shared_ptr<Sheet> Find(HWND hwnd);
void Register(const std::shared_ptr<Sheet>& sheet);
void Unregister(HWND hwnd);

// ---- Pages (sheet_pages.cpp) ----

// Makes page `index`'s dialog if it does not exist yet; false when it cannot be made.
bool EnsurePage(Sheet& s, int index);
// Sends a PSN_ notification to a made page and returns its answer (0 for a page not made).
LRESULT Notify(Sheet& s, int index, UINT code, LPARAM lp = 0);
// Adds a page at the end (tab included); false for a handle that is not a free live page.
bool AddPage(Sheet& s, HPROPSHEETPAGE page);
// Takes a page out of the sheet and destroys it.
void RemovePage(Sheet& s, int index);
// Destroys every page object of the sheet (PSPCB_RELEASE), once its windows are gone.
void ReleasePages(Sheet& s);

// ---- Changing pages (sheet_nav.cpp) ----

// PSN_KILLACTIVE to the current page.
Change KillCurrent(Sheet& s);
// Makes `target` current after the old page let go: PSN_SETACTIVE, following
// its redirections (-1: the next page in direction `dir`; a template id).
Change Activate(Sheet& s, int target, int dir);
// Both, as PSM_SETCURSEL does.
Change SetCurrent(Sheet& s, int target);
// The buttons.
void PressOk(Sheet& s);
bool ApplyNow(Sheet& s, bool ok);
void PressCancel(Sheet& s, bool close_box);
void WizardStep(Sheet& s, int dir);  // Back (-1) or Next (+1)
void WizardFinish(Sheet& s);
// Ends the sheet with the result its applies give.
void End(Sheet& s);

// ---- Layout and buttons (sheet_layout.cpp) ----

// Sizes the sheet around its largest page and places tab strip and buttons.
void Layout(Sheet& s);
// Shows the wizard buttons PSM_SETWIZBUTTONS asked for.
void ShowWizardButtons(Sheet& s);
void UpdateApplyButton(Sheet& s);
void SetCaption(Sheet& s, DWORD style, LPCSTR text);
// The page's tab text in the strip.
void InsertTab(Sheet& s, int index);

// ---- The sheet window (sheet_proc.cpp) ----
INT_PTR CALLBACK SheetProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

}  // namespace qvp::ui::sheet
