#include "language_items.h"

namespace qvr {

bool FindItemText(const std::string& language, const std::string& tag, std::string* text) {
  const size_t at = language.find(tag);
  if (at == std::string::npos) return false;
  const size_t close = language.find('}', at + tag.size());
  if (close == std::string::npos) return false;
  const size_t open = language.find('{', at + tag.size());
  if (open == std::string::npos || open > close) return false;
  *text = language.substr(open + 1, close - open - 1);
  return true;
}

}  // namespace qvr
