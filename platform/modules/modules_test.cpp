#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "qvplatform.h"

namespace fs = std::filesystem;

namespace {
std::mutex events_lock;
std::vector<std::string> events;
}  // namespace

// Called by the test modules' DllMain.
extern "C" __attribute__((visibility("default"))) void QvTestRecord(const char* event) {
  std::lock_guard<std::mutex> g(events_lock);
  events.emplace_back(event);
}

namespace {

std::vector<std::string> TakeEvents() {
  std::lock_guard<std::mutex> g(events_lock);
  return std::exchange(events, {});
}

std::string Hex(HMODULE h) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%p", static_cast<void*>(h));
  return buf;
}

fs::path ProgramDir() { return fs::read_symlink("/proc/self/exe").parent_path(); }

std::string WindowsForm(std::string path) {
  for (char& c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}

std::string FileNameOf(HMODULE h) {
  char buf[MAX_PATH];
  return GetModuleFileNameA(h, buf, sizeof buf) ? std::string(buf) : std::string("<none>");
}

class Modules : public ::testing::Test {
 protected:
  void SetUp() override {
    TakeEvents();
    char templ[] = "/tmp/qvmod_XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir_ = templ;
  }
  void TearDown() override {
    if (!old_cwd_.empty()) fs::current_path(old_cwd_);
    fs::remove_all(dir_);
  }
  void EnterTempDir() {
    old_cwd_ = fs::current_path();
    fs::current_path(dir_);
  }
  fs::path dir_;
  fs::path old_cwd_;
};

TEST_F(Modules, AttachOnFirstLoadDetachOnLastFree) {
  HMODULE h = LoadLibraryA("qvtest_rec.dll");  // found in the program directory
  ASSERT_NE(h, nullptr) << GetLastError();
  std::string path = WindowsForm((ProgramDir() / "qvtest_rec.dll").string());
  EXPECT_EQ(TakeEvents(), std::vector<std::string>{"attach " + Hex(h) + " " + path});
  EXPECT_EQ(FileNameOf(h), path);

  EXPECT_EQ(LoadLibraryA("qvtest_rec"), h);  // ".dll" is implied; no second attach
  EXPECT_EQ(LoadLibraryA("QvTest_Rec.DLL"), h);  // file names are found without regard to case
  EXPECT_EQ(LoadLibraryA(path.c_str()), h);  // the same file by its full Windows path
  EXPECT_TRUE(TakeEvents().empty());
  EXPECT_EQ(GetModuleHandleA("QVTEST_REC.DLL"), h);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(FreeLibrary(h));
  EXPECT_TRUE(TakeEvents().empty());
  EXPECT_TRUE(FreeLibrary(h));
  EXPECT_EQ(TakeEvents(), std::vector<std::string>{"detach " + Hex(h)});
  EXPECT_EQ(GetModuleHandleA("qvtest_rec.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_FALSE(FreeLibrary(h));
  EXPECT_EQ(GetProcAddress(h, "Sixty"), nullptr);
}

TEST_F(Modules, ARefusedAttachFailsTheLoad) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("qvtest_refuse.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DLL_INIT_FAILED));
  std::vector<std::string> seen = TakeEvents();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].rfind("attach ", 0), 0u);
  EXPECT_EQ(seen[1].rfind("detach ", 0), 0u);
  EXPECT_EQ(GetModuleHandleA("qvtest_refuse.dll"), nullptr);
}

TEST_F(Modules, ExportsByNameAndOrdinalAreTheModulesOwn) {
  HMODULE h = LoadLibraryA("qvtest_rec.dll");
  ASSERT_NE(h, nullptr);
  using IntFn = int (*)();
  auto sixty = reinterpret_cast<IntFn>(GetProcAddress(h, "Sixty"));
  ASSERT_NE(sixty, nullptr);
  EXPECT_EQ(sixty(), 60);
  EXPECT_EQ(reinterpret_cast<IntFn>(GetProcAddress(h, reinterpret_cast<LPCSTR>(66))), sixty);
  auto by67 = reinterpret_cast<IntFn>(GetProcAddress(h, reinterpret_cast<LPCSTR>(67)));
  ASSERT_NE(by67, nullptr);
  EXPECT_EQ(by67(), 67);
  SetLastError(0);
  EXPECT_EQ(GetProcAddress(h, reinterpret_cast<LPCSTR>(68)), nullptr);  // listed, not exported
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_PROC_NOT_FOUND));
  EXPECT_EQ(GetProcAddress(h, reinterpret_cast<LPCSTR>(99)), nullptr);
  EXPECT_EQ(GetProcAddress(h, "sixty"), nullptr);  // names are exact
  // Exported by the layer this module links with, not by the module.
  EXPECT_EQ(GetProcAddress(h, "RegOpenKeyExA"), nullptr);
  EXPECT_NE(qvp::ModuleSymbol(h, "QvOrdinalExports"), nullptr);
  EXPECT_TRUE(FreeLibrary(h));
  TakeEvents();

  // A module that depends on one with a DllMain has no DllMain of its own.
  HMODULE plain = LoadLibraryA(WindowsForm((ProgramDir() / "qvtest_plain.dll").string()).c_str());
  ASSERT_NE(plain, nullptr) << GetLastError();
  EXPECT_TRUE(TakeEvents().empty());
  EXPECT_EQ(GetProcAddress(plain, "DllMain"), nullptr);
  EXPECT_EQ(GetProcAddress(plain, "Sixty"), nullptr);
  auto value = reinterpret_cast<IntFn>(GetProcAddress(plain, "PlainValue"));
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(value(), 61);
  EXPECT_TRUE(FreeLibrary(plain));
  EXPECT_TRUE(TakeEvents().empty());
}

