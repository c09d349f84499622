// The plug-in's windows: the pages of the profile wizard and edit sheet, the
// pager dialogs, the options pages and the two alert status windows.
#pragma once

#include "qvplatform.h"

// Wizard indexes of the alert pages.
inline constexpr int kWizardAudioIndex = 19;
inline constexpr int kWizardEmailIndex = 20;
inline constexpr int kWizardPagerIndex = 21;

// General page of both sheets and its owner-drawn kind list.
INT_PTR CALLBACK ProfileGeneralDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
void MeasureMonitorTypeItem(HWND page, MEASUREITEMSTRUCT* item, HFONT font);
void DrawMonitorTypeItem(const DRAWITEMSTRUCT* item, HFONT font);

// One protocol page per monitor kind.
INT_PTR CALLBACK DiskSpaceMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK DnsMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FingerMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK FtpMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK GopherMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HttpMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK IrcMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NntpMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NtServiceMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK OdbcMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PingMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK Pop3MonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK RwhoisMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK SmtpMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK TelnetMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WhoisMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK HttpsMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK UrlMonitorDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The alert pages and the pager's dialogs (lParam: the profile's CPagerAlert).
INT_PTR CALLBACK AudioAlertDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK EmailAlertDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK PagerAlertDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
void EnableAudioAlertControls(HWND page);
void EnableEmailAlertControls(HWND page);
void EnablePagerAlertControls(HWND page);
INT_PTR CALLBACK AlphaPagerSettingsDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK NumericPagerSettingsDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK WebPagerSettingsDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ModemSettingsDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The options pages; the page the options sheet opens at (each page keeps its
// index there when it is shown).
int& OptionsStartPage();
INT_PTR CALLBACK GeneralOptionsDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AutoReportDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK ReportLanguageDlg(HWND page, UINT message, WPARAM wParam, LPARAM lParam);

// The status windows the alert senders report to.
INT_PTR CALLBACK TestAlertStatusDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK AlertErrorsDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
