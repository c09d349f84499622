// The resource functions over a table compiled from testdata/sample.rc at build time.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "qvplatform.h"
#include "qvplatform/dlgtemplate.h"
#include "qvplatform/kernel.h"
#include "testdata/sample_ids.h"

extern "C" const QvResourceDirectory QvResourceTable;

namespace {

const HMODULE kModule = reinterpret_cast<HMODULE>(uintptr_t{0x51000});
const HMODULE kEmptyModule = reinterpret_cast<HMODULE>(uintptr_t{0x52000});

std::vector<uint8_t> ReadTestFile(const char* name) {
  std::ifstream in(std::string(QV_TESTDATA_DIR) + "/" + name, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

std::vector<uint8_t> BytesOf(HMODULE module, HRSRC found) {
  const auto* data = static_cast<const uint8_t*>(LockResource(LoadResource(module, found)));
  return std::vector<uint8_t>(data, data + SizeofResource(module, found));
}

class Resources : public ::testing::Test {
 protected:
  void SetUp() override {
    qvp::RegisterResourceTableForTests(kModule, &QvResourceTable);
    qvp::RegisterResourceTableForTests(nullptr, &QvResourceTable);
    qvp::SetResourceLanguage(1033);
  }
  void TearDown() override {
    qvp::RegisterResourceTableForTests(kModule, nullptr);
    qvp::RegisterResourceTableForTests(nullptr, nullptr);
    qvp::SetResourceLanguage(1033);
  }
};

TEST_F(Resources, FindResourceExMatchesTheLanguageExactly) {
  LPCSTR hello_block = MAKEINTRESOURCEA(IDS_HELLO / 16 + 1);
  EXPECT_NE(FindResourceExA(kModule, RT_STRING, hello_block, 1031), nullptr);
  EXPECT_NE(FindResourceExA(kModule, RT_STRING, hello_block, 1033), nullptr);

  SetLastError(0);
  EXPECT_EQ(FindResourceExA(kModule, RT_STRING, hello_block, 1036), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_LANG_NOT_FOUND));
  EXPECT_EQ(FindResourceExA(kModule, RT_DIALOG, MAKEINTRESOURCEA(999), 1033), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_EQ(FindResourceExA(kModule, RT_VERSION, MAKEINTRESOURCEA(1), 1033), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_TYPE_NOT_FOUND));
  EXPECT_EQ(FindResourceExA(kEmptyModule, RT_DIALOG, MAKEINTRESOURCEA(IDD_SAMPLE), 1033), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));

  // The null module is the program itself.
  EXPECT_NE(FindResourceExA(nullptr, RT_DIALOG, MAKEINTRESOURCEA(IDD_SAMPLE), 1033), nullptr);
}

TEST_F(Resources, NamesAndTypesMatchWithoutRegardToCaseAndByNumberText) {
  HRSRC by_text = FindResourceA(kModule, "readme", "text");
  ASSERT_NE(by_text, nullptr);
  EXPECT_EQ(BytesOf(kModule, by_text), std::vector<uint8_t>({'n', 'a', 'm', 'e', 'd'}));
  EXPECT_EQ(FindResourceA(kModule, "#5000", "TEXT"), FindResourceA(kModule, MAKEINTRESOURCEA(IDR_ABOUT), "TEXT"));
  EXPECT_EQ(FindResourceA(kModule, "#5000x", "TEXT"), nullptr);
  EXPECT_EQ(FindResourceA(kModule, "5000", "TEXT"), nullptr);  // a name, not a number

  HRSRC odd = FindResourceA(kModule, "WE\"Ird?\\1", "TEXT");
  ASSERT_NE(odd, nullptr);
  EXPECT_EQ(SizeofResource(kModule, odd), 8u);
  HRSRC empty = FindResourceA(kModule, MAKEINTRESOURCEA(5003), "TEXT");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SizeofResource(kModule, empty), 0u);
  EXPECT_NE(LockResource(LoadResource(kModule, empty)), nullptr);  // loaded, though empty
}

