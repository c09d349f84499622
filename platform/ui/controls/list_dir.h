// LB_DIR and CB_DIR: file names, directories and drives added to a list.
#pragma once

#include "qvplatform/ui.h"

namespace qvp::ui {

// Adds what `pattern` (a path with wildcards) names, by sending `add_msg`
// (LB_ADDSTRING or CB_ADDSTRING) to the control for each entry: files the DDL_
// flags in `attrs` admit, directories as "[name]" with DDL_DIRECTORY, drives as
// "[-x-]" with DDL_DRIVES. Returns the index of the last entry added, or
// LB_ERR when nothing was.
LRESULT AddDirectoryEntries(HWND control, UINT add_msg, UINT attrs, LPCSTR pattern);

}  // namespace qvp::ui
