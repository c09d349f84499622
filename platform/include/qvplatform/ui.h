// The window system of the layer: windows, messages, dialogs and prompts.
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/errors.h"
#include "qvplatform/ui_consts.h"
#include "qvplatform/ui_window.h"
#include "qvplatform/ui_message.h"
#include "qvplatform/ui_dialog.h"
#include "qvplatform/ui_prompt.h"
#include "qvplatform/ui_controls.h"
#include "qvplatform/ui_menus.h"
#include "qvplatform/ui_commdlg.h"
#include "qvplatform/ui_shell.h"
#include "qvplatform/ui_comctl.h"
#include "qvplatform/ui_propsheet.h"
#include "qvplatform/ui_cursor.h"
#include "qvplatform/ui_shared_windows.h"
