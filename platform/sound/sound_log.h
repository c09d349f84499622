// The sound log: every request the sound facility carried out, for tests.
#pragma once

#include "qvplatform/sound.h"

namespace qvp::sound {

void Record(SoundEvent event);

}  // namespace qvp::sound
