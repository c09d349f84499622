// Every section and key of the program's settings file "QUORVANE.INI", with
// the default a reader uses when the key is missing and the buffer length it
// reads with. Readers read at the moment of use and writers write at once;
// nothing is cached. Integers are decimal text; ProxyEnable and WebEnable are
// the words "TRUE"/"FALSE" (see settings_values.h); other switches are 0/1.
#pragma once

namespace ini {

inline constexpr char kFileName[] = "QUORVANE.INI";

// Sections. Names compare without regard to case ("Email" is "eMail").
inline constexpr char kDefaults[] = "Defaults";
inline constexpr char kMain[] = "Main";
inline constexpr char kBrowser[] = "Browser";
inline constexpr char kLanguage[] = "Language";
inline constexpr char kReport[] = "Report";
inline constexpr char kPrinting[] = "Printing";
inline constexpr char kEmail[] = "eMail";

// [Defaults]: the main panel.
inline constexpr char kListStart[] = "ListStart";              // int, top row of the list, 0
inline constexpr char kListOffset[] = "ListOffset";            // int, selected row, 0
inline constexpr char kListRefreshRate[] = "ListRefreshRate";  // int seconds, 30
inline constexpr int kDefaultListRefreshRate = 30;
inline constexpr char kCpuUsage[] = "CPUUsage";  // int 0-100, 100; above 100 reads as 100
inline constexpr int kDefaultCpuUsage = 100;
inline constexpr char kMainPanelX[] = "MainPanelX";  // int pixels, the panel's position
inline constexpr char kMainPanelY[] = "MainPanelY";
inline constexpr char kMainPanelWidth[] = "MainPanelWidthDlgUnits";  // int dialog units
inline constexpr char kMainPanelHeight[] = "MainPanelHeightDlgUnits";
inline constexpr char kListView[] = "ListView";  // int: 0 details, 1 large, 2 small, 3 list
inline constexpr char kColumnPosFormat[] = "ColumnPos_%04x";  // text, see settings_values.h
inline constexpr int kColumnPosLen = 100;
inline constexpr char kAutoDetectLogFiles[] = "AutoDetectLogFiles";        // int 0/1, 0
inline constexpr char kDisableScheduledItems[] = "DisableScheduledItems";  // int 0/1, 0
inline constexpr char kDontDisplayImportDlg[] = "DontDisplayImportDlg";    // int 0/1, 0

// [Defaults]: the service account; the password in its scrambled form.
inline constexpr char kUsername[] = "Username";  // text, empty
inline constexpr char kPassword[] = "Password";  // text, empty

// [Defaults]: proxies. ProxyEnable is a word; the remote server reads a
// missing key as "0".
inline constexpr char kProxyEnable[] = "ProxyEnable";      // word, empty (off)
inline constexpr char kHttpProxy[] = "HTTPProxy";          // host[:port], empty
inline constexpr char kHttpProxyAuth[] = "HTTPProxyAuth";  // user:password (plain), empty
inline constexpr char kFtpProxy[] = "FTPProxy";            // host[:port], empty
inline constexpr int kProxyLen = 200;

// [Defaults]: the remote report server.
inline constexpr char kWebEnable[] = "WebEnable";  // word, "FALSE"
inline constexpr char kDefaultWebEnable[] = "FALSE";
inline constexpr char kWebAddress[] = "WebAddress";  // address[:port], empty
inline constexpr char kWebAdmin[] = "WebAdmin";      // administrator user or group, empty
inline constexpr char kWebNoDays[] = "WebNoDays";    // int, 7
inline constexpr int kDefaultWebNoDays = 7;
inline constexpr char kWebNoReports[] = "WebNoReports";  // int, 10
inline constexpr int kDefaultWebNoReports = 10;
inline constexpr char kWebLogging[] = "WebLogging";  // int 0/1, 0
// int 0/1: the options page defaults to 1, the remote server to 0.
inline constexpr char kWebAllowReport[] = "WebAllowReport";
inline constexpr char kWebUserTimeout[] = "WebUserTimeout";  // int, 30
inline constexpr int kDefaultWebUserTimeout = 30;
inline constexpr char kSnmpRoot[] = "SNMP_Root";  // text, written when the agent registers

// [Main]: filled from the registered owner and organisation on the first run.
inline constexpr char kAuthor[] = "Author";
inline constexpr char kCompany[] = "Company";
inline constexpr int kAuthorLen = 256;

// [Browser]
inline constexpr char kPath[] = "Path";  // text, full path of the browser, empty
inline constexpr int kBrowserPathLen = 80;

// [Language]
inline constexpr char kProgram[] = "Program";  // "ENGLISH"
inline constexpr char kReportLanguage[] = "Report";  // "ENGLISH"
inline constexpr char kCountry[] = "Country";  // "US"
inline constexpr char kDefaultLanguage[] = "ENGLISH";
inline constexpr char kDefaultCountry[] = "US";
inline constexpr int kLanguageLen = 30;

// [Report]: the report viewer.
inline constexpr char kWindowTop[] = "WindowTop";  // int, 0
inline constexpr char kWindowLeft[] = "WindowLeft";
inline constexpr char kWindowWidth[] = "WindowWidth";
inline constexpr char kWindowHeight[] = "WindowHeight";
inline constexpr char kFontFace[] = "FontFace";  // text, "Arial", 30
inline constexpr char kDefaultFontFace[] = "Arial";
inline constexpr int kFontFaceLen = 30;
inline constexpr char kFontSize[] = "FontSize";  // int, 8
inline constexpr int kDefaultFontSize = 8;

// [Printing]
inline constexpr char kQuality[] = "Quality";           // int, 0
inline constexpr char kLeftMargin[] = "LeftMargin";     // int, 34
inline constexpr char kRightMargin[] = "RightMargin";   // int, 34
inline constexpr char kTopMargin[] = "TopMargin";       // int, 12
inline constexpr char kBottomMargin[] = "BottomMargin"; // int, 12
inline constexpr int kDefaultSideMargin = 34;
inline constexpr int kDefaultEndMargin = 12;

// [eMail]
inline constexpr char kEmailType[] = "eMailType";  // "SMTP" or "MAPI", "SMTP"
inline constexpr char kDefaultEmailType[] = "SMTP";
// The program's default is "Quorvane Reports"; the plug-in's alert mail reads
// it with "Quorvane Report" and writes "Quorvane Alert" for a missing subject.
inline constexpr char kSubject[] = "Subject";
inline constexpr char kDefaultSubject[] = "Quorvane Reports";
inline constexpr char kSmtpServer[] = "SMTPServer";  // text, "mail"
inline constexpr char kDefaultSmtpServer[] = "mail";
inline constexpr char kFrom[] = "From";        // text, the default sender address
inline constexpr char kReplyTo[] = "ReplyTo";  // text, as From
inline constexpr char kDefaultSender[] = "reports@quorvane.com";
inline constexpr char kMapiProfile[] = "MAPIProfile";    // text, empty
inline constexpr char kMapiPassword[] = "MAPIPassword";  // text, scrambled, empty
inline constexpr int kEmailLen = 200;

// "qv_prev.ini", left by a previous installation and only read.
inline constexpr char kPreviousFileName[] = "qv_prev.ini";
inline constexpr char kPrevious[] = "Previous";
inline constexpr char kMigrated[] = "Migrated";  // int, 0
inline constexpr char kInstallPath[] = "InstallPath";
inline constexpr char kInstallPath2[] = "InstallPath2";
inline constexpr int kInstallPathLen = 260;

// The Windows settings file, read for date and time forms only.
inline constexpr char kIntl[] = "intl";
inline constexpr char kIDate[] = "iDate";  // 0 month-day-year, 1 day-month-year, 2 year-month-day
inline constexpr char kSDate[] = "sDate";  // date separator, "/"
inline constexpr char kSTime[] = "sTime";  // time separator, ":"
inline constexpr char kSCountry[] = "sCountry";  // "United States"
inline constexpr char kDefaultDateSeparator[] = "/";
inline constexpr char kDefaultTimeSeparator[] = ":";
inline constexpr char kDefaultCountryName[] = "United States";

}  // namespace ini
