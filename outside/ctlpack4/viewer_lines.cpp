#include "viewer_lines.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "qvplatform.h"

namespace {

constexpr DWORD kReadChunk = 4u << 20;

const std::array<unsigned char, 256>& LowerTable() {
  static const std::array<unsigned char, 256> table = [] {
    std::array<unsigned char, 256> t{};
    for (int i = 0; i < 256; ++i) t[i] = static_cast<unsigned char>(i >= 'A' && i <= 'Z' ? i + 32 : i);
    return t;
  }();
  return table;
}

}  // namespace

bool ViewerLines::LoadFile(const char* path) {
  if (path == nullptr) return false;
  HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::string bytes;
  DWORD high = 0;
  const DWORD low = GetFileSize(file, &high);
  if (low != INVALID_FILE_SIZE && high == 0) bytes.reserve(low);
  std::vector<char> chunk(kReadChunk);
  bool ok = true;
  for (;;) {
    DWORD got = 0;
    if (!ReadFile(file, chunk.data(), kReadChunk, &got, nullptr)) {
      ok = false;
      break;
    }
    if (got == 0) break;
    bytes.append(chunk.data(), got);
  }
  CloseHandle(file);
  if (!ok) return false;
  Clear();
  text_ = std::move(bytes);
  IndexFrom(0);
  return true;
}

void ViewerLines::Clear() {
  text_.clear();
  starts_.clear();
  longest_ = 0;
}

void ViewerLines::Append(const char* bytes, size_t count) {
  if (bytes == nullptr || count == 0) return;
  const size_t old = text_.size();
  text_.append(bytes, count);
  IndexFrom(old);
}

// Records the lines that begin in text_[offset..]: a line begins at the start
// of the text and after every LF that has bytes after it.
void ViewerLines::IndexFrom(size_t offset) {
  const size_t size = text_.size();
  if (offset >= size) return;
  if (offset == 0 || text_[offset - 1] == '\n') starts_.push_back(offset);
  const char* base = text_.data();
  size_t pos = offset;
  size_t lineStart = starts_.empty() ? 0 : starts_.back();
  while (pos < size) {
    const void* hit = std::memchr(base + pos, '\n', size - pos);
    if (hit == nullptr) break;
    const size_t at = static_cast<size_t>(static_cast<const char*>(hit) - base);
    longest_ = std::max(longest_, at - lineStart);
    pos = at + 1;
    if (pos < size) {
      starts_.push_back(pos);
      lineStart = pos;
    }
  }
  if (size > 0 && text_[size - 1] != '\n') longest_ = std::max(longest_, size - lineStart);
}

std::string_view ViewerLines::Line(size_t index) const {
  if (index >= starts_.size()) return {};
  const size_t begin = starts_[index];
  size_t end = index + 1 < starts_.size() ? starts_[index + 1] - 1 : text_.size();
  if (index + 1 == starts_.size() && end > begin && text_[end - 1] == '\n') --end;
  if (end > begin && text_[end - 1] == '\r') --end;
  return std::string_view(text_.data() + begin, end - begin);
}

std::string ViewerLines::Plain(std::string_view line) {
  std::string out;
  out.reserve(line.size());
  for (size_t i = 0; i < line.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (c == 0x01 || c == 0x02) {
      ++i;  // the code's argument byte goes with it
      continue;
    }
    out.push_back(static_cast<char>(c));
  }
  return out;
}

size_t ViewerLines::LineOf(size_t offset) const {
  auto it = std::upper_bound(starts_.begin(), starts_.end(), offset);
  return it == starts_.begin() ? 0 : static_cast<size_t>(it - starts_.begin()) - 1;
}

int64_t ViewerLines::Find(std::string_view needle, size_t from, size_t* matchEnd) const {
  if (needle.empty() || needle.find('\n') != std::string_view::npos) return -1;
  const auto& lower = LowerTable();
  const size_t n = needle.size();
  const size_t size = text_.size();
  if (from >= size || size - from < n) return -1;
  std::string pattern(needle);
  for (char& c : pattern) c = static_cast<char>(lower[static_cast<unsigned char>(c)]);
  const unsigned char first = static_cast<unsigned char>(pattern[0]);
  const unsigned char firstUpper =
      static_cast<unsigned char>(first >= 'a' && first <= 'z' ? first - 32 : first);
  const unsigned char* data = reinterpret_cast<const unsigned char*>(text_.data());
  const size_t last = size - n;
  // The next place of each case of the first byte, kept until passed, so a
  // case that is rare is not searched for again at every candidate.
  const unsigned char* end = data + last + 1;
  auto next = [&](unsigned char c, size_t pos) -> const unsigned char* {
    const void* hit = std::memchr(data + pos, c, static_cast<size_t>(end - (data + pos)));
    return hit == nullptr ? end : static_cast<const unsigned char*>(hit);
  };
  const unsigned char* nextA = next(first, from);
  const unsigned char* nextB = firstUpper != first ? next(firstUpper, from) : end;
  while (nextA < end || nextB < end) {
    const unsigned char* hit = std::min(nextA, nextB);
    const size_t pos = static_cast<size_t>(hit - data);
    size_t k = 1;
    while (k < n && lower[data[pos + k]] == static_cast<unsigned char>(pattern[k])) ++k;
    if (k == n) {
      if (matchEnd != nullptr) *matchEnd = pos + n;
      return static_cast<int64_t>(LineOf(pos));
    }
    if (hit == nextA) nextA = pos + 1 <= last ? next(first, pos + 1) : end;
    if (hit == nextB) nextB = pos + 1 <= last ? next(firstUpper, pos + 1) : end;
  }
  return -1;
}
