#include "shell/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "files/test_dir.h"
#include "shell/program_search.h"

namespace qvp::shell {
namespace {

using Words = std::vector<std::string>;

Words Args(const char* text) { return SplitArguments(text); }

TEST(SplitArguments, QuotesAndBackslashesFollowTheRuntimeRules) {
  EXPECT_EQ(Args(R"("a b c" d e)"), (Words{"a b c", "d", "e"}));
  EXPECT_EQ(Args(R"("ab\"c" "\\" d)"), (Words{"ab\"c", "\\", "d"}));
  EXPECT_EQ(Args(R"(a\\\b d"e f"g h)"), (Words{"a\\\\\\b", "de fg", "h"}));
  EXPECT_EQ(Args(R"(a\\\"b c d)"), (Words{"a\\\"b", "c", "d"}));
  EXPECT_EQ(Args(R"(a\\\\"b c" d e)"), (Words{"a\\\\b c", "d", "e"}));
  EXPECT_EQ(Args(R"(a"b"" c d)"), (Words{"ab\" c d"}));
}

TEST(SplitArguments, BlanksEmptyWordsAndUnclosedQuotes) {
  EXPECT_EQ(Args(""), Words{});
  EXPECT_EQ(Args(" \t "), Words{});
  EXPECT_EQ(Args("\ta\t\tb  "), (Words{"a", "b"}));
  EXPECT_EQ(Args(R"("" x "")"), (Words{"", "x", ""}));
  EXPECT_EQ(Args(R"("open ended)"), (Words{"open ended"}));
  EXPECT_EQ(Args(R"(C:\dir\ "C:\dir\\")"), (Words{"C:\\dir\\", "C:\\dir\\"}));
  EXPECT_EQ(Args(R"(trailing\)"), (Words{"trailing\\"}));
}

TEST(SplitArguments, ShellCharactersAreOrdinary) {
  EXPECT_EQ(Args(R"(a;rm -rf x|y $(id) `id` > out & 'q' ^" *)"),
            (Words{"a;rm", "-rf", "x|y", "$(id)", "`id`", ">", "out", "&", "'q'", "^ *"}));
}

TEST(TakeProgramWord, BackslashesArePlainAndQuotesHoldBlanks) {
  ProgramWord w = TakeProgramWord(R"(  "C:\Program Files\x.exe" -a "b c")");
  EXPECT_EQ(w.program, "C:\\Program Files\\x.exe");
  EXPECT_TRUE(w.quoted);
  EXPECT_EQ(SplitArguments(w.rest), (Words{"-a", "b c"}));

  w = TakeProgramWord(R"(C:\dir\\prog.exe\" x)");
  EXPECT_EQ(w.program, "C:\\dir\\\\prog.exe\\ x");  // the quote opens a part the line never closes
  EXPECT_FALSE(w.quoted);

  EXPECT_EQ(SplitCommandLine(R"(prog "a b"c)"), (Words{"prog", "a bc"}));
  EXPECT_EQ(SplitCommandLine("   "), Words{});
}

TEST(FindCommandLineProgram, UnquotedPathWithBlanksGrowsUntilAFileIsFound) {
  test::TestDir dir;
  dir.Write("My Tools/run me", "#!/bin/sh\n");
  const std::string line = dir.path() + "/My Tools/run me  -x \"y z\"";
  CommandLineProgram found = FindCommandLineProgram(line);
  ASSERT_TRUE(found.found.ok());
  EXPECT_EQ(found.found.path, dir.path() + "/My Tools/run me");
  EXPECT_EQ(SplitArguments(found.rest), (Words{"-x", "y z"}));

  // Quoted, the word is taken as written and not grown.
  CommandLineProgram quoted = FindCommandLineProgram("\"" + dir.path() + "/My\" Tools/run me");
  EXPECT_EQ(quoted.found.error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

TEST(FindProgram, WindowsPathsCaseAndTheExeSuffix) {
  test::TestDir dir;
  dir.Write("Bin/Tool", "#!/bin/sh\n");
  std::filesystem::permissions(dir / "Bin/Tool", std::filesystem::perms::owner_all);
  EXPECT_EQ(FindProgram("bin\\TOOL.EXE").path, dir.path() + "/Bin/Tool");
  EXPECT_EQ(FindProgram(dir.path() + "/Bin/tool").path, dir.path() + "/Bin/Tool");
  EXPECT_EQ(FindProgram("missing\\tool.exe").error, static_cast<DWORD>(ERROR_PATH_NOT_FOUND));
  EXPECT_EQ(FindProgram("bin\\other.exe").error, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  // A bare name: the current directory, then PATH.
  dir.Write("here", "");
  EXPECT_EQ(FindProgram("here").path, dir.path() + "/here");
  EXPECT_TRUE(FindProgram("true.exe").ok());
}

}  // namespace
}  // namespace qvp::shell
