// Font enumeration lists the mapped Windows faces and the installed families.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include <string>
#include <vector>

#include "qvplatform.h"

namespace {

struct Seen {
  std::vector<std::string> faces;
  std::vector<BYTE> pitch;
  std::vector<DWORD> types;
  int stopAfter = -1;
};

int CALLBACK Collect(const LOGFONTA* lf, const TEXTMETRICA* tm, DWORD type, LPARAM lParam) {
  auto* seen = reinterpret_cast<Seen*>(lParam);
  seen->faces.emplace_back(lf->lfFaceName);
  seen->pitch.push_back(lf->lfPitchAndFamily);
  seen->types.push_back(type);
  EXPECT_GT(tm->tmHeight, 0);
  return seen->stopAfter < 0 || static_cast<int>(seen->faces.size()) < seen->stopAfter ? 1 : 0;
}

TEST(FontEnum, FamiliesIncludeMappedFacesOnceEach) {
  Seen seen;
  HDC dc = GetDC(nullptr);
  EXPECT_EQ(EnumFontFamiliesA(dc, nullptr, Collect, reinterpret_cast<LPARAM>(&seen)), 1);
  const auto find = [&](const char* face) {
    return static_cast<int>(std::count(seen.faces.begin(), seen.faces.end(), std::string(face)));
  };
  EXPECT_EQ(find("Arial"), 1);
  EXPECT_EQ(find("Courier"), 1);
  EXPECT_EQ(find("Liberation Mono"), 1);
  for (DWORD type : seen.types) EXPECT_EQ(type & DEVICE_FONTTYPE, 0u);
  const auto courier = std::find(seen.faces.begin(), seen.faces.end(), "Courier") - seen.faces.begin();
  EXPECT_EQ(seen.pitch[static_cast<size_t>(courier)] & 3, FIXED_PITCH);

  // One face: its styles (Arial has four); an unknown face none; 0 stops.
  Seen arial;
  EnumFontFamiliesA(dc, "arial", Collect, reinterpret_cast<LPARAM>(&arial));
  EXPECT_EQ(arial.faces.size(), 4u);
  Seen none;
  EXPECT_EQ(EnumFontFamiliesA(dc, "No Such Face", Collect, reinterpret_cast<LPARAM>(&none)), 1);
  EXPECT_TRUE(none.faces.empty());
  Seen stopped;
  stopped.stopAfter = 2;
  EXPECT_EQ(EnumFontsA(dc, nullptr, Collect, reinterpret_cast<LPARAM>(&stopped)), 0);
  EXPECT_EQ(stopped.faces.size(), 2u);
  LOGFONTA lf{};
  std::strcpy(lf.lfFaceName, "Courier New");
  Seen ex;
  EnumFontFamiliesExA(dc, &lf, Collect, reinterpret_cast<LPARAM>(&ex), 0);
  ASSERT_FALSE(ex.faces.empty());
  EXPECT_EQ(ex.faces[0], "Courier New");
  ReleaseDC(nullptr, dc);
}

}  // namespace
