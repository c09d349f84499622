// The access log "Remote.log" of the program folder: one line per request,
// with no password and nothing that could break the line.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>

// The line for a request: client address (network order bytes), user name
// ("-" when empty), local time, the path below the web root, the query and
// the status. Every "Password=" value (any case) is cut, non-printable bytes
// and '"' are written as \xHH.
std::string FormatAccessLine(uint32_t clientAddress, const std::string& user, const std::tm& local,
                             const std::string& pathBelowRoot, const std::string& query, unsigned status);

// Opens (creating, owner-only) or closes the log; thread-safe.
void OpenAccessLog(const char* programDir);
void CloseAccessLog();
bool AccessLogOpen();
// Appends a line when the log is open.
void WriteAccessLine(const std::string& line);
