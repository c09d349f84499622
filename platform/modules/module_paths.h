// File names of modules: from the Windows names the system passes to the
// files on disk, and back to the Windows form GetModuleFileNameA reports.
#pragma once

#include <string>
#include <string_view>

namespace qvp::modules {

// The program file and its directory (Linux paths).
const std::string& ExecutablePath();
std::string ProgramDirectory();

// The final component of a Windows or Linux path.
std::string_view FileNamePart(std::string_view path);
bool HasDirectoryPart(std::string_view name);

// A module name as the loader looks for it: ".dll" added when the file name
// has no extension; a trailing '.' means "no extension" and is dropped.
std::string WithDefaultExtension(std::string_view name);

// The absolute Linux path of the module file a LoadLibrary name stands for,
// or empty when there is none: a name with a directory goes through the path
// mapper as it is, a bare name is looked for in the program directory, then
// the current one (names found without regard to case).
std::string FindModuleFile(std::string_view name);

// The Windows form of a Linux path ('/' becomes '\').
std::string ToWindowsPath(std::string_view path);

}  // namespace qvp::modules
