#include "path_parts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string Directory(const char* path) {
  char out[260];
  GetDirectoryPart(path, out, sizeof out);
  return out;
}

std::string FileName(const char* path) {
  char out[260];
  GetFileNamePart(path, out, sizeof out);
  return out;
}

std::string Extension(const char* path) {
  char out[260];
  GetExtensionPart(path, out, sizeof out);
  return out;
}

TEST(PathParts, DriveColonSeparatesLikeABackslash) {
  EXPECT_EQ(Directory("C:report.txt"), "C:");
  EXPECT_EQ(FileName("C:report.txt"), "report.txt");
  EXPECT_EQ(Directory("C:\\data\\qvm_alrt\\lert0001.amp"), "C:\\data\\qvm_alrt\\");
  EXPECT_EQ(FileName("C:\\data\\qvm_alrt\\lert0001.amp"), "lert0001.amp");
  EXPECT_EQ(Directory("/opt/qv/quorvane"), "/opt/qv/");
}

TEST(PathParts, PathWithoutSeparator) {
  EXPECT_EQ(Directory("report.txt"), "");
  EXPECT_EQ(FileName("report.txt"), "report.txt");
  EXPECT_EQ(FileName("C:\\dir\\"), "");
  char small[5];  // cut to the buffer, never past it
  GetDirectoryPart("C:\\data\\file.txt", small, sizeof small);
  EXPECT_STREQ(small, "C:\\d");
}

TEST(PathParts, ExtensionComesFromTheFileNameOnly) {
  EXPECT_EQ(Extension("C:\\my.dir\\report"), "");
  EXPECT_EQ(Extension("C:\\my.dir\\report.tar.gz"), ".gz");
  EXPECT_EQ(Extension("report."), ".");
  EXPECT_EQ(Extension(""), "");
}

TEST(JoinPath, AddsOneBackslashOnlyWhenNeeded) {
  char out[260];
  EXPECT_STREQ(JoinPath("", "QUORVANE.INI", out, sizeof out), "QUORVANE.INI");
  EXPECT_STREQ(JoinPath(nullptr, "QUORVANE.INI", out, sizeof out), "QUORVANE.INI");
  EXPECT_STREQ(JoinPath("C:\\qv", "a.ini", out, sizeof out), "C:\\qv\\a.ini");
  EXPECT_STREQ(JoinPath("C:\\qv\\", "a.ini", out, sizeof out), "C:\\qv\\a.ini");
  EXPECT_STREQ(JoinPath("C:", "a.ini", out, sizeof out), "C:\\a.ini");
  // The output may be the folder's own buffer.
  char folder[260] = "C:\\qv";
  EXPECT_STREQ(JoinPath(folder, "a.ini", folder, sizeof folder), "C:\\qv\\a.ini");
  char small[8];
  EXPECT_STREQ(JoinPath("C:\\qv", "long.ini", small, sizeof small), "C:\\qv\\l");
}

TEST(StripMarkerChars, TextEndsAtItsFirstMarker) {
  char text[] = "visible\x01hidden\x01more";
  StripMarkerChars(text);
  EXPECT_STREQ(text, "visible");
  char plain[] = "no marker";
  StripMarkerChars(plain);
  EXPECT_STREQ(plain, "no marker");
  StripMarkerChars(nullptr);
}

}  // namespace
