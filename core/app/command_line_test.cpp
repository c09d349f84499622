// Arguments joined into a command line come back unchanged when the line is
// split by the Windows rules.
#include "command_line.h"

#include <gtest/gtest.h>

namespace {

std::string Join(std::initializer_list<const char*> arguments) {
  std::vector<const char*> list(arguments);
  return JoinCommandLine(static_cast<int>(list.size()), list.data());
}

TEST(CommandLine, PlainArgumentsAreJoinedWithBlanks) {
  EXPECT_EQ(Join({}), "");
  EXPECT_EQ(Join({"/service", "--qv-service=Quorvane40", "--qv-service-arg=0"}),
            "/service --qv-service=Quorvane40 --qv-service-arg=0");
  EXPECT_EQ(Join({"C:\\dir\\"}), "C:\\dir\\");
}

TEST(CommandLine, BlanksQuotesAndEmptyArgumentsAreQuoted) {
  EXPECT_EQ(Join({"a b"}), "\"a b\"");
  EXPECT_EQ(Join({""}), "\"\"");
  EXPECT_EQ(Join({"say \"hi\""}), "\"say \\\"hi\\\"\"");
  // Backslashes before the closing quote are doubled, others stay single.
  EXPECT_EQ(Join({"C:\\my dir\\"}), "\"C:\\my dir\\\\\"");
  EXPECT_EQ(Join({"a\\\"b"}), "\"a\\\\\\\"b\"");
}

}  // namespace
