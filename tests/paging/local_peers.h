// Tests only: small waits for what the local peers of the paging tests
// (socat, qv-modemsim, a CGI web server) make, and finding them.
#pragma once

#include <string>

namespace pagingtest {

// True once `path` exists (waits up to `ms`).
bool WaitForPath(const std::string& path, int ms);
// True once the file holds `text` (waits up to `ms`).
bool WaitForText(const std::string& path, const std::string& text, int ms);
// The program found in PATH, or "".
std::string FindProgram(const std::string& name);

}  // namespace pagingtest
