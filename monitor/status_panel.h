// The plug-in's part of the program's main panel (dialog 15000): the selected
// profile, its device's status and the time of its next test.
#pragma once

#include "plugin_api.h"
#include "qvplatform.h"

// Creates the panel inside `parent` on first use, shows `selected` in it and
// applies the mode (1 show, 2 hide, anything else keeps the visibility). False
// when the panel cannot be made.
bool UpdateStatusPanel(HWND parent, PROFILE* selected, int mode);
// Destroys the panel when it exists.
void DestroyStatusPanel();
