// The ODBC page's Browse: the layer's data-source chooser, with unixODBC and
// the SQLite driver configured in a temporary directory.
#include <cstdlib>
#include <fstream>

#include "sheet_test_support.h"

namespace {

using namespace sheettest;
using Lines = std::vector<std::string>;
using qvp::UiDriver;

class OdbcBrowseTest : public PluginFixture {};

qvp::ExpectedPrompt Chooser(int result, std::string connection, std::string* offered) {
  qvp::ExpectedPrompt prompt;
  prompt.kind = qvp::PromptKind::kDataSource;
  prompt.respond = [result, connection, offered](const qvp::PromptRecord& record) {
    *offered = record.text;
    qvp::PromptAnswer answer;
    answer.result = result;
    answer.text = connection;
    return answer;
  };
  return prompt;
}

TEST_F(OdbcBrowseTest, TheChosenDataSourceFillsTheFieldsAndCancelChangesNothing) {
  const char* driver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
  if (!std::ifstream(driver) && !std::getenv("CI")) GTEST_SKIP() << "the SQLite ODBC driver is not installed";
  std::ofstream(dir_.file("odbcinst.ini")) << "[QvSQLite3]\nDescription=SQLite 3\nDriver=" << driver << "\n";
  std::ofstream(dir_.file("odbc.ini")) << "[Sales]\nDriver=QvSQLite3\nDatabase=" << dir_.file("sales.db") << "\n";
  setenv("ODBCSYSINI", dir_.path().c_str(), 1);
  setenv("ODBCINI", dir_.file("odbc.ini").c_str(), 1);

  UiDriver d;
  std::string offered, ignored;
  d.Prompts().Expect(Chooser(IDOK, "DSN=Sales;UID=alice;PWD=secret", &offered));
  d.Prompts().Expect(Chooser(IDCANCEL, "", &ignored));
  std::string source, user, password, afterCancel;
  bool browse = false;
  d.OnDialog(112).Type(1055, "Database").Select(1053, "ODBC\t - Remote Datasource").Click(kNext);
  d.OnDialog(17000)
      .Do([&](HWND page) { browse = qvp::driver::Enabled(GetDlgItem(page, 1117)); })
      .Click(1117)
      .Read(1026, &source)
      .Read(1099, &user)
      .Read(1008, &password)
      .Click(1117)
      .Read(1026, &afterCancel)
      .Click(IDCANCEL);
  PROFILE* row = nullptr;
  EXPECT_EQ(plugin_->AddProfile(nullptr, nullptr, &row), PLUGIN_FAILED);
  unsetenv("ODBCSYSINI");
  unsetenv("ODBCINI");
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_TRUE(browse);
  EXPECT_EQ(offered, "Sales - QvSQLite3\n");
  EXPECT_EQ(source, "Sales");
  EXPECT_EQ(user, "alice");
  EXPECT_EQ(password, "secret");
  EXPECT_EQ(afterCancel, "Sales");
}

TEST_F(OdbcBrowseTest, AnAccountNameMayBeLongerThanFiveCharacters) {
  UiDriver d;
  d.OnDialog(112).Type(1055, "Database").Select(1053, "ODBC\t - Remote Datasource").Click(kNext);
  d.OnDialog(17000).Type(1026, "Sales").Type(1099, "administrator").Click(kNext);
  d.OnDialog(31010).Click(kNext);
  d.OnDialog(31011).Click(kNext);
  d.OnDialog(31012).Click(kFinish);
  PROFILE* row = nullptr;
  EXPECT_EQ(plugin_->AddProfile(nullptr, nullptr, &row), PLUGIN_DONE);
  EXPECT_EQ(d.Problems(), Lines{});
  EXPECT_EQ(Value(Monitor(), "UserName"), "administrator");
  EXPECT_EQ(Value(Monitor(), "HostName"), "Sales");
}

}  // namespace
