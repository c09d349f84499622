// X key symbols as virtual keys and characters.
#include <gtest/gtest.h>

#include "display/x11_keys.h"
#include "qvplatform.h"

#include <X11/keysym.h>

namespace {

using qvp::display::CharOfKeysym;
using qvp::display::KeyOfKeysym;

TEST(X11Keys, PrintableKeysAreNamedByTheirPlaceOnTheUsKeyboard) {
  EXPECT_EQ(KeyOfKeysym(XK_a, XK_a).vk, static_cast<UINT>('A'));
  EXPECT_EQ(KeyOfKeysym(XK_A, XK_a).vk, static_cast<UINT>('A'));  // shifted
  EXPECT_EQ(KeyOfKeysym(XK_exclam, XK_1).vk, static_cast<UINT>('1'));
  EXPECT_EQ(KeyOfKeysym(XK_space, XK_space).vk, static_cast<UINT>(VK_SPACE));
  EXPECT_EQ(KeyOfKeysym(XK_semicolon, XK_semicolon).vk, static_cast<UINT>(VK_OEM_1));
  EXPECT_EQ(KeyOfKeysym(XK_slash, XK_slash).vk, static_cast<UINT>(VK_OEM_2));
  // A layout whose key alone makes a shifted US character still names a key.
  EXPECT_EQ(KeyOfKeysym(XK_1, XK_ampersand).vk, static_cast<UINT>('7'));
  // A letter with no US key (e acute) has no key name of its own...
  EXPECT_EQ(KeyOfKeysym(XK_eacute, XK_eacute).vk, 0u);
}

TEST(X11Keys, EditingFunctionAndModifierKeys) {
  EXPECT_EQ(KeyOfKeysym(XK_Return, XK_Return).vk, static_cast<UINT>(VK_RETURN));
  EXPECT_FALSE(KeyOfKeysym(XK_Return, XK_Return).extended);
  EXPECT_TRUE(KeyOfKeysym(XK_KP_Enter, XK_KP_Enter).extended);
  EXPECT_EQ(KeyOfKeysym(XK_ISO_Left_Tab, XK_Tab).vk, static_cast<UINT>(VK_TAB));
  EXPECT_EQ(KeyOfKeysym(XK_Left, XK_Left).vk, static_cast<UINT>(VK_LEFT));
  EXPECT_TRUE(KeyOfKeysym(XK_Left, XK_Left).extended);
  EXPECT_EQ(KeyOfKeysym(XK_F5, XK_F5).vk, static_cast<UINT>(VK_F5));
  EXPECT_EQ(KeyOfKeysym(XK_F12, XK_F12).vk, static_cast<UINT>(VK_F12));
  EXPECT_EQ(KeyOfKeysym(XK_Shift_R, XK_Shift_R).vk, static_cast<UINT>(VK_SHIFT));
  EXPECT_EQ(KeyOfKeysym(XK_Alt_L, XK_Alt_L).vk, static_cast<UINT>(VK_MENU));
  EXPECT_TRUE(KeyOfKeysym(XK_Control_R, XK_Control_R).extended);
  // The keypad follows Num Lock: digits with it, movement without.
  EXPECT_EQ(KeyOfKeysym(XK_KP_1, XK_KP_End).vk, static_cast<UINT>(VK_NUMPAD1));
  EXPECT_EQ(KeyOfKeysym(XK_KP_End, XK_KP_End).vk, static_cast<UINT>(VK_END));
  EXPECT_FALSE(KeyOfKeysym(XK_KP_End, XK_KP_End).extended);
  EXPECT_EQ(KeyOfKeysym(XK_VoidSymbol, XK_VoidSymbol).vk, 0u);
}

TEST(X11Keys, CharactersInTheWindowsCodePage) {
  EXPECT_EQ(CharOfKeysym(XK_a), 'a');
  EXPECT_EQ(CharOfKeysym(XK_A), 'A');
  EXPECT_EQ(CharOfKeysym(XK_eacute), 0xE9);
  EXPECT_EQ(CharOfKeysym(XK_EuroSign), 0x80);
  EXPECT_EQ(CharOfKeysym(XK_KP_5), '5');
  EXPECT_EQ(CharOfKeysym(XK_Left), 0);
  EXPECT_EQ(CharOfKeysym(0x1000416), 0);  // a Cyrillic letter: no ANSI character
}

}  // namespace
