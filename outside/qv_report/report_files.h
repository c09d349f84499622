// The engine's file access, through the platform's Windows paths.
#pragma once

#include <string>

namespace qvr {

// The whole file; false when it cannot be read.
bool ReadWholeFile(const std::string& path, std::string* text);
// Writes text to a temporary file beside path and renames it over path, so
// that the old file stays whole until the new one is complete. False (and
// no temporary file left) on any failure.
bool ReplaceFile(const std::string& path, const std::string& text);
bool FileExists(const std::string& path);
// The directory part (up to and including the last '\' or '/') and the name.
std::string DirectoryOf(const std::string& path);
std::string NameOf(const std::string& path);

}  // namespace qvr
