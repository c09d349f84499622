// Binding real plug-in files: the fakes log every call they get (and the host
// callback addresses they are handed), so order is seen from their side.
#include "plugin_host.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "host_tables.h"
#include "test_dir.h"

namespace {

using Lines = std::vector<std::string>;

class PluginBindingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"qvm_a_kind4.dll", "qvm_b_kind1.dll", "qvm_c_kind4.dll", "qvm_d_refuses.dll",
                             "qvm_e_no_init.dll", "qvm_f_no_query.dll", "qvm_h_no_supply.dll"}) {
      std::filesystem::create_symlink(std::filesystem::path(QV_HOST_FAKES_DIR) / name, dir_.path() / name);
    }
    dir_.write("qvm_g_not_a_library.dll", "plain text");
    dir_.write("other.dll", "not searched for");
  }
  void TearDown() override { UnloadPlugins(); }

  // The calls one plug-in file logged, in order.
  Lines Calls(const std::string& file) const {
    Lines calls;
    for (const std::string& line : AllCalls()) {
      if (line.rfind(file + " ", 0) == 0) calls.push_back(line.substr(file.size() + 1));
    }
    return calls;
  }
  Lines AllCalls() const {
    Lines lines;
    std::istringstream in(dir_.read("calls.log"));
    std::string line;
    while (std::getline(in, line)) lines.push_back(line);
    return lines;
  }
  std::vector<unsigned> Kinds() const {
    std::vector<unsigned> kinds;
    for (PluginEntry* entry = g_pluginList; entry != nullptr; entry = entry->next) kinds.push_back(entry->kind);
    return kinds;
  }

  TestDir dir_;
};

TEST_F(PluginBindingTest, PluginsListInKindOrderAndRefusedFilesAreFreed) {
  ASSERT_EQ(LoadPlugins(dir_.path().c_str()), 1);
  // Found as a (4), b (1), c (4): kind 1 first, the second kind-4 plug-in after the first.
  EXPECT_EQ(Kinds(), (std::vector<unsigned>{1, 4, 4}));
  ASSERT_NE(g_pluginList, nullptr);
  PluginEntry* firstFour = g_pluginList->next;
  EXPECT_EQ(Calls("qvm_a_kind4.dll").at(0), "attach");
  EXPECT_EQ(FindPlugin(4), firstFour);
  EXPECT_EQ(FindPlugin(2), nullptr);
  // A name that filled its whole field is ended inside it.
  EXPECT_EQ(std::string(firstFour->name), std::string(PLUGIN_NAME_LEN - 1, 'N'));
  // Refused, or missing an entry point: loaded, asked what it could be asked, freed.
  EXPECT_EQ(Calls("qvm_d_refuses.dll"), (Lines{"attach", "init", "detach"}));
  EXPECT_EQ(Calls("qvm_e_no_init.dll"), (Lines{"attach", "detach"}));
  EXPECT_EQ(Calls("qvm_f_no_query.dll"), (Lines{"attach", "init", "detach"}));
  EXPECT_EQ(Calls("qvm_h_no_supply.dll"), (Lines{"attach", "init", "detach"}));
}

TEST_F(PluginBindingTest, SlotsAreFilledAndCallbacksSuppliedInOrder) {
  ASSERT_EQ(LoadPlugins(dir_.path().c_str()), 1);
  Lines expected = {"attach", "init"};
  for (int id : kPluginFillOrder) expected.push_back("isf " + std::to_string(id));
  for (int id : kHostCallbackOrder) {
    char address[32];
    std::snprintf(address, sizeof address, "%p", reinterpret_cast<void*>(HostCallbackAddress(id)));
    expected.push_back("cb " + std::to_string(id) + " " + address);
  }
  EXPECT_EQ(Calls("qvm_b_kind1.dll"), expected);

  // Each slot holds the function of the id the slot order names.
  for (int i = 0; i < 32; ++i) {
    auto function = reinterpret_cast<int (*)()>(g_pluginList->slots[i]);
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(function(), kPluginSlotOrder[i]) << "slot " << i;
  }
  EXPECT_EQ(PluginSlot(g_pluginList, 0), nullptr);
  EXPECT_EQ(PluginSlot(g_pluginList, 33), nullptr);
  EXPECT_EQ(HostCallbackAddress(HC_SET_STATUS_TEXT), reinterpret_cast<FARPROC>(HostSetStatusText));
  EXPECT_EQ(HostCallbackAddress(HC_CREATE_REPORT), reinterpret_cast<FARPROC>(CreateReport));
  EXPECT_EQ(HostCallbackAddress(16), nullptr);
}

TEST_F(PluginBindingTest, FunctionsAreAskedForAnewAtEveryLookup) {
  ASSERT_EQ(LoadPlugins(dir_.path().c_str()), 1);
  const size_t before = Calls("qvm_a_kind4.dll").size();
  auto edit = GetPluginFunctionAs<int (*)()>(4, PF_EDIT_SCHEDULED_EVENT);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit(), PF_EDIT_SCHEDULED_EVENT);
  EXPECT_NE(GetPluginFunction(4, PF_EDIT_SCHEDULED_EVENT), nullptr);
  // The first plug-in of the kind answers; ids outside 1..32 are never asked.
  EXPECT_EQ(GetPluginFunction(4, 0), nullptr);
  EXPECT_EQ(GetPluginFunction(4, 33), nullptr);
  EXPECT_EQ(GetPluginFunction(3, 1), nullptr);
  const Lines calls = Calls("qvm_a_kind4.dll");
  EXPECT_EQ(Lines(calls.begin() + static_cast<long>(before), calls.end()), (Lines{"isf 7", "fn 7", "isf 7"}));
  EXPECT_TRUE(Calls("qvm_c_kind4.dll").back().rfind("cb ", 0) == 0);
}

TEST_F(PluginBindingTest, UnbindingShutsDownAndFreesInListOrder) {
  ASSERT_EQ(LoadPlugins(dir_.path().c_str()), 1);
  const size_t before = AllCalls().size();
  UnloadPlugins();
  EXPECT_EQ(g_pluginList, nullptr);
  const Lines all = AllCalls();
  EXPECT_EQ(Lines(all.begin() + static_cast<long>(before), all.end()),
            (Lines{"qvm_b_kind1.dll fn 14", "qvm_b_kind1.dll detach", "qvm_a_kind4.dll fn 14",
                   "qvm_a_kind4.dll detach", "qvm_c_kind4.dll fn 14", "qvm_c_kind4.dll detach"}));
}

TEST_F(PluginBindingTest, ADirectoryWithoutPluginsBindsNone) {
  TestDir empty;
  EXPECT_EQ(LoadPlugins(empty.path().c_str()), 0);
  EXPECT_EQ(LoadPlugins(nullptr), 0);
  EXPECT_EQ(g_pluginList, nullptr);
}

}  // namespace
