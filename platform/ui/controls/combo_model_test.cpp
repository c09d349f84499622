#include "ui/controls/combo_model.h"

#include <gtest/gtest.h>

#include "qvplatform/ui_controls.h"

namespace qvp::ui {
namespace {

using Steps = ComboModel::Steps;

ComboModel Filled(ComboModel::Kind kind) {
  ComboModel m(kind);
  for (const char* t : {"one", "two", "three"}) m.items().Insert(-1, ListItem{t});
  return m;
}

TEST(ComboModelTest, MouseChoiceFromTheOpenList) {
  ComboModel m = Filled(ComboModel::Kind::kDropDownList);
  EXPECT_EQ(m.DropDown(), (Steps{CBN_DROPDOWN}));
  EXPECT_TRUE(m.dropped());
  EXPECT_EQ(m.DropDown(), Steps{});
  EXPECT_EQ(m.Pick(1), (Steps{CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE}));
  EXPECT_FALSE(m.dropped());
  EXPECT_EQ(m.cur_sel(), 1);
  // Choosing the item already selected changes nothing.
  m.DropDown();
  EXPECT_EQ(m.Pick(1), (Steps{CBN_SELENDOK, CBN_CLOSEUP}));
}

TEST(ComboModelTest, KeysWithTheListOpenAndClosed) {
  ComboModel m = Filled(ComboModel::Kind::kDropDown);
  EXPECT_EQ(m.Step(0), (Steps{CBN_SELENDOK, CBN_SELCHANGE}));
  EXPECT_EQ(m.Step(0), Steps{});
  m.DropDown();
  EXPECT_EQ(m.Step(2), (Steps{CBN_SELCHANGE}));
  EXPECT_EQ(m.CloseUp(true), (Steps{CBN_SELENDOK, CBN_CLOSEUP}));
  EXPECT_EQ(m.cur_sel(), 2);
  // Escape closes without a choice; the moves already made stay.
  m.DropDown();
  m.Step(1);
  EXPECT_EQ(m.CloseUp(false), (Steps{CBN_SELENDCANCEL, CBN_CLOSEUP}));
  EXPECT_EQ(m.cur_sel(), 1);
  EXPECT_EQ(m.CloseUp(false), Steps{});
  // Steps past either end stop there.
  EXPECT_EQ(m.Step(9), (Steps{CBN_SELENDOK, CBN_SELCHANGE}));
  EXPECT_EQ(m.cur_sel(), 2);
}

TEST(ComboModelTest, SimpleComboNeverOpensOrCloses) {
  ComboModel m = Filled(ComboModel::Kind::kSimple);
  EXPECT_EQ(m.DropDown(), Steps{});
  EXPECT_EQ(m.Show(true), Steps{});
  EXPECT_EQ(m.Pick(2), (Steps{CBN_SELENDOK, CBN_SELCHANGE}));
  EXPECT_EQ(m.Step(1), (Steps{CBN_SELENDOK, CBN_SELCHANGE}));
}

TEST(ComboModelTest, ShowingFromCodeTellsOnlyTheOpeningAndClosing) {
  ComboModel m = Filled(ComboModel::Kind::kDropDownList);
  EXPECT_EQ(m.Show(true), (Steps{CBN_DROPDOWN}));
  EXPECT_EQ(m.Show(true), Steps{});
  EXPECT_EQ(m.Show(false), (Steps{CBN_CLOSEUP}));
  EXPECT_EQ(m.Pick(7), Steps{});
  ComboModel empty(ComboModel::Kind::kDropDownList);
  EXPECT_EQ(empty.Step(0), Steps{});
}

}  // namespace
}  // namespace qvp::ui
