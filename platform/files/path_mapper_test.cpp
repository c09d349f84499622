#include "files/path_mapper.h"

#include <gtest/gtest.h>

#include <string>

#include "files/test_dir.h"

namespace {

using qvp::MapPath;
using qvp::test::TestDir;

TEST(PathMapper, FindsExistingComponentsWithoutRegardToCase) {
  TestDir dir;
  dir.Write("qvm_alrt/datfiles/X.AMP", "data");
  qvp::MappedPath m = MapPath("QVM_ALRT\\DATFILES\\x.amp");
  ASSERT_TRUE(m.ok()) << m.error;
  EXPECT_EQ(m.path, "qvm_alrt/datfiles/X.AMP");
  EXPECT_EQ(m.leaf, "x.amp");
  // Forward slashes and repeated separators are separators too.
  EXPECT_EQ(MapPath("qvm_alrt//Datfiles/x.Amp").path, "qvm_alrt/datfiles/X.AMP");
}

TEST(PathMapper, NewNamesAreKeptAsWrittenUnderResolvedDirectories) {
  TestDir dir;
  dir.Write("Data/keep.txt", "");
  qvp::MappedPath m = MapPath("DATA\\NewFile.Txt");
  ASSERT_TRUE(m.ok());
  EXPECT_EQ(m.path, "Data/NewFile.Txt");
}

TEST(PathMapper, MissingOrNonDirectoryParentIsPathNotFound) {
  TestDir dir;
  dir.Write("file.txt", "x");
  EXPECT_EQ(MapPath("nodir\\x.txt").error, ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(MapPath("nodir\\deeper\\x.txt").error, ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(MapPath("file.txt\\x.txt").error, ERROR_PATH_NOT_FOUND);
}

TEST(PathMapper, ExactNameWinsAndOtherwiseTheChoiceIsStable) {
  TestDir dir;
  dir.Write("Report.txt", "1");
  dir.Write("REPORT.TXT", "2");
  EXPECT_EQ(MapPath("Report.txt").path, "Report.txt");
  EXPECT_EQ(MapPath("REPORT.TXT").path, "REPORT.TXT");
  // Neither spelling exactly: the first in byte order, every time.
  EXPECT_EQ(MapPath("report.txt").path, "REPORT.TXT");
  EXPECT_EQ(MapPath("rEPORT.TXT").path, "REPORT.TXT");
}

TEST(PathMapper, DriveLettersGoThroughTheDriveMap) {
  TestDir dir;
  dir.Write("vol/sub/f.txt", "");
  ASSERT_TRUE(qvp::SetDriveMapping('q', (dir / "vol").c_str()));
  EXPECT_EQ(MapPath("Q:\\SUB\\F.TXT").path, dir / "vol/sub/f.txt");
  EXPECT_EQ(MapPath("q:sub\\f.txt").path, dir / "vol/sub/f.txt");
  EXPECT_EQ(MapPath("Q:\\").path, dir / "vol");
  EXPECT_EQ(MapPath("Q:").path, dir / "vol");
  // ".." never climbs out of a drive.
  EXPECT_EQ(MapPath("Q:\\..\\..\\sub\\f.txt").path, dir / "vol/sub/f.txt");

  EXPECT_EQ(MapPath("R:\\x").error, ERROR_PATH_NOT_FOUND);
  EXPECT_FALSE(qvp::SetDriveMapping('1', "/tmp"));
  EXPECT_FALSE(qvp::SetDriveMapping('R', "relative/dir"));
  ASSERT_TRUE(qvp::SetDriveMapping('Q', nullptr));
  EXPECT_EQ(MapPath("Q:\\sub").error, ERROR_PATH_NOT_FOUND);
  ASSERT_TRUE(qvp::SetDriveMapping('Q', (dir / "vol").c_str()));
  qvp::ClearDriveMappings();
  EXPECT_EQ(MapPath("Q:\\sub").error, ERROR_PATH_NOT_FOUND);
}

TEST(PathMapper, NetworkAndDeviceNamesAreRefused) {
  TestDir dir;
  EXPECT_EQ(MapPath("\\\\server\\share\\file.txt").error, ERROR_BAD_NETPATH);
  EXPECT_EQ(MapPath("//server/share").error, ERROR_BAD_NETPATH);
  EXPECT_EQ(MapPath("\\\\?\\C:\\x").error, ERROR_INVALID_NAME);
  EXPECT_EQ(MapPath("\\\\.\\COM1").error, ERROR_INVALID_NAME);
}

TEST(PathMapper, WindowsNameRules) {
  TestDir dir;
  dir.Write("sub/file.txt", "");
  for (const char* bad : {"a<b", "a>b", "sub\\a:b", "ab:", "a\"b", "a|b", "a?b", "a*b", "sub\\a\x01z"}) {
    EXPECT_EQ(MapPath(bad).error, ERROR_INVALID_NAME) << bad;
  }
  // Trailing dots and spaces of a component are ignored.
  EXPECT_EQ(MapPath("sub.\\file.txt. .").path, "sub/file.txt");
  EXPECT_EQ(MapPath("sub \\file.txt").path, "sub/file.txt");
  // "." and ".." fold without touching the disk.
  EXPECT_EQ(MapPath(".\\nowhere\\..\\sub\\.\\file.txt").path, "sub/file.txt");
  EXPECT_EQ(MapPath("sub\\..").path, ".");
  EXPECT_EQ(MapPath("..\\x").path, "../x");
}

TEST(PathMapper, LengthLimitsAndBadArguments) {
  TestDir dir;
  EXPECT_EQ(MapPath(nullptr).error, ERROR_INVALID_PARAMETER);
  EXPECT_EQ(MapPath("").error, ERROR_PATH_NOT_FOUND);
  std::string long_path(MAX_PATH, 'a');
  EXPECT_EQ(MapPath(long_path.c_str()).error, ERROR_FILENAME_EXCED_RANGE);
  std::string just_fits(MAX_PATH - 1, 'b');
  just_fits[100] = '\\';
  EXPECT_EQ(MapPath(just_fits.c_str()).error, ERROR_PATH_NOT_FOUND);  // long enough, but absent
  std::string long_component(256, 'c');
  EXPECT_EQ(MapPath(long_component.c_str()).error, ERROR_FILENAME_EXCED_RANGE);
}

TEST(PathMapper, LinuxAbsolutePathsAreAccepted) {
  TestDir dir;
  dir.Write("Sub/F.txt", "");
  EXPECT_EQ(MapPath((dir / "sub/f.TXT").c_str()).path, dir / "Sub/F.txt");
  std::string backslashed = dir / "sub\\f.txt";
  EXPECT_EQ(MapPath(backslashed.c_str()).path, dir / "Sub/F.txt");
}

TEST(PathMapper, SearchPatternsResolveOnlyTheDirectoryPart) {
  TestDir dir;
  dir.Write("QVM_ALRT/datfiles/a.amp", "");
  qvp::MappedPath m = qvp::MapSearchPattern("qvm_alrt\\DATFILES\\lert*.amp");
  ASSERT_TRUE(m.ok());
  EXPECT_EQ(m.path, "QVM_ALRT/datfiles");
  EXPECT_EQ(m.leaf, "lert*.amp");
  EXPECT_EQ(qvp::MapSearchPattern("*.*").path, ".");
  EXPECT_EQ(qvp::MapSearchPattern("nodir\\*.amp").error, ERROR_PATH_NOT_FOUND);
  EXPECT_EQ(qvp::MapSearchPattern("QVM_ALRT\\").error, ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(qvp::MapSearchPattern("qvm*\\x").error, ERROR_INVALID_NAME);
}

}  // namespace
