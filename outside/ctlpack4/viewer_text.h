// The report viewer's text control class (kViewerTextClass).
#pragma once

#include "qvplatform.h"

bool RegisterViewerTextClass(HINSTANCE instance);
BOOL UnregisterViewerTextClass(HINSTANCE instance);
