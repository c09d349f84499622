// The program directory, the settings-file path and the paths built on them.
#pragma once

#include <cstddef>

#include "qvplatform.h"

// Takes the program directory from the module file name of instance (null:
// the program itself), cut back to just after its last separator and kept
// with that separator. Called once at start-up before anything reads
// settings; GetProgramDir and GetIniPath call it themselves when nothing has.
void FindModulePath(HINSTANCE instance);

// The program directory with its trailing separator (a kept copy).
const char* GetProgramDir();

// The program directory + "QUORVANE.INI", built on first use and then kept.
const char* GetIniPath();

// folder (null: the program directory) + a backslash when the folder is not
// empty and does not end in one + file name, into out. Returns out.
char* MakeProgramPath(const char* folder, const char* fileName, char* out, size_t outSize);

// The module's file name into fullName and its directory (up to and including
// the last separator) into directory; each is a MAX_PATH buffer or null.
void GetModuleDirectory(HMODULE module, char* fullName, char* directory);

// TRUE when a find-first search for path succeeds; its find data goes to
// findData when that is not null.
BOOL FileExists(const char* path, WIN32_FIND_DATAA* findData);

namespace qv {

// Tests only: makes dir (with or without its trailing separator) the program
// directory as if FindModulePath had found it there, and forgets the kept
// settings-file path. Null goes back to the program's own module directory.
void SetProgramDirForTests(const char* dir);

}  // namespace qv
