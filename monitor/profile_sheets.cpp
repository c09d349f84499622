// Page tables of the plug-in's property sheets.
#include "profile_sheets.h"

namespace {

constexpr char kProtocolTitle[] = "Add Monitoring and Alerting Profile - Protocol Details";

// Procedures join the tables as the pages are built: GeneralOptionsDlg,
// AutoReportDlg, ReportLanguageDlg.
constexpr SheetPage kOptionPages[kOptionPageCount] = {
    {nullptr, 16011, ""},
    {nullptr, 30002, ""},
    {nullptr, 16005, ""},
};

// Index = wizard page = MonitorType for pages 1 to 18. Procedures in order:
// ProfileGeneralDlg, DiskSpaceMonitorDlg, DnsMonitorDlg, FingerMonitorDlg,
// FtpMonitorDlg, GopherMonitorDlg, HttpMonitorDlg, IrcMonitorDlg, NntpMonitorDlg,
// NtServiceMonitorDlg, OdbcMonitorDlg, PingMonitorDlg, Pop3MonitorDlg,
// RwhoisMonitorDlg, SmtpMonitorDlg, TelnetMonitorDlg, WhoisMonitorDlg,
// HttpsMonitorDlg, UrlMonitorDlg, AudioAlertDlg, EmailAlertDlg, PagerAlertDlg.
constexpr SheetPage kWizardPages[kWizardPageCount] = {
    {nullptr, 112, "Add Monitoring and Alerting Profile - Description and Monitor Type"},
    {nullptr, 17001, kProtocolTitle},
    {nullptr, 16020, kProtocolTitle},
    {nullptr, 16018, kProtocolTitle},
    {nullptr, 16012, kProtocolTitle},
    {nullptr, 16025, kProtocolTitle},
    {nullptr, 16013, kProtocolTitle},
    {nullptr, 16024, kProtocolTitle},
    {nullptr, 16015, kProtocolTitle},
    {nullptr, 31006, kProtocolTitle},
    {nullptr, 17000, kProtocolTitle},
    {nullptr, 114, kProtocolTitle},
    {nullptr, 16019, kProtocolTitle},
    {nullptr, 16023, kProtocolTitle},
    {nullptr, 16014, kProtocolTitle},
    {nullptr, 16016, kProtocolTitle},
    {nullptr, 16022, kProtocolTitle},
    {nullptr, 31013, kProtocolTitle},
    {nullptr, 31014, kProtocolTitle},
    {nullptr, 31010, "Add Monitoring and Alerting Profile - Audio Alert Settings"},
    {nullptr, 31011, "Add Monitoring and Alerting Profile - E-mail Alert Settings"},
    {nullptr, 31012, "Add Monitoring and Alerting Profile - Pager Alert Settings"},
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

PropertySheetSpec MakeOptionsSheet() {
  PropertySheetSpec sheet;
  sheet.kind = SheetKind::kOptions;
  sheet.caption = "Monitoring and Alerting Options";
  sheet.pageCount = kOptionPageCount;
  for (int i = 0; i < kOptionPageCount; ++i) sheet.pages[i] = kOptionPages[i];
  return sheet;
}

PropertySheetSpec MakeWizardSheet() {
  PropertySheetSpec sheet;
  sheet.kind = SheetKind::kWizard;
  sheet.caption = "Create Monitoring and Alerting Profile";
  sheet.pageCount = kWizardPageCount;
  for (int i = 0; i < kWizardPageCount; ++i) sheet.pages[i] = kWizardPages[i];
  return sheet;
}

PropertySheetSpec MakeEditSheet(int kind) {
  if (kind < MONITOR_TYPE_FIRST || kind > MONITOR_TYPE_LAST) kind = MONITOR_TYPE_DEFAULT;
  PropertySheetSpec sheet;
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

void RunPropertySheet(const PropertySheetSpec& /*sheet*/) {
  // The layer's property sheets and the profile pages are not built yet: until
  // they are, a sheet shows nothing and its profile stays unsaved (cancelled).
}
