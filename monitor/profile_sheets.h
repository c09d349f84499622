// The plug-in's three property sheets as tables: the options sheet, the
// profile wizard and the profile edit sheet, with their pages' procedures,
// templates and titles.
#pragma once

#include <functional>

#include "monitor_type.h"
#include "qvplatform.h"

// A property page's dialog procedure.
typedef DLGPROC PageProcedure;

struct SheetPage {
  PageProcedure procedure;  // null until the page is built
  WORD templateId;
  const char* title;        // wizard pages only; the others show none
};

enum class SheetKind {
  kOptions,  // modeless, no Apply button; pages with help
  kWizard,   // modal wizard, no Apply button; pages with help and titles
  kEdit,     // modal, no Apply button, a creation callback that drops the "?" button
};

inline constexpr int kOptionPageCount = 3;
inline constexpr int kWizardPageCount = 22;  // 0 general, 1-18 one per MonitorType, 19-21 alerts
inline constexpr int kEditPageCount = 5;     // general, the kind's page, the three alert pages
inline constexpr int kMaxSheetPages = kWizardPageCount;

// Wizard page indexes of the alert pages.
inline constexpr int kWizardAudioPage = 19;
inline constexpr int kWizardEmailPage = 20;
inline constexpr int kWizardPagerPage = 21;

struct PropertySheetSetup {
  SheetKind kind = SheetKind::kEdit;
  const char* caption = "";
  HWND owner = nullptr;
  int startPage = 0;
  int pageCount = 0;
  SheetPage pages[kMaxSheetPages] = {};
  LPARAM pageParam = 0;  // every page's lParam: the profile, or the options' INI stamp
};

// The page tables.
const SheetPage& OptionPage(int index);  // 0 .. 2
const SheetPage& WizardPage(int index);  // 0 .. 21

// The sheets, their pages filled from the tables.
PropertySheetSetup MakeOptionsSheet();
PropertySheetSetup MakeWizardSheet();
// The edit sheet: page 1 is the wizard page of `kind` (kept within 1 to 18).
PropertySheetSetup MakeEditSheet(int kind);

// Runs a profile sheet modally; its pages mark the profile saved when the user
// accepts it. Tests put a runner of their own in place of the property sheet.
using SheetRunner = std::function<void(const PropertySheetSetup&)>;
void RunPropertySheet(const PropertySheetSetup& sheet);

// The page records of a sheet (pages without a procedure left out; `pages`
// holds kMaxSheetPages) and its header; the count of records.
int BuildSheetPages(const PropertySheetSetup& sheet, PROPSHEETPAGEA* pages);
PROPSHEETHEADERA BuildSheetHeader(const PropertySheetSetup& sheet, const PROPSHEETPAGEA* pages, int count);
// The edit sheet's creation callback: drops the "?" button.
int CALLBACK PropSheetCallback(HWND sheet, UINT message, LPARAM lParam);
