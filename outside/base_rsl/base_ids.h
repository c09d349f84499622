// Ids of the base resource module: templates, pictures and the controls the
// program's dialog procedures address.
#pragma once

// Dialog templates.
#define IDD_MAIN_PANEL 100
#define IDD_PLUGIN_CHOOSER 31002
#define IDD_IMPORT_OFFER 31003

// Pictures.
#define IDI_PROGRAM 1
#define IDB_LIST_SMALL 3201
#define IDB_LIST_LARGE 122

// Main panel.
#define IDC_PANEL_TOP_LINE 5093
#define IDC_PANEL_BAR_LINE 5094
#define IDC_PANEL_FRAME 1101
#define IDC_PANEL_TABS 1097
#define IDC_PANEL_LIST 12301
#define IDC_PANEL_PROGRESS_PANEL 1132
#define IDC_PANEL_STATUS 19200
#define IDC_PANEL_LINES 19210
#define IDC_PANEL_TIME 19220
#define IDC_PANEL_PROGRESS_FRAME 19230
#define IDC_PANEL_GRIP 32001

// Plug-in chooser.
#define IDC_CHOOSER_OK 5000      // hidden anchor where OK is
#define IDC_CHOOSER_CANCEL 5001  // hidden anchor where Cancel is
#define IDC_CHOOSER_HELP_TEXT 1123
#define IDC_CHOOSER_PROMPT 1127
#define IDC_CHOOSER_HEADING 1128
#define IDC_CHOOSER_PICTURE 1131

// Import offer.
#define IDC_IMPORT_HEADING 30001
#define IDC_IMPORT_TEXT 1136
#define IDC_IMPORT_DONT_ASK 1135
#define IDC_IMPORT_YES 1137
#define IDC_IMPORT_NO 1138

// Scheduler window.
#define IDD_SCHEDULER 640
#define IDC_SCHED_LIST 15001
#define IDC_SCHED_RUN_NOW 15010
#define IDC_SCHED_NEW 15020
#define IDC_SCHED_DELETE 15030
#define IDC_SCHED_EDIT 15040
#define IDC_SCHED_LOG 15046
#define IDC_SCHED_DISABLE 15047
#define IDC_SCHED_CLEAR_LOG 15048
#define IDC_SCHED_HELP 16200
#define IDC_SCHED_PICTURE 1131

// Countdown before a scheduled run.
#define IDD_COUNTDOWN 700
#define IDB_COUNTDOWN 1149
#define IDC_COUNT_HEADING 30001
#define IDC_COUNT_FRAME 8502
#define IDC_COUNT_TIME 8355
#define IDC_COUNT_GROUP 14710
#define IDC_COUNT_SKIP 8350
#define IDC_COUNT_RUN 8351
#define IDC_COUNT_PAUSE 8352
