// The platform layer as the system code sees it: one umbrella header with the
// Win32-shaped calls (ANSI forms) and the documented Windows constants.
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/errors.h"
#include "qvplatform/kernel.h"
#include "qvplatform/files.h"
#include "qvplatform/ini.h"
#include "qvplatform/registry.h"
#include "qvplatform/modules.h"
#include "qvplatform/accounts.h"
#include "qvplatform/resources.h"
#include "qvplatform/ui.h"
#include "qvplatform/gdi.h"
#include "qvplatform/net.h"
#include "qvplatform/shell.h"
#include "qvplatform/services.h"
#include "qvplatform/display.h"
#include "qvplatform/sound.h"
#include "qvplatform/dde.h"
#include "qvplatform/comm.h"
#include "qvplatform/nocase.h"
