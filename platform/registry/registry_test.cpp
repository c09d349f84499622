#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "qvplatform/registry.h"
#include "test_files.h"

namespace {

namespace fs = std::filesystem;

using qvtest::ReadFile;

class Registry : public ::testing::Test {
 protected:
  void SetUp() override {
    char templ[] = "/tmp/qvreg_XXXXXX";
    ASSERT_NE(mkdtemp(templ), nullptr);
    dir_ = templ;
    file_ = dir_ / "sub" / "registry";
    qvp::SetRegistryFile(file_.c_str());
  }
  void TearDown() override {
    for (HKEY h : open_) RegCloseKey(h);
    fs::remove_all(dir_);
  }

  HKEY Create(HKEY parent, const char* path) {
    HKEY h = nullptr;
    EXPECT_EQ(RegCreateKeyExA(parent, path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr), ERROR_SUCCESS);
    open_.push_back(h);
    return h;
  }
  LONG Open(HKEY parent, const char* path, HKEY* out) {
    LONG r = RegOpenKeyExA(parent, path, 0, KEY_READ, out);
    if (r == ERROR_SUCCESS) open_.push_back(*out);
    return r;
  }
  static void SetString(HKEY h, const char* name, const char* text, DWORD type = REG_SZ) {
    ASSERT_EQ(RegSetValueExA(h, name, 0, type, reinterpret_cast<const BYTE*>(text),
                             static_cast<DWORD>(std::strlen(text) + 1)),
              ERROR_SUCCESS);
  }
  static void SetDword(HKEY h, const char* name, DWORD v) {
    ASSERT_EQ(RegSetValueExA(h, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4), ERROR_SUCCESS);
  }
  // The value's type and bytes, or the error.
  static LONG Query(HKEY h, const char* name, DWORD* type, std::vector<BYTE>* data) {
    DWORD size = 0;
    LONG r = RegQueryValueExA(h, name, nullptr, type, nullptr, &size);
    if (r != ERROR_SUCCESS) return r;
    data->assign(size, 0xcc);
    return RegQueryValueExA(h, name, nullptr, type, data->data(), &size);
  }
  static std::string QueryString(HKEY h, const char* name) {
    DWORD type = 0;
    std::vector<BYTE> data;
    if (Query(h, name, &type, &data) != ERROR_SUCCESS || data.empty()) return "<missing>";
    return std::string(reinterpret_cast<const char*>(data.data()), data.size() - 1);
  }
  static std::vector<BYTE> Bytes(const char* s, size_t n) { return std::vector<BYTE>(s, s + n); }

  void Reload() { qvp::SetRegistryFile(file_.c_str()); }

