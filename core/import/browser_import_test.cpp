// The first-start step: a recorded browser stays as it is; otherwise the
// registry, the browsers' settings files and fixed paths are searched in
// that order, and the proxy of Internet Explorer or Netscape is taken over.
#include "browser_import.h"

#include <gtest/gtest.h>

#include "import_test_env.h"
#include "settings_keys.h"

namespace {

std::string Setting(const char* section, const char* key) {
  char value[300];
  GetPrivateProfileStringA(section, key, "<none>", value, sizeof value, GetIniPath());
  return value;
}

constexpr char kExplorerKey[] =
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE]\n";
constexpr char kExplorerProxy[] =
    "[HKEY_CURRENT_USER\\Software\\Microsoft\\Windows\\CurrentVersion\\Internet Settings]\n"
    "\"ProxyEnable\"=dword:00000001\n"
    "\"ProxyServer\"=sz:\"HTTP=Proxy.Example:8080;ftp=ftp.example:21\"\n";

TEST(BrowserImport, ARecordedBrowserSkipsSearchAndProxyEvenWhenMissing) {
  ImportTestEnv env;
  env.WriteProgramFile("QUORVANE.INI", "[Browser]\nPath=C:\\gone\\browser.exe\n");
  env.MakeFile("c/ie/iexplore.exe");
  ASSERT_TRUE(qvp::PreloadRegistry((std::string(kExplorerKey) + "@=sz:\"C:\\ie\\iexplore.exe\"\n" + kExplorerProxy).c_str()));

  EXPECT_EQ(ImportBrowserSettings(nullptr), 1);
  EXPECT_EQ(Setting(ini::kBrowser, ini::kPath), "C:\\gone\\browser.exe");
  EXPECT_EQ(Setting(ini::kDefaults, ini::kProxyEnable), "<none>");
  EXPECT_FALSE(ProxySettingsWereImported());
}

TEST(BrowserImport, ExplorerFromTheRegistryBringsItsHttpProxyAlone) {
  ImportTestEnv env;
  env.MakeFile("c/Program Files/Internet Explorer/iexplore.exe");
  ASSERT_TRUE(qvp::PreloadRegistry(
      (std::string(kExplorerKey) + "@=sz:\"%22C:\\Program Files\\Internet Explorer\\iexplore.exe%22 -nohome\"\n" +
       kExplorerProxy)
          .c_str()));

  EXPECT_EQ(ImportBrowserSettings(nullptr), 1);
  EXPECT_EQ(Setting(ini::kBrowser, ini::kPath), "C:\\PROGRAM FILES\\INTERNET EXPLORER\\IEXPLORE.EXE");
  EXPECT_EQ(Setting(ini::kDefaults, ini::kProxyEnable), "TRUE");
  EXPECT_EQ(Setting(ini::kDefaults, ini::kHttpProxy), "proxy.example:8080");
  EXPECT_EQ(Setting(ini::kDefaults, ini::kHttpProxyAuth), "");
  EXPECT_TRUE(ProxySettingsWereImported());
}

TEST(BrowserImport, NetscapeFolderInTheRegistryWithPortZeroGivesTheHostAlone) {
  ImportTestEnv env;
  env.MakeFile("c/netscape/netscape.exe");
  ASSERT_TRUE(qvp::PreloadRegistry(
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Netscape.exe]\n"
      "@=sz:\"C:\\Netscape\"\n"
      "[HKEY_CURRENT_USER\\Software\\Netscape\\Netscape Navigator\\Proxy Information]\n"
      "\"Proxy Type\"=binary:01\n"
      "\"HTTP_Proxy\"=sz:\"Cache.Example\"\n"
      "\"Http_ProxyPort\"=dword:00000000\n"));

  const char* name = nullptr;
  char path[kBrowserPathSize];
  ASSERT_EQ(FindBrowser(path, &name), 1);
  EXPECT_STREQ(path, "C:\\NETSCAPE\\NETSCAPE.EXE");
  EXPECT_STREQ(name, "Netscape Navigator");

  ImportBrowserSettings(nullptr);
  EXPECT_EQ(Setting(ini::kDefaults, ini::kHttpProxy), "cache.example");
}

TEST(BrowserImport, SettingsFilesAndFixedPathsComeAfterTheRegistry) {
  ImportTestEnv env;
  const char* name = nullptr;
  char path[kBrowserPathSize];

  env.MakeFile("e/WEBSITE/EMOSAIC/EMOSAIC.EXE");
  ASSERT_EQ(FindBrowser(path, &name), 1);
  EXPECT_STREQ(path, "E:\\WEBSITE\\EMOSAIC\\EMOSAIC.EXE");
  EXPECT_STREQ(name, "Web Site EMosaic");

  env.WriteWindowsFile("QDECK.INI", "[QMOSAIC]\nProgram=D:\\qm\n");
  env.MakeFile("d/qm/qmosaic.exe");
  ASSERT_EQ(FindBrowser(path, &name), 1);
  EXPECT_STREQ(path, "D:\\qm\\QMOSAIC.EXE");
  EXPECT_STREQ(name, "Quarterdeck QMosaic");

  // A registry entry whose program is missing is passed over.
  ASSERT_TRUE(qvp::PreloadRegistry((std::string(kExplorerKey) + "@=sz:\"C:\\nothing\\iexplore.exe\"\n").c_str()));
  ASSERT_EQ(FindBrowser(path, &name), 1);
  EXPECT_STREQ(name, "Quarterdeck QMosaic");
}

TEST(BrowserImport, WithNoBrowserNothingIsWritten) {
  ImportTestEnv env;
  EXPECT_EQ(ImportBrowserSettings(nullptr), 1);
  EXPECT_EQ(Setting(ini::kBrowser, ini::kPath), "<none>");
  EXPECT_EQ(Setting(ini::kDefaults, ini::kProxyEnable), "<none>");
}

TEST(BrowserImport, ProxyTexts) {
  char out[120];
  ExplorerProxyText("Gateway:3128;Other", out, sizeof out);
  EXPECT_STREQ(out, "gateway:3128");
  ExplorerProxyText("ftp=f:21;http=H:80", out, sizeof out);
  EXPECT_STREQ(out, "h:80");
  ExplorerProxyText("", out, sizeof out);
  EXPECT_STREQ(out, "");
  NetscapeProxyText("Host", true, 8080, out, sizeof out);
  EXPECT_STREQ(out, "host:8080");
  NetscapeProxyText("Host", false, 8080, out, sizeof out);
  EXPECT_STREQ(out, "host");
}

}  // namespace
