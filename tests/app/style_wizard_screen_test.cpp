// The style wizard on a screen: a new user opens it from the Tools menu of the
// built quorvane on a private X server, makes a new style with the keyboard
// and finishes; the style is in Style.ini beside the resource library.
#include <string>

#include <gtest/gtest.h>

#include "screen_session.h"

namespace {

class StyleWizardOnScreen : public qvtest::ScreenTest {
 protected:
  StyleWizardOnScreen() : ScreenTest({.folder = "qvstylewiz", .modules = {"VIC32.DLL", "Style.ini", "Base"}}) {}
};

TEST_F(StyleWizardOnScreen, ANewUserMakesAStyleFromTheToolsMenu) {
  const unsigned long panel = StartToPanel();
  ASSERT_NE(panel, 0u) << program_->Output();
  // Tools on the menu bar, then its second item, Style Wizard.
  const unsigned long wizard = OpenFromMenu(panel, 130, 135, 82, "Style Wizard");
  ASSERT_NE(wizard, 0u) << program_->Output();
  const RECT w = server_->Geometry(wizard);
  ASSERT_EQ(Click(w.left + 200, w.top + 10), 0);  // its title bar
  // A new style (its radio button on the first page); through the five pages
  // with Next (the default button); a name in the box of the last page, and Finish.
  ASSERT_EQ(Click(w.left + 40, w.top + 92), 0);
  ASSERT_EQ(Keys({"Return", "Return", "Return", "Return", "Return"}, 250, "0.3"), 0);
  ASSERT_EQ(Click(w.left + 60, w.top + 103), 0);
  ASSERT_EQ(Type("Evening", 100), 0);
  ASSERT_EQ(Click(w.left + 397, w.top + 413), 0);
  EXPECT_TRUE(WaitUntilClosed("Style Wizard")) << program_->Output();
  const std::string styles = ReadProgramFile("Style.ini");
  EXPECT_NE(styles.find("Style 3=Evening"), std::string::npos) << styles << program_->Output();
  EXPECT_NE(styles.find("[Evening]"), std::string::npos) << styles;
  EXPECT_NE(styles.find("[Sky]"), std::string::npos) << styles;
  // The program goes on; closing its panel ends it.
  server_->AskToClose(panel);
  EXPECT_EQ(program_->Wait(), 0) << program_->Output();
}

}  // namespace
