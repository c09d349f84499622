// Snapshots of dialogs as they first appear, for QV_SNAPSHOT_DIR.
#pragma once

#include "qvplatform/types.h"

namespace qvp::display {

// A window was just shown on the calling thread: with QV_SNAPSHOT_DIR set,
// every dialog made from a numbered template that is now visible is written
// there as dialog_<id>.png the first time a dialog of that template appears
// (one shown while its parent is still hidden waits until it shows).
void SnapshotShownDialogs(HWND shown);

}  // namespace qvp::display
