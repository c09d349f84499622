// Between the files of Logscout.dll.
#pragma once

#include <string>

#include "logscout_profile.h"

// The library's own module (kept at process attach).
HINSTANCE LogscoutModule();

// The dialog procedure of templates 101 and 102; lParam is the record.
INT_PTR CALLBACK LogFinderDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// Copies text into a field of `size` bytes; false (and the field emptied)
// when it would not fit: texts are refused, never cut.
bool CopyField(char* field, size_t size, const std::string& text);

// Provider codes compared without regard to case.
bool SameCode(const char* a, const char* b);

// The start of text is prefix (lower case), letters compared without regard to case.
bool StartsWithNoCase(const char* text, const char* prefix);
