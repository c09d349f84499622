// X key symbols as the window system's virtual keys and characters.
#pragma once

#include "qvplatform/types.h"

namespace qvp::display {

struct KeyName {
  UINT vk = 0;            // 0: a key the window system has no virtual key for
  bool extended = false;  // one of the keys the enhanced keyboard added (arrows, right Ctrl, ...)
};

// `keysym` is what the key means now (modifiers applied), `base` what it means
// alone; printable keys are named by their place on the layer's (US) keyboard.
KeyName KeyOfKeysym(unsigned long keysym, unsigned long base);
// The Windows ANSI character a key symbol types, or 0.
unsigned char CharOfKeysym(unsigned long keysym);

}  // namespace qvp::display
