// The window classes every module finds without registering them.
#include "ui/window_state.h"

namespace qvp::ui {

void AddBuiltInClasses(WindowSystem& s) {
  auto dialog = std::make_shared<WindowClass>();
  dialog->atom = 0x8002;  // WC_DIALOG, "#32770"
  dialog->name = "#32770";
  dialog->style = CS_DBLCLKS | CS_SAVEBITS;
  dialog->proc = DefDlgProcA;
  dialog->wnd_extra = DLGWINDOWEXTRA;
  dialog->system = true;
  s.classes.push_back(std::move(dialog));
}

}  // namespace qvp::ui