TEST_F(Modules, TheProgramIsAModuleToo) {
  HMODULE self = GetModuleHandleA(nullptr);
  ASSERT_NE(self, nullptr);
  EXPECT_EQ(FileNameOf(nullptr), WindowsForm(fs::read_symlink("/proc/self/exe").string()));
  EXPECT_EQ(FileNameOf(self), FileNameOf(nullptr));
  EXPECT_EQ(GetModuleHandleA("platform_modules_test"), self);
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(self, "QvTestRecord")), reinterpret_cast<void*>(&QvTestRecord));
  EXPECT_EQ(reinterpret_cast<void*>(GetProcAddress(nullptr, "QvTestRecord")), reinterpret_cast<void*>(&QvTestRecord));
  EXPECT_EQ(GetProcAddress(self, "RegOpenKeyExA"), nullptr);  // the layer's, not the program's
  EXPECT_TRUE(FreeLibrary(self));
  EXPECT_EQ(GetModuleHandleA(nullptr), self);
}

TEST_F(Modules, FileNameTruncationFollowsWindows) {
  HMODULE h = LoadLibraryA("qvtest_rec.dll");
  ASSERT_NE(h, nullptr);
  std::string full = FileNameOf(h);
  auto len = static_cast<DWORD>(full.size());
  std::vector<char> buf(full.size() + 8, 'x');
  SetLastError(0);
  EXPECT_EQ(GetModuleFileNameA(h, buf.data(), len + 1), len);
  EXPECT_EQ(std::string(buf.data()), full);
  EXPECT_EQ(GetLastError(), 0u);
  // One short: truncated, terminated, the size returned, and the error set.
  EXPECT_EQ(GetModuleFileNameA(h, buf.data(), len), len);
  EXPECT_EQ(std::string(buf.data()), full.substr(0, len - 1));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(GetModuleFileNameA(h, buf.data(), 5), 5u);
  EXPECT_EQ(std::string(buf.data()), full.substr(0, 4));
  EXPECT_EQ(GetModuleFileNameA(h, buf.data(), 0), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INSUFFICIENT_BUFFER));
  EXPECT_EQ(GetModuleFileNameA(reinterpret_cast<HMODULE>(0x1234), buf.data(), len), 0u);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_TRUE(FreeLibrary(h));
}

