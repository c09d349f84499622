// UiDriver: queued steps run from the modal idle hook, one phase of one user
// action per idle, and the record of everything that went wrong.
#include <deque>
#include <mutex>

#include "ui/dialog_state.h"
#include "ui/driver/driver_input.h"
#include "ui/window_state.h"

namespace qvp {

using driver::Phases;

struct UiDriver::State {
  std::mutex lock;
  std::deque<std::unique_ptr<Step>> steps;  // the first one is under way
  size_t steps_done = 0;
  uint64_t step_serial = 0;  // changes whenever the first step moves on
  HWND window = nullptr;     // the first step's window, once it came up
  size_t action = 0;         // the first step's action under way
  uint64_t action_serial = 0;  // changes whenever an action starts
  bool built = false;        // that action's phases are made
  Phases phases;
  size_t phase = 0;
  int idle_rounds = 0;  // idles in a row in which nothing could be done
  int stall_limit = 1000;
  std::vector<std::string> problems;
  PromptScript prompts;

  void Idle();
  void Stalled();
  void NextStep();
  void StartAction(size_t index);
  std::string StepName(size_t index_from_now) const;
};

namespace {

bool Ended(HWND window) {
  qvp::ui::DialogInfo info;
  return qvp::ui::GetDialog(window, &info) && info.ended;
}

// The window a step waits for, once it is up and takes input.
HWND Ready(const driver::WindowQuery& query) {
  driver::WindowQuery q = query;
  q.visible_only = true;
  for (HWND h : driver::FindAll(q))
    if (driver::Usable(h) && !Ended(h)) return h;
  return nullptr;
}

// The dialog whose modal loop is idling: the active one, else any dialog of
// the thread that takes input.
HWND InnermostDialog() {
  HWND active = GetActiveWindow();
  qvp::ui::DialogInfo info;
  if (active && qvp::ui::GetDialog(active, &info) && !info.ended) return active;
  for (HWND h : qvp::ui::ThreadTopLevelWindows(GetCurrentThreadId()))
    if (qvp::ui::GetDialog(h, &info) && !info.ended && driver::Usable(h)) return h;
  return nullptr;
}

std::string QueryName(const driver::WindowQuery& q) {
  std::string out;
  if (q.template_id) out = "dialog " + std::to_string(q.template_id);
  if (!q.class_name.empty()) out += (out.empty() ? "" : " ") + q.class_name;
  if (q.title) out += (out.empty() ? "" : " ") + std::string("'") + *q.title + "'";
  if (q.id) out += (out.empty() ? "id " : " id ") + std::to_string(*q.id);
  return out.empty() ? "any window" : out;
}

}  // namespace

std::string UiDriver::State::StepName(size_t index_from_now) const {
  return "step " + std::to_string(steps_done + index_from_now + 1) + " (" + steps[index_from_now]->name_ + ")";
}

void UiDriver::State::NextStep() {
  steps.pop_front();
  ++steps_done;
  ++step_serial;
  window = nullptr;
  StartAction(0);
}

void UiDriver::State::StartAction(size_t index) {
  action = index;
  ++action_serial;
  built = false;
  phases.clear();
  phase = 0;
}

// One idle: at most one phase of one action runs. Windows are searched, phases
// built and run without the driver's lock, since any of them may send
// messages and so run other code, nested modal loops (and idles) included.
void UiDriver::State::Idle() {
  enum class Todo { kStall, kFind, kBuild, kRun };
  for (int turns = 0; turns < 256; ++turns) {
    Todo todo = Todo::kStall;
    driver::WindowQuery query;
    HWND target = nullptr;
    std::function<Phases(HWND)> make;
    std::function<Outcome()> run;
    std::string what;
    uint64_t serial = 0;
    {
      std::lock_guard<std::mutex> g(lock);
      if (steps.empty()) {
        if (++idle_rounds < stall_limit) return;
        todo = Todo::kStall;
      } else {
        Step& step = *steps.front();
        if (!window) {
          todo = Todo::kFind;
          query = step.query_;
          serial = step_serial;
        } else if (built && phase >= phases.size()) {
          StartAction(action + 1);
          continue;
        } else if (action >= step.actions_.size()) {
          NextStep();
          continue;
        } else if (!IsWindow(window)) {
          problems.push_back(StepName(0) + ": the window went away before '" + step.actions_[action].what + "'");
          NextStep();
          continue;
        } else if (!built) {
          todo = Todo::kBuild;
          make = step.actions_[action].make;
          target = window;
          serial = action_serial;
        } else {
          // Moved on before the phase runs: a phase that opens a nested modal
          // loop lets that loop's idles carry on with what follows.
          todo = Todo::kRun;
          run = phases[phase++];
          what = StepName(0) + ": " + step.actions_[action].what;
          serial = action_serial;
          idle_rounds = 0;
          // The step's last input may end the loop whose idles drive it: it is
          // done once its last phase runs.
          if (phase >= phases.size()) {
            StartAction(action + 1);
            if (action >= step.actions_.size()) NextStep();
          }
        }
      }
    }
    switch (todo) {
      case Todo::kStall:
        Stalled();
        return;
      case Todo::kFind: {
        HWND found = Ready(query);
        std::lock_guard<std::mutex> g(lock);
        if (serial != step_serial) continue;
        if (!found) {
          if (++idle_rounds < stall_limit) return;
          break;  // stalls below, without the lock
        }
        window = found;
        StartAction(0);
        continue;
      }
      case Todo::kBuild: {
        Phases built_phases = make(target);
        std::lock_guard<std::mutex> g(lock);
        if (serial != action_serial) continue;
        phases = std::move(built_phases);
        built = true;
        phase = 0;
        continue;
      }
      case Todo::kRun: {
        Outcome out = run();
        if (out) return;
        std::lock_guard<std::mutex> g(lock);
        problems.push_back(what + ": " + out.problem);
        if (serial == action_serial) phase = phases.size();  // the rest of this action is moot
        return;
      }
    }
    Stalled();
    return;
  }
}

void UiDriver::State::Stalled() {
  HWND stuck = InnermostDialog();
  {
    std::lock_guard<std::mutex> g(lock);
    idle_rounds = 0;
    std::string up = stuck ? driver::Describe(stuck) : std::string("no dialog");
    if (steps.empty()) {
      problems.push_back("a modal loop idled with nothing left to drive; up: " + up);
    } else {
      problems.push_back(StepName(0) + (window ? " stopped halfway" : " waited in vain") + "; up: " + up);
      for (size_t i = 1; i < steps.size(); ++i) problems.push_back(StepName(i) + " was never run");
      steps_done += steps.size() - 1;
      steps.erase(steps.begin() + 1, steps.end());
      NextStep();
    }
  }
  // The test goes on instead of hanging: the dialog is dismissed.
  if (stuck) EndDialog(stuck, IDCANCEL);
}

UiDriver::UiDriver() : state_(std::make_shared<State>()) {
  std::weak_ptr<State> weak = state_;
  SetModalIdleHook([weak] {
    if (std::shared_ptr<State> s = weak.lock()) s->Idle();
  });
}

UiDriver::~UiDriver() { SetModalIdleHook(nullptr); }

UiDriver::Step& UiDriver::OnDialog(UINT template_id) {
  driver::WindowQuery q;
  q.template_id = template_id;
  return OnWindow(q);
}

UiDriver::Step& UiDriver::OnWindow(driver::WindowQuery query) {
  auto step = std::make_unique<Step>();
  step->name_ = QueryName(query);
  step->query_ = std::move(query);
  Step& ref = *step;
  std::lock_guard<std::mutex> g(state_->lock);
  state_->steps.push_back(std::move(step));
  return ref;
}

PromptScript& UiDriver::Prompts() { return state_->prompts; }

UiDriver& UiDriver::ExpectMessageBox(std::string text_contains, int answer) {
  state_->prompts.ExpectMessageBox(std::move(text_contains), answer);
  return *this;
}

void UiDriver::RunPending() {
  for (;;) {
    driver::Pump();
    {
      std::lock_guard<std::mutex> g(state_->lock);
      if (state_->steps.empty()) return;
    }
    state_->Idle();
    MSG m;
    if (!PeekMessageA(&m, nullptr, 0, 0, PM_NOREMOVE)) MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}

size_t UiDriver::PendingSteps() const {
  std::lock_guard<std::mutex> g(state_->lock);
  return state_->steps.size();
}

std::vector<std::string> UiDriver::Problems() {
  for (const PromptRecord& r : TakeUnexpectedPrompts()) {
    std::lock_guard<std::mutex> g(state_->lock);
    state_->problems.push_back(std::string("unexpected ") + PromptKindName(r.kind) + " [" + r.caption + "] \"" +
                               r.text + "\": " + r.problem);
  }
  std::lock_guard<std::mutex> g(state_->lock);
  std::vector<std::string> out = state_->problems;
  for (size_t i = 0; i < state_->steps.size(); ++i) out.push_back(state_->StepName(i) + " has not run");
  if (size_t n = state_->prompts.Pending()) out.push_back(std::to_string(n) + " expected prompt(s) never came");
  return out;
}

void UiDriver::SetStallLimit(int idle_rounds) {
  std::lock_guard<std::mutex> g(state_->lock);
  state_->stall_limit = idle_rounds < 1 ? 1 : idle_rounds;
}

// ---- Steps ----

namespace {

Phases Fail(std::string why) {
  return {[why] { return Outcome::Fail(why); }};
}

// Phases for a control of the step's window, or a problem when it has none.
Phases OnControl(HWND window, int id, const std::function<Phases(HWND)>& make) {
  HWND control = driver::FindControl(window, id);
  if (!control) return Fail("no control " + std::to_string(id));
  return make(control);
}

}  // namespace

UiDriver::Step& UiDriver::Step::Add(std::string what, std::function<Phases(HWND window)> make) {
  actions_.push_back(Action{std::move(what), std::move(make)});
  return *this;
}

UiDriver::Step& UiDriver::Step::Click(int control_id) {
  return Add("click " + std::to_string(control_id), [control_id](HWND w) {
    return OnControl(w, control_id, [](HWND c) { return driver::ClickPhases(c, std::nullopt, false); });
  });
}

UiDriver::Step& UiDriver::Step::ClickButton(const std::string& text) {
  return Add("click '" + text + "'", [text](HWND w) {
    driver::WindowQuery q;
    q.class_name = "BUTTON";
    q.title = text;
    q.visible_only = true;
    q.within = driver::RootWindow(w);
    HWND button = driver::Find(q);
    if (!button) return Fail("no button '" + text + "'");
    return driver::ClickPhases(button, std::nullopt, false);
  });
}

UiDriver::Step& UiDriver::Step::DoubleClick(int control_id) {
  return Add("double-click " + std::to_string(control_id), [control_id](HWND w) {
    return OnControl(w, control_id, [](HWND c) { return driver::ClickPhases(c, std::nullopt, true); });
  });
}

UiDriver::Step& UiDriver::Step::Check(int control_id, UINT state) {
  return Add("check " + std::to_string(control_id), [control_id, state](HWND w) {
    return OnControl(w, control_id, [state](HWND c) { return driver::CheckPhases(c, state); });
  });
}

UiDriver::Step& UiDriver::Step::Focus(int control_id) {
  return Add("focus " + std::to_string(control_id), [control_id](HWND w) {
    return OnControl(w, control_id, [](HWND c) { return driver::FocusPhases(c); });
  });
}

UiDriver::Step& UiDriver::Step::Type(int control_id, std::string text) {
  return Add("type into " + std::to_string(control_id), [control_id, text](HWND w) {
    return OnControl(w, control_id, [&text](HWND c) {
      Phases phases = driver::FocusPhases(c);
      for (auto& p : driver::TypePhases(text)) phases.push_back(std::move(p));
      return phases;
    });
  });
}

UiDriver::Step& UiDriver::Step::Type(std::string text) {
  return Add("type", [text](HWND) { return driver::TypePhases(text); });
}

UiDriver::Step& UiDriver::Step::Press(UINT vk, UINT modifiers) {
  return Add("press key " + std::to_string(vk), [vk, modifiers](HWND) { return driver::PressPhases(vk, modifiers); });
}

UiDriver::Step& UiDriver::Step::Select(int control_id, int index) {
  return Add("select item " + std::to_string(index) + " of " + std::to_string(control_id), [control_id, index](HWND w) {
    return OnControl(w, control_id, [index](HWND c) { return driver::SelectPhases(c, index); });
  });
}

UiDriver::Step& UiDriver::Step::Select(int control_id, std::string text) {
  return Add("select '" + text + "' of " + std::to_string(control_id), [control_id, text](HWND w) {
    return OnControl(w, control_id, [&text](HWND c) { return driver::SelectTextPhases(c, text); });
  });
}

UiDriver::Step& UiDriver::Step::Read(int control_id, std::string* text) {
  return Add("read " + std::to_string(control_id), [control_id, text](HWND w) {
    return OnControl(w, control_id, [text](HWND c) -> Phases {
      return {[c, text] {
        *text = driver::Text(c);
        return Outcome::Done();
      }};
    });
  });
}

UiDriver::Step& UiDriver::Step::Do(std::function<void(HWND window)> action) {
  return Add("do", [action](HWND w) -> Phases {
    return {[action, w] {
      action(w);
      return Outcome::Done();
    }};
  });
}

}  // namespace qvp
