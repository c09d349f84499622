// The test host binds plug-ins in the program's order: fake plug-ins log every
// call they get, so the order is seen from the plug-ins' side.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "plugin_host.h"
#include "program_dir.h"

namespace {

using qvtest::kHostCallbackOrder;
using qvtest::kPluginFillOrder;
using qvtest::kPluginSlotOrder;

class PluginBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"qvm_a_kind4.dll", "qvm_b_kind1.dll", "qvm_c_kind4.dll", "qvm_d_refuses.dll",
                             "qvm_e_incomplete.dll"}) {
      program_.Link(QV_TEST_FAKES_DIR, name);
    }
    program_.dir().write("qvm_notes.txt", "not a plug-in");
  }
  // The calls one plug-in file logged, in order.
  std::vector<std::string> Calls(const std::string& file) const {
    std::vector<std::string> calls;
    std::istringstream in(program_.dir().read("calls.log"));
    std::string line;
    while (std::getline(in, line)) {
      if (line.rfind(file + " ", 0) == 0) calls.push_back(line.substr(file.size() + 1));
    }
    return calls;
  }
  std::vector<std::string> AllCalls() const {
    std::vector<std::string> lines;
    std::istringstream in(program_.dir().read("calls.log"));
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
  }

  qvtest::ProgramDir program_;
};

TEST_F(PluginBindingTest, PluginsListInKindOrderAndRefusalsAreDropped) {
  qvtest::PluginHost host;
  ASSERT_EQ(host.LoadPlugins(program_.path()), 1);
  std::vector<std::string> files;
  std::vector<unsigned> kinds;
  for (const qvtest::PluginEntry* entry : host.plugins()) {
    files.push_back(entry->file);
    kinds.push_back(entry->kind);
  }
  // Found as a (4), b (1), c (4): kind 1 first, the second kind-4 plug-in after the first.
  EXPECT_EQ(files, (std::vector<std::string>{"qvm_b_kind1.dll", "qvm_a_kind4.dll", "qvm_c_kind4.dll"}));
  EXPECT_EQ(kinds, (std::vector<unsigned>{1, 4, 4}));
  EXPECT_EQ(host.dropped(), (std::vector<std::string>{"qvm_d_refuses.dll", "qvm_e_incomplete.dll"}));
  // A refused plug-in is freed at once; one without an entry point too, after its initialisation.
  EXPECT_EQ(Calls("qvm_d_refuses.dll"), (std::vector<std::string>{"attach", "init", "detach"}));
  EXPECT_EQ(Calls("qvm_e_incomplete.dll"), (std::vector<std::string>{"attach", "init", "detach"}));
}

TEST_F(PluginBindingTest, EachPluginIsAskedAndGivenCallbacksInTheProgramsOrder) {
  qvtest::PluginHost host;
  ASSERT_EQ(host.LoadPlugins(program_.path()), 1);
  std::vector<std::string> expected = {"attach", "init"};
  for (int id : kPluginFillOrder) expected.push_back("isf " + std::to_string(id));
  for (int id : kHostCallbackOrder) expected.push_back("cb " + std::to_string(id));
  EXPECT_EQ(Calls("qvm_a_kind4.dll"), expected);

  const size_t before = AllCalls().size();
  host.Unbind();
  // Unbinding goes in list order: the shut-down function, then the library.
  const std::vector<std::string> all = AllCalls();
  EXPECT_EQ(std::vector<std::string>(all.begin() + static_cast<long>(before), all.end()),
            (std::vector<std::string>{"qvm_b_kind1.dll fn 14", "qvm_b_kind1.dll detach", "qvm_a_kind4.dll fn 14",
                                      "qvm_a_kind4.dll detach", "qvm_c_kind4.dll fn 14", "qvm_c_kind4.dll detach"}));
}

TEST_F(PluginBindingTest, SlotsHoldEachIdsFunctionAndLookupsAskAnew) {
  qvtest::PluginHost host;
  ASSERT_EQ(host.LoadPlugins(program_.path()), 1);
  const qvtest::PluginEntry* entry = host.plugins()[0];
  for (int slot = 0; slot < 32; ++slot) {
    ASSERT_NE(entry->slots[slot], nullptr);
    EXPECT_EQ(reinterpret_cast<int (*)()>(entry->slots[slot])(), kPluginSlotOrder[slot]) << slot;
  }
  const size_t asked = Calls("qvm_a_kind4.dll").size();
  auto help = host.Function<int (*)()>(4, PF_GET_HELP_TEXT);
  ASSERT_NE(help, nullptr);
  EXPECT_EQ(help(), PF_GET_HELP_TEXT);
  const std::vector<std::string> calls = Calls("qvm_a_kind4.dll");
  EXPECT_EQ(std::vector<std::string>(calls.begin() + static_cast<long>(asked), calls.end()),
            (std::vector<std::string>{"isf 26", "fn 26"}));  // the first plug-in of the kind, asked again
  EXPECT_EQ(host.GetPluginFunction(3, PF_GET_HELP_TEXT), nullptr);
}

TEST(PluginHostTest, AnEmptyDirectoryBindsNothing) {
  qvtest::ProgramDir program;
  qvtest::PluginHost host;
  EXPECT_EQ(host.LoadPlugins(program.path()), 0);
  EXPECT_TRUE(host.plugins().empty());
}

}  // namespace
