// The offer to import the settings of an earlier installation (started by
// the import program "qvimport.exe" of the program directory), and the
// lookup of the spreadsheet program that opens ".XLS" reports.
#pragma once

#include "qvplatform.h"

inline constexpr int kImportDialogTemplate = 31003;
inline constexpr int kDontShowAgainBox = 1135;

// Makes the offer when an earlier installation in another directory left
// "qv_prev.ini" and has not been migrated, unless the user asked never to see
// it again. Returns 1 when the import program was started (the panel is then
// closed), else 0.
int OfferImport(HWND panel);

// Template 31003: 1 or 1137 import, 2 or 1138 not now; box 1135 "never again".
extern "C" __attribute__((visibility("default"))) INT_PTR CALLBACK ImportDlg(HWND dialog, UINT message,
                                                                             WPARAM wParam, LPARAM lParam);

// The spreadsheet program's path into path (MAX_PATH): nonzero when found.
int FindExcelProgram(char* path);
