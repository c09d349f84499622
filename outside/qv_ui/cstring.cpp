// CString: the library's text value.
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <string>
#include <string_view>

#include "qv_ui_classes.h"

namespace {

std::string_view View(const char* text) { return text != nullptr ? std::string_view(text) : std::string_view(); }

// A start index clamped to [0, size].
size_t Clamp(int index, size_t size) {
  if (index <= 0) return 0;
  return static_cast<size_t>(index) < size ? static_cast<size_t>(index) : size;
}

int Index(size_t position) { return position == std::string::npos ? -1 : static_cast<int>(position); }

int CompareBytes(std::string_view a, std::string_view b) {
  // char_traits<char> compares as unsigned bytes, as strcmp does.
  const int order = a.compare(b);
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

// Runs the layer's in-place case conversion over every zero-ended run of the text.
void ConvertRuns(std::string& text, LPSTR (*convert)(LPSTR)) {
  size_t position = 0;
  while (position < text.size()) {
    char* run = text.data() + position;
    convert(run);
    position += std::strlen(run) + 1;
  }
}

}  // namespace

CString::CString(const char* text) : m_text(View(text)) {}

CString::CString(const char* text, int length) {
  if (text != nullptr && length > 0) m_text.assign(text, static_cast<size_t>(length));
}

CString::CString(char c, int count) {
  if (count > 0) m_text.assign(static_cast<size_t>(count), c);
}

CString& CString::operator=(const char* text) {
  // assign copes with text pointing into this string.
  m_text.assign(View(text));
  return *this;
}

CString& CString::operator=(char c) {
  m_text.assign(1, c);
  return *this;
}

char CString::GetAt(int index) const {
  if (index < 0 || static_cast<size_t>(index) >= m_text.size()) return '\0';
  return m_text[static_cast<size_t>(index)];
}

void CString::SetAt(int index, char c) {
  if (index < 0 || static_cast<size_t>(index) >= m_text.size()) return;
  m_text[static_cast<size_t>(index)] = c;
}

CString& CString::operator+=(const CString& text) {
  m_text.append(text.m_text);  // append copes with text being this string
  return *this;
}

CString& CString::operator+=(const char* text) {
  m_text.append(View(text));
  return *this;
}

CString& CString::operator+=(char c) {
  m_text.push_back(c);
  return *this;
}

int CString::Compare(const char* text) const { return CompareBytes(m_text, View(text)); }

int CString::Compare(const CString& text) const { return CompareBytes(m_text, text.m_text); }

int CString::CompareNoCase(const char* text) const {
  const int order = lstrcmpiA(m_text.c_str(), text != nullptr ? text : "");
  return order < 0 ? -1 : (order > 0 ? 1 : 0);
}

int CString::Find(char c, int start) const { return Index(m_text.find(c, Clamp(start, m_text.size()))); }

int CString::Find(const char* text, int start) const {
  const std::string_view wanted = View(text);
  if (wanted.empty()) return -1;
  return Index(m_text.find(wanted, Clamp(start, m_text.size())));
}

int CString::ReverseFind(char c) const { return Index(m_text.rfind(c)); }

int CString::FindOneOf(const char* characters) const {
  const std::string_view set = View(characters);
  if (set.empty()) return -1;
  return Index(m_text.find_first_of(set));
}

int CString::Replace(char from, char to) {
  int count = 0;
  for (char& c : m_text) {
    if (c != from) continue;
    c = to;
    ++count;
  }
  return count;
}

int CString::Replace(const char* from, const char* to) {
  const std::string_view wanted = View(from);
  if (wanted.empty()) return 0;
  // Both texts may point into this string: copy them before it changes.
  const std::string oldText(wanted);
  const std::string newText(View(to));
  std::string result;
  int count = 0;
  size_t done = 0;
  for (size_t at = m_text.find(oldText); at != std::string::npos; at = m_text.find(oldText, done)) {
    result.append(m_text, done, at - done);
    result.append(newText);
    done = at + oldText.size();
    ++count;
  }
  if (count == 0) return 0;
  result.append(m_text, done, std::string::npos);
  m_text = std::move(result);
  return count;
}

bool CString::Format(const char* format, ...) {
  va_list arguments;
  va_start(arguments, format);
  const bool done = FormatV(format, arguments);
  va_end(arguments);
  return done;
}

bool CString::FormatV(const char* format, va_list arguments) {
  if (format == nullptr) {
    m_text.clear();
    return false;
  }
  // The text is made aside first: an argument may be this string's own text.
  char small[256];
  va_list copy;
  va_copy(copy, arguments);
  const int length = std::vsnprintf(small, sizeof small, format, copy);
  va_end(copy);
  if (length < 0) {
    m_text.clear();
    return false;
  }
  if (static_cast<size_t>(length) < sizeof small) {
    m_text.assign(small, static_cast<size_t>(length));
    return true;
  }
  std::string large;
  try {
    large.resize(static_cast<size_t>(length));
  } catch (const std::bad_alloc&) {
    m_text.clear();
    return false;
  }
  va_copy(copy, arguments);
  const int written = std::vsnprintf(large.data(), large.size() + 1, format, copy);
  va_end(copy);
  if (written != length) {
    m_text.clear();
    return false;
  }
  m_text = std::move(large);
  return true;
}

CString& CString::MakeUpper() {
  ConvertRuns(m_text, CharUpperA);
  return *this;
}

CString& CString::MakeLower() {
  ConvertRuns(m_text, CharLowerA);
  return *this;
}

CString CString::Left(int count) const { return Mid(0, count); }

CString CString::Mid(int first) const { return Mid(first, INT_MAX); }

CString CString::Mid(int first, int count) const {
  const size_t from = Clamp(first, m_text.size());
  const size_t take = count > 0 ? static_cast<size_t>(count) : 0;  // substr clamps the end
  CString part;
  part.m_text = m_text.substr(from, take);
  return part;
}

CString CString::Right(int count) const {
  const size_t take = Clamp(count, m_text.size());
  return Mid(static_cast<int>(m_text.size() - take));
}
