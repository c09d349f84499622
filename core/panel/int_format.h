// Texts with one integer in them, from format texts that come from outside
// the code (resource strings, a progress bar's format): only a format with
// exactly one integer conversion is used as a format; nothing else in it can
// read an argument.
#pragma once

#include <cstddef>

// Formats value by format into out (outSize counts the zero, which is always
// written when outSize > 0). The format may hold any number of "%%" and
// exactly one conversion %[flags][width][.precision][h|l]{d,i,u,x,X} (width
// and precision of at most three digits). Returns true when formatted; false
// when the format has no such conversion, more than one, or any other '%'
// sequence; out then holds the format text itself, as it stands.
bool FormatOneInteger(const char* format, long value, char* out, size_t outSize);
