// The status panel needs the layer's dialogs; until they are there the plug-in
// has no panel and the program shows none.
#include "status_panel.h"

bool UpdateStatusPanel(HWND /*parent*/, PROFILE* /*selected*/, int /*mode*/) { return false; }

void DestroyStatusPanel() {}
