// The main panel's own command and control ids. The product library's menus
// and big buttons carry the same command ids, and its panel template the same
// control ids; they must not change.
#pragma once

#include "qvplatform.h"

// Commands.
inline constexpr WORD kCmdReport = 5000;
inline constexpr WORD kCmdCheckUpdates = 5005;
inline constexpr WORD kCmdHomePage = 5006;
inline constexpr WORD kCmdFaqPage = 5007;
inline constexpr WORD kCmdUpdateNow = 5010;
inline constexpr WORD kCmdSchedule = 5030;
inline constexpr WORD kCmdNewProfile = 5040;
inline constexpr WORD kCmdEditProfile = 5050;
inline constexpr WORD kCmdCopyProfile = 5055;
inline constexpr WORD kCmdDeleteProfile = 5060;
inline constexpr WORD kCmdHelp = 5070;
inline constexpr WORD kCmdOptions = 5090;
inline constexpr WORD kCmdSchedulerLog = 5091;
inline constexpr WORD kCmdStyleWizard = 5230;
inline constexpr WORD kCmdPluginTool1 = 5250;
inline constexpr WORD kCmdPluginTool2 = 5260;
inline constexpr WORD kCmdDetectLogs = 5270;
inline constexpr WORD kCmdOptionsAlt = 5280;  // the same command under another menu's id
inline constexpr WORD kCmdHelpIndex = 5300;
inline constexpr WORD kCmdHelpContents = 5310;
inline constexpr WORD kCmdHelpSearch = 5320;
inline constexpr WORD kCmdHelpOnHelp = 5330;
inline constexpr WORD kCmdHomePageAlt = 5340;  // the home page under other menus' ids
inline constexpr WORD kCmdSupportPage = 5341;
inline constexpr WORD kCmdNewsPage = 5342;
inline constexpr WORD kCmdOpenReport = 5770;
inline constexpr WORD kCmdExit = 5780;
inline constexpr WORD kCmdHomePageAlt2 = 6100;
inline constexpr WORD kCmdMailSupport = 6101;
inline constexpr WORD kCmdHomePageAlt3 = 6106;
inline constexpr WORD kCmdExitRequest = 40001;  // asks first when work is running
inline constexpr WORD kCmdPluginCommands = 40002;
inline constexpr WORD kCmdViewLarge = 40003;
inline constexpr WORD kCmdViewList = 40004;
inline constexpr WORD kCmdViewDetails = 40007;
inline constexpr WORD kCmdViewSmall = 40008;

// Controls of the panel template besides the status area's (analysis_status.h).
inline constexpr int kTopLineId = 5093;
inline constexpr int kBarLineId = 5094;
inline constexpr int kListFrameId = 1101;

// The report engine's please-wait window: its cancel button.
inline constexpr int kPleaseWaitCancelId = 8254;
