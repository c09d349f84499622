// Truncating copies into fixed-size character buffers.
#pragma once

#include <cstddef>

// Copies as much of text as fits into out (outSize counts the terminating
// zero) and always terminates when outSize > 0. A null text copies as empty.
// Returns the length of the result.
size_t CopyText(char* out, size_t outSize, const char* text);

// Appends as much of text as fits behind the text already in out.
// Returns the length of the result.
size_t AppendText(char* out, size_t outSize, const char* text);

// Copies pattern into out with its first "%s" replaced by text and every
// "%%" turned into "%"; other '%' sequences are copied as they stand. Used for
// resource texts that name a file, so that no text is ever read as a format.
size_t FormatWithText(char* out, size_t outSize, const char* pattern, const char* text);
