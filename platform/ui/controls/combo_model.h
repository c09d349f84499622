// A combo box's list and drop-down state, and the notifications each thing a
// user does to it sends, in the order Windows sends them:
//   - arrow keys with the list closed: CBN_SELENDOK, CBN_SELCHANGE;
//   - the list opened, arrow keys in it, then Enter: CBN_DROPDOWN, CBN_SELCHANGE
//     for every move, CBN_SELENDOK, CBN_CLOSEUP;
//   - the list opened and an item clicked: CBN_DROPDOWN, CBN_SELENDOK,
//     CBN_CLOSEUP, CBN_SELCHANGE (the list is already closed when the change is told);
//   - the list closed without a choice (Escape, a click elsewhere, focus leaving):
//     CBN_SELENDCANCEL, CBN_CLOSEUP;
//   - a simple combo box (its list always shown) sends CBN_SELENDOK right before
//     every CBN_SELCHANGE and never CBN_DROPDOWN, CBN_CLOSEUP or CBN_SELENDCANCEL.
// A selection that does not change sends no CBN_SELCHANGE.
#pragma once

#include <vector>

#include "ui/controls/item_list.h"

namespace qvp::ui {

class ComboModel {
 public:
  enum class Kind { kSimple, kDropDown, kDropDownList };
  using Steps = std::vector<int>;  // CBN_ codes, to be sent in this order

  explicit ComboModel(Kind kind) : kind_(kind) {}

  Kind kind() const { return kind_; }
  ItemList& items() { return items_; }
  const ItemList& items() const { return items_; }
  int cur_sel() const { return items_.cur_sel(); }
  bool dropped() const { return dropped_; }

  // The user opens the list (F4, Alt+Down, a click on the button).
  Steps DropDown();
  // The user closes the list: accepting (Enter, F4, Alt+Up) or not (Escape, elsewhere).
  Steps CloseUp(bool accept);
  // The user clicks an item of the list.
  Steps Pick(int index);
  // A key (arrows, page keys, home, end, a character) moves the selection to `index`.
  Steps Step(int index);

  // Opens or closes the list without a user's choice (CB_SHOWDROPDOWN): only
  // CBN_DROPDOWN or CBN_CLOSEUP.
  Steps Show(bool show);

 private:
  Steps Changed(bool changed) const;

  Kind kind_;
  ItemList items_{ItemList::Mode::kSingle};
  bool dropped_ = false;
};

}  // namespace qvp::ui
