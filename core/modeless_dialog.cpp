#include "modeless_dialog.h"

#include "app_globals.h"
#include "res_templates.h"
#include "window_steps.h"

ModelessDialogState g_modeless{};

namespace {

// Runs the dialog's messages until it is gone. False when WM_QUIT came first
// (it has been posted again).
bool RunDialogLoop(HWND dialog) {
  MSG message;
  while (IsWindow(dialog)) {
    if (!PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      // A sent message handled inside PeekMessageA may have ended the dialog.
      if (IsWindow(dialog)) WaitMessage();
      continue;
    }
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (!IsDialogMessageA(dialog, &message)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
  }
  return true;
}

}  // namespace

HWND RunModelessDialog(HWND owner, DLGPROC procedure, int templateId, LPARAM initParam, int showCommand,
                       BOOL ownLoop, int* result) {
  // A dialog that leaves no result must not hand on the previous one's.
  g_modeless.result = 0;
  if (owner != nullptr && IsWindow(owner)) {
    UpdateWindow(owner);
    EnableWindow(owner, FALSE);
  } else {
    owner = nullptr;
  }
  HWND dialog = CreateDialogIndirectParamA(g_app.resourceModule, LoadDialogTemplate(templateId), owner,
                                           procedure, initParam);
  if (dialog == nullptr) {
    // An owner left disabled would lock the program's window for good.
    if (owner != nullptr) EnableWindow(owner, TRUE);
    return nullptr;
  }
  if (!ShowStatusWindow(dialog)) ShowWindow(dialog, showCommand);
  UpdateWindow(dialog);
  g_modeless.running = true;
  if (!ownLoop) return dialog;

  if (!RunDialogLoop(dialog)) DestroyWindowAndClear(&dialog);
  g_modeless.running = false;
  if (result != nullptr) *result = g_modeless.result;
  if (owner != nullptr) {
    EnableWindow(owner, TRUE);
    SetFocus(owner);
  }
  return nullptr;
}

bool ShowStatusWindow(HWND window) {
  g_app.statusWindow = window;
  if (window != nullptr && IsWindow(window)) ShowWindow(window, g_app.panelInTray ? SW_MINIMIZE : SW_SHOW);
  return g_app.panelInTray;
}

void RestoreStatusWindow() {
  if (g_app.statusWindow != nullptr && IsWindow(g_app.statusWindow)) ShowWindow(g_app.statusWindow, SW_RESTORE);
}

void ReshowOwnerWindows(HWND window, int skip) {
  if (!g_modeless.running || !g_app.panelInTray || skip != 0) return;
  HWND desktop = GetDesktopWindow();
  for (HWND current = window; current != nullptr && current != desktop; current = GetParent(current)) {
    if (IsWindowVisible(current)) ShowWindow(current, SW_SHOWNA);
  }
}

void EndModelessDialog(HWND owner, HWND* holder) {
  if (owner != nullptr && IsWindow(owner)) EnableWindow(owner, TRUE);
  DestroyWindowAndClear(holder);
  g_modeless.running = false;
}
