// Two small window steps of the program's dialogs.
#pragma once

#include "qvplatform.h"

// Destroys the window in *holder if it still exists, and clears the holder.
void DestroyWindowAndClear(HWND* holder);

// Removes and dispatches every message pending for the calling thread.
// WM_QUIT is dispatched like any other message.
void PumpPendingMessages();
