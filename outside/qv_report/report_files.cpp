#include "report_files.h"

#include <algorithm>

#include "qvplatform.h"

namespace qvr {

bool ReadWholeFile(const std::string& path, std::string* text) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  text->clear();
  char buffer[65536];
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, buffer, sizeof buffer, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    text->append(buffer, got);
  }
  CloseHandle(file);
  return ok;
}

bool ReplaceFile(const std::string& path, const std::string& text) {
  const std::string temporary = path + ".part";
  HANDLE file = CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bool ok = true;
  size_t at = 0;
  while (ok && at < text.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(text.size() - at, 1u << 20));
    DWORD written = 0;
    ok = WriteFile(file, text.data() + at, chunk, &written, nullptr) && written == chunk;
    at += chunk;
  }
  ok = CloseHandle(file) && ok;
  if (!ok) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  // The old report steps aside until the new one is in its place, and comes
  // back when the new one cannot be put there.
  const std::string old = path + ".old";
  DeleteFileA(old.c_str());
  const bool hadOld = FileExists(path);
  if (hadOld && !MoveFileA(path.c_str(), old.c_str())) {
    DeleteFileA(temporary.c_str());
    return false;
  }
  if (!MoveFileA(temporary.c_str(), path.c_str())) {
    DeleteFileA(temporary.c_str());
    if (hadOld) MoveFileA(old.c_str(), path.c_str());
    return false;
  }
  if (hadOld) DeleteFileA(old.c_str());
  return true;
}

bool FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

std::string DirectoryOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? std::string() : path.substr(0, cut + 1);
}

std::string NameOf(const std::string& path) {
  const size_t cut = path.find_last_of("\\/");
  return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace qvr