  fs::path dir_;
  fs::path file_;
  std::vector<HKEY> open_;
};

TEST_F(Registry, EveryTypeRoundTripsThroughTheFile) {
  HKEY h = Create(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product");
  SetString(h, "Text", "C:\\Program Files\\Product");
  SetString(h, "Expand", "%SystemRoot%\\x", REG_EXPAND_SZ);
  SetDword(h, "Count", 0xdeadbeef);
  const BYTE bin[] = {0, 1, 0xff, '\n', '"'};
  ASSERT_EQ(RegSetValueExA(h, "Bin", 0, REG_BINARY, bin, sizeof bin), ERROR_SUCCESS);
  const char multi[] = "one\0two words\0\0";
  ASSERT_EQ(RegSetValueExA(h, "Multi", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>(multi), sizeof multi - 1),
            ERROR_SUCCESS);
  const BYTE qword[] = {1, 2, 3, 4, 5, 6, 7, 8};
  ASSERT_EQ(RegSetValueExA(h, "Q", 0, REG_QWORD, qword, sizeof qword), ERROR_SUCCESS);
  // Characters the file format has to escape, in names and in data.
  SetString(h, "odd \"name\" 100% [x]=y\\z", "line1\r\nline2\t%41 \"q\" ]");
  ASSERT_EQ(RegSetValueExA(h, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>("dflt"), 5), ERROR_SUCCESS);
  HKEY odd = Create(h, "Key ] with %25 \"quotes\"");
  SetDword(odd, "v", 7);
  Create(h, "Empty\\Nested");

  for (int pass = 0; pass < 2; ++pass) {
    SCOPED_TRACE(pass == 0 ? "in memory" : "after reload");
    HKEY k;
    ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", &k), ERROR_SUCCESS);
    DWORD type = 0;
    std::vector<BYTE> data;
    ASSERT_EQ(Query(k, "Text", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(data, Bytes("C:\\Program Files\\Product", 25));
    ASSERT_EQ(Query(k, "Expand", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_EXPAND_SZ));
    EXPECT_EQ(data, Bytes("%SystemRoot%\\x", 15));
    ASSERT_EQ(Query(k, "Count", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(data, (std::vector<BYTE>{0xef, 0xbe, 0xad, 0xde}));
    ASSERT_EQ(Query(k, "Bin", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
    EXPECT_EQ(data, std::vector<BYTE>(bin, bin + sizeof bin));
    ASSERT_EQ(Query(k, "Multi", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
    EXPECT_EQ(data, Bytes(multi, sizeof multi - 1));
    ASSERT_EQ(Query(k, "Q", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(type, static_cast<DWORD>(REG_QWORD));
    EXPECT_EQ(data, std::vector<BYTE>(qword, qword + 8));
    EXPECT_EQ(QueryString(k, "odd \"name\" 100% [x]=y\\z"), "line1\r\nline2\t%41 \"q\" ]");
    EXPECT_EQ(QueryString(k, ""), "dflt");
    HKEY o;
    ASSERT_EQ(Open(k, "Key ] with %25 \"quotes\"", &o), ERROR_SUCCESS);
    ASSERT_EQ(Query(o, "v", &type, &data), ERROR_SUCCESS);
    EXPECT_EQ(data, (std::vector<BYTE>{7, 0, 0, 0}));
    HKEY e;
    EXPECT_EQ(Open(k, "Empty\\Nested", &e), ERROR_SUCCESS);
    Reload();
  }
  EXPECT_TRUE(fs::exists(file_));
}

TEST_F(Registry, QuerySizesFollowTheWindowsRules) {
  HKEY h = Create(HKEY_CURRENT_USER, "Software\\T");
  SetString(h, "S", "abc");
  DWORD size = 0;
  DWORD type = 0;
  // A null buffer asks for the size; REG_SZ sizes count the NUL.
  ASSERT_EQ(RegQueryValueExA(h, "S", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(size, 4u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  char buf[8];
  std::memset(buf, 'x', sizeof buf);
  size = 3;
  EXPECT_EQ(RegQueryValueExA(h, "S", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 4u);
  size = 4;
  EXPECT_EQ(RegQueryValueExA(h, "S", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), &size), ERROR_SUCCESS);
  EXPECT_STREQ(buf, "abc");
  // A buffer without a size is refused; so is a reserved pointer.
  EXPECT_EQ(RegQueryValueExA(h, "S", nullptr, nullptr, reinterpret_cast<BYTE*>(buf), nullptr),
            ERROR_INVALID_PARAMETER);
  DWORD reserved = 0;
  EXPECT_EQ(RegQueryValueExA(h, "S", &reserved, nullptr, nullptr, &size), ERROR_INVALID_PARAMETER);
  // Type only, no size: fine.
  EXPECT_EQ(RegQueryValueExA(h, "S", nullptr, &type, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(h, "Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  // No default value was set.
  EXPECT_EQ(RegQueryValueExA(h, nullptr, nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, StringDataIsAlwaysStoredTerminated) {
  HKEY h = Create(HKEY_CURRENT_USER, "Software\\T");
  // Written without its NUL: a reader that trusts the terminator must not run off.
  ASSERT_EQ(RegSetValueExA(h, "S", 0, REG_SZ, reinterpret_cast<const BYTE*>("abc"), 3), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(h, "M", 0, REG_MULTI_SZ, reinterpret_cast<const BYTE*>("a\0b"), 3), ERROR_SUCCESS);
  DWORD type;
  std::vector<BYTE> data;
  ASSERT_EQ(Query(h, "S", &type, &data), ERROR_SUCCESS);
  EXPECT_EQ(data, Bytes("abc", 4));
  ASSERT_EQ(Query(h, "M", &type, &data), ERROR_SUCCESS);
  EXPECT_EQ(data, Bytes("a\0b\0", 5));
  // An empty value stays empty; data without a length is refused.
  ASSERT_EQ(RegSetValueExA(h, "E", 0, REG_SZ, nullptr, 0), ERROR_SUCCESS);
  ASSERT_EQ(Query(h, "E", &type, &data), ERROR_SUCCESS);
  EXPECT_TRUE(data.empty());
  EXPECT_EQ(RegSetValueExA(h, "E", 0, REG_SZ, nullptr, 4), ERROR_INVALID_PARAMETER);
}

TEST_F(Registry, KeysAndValuesIgnoreCase) {
  HKEY h = nullptr;
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Maker\\Product", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &h, &disposition),
            ERROR_SUCCESS);
  open_.push_back(h);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  SetDword(h, "Count", 5);
  HKEY again = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE\\maker\\PRODUCT\\", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &again, &disposition),
            ERROR_SUCCESS);
  open_.push_back(again);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  DWORD type;
  std::vector<BYTE> data;
  ASSERT_EQ(Query(again, "COUNT", &type, &data), ERROR_SUCCESS);
  EXPECT_EQ(data[0], 5);
  SetDword(again, "count", 6);  // replaces, keeping the first spelling
  char name[32];
  DWORD cch = sizeof name;
  ASSERT_EQ(RegEnumValueA(h, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "count");
  EXPECT_EQ(RegEnumValueA(h, 1, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  HKEY k;
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, "software\\MAKER", &k), ERROR_SUCCESS);
  cch = sizeof name;
  ASSERT_EQ(RegEnumKeyExA(k, 0, name, &cch, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_STREQ(name, "Product");  // the spelling it was created with
  EXPECT_EQ(cch, 7u);
}

TEST_F(Registry, EnumerationOrderAndBufferRules) {
  HKEY h = Create(HKEY_CURRENT_USER, "E");
  for (const char* name : {"gamma", "Alpha", "beta"}) Create(h, name);
  for (const char* name : {"z", "a", "m"}) SetString(h, name, "v");
  std::vector<std::string> keys;
  char name[16];
  for (DWORD i = 0;; ++i) {
    LONG r = RegEnumKeyA(h, i, name, sizeof name);
    if (r == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(r, ERROR_SUCCESS);
    keys.push_back(name);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"Alpha", "beta", "gamma"}));
  std::vector<std::string> values;
  for (DWORD i = 0;; ++i) {
    DWORD cch = sizeof name;
    DWORD type = 0;
    BYTE data[8];
    DWORD cb = sizeof data;
    LONG r = RegEnumValueA(h, i, name, &cch, nullptr, &type, data, &cb);
    if (r == ERROR_NO_MORE_ITEMS) break;
    ASSERT_EQ(r, ERROR_SUCCESS);
    EXPECT_EQ(cch, 1u);
    EXPECT_EQ(cb, 2u);
    values.push_back(name);
  }
  EXPECT_EQ(values, (std::vector<std::string>{"z", "a", "m"}));  // creation order
  // "Alpha" needs 6 characters with its NUL.
  EXPECT_EQ(RegEnumKeyA(h, 0, name, 5), ERROR_MORE_DATA);
  EXPECT_EQ(RegEnumKeyA(h, 0, name, 6), ERROR_SUCCESS);
  DWORD cch = sizeof name;
  BYTE small[1];
  DWORD cb = sizeof small;
  EXPECT_EQ(RegEnumValueA(h, 0, name, &cch, nullptr, nullptr, small, &cb), ERROR_MORE_DATA);
  EXPECT_EQ(cb, 2u);
  cch = sizeof name;
  cb = 0;
  EXPECT_EQ(RegEnumValueA(h, 0, name, &cch, nullptr, nullptr, nullptr, &cb), ERROR_SUCCESS);
  EXPECT_EQ(cb, 2u);

  DWORD subkeys = 0, max_sub = 0, values_n = 0, max_name = 0, max_data = 0;
  FILETIME ft{};
  ASSERT_EQ(RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, &subkeys, &max_sub, nullptr, &values_n, &max_name,
                             &max_data, nullptr, &ft),
            ERROR_SUCCESS);
  EXPECT_EQ(subkeys, 3u);
  EXPECT_EQ(max_sub, 5u);
  EXPECT_EQ(values_n, 3u);
  EXPECT_EQ(max_name, 1u);
  EXPECT_EQ(max_data, 2u);
  EXPECT_NE(ft.dwHighDateTime, 0u);
}

TEST_F(Registry, DeletingKeysAndValues) {
  HKEY parent = Create(HKEY_CURRENT_USER, "D\\Parent");
  HKEY child = Create(parent, "Child");
  SetString(parent, "v", "x");
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, "D\\Parent"), ERROR_ACCESS_DENIED);  // has a sub-key
  EXPECT_EQ(RegDeleteKeyA(parent, "Nope"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyA(HKEY_CURRENT_USER, ""), ERROR_ACCESS_DENIED);
  ASSERT_EQ(RegDeleteKeyA(parent, "CHILD"), ERROR_SUCCESS);
  // A handle to a deleted key stays dead even when the name is created again.
  EXPECT_EQ(RegSetValueExA(child, "v", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4),
            ERROR_KEY_DELETED);
  Create(parent, "Child");
  DWORD size;
  EXPECT_EQ(RegQueryValueExA(child, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegDeleteValueA(parent, "V"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(parent, "v"), ERROR_FILE_NOT_FOUND);
  Reload();
  HKEY k;
  EXPECT_EQ(Open(HKEY_CURRENT_USER, "D\\Parent\\Child", &k), ERROR_SUCCESS);
  EXPECT_EQ(RegQueryValueExA(parent, "v", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, HandlesAndPaths) {
  HKEY h;
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, "No\\Such\\Key", &h), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(h, nullptr);
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, "\\Software", &h), ERROR_BAD_PATHNAME);
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, "a\\\\b", &h), ERROR_BAD_PATHNAME);
  EXPECT_EQ(Open(reinterpret_cast<HKEY>(0x1234), "x", &h), ERROR_INVALID_HANDLE);
  // The 32-bit spelling of a predefined key works as well.
  HKEY lm32 = reinterpret_cast<HKEY>(static_cast<uintptr_t>(0x80000002u));
  Create(HKEY_LOCAL_MACHINE, "Software\\P");
  EXPECT_EQ(Open(lm32, "Software\\P", &h), ERROR_SUCCESS);
  // RegOpenKeyA / RegCreateKeyA with no sub-key give back the same handle.
  HKEY same = nullptr;
  EXPECT_EQ(RegOpenKeyA(h, nullptr, &same), ERROR_SUCCESS);
  EXPECT_EQ(same, h);
  EXPECT_EQ(RegCreateKeyA(h, "", &same), ERROR_SUCCESS);
  EXPECT_EQ(same, h);
  HKEY created = nullptr;
  ASSERT_EQ(RegCreateKeyA(h, "New", &created), ERROR_SUCCESS);
  EXPECT_NE(created, h);
  EXPECT_EQ(RegCloseKey(created), ERROR_SUCCESS);
  EXPECT_EQ(RegCloseKey(created), ERROR_INVALID_HANDLE);
  EXPECT_EQ(RegCloseKey(HKEY_LOCAL_MACHINE), ERROR_SUCCESS);
  // HKEY_CLASSES_ROOT shows HKEY_LOCAL_MACHINE\Software\Classes.
  HKEY cls = Create(HKEY_CLASSES_ROOT, "http\\shell\\open\\command");
  SetString(cls, nullptr, "browser %1");
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Classes\\http\\shell\\open\\command", &h), ERROR_SUCCESS);
  EXPECT_EQ(QueryString(h, nullptr), "browser %1");
}

TEST_F(Registry, PreloadReplacesTheStoreAndRefusesBadText) {
  Create(HKEY_CURRENT_USER, "Gone");
  ASSERT_TRUE(qvp::PreloadRegistry(
      "; test data\n"
      "[HKLM\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]\r\n"
      "\"RegisteredOwner\"=sz:\"Pat %22Q%22 Owner\"\n"
      "\"N\"=dword:1f\n"
      "\"B\"=binary:00, 0a,FF\n"
      "\"M\"=multi_sz:\"a,b\",\"c\"\n"
      "\"E\"=expand_sz:\"%25TEMP%25\"\n"
      "\n"
      "[HKEY_CLASSES_ROOT\\.htm]\n"
      "@=sz:\"htmlfile\"\n"));
  HKEY h;
  EXPECT_EQ(Open(HKEY_CURRENT_USER, "Gone", &h), ERROR_FILE_NOT_FOUND);
  ASSERT_EQ(Open(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion", &h), ERROR_SUCCESS);
  EXPECT_EQ(QueryString(h, "RegisteredOwner"), "Pat \"Q\" Owner");
  EXPECT_EQ(QueryString(h, "E"), "%TEMP%");
  DWORD type;
  std::vector<BYTE> data;
  ASSERT_EQ(Query(h, "N", &type, &data), ERROR_SUCCESS);
  EXPECT_EQ(data, (std::vector<BYTE>{0x1f, 0, 0, 0}));
  ASSERT_EQ(Query(h, "B", &type, &data), ERROR_SUCCESS);
  EXPECT_EQ(data, (std::vector<BYTE>{0, 0x0a, 0xff}));
  ASSERT_EQ(Query(h, "M", &type, &data), ERROR_SUCCESS);
  EXPECT_EQ(data, Bytes("a,b\0c\0", 7));
  HKEY cls;
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, ".HTM", &cls), ERROR_SUCCESS);
  EXPECT_EQ(QueryString(cls, ""), "htmlfile");

  for (const char* bad : {"\"v\"=sz:\"x\"\n", "[HKEY_NOWHERE\\x]\n", "[HKLM\\a\\\\b]\n", "[HKLM\\a\n",
                          "[HKLM\\a]\n\"v\"=dword:123456789\n", "[HKLM\\a]\n\"v\"=sz:\"unterminated\n",
                          "[HKLM\\a]\n\"v\"=binary:0g\n", "[HKLM\\a]\n\"v\"=float:1\n", "[HKLM\\a]\nv=sz:\"x\"\n",
                          "[HKLM\\a]\n\"v\"=sz:\"%4\"\n"}) {
    SCOPED_TRACE(bad);
    EXPECT_FALSE(qvp::PreloadRegistry(bad));
  }
  EXPECT_EQ(QueryString(h, "RegisteredOwner"), "Pat \"Q\" Owner");  // unchanged
}

// Keys lie at most 512 levels below their root and their names hold at most
// 255 characters, through the calls and in the store's text alike.
TEST_F(Registry, KeyDepthAndNameLengthAreBounded) {
  auto path = [](size_t levels, const std::string& name = "a") {
    std::string p;
    for (size_t i = 0; i < levels; ++i) p += (i ? "\\" : "") + name;
    return p;
  };
  HKEY h = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path(513).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(h, nullptr);
  HKEY deep = Create(HKEY_CURRENT_USER, path(512).c_str());
  SetDword(deep, "bottom", 7);
  EXPECT_EQ(RegCreateKeyExA(deep, "b", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr), ERROR_INVALID_PARAMETER);
  // HKEY_CLASSES_ROOT starts two levels down.
  EXPECT_EQ(RegCreateKeyExA(HKEY_CLASSES_ROOT, path(511).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &h, nullptr),
            ERROR_INVALID_PARAMETER);
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, std::string(256, 'n').c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &h, nullptr),
            ERROR_INVALID_PARAMETER);
  Create(HKEY_CURRENT_USER, std::string(255, 'n').c_str());
  // The deepest key survives the file.
  Reload();
  HKEY again;
  ASSERT_EQ(Open(HKEY_CURRENT_USER, path(512).c_str(), &again), ERROR_SUCCESS);
  DWORD type;
  std::vector<BYTE> data;
  EXPECT_EQ(Query(again, "bottom", &type, &data), ERROR_SUCCESS);

  // The reader refuses what the calls refuse, with the line.
  EXPECT_TRUE(qvp::PreloadRegistry(("[HKCU\\" + path(512) + "]\n").c_str()));
  EXPECT_TRUE(qvp::PreloadRegistry(("[HKCR\\" + path(510) + "]\n").c_str()));
  EXPECT_FALSE(qvp::PreloadRegistry(("[HKCR\\" + path(511) + "]\n").c_str()));
  EXPECT_FALSE(qvp::PreloadRegistry(("\n[HKLM\\" + path(30000) + "]\n").c_str()));
  EXPECT_FALSE(qvp::PreloadRegistry(("[HKLM\\" + std::string(256, 'n') + "]\n").c_str()));
  // A %-escaped name counts its characters, not its spelling.
  std::string escaped;
  for (int i = 0; i < 85; ++i) escaped += "%41";
  EXPECT_TRUE(qvp::PreloadRegistry(("[HKLM\\" + escaped + "]\n").c_str()));
  HKEY named;
  EXPECT_EQ(Open(HKEY_LOCAL_MACHINE, std::string(85, 'A').c_str(), &named), ERROR_SUCCESS);
}

TEST_F(Registry, ChangesMadeToTheFileOutsideAreSeen) {
  HKEY h = Create(HKEY_CURRENT_USER, "Shared");
  SetString(h, "v", "mine");
  HKEY classes;
  ASSERT_EQ(Open(HKEY_CLASSES_ROOT, "", &classes), ERROR_SUCCESS);
  std::string text = ReadFile(file_);
  auto pos = text.find("mine");
  ASSERT_NE(pos, std::string::npos);
  text.replace(pos, 4, "theirs");
  {
    std::ofstream out(file_.string() + ".new", std::ios::binary);
    out << text;
  }
  fs::rename(file_.string() + ".new", file_);
  EXPECT_EQ(QueryString(h, "v"), "theirs");  // the open handle follows the reload
  DWORD size;
  EXPECT_EQ(RegQueryValueExA(classes, "x", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  // A key removed from the file is gone for its handles too.
  ASSERT_TRUE(qvp::PreloadRegistry("[HKCU\\Other]\n"));
  EXPECT_EQ(RegQueryValueExA(h, "v", nullptr, nullptr, nullptr, &size), ERROR_KEY_DELETED);
  EXPECT_EQ(RegQueryValueExA(classes, "x", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
}

TEST_F(Registry, AnUnreadableFileIsReportedAndLeftAlone) {
  Create(HKEY_CURRENT_USER, "Keep");
  {
    std::ofstream out(file_, std::ios::binary | std::ios::app);
    out << "this is not a registry line\n";
  }
  std::string before = ReadFile(file_);
  HKEY h;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Keep", 0, KEY_READ, &h), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(RegCreateKeyA(HKEY_CURRENT_USER, "Other", &h), ERROR_REGISTRY_CORRUPT);
  EXPECT_EQ(ReadFile(file_), before);
  ASSERT_TRUE(qvp::PreloadRegistry("[HKCU\\Fresh]\n"));
  EXPECT_EQ(Open(HKEY_CURRENT_USER, "Fresh", &h), ERROR_SUCCESS);
}

TEST_F(Registry, ConcurrentWritersInThreadsAndProcessesLoseNothing) {
  HKEY h = Create(HKEY_CURRENT_USER, "Busy");
  constexpr int kPerWriter = 20;
  auto writer = [](const std::string& prefix) {
    HKEY k = nullptr;
    if (RegCreateKeyA(HKEY_CURRENT_USER, "Busy", &k) != ERROR_SUCCESS) return false;
    bool ok = true;
    for (int i = 0; i < kPerWriter; ++i) {
      std::string name = prefix + std::to_string(i);
      DWORD v = static_cast<DWORD>(i);
      ok &= RegSetValueExA(k, name.c_str(), 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), 4) == ERROR_SUCCESS;
      DWORD size = 4;
      ok &= RegQueryValueExA(k, name.c_str(), nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size) == ERROR_SUCCESS;
    }
    RegCloseKey(k);
    return ok;
  };
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) _exit(writer("p") ? 0 : 1);
  bool ok1 = false, ok2 = false;
  std::thread t1([&] { ok1 = writer("a"); });
  std::thread t2([&] { ok2 = writer("b"); });
  t1.join();
  t2.join();
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  EXPECT_TRUE(ok1);
  EXPECT_TRUE(ok2);
  DWORD count = 0;
  ASSERT_EQ(RegQueryInfoKeyA(h, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(count, 3u * kPerWriter);
}

}  // namespace
