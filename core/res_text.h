// Texts of the resource module by string id, and the program's message boxes
// built from them.
#pragma once

#include "qvplatform.h"

// The longest text a string id gives, without its zero.
inline constexpr int kResTextMax = 255;

// Loads string id (its low 16 bits) of the resource module into buffer, at
// most kResTextMax characters and never more than size allows. Returns the
// buffer, or a static empty text when the string is missing (buffer is then
// emptied).
const char* LoadResText(UINT id, char* buffer, int size);

// The same into text slot 0-4 of the program's globals; a slot's text stays
// valid only until the next load into the same slot. Another slot number
// gives the static empty text.
const char* LoadResText(UINT id, int slot);

// The program's caption for its message boxes.
inline constexpr char kProgramCaption[] = "Quorvane";

// Shows string textId in a message box captioned "Quorvane" with an OK button
// and the given icon; with fileText, the text's "%s" names that file.
int ShowResMessage(HWND owner, UINT textId, UINT icon, const char* fileText = nullptr);
