#include "ui/controls/control_classes.h"

#include "ui/classes.h"
#include "ui/control_frame.h"
#include "ui/controls/combo.h"

namespace qvp::ui {
namespace {

void Register(const char* name, WNDPROC proc, UINT style) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = kStateBytes;  // the control's state record
  wc.lpszClassName = name;
  RegisterSystemClass(wc);
}

// The classes exist as soon as the layer is loaded, as on Windows.
[[maybe_unused]] const bool g_registered = (RegisterControlClasses(), true);

}  // namespace

void RegisterControlClasses() {
  Register(WC_STATICA, StaticWndProc, CS_DBLCLKS | CS_PARENTDC);
  Register(WC_BUTTONA, ButtonWndProc, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW);
  Register(WC_EDITA, EditWndProc, CS_DBLCLKS | CS_PARENTDC);
  Register(WC_LISTBOXA, ListBoxWndProc, CS_DBLCLKS | CS_PARENTDC);
  Register(WC_COMBOBOXA, ComboBoxWndProc, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW);
  Register(WC_SCROLLBARA, ScrollBarWndProc, CS_DBLCLKS | CS_PARENTDC | CS_HREDRAW | CS_VREDRAW);
  Register(kComboListClass, ComboListWndProc, CS_DBLCLKS | CS_SAVEBITS);
}

}  // namespace qvp::ui
