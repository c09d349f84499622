// What the library keeps for the process: its own module handle, the
// language it was registered with, and its window classes.
#pragma once

#include "qvplatform.h"

inline constexpr const char* kSplashClass = "QvProductSplash";
inline constexpr const char* kBigButtonsClass = "QvBigButtons";

// The library's module (for its resources and window classes).
HINSTANCE ProductModule();
void SetProductModule(HINSTANCE module);

// Registers the splash and toolbar classes once; true when they are there.
bool EnsureProductClasses();
// Unregisters them when no window of theirs is left; true when gone.
bool RemoveProductClasses();

LRESULT CALLBACK SplashProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
LRESULT CALLBACK BigButtonsProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// True when `window` is a live window of the library's class `class_name`.
bool IsProductWindow(HWND window, const char* class_name);