TEST_F(Resources, FindResourceChoosesTheLanguage) {
  auto language_of = [](LPCSTR name, LPCSTR type) {
    HRSRC found = FindResourceA(kModule, name, type);
    if (found == nullptr) return -1;
    // The menu exists in 1033 (240 bytes) and 1036; tell them apart by size.
    return static_cast<int>(SizeofResource(kModule, found));
  };
  const int english_menu = language_of(MAKEINTRESOURCEA(IDM_SAMPLE), RT_MENU);
  HRSRC french = FindResourceExA(kModule, RT_MENU, MAKEINTRESOURCEA(IDM_SAMPLE), 1036);
  ASSERT_NE(french, nullptr);
  const int french_menu = static_cast<int>(SizeofResource(kModule, french));
  ASSERT_NE(english_menu, french_menu);

  qvp::SetResourceLanguage(1036);
  EXPECT_EQ(language_of(MAKEINTRESOURCEA(IDM_SAMPLE), RT_MENU), french_menu);
  EXPECT_EQ(FindResourceExA(kModule, RT_MENU, MAKEINTRESOURCEA(IDM_SAMPLE), 0), french);
  qvp::SetResourceLanguage(1031);  // no German menu: English
  EXPECT_EQ(language_of(MAKEINTRESOURCEA(IDM_SAMPLE), RT_MENU), english_menu);
  qvp::SetResourceLanguage(1041);
  EXPECT_EQ(language_of(MAKEINTRESOURCEA(IDM_SAMPLE), RT_MENU), english_menu);

  // A resource in one language only is found from any language.
  qvp::SetResourceLanguage(1033);
  HRSRC only_french = FindResourceA(kModule, MAKEINTRESOURCEA(5002), "TEXT");
  ASSERT_NE(only_french, nullptr);
  const std::vector<uint8_t> bytes = BytesOf(kModule, only_french);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "seulement en fran\xE7" "ais");
}

TEST_F(Resources, LoadStringPicksTheUiLanguageAndFallsBackPerString) {
  char buffer[256];
  EXPECT_EQ(LoadStringA(kModule, IDS_HELLO, buffer, sizeof buffer), 12);
  EXPECT_STREQ(buffer, "Hello, world");

  qvp::SetResourceLanguage(1031);
  EXPECT_EQ(LoadStringA(kModule, IDS_HELLO, buffer, sizeof buffer), 18);
  EXPECT_STREQ(buffer, "Hallo, Welt: Gr\xFC\xDF" "e");  // Windows-1252 bytes
  EXPECT_EQ(LoadStringA(kModule, IDS_ONLY_ENGLISH, buffer, sizeof buffer), 15);
  EXPECT_STREQ(buffer, "Only in English");

  // Swiss German has no table of its own: the German one answers first.
  qvp::SetResourceLanguage(MAKELANGID(LANG_GERMAN, 2));
  LoadStringA(kModule, IDS_HELLO, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "Hallo, Welt: Gr\xFC\xDF" "e");

  qvp::SetResourceLanguage(1033);
  EXPECT_EQ(LoadStringA(kModule, IDS_LONG, buffer, sizeof buffer), 43);
  EXPECT_STREQ(buffer, "A long text that is joined\tfrom two parts\r\n");
  LoadStringA(kModule, 7, buffer, sizeof buffer);
  EXPECT_STREQ(buffer, "caf\xE9");
}

TEST_F(Resources, LoadStringTruncatesToTheBuffer) {
  char buffer[8];
  std::memset(buffer, 'X', sizeof buffer);
  EXPECT_EQ(LoadStringA(kModule, IDS_HELLO, buffer, 6), 5);
  EXPECT_STREQ(buffer, "Hello");
  EXPECT_EQ(buffer[6], 'X');  // nothing written past the given size

  EXPECT_EQ(LoadStringA(kModule, IDS_HELLO, buffer, 1), 0);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_EQ(LoadStringA(kModule, IDS_HELLO, buffer, 0), 0);
  EXPECT_EQ(LoadStringA(kModule, IDS_HELLO, nullptr, 10), 0);
}

TEST_F(Resources, LoadStringOfAMissingStringGivesNothing) {
  char buffer[16] = "previous";
  SetLastError(0);
  EXPECT_EQ(LoadStringA(kModule, 12345, buffer, sizeof buffer), 0);
  EXPECT_EQ(buffer[0], '\0');
  EXPECT_NE(GetLastError(), 0u);
  // A string in an existing block that the script never set.
  EXPECT_EQ(LoadStringA(kModule, IDS_HELLO + 3, buffer, sizeof buffer), 0);
  EXPECT_EQ(LoadStringA(kEmptyModule, IDS_HELLO, buffer, sizeof buffer), 0);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_DATA_NOT_FOUND));
}

TEST_F(Resources, DataResourcesHoldTheFileBytesExactly) {
  HRSRC about = FindResourceA(kModule, MAKEINTRESOURCEA(IDR_ABOUT), "TEXT");
  ASSERT_NE(about, nullptr);
  const std::vector<uint8_t> file = ReadTestFile("about.txt");
  ASSERT_FALSE(file.empty());
  EXPECT_EQ(SizeofResource(kModule, about), file.size());
  EXPECT_EQ(BytesOf(kModule, about), file);
  EXPECT_EQ(LockResource(LoadResource(kModule, about)), LoadResource(kModule, about));

  HRSRC inline_text = FindResourceA(kModule, MAKEINTRESOURCEA(IDR_INLINE), "TEXT");
  ASSERT_NE(inline_text, nullptr);
  const std::vector<uint8_t> bytes = BytesOf(kModule, inline_text);
  EXPECT_EQ(std::string(bytes.begin(), bytes.end()), "inline text\n");
  EXPECT_FALSE(FreeResource(LoadResource(kModule, inline_text)));
}

