// Binding the two resource libraries at start-up: the product library
// "PRODUCT.RSL" with its PRD_ functions, the resource module ("BASE.RSL"
// unless the program itself holds the English menu), and the help path.
#pragma once

#include <cstddef>

#include "qvplatform.h"

inline constexpr char kProductLibraryName[] = "PRODUCT.RSL";
inline constexpr char kBaseLibraryName[] = "BASE.RSL";
inline constexpr char kMissingProductText[] = "Unable to locate a CURRENT product resource support file (.PRD).";
inline constexpr char kMissingBaseText[] = "Unable to locate a .BSE resource support file.";
inline constexpr char kErrorCaption[] = "Error!";

// Loads "PRODUCT.RSL" into g_app.productModule and its functions into
// g_app.prd. False, with the library's message shown, when the library or
// any of its first eleven functions is missing (the last two are optional).
bool BindProductLibrary();

// Calls PRD_GetSNMPOid when present, then PRD_Register and QVUI_Register
// with the language id.
void RegisterWithProductLibrary(LANGID language);

// Chooses g_app.resourceModule for the language name (see the header
// comment). False, with the message shown, when "BASE.RSL" is needed and
// missing.
bool BindResourceModule(const char* languageName);

// The number of languages in which module holds menu resource 100.
int CountMainMenuLanguages(HMODULE module);

// The product's web page `page` (1..5) in the run-time language, or null.
const char* GetProductWebPage(HINSTANCE instance, int page, char* text);
