// The program's modeless dialogs: the current status window, and one modeless
// dialog at a time that may run its own message loop (the scheduler's
// countdown among them).
#pragma once

#include "qvplatform.h"

// Process-wide state of the modeless dialog (GUI thread only).
struct ModelessDialogState {
  bool running;  // a dialog started by RunModelessDialog is open
  int result;    // left here by the dialog's procedure for RunModelessDialog's caller (0 at its start)
};

extern ModelessDialogState g_modeless;

// Creates dialog templateId of the resource module with procedure and
// initParam, owned by owner (which is disabled meanwhile, or no owner when it
// is no window), makes it the status window and shows it with showCommand
// unless the main panel is in the tray. Without ownLoop returns the dialog.
// With ownLoop runs the dialog's messages until it is destroyed, then stores
// g_modeless.result in *result (when not null), re-enables and focuses the
// owner and returns null. A WM_QUIT met in that loop ends the dialog and is
// posted again for the caller's loop. Null, with the owner enabled again,
// when the dialog cannot be created.
HWND RunModelessDialog(HWND owner, DLGPROC procedure, int templateId, LPARAM initParam, int showCommand,
                       BOOL ownLoop, int* result);

// Makes window the current status window; when it exists, minimises it while
// the main panel is in the tray, else shows it. Returns the tray flag.
bool ShowStatusWindow(HWND window);

// Restores the current status window if it exists.
void RestoreStatusWindow();

// While a modeless dialog runs with the panel in the tray, and skip is 0:
// re-shows window and each of its parents (up to the desktop) that is
// visible, without activating them.
void ReshowOwnerWindows(HWND window, int skip);

// Re-enables the owner and destroys the dialog in *holder (clearing it), and
// ends the modeless dialog's running state.
void EndModelessDialog(HWND owner, HWND* holder);