TEST_F(Resources, BitmapsAreThePackedDibOfTheFile) {
  const std::vector<uint8_t> file = ReadTestFile("small.bmp");
  ASSERT_GT(file.size(), 14u);
  const std::vector<uint8_t> dib(file.begin() + 14, file.end());
  HRSRC found = FindResourceA(kModule, MAKEINTRESOURCEA(IDB_SMALL), RT_BITMAP);
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(BytesOf(kModule, found), dib);
  const qvp::ResourceBytes bytes = qvp::FindBitmapDib(kModule, MAKEINTRESOURCEA(IDB_SMALL));
  ASSERT_TRUE(bytes);
  EXPECT_EQ(std::vector<uint8_t>(bytes.data, bytes.data + bytes.size), dib);
  EXPECT_FALSE(qvp::FindBitmapDib(kModule, MAKEINTRESOURCEA(IDB_SMALL + 1)));
}

TEST_F(Resources, IconImagesAreChosenBySize) {
  const std::vector<uint8_t> file = ReadTestFile("small.ico");
  ASSERT_GT(file.size(), 38u);
  auto image_in_file = [&](size_t index) {
    uint32_t size = 0, offset = 0;
    std::memcpy(&size, file.data() + 6 + index * 16 + 8, 4);
    std::memcpy(&offset, file.data() + 6 + index * 16 + 12, 4);
    return std::vector<uint8_t>(file.begin() + offset, file.begin() + offset + size);
  };
  auto pick = [](int cx, int cy) {
    const qvp::ResourceBytes b = qvp::FindIconImage(kModule, MAKEINTRESOURCEA(IDI_APP), cx, cy);
    return std::vector<uint8_t>(b.data, b.data + b.size);
  };
  EXPECT_EQ(pick(16, 16), image_in_file(0));
  EXPECT_EQ(pick(32, 32), image_in_file(1));
  EXPECT_EQ(pick(20, 20), image_in_file(1));  // the smallest larger one
  EXPECT_EQ(pick(48, 48), image_in_file(1));  // else the largest
  EXPECT_EQ(pick(8, 8), image_in_file(0));
  EXPECT_FALSE(qvp::FindIconImage(kModule, MAKEINTRESOURCEA(IDI_APP + 1), 16, 16));
}

TEST_F(Resources, EnumResourceLanguagesListsEachLanguage) {
  std::set<WORD> languages;
  auto collect = [](HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR param) -> BOOL {
    reinterpret_cast<std::set<WORD>*>(param)->insert(language);
    return TRUE;
  };
  EXPECT_TRUE(EnumResourceLanguagesA(kModule, RT_MENU, MAKEINTRESOURCEA(IDM_SAMPLE), collect,
                                     reinterpret_cast<LONG_PTR>(&languages)));
  EXPECT_EQ(languages, (std::set<WORD>{1033, 1036}));

  int calls = 0;
  auto stop = [](HMODULE, LPCSTR, LPCSTR, WORD, LONG_PTR param) -> BOOL {
    ++*reinterpret_cast<int*>(param);
    return FALSE;
  };
  EXPECT_FALSE(EnumResourceLanguagesA(kModule, RT_MENU, MAKEINTRESOURCEA(IDM_SAMPLE), stop,
                                      reinterpret_cast<LONG_PTR>(&calls)));
  EXPECT_EQ(calls, 1);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_ENUM_USER_STOP));

  EXPECT_FALSE(EnumResourceLanguagesA(kModule, RT_MENU, MAKEINTRESOURCEA(101), collect, 0));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_RESOURCE_NAME_NOT_FOUND));
  EXPECT_FALSE(EnumResourceLanguagesA(kEmptyModule, RT_MENU, MAKEINTRESOURCEA(IDM_SAMPLE), collect, 0));
}

