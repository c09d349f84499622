// Next, Back, Finish, apply and cancel of the alert pages.
#include "alert_page_common.h"

int AlertPageIndex(const CMonitorProfile* profile, const AlertPageSpec& spec) {
  return PageIndex(profile, spec.wizardIndex, spec.editIndex);
}

INT_PTR AlertPageNotify(HWND page, AlertPageState& state, const AlertPageSpec& spec, int backIndex, LPARAM lParam) {
  CMonitorProfile* profile = state.profile;
  if (profile == nullptr) return FALSE;
  switch (NotifyCode(lParam)) {
    case PSN_SETACTIVE:
      if (IsEditSheet(profile)) {
        *spec.visited = true;
      } else {
        PostMessageA(SheetOf(page), PSM_SETWIZBUTTONS, 0, static_cast<LPARAM>(spec.wizardButtons));
      }
      return Answer(page, 0);
    case PSN_WIZNEXT:
      if (spec.nextIndex >= 0 && spec.store(page, profile)) Steer(page, spec.nextIndex);
      return Answer(page, 2);
    case PSN_WIZBACK:
      Steer(page, backIndex);
      return Answer(page, 2);
    case PSN_WIZFINISH:
    case PSN_APPLY: {
      if (state.applying) return Answer(page, 0);
      state.applying = true;
      const bool stored = spec.store(page, profile);
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
      ShowHelp(page, spec.help);
      return Answer(page, 0);
    default:
      return FALSE;
  }
}
