#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "qvplatform/kernel.h"
#include "qvplatform/nocase.h"

namespace {

LPSTR AsChar(unsigned char c) { return reinterpret_cast<LPSTR>(static_cast<uintptr_t>(c)); }
unsigned char FromChar(LPSTR p) { return static_cast<unsigned char>(reinterpret_cast<uintptr_t>(p)); }

TEST(AnsiStrings, CopyAndConcatenate) {
  char buffer[16];
  EXPECT_EQ(lstrcpyA(buffer, "abc"), buffer);
  EXPECT_EQ(lstrcatA(buffer, "def"), buffer);
  EXPECT_STREQ(buffer, "abcdef");
  EXPECT_EQ(lstrlenA(buffer), 6);
  EXPECT_EQ(lstrlenA(nullptr), 0);

  std::memset(buffer, 'x', sizeof(buffer));
  lstrcpynA(buffer, "abcdefgh", 4);  // three characters and the NUL
  EXPECT_STREQ(buffer, "abc");
  lstrcpynA(buffer, "ab", 10);
  EXPECT_STREQ(buffer, "ab");
  lstrcpynA(buffer, "abc", 1);
  EXPECT_STREQ(buffer, "");
  buffer[0] = 'q';
  lstrcpynA(buffer, "abc", 0);  // nothing may be written
  EXPECT_EQ(buffer[0], 'q');
}

TEST(AnsiStrings, CompareInLinguisticOrder) {
  EXPECT_EQ(lstrcmpA("abc", "abc"), 0);
  EXPECT_EQ(lstrcmpA("a", "B"), -1);     // letters before case
  EXPECT_EQ(lstrcmpA("a", "A"), -1);     // lower case first on a tie
  EXPECT_EQ(lstrcmpA("Ab", "aC"), -1);
  EXPECT_EQ(lstrcmpA("abc", "ab"), 1);
  EXPECT_EQ(lstrcmpA("1", "a"), -1);     // digits before letters
  EXPECT_EQ(lstrcmpA("_", "1"), -1);     // symbols before digits
  EXPECT_EQ(lstrcmpA("e", "\xE9"), -1);  // e before e acute before f
  EXPECT_EQ(lstrcmpA("\xE9", "f"), -1);
  EXPECT_EQ(lstrcmpA(nullptr, "a"), -1);
  EXPECT_EQ(lstrcmpA(nullptr, nullptr), 0);

  EXPECT_EQ(lstrcmpiA("Hello", "hELLO"), 0);
  EXPECT_EQ(lstrcmpiA("\xC9t\xE9", "\xE9T\xC9"), 0);  // accented letters fold too
  EXPECT_EQ(lstrcmpiA("apple", "Banana"), -1);
  EXPECT_EQ(lstrcmpiA("zeta", "Alpha"), 1);
  EXPECT_NE(lstrcmpiA("e", "\xE9"), 0);
}

TEST(AnsiStrings, CaseConversionCoversTheWholeCodePage) {
  char text[] = "abc \xE9\xFF\x9A\x9C\xDF xyz";
  EXPECT_EQ(CharUpperA(text), text);
  EXPECT_STREQ(text, "ABC \xC9\x9F\x8A\x8C\xDF XYZ");  // sharp s has no capital
  EXPECT_EQ(CharLowerA(text), text);
  EXPECT_STREQ(text, "abc \xE9\xFF\x9A\x9C\xDF xyz");

  EXPECT_EQ(FromChar(CharUpperA(AsChar('q'))), 'Q');
  EXPECT_EQ(FromChar(CharUpperA(AsChar(0xE0))), 0xC0);
  EXPECT_EQ(FromChar(CharLowerA(AsChar('Q'))), 'q');
  EXPECT_EQ(FromChar(CharUpperA(AsChar(0xF7))), 0xF7);  // division sign
  EXPECT_EQ(FromChar(CharLowerA(AsChar('1'))), '1');
}

TEST(AnsiStrings, CharacterClassesAndStepping) {
  EXPECT_TRUE(IsCharAlphaA('a'));
  EXPECT_TRUE(IsCharAlphaA(static_cast<CHAR>(0xE9)));
  EXPECT_TRUE(IsCharAlphaA(static_cast<CHAR>(0x8A)));
  EXPECT_FALSE(IsCharAlphaA('1'));
  EXPECT_FALSE(IsCharAlphaA(static_cast<CHAR>(0xD7)));  // multiplication sign
  EXPECT_TRUE(IsCharAlphaNumericA('7'));
  EXPECT_FALSE(IsCharAlphaNumericA('-'));

  const char* text = "ab";
  EXPECT_EQ(CharNextA(text), text + 1);
  EXPECT_EQ(CharNextA(text + 2), text + 2);  // stays on the NUL
  EXPECT_EQ(CharPrevA(text, text + 2), text + 1);
  EXPECT_EQ(CharPrevA(text, text), text);
}

std::string Format(const char* format, ...) {
  char buffer[1100];
  std::memset(buffer, 'Z', sizeof(buffer));
  va_list args;
  va_start(args, format);
  const int n = wvsprintfA(buffer, format, args);
  va_end(args);
  EXPECT_EQ(n, static_cast<int>(std::strlen(buffer)));
  return buffer;
}

TEST(NamesNoCase, OnlyAsciiLettersFoldAndTheOrderIsTotal) {
  EXPECT_TRUE(qvp::EqualNoCase("Qvm_Alrt.DLL", "QVM_ALRT.dll"));
  EXPECT_FALSE(qvp::EqualNoCase("abc", "abcd"));
  EXPECT_FALSE(qvp::EqualNoCase("caf\xE9", "CAF\xC9"));  // bytes above ASCII stay as they are
  EXPECT_FALSE(qvp::EqualNoCase("[", "{"));                 // neighbours of the letters do not fold
  EXPECT_EQ(qvp::Upper(std::string("lert\xE9-0001.amp")), "LERT\xE9-0001.AMP");
  EXPECT_EQ(qvp::Upper('z'), 'Z');
  EXPECT_EQ(qvp::Upper('{'), '{');

  // Equal without regard to case, yet one still sorts before the other.
  EXPECT_NE(qvp::LessNoCase("Abc", "aBC"), qvp::LessNoCase("aBC", "Abc"));
  EXPECT_FALSE(qvp::LessNoCase("abc", "abc"));
  EXPECT_TRUE(qvp::LessNoCase("ab", "ABC"));
  EXPECT_TRUE(qvp::LessNoCase("b", "\x80"));  // high bytes order as unsigned
}

TEST(Wsprintf, FormatsTheWindowsConversions) {
  EXPECT_EQ(Format("%d%%", 42), "42%");
  EXPECT_EQ(Format("%d %i %u", -17, 5, 4000000000u), "-17 5 4000000000");
  EXPECT_EQ(Format("%x %X %#x %#X %#x", 255u, 255u, 255u, 255u, 0u), "ff FF 0xff 0XFF 0");
  EXPECT_EQ(Format("[%5d] [%-5d] [%05d] [%-05d]", 42, 42, -42, 7), "[   42] [42   ] [-0042] [7    ]");
  EXPECT_EQ(Format("[%.3d] [%8.3x]", 7, 10u), "[007] [     00a]");
  EXPECT_EQ(Format("%s|%10s|%-6s|%.2s", "abc", "right", "left", "cut"), "abc|     right|left  |cu");
  EXPECT_EQ(Format("%c%c%c", 'o', 'k', '!'), "ok!");
  EXPECT_EQ(Format("%s", static_cast<const char*>(nullptr)), "(null)");
  EXPECT_EQ(Format("%d", -2147483647 - 1), "-2147483648");
  // LONG is 32 bits: %ld, %lu and %lx read 32-bit values.
  const LONG negative = -5;
  const ULONG big = 0xDEADBEEFu;
  EXPECT_EQ(Format("%ld %lu %lx %lX", negative, big, big, big), "-5 3735928559 deadbeef DEADBEEF");
  EXPECT_EQ(Format("%08lX", static_cast<ULONG>(0x1234u)), "00001234");
  // Wide arguments are converted to the code page.
  EXPECT_EQ(Format("%ls %S %lc", u"w\u00E9", u"\u20AC", static_cast<int>(u'\u2122')), "w\xE9 \x80 \x99");
  EXPECT_EQ(Format("%hs", "narrow"), "narrow");
  EXPECT_EQ(Format("%q"), "q");  // an unknown conversion prints itself
  EXPECT_EQ(Format("end%"), "end");
}

TEST(Wsprintf, OutputStopsAt1024BytesWithTheNul) {
  std::string long_text(2000, 'a');
  char buffer[1100];
  std::memset(buffer, 'Z', sizeof(buffer));
  EXPECT_EQ(wsprintfA(buffer, "%s%s", long_text.c_str(), "tail"), 1023);
  EXPECT_EQ(std::strlen(buffer), 1023u);
  EXPECT_EQ(buffer[1024], 'Z');  // nothing written past the limit
  EXPECT_EQ(wsprintfA(buffer, "%2000d", 1), 1023);
  EXPECT_EQ(buffer[1022], ' ');
}

}  // namespace
