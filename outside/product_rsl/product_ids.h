// Resource ids of the product library and the panel commands its menus and
// big buttons carry.
#pragma once

// Menus (PRD_GetResourceID roles 10 and 20).
#define IDM_PRD_MAIN 1010
#define IDM_PRD_POPUPS 1020

// The about box.
#define IDD_PRD_ABOUT 200
#define IDC_ABOUT_TITLE 201
#define IDC_ABOUT_NOTE 202

// The splash window's text line (a child of the splash).
#define IDC_SPLASH_TEXT 100

// Commands of the main panel.
#define CMD_REPORT 5000
#define CMD_CHECK_UPDATES 5005
#define CMD_HOME_PAGE 5006
#define CMD_FAQ_PAGE 5007
#define CMD_UPDATE_NOW 5010
#define CMD_SCHEDULE 5030
#define CMD_NEW 5040
#define CMD_EDIT 5050
#define CMD_COPY 5055
#define CMD_DELETE 5060
#define CMD_HELP 5070
#define CMD_OPTIONS 5090
#define CMD_SCHEDULER_LOG 5091
#define CMD_STYLE_WIZARD 5230
#define CMD_PLUGIN_TOOL_1 5250
#define CMD_PLUGIN_TOOL_2 5260
#define CMD_DETECT_LOGS 5270
#define CMD_HELP_INDEX 5300
#define CMD_HELP_CONTENTS 5310
#define CMD_HELP_SEARCH 5320
#define CMD_HELP_ON_HELP 5330
#define CMD_SUPPORT_PAGE 5341
#define CMD_NEWS_PAGE 5342
#define CMD_OPEN_REPORT 5770
#define CMD_EXIT 5780
#define CMD_MAIL_SUPPORT 6101
#define CMD_EXIT_REQUEST 40001
#define CMD_PLUGIN_COMMANDS 40002
#define CMD_VIEW_LARGE 40003
#define CMD_VIEW_LIST 40004
#define CMD_VIEW_DETAILS 40007
#define CMD_VIEW_SMALL 40008
