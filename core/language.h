// The program's language: its id, chosen once at start-up from the settings
// file, and the help file of that language.
#pragma once

#include <cstddef>

#include "qvplatform.h"

// The language id of a [Language] Program text, compared without regard to
// case: empty (or null) and "ENGLISH" 1033, "FRENCH" 1036, "GERMAN" 1031,
// "JAPANESE" 1041; any other language keeps 1033.
LANGID LanguageIdFromName(const char* name);

// Reads [Language] Program into name (at most size characters with the zero)
// and returns its language id.
LANGID ReadProgramLanguageId(char* name, size_t size);

// The program directory + "HELP\" + language + "\PRODUCT.HLP" into out (cut
// to outSize characters with the zero). An empty language leaves the folder
// name empty ("HELP\\PRODUCT.HLP"). Returns out.
char* BuildHelpPath(const char* language, char* out, size_t outSize);
