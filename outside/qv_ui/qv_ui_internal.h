// What the library's parts share among themselves.
#pragma once

#include <string>

#include "qvplatform.h"

// The language the program registered with (1033 until it does).
LANGID QvUiLanguage();

// The program directory in Windows form, ending in a backslash.
std::string QvUiProgramDirectory();

namespace qvui {

// Tests: the program directory the library uses ("" restores the program's own).
void SetProgramDirectoryForTests(const std::string& windows_directory);

}  // namespace qvui
