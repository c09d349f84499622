#include "files/wildcard.h"

#include <gtest/gtest.h>

namespace {

struct Case {
  const char* pattern;
  const char* name;
  bool matches;
};

TEST(Wildcard, WindowsMatchingRules) {
  const Case cases[] = {
      {"*.amp", "lert0001.AMP", true},
      {"*.amp", "lert0001.ampx", false},
      {"*.amp", "amp", false},
      {"*.amp", "a.b.amp", true},
      {"lert*.amp", "LERT0001.amp", true},
      {"lert*.amp", "lert.amp", true},
      {"lert*.amp", "xlert1.amp", false},
      {"lert*.amp", "lert0001.amp.bak", false},
      {"qvm*.dll", "qvm_alrt.dll", true},
      {"qvm*.dll", "QVMX.DLL", true},
      {"qvm*.dll", "libqvm.dll", false},
      {"*", "anything.at.all", true},
      {"*.*", "README", true},
      {"*.*", "a.b", true},
      {"lert*.*", "lert", true},
      {"*.", "README", true},
      {"*.", "a.txt", false},
      {"?", "a", true},
      {"?", "ab", false},
      {"lert????.amp", "lert0001.amp", true},
      {"lert????.amp", "lert1.amp", true},
      {"lert????.amp", "lert00001.amp", false},
      {"a?c", "abc", true},
      {"a?c", "a.c", false},
      {"Exact.Name", "exact.NAME", true},
      {"Exact.Name", "exact.names", false},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(qvp::MatchesPattern(c.pattern, c.name), c.matches) << c.pattern << " vs " << c.name;
  }
}

TEST(Wildcard, LongNamesAndManyStarsStayCheap) {
  std::string name(255, 'a');
  EXPECT_FALSE(qvp::MatchesPattern("*a*a*a*a*a*a*a*a*a*a*a*a*b", name));
  EXPECT_TRUE(qvp::MatchesPattern("*a*a*a*a*a*a*a*a*a*a*a*a*", name));
}

}  // namespace
