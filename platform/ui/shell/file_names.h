// The file-name work of the open and save dialogs: filters, names typed by
// the user, default extensions and the result written back into OPENFILENAMEA.
#pragma once

#include <string>
#include <vector>

#include "qvplatform.h"

namespace qvp::ui::commdlg {

// "description|patterns" for each pair of a filter list (pairs of
// NUL-terminated texts ending in an empty text). Reads at most `limit` bytes.
std::vector<std::string> ParseFilters(const char* filter, size_t limit = 65536);

// Where the last component of a path starts (after its last '\', '/' or drive colon).
size_t NameOffset(const std::string& path);
// Where the extension starts (after the last '.' of the last component); the
// path's length when it has no extension; 0 when the name ends in '.'.
size_t ExtensionOffset(const std::string& path);

// A name a user may type: not empty, and none of the characters Windows
// refuses in file names (< > | " and, unless allowed, the wildcards * ?).
bool ValidFileName(const std::string& name, bool allow_wildcards = false);

// `path` with the first three characters of `default_extension` appended when
// its last component has no extension at all (a trailing '.' counts as one).
std::string WithDefaultExtension(const std::string& path, const char* default_extension);

// The full path of a name typed in a dialog that shows `folder` (empty: the
// current directory). Empty when the name cannot be a path.
std::string FullPathIn(const std::string& folder, const std::string& name);

// The folder part of a full path, without a trailing separator unless it is a root.
std::string FolderOf(const std::string& full_path);

// Writes the chosen files into the structure: one full path, or (several
// files) the folder and the names, separated by NULs (OFN_EXPLORER) or blanks,
// ending with an extra NUL in a multiple-selection dialog. Sets nFileOffset,
// nFileExtension and lpstrFileTitle. Returns 0, or FNERR_BUFFERTOOSMALL after
// storing the needed size in the buffer's first two bytes.
DWORD WriteFileResult(OPENFILENAMEA& ofn, const std::vector<std::string>& full_paths);

}  // namespace qvp::ui::commdlg
