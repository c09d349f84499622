#pragma once

#include "qvplatform.h"

inline constexpr int kTextSlotCount = 5;
inline constexpr int kTextSlotSize = 400;
inline constexpr int kHelpPathSize = 304;

// The language every resource lookup uses until start-up chooses one.
inline constexpr LANGID kDefaultLanguageId = 1033;

struct AppGlobals {
  // The module dialogs, menus, strings and "TEXT" resources come from.
  HINSTANCE resourceModule;
  // The product library "PRODUCT.RSL" (its menus among others).
  HINSTANCE productModule;
  // The language id chosen at start-up from [Language] Program.
  LANGID languageId = kDefaultLanguageId;
  // The current modeless status dialog (see modeless_dialog.h).
  HWND statusWindow;
  // Set by the main panel while it is hidden to its tray icon.
  bool panelInTray;
  // The help file of the chosen language, for every dialog's help calls.
  char helpPath[kHelpPathSize];
  char textSlots[kTextSlotCount][kTextSlotSize];
};

extern AppGlobals g_app;
