// Replacing a file as a whole: a new version is written beside it and renamed
// over it, so that a reader sees either the old or the new file, never a part.
#pragma once

#include <sys/types.h>

#include <string>

namespace qvp {

// The file a path finally names: symbolic links followed when the file exists,
// so that a replacement lands on the target instead of replacing the link.
std::string FollowLinks(const std::string& path);

// Creates a new, empty file in the directory of `target`, under a hidden name of
// its own, with permissions 0666 less the umask. Returns the descriptor (write
// only) and fills `temp_path`; -1 with errno on failure.
int CreateSiblingFile(const std::string& target, std::string* temp_path);

// Writes all of `data` to `fd`; false with errno on failure.
bool WriteAll(int fd, const char* data, size_t size);

}  // namespace qvp
