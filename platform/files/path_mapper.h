// The path mapper: Windows paths onto the Linux file system.
//
// The public part (qvp::MapPath, the drive map) is declared in qvplatform/files.h;
// this header adds what the layer's own facilities need.
#pragma once

#include <string>
#include <vector>

#include "qvplatform/files.h"

namespace qvp {

enum class PathRoot { kRelative, kLinuxRoot, kDrive };

// A Windows path taken apart by the Windows name rules, before any look-up.
struct ParsedPath {
  DWORD error = ERROR_SUCCESS;
  PathRoot root = PathRoot::kRelative;
  char drive = 0;                       // upper-case letter when root is kDrive
  std::vector<std::string> components;  // "." and ".." folded; ".." leads only a relative path
  bool trailing_separator = false;
};

// Splits and checks a path. With `pattern_leaf` the last component is a search
// pattern: '*' and '?' are allowed in it and it is kept exactly as written.
ParsedPath ParseWindowsPath(const char* path, bool pattern_leaf);

// The Linux directory a drive letter maps to, or empty when unmapped.
std::string DriveRoot(char drive);
// The mapped drive letters in order.
std::vector<char> MappedDrives();

// The name under which `name` exists in `directory`: the name itself when it
// exists, else the first (in byte order) that equals it without regard to case.
// Empty when there is none.
std::string FindNameNoCase(const std::string& directory, const std::string& name);

// Maps the directory part of a search pattern; on success `path` is that
// directory and `leaf` the pattern. A pattern ending in a separator or naming no
// file gives ERROR_FILE_NOT_FOUND.
MappedPath MapSearchPattern(const char* windows_pattern);

// The Linux path of a parsed path exactly as written, without any look-up
// (empty for an unmapped drive): the path to try first.
std::string PathAsWritten(const ParsedPath& parsed);

// "dir" + "/" + "name", without doubling a separator; "." + name gives name.
std::string JoinPath(const std::string& directory, const std::string& name);
// The directory part of a Linux path ("." when there is none).
std::string ParentOf(const std::string& path);

}  // namespace qvp
