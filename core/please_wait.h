// The program's please-wait box and the report engine's bad-log-file report.
// Both are exported by the program under these names for the outside
// libraries that show them.
#pragma once

#include "qvplatform.h"

// The grow-box control of the please-wait box.
inline constexpr int kPleaseWaitSizeableId = 8505;

// Dialog procedure of the please-wait box: on creation the grow-box control
// is made sizeable (only on old Windows), the heading controls get bold fonts
// and the box is centred on the screen; the user cannot close it (SC_CLOSE is
// swallowed); the bold font goes with the box.
QV_API INT_PTR CALLBACK PleaseWaitDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Called by the report engine with its error code: code 11 (the log file
// cannot be read) shows text 5739 captioned 5738; every other code is ignored.
QV_API void BadLogFileErrorProc(int code);
