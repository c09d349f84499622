// The product library's facts and menus, as the program reads them.
#include <set>
#include <string>
#include <vector>

#include "product_test_support.h"

namespace {

// Every command id found in a menu and its submenus.
void CollectCommands(HMENU menu, std::set<UINT>* out) {
  const int count = GetMenuItemCount(menu);
  for (int i = 0; i < count; ++i) {
    if (HMENU sub = GetSubMenu(menu, i)) {
      CollectCommands(sub, out);
    } else {
      const UINT id = GetMenuItemID(menu, i);
      if (id != 0 && id != static_cast<UINT>(-1)) out->insert(id);
    }
  }
}

// The menu as the program loads it: the menu resource of the role's id in
// language 1033, built with LoadMenuIndirect.
HMENU LoadRoleMenu(HMODULE module, int id) {
  HRSRC found = FindResourceExA(module, RT_MENU, MAKEINTRESOURCEA(id), 1033);
  if (found == nullptr) return nullptr;
  const void* bytes = LockResource(LoadResource(module, found));
  return bytes ? LoadMenuIndirectA(static_cast<const MENUTEMPLATEA*>(bytes)) : nullptr;
}

TEST_F(ProductLibrary, MainMenuCarriesEveryPanelCommand) {
  const int id = f_.GetResourceID(10);
  ASSERT_NE(id, 0);
  HMENU menu = LoadRoleMenu(module_, id);
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(GetMenuItemCount(menu), 5);  // File, Profile, View, Tools, Help
  std::set<UINT> commands;
  CollectCommands(menu, &commands);
  for (UINT command : {5000u, 5005u, 5006u, 5007u, 5010u, 5030u, 5040u, 5050u, 5055u, 5060u, 5090u, 5091u, 5230u,
                       5250u, 5260u, 5270u, 5300u, 5310u, 5320u, 5330u, 5341u, 5342u, 5770u, 6101u, 40001u, 40002u,
                       40003u, 40004u, 40007u, 40008u}) {
    EXPECT_EQ(commands.count(command), 1u) << command;
  }
  // The commands the panel greys by selection are in the first menu.
  HMENU first = GetSubMenu(menu, 0);
  for (UINT command : {5000u, 5010u, 5030u, 5050u, 5055u, 5060u}) {
    EXPECT_NE(GetMenuState(first, command, MF_BYCOMMAND), static_cast<UINT>(-1)) << command;
  }
  DestroyMenu(menu);
}

TEST_F(ProductLibrary, PopupMenuHasTrayEmptySpaceAndRowSubmenus) {
  const int id = f_.GetResourceID(20);
  ASSERT_NE(id, 0);
  ASSERT_NE(id, f_.GetResourceID(10));
  HMENU menu = LoadRoleMenu(module_, id);
  ASSERT_NE(menu, nullptr);
  ASSERT_EQ(GetMenuItemCount(menu), 3);
  std::set<UINT> tray, space, row;
  CollectCommands(GetSubMenu(menu, 0), &tray);
  CollectCommands(GetSubMenu(menu, 1), &space);
  CollectCommands(GetSubMenu(menu, 2), &row);
  EXPECT_EQ(tray.count(5780u), 1u);
  EXPECT_EQ(space.count(5040u), 1u);
  // The list styles (checked by the panel) and 5010 (greyed by the panel).
  for (UINT style : {40003u, 40004u, 40007u, 40008u}) {
    EXPECT_EQ(space.count(style), 1u) << style;
    EXPECT_EQ(row.count(style), 1u) << style;
  }
  for (UINT command : {5000u, 5010u, 5030u, 5050u, 5055u, 5060u}) EXPECT_EQ(row.count(command), 1u) << command;
  DestroyMenu(menu);
}

TEST_F(ProductLibrary, OtherRolesHaveNoResource) {
  for (int role : {0, 1, 11, 30, -1}) EXPECT_EQ(f_.GetResourceID(role), 0) << role;
}

TEST_F(ProductLibrary, TitleAndVersionIsCutToTheBuffer) {
  char text[100];
  f_.GetTitleAndVersion(text, sizeof text);
  EXPECT_STREQ(text, "Quorvane 4.0");
  char small[5] = "xxxx";
  f_.GetTitleAndVersion(small, sizeof small);
  EXPECT_STREQ(small, "Quor");
  char untouched[2] = "y";
  f_.GetTitleAndVersion(untouched, 0);
  EXPECT_STREQ(untouched, "y");
}

TEST_F(ProductLibrary, WebPagesArePerPageAndLanguage) {
  std::set<std::string> english;
  for (int page = 1; page <= 5; ++page) {
    const std::string address = f_.GetWebPage("ENGLISH", 1, page);
    EXPECT_EQ(address.rfind("http://www.quorvane.example/", 0), 0u) << address;
    // The panel appends "?Version=..." to page 3, so no page carries a query.
    EXPECT_EQ(address.find('?'), std::string::npos) << address;
    english.insert(address);
  }
  EXPECT_EQ(english.size(), 5u);
  EXPECT_EQ(std::string(f_.GetWebPage("english", 1, 1)), f_.GetWebPage("ENGLISH", 1, 1));
  EXPECT_NE(std::string(f_.GetWebPage("German", 1, 1)), f_.GetWebPage("ENGLISH", 1, 1));
  // No pages in Spanish: the English ones; no language text at all: the same.
  EXPECT_EQ(std::string(f_.GetWebPage("SPANISH", 1, 2)), f_.GetWebPage("ENGLISH", 1, 2));
  EXPECT_EQ(std::string(f_.GetWebPage(nullptr, 1, 2)), f_.GetWebPage("ENGLISH", 1, 2));
  for (int page : {0, 6, -1}) EXPECT_STREQ(f_.GetWebPage("ENGLISH", 1, page), "") << page;
}

TEST_F(ProductLibrary, SnmpRootEndsInAnInstanceNumberAndRegistryPartIsAName) {
  char oid[100] = {};
  f_.GetSNMPOid(oid);
  const std::string text = oid;
  const size_t dot = text.rfind('.');
  ASSERT_NE(dot, std::string::npos);
  ASSERT_LT(dot + 1, text.size());
  EXPECT_EQ(text.find_first_not_of("0123456789."), std::string::npos);
  EXPECT_GT(std::stoul(text.substr(dot + 1)), 0u);

  char key[100] = {};
  f_.GetProductRegKey(key);
  EXPECT_STREQ(key, "Quorvane");
}

}  // namespace
