// SQLDriverConnect of "ODBC32.DLL" with SQL_DRIVER_PROMPT: the layer's
// data-source chooser, answered from a prompt script.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "qvplatform.h"

namespace {

namespace fs = std::filesystem;
using Handle = void*;
using Return = short;
using AllocHandleFn = Return (*)(short, Handle, Handle*);
using SetEnvAttrFn = Return (*)(Handle, int, void*, int);
using DriverConnectFn = Return (*)(Handle, void*, const unsigned char*, short, unsigned char*, short, short*,
                                   unsigned short);
using DisconnectFn = Return (*)(Handle);
using FreeHandleFn = Return (*)(short, Handle);

template <class F>
F Proc(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

qvp::ExpectedPrompt Chooser(int result, const std::string& connection) {
  qvp::ExpectedPrompt prompt;
  prompt.kind = qvp::PromptKind::kDataSource;
  prompt.answer.result = result;
  prompt.answer.text = connection;
  return prompt;
}

TEST(OdbcPromptTest, TheChooserPicksTheDataSourceAndCancelGivesNoData) {
  const char* driver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
  if (!fs::exists(driver) && !std::getenv("CI")) GTEST_SKIP() << "the SQLite ODBC driver is not installed";
  const fs::path dir = fs::temp_directory_path() / ("qvodbcprompt_" + std::to_string(GetCurrentProcessId()));
  fs::create_directories(dir);
  std::ofstream(dir / "odbcinst.ini") << "[QvSQLite3]\nDriver=" << driver << "\n";
  std::ofstream(dir / "odbc.ini") << "[First]\nDriver=QvSQLite3\nDatabase=" << (dir / "a.db").string()
                                  << "\n[Second]\nDriver=QvSQLite3\nDatabase=" << (dir / "b.db").string() << "\n";
  setenv("ODBCSYSINI", dir.c_str(), 1);
  setenv("ODBCINI", (dir / "odbc.ini").c_str(), 1);

  HMODULE odbc = LoadLibraryA("ODBC32.DLL");
  ASSERT_NE(odbc, nullptr);
  auto alloc = Proc<AllocHandleFn>(odbc, "SQLAllocHandle");
  auto setEnv = Proc<SetEnvAttrFn>(odbc, "SQLSetEnvAttr");
  auto connect = Proc<DriverConnectFn>(odbc, "SQLDriverConnect");
  auto disconnect = Proc<DisconnectFn>(odbc, "SQLDisconnect");
  auto freeHandle = Proc<FreeHandleFn>(odbc, "SQLFreeHandle");
  ASSERT_TRUE(alloc && setEnv && connect && disconnect && freeHandle);
  Handle env = nullptr, dbc = nullptr;
  ASSERT_EQ(alloc(1, nullptr, &env), 0);
  ASSERT_EQ(setEnv(env, 200, reinterpret_cast<void*>(3), 0), 0);
  ASSERT_EQ(alloc(2, env, &dbc), 0);
  HWND owner = CreateWindowExA(0, "#32770", "Owner", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr, nullptr, nullptr);

  const unsigned char empty[1] = {0};
  unsigned char out[1025] = {};
  short length = 0;
  {
    qvp::PromptScript script;
    script.Expect(Chooser(IDOK, "DSN=Second;UID=bob"));
    const Return result = connect(dbc, owner, empty, 0, out, 1024, &length, 2);
    EXPECT_TRUE(result == 0 || result == 1) << result;
    const std::string text(reinterpret_cast<char*>(out), static_cast<size_t>(length));
    EXPECT_NE(text.find("DSN=Second"), std::string::npos) << text;
    EXPECT_NE(text.find("UID=bob"), std::string::npos) << text;
    ASSERT_EQ(script.Records().size(), 1u);
    EXPECT_EQ(script.Records()[0].text, "First - QvSQLite3\nSecond - QvSQLite3\n");
    EXPECT_EQ(script.Records()[0].caption, "Select Data Source");
    disconnect(dbc);
  }
  {
    // A braced password holding ';' and "}}" comes back whole, in place of
    // the driver's own reading of it.
    qvp::PromptScript script;
    script.Expect(Chooser(IDOK, "DSN=Second;UID=bob;PWD={a;b}}c}"));
    const Return result = connect(dbc, owner, empty, 0, out, 1024, &length, 2);
    EXPECT_TRUE(result == 0 || result == 1) << result;
    const std::string text(reinterpret_cast<char*>(out), static_cast<size_t>(length));
    EXPECT_NE(text.find(";PWD={a;b}}c}"), std::string::npos) << text;
    EXPECT_EQ(text.find("PWD=", text.find("PWD=") + 1), std::string::npos) << text;
    EXPECT_NE(text.find("UID=bob"), std::string::npos) << text;
    disconnect(dbc);
  }
  {
    qvp::PromptScript script;
    script.Expect(Chooser(IDCANCEL, ""));
    EXPECT_EQ(connect(dbc, owner, empty, 0, out, 1024, &length, 2), 100);  // SQL_NO_DATA
  }
  EXPECT_EQ(connect(dbc, nullptr, empty, 0, out, 1024, &length, 2), -1);  // no window to prompt over
  EXPECT_TRUE(qvp::TakeUnexpectedPrompts().empty());
  freeHandle(2, dbc);
  freeHandle(1, env);
  DestroyWindow(owner);
  unsetenv("ODBCSYSINI");
  unsetenv("ODBCINI");
  fs::remove_all(dir);
}

}  // namespace
