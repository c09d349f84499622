// The state of a "ComboBox" control and what its procedure, input handling
// and painting share. A drop-down combo box keeps the height of its selection
// field; the height it is given is the height of the field with the list open.
#pragma once

#include <memory>

#include "qvplatform/ui.h"
#include "qvplatform/ui_controls.h"
#include "ui/controls/combo_model.h"
#include "ui/controls/control_font.h"
#include "ui/controls/list_ops.h"

namespace qvp::ui {

// The control id of a combo box's edit part, as on Windows.
inline constexpr int kComboEditId = 1001;

struct ComboState {
  explicit ComboState(ComboModel::Kind kind) : model(kind) {}

  ComboModel model;
  HWND edit = nullptr;  // CBS_DROPDOWN and CBS_SIMPLE
  HFONT font = nullptr;
  FontMetrics metrics;
  UINT item_height = 0;   // of the list's items
  UINT field_height = 0;  // of the selection field (CB_SETITEMHEIGHT -1)
  int drop_height = 0;    // the whole control's height with the list open
  int dropped_width = 0;
  int hot = -1;           // the item under the mouse in the open list
  bool focused = false;
  bool extended_ui = false;
  bool setting_text = false;  // the combo box is changing its own edit
  bool resizing = false;      // the combo box is changing its own height
  bool pressed = false;       // the left button went down on the control
  HWND list_window = nullptr;  // the pop-up that shows the open list
};

// The class of the pop-up that shows a drop-down combo box's open list.
inline constexpr const char* kComboListClass = "ComboLBox";
LRESULT CALLBACK ComboListWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
// Shows the open list under the control, or hides it.
void ShowComboList(HWND combo, ComboState& s, bool show);

std::shared_ptr<ComboState> ComboStateOf(HWND hwnd);
ListOwner OwnerOf(HWND hwnd, const ComboState& s);
// The selection field (the edit part's place), and the drop-down button, in client coordinates.
RECT FieldRect(HWND hwnd, const ComboState& s);
RECT ButtonRect(HWND hwnd, const ComboState& s);
// The open list in client coordinates of the combo box (below it), and the item under a point in it.
RECT ListRect(HWND hwnd, const ComboState& s);
int ListItemAt(HWND hwnd, const ComboState& s, POINT p);
// Where the list's items lie: inside the sunken edge of a simple combo box's list.
RECT ListItemsRect(HWND hwnd, const ComboState& s);
int ListVisibleItems(HWND hwnd, const ComboState& s);

// Sends the steps of the model, in order, after showing the new selection.
void RunSteps(HWND hwnd, ComboState& s, const ComboModel::Steps& steps);
// Shows the selection in the edit part (or the field of a drop-down list).
void ShowSelection(HWND hwnd, ComboState& s);

// ---- Input (combo_input.cpp) ----
void ComboMouse(HWND hwnd, ComboState& s, UINT msg, LPARAM lp);
void ComboKey(HWND hwnd, ComboState& s, UINT msg, WPARAM vk);
void ComboChar(HWND hwnd, ComboState& s, WPARAM ch);
// WM_COMMAND from the edit part.
void ComboEditCommand(HWND hwnd, ComboState& s, int code);

// ---- Painting (combo_paint.cpp) ----
void PaintCombo(HWND hwnd, const ComboState& s, HDC hdc);

}  // namespace qvp::ui