TEST_F(Modules, AnyFileNameInTheCurrentDirectoryAndDataLoads) {
  fs::create_directory(dir_ / "Lib");
  fs::copy_file(ProgramDir() / "qvtest_rec.dll", dir_ / "Lib" / "PRODUCT.RSL");
  fs::create_symlink(dir_ / "Lib" / "PRODUCT.RSL", dir_ / "alias.dll");
  // A drive path goes through the drive map; every name is found without regard to case.
  ASSERT_TRUE(qvp::SetDriveMapping('Q', dir_.c_str()));
  HMODULE by_drive = LoadLibraryExA("q:\\LIB\\product.rsl", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  qvp::ClearDriveMappings();
  ASSERT_NE(by_drive, nullptr) << GetLastError();
  EXPECT_EQ(FileNameOf(by_drive), WindowsForm((dir_ / "Lib" / "PRODUCT.RSL").string()));
  EXPECT_TRUE(FreeLibrary(by_drive));
  fs::rename(dir_ / "Lib" / "PRODUCT.RSL", dir_ / "PRODUCT.RSL");
  fs::remove(dir_ / "alias.dll");
  fs::create_symlink(dir_ / "PRODUCT.RSL", dir_ / "alias.dll");
  EnterTempDir();
  // Loaded as data: no DllMain, but its exports are there.
  HMODULE data = LoadLibraryExA("product.rsl", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data, nullptr) << GetLastError();
  EXPECT_TRUE(TakeEvents().empty());
  EXPECT_NE(GetProcAddress(data, "Sixty"), nullptr);
  EXPECT_EQ(GetModuleHandleA("product.rsl"), data);
  // Another name for the same file is the same module; a full load attaches it now.
  HMODULE full = LoadLibraryA("ALIAS");
  EXPECT_EQ(full, data);
  std::vector<std::string> seen = TakeEvents();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].rfind("attach " + Hex(full), 0), 0u);
  EXPECT_TRUE(FreeLibrary(full));
  EXPECT_TRUE(FreeLibrary(data));
  EXPECT_EQ(TakeEvents(), std::vector<std::string>{"detach " + Hex(full)});

  // A data load alone is unloaded without notices.
  data = LoadLibraryExA("PRODUCT.RSL", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  ASSERT_NE(data, nullptr);
  EXPECT_TRUE(FreeLibrary(data));
  EXPECT_TRUE(TakeEvents().empty());
}

