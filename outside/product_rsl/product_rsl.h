// The product resource library "PRODUCT.RSL": the product's menus, splash
// window, big-button toolbar, title and version, web pages and identifiers.
// The program loads it by name and looks its functions up with GetProcAddress;
// these are their shapes.
#pragma once

#include "qvplatform.h"

// Menu resource ids by role: 10 the main panel's menu, 20 the popup menus
// (submenu 0 tray icon, 1 empty list space, 2 a list row). Other roles: 0.
typedef int (*PFN_PRD_GetResourceID)(int role);
typedef void (*PFN_PRD_DestroySplash)(HWND splash);
// Creates and shows the splash window, owned by `owner`; null on failure.
typedef HWND (*PFN_PRD_CreateSplash)(HWND owner);
// The splash's text window (the line under the picture), or null.
typedef HWND (*PFN_PRD_GetSplashTextWnd)();
typedef int (*PFN_PRD_Register)(LANGID language, LANGID resourceLanguage);
typedef void (*PFN_PRD_Unregister)();
typedef void (*PFN_PRD_ShowAboutBox)(HWND owner);
// Copies "<title> <version>" into the buffer (at most size - 1 characters).
typedef void (*PFN_PRD_GetTitleAndVersion)(char* buffer, int size);
// Creates the large-button toolbar as child `id` of the panel, across its top.
// Messages: 3031 (wParam 1 enable / 0 disable, lParam command) and 3033
// (lParam command -> 1 enabled / 0 disabled) in; a pressed button sends its
// owner 3032 with the command in wParam.
typedef HWND (*PFN_PRD_CreateBigBtnToolbar)(HWND panel, int id);
typedef void (*PFN_PRD_DestroyBigBtnToolbar)(HWND toolbar);
// The address of product web page `page` (1..5) for the run-time language
// text and the product index; a static text.
typedef const char* (*PFN_PRD_GetWebPage)(const char* language, int productIndex, int page);
// Copies the product's SNMP root object identifier (at most 100 characters).
typedef void (*PFN_PRD_GetSNMPOid)(char* buffer);
// Copies the product part of the registry key (at most 100 characters).
typedef void (*PFN_PRD_GetProductRegKey)(char* buffer);

// Toolbar messages.
inline constexpr UINT QV_TOOLBAR_ENABLE = 3031;
inline constexpr UINT QV_TOOLBAR_COMMAND = 3032;
inline constexpr UINT QV_TOOLBAR_IS_ENABLED = 3033;
