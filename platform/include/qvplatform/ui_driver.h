// The window system's test driver: finds windows, acts on them as a user
// would, reads what they hold and what they painted, and drives dialogs that
// modal loops run (however deeply nested) from the modal idle hook.
//
// A user's action is given as the input the user's hand would give: mouse
// and key messages posted to the window's queue, where the application's loop
// (and IsDialogMessage) takes them, so that the controls' own handling sends
// the notifications that follow. Only the system's own part is done directly:
// WM_MOUSEACTIVATE and activation for a click on an inactive window, and
// moving the focus the way the Tab key does.
//
// The driver acts on the calling thread's windows (focus and capture belong
// to a thread). Tests include this header themselves; it is no part of
// qvplatform.h.
#pragma once

#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "qvplatform.h"

namespace qvp {

// What a driver action came to: done, or why it could not be done.
struct Outcome {
  bool ok = true;
  std::string problem;

  explicit operator bool() const { return ok; }
  static Outcome Done() { return {}; }
  static Outcome Fail(std::string why) { return {false, std::move(why)}; }
};

namespace driver {

// A user's action as its phases: each gives input, and the application handles
// it before the next phase looks at what came of it (opening a drop-down list,
// then clicking one of its items).
using Phases = std::vector<std::function<Outcome()>>;

// ---- Finding windows ----

struct WindowQuery {
  std::string class_name;            // empty: any; compared without regard to case
  std::optional<std::string> title;  // the window text, exactly or with its '&' marks left out
  std::optional<int> id;             // a child's control id
  UINT template_id = 0;              // a dialog made from this template resource; 0: any
  HWND within = nullptr;             // the descendants of this window; null: every window
  bool visible_only = false;         // only windows that are visible with all their ancestors
};

// The windows that match, top-level windows in z-order each followed by its
// descendants (depth first, in z-order).
std::vector<HWND> FindAll(const WindowQuery& query);
HWND Find(const WindowQuery& query);
// A control by id inside `dialog` (its pages included), else in the dialogs around it.
HWND FindControl(HWND dialog, int id);
// The resource id of the template a dialog was made from; 0 when none is known.
UINT DialogTemplateId(HWND dialog);

// ---- Acting as a user ----
// Each of these acts at once: the input it gives is handled through Pump()
// before it returns (and before a later phase of it looks). Inside a modal
// loop, the UiDriver's steps leave that handling to the loop instead.

// A left click at the window's centre, or at `at` (client coordinates).
Outcome Click(HWND window, std::optional<POINT> at = std::nullopt);
Outcome DoubleClick(HWND window, std::optional<POINT> at = std::nullopt);
// Moves the focus to a control as the Tab key would (an edit's text gets selected).
Outcome Focus(HWND control);
// Types `text` into whatever has the focus: WM_KEYDOWN, WM_CHAR (made by the
// loop's TranslateMessage) and WM_KEYUP per character, Shift as needed; '\t',
// '\r' ('\n') and '\b' are the Tab, Enter and Backspace keys.
Outcome Type(const std::string& text);
// Focus, then type: the control's text is replaced by `text`.
Outcome TypeInto(HWND control, const std::string& text);

enum Modifier : UINT { kNone = 0, kShift = 1, kControl = 2, kAlt = 4 };
// A key (VK_RETURN, VK_ESCAPE, VK_TAB, VK_DOWN, ...) with modifiers held.
Outcome Press(UINT vk, UINT modifiers = kNone);
// Clicks a check box or radio button until it shows `state` (BST_CHECKED, ...).
Outcome Check(HWND button, UINT state = BST_CHECKED);
// Picks an item of a list box, combo box, list view or tab strip as a user's
// mouse would: clicks on the item (opening a drop-down list first).
Outcome Select(HWND list, int index);
Outcome Select(HWND list, const std::string& text);

// Handles the calling thread's waiting messages as an application's loop
// does: keys go through the dialog manager of the dialog or property sheet
// they are for. For acting outside modal loops (modeless windows).
void Pump();

// ---- Reading ----

std::string Text(HWND window);
UINT CheckState(HWND button);
bool Enabled(HWND window);  // the window and the windows around it
bool Visible(HWND window);  // the window and the windows around it
// The items of a list box, combo box, list view (first column) or tab strip.
std::vector<std::string> Items(HWND list);
// The selected item's index (the first one of several), or -1.
int Selection(HWND list);
std::string SelectedText(HWND list);
// What the window paints: it is repainted now and its paint log returned.
PaintLog Painted(HWND window);

}  // namespace driver

// Drives dialogs from the modal idle hook. A test queues steps ("when dialog
// 31002 appears: check 10001, click OK"); the driver runs them in order as the
// modal loops idle, one user action per idle, each step waiting until its
// window is up and can take input (visible, and not blocked by a dialog
// opened over it). Message boxes and common dialogs are answered by the
// driver's prompt script; a prompt nobody expected is a problem of the test.
//
// When a modal loop idles for the stall limit's number of rounds with nothing
// the driver can do, the driver records why and ends that loop's dialog with
// IDCANCEL, so that a test fails instead of hanging.
//
// Steps are queued on the thread that runs the dialogs, before it opens them
// or from within a step. One UiDriver at a time: it owns the modal idle hook.
class UiDriver {
 public:
  class Step;

  UiDriver();
  ~UiDriver();
  UiDriver(const UiDriver&) = delete;
  UiDriver& operator=(const UiDriver&) = delete;

  // A step for the next dialog made from template `template_id` (property
  // pages included) that is up and can take input.
  Step& OnDialog(UINT template_id);
  // A step for the next window matching `query` that is up and can take input.
  Step& OnWindow(driver::WindowQuery query);

  // The prompt script that answers message boxes and common dialogs.
  PromptScript& Prompts();
  UiDriver& ExpectMessageBox(std::string text_contains, int answer);

  // Runs queued steps without a modal loop: pumps the calling thread's
  // messages (driver::Pump) and acts whenever the queue is empty, until every
  // step is done or nothing more happens.
  void RunPending();

  size_t PendingSteps() const;
  // Everything that went wrong, in order: actions that could not be done,
  // steps still waiting, prompts nobody expected (with caption and text),
  // expected prompts that never came, stalls. Empty for a clean run.
  std::vector<std::string> Problems();

  void SetStallLimit(int idle_rounds);

  struct State;

 private:
  std::shared_ptr<State> state_;
};

class UiDriver::Step {
 public:
  Step& Click(int control_id);
  // A push button by its text ("OK", "&Next >" or "Next >").
  Step& ClickButton(const std::string& text);
  Step& DoubleClick(int control_id);
  Step& Check(int control_id, UINT state = BST_CHECKED);
  Step& Focus(int control_id);
  Step& Type(int control_id, std::string text);  // replaces the control's text
  Step& Type(std::string text);                  // into whatever has the focus
  Step& Press(UINT vk, UINT modifiers = driver::kNone);
  Step& Select(int control_id, int index);
  Step& Select(int control_id, std::string text);
  // Reads a control's text when the step gets there.
  Step& Read(int control_id, std::string* text);
  // Anything else, with the step's window.
  Step& Do(std::function<void(HWND window)> action);

  // An action of the test's own, given as phases built when the step gets there.
  Step& Add(std::string what, std::function<driver::Phases(HWND window)> make);

  struct Action {
    std::string what;
    std::function<driver::Phases(HWND window)> make;
  };

 private:
  friend class UiDriver;
  driver::WindowQuery query_;
  std::string name_;  // how problems name the step's window
  std::vector<Action> actions_;
};

}  // namespace qvp
