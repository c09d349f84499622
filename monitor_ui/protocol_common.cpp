// Shared behaviour of the protocol pages.
#include "protocol_common.h"

#include "monitor_ui.h"

namespace {
using namespace page_ids;
constexpr long kMaxTime = 14440;
}  // namespace

ProtocolPageState& ProtocolState(int kind) {
  static ProtocolPageState states[MONITOR_TYPE_LAST + 1];
  return states[kind >= 0 && kind <= MONITOR_TYPE_LAST ? kind : 0];
}

int ProtocolIndex(const CMonitorProfile* profile, int kind) { return PageIndex(profile, kind, kEditProtocolPage); }

CMonitorProfile* InitProtocolPage(HWND page, int kind, LPARAM lParam) {
  ProtocolPageState& state = ProtocolState(kind);
  state.profile = ProfileOfPage(lParam);
  state.applying = false;
  InitPicture(page);
  BoldControls(page, {kTitleGroup, kTimingGroup});
  SendDlgItemMessageA(page, kHost, EM_LIMITTEXT, 80, 0);
  SendDlgItemMessageA(page, kPort, EM_LIMITTEXT, 5, 0);
  SendDlgItemMessageA(page, kPollTime, EM_LIMITTEXT, 5, 0);
  SendDlgItemMessageA(page, kFailTime, EM_LIMITTEXT, 5, 0);
  if (state.profile == nullptr) return nullptr;
  const CMonitorSettings* settings = state.profile->GetSettings();
  FillTimeUnitCombo(GetDlgItem(page, kPollUnit), settings->GetPollTimeUnit());
  FillTimeUnitCombo(GetDlgItem(page, kFailUnit), settings->GetFailTimeUnit());
  SetChecked(page, kUpAlarm, settings->GetUpAlarm());
  SetControlNumber(page, kPollTime, settings->GetPollTime());
  SetControlNumber(page, kFailTime, settings->GetFailTime());
  return state.profile;
}

bool StoreTiming(HWND page, CMonitorProfile* profile, int failIndex, bool waiveTiming) {
  CMonitorSettings* settings = profile->GetSettings();
  settings->SetPollTimeUnit(SelectedUnit(page, kPollUnit));
  settings->SetFailTimeUnit(SelectedUnit(page, kFailUnit));
  settings->SetUpAlarm(IsChecked(page, kUpAlarm));
  const long poll = ControlNumber(page, kPollTime);
  if (!waiveTiming && (poll < 1 || (poll < 30 && settings->GetPollTimeUnit() == 0))) {
    Refuse(page, failIndex, kPollTime, PluginString(39).c_str());
    return false;
  }
  settings->SetPollTime(static_cast<int>(poll));
  const long fail = ControlNumber(page, kFailTime);
  if (!waiveTiming && fail <= 0) {
    Refuse(page, failIndex, kFailTime, PluginString(38).c_str());
    return false;
  }
  settings->SetFailTime(static_cast<int>(fail));
  return true;
}

INT_PTR ProtocolNotify(HWND page, int kind, ULONG_PTR help, LPARAM lParam, StorePage store, ActivatePage activate) {
  ProtocolPageState& state = ProtocolState(kind);
  CMonitorProfile* profile = state.profile;
  if (profile == nullptr) return FALSE;
  switch (NotifyCode(lParam)) {
    case PSN_SETACTIVE:
      if (IsEditSheet(profile)) {
        SheetState().protocolVisited = true;
      } else {
        PostMessageA(SheetOf(page), PSM_SETWIZBUTTONS, 0, PSWIZB_BACK | PSWIZB_NEXT);
      }
      if (activate != nullptr) activate(page, profile);
      return Answer(page, 0);
    case PSN_WIZNEXT:
      if (store(page, profile, kind)) Steer(page, kWizardAudioIndex);
      return Answer(page, 2);
    case PSN_WIZBACK:
      Steer(page, 0);
      return Answer(page, 2);
    case PSN_APPLY: {
      if (state.applying) return Answer(page, 0);
      state.applying = true;
      const bool stored = store(page, profile, kEditProtocolPage);
      state.applying = false;
      return Answer(page, stored ? 0 : 2);
    }
    case PSN_KILLACTIVE:
      state.applying = false;
      return Answer(page, 0);
    case PSN_RESET:
    case PSN_WIZFINISH:
      return Answer(page, 0);
    case PSN_HELP:
      if (help != 0) ShowHelp(page, help);
      return Answer(page, 0);
    default:
      if (StepTiming(page, lParam)) return Answer(page, 0);
      return FALSE;
  }
}

bool StepTiming(HWND page, LPARAM lParam) {
  const auto* header = reinterpret_cast<const NMHDR*>(lParam);
  if (header == nullptr || header->code != UDN_DELTAPOS) return false;
  const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
  if (header->idFrom == static_cast<UINT_PTR>(kPollSpin)) {
    StepNumber(page, kPollTime, change->iDelta, 1, kMaxTime);
    return true;
  }
  if (header->idFrom == static_cast<UINT_PTR>(kFailSpin)) {
    StepNumber(page, kFailTime, change->iDelta, 1, kMaxTime);
    return true;
  }
  return false;
}
