// The driver's actions for direct use: each runs its phases at once, with the
// calling thread's messages handled in between as an application's loop would.
#include "ui/dialog_state.h"
#include "ui/driver/driver_input.h"
#include "ui/propsheet/sheet.h"

namespace qvp::driver {
namespace {

// The dialog manager a message goes through: the outermost property sheet
// around its window, else the outermost dialog.
bool ThroughDialogManager(MSG* m) {
  if (!m->hwnd) return false;
  HWND sheet = nullptr, dialog = nullptr;
  for (HWND h = m->hwnd; h; h = (GetWindowLongPtrA(h, GWL_STYLE) & WS_CHILD) ? GetParent(h) : nullptr) {
    if (qvp::ui::sheet::Find(h)) sheet = h;
    qvp::ui::DialogInfo info;
    if (qvp::ui::GetDialog(h, &info)) dialog = h;
  }
  if (sheet) return SendMessageA(sheet, PSM_ISDIALOGMESSAGE, 0, reinterpret_cast<LPARAM>(m)) != 0;
  return dialog && IsDialogMessageA(dialog, m);
}

}  // namespace

void Pump() {
  MSG m;
  while (PeekMessageA(&m, nullptr, 0, 0, PM_REMOVE)) {
    if (m.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(m.wParam));  // for the loop that owns the quit
      return;
    }
    if (ThroughDialogManager(&m)) continue;
    TranslateMessage(&m);
    DispatchMessageA(&m);
  }
}

Outcome RunNow(const Phases& phases) {
  for (const auto& phase : phases) {
    Outcome out = phase();
    if (!out) return out;
    Pump();
  }
  return Outcome::Done();
}

Outcome Click(HWND window, std::optional<POINT> at) { return RunNow(ClickPhases(window, at, false)); }
Outcome DoubleClick(HWND window, std::optional<POINT> at) { return RunNow(ClickPhases(window, at, true)); }
Outcome Focus(HWND control) { return RunNow(FocusPhases(control)); }
Outcome Type(const std::string& text) { return RunNow(TypePhases(text)); }

Outcome TypeInto(HWND control, const std::string& text) {
  Phases phases = FocusPhases(control);
  for (auto& p : TypePhases(text)) phases.push_back(std::move(p));
  return RunNow(phases);
}

Outcome Press(UINT vk, UINT modifiers) { return RunNow(PressPhases(vk, modifiers)); }
Outcome Check(HWND button, UINT state) { return RunNow(CheckPhases(button, state)); }
Outcome Select(HWND list, int index) { return RunNow(SelectPhases(list, index)); }
Outcome Select(HWND list, const std::string& text) { return RunNow(SelectTextPhases(list, text)); }

}  // namespace qvp::driver
