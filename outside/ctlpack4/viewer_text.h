// The report viewer's text control class (a placeholder until the viewer's
// text control is written: it keeps a window text and paints a blank page).
#pragma once

#include "qvplatform.h"

bool RegisterViewerTextClass(HINSTANCE instance);
BOOL UnregisterViewerTextClass(HINSTANCE instance);
