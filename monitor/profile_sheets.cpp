// Page tables of the plug-in's property sheets.
#include "profile_sheets.h"

#include "monitor_ui.h"
#include "plugin_globals.h"

namespace {

constexpr char kProtocolTitle[] = "Add Monitoring and Alerting Profile - Protocol Details";

constexpr SheetPage kOptionPages[kOptionPageCount] = {
    {GeneralOptionsDlg, 16011, ""},
    {AutoReportDlg, 30002, ""},
    {ReportLanguageDlg, 16005, ""},
};

// Index = wizard page = MonitorType for pages 1 to 18.
constexpr SheetPage kWizardPages[kWizardPageCount] = {
    {ProfileGeneralDlg, 112, "Add Monitoring and Alerting Profile - Description and Monitor Type"},
    {DiskSpaceMonitorDlg, 17001, kProtocolTitle},
    {DnsMonitorDlg, 16020, kProtocolTitle},
    {FingerMonitorDlg, 16018, kProtocolTitle},
    {FtpMonitorDlg, 16012, kProtocolTitle},
    {GopherMonitorDlg, 16025, kProtocolTitle},
    {HttpMonitorDlg, 16013, kProtocolTitle},
    {IrcMonitorDlg, 16024, kProtocolTitle},
    {NntpMonitorDlg, 16015, kProtocolTitle},
    {NtServiceMonitorDlg, 31006, kProtocolTitle},
    {OdbcMonitorDlg, 17000, kProtocolTitle},
    {PingMonitorDlg, 114, kProtocolTitle},
    {Pop3MonitorDlg, 16019, kProtocolTitle},
    {RwhoisMonitorDlg, 16023, kProtocolTitle},
    {SmtpMonitorDlg, 16014, kProtocolTitle},
    {TelnetMonitorDlg, 16016, kProtocolTitle},
    {WhoisMonitorDlg, 16022, kProtocolTitle},
    {HttpsMonitorDlg, 31013, kProtocolTitle},
    {UrlMonitorDlg, 31014, kProtocolTitle},
    {AudioAlertDlg, 31010, "Add Monitoring and Alerting Profile - Audio Alert Settings"},
    {EmailAlertDlg, 31011, "Add Monitoring and Alerting Profile - E-mail Alert Settings"},
    {PagerAlertDlg, 31012, "Add Monitoring and Alerting Profile - Pager Alert Settings"},
};

// The edit sheet's general page has a template of its own and the wizard's
// general procedure.
constexpr WORD kEditGeneralTemplate = 31004;

SheetPage Untitled(const SheetPage& page) { return {page.procedure, page.templateId, ""}; }

}  // namespace

const SheetPage& OptionPage(int index) {
  return kOptionPages[index >= 0 && index < kOptionPageCount ? index : 0];
}

const SheetPage& WizardPage(int index) {
  return kWizardPages[index >= 0 && index < kWizardPageCount ? index : 0];
}

PropertySheetSetup MakeOptionsSheet() {
  PropertySheetSetup sheet;
  sheet.kind = SheetKind::kOptions;
  sheet.caption = "Monitoring and Alerting Options";
  sheet.pageCount = kOptionPageCount;
  for (int i = 0; i < kOptionPageCount; ++i) sheet.pages[i] = kOptionPages[i];
  return sheet;
}

PropertySheetSetup MakeWizardSheet() {
  PropertySheetSetup sheet;
  sheet.kind = SheetKind::kWizard;
  sheet.caption = "Create Monitoring and Alerting Profile";
  sheet.pageCount = kWizardPageCount;
  for (int i = 0; i < kWizardPageCount; ++i) sheet.pages[i] = kWizardPages[i];
  return sheet;
}

PropertySheetSetup MakeEditSheet(int kind) {
  if (kind < MONITOR_TYPE_FIRST || kind > MONITOR_TYPE_LAST) kind = MONITOR_TYPE_DEFAULT;
  PropertySheetSetup sheet;
  sheet.kind = SheetKind::kEdit;
  sheet.caption = "Edit Monitoring and Alerting Profile";
  sheet.pageCount = kEditPageCount;
  sheet.pages[0] = {kWizardPages[0].procedure, kEditGeneralTemplate, ""};
  sheet.pages[1] = Untitled(kWizardPages[kind]);
  sheet.pages[2] = Untitled(kWizardPages[kWizardAudioPage]);
  sheet.pages[3] = Untitled(kWizardPages[kWizardEmailPage]);
  sheet.pages[4] = Untitled(kWizardPages[kWizardPagerPage]);
  return sheet;
}

int CALLBACK PropSheetCallback(HWND /*sheet*/, UINT message, LPARAM lParam) {
  // No "?" button on the edit sheet.
  if (message == PSCB_PRECREATE && lParam != 0) reinterpret_cast<DLGTEMPLATE*>(lParam)->style &= ~DS_CONTEXTHELP;
  return 0;
}

int BuildSheetPages(const PropertySheetSetup& sheet, PROPSHEETPAGEA* pages) {
  int count = 0;
  for (int i = 0; i < sheet.pageCount && i < kMaxSheetPages; ++i) {
    const SheetPage& page = sheet.pages[i];
    if (page.procedure == nullptr) continue;  // a page not built yet is left out
    PROPSHEETPAGEA& record = pages[count++];
    record = PROPSHEETPAGEA{};
    record.dwSize = sizeof record;
    record.dwFlags = PSP_HASHELP;
    if (sheet.kind == SheetKind::kWizard) record.dwFlags |= PSP_USETITLE;
    record.hInstance = PluginInstance();
    record.pszTemplate = MAKEINTRESOURCEA(page.templateId);
    record.pszTitle = page.title;
    record.pfnDlgProc = page.procedure;
    record.lParam = sheet.pageParam;
  }
  return count;
}

PROPSHEETHEADERA BuildSheetHeader(const PropertySheetSetup& sheet, const PROPSHEETPAGEA* pages, int count) {
  PROPSHEETHEADERA header{};
  header.dwSize = sizeof header;
  header.dwFlags = PSH_PROPSHEETPAGE | PSH_NOAPPLYNOW;
  if (sheet.kind == SheetKind::kWizard) header.dwFlags |= PSH_WIZARD;
  if (sheet.kind == SheetKind::kEdit) {
    header.dwFlags |= PSH_USECALLBACK;
    header.pfnCallback = PropSheetCallback;
  }
  header.hwndParent = sheet.owner;
  header.hInstance = PluginInstance();
  header.pszCaption = sheet.caption;
  header.nPages = static_cast<UINT>(count);
  header.nStartPage = sheet.startPage >= 0 && sheet.startPage < count ? static_cast<UINT>(sheet.startPage) : 0;
  header.ppsp = pages;
  return header;
}

void RunPropertySheet(const PropertySheetSetup& sheet) {
  PROPSHEETPAGEA pages[kMaxSheetPages];
  const int count = BuildSheetPages(sheet, pages);
  if (count == 0) return;
  const PROPSHEETHEADERA header = BuildSheetHeader(sheet, pages, count);
  PropertySheetA(&header);
}
