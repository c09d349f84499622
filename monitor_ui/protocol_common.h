// The parts every protocol page shares: its statics, the timing fields and
// the steering of Next, Back and apply.
#pragma once

#include "page_common.h"

// The page statics of one kind's page.
struct ProtocolPageState {
  CMonitorProfile* profile = nullptr;
  bool applying = false;
};
ProtocolPageState& ProtocolState(int kind);

// WM_INITDIALOG of every protocol page: the profile, the picture, the bold
// groups, the timing fields and the reactivation alert.
CMonitorProfile* InitProtocolPage(HWND page, int kind, LPARAM lParam);
// Stores the units and UpAlarm, then checks and stores the poll and failure
// times; a refusal steers to `failIndex`. `waiveTiming` skips both checks.
bool StoreTiming(HWND page, CMonitorProfile* profile, int failIndex, bool waiveTiming = false);
// The page's index for refusals: the kind in the wizard, 1 in the edit sheet.
int ProtocolIndex(const CMonitorProfile* profile, int kind);

// What a protocol page does with the notifications that are alike on every
// page. `store` reads, checks and stores the page (false: refused, the sheet
// steered already); `activate` runs at PSN_SETACTIVE after the buttons.
using StorePage = bool (*)(HWND page, CMonitorProfile* profile, int failIndex);
using ActivatePage = void (*)(HWND page, CMonitorProfile* profile);
INT_PTR ProtocolNotify(HWND page, int kind, ULONG_PTR help, LPARAM lParam, StorePage store, ActivatePage activate);
// UDN_DELTAPOS of the two timing spin arrows; true when it was one.
bool StepTiming(HWND page, LPARAM lParam);
