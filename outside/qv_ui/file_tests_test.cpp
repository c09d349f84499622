#include <gtest/gtest.h>

#include <string>

#include "qv_ui.h"
#include "test_files.h"

namespace {

TEST(FileTests, FindAndCountFilesWithoutRegardToCase) {
  qvtest::TempDir dir("qvui_files");
  dir.write("DATFILES/ALERT0.AMS", "x");
  dir.write("DATFILES/alert2.ams", "x");
  dir.write("DATFILES/ALERT1.AMR", "x");
  dir.write("DATFILES/sub.ams/inner", "x");  // a directory is no file
  const std::string base = dir.dir() + "datfiles\\";
  EXPECT_TRUE(QVUI_FindFile((base + "Alert0.ams").c_str()));
  EXPECT_FALSE(QVUI_FindFile((base + "ALERT1.AMS").c_str()));
  EXPECT_FALSE(QVUI_FindFile(""));
  EXPECT_EQ(QVUI_CountFiles((base + "*.AMS").c_str()), 2);
  EXPECT_EQ(QVUI_CountFiles((base + "*.AMR").c_str()), 1);
  EXPECT_EQ(QVUI_CountFiles((base + "*.XYZ").c_str()), 0);
}

TEST(FileTests, IntegerSettingAndDateTimeText) {
  qvtest::TempDir dir("qvui_files");
  const std::string ini = dir.file("a.ini");
  EXPECT_TRUE(QVUI_WritePrivateProfileInt("Main", "StartTime", -12, ini.c_str()));
  EXPECT_EQ(dir.read("a.ini").find("StartTime=-12") != std::string::npos, true);
  char text[64];
  const int length = QVUI_GetDateTime(text, sizeof text);
  ASSERT_EQ(length, 17);  // "12/31/99 23:59:58"
  EXPECT_EQ(text[2], '/');
  EXPECT_EQ(text[8], ' ');
  EXPECT_EQ(text[11], ':');
  char small[5];
  EXPECT_EQ(QVUI_GetDateTime(small, sizeof small), 4);
  EXPECT_EQ(std::string(small), std::string(text, 4));
}

}  // namespace
