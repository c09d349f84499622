// Next, Back, Finish, apply and cancel of the alert pages.
#include "alert_page_common.h"

int AlertPageIndex(const CMonitorProfile* profile, const AlertPageSetup& setup) {
  return PageIndex(profile, setup.wizardIndex, setup.editIndex);
}

INT_PTR AlertPageNotify(HWND page, AlertPageState& state, const AlertPageSetup& setup, int backIndex, LPARAM lParam) {
  CMonitorProfile* profile = state.profile;
  if (profile == nullptr) return FALSE;
  switch (NotifyCode(lParam)) {
    case PSN_SETACTIVE:
      if (IsEditSheet(profile)) {
        *setup.visited = true;
      } else {
        PostMessageA(SheetOf(page), PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(setup.wizardButtons));
        FocusFirstField(page);
      }
      return Answer(page, 0);
    case PSN_WIZNEXT:
      if (setup.nextIndex >= 0 && setup.store(page, profile)) Steer(page, setup.nextIndex);
      return Answer(page, 2);
    case PSN_WIZBACK:
      Steer(page, backIndex);
      return Answer(page, 2);
    case PSN_WIZFINISH:
    case PSN_APPLY: {
      if (state.applying) return Answer(page, 0);
      state.applying = true;
      const bool stored = setup.store(page, profile);
      if (stored) profile->SetSaved(true);
      state.applying = false;
      return Answer(page, stored ? 0 : 2);
    }
    case PSN_KILLACTIVE:
      state.applying = false;
      return Answer(page, 0);
    case PSN_RESET:
      profile->SetSaved(false);
      return Answer(page, 0);
    case PSN_HELP:
      ShowHelp(page, setup.help);
      return Answer(page, 0);
    default:
      return FALSE;
  }
}