TEST_F(Resources, HandlesOfAnotherModuleOrNoResourceAreRefused) {
  HRSRC found = FindResourceA(kModule, MAKEINTRESOURCEA(IDR_ABOUT), "TEXT");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(LoadResource(kEmptyModule, found), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EXPECT_EQ(SizeofResource(kEmptyModule, found), 0u);

  const auto* entry = static_cast<const QvResourceEntry*>(found);
  EXPECT_EQ(LoadResource(kModule, reinterpret_cast<HRSRC>(reinterpret_cast<uintptr_t>(entry) + 1)), nullptr);
  EXPECT_EQ(LoadResource(kModule, const_cast<QvResourceEntry*>(QvResourceTable.entries + QvResourceTable.count)),
            nullptr);
  EXPECT_EQ(LoadResource(kModule, nullptr), nullptr);
}

TEST_F(Resources, DialogTemplateReadsBackAsWritten) {
  const qvp::ResourceBytes bytes = qvp::FindDialogTemplate(kModule, MAKEINTRESOURCEA(IDD_SAMPLE));
  ASSERT_TRUE(bytes);
  qvp::DialogTemplateReader reader;
  ASSERT_TRUE(reader.Open(bytes.data, bytes.size));
  const qvp::DialogHeaderView& h = reader.header();
  EXPECT_EQ(h.style, 0x80C800C0u);  // DS_MODALFRAME|WS_POPUP|WS_CAPTION|WS_SYSMENU, and DS_SETFONT for FONT
  EXPECT_EQ(h.exstyle, 0x00010000u);
  EXPECT_EQ(h.caption.text, "Sample dialog");
  EXPECT_EQ(h.font_face.text, "MS Sans Serif");
  EXPECT_EQ(h.font_point_size, 8);
  EXPECT_EQ(h.font_weight, 400);
  EXPECT_EQ(h.x, 10);
  EXPECT_EQ(h.cy, 120);
  ASSERT_EQ(reader.control_count(), 6u);

  const qvp::DialogControlView label = reader.control(0);
  EXPECT_EQ(label.id, 0xFFFFFFFFu);
  EXPECT_EQ(label.window_class.ordinal, static_cast<uint32_t>(qvp::StandardClass::kStatic));
  EXPECT_EQ(label.text.text, "&Name:");
  const qvp::DialogControlView edit = reader.control(1);
  EXPECT_EQ(edit.style, 0x50810080u);
  EXPECT_EQ(edit.exstyle, 0x00000200u);
  EXPECT_EQ(edit.text.kind, qvp::RefKind::kText);
  EXPECT_TRUE(edit.text.text.empty());
  EXPECT_EQ(reader.control(2).window_class.ordinal, static_cast<uint32_t>(qvp::StandardClass::kListView));
  EXPECT_EQ(reader.control(2).style, 0x50000005u);
  EXPECT_EQ(reader.control(3).id, 70000u);
  EXPECT_EQ(reader.control(3).style, 0x50000001u);
  const qvp::DialogControlView custom = reader.control(4);
  EXPECT_EQ(custom.window_class.kind, qvp::RefKind::kText);
  EXPECT_EQ(custom.window_class.text, "QvSplitter");
  EXPECT_EQ(custom.x, -5);
  const qvp::DialogControlView ok = reader.control(5);
  EXPECT_EQ(ok.id, 1u);
  EXPECT_EQ(ok.window_class.ordinal, static_cast<uint32_t>(qvp::StandardClass::kButton));
  EXPECT_EQ(ok.style, 0x50010001u);
}

TEST_F(Resources, MenuTemplateReadsBackAsWritten) {
  const qvp::ResourceBytes bytes = qvp::FindMenuTemplate(kModule, MAKEINTRESOURCEA(IDM_SAMPLE));
  ASSERT_TRUE(bytes);
  qvp::MenuTemplateReader menu;
  ASSERT_TRUE(menu.Open(bytes.data, bytes.size));
  ASSERT_EQ(menu.top_count(), 2u);
  const qvp::MenuItemView file = menu.item(0);
  EXPECT_EQ(file.text, "&File");
  EXPECT_EQ(file.flags, qvp::kMenuPopup);
  ASSERT_EQ(file.child_count, 3);
  EXPECT_EQ(menu.item(file.first_child).text, "&Open...\tCtrl+O");
  EXPECT_EQ(menu.item(file.first_child).id, static_cast<uint32_t>(IDM_OPEN));
  EXPECT_EQ(menu.item(file.first_child + 1).flags, qvp::kMenuSeparator);
  EXPECT_EQ(menu.item(file.first_child + 2).flags, qvp::kMenuGrayed);
  const qvp::MenuItemView options = menu.item(1);
  ASSERT_EQ(options.child_count, 1);
  EXPECT_EQ(menu.item(options.first_child).flags, qvp::kMenuChecked);
  EXPECT_EQ(menu.item(options.first_child).id, static_cast<uint32_t>(IDM_AUTO));
}

TEST_F(Resources, ConcurrentLookupsWhileTheLanguageChanges) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t) {
    threads.emplace_back([t] {
      char buffer[64];
      for (int i = 0; i < 500; ++i) {
        if (t == 0) qvp::SetResourceLanguage(i % 2 == 0 ? 1031 : 1033);
        const int n = LoadStringA(kModule, IDS_HELLO, buffer, sizeof buffer);
        EXPECT_TRUE(n == 12 || n == 18);
        EXPECT_NE(FindResourceA(kModule, MAKEINTRESOURCEA(IDD_SAMPLE), RT_DIALOG), nullptr);
      }
    });
  }
  for (std::thread& th : threads) th.join();
}

}  // namespace
