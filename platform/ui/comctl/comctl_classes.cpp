// Registration of the common control classes, for every instance, when the
// layer is loaded; InitCommonControls and InitCommonControlsEx for code that
// calls them (registering again changes nothing).
#include "ui/comctl/comctl_classes.h"

#include "ui/classes.h"
#include "ui/comctl/comctl_common.h"

namespace qvp::ui::comctl {
namespace {

void Register(const char* name, WNDPROC proc, UINT style) {
  WNDCLASSEXA wc{};
  wc.cbSize = sizeof(wc);
  wc.style = style | CS_GLOBALCLASS;
  wc.lpfnWndProc = proc;
  wc.cbWndExtra = qvp::ui::kStateBytes;
  wc.lpszClassName = name;
  RegisterSystemClass(wc);
}

[[maybe_unused]] const bool g_registered = (RegisterClasses(), true);

}  // namespace

void RegisterClasses() {
  Register(WC_HEADERA, HeaderWndProc, CS_DBLCLKS);
  Register(WC_LISTVIEWA, ListViewWndProc, CS_DBLCLKS);
  Register(WC_TREEVIEWA, TreeViewWndProc, CS_DBLCLKS);
  Register(WC_TABCONTROLA, TabWndProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
  Register(TOOLBARCLASSNAMEA, ToolbarWndProc, CS_DBLCLKS);
  Register(STATUSCLASSNAMEA, StatusBarWndProc, CS_DBLCLKS | CS_HREDRAW | CS_VREDRAW);
  Register(PROGRESS_CLASSA, ProgressWndProc, CS_HREDRAW | CS_VREDRAW);
  Register(UPDOWN_CLASSA, UpDownWndProc, CS_HREDRAW | CS_VREDRAW);
}

}  // namespace qvp::ui::comctl

void WINAPI InitCommonControls(void) {
  qvp::ui::comctl::Shielded(0, [] {
    qvp::ui::comctl::RegisterClasses();
    return 0;
  });
}

BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce) {
  if (!picce || picce->dwSize != sizeof(INITCOMMONCONTROLSEX)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  return qvp::ui::comctl::Shielded<BOOL>(FALSE, [] {
    qvp::ui::comctl::RegisterClasses();
    return TRUE;
  });
}
