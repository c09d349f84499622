#include "ui/controls/combo_model.h"

#include "qvplatform/ui_controls.h"

namespace qvp::ui {

ComboModel::Steps ComboModel::DropDown() {
  if (kind_ == Kind::kSimple || dropped_) return {};
  dropped_ = true;
  return {CBN_DROPDOWN};
}

ComboModel::Steps ComboModel::CloseUp(bool accept) {
  if (!dropped_) return {};
  dropped_ = false;
  return {accept ? CBN_SELENDOK : CBN_SELENDCANCEL, CBN_CLOSEUP};
}

ComboModel::Steps ComboModel::Show(bool show) {
  if (kind_ == Kind::kSimple || dropped_ == show) return {};
  dropped_ = show;
  return {show ? CBN_DROPDOWN : CBN_CLOSEUP};
}

ComboModel::Steps ComboModel::Pick(int index) {
  if (!items_.valid(index)) return {};
  const bool changed = items_.SetCurSel(index);
  if (dropped_) {
    dropped_ = false;
    Steps s{CBN_SELENDOK, CBN_CLOSEUP};
    if (changed) s.push_back(CBN_SELCHANGE);
    return s;
  }
  return Changed(changed);
}

ComboModel::Steps ComboModel::Step(int index) {
  if (items_.count() == 0) return {};
  const bool changed = items_.MoveTo(index, false, false);
  return Changed(changed);
}

ComboModel::Steps ComboModel::Changed(bool changed) const {
  if (!changed) return {};
  if (dropped_) return {CBN_SELCHANGE};
  return {CBN_SELENDOK, CBN_SELCHANGE};
}

}  // namespace qvp::ui
