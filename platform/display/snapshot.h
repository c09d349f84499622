// Snapshots of dialogs as they first appear, for QV_SNAPSHOT_DIR.
#pragma once

#include "qvplatform/types.h"

namespace qvp::display {

// A window was just shown on the calling thread: dialogs from numbered templates
// are written to $QV_SNAPSHOT_DIR the first time each template appears.
void SnapshotShownDialogs(HWND shown);

}  // namespace qvp::display
