// Resource ids of the plug-in module (its resource script and its code).
#pragma once

// Strings.
#define IDS_SITE_QUALITY_HELP 19
#define IDS_SERVER_HEALTH_HELP 37

// The status panel inside the program's main panel.
#define IDD_STATUS_PANEL 15000
#define IDC_PANEL_PROFILE_LABEL 9070
#define IDC_PANEL_STATUS_LABEL 9071
#define IDC_PANEL_NEXT_LABEL 1063
#define IDC_PANEL_DESCRIPTION 1054
#define IDC_PANEL_STATUS 15005
#define IDC_PANEL_NEXT_TEST 15006
#define IDC_PANEL_REPORT 1113
