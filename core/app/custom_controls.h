// The custom-controls library "ctlpack4.dll": ordinal 66 registers its
// control classes with the program's instance at start-up, 67 unregisters
// them at exit.
#pragma once

#include "qvplatform.h"

// False when the library or its entry is missing (the dialogs that use its
// controls then lack them; the start goes on).
bool RegisterCustomControls(HINSTANCE instance);
void UnregisterCustomControls(HINSTANCE instance);

// Start-up: keeps the display's colour depth in g_app and registers the
// custom controls.
void StoreColourDepthAndRegisterControls(HINSTANCE instance);
