#include "path_parts.h"

#include <cstring>

#include "text_copy.h"

bool IsPathSeparator(char c) {
  return c == '\\' || c == ':' || c == '/';
}

namespace {

// Index just after the last separator of path (0 when there is none).
size_t NameStart(const char* path) {
  size_t start = 0;
  for (size_t i = 0; path[i] != '\0'; ++i) {
    if (IsPathSeparator(path[i])) start = i + 1;
  }
  return start;
}

}  // namespace

void GetDirectoryPart(const char* path, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return;
  out[0] = '\0';
  if (path == nullptr) return;
  const size_t length = NameStart(path);
  CopyText(out, length + 1 < outSize ? length + 1 : outSize, path);
}

void GetFileNamePart(const char* path, char* out, size_t outSize) {
  if (path == nullptr) {
    CopyText(out, outSize, "");
    return;
  }
  CopyText(out, outSize, path + NameStart(path));
}

void GetExtensionPart(const char* path, char* out, size_t outSize) {
  if (path == nullptr) {
    CopyText(out, outSize, "");
    return;
  }
  const char* dot = std::strrchr(path + NameStart(path), '.');
  CopyText(out, outSize, dot != nullptr ? dot : "");
}

char* JoinPath(const char* folder, const char* fileName, char* out, size_t outSize) {
  if (out == nullptr || outSize == 0) return out;
  // The inputs may share storage with out: build the result aside first.
  char joined[2048];
  CopyText(joined, sizeof joined, folder);
  const size_t length = std::strlen(joined);
  if (length > 0 && joined[length - 1] != '\\' && joined[length - 1] != '/') AppendText(joined, sizeof joined, "\\");
  AppendText(joined, sizeof joined, fileName);
  CopyText(out, outSize, joined);
  return out;
}

void StripMarkerChars(char* text) {
  if (text == nullptr) return;
  char* marker = std::strchr(text, '\x01');
  if (marker != nullptr) *marker = '\0';
}