TEST_F(Modules, LoadFailuresSayWhy) {
  SetLastError(0);
  EXPECT_EQ(LoadLibraryA("no_such_module.dll"), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  EXPECT_EQ(LoadLibraryA(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  { std::ofstream(dir_ / "text.dll") << "not a module\n"; }
  qvp::CaptureDebugOutput(true);
  EXPECT_EQ(LoadLibraryA(WindowsForm((dir_ / "text.dll").string()).c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_BAD_EXE_FORMAT));
  EXPECT_NE(qvp::TakeDebugOutput().find("text.dll"), std::string::npos);  // the loader's reason is told
  qvp::CaptureDebugOutput(false);
  // A directory of that name is no module either.
  fs::create_directory(dir_ / "dir.dll");
  EXPECT_EQ(LoadLibraryA(WindowsForm((dir_ / "dir.dll").string()).c_str()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
}

int BuiltinOne() { return 1; }
int BuiltinTwo() { return 2; }

TEST_F(Modules, BuiltinModulesAnswerFromTheirTables) {
  static const qvp::BuiltinExport first[] = {{"One", reinterpret_cast<FARPROC>(&BuiltinOne)}, {nullptr, nullptr}};
  static const qvp::BuiltinExport second[] = {{"Two", reinterpret_cast<FARPROC>(&BuiltinTwo)}, {nullptr, nullptr}};
  qvp::RegisterBuiltinModule("QvTestLib.dll", first);
  qvp::RegisterBuiltinModule("QVTESTLIB", second);
  HMODULE h = LoadLibraryA("qvtestlib");
  ASSERT_NE(h, nullptr);
  EXPECT_EQ(LoadLibraryA("C:\\WINNT\\system32\\QvTestLib.DLL"), h);
  EXPECT_EQ(GetModuleHandleA("QVTESTLIB.DLL"), h);
  EXPECT_EQ(GetProcAddress(h, "One"), reinterpret_cast<FARPROC>(&BuiltinOne));
  EXPECT_EQ(GetProcAddress(h, "Two"), reinterpret_cast<FARPROC>(&BuiltinTwo));
  EXPECT_EQ(GetProcAddress(h, "Three"), nullptr);
  EXPECT_EQ(GetProcAddress(h, reinterpret_cast<LPCSTR>(1)), nullptr);
  EXPECT_TRUE(FreeLibrary(h));
  EXPECT_TRUE(FreeLibrary(h));
  EXPECT_EQ(GetProcAddress(h, "One"), reinterpret_cast<FARPROC>(&BuiltinOne));  // stays resident
  for (const char* name : {"KERNEL32.DLL", "icmp.dll", "WININET", "wsock32.dll", "MAPI32.DLL", "NetApi32.dll"}) {
    SCOPED_TRACE(name);
    EXPECT_NE(LoadLibraryA(name), nullptr);
    EXPECT_NE(GetModuleHandleA(name), nullptr);
  }
}

TEST_F(Modules, ConcurrentLoadsPairAttachWithDetach) {
  constexpr int kThreads = 4;
  constexpr int kRounds = 25;
  std::vector<std::thread> threads;
  std::vector<int> failures(kThreads, 0);
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([t, &failures] {
      for (int i = 0; i < kRounds; ++i) {
        HMODULE h = LoadLibraryA("qvtest_rec.dll");
        auto fn = h ? reinterpret_cast<int (*)()>(GetProcAddress(h, "SixtySeven")) : nullptr;
        if (!fn || fn() != 67 || !FreeLibrary(h)) ++failures[t];
      }
    });
  }
  for (std::thread& th : threads) th.join();
  for (int f : failures) EXPECT_EQ(f, 0);
  std::vector<std::string> seen = TakeEvents();
  ASSERT_FALSE(seen.empty());
  ASSERT_EQ(seen.size() % 2, 0u);
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_EQ(seen[i].rfind(i % 2 == 0 ? "attach " : "detach ", 0), 0u) << i << ": " << seen[i];
  }
}

// ODBC through the system's driver manager with the SQLite driver: the
// prototypes below are the ODBC ones, with the 64-bit driver manager's sizes.
using SQLHANDLE = void*;
using SQLRETURN = short;
using AllocHandleFn = SQLRETURN (*)(short, SQLHANDLE, SQLHANDLE*);
using SetEnvAttrFn = SQLRETURN (*)(SQLHANDLE, int, void*, int);
using DriverConnectFn = SQLRETURN (*)(SQLHANDLE, void*, const unsigned char*, short, unsigned char*, short, short*,
                                      unsigned short);
using ExecDirectFn = SQLRETURN (*)(SQLHANDLE, const unsigned char*, int);
using FetchFn = SQLRETURN (*)(SQLHANDLE);
using GetDataFn = SQLRETURN (*)(SQLHANDLE, unsigned short, short, void*, long, long*);
using DisconnectFn = SQLRETURN (*)(SQLHANDLE);
using FreeHandleFn = SQLRETURN (*)(short, SQLHANDLE);
constexpr short kHandleEnv = 1, kHandleDbc = 2, kHandleStmt = 3;
constexpr int kAttrOdbcVersion = 200;
constexpr int kNts = -3;
constexpr short kCLong = -16;
bool Ok(SQLRETURN r) { return (r & ~1) == 0; }
// GetProcAddress typed; the detour through void (*)() is the compiler's
// accepted way to change a function pointer's type.
template <class F>
F Proc(HMODULE module, const char* name) {
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

TEST_F(Modules, OdbcResolvesToTheSystemDriverManager) {
  const char* driver = "/usr/lib/x86_64-linux-gnu/odbc/libsqlite3odbc.so";
  if (!fs::exists(driver) && !std::getenv("CI")) GTEST_SKIP() << "the SQLite ODBC driver is not installed";
  {
    std::ofstream(dir_ / "odbcinst.ini") << "[QvSQLite3]\nDescription=SQLite 3\nDriver=" << driver << "\n";
    std::ofstream(dir_ / "odbc.ini") << "[qvtest]\nDriver=QvSQLite3\nDatabase=" << (dir_ / "t.db").string() << "\n";
  }
  setenv("ODBCSYSINI", dir_.c_str(), 1);
  setenv("ODBCINI", (dir_ / "odbc.ini").c_str(), 1);

  HMODULE odbc = LoadLibraryA("ODBC32.DLL");
  ASSERT_NE(odbc, nullptr) << GetLastError();
  EXPECT_EQ(GetModuleHandleA("odbc32"), odbc);
  EXPECT_NE(FileNameOf(odbc).find("libodbc"), std::string::npos);
  auto alloc = Proc<AllocHandleFn>(odbc, "SQLAllocHandle");
  auto set_env = Proc<SetEnvAttrFn>(odbc, "SQLSetEnvAttr");
  auto connect = Proc<DriverConnectFn>(odbc, "SQLDriverConnect");
  auto exec = Proc<ExecDirectFn>(odbc, "SQLExecDirect");
  auto fetch = Proc<FetchFn>(odbc, "SQLFetch");
  auto get_data = Proc<GetDataFn>(odbc, "SQLGetData");
  auto disconnect = Proc<DisconnectFn>(odbc, "SQLDisconnect");
  auto free_handle = Proc<FreeHandleFn>(odbc, "SQLFreeHandle");
  ASSERT_TRUE(alloc && set_env && connect && exec && fetch && get_data && disconnect && free_handle);
  EXPECT_EQ(GetProcAddress(odbc, "NoSuchOdbcCall"), nullptr);

  SQLHANDLE env = nullptr, dbc = nullptr, stmt = nullptr;
  ASSERT_TRUE(Ok(alloc(kHandleEnv, nullptr, &env)));
  ASSERT_TRUE(Ok(set_env(env, kAttrOdbcVersion, reinterpret_cast<void*>(3), 0)));
  ASSERT_TRUE(Ok(alloc(kHandleDbc, env, &dbc)));
  const auto* dsn = reinterpret_cast<const unsigned char*>("DSN=qvtest;");
  ASSERT_TRUE(Ok(connect(dbc, nullptr, dsn, kNts, nullptr, 0, nullptr, 0)));
  ASSERT_TRUE(Ok(alloc(kHandleStmt, dbc, &stmt)));
  ASSERT_TRUE(Ok(exec(stmt, reinterpret_cast<const unsigned char*>("SELECT 1"), kNts)));
  ASSERT_TRUE(Ok(fetch(stmt)));
  int32_t value = 0;
  long indicator = 0;
  ASSERT_TRUE(Ok(get_data(stmt, 1, kCLong, &value, sizeof value, &indicator)));
  EXPECT_EQ(value, 1);
  free_handle(kHandleStmt, stmt);
  disconnect(dbc);
  free_handle(kHandleDbc, dbc);
  free_handle(kHandleEnv, env);
  EXPECT_TRUE(fs::exists(dir_ / "t.db"));
  EXPECT_TRUE(FreeLibrary(odbc));
}

}  // namespace
