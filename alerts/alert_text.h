// Owned text of the alert channels and the shared rules of their settings
// sections: "<mt>" is how an absent or empty string is stored, and a validity
// check reads every key with "<err>" (texts) or -1 (numbers) as its default.
#pragma once

#include <cstddef>
#include <string>

#include "qvplatform.h"

// The stored form of an absent or empty string.
inline constexpr const char* kEmptyMark = "<mt>";
// The default a validity check reads a text key with.
inline constexpr const char* kMissingMark = "<err>";
// Size of the buffer a text value is read into (2047 characters and the zero).
inline constexpr size_t kAlertTextBuffer = 2048;

// A heap string that may be absent (null), copied deeply.
class OwnedText {
 public:
  OwnedText() = default;
  OwnedText(const char* text) { Set(text); }  // NOLINT: implicit from a C string on purpose
  OwnedText(const OwnedText& other) { Set(other.Get()); }
  OwnedText& operator=(const OwnedText& other) {
    if (this != &other) Set(other.Get());
    return *this;
  }
  OwnedText& operator=(const char* text) {
    Set(text);
    return *this;
  }

  // Null when absent.
  const char* Get() const { return m_present ? m_text.c_str() : nullptr; }
  bool IsEmpty() const { return !m_present || m_text.empty(); }
  // A copy of `text`; null makes it absent.
  void Set(const char* text) {
    m_present = text != nullptr;
    m_text = text != nullptr ? text : "";
  }

 private:
  std::string m_text;
  bool m_present = false;
};

// Reads a text key: a stored "<mt>" becomes absent; anything else (the empty
// string of a missing key included) is kept.
OwnedText ReadAlertText(const char* section, const char* key, const char* path);
// Reads a text key into a fixed buffer of `size` characters; "<mt>" is not special.
void ReadAlertArray(const char* section, const char* key, char* out, size_t size, const char* path);
// Writes a text key: "<mt>" for an absent or empty string. Its result.
bool WriteAlertText(const char* section, const char* key, const char* text, const char* path);
// Reads an integer key with a default for a missing key.
int ReadAlertInt(const char* section, const char* key, int fallback, const char* path);
// Writes an integer key as decimal text. Its result.
bool WriteAlertInt(const char* section, const char* key, int value, const char* path);

// True when every key of `textKeys` and `intKeys` (null-terminated lists) is
// present in `section` of `path`; false for a null or empty path.
bool AlertSectionComplete(const char* section, const char* const* textKeys, const char* const* intKeys,
                          const char* path);
