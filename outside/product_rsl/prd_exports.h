// The library's exports, in the shapes of product_rsl.h (the program reaches
// them only through GetProcAddress).
#pragma once

#include <type_traits>

#include "product_rsl.h"

QV_API int PRD_GetResourceID(int role);
QV_API void PRD_DestroySplash(HWND splash);
QV_API HWND PRD_CreateSplash(HWND owner);
QV_API HWND PRD_GetSplashTextWnd();
QV_API int PRD_Register(LANGID language, LANGID resourceLanguage);
QV_API void PRD_Unregister();
QV_API void PRD_ShowAboutBox(HWND owner);
QV_API void PRD_GetTitleAndVersion(char* buffer, int size);
QV_API HWND PRD_CreateBigBtnToolbar(HWND panel, int id);
QV_API void PRD_DestroyBigBtnToolbar(HWND toolbar);
QV_API const char* PRD_GetWebPage(const char* language, int productIndex, int page);
QV_API void PRD_GetSNMPOid(char* buffer);
QV_API void PRD_GetProductRegKey(char* buffer);

// Compile-time checks that each export has its documented shape.
static_assert(std::is_same_v<decltype(&PRD_GetResourceID), PFN_PRD_GetResourceID>);
static_assert(std::is_same_v<decltype(&PRD_DestroySplash), PFN_PRD_DestroySplash>);
static_assert(std::is_same_v<decltype(&PRD_CreateSplash), PFN_PRD_CreateSplash>);
static_assert(std::is_same_v<decltype(&PRD_GetSplashTextWnd), PFN_PRD_GetSplashTextWnd>);
static_assert(std::is_same_v<decltype(&PRD_Register), PFN_PRD_Register>);
static_assert(std::is_same_v<decltype(&PRD_Unregister), PFN_PRD_Unregister>);
static_assert(std::is_same_v<decltype(&PRD_ShowAboutBox), PFN_PRD_ShowAboutBox>);
static_assert(std::is_same_v<decltype(&PRD_GetTitleAndVersion), PFN_PRD_GetTitleAndVersion>);
static_assert(std::is_same_v<decltype(&PRD_CreateBigBtnToolbar), PFN_PRD_CreateBigBtnToolbar>);
static_assert(std::is_same_v<decltype(&PRD_DestroyBigBtnToolbar), PFN_PRD_DestroyBigBtnToolbar>);
static_assert(std::is_same_v<decltype(&PRD_GetWebPage), PFN_PRD_GetWebPage>);
static_assert(std::is_same_v<decltype(&PRD_GetSNMPOid), PFN_PRD_GetSNMPOid>);
static_assert(std::is_same_v<decltype(&PRD_GetProductRegKey), PFN_PRD_GetProductRegKey>);
