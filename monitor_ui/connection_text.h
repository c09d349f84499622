// The values of a connection string that the ODBC page takes back from the
// data-source prompt.
#pragma once

#include <string>

// The value of `key` in an ODBC connection string ("DSN=x;UID=y"): keys are
// whole attribute names compared without regard to case (so "DSN" is not
// found inside "FILEDSN"); a value in braces is taken whole, semicolons
// included, without the braces ("}}" stands for one "}"). False when absent.
bool ConnectionValue(const std::string& text, const char* key, std::string* value);
