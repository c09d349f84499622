// The resource compiler on scripts written to a temporary directory.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "emit.h"
#include "lexer.h"
#include "qvplatform/dlgtemplate.h"
#include "script.h"

namespace {

namespace fs = std::filesystem;

class Qvrc : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() /
           ("qvrc_test_" + std::to_string(::testing::UnitTest::GetInstance()->random_seed()) + "_" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Write(const std::string& name, const std::string& text) {
    const fs::path path = dir_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
  }
  std::string WriteBytes(const std::string& name, const std::vector<uint8_t>& bytes) {
    return Write(name, std::string(bytes.begin(), bytes.end()));
  }

  qvrc::Script Compile(const std::string& text, const std::vector<std::string>& include_dirs = {}) {
    return qvrc::CompileScript(Write("main.rc", text), include_dirs);
  }

  // The message of the compile error `text` makes, or "" when it compiles.
  std::string ErrorOf(const std::string& text) {
    try {
      Compile(text);
    } catch (const qvrc::CompileError& e) {
      return e.what();
    }
    return "";
  }

  const qvrc::Resource* Find(const qvrc::Script& s, uint16_t type, uint16_t id, uint16_t language = 1033) {
    for (const qvrc::Resource& r : s.resources) {
      if (r.type == qvrc::ResName::Number(type) && r.name == qvrc::ResName::Number(id) && r.language == language) {
        return &r;
      }
    }
    return nullptr;
  }

  std::vector<uint8_t> DataOf(const qvrc::Script& s, uint16_t type, uint16_t id) {
    const qvrc::Resource* r = Find(s, type, id);
    return r != nullptr ? r->data : std::vector<uint8_t>{};
  }

  std::string Text(const qvrc::Script& s, const char* type, uint16_t id) {
    for (const qvrc::Resource& r : s.resources) {
      if (r.type == qvrc::ResName::Text(type) && r.name == qvrc::ResName::Number(id)) {
        return std::string(r.data.begin(), r.data.end());
      }
    }
    return "<missing>";
  }

  // The value of an expression, read back as a dialog's style.
  uint32_t Value(const std::string& defines, const std::string& expression) {
    const qvrc::Script s = Compile(defines + "\nDIALOG 1, 0, 0, 0, 0 STYLE " + expression + " {}\n");
    qvp::DialogTemplateReader r;
    EXPECT_TRUE(r.Open(s.resources.at(0).data.data(), s.resources.at(0).data.size()));
    return r.header().style;
  }

  fs::path dir_;
};

TEST_F(Qvrc, ExpressionsFollowCPrecedenceOnUnsigned32Bits) {
  EXPECT_EQ(Value("", "1 + 2 * 3 | 0x100"), 0x107u);
  EXPECT_EQ(Value("", "(1 + 2) * 3"), 9u);
  EXPECT_EQ(Value("", "1 << 4 + 1"), 32u);
  EXPECT_EQ(Value("", "0xFF & ~0x0F ^ 1"), 0xF1u);
  EXPECT_EQ(Value("", "-1"), 0xFFFFFFFFu);
  EXPECT_EQ(Value("", "10 - 2 - 3"), 5u);
  EXPECT_EQ(Value("", "100 / 7 % 4"), 2u);
  EXPECT_EQ(Value("", "!0 + !5"), 1u);
  EXPECT_EQ(Value("", "0010 + 100L + 0x10u"), 126u);  // leading zeros are decimal
  EXPECT_EQ(Value("", "WS_CHILD | WS_VISIBLE | BS_AUTOCHECKBOX | WS_TABSTOP"), 0x50010003u);
  EXPECT_EQ(Value("", "WS_OVERLAPPEDWINDOW"), 0x00CF0000u);
  EXPECT_EQ(Value("", "LBS_STANDARD"), 0x00A00003u);
  EXPECT_EQ(Value("#define A 3\n#define B (A << 2) | 1", "B + A"), 16u);
}

TEST_F(Qvrc, ExpressionErrorsNameThePlace) {
  EXPECT_EQ(ErrorOf("\n\nDIALOG 1, 0, 0, 0, 0 STYLE WS_CHLD {}"), (dir_ / "main.rc").string() + ":3: unknown name 'WS_CHLD'");
  EXPECT_NE(ErrorOf("DIALOG 1, 0, 0, 0, 0 STYLE 4 / (2 - 2) {}").find("division by zero"), std::string::npos);
  EXPECT_NE(ErrorOf("#define X 1\n#define X 2").find("already defined"), std::string::npos);
  EXPECT_EQ(ErrorOf("#define X 1\n#define X (0 + 1)"), "");
  EXPECT_NE(ErrorOf("#define WS_CHILD 5").find("already defined"), std::string::npos);
  EXPECT_NE(ErrorOf("#define EMPTY").find("needs a value"), std::string::npos);
  EXPECT_NE(ErrorOf("#pragma once").find("unknown directive"), std::string::npos);
  EXPECT_NE(ErrorOf("STRINGTABLE { 0x100000000 \"x\" }").find("too large"), std::string::npos);
  EXPECT_NE(ErrorOf("STRINGTABLE { 70000 \"x\" }").find("out of range"), std::string::npos);
  EXPECT_NE(ErrorOf("DIALOG 1, 0, 0, 40000, 0 {}").find("coordinate out of range"), std::string::npos);
  EXPECT_NE(ErrorOf("WIDGET 1").find("unknown statement"), std::string::npos);
  // Nesting is bounded, so no script can exhaust the compiler's stack.
  EXPECT_EQ(Value("", std::string(255, '-') + "1"), 0xFFFFFFFFu);
  EXPECT_EQ(Value("", std::string(200, '(') + "7" + std::string(200, ')')), 7u);
  const std::string where = (dir_ / "main.rc").string() + ":2: expression nested more than 256 levels deep";
  EXPECT_EQ(ErrorOf("\nSTRINGTABLE { " + std::string(200000, '-') + "1 \"x\" }"), where);
  EXPECT_EQ(ErrorOf("\nSTRINGTABLE { " + std::string(100000, '(') + "1 \"x\" }"), where);
  EXPECT_EQ(ErrorOf("\nSTRINGTABLE { " + std::string(300, '~') + "1 \"x\" }"), where);
  EXPECT_NE(ErrorOf("DIALOG 1, 0, 0, 0, 0 {").find("at the end of the file"), std::string::npos);
}

TEST_F(Qvrc, StringsTakeEscapesAndBecomeWindows1252) {
  const qvrc::Script s = Compile(
      "RESOURCE \"T\", 1, \"\\x41\\101\\n\\t\\\"\\\\\\0z\"\n"
      "RESOURCE \"T\", 2, \"caf\xC3\xA9 \xE2\x82\xAC\"\n"  // UTF-8 é and the euro sign
      "RESOURCE \"T\", 3, \"one \" \"two\"  /* joined */\n"
      "RESOURCE \"T\", 4, \"// not a comment\"\n");
  EXPECT_EQ(Text(s, "T", 1), std::string("AA\n\t\"\\\0z", 8));
  EXPECT_EQ(Text(s, "T", 2), "caf\xE9 \x80");
  EXPECT_EQ(Text(s, "T", 3), "one two");
  EXPECT_EQ(Text(s, "T", 4), "// not a comment");

  EXPECT_NE(ErrorOf("RESOURCE \"T\", 1, \"\xE6\x97\xA5\"").find("Windows-1252"), std::string::npos);  // a CJK character
  EXPECT_NE(ErrorOf("RESOURCE \"T\", 1, \"\xC3\"").find("not UTF-8"), std::string::npos);
  EXPECT_NE(ErrorOf("RESOURCE \"T\", 1, \"\xC0\xAF\"").find("not UTF-8"), std::string::npos);  // overlong
  EXPECT_NE(ErrorOf("RESOURCE \"T\", 1, \"\\q\"").find("unknown escape"), std::string::npos);
  EXPECT_NE(ErrorOf("\nRESOURCE \"T\", 1, \"open\n\"").find(":2: unterminated string"), std::string::npos);
  EXPECT_NE(ErrorOf("/* never closed").find("unterminated comment"), std::string::npos);
}

TEST_F(Qvrc, StringTablesAreBlocksOfSixteen) {
  const qvrc::Script s = Compile(
      "STRINGTABLE { 1, \"one\" 15 \"last\" 16 \"next\" }\n"
      "LANGUAGE 0x0407\n"
      "STRINGTABLE { 1 \"eins\" }\n");
  const qvrc::Resource* first = Find(s, qvrc::kTypeString, 1);
  ASSERT_NE(first, nullptr);
  std::vector<uint8_t> expected = {0, 0, 3, 0, 'o', 'n', 'e'};
  for (int i = 2; i < 15; ++i) expected.insert(expected.end(), {0, 0});
  expected.insert(expected.end(), {4, 0, 'l', 'a', 's', 't'});
  EXPECT_EQ(first->data, expected);
  const qvrc::Resource* second = Find(s, qvrc::kTypeString, 2);
  ASSERT_NE(second, nullptr);
  EXPECT_EQ(second->data.size(), 2u + 4u + 15u * 2u);
  const qvrc::Resource* german = Find(s, qvrc::kTypeString, 1, 0x0407);
  ASSERT_NE(german, nullptr);
  EXPECT_EQ(german->data[2], 4);

  EXPECT_NE(ErrorOf("STRINGTABLE { 1 \"a\" }\nSTRINGTABLE { 1 \"b\" }").find("already defined at"), std::string::npos);
  EXPECT_EQ(ErrorOf("STRINGTABLE { 1 \"a\" }\nLANGUAGE 1036\nSTRINGTABLE { 1 \"b\" }"), "");
  EXPECT_NE(ErrorOf("STRINGTABLE { 1 }").find("expected a string"), std::string::npos);
}

TEST_F(Qvrc, LanguagesAreNumbersOrPrimaryAndSubLanguage) {
  const qvrc::Script s = Compile(
      "LANGUAGE LANG_FRENCH, SUBLANG_DEFAULT\nRESOURCE 10, 1, \"a\"\n"
      "LANGUAGE 1041\nRESOURCE 10, 1, \"b\"\n"
      "LANGUAGE LANG_NEUTRAL, SUBLANG_NEUTRAL\nRESOURCE 10, 1, \"c\"\n");
  ASSERT_EQ(s.resources.size(), 3u);
  EXPECT_EQ(s.resources[0].language, 1036);
  EXPECT_EQ(s.resources[1].language, 1041);
  EXPECT_EQ(s.resources[2].language, 0);
  EXPECT_NE(ErrorOf("LANGUAGE 0x400, 1").find("primary language"), std::string::npos);
  EXPECT_NE(ErrorOf("LANGUAGE 9, 64").find("sub-language"), std::string::npos);
}

TEST_F(Qvrc, DialogsBecomeFlatTemplates) {
  const qvrc::Script s = Compile(
      "DIALOG \"Options\", 1, 2, 3, 4\n"
      "  CAPTION \"Options\"\n  FONT 8, \"Tahoma\", FW_BOLD, 1\n  STYLE WS_POPUP\n  MENU 7\n  CLASS \"QvDlg\"\n"
      "{\n"
      "  CONTROL IDC_STATIC, \"Static\", 301, SS_ICON, 0, 0, 0, 0, 0\n"
      "  CONTROL 0x12345678, \"SysTreeView32\", \"\", TVS_HASLINES, WS_EX_CLIENTEDGE, -1, -2, 30, 40\n"
      "  CONTROL 5, \"MyGraph\", \"g\", 0, 0, 0, 0, 0, 0\n"
      "}\n");
  ASSERT_EQ(s.resources.size(), 1u);
  const qvrc::Resource& r = s.resources[0];
  EXPECT_EQ(r.type, qvrc::ResName::Number(qvrc::kTypeDialog));
  EXPECT_EQ(r.name, qvrc::ResName::Text("OPTIONS"));
  qvp::DialogTemplateReader d;
  ASSERT_TRUE(d.Open(r.data.data(), r.data.size()));
  EXPECT_EQ(d.header().style, 0x80000040u);  // DS_SETFONT comes with FONT
  EXPECT_EQ(d.header().font_weight, 700);
  EXPECT_TRUE(d.header().font_italic);
  EXPECT_EQ(d.header().menu.ordinal, 7u);
  EXPECT_EQ(d.header().window_class.text, "QvDlg");
  ASSERT_EQ(d.control_count(), 3u);
  EXPECT_EQ(d.control(0).id, 0xFFFFFFFFu);
  EXPECT_EQ(d.control(0).window_class.ordinal, 0x82u);
  EXPECT_EQ(d.control(0).text.kind, qvp::RefKind::kOrdinal);
  EXPECT_EQ(d.control(0).text.ordinal, 301u);
  EXPECT_EQ(d.control(1).id, 0x12345678u);
  EXPECT_EQ(d.control(1).window_class.ordinal, 0x102u);
  EXPECT_EQ(d.control(1).exstyle, 0x200u);
  EXPECT_EQ(d.control(1).y, -2);
  EXPECT_EQ(d.control(2).window_class.text, "MyGraph");

  EXPECT_NE(ErrorOf("DIALOG 1, 0, 0, 0, 0 CAPTION \"a\" CAPTION \"b\" {}").find("given twice"), std::string::npos);
  EXPECT_NE(ErrorOf("DIALOG 1, 0, 0, 0, 0 COLOR 5 {}").find("unknown dialog option"), std::string::npos);
  EXPECT_NE(ErrorOf("DIALOG 1, 0, 0, 0, 0 { BUTTON 1 }").find("expected CONTROL"), std::string::npos);
  EXPECT_NE(ErrorOf("DIALOG 1, 0, 0, 0, 0 { CONTROL 1, \"\", \"\", 0, 0, 0, 0, 0, 0 }").find("empty class"),
            std::string::npos);
  EXPECT_NE(ErrorOf("DIALOG 1, 0, 0, 0, 0 CAPTION \"a\\0b\" {}").find("NUL"), std::string::npos);
}

TEST_F(Qvrc, MenusKeepTheirTreeAndFlags) {
  const qvrc::Script s = Compile(
      "MENU 100 {\n"
      "  POPUP \"&File\", GRAYED {\n"
      "    ITEM \"&New\", 1, CHECKED, DISABLED\n"
      "    SEPARATOR\n"
      "    POPUP \"&Sub\" { ITEM \"x\", 2 }\n"
      "  }\n"
      "  ITEM \"&Help\", 3\n"
      "}\n");
  const qvrc::Resource* r = Find(s, qvrc::kTypeMenu, 100);
  ASSERT_NE(r, nullptr);
  qvp::MenuTemplateReader m;
  ASSERT_TRUE(m.Open(r->data.data(), r->data.size()));
  ASSERT_EQ(m.top_count(), 2u);
  EXPECT_EQ(m.item(0).flags, qvp::kMenuPopup | qvp::kMenuGrayed);
  ASSERT_EQ(m.item(0).child_count, 3);
  const qvp::MenuItemView item_new = m.item(m.item(0).first_child);
  EXPECT_EQ(item_new.flags, qvp::kMenuChecked | qvp::kMenuDisabled);
  EXPECT_EQ(item_new.id, 1u);
  const qvp::MenuItemView sub = m.item(m.item(0).first_child + 2);
  ASSERT_EQ(sub.child_count, 1);
  EXPECT_EQ(m.item(sub.first_child).text, "x");
  EXPECT_EQ(m.item(1).id, 3u);

  EXPECT_NE(ErrorOf("MENU 1 { ITEM \"a\", 1, BOLD }").find("GRAYED, CHECKED or DISABLED"), std::string::npos);
  EXPECT_NE(ErrorOf("MENU 1 { BREAK }").find("POPUP, ITEM or SEPARATOR"), std::string::npos);
}

std::vector<uint8_t> BitmapFile(int width, int height, int bits, uint32_t colours, size_t gap) {
  const uint32_t stride = ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
  const uint32_t palette = bits <= 8 ? (colours != 0 ? colours : 1u << bits) * 4 : 0;
  const uint32_t offset = 14 + 40 + palette + static_cast<uint32_t>(gap);
  std::vector<uint8_t> f(offset + stride * static_cast<uint32_t>(height), 0);
  auto put = [&f](size_t at, uint32_t v, int bytes) {
    for (int k = 0; k < bytes; ++k) f.at(at + static_cast<size_t>(k)) = static_cast<uint8_t>(v >> (8 * k));
  };
  auto put16 = [&](size_t at, uint16_t v) { put(at, v, 2); };
  auto put32 = [&](size_t at, uint32_t v) { put(at, v, 4); };
  put16(0, 'B' | ('M' << 8));
  put32(2, static_cast<uint32_t>(f.size()));
  put32(10, offset);
  put32(14, 40);
  put32(18, static_cast<uint32_t>(width));
  put32(22, static_cast<uint32_t>(height));
  put16(26, 1);
  put16(28, static_cast<uint16_t>(bits));
  put32(46, colours);
  for (size_t i = 54; i < 54 + palette; ++i) f[i] = static_cast<uint8_t>(i);  // the colour table
  for (size_t i = offset; i < f.size(); ++i) f[i] = static_cast<uint8_t>(0xA0 + (i - offset) % 7);  // the pixels
  return f;
}

TEST_F(Qvrc, BitmapsLoseTheirFileHeader) {
  const std::vector<uint8_t> plain = BitmapFile(5, 3, 8, 4, 0);
  WriteBytes("img/plain.bmp", plain);
  const std::vector<uint8_t> gapped = BitmapFile(5, 3, 8, 4, 6);
  WriteBytes("img/gapped.bmp", gapped);
  const qvrc::Script s = Compile("BITMAP 1, \"img/plain.bmp\"\nBITMAP 2, \"img/gapped.bmp\"\n");
  EXPECT_EQ(DataOf(s, qvrc::kTypeBitmap, 1), std::vector<uint8_t>(plain.begin() + 14, plain.end()));
  // The pixels follow the colour table, whatever gap the file left.
  EXPECT_EQ(DataOf(s, qvrc::kTypeBitmap, 2), DataOf(s, qvrc::kTypeBitmap, 1));
  EXPECT_FALSE(DataOf(s, qvrc::kTypeBitmap, 2).empty());
  EXPECT_EQ(s.dependencies.size(), 3u);

  std::vector<uint8_t> truncated = plain;
  truncated.resize(truncated.size() - 1);
  WriteBytes("short.bmp", truncated);
  EXPECT_NE(ErrorOf("BITMAP 1, \"short.bmp\"").find("truncated pixels"), std::string::npos);
  WriteBytes("text.bmp", {'h', 'e', 'l', 'l', 'o'});
  EXPECT_NE(ErrorOf("BITMAP 1, \"text.bmp\"").find("not a BMP file"), std::string::npos);
  std::vector<uint8_t> bad_bits = BitmapFile(2, 2, 24, 0, 0);
  bad_bits[28] = 7;
  WriteBytes("bits.bmp", bad_bits);
  EXPECT_NE(ErrorOf("BITMAP 1, \"bits.bmp\"").find("bad bit count"), std::string::npos);
  EXPECT_NE(ErrorOf("BITMAP 1, \"missing.bmp\"").find("cannot find file"), std::string::npos);
}

TEST_F(Qvrc, IconsBecomeImagesAndAGroupDirectory) {
  auto icon = [](uint8_t seed) {
    // ICONDIR with two images of 8 and 12 bytes.
    std::vector<uint8_t> f = {0, 0, 1, 0, 2, 0};
    const uint8_t entries[2][16] = {{16, 16, 0, 0, 1, 0, 4, 0, 8, 0, 0, 0, 38, 0, 0, 0},
                                    {32, 32, 0, 0, 1, 0, 8, 0, 12, 0, 0, 0, 46, 0, 0, 0}};
    for (const auto& e : entries) f.insert(f.end(), e, e + 16);
    for (uint8_t i = 0; i < 20; ++i) f.push_back(static_cast<uint8_t>(seed + i));
    return f;
  };
  WriteBytes("a.ico", icon(0));
  WriteBytes("b.ico", icon(100));
  const qvrc::Script s = Compile("ICON 10, \"a.ico\"\nICON \"app\", \"b.ico\"\n");
  // Image ids run on across icons.
  ASSERT_NE(Find(s, qvrc::kTypeIcon, 4), nullptr);
  EXPECT_EQ(DataOf(s, qvrc::kTypeIcon, 3), std::vector<uint8_t>({100, 101, 102, 103, 104, 105, 106, 107}));
  const qvrc::Resource* group = Find(s, qvrc::kTypeGroupIcon, 10);
  ASSERT_NE(group, nullptr);
  const std::vector<uint8_t> expected = {0, 0, 1, 0, 2, 0,                            //
                                         16, 16, 0, 0, 1, 0, 4, 0, 8, 0, 0, 0, 1, 0,  //
                                         32, 32, 0, 0, 1, 0, 8, 0, 12, 0, 0, 0, 2, 0};
  EXPECT_EQ(group->data, expected);

  std::vector<uint8_t> outside = icon(0);
  outside[6 + 12] = 200;  // the first image's offset past the end
  WriteBytes("bad.ico", outside);
  EXPECT_NE(ErrorOf("ICON 1, \"bad.ico\"").find("image outside the file"), std::string::npos);

  // Entries that all point at the same bytes would copy them once per entry.
  std::vector<uint8_t> shared = {0, 0, 1, 0, 200, 0};
  for (int i = 0; i < 200; ++i) {
    const uint8_t entry[16] = {16, 16, 0, 0, 1, 0, 4, 0, 0x20, 0x0C, 0, 0, 6, 0, 0, 0};  // 3104 bytes at 6
    shared.insert(shared.end(), entry, entry + 16);
  }
  shared.resize(3200 + 6);
  WriteBytes("shared.ico", shared);
  EXPECT_NE(ErrorOf("ICON 1, \"shared.ico\"").find("images overlap"), std::string::npos);
}

TEST_F(Qvrc, NamedTypesNamesAndFiles) {
  Write("data/page.htm", std::string("<html>\0</html>", 14));
  const qvrc::Script s = Compile(
      "RESOURCE \"text\", \"about\", FILE \"data/page.htm\"\n"
      "RESOURCE 10, \"#12\", \"number twelve\"\n");
  ASSERT_EQ(s.resources.size(), 2u);
  EXPECT_EQ(s.resources[0].type, qvrc::ResName::Text("TEXT"));
  EXPECT_EQ(s.resources[0].name, qvrc::ResName::Text("ABOUT"));
  EXPECT_EQ(s.resources[0].data.size(), 14u);  // bytes as they are, NUL included
  EXPECT_EQ(s.resources[1].name, qvrc::ResName::Number(12));

  EXPECT_NE(ErrorOf("RESOURCE \"TEXT\", \"\", \"x\"").find("bad resource id"), std::string::npos);
  EXPECT_NE(ErrorOf("RESOURCE \"TEXT\", \"#70000\", \"x\"").find("out of range"), std::string::npos);
  const std::string dup = ErrorOf("RESOURCE \"TEXT\", 1, \"a\"\n\nRESOURCE \"text\", 1, \"b\"");
  EXPECT_NE(dup.find(":3: resource 1 of type \"TEXT\" in language 1033 is already defined at "), std::string::npos)
      << dup;
}

TEST_F(Qvrc, IncludesReadScriptsAndTheConstantsOfHeaders) {
  Write("inc/ids.h",
        "#ifndef IDS_H\n#define IDS_H\n"
        "#include <stdio.h>\n"
        "#include \"more.h\"\n"
        "#define IDD_MAIN 100 // the main dialog\n"
        "#define IDD_NEXT (IDD_MAIN + 1) /* next */\n"
        "#define TITLE \"not a number\"\n"
        "#define MAX(a, b) ((a) > (b) ? (a) : (b))\n"
        "#define LONG_ONE \\\n   7\n"
        "struct NotResources { int x; };\n"
        "#endif\n");
  Write("inc/more.h", "\xEF\xBB\xBF#define IDD_MORE 300\n");  // with a byte order mark
  Write("part.rc", "\xEF\xBB\xBF#include \"inc/ids.h\"\nRESOURCE \"T\", IDD_NEXT, \"from part\"\n");
  const qvrc::Script s = Compile("#include \"part.rc\"\nRESOURCE \"T\", IDD_MORE + LONG_ONE, \"main\"\n");
  EXPECT_EQ(Text(s, "T", 101), "from part");
  EXPECT_EQ(Text(s, "T", 307), "main");
  ASSERT_EQ(s.dependencies.size(), 4u);
  EXPECT_EQ(s.dependencies[0], (dir_ / "main.rc").string());

  // Include directories are searched after the including file's own.
  Write("elsewhere/shared.h", "#define SHARED 42\n");
  const qvrc::Script s2 = Compile("#include \"shared.h\"\nRESOURCE \"T\", SHARED, \"x\"\n", {(dir_ / "elsewhere").string()});
  EXPECT_EQ(Text(s2, "T", 42), "x");

  EXPECT_NE(ErrorOf("#include \"nowhere.h\"").find("cannot find file"), std::string::npos);
  Write("loop.rc", "#include \"loop.rc\"\n");
  EXPECT_NE(ErrorOf("#include \"loop.rc\"").find("nested too deeply"), std::string::npos);
  EXPECT_NE(ErrorOf("#include \"inc/ids.h\"\nRESOURCE \"T\", TITLE, \"x\"").find("unknown name 'TITLE'"),
            std::string::npos);
}

TEST_F(Qvrc, EmittedTableAndDependencies) {
  Write("my data.bin", "xyz");
  const qvrc::Script s = Compile("RESOURCE \"A\\\"B\", 3, FILE \"my data.bin\"\nRESOURCE 10, 4, \"\"\n");
  const std::string cpp = qvrc::EmitTable(s, "main.rc");
  EXPECT_NE(cpp.find("{\"A\\042B\", nullptr, kData0, 3u, 0, 3, 1033, 0}"), std::string::npos) << cpp;
  EXPECT_NE(cpp.find("{nullptr, nullptr, kData1, 0u, 10, 4, 1033, 0}"), std::string::npos) << cpp;
  EXPECT_NE(cpp.find("QvResourceTable = {QV_RESOURCE_TABLE_MAGIC, QV_RESOURCE_TABLE_VERSION, 2u"), std::string::npos);
  EXPECT_NE(cpp.find("__attribute__((visibility(\"protected\"))) const QvResourceDirectory QvResourceTable"), std::string::npos);
  const std::string dep = qvrc::EmitDepfile(s, "out dir/res.cpp");
  EXPECT_EQ(dep.rfind("out\\ dir/res.cpp:", 0), 0u) << dep;
  EXPECT_NE(dep.find("my\\ data.bin"), std::string::npos) << dep;
  // A script without resources still makes a valid table.
  EXPECT_NE(qvrc::EmitTable(Compile("// nothing\n"), "x.rc").find(", 0u, 0u, kEntries}"), std::string::npos);
}

}  // namespace
