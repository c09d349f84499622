// Keyboard state as the thread's retrieved key messages leave it.
#pragma once

#include "qvplatform/ui.h"

namespace qvp::ui {

// Records a key going down or up when its message is taken from the queue.
void NoteKeyMessage(const MSG& msg);

// The character a key makes with the current shift state (US layout), or 0.
char CharOfKey(UINT vk);
// The same for a given state of the modifier keys.
char CharOfKeyIn(UINT vk, bool shift, bool caps_lock, bool control, bool alt);

}  // namespace qvp::ui
