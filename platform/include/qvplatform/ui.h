// The window system of the layer: windows, messages, dialogs and prompts.
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/errors.h"
#include "qvplatform/ui_prompt.h"
