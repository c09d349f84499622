#include "files/wildcard.h"

#include <vector>

#include "qvplatform/nocase.h"

namespace qvp {
namespace {

enum class Token : char { kLiteral, kStar, kStarToLastDot, kQuestion, kDot };

struct Item {
  Token token;
  char c;
};

std::vector<Item> Compile(std::string_view pattern) {
  std::vector<Item> items;
  for (size_t i = 0; i < pattern.size(); ++i) {
    const char c = pattern[i];
    const char next = i + 1 < pattern.size() ? pattern[i + 1] : '\0';
    if (c == '*') {
      items.push_back({next == '.' ? Token::kStarToLastDot : Token::kStar, c});
    } else if (c == '?') {
      items.push_back({Token::kQuestion, c});
    } else if (c == '.' && (next == '\0' || next == '*' || next == '?')) {
      items.push_back({Token::kDot, c});
    } else {
      items.push_back({Token::kLiteral, c});
    }
  }
  return items;
}

class Matcher {
 public:
  Matcher(const std::vector<Item>& items, std::string_view name)
      : items_(items), name_(name), memo_((items.size() + 1) * (name.size() + 1), kUnknown) {
    last_dot_ = name.rfind('.');
  }

  bool Match(size_t p, size_t n) {
    signed char& slot = memo_[p * (name_.size() + 1) + n];
    if (slot == kUnknown) slot = Compute(p, n) ? 1 : 0;
    return slot == 1;
  }

 private:
  static constexpr signed char kUnknown = -1;

  bool Compute(size_t p, size_t n) {
    const size_t end = name_.size();
    if (p == items_.size()) return n == end;
    const Item& item = items_[p];
    switch (item.token) {
      case Token::kLiteral:
        return n < end && FoldCase(name_[n]) == FoldCase(item.c) && Match(p + 1, n + 1);
      case Token::kStar:
        return Match(p + 1, n) || (n < end && Match(p, n + 1));
      case Token::kStarToLastDot: {
        const bool may_take = n < end && (last_dot_ == std::string_view::npos || n < last_dot_);
        return Match(p + 1, n) || (may_take && Match(p, n + 1));
      }
      case Token::kQuestion:
        if (n < end && name_[n] != '.') return Match(p + 1, n + 1);
        // At a dot or the end, the run of '?' matches nothing.
        while (p < items_.size() && items_[p].token == Token::kQuestion) ++p;
        return Match(p, n);
      case Token::kDot:
        if (n < end && name_[n] == '.') return Match(p + 1, n + 1);
        return n == end && Match(p + 1, n);
    }
    return false;
  }

  const std::vector<Item>& items_;
  std::string_view name_;
  size_t last_dot_;
  std::vector<signed char> memo_;
};

}  // namespace

bool MatchesPattern(std::string_view pattern, std::string_view name) {
  std::vector<Item> items = Compile(pattern);
  Matcher matcher(items, name);
  return matcher.Match(0, 0);
}

}  // namespace qvp
