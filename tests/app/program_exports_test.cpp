// The program's exports that other modules bind by name are in its dynamic
// symbol table under their plain names.
#include <cstdio>
#include <set>
#include <string>

#include <gtest/gtest.h>

namespace {

std::set<std::string> DynamicSymbols(const std::string& file) {
  std::set<std::string> names;
  const std::string command = "nm -D --defined-only '" + file + "' 2>/dev/null";
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return names;
  char line[512];
  while (std::fgets(line, sizeof line, pipe) != nullptr) {
    std::string text(line);
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t blank = text.rfind(' ');
    names.insert(blank == std::string::npos ? text : text.substr(blank + 1));
  }
  pclose(pipe);
  return names;
}

TEST(ProgramExports, DialogAndDdeCallbacksAreExportedByName) {
  const auto names = DynamicSymbols(std::string(QV_TEST_DIST_DIR) + "/quorvane");
  ASSERT_FALSE(names.empty()) << "nm could not read the program";
  for (const char* name : {"DdeCallBack", "ImportDlg", "PleaseWaitDlg"}) EXPECT_TRUE(names.count(name)) << name;
  // The program carries resources of its own (its icon) for the layer to find.
  EXPECT_TRUE(names.count("QvResourceTable"));
}

}  // namespace
