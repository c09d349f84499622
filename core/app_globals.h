#pragma once

#include "product_rsl.h"
#include "qvplatform.h"

inline constexpr int kTextSlotCount = 5;
inline constexpr int kTextSlotSize = 400;
inline constexpr int kHelpPathSize = 304;

// The language every resource lookup uses until start-up chooses one.
inline constexpr LANGID kDefaultLanguageId = 1033;

struct ProductFunctions {
  PFN_PRD_GetResourceID GetResourceID;
  PFN_PRD_DestroySplash DestroySplash;
  PFN_PRD_CreateSplash CreateSplash;
  PFN_PRD_GetSplashTextWnd GetSplashTextWnd;
  PFN_PRD_Register Register;
  PFN_PRD_Unregister Unregister;
  PFN_PRD_ShowAboutBox ShowAboutBox;
  PFN_PRD_GetTitleAndVersion GetTitleAndVersion;
  PFN_PRD_CreateBigBtnToolbar CreateBigBtnToolbar;
  PFN_PRD_DestroyBigBtnToolbar DestroyBigBtnToolbar;
  PFN_PRD_GetWebPage GetWebPage;
  PFN_PRD_GetSNMPOid GetSNMPOid;          // optional
  PFN_PRD_GetProductRegKey GetProductRegKey;  // optional
};

inline constexpr int kCommandLineSize = 300;
inline constexpr int kSnmpOidSize = 100;

struct AppGlobals {
  // The token of the account the service logged on as; null when interactive.
  HANDLE logonToken;
  // The program's own instance.
  HINSTANCE instance;
  // The module dialogs, menus, strings and "TEXT" resources come from.
  HINSTANCE resourceModule;
  // The product library "PRODUCT.RSL" (its menus among others).
  HINSTANCE productModule;
  // The functions of "PRODUCT.RSL", looked up at start-up.
  ProductFunctions prd;
  // The main panel (template 100), the hidden main window and the splash.
  HWND mainPanel;
  HWND hiddenWindow;
  HWND splashWindow;
  // Set once the network libraries are bound.
  bool networkLibraries;
  // Set when the program runs under the service dispatcher.
  bool serviceMode;
  char commandLine[kCommandLineSize];
  // Display colour depth in bits per pixel.
  int colorDepth;
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

// The product's SNMP root object identifier text, filled at start-up.
extern char g_snmpOid[kSnmpOidSize + 1];
