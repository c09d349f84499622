// Finding the Linux file a Windows program name stands for.
//
// A name with a directory part or a drive goes through the path mapper as it
// is. A bare name is looked for in the program directory, then the current
// directory, then each directory of PATH (there only files we may execute).
// Linux programs carry no extension, so "name.exe" that does not exist is also
// looked for as "name".
#pragma once

#include <string>
#include <string_view>

#include "qvplatform/types.h"

namespace qvp::shell {

struct FoundProgram {
  DWORD error = 0;   // ERROR_FILE_NOT_FOUND / ERROR_PATH_NOT_FOUND / ...; 0 when found
  std::string path;  // the Linux path when found
  bool ok() const { return error == 0; }
};

FoundProgram FindProgram(const std::string& name);

// The program of a command line that names no program separately. An unquoted
// program word that names no file while more words follow is grown through
// each following blank until it names one, as Windows reads an unquoted path
// with blanks ("C:\My Tools\prog.exe -x"). `rest` is what follows the word.
struct CommandLineProgram {
  FoundProgram found;
  std::string word;       // the program word as written (quotes removed)
  std::string_view rest;  // the arguments, still to be split
};
CommandLineProgram FindCommandLineProgram(std::string_view command_line);

// True when the Linux path is a regular file.
bool IsRegularFile(const std::string& path);
// The Linux path made absolute against the current directory.
std::string AbsolutePath(const std::string& path);

}  // namespace qvp::shell
