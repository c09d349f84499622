// Steering shared by the three alert pages.
#pragma once

#include "page_common.h"

struct AlertPageSetup {
  int wizardIndex;
  int editIndex;
  DWORD wizardButtons;
  ULONG_PTR help;
  bool* visited;  // the page's visited flag
  // Reads, checks and stores the page; false when refused (steered already).
  bool (*store)(HWND page, CMonitorProfile* profile);
  // The wizard's Next target; -1 stays on the page.
  int nextIndex;
};

struct AlertPageState {
  CMonitorProfile* profile = nullptr;
  bool applying = false;
};

// The notifications of an alert page (Back goes to `backIndex`, computed by the caller).
INT_PTR AlertPageNotify(HWND page, AlertPageState& state, const AlertPageSetup& setup, int backIndex, LPARAM lParam);
// The page's own index in the running sheet.
int AlertPageIndex(const CMonitorProfile* profile, const AlertPageSetup& setup);
