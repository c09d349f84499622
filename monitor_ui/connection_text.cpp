// Reading attributes of ODBC connection strings.
#include "connection_text.h"

#include <cctype>

namespace {

bool SameKey(const std::string& a, const char* b) {
  size_t i = 0;
  for (; i < a.size() && b[i] != '\0'; ++i) {
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i]))) return false;
  }
  return i == a.size() && b[i] == '\0';
}

std::string Trim(const std::string& text) {
  size_t first = 0, last = text.size();
  while (first < last && std::isspace(static_cast<unsigned char>(text[first]))) ++first;
  while (last > first && std::isspace(static_cast<unsigned char>(text[last - 1]))) --last;
  return text.substr(first, last - first);
}

}  // namespace

bool ConnectionValue(const std::string& text, const char* key, std::string* value) {
  size_t at = 0;
  while (at < text.size()) {
    const size_t equals = text.find('=', at);
    if (equals == std::string::npos) return false;
    const std::string name = Trim(text.substr(at, equals - at));
    std::string found;
    size_t next = equals + 1;
    if (next < text.size() && text[next] == '{') {
      // A braced value ends at a single "}"; "}}" is a brace inside it.
      ++next;
      while (next < text.size()) {
        if (text[next] == '}') {
          if (next + 1 < text.size() && text[next + 1] == '}') {
            found += '}';
            next += 2;
            continue;
          }
          ++next;
          break;
        }
        found += text[next++];
      }
      const size_t end = text.find(';', next);
      next = end == std::string::npos ? text.size() : end + 1;
    } else {
      const size_t end = text.find(';', next);
      found = text.substr(next, end == std::string::npos ? std::string::npos : end - next);
      next = end == std::string::npos ? text.size() : end + 1;
    }
    if (SameKey(name, key)) {
      if (value != nullptr) *value = found;
      return true;
    }
    at = next;
  }
  return false;
}
