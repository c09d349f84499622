// What the dialog manager keeps for each dialog window besides its DWL_ slots.
#pragma once

#include <functional>

#include "qvplatform/ui.h"

namespace qvp::ui {

struct DialogInfo {
  HFONT font = nullptr;       // the dialog's font (WM_GETFONT)
  bool owns_font = false;     // created from the template; deleted with the dialog
  SIZE base{0, 0};            // dialog base units of that font
  UINT def_id = 0;            // DM_SETDEFID; 0: none
  HWND saved_focus = nullptr; // the control that had focus when the dialog was deactivated
  bool modal = false;
  bool ended = false;         // EndDialog was called
  INT_PTR result = 0;
  HWND disabled_owner = nullptr;  // the owner a modal loop disabled and must enable again
  UINT template_id = 0;       // the resource id of the template it was made from; 0: none known
};

// Registers the state of a new dialog window.
void AddDialog(HWND hwnd, const DialogInfo& info);
// A copy of a dialog's state; false when the window is no dialog.
bool GetDialog(HWND hwnd, DialogInfo* info);
// Changes a dialog's state under the lock; false when the window is no dialog.
bool UpdateDialog(HWND hwnd, const std::function<void(DialogInfo&)>& change);
// Forgets a dialog (its window is going away); returns its last state.
DialogInfo RemoveDialog(HWND hwnd);

// Focus to a control the way the dialog manager moves it: an edit control gets
// all its text selected, a push button taking focus becomes the default button.
void DialogFocus(HWND dlg, HWND control);
// The button Enter presses: MAKELONG(id, DC_HASDEFID), or 0.
LRESULT DefaultId(HWND dlg);

// Calls the modal idle hook, if one is set.
void RunModalIdleHook();
// Blocks a modal loop until new input arrives; with an idle hook set, only
// briefly, so that the hook is called again.
void WaitForModalInput();

}  // namespace qvp::ui
