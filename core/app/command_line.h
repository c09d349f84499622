// Arguments joined into one Windows command line.
#pragma once

#include <string>

// Joins the arguments with blanks; an argument that is empty or holds a blank,
// a tab or a double quote is quoted so that the usual command-line splitting
// gives it back unchanged.
std::string JoinCommandLine(int count, const char* const* arguments);
