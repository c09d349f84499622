#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "qvplatform.h"
#include "qvplatform/dlgtemplate.h"
#include "testdata/menu_ids.h"

extern "C" const QvResourceDirectory QvResourceTable;

namespace {

const HMODULE kModule = reinterpret_cast<HMODULE>(static_cast<uintptr_t>(0x7e570000));

class MenuLoad : public ::testing::Test {
 protected:
  void SetUp() override { qvp::RegisterResourceTableForTests(kModule, &QvResourceTable); }
  void TearDown() override { qvp::RegisterResourceTableForTests(kModule, nullptr); }
};

std::string TextAt(HMENU m, int pos) {
  char buf[64];
  int n = GetMenuStringA(m, static_cast<UINT>(pos), buf, sizeof buf, MF_BYPOSITION);
  return std::string(buf, static_cast<size_t>(n));
}

TEST_F(MenuLoad, FromACompiledResource) {
  HMENU bar = LoadMenuA(kModule, MAKEINTRESOURCEA(IDM_MAIN));
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  EXPECT_EQ(TextAt(bar, 0), "&Profile");
  EXPECT_EQ(GetMenuState(bar, 1, MF_BYPOSITION) & 0xFF, static_cast<UINT>(MF_POPUP | MF_DISABLED));
  HMENU profile = GetSubMenu(bar, 0);
  ASSERT_NE(profile, nullptr);
  ASSERT_EQ(GetMenuItemCount(profile), 6);
  EXPECT_EQ(GetMenuItemID(profile, 0), static_cast<UINT>(CMD_NEW));
  EXPECT_EQ(GetMenuState(profile, 1, MF_BYPOSITION), static_cast<UINT>(MF_GRAYED));
  EXPECT_EQ(GetMenuState(profile, 2, MF_BYPOSITION), static_cast<UINT>(MF_SEPARATOR));
  EXPECT_EQ(TextAt(profile, 5), "E&xit");
  HMENU view = GetSubMenu(profile, 3);
  ASSERT_NE(view, nullptr);
  EXPECT_EQ(GetMenuItemID(view, 1), static_cast<UINT>(CMD_DETAILS));
  // Items of the loaded tree answer by command from the top.
  EXPECT_EQ(CheckMenuItem(bar, CMD_DETAILS, MF_BYCOMMAND | MF_UNCHECKED), static_cast<DWORD>(MF_CHECKED));
  EXPECT_EQ(EnableMenuItem(bar, CMD_EDIT, MF_BYCOMMAND | MF_ENABLED), MF_GRAYED);
  ASSERT_TRUE(DestroyMenu(bar));
  EXPECT_FALSE(IsMenu(view));

  // Each load makes a menu of its own.
  HMENU a = LoadMenuA(kModule, MAKEINTRESOURCEA(IDM_POPUPS));
  HMENU b = LoadMenuA(kModule, MAKEINTRESOURCEA(IDM_POPUPS));
  ASSERT_NE(a, nullptr);
  ASSERT_NE(b, nullptr);
  EXPECT_NE(GetSubMenu(a, 0), GetSubMenu(b, 0));
  DestroyMenu(a);
  DestroyMenu(b);

  SetLastError(0);
  EXPECT_EQ(LoadMenuA(kModule, MAKEINTRESOURCEA(999)), nullptr);
  EXPECT_NE(GetLastError(), 0u);
}

TEST_F(MenuLoad, IndirectFromTheResourceBytesAndACopyOfThem) {
  HRSRC info = FindResourceA(kModule, MAKEINTRESOURCEA(IDM_POPUPS), RT_MENU);
  ASSERT_NE(info, nullptr);
  const void* bytes = LockResource(LoadResource(kModule, info));
  std::vector<BYTE> copy(static_cast<const BYTE*>(bytes),
                         static_cast<const BYTE*>(bytes) + SizeofResource(kModule, info));
  for (const void* block : {bytes, static_cast<const void*>(copy.data())}) {
    HMENU m = LoadMenuIndirectA(block);
    ASSERT_NE(m, nullptr);
    HMENU tray = GetSubMenu(m, 0);
    EXPECT_EQ(GetMenuItemID(tray, 0), static_cast<UINT>(CMD_EXIT));
    EXPECT_EQ(GetMenuItemID(GetSubMenu(m, 1), 0), static_cast<UINT>(CMD_NEW));
    DestroyMenu(m);
  }
}

TEST(MenuLoadIndirect, FromTheWriterAndRefusingBrokenBlocks) {
  std::vector<qvp::MenuItemDesc> top(2);
  top[0].text = "&File";
  top[0].children.resize(2);
  top[0].children[0].text = "&Open";
  top[0].children[0].id = 11;
  top[0].children[1].flags = qvp::kMenuSeparator;
  top[1].text = "Empty";
  top[1].popup = true;
  std::vector<uint8_t> block;
  std::string error;
  ASSERT_TRUE(qvp::BuildMenuTemplate(top, &block, &error)) << error;

  HMENU m = LoadMenuIndirectA(block.data());
  ASSERT_NE(m, nullptr);
  EXPECT_EQ(GetMenuItemCount(GetSubMenu(m, 0)), 2);
  HMENU empty = GetSubMenu(m, 1);
  ASSERT_NE(empty, nullptr);  // a pop-up without items is still a pop-up
  EXPECT_EQ(GetMenuItemCount(empty), 0);
  DestroyMenu(m);

  SetLastError(0);
  EXPECT_EQ(LoadMenuIndirectA(nullptr), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_PARAMETER));

  // A block whose header claims more bytes than were written is never read past its end.
  std::vector<uint8_t> lying = block;
  qvp::MenuBlockHeader h;
  std::memcpy(&h, lying.data(), sizeof h);
  h.item_count = 200;
  std::memcpy(lying.data(), &h, sizeof h);
  SetLastError(0);
  EXPECT_EQ(LoadMenuIndirectA(lying.data()), nullptr);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_INVALID_DATA));

  std::vector<uint8_t> garbage(64, 0xAB);
  EXPECT_EQ(LoadMenuIndirectA(garbage.data()), nullptr);
}

}  // namespace
