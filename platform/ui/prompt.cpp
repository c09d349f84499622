// Prompt scripts: the scripted answerer tests put in place of a user.
#include "ui/prompt.h"

#include "qvplatform/kernel.h"

#include <algorithm>
#include <mutex>
#include <utility>
#include <vector>

namespace qvp {

struct PromptScript::State {
  uint64_t serial = 0;
  std::vector<ExpectedPrompt> pending;
  std::vector<PromptRecord> records;
};

namespace {

struct Prompts {
  std::mutex lock;
  std::vector<PromptScript::State*> scripts;  // newest last
  std::vector<PromptRecord> unexpected;
  uint64_t next_serial = 1;
};

Prompts& Global() {
  static Prompts* p = new Prompts;  // prompts may come from threads still running at exit
  return *p;
}

bool Matches(const ExpectedPrompt& e, const PromptRecord& r) {
  if (e.kind != r.kind) return false;
  if (e.caption && *e.caption != r.caption) return false;
  if (e.text_contains && r.text.find(*e.text_contains) == std::string::npos) return false;
  return true;
}

PromptScript::State* FindScript(Prompts& g, uint64_t serial) {
  for (PromptScript::State* s : g.scripts)
    if (s->serial == serial) return s;
  return nullptr;
}

}  // namespace

const char* PromptKindName(PromptKind kind) {
  switch (kind) {
    case PromptKind::kMessageBox: return "MessageBox";
    case PromptKind::kBeep: return "Beep";
    case PromptKind::kOpenFile: return "OpenFile";
    case PromptKind::kSaveFile: return "SaveFile";
    case PromptKind::kChooseColor: return "ChooseColor";
    case PromptKind::kChooseFont: return "ChooseFont";
    case PromptKind::kPrint: return "Print";
    case PromptKind::kHelp: return "Help";
    case PromptKind::kDataSource: return "DataSource";
  }
  return "Prompt";
}

PromptScript::PromptScript() : state_(new State) {
  Prompts& g = Global();
  std::lock_guard<std::mutex> lock(g.lock);
  state_->serial = g.next_serial++;
  g.scripts.push_back(state_);
}

PromptScript::~PromptScript() {
  Prompts& g = Global();
  {
    std::lock_guard<std::mutex> lock(g.lock);
    g.scripts.erase(std::remove(g.scripts.begin(), g.scripts.end(), state_), g.scripts.end());
  }
  delete state_;
}

PromptScript& PromptScript::Expect(ExpectedPrompt expected) {
  Prompts& g = Global();
  std::lock_guard<std::mutex> lock(g.lock);
  state_->pending.push_back(std::move(expected));
  return *this;
}

PromptScript& PromptScript::ExpectMessageBox(std::string text_contains, int answer) {
  ExpectedPrompt e;
  e.kind = PromptKind::kMessageBox;
  e.text_contains = std::move(text_contains);
  e.answer.result = answer;
  return Expect(std::move(e));
}

std::vector<PromptRecord> PromptScript::Records() const {
  Prompts& g = Global();
  std::lock_guard<std::mutex> lock(g.lock);
  return state_->records;
}

size_t PromptScript::Pending() const {
  Prompts& g = Global();
  std::lock_guard<std::mutex> lock(g.lock);
  return state_->pending.size();
}

std::vector<PromptRecord> TakeUnexpectedPrompts() {
  Prompts& g = Global();
  std::lock_guard<std::mutex> lock(g.lock);
  return std::exchange(g.unexpected, {});
}

namespace ui {

PromptAnswer AskPrompt(PromptRecord& record, const PromptAnswer& fallback, const AnswerCheck& check,
                       const ScreenAsk& on_screen) {
  std::string line = std::string(PromptKindName(record.kind)) + " [" + record.caption + "] " + record.text + "\n";
  OutputDebugStringA(line.c_str());

  Prompts& g = Global();
  uint64_t serial = 0;
  std::optional<ExpectedPrompt> entry;
  bool scripted = false;
  {
    std::lock_guard<std::mutex> lock(g.lock);
    scripted = !g.scripts.empty();
  }
  if (!scripted) {
    std::optional<PromptAnswer> shown = on_screen ? on_screen() : std::nullopt;
    PromptAnswer answer = shown && check(*shown) ? *shown : fallback;
    record.answer = answer.result;
    record.answer_text = answer.text;
    return answer;
  }
  {
    std::lock_guard<std::mutex> lock(g.lock);
    if (g.scripts.empty()) {  // the script ended meanwhile
      record.answer = fallback.result;
      record.answer_text = fallback.text;
      return fallback;
    }
    PromptScript::State* script = g.scripts.back();
    serial = script->serial;
    auto it = std::find_if(script->pending.begin(), script->pending.end(),
                           [&](const ExpectedPrompt& e) { return Matches(e, record); });
    if (it != script->pending.end()) {
      entry = std::move(*it);
      script->pending.erase(it);
    }
  }

  PromptAnswer answer = fallback;
  if (entry) {
    PromptAnswer given = entry->respond ? entry->respond(record) : entry->answer;
    if (check(given)) {
      answer = given;
      record.scripted = true;
    } else {
      record.problem = "the script answered " + std::to_string(given.result) +
                       ", which this prompt cannot give";
    }
  } else if (record.kind != PromptKind::kBeep && record.kind != PromptKind::kHelp) {
    record.problem = "no script entry expects this prompt";
  }
  record.answer = answer.result;
  record.answer_text = answer.text;

  std::lock_guard<std::mutex> lock(g.lock);
  if (PromptScript::State* script = FindScript(g, serial)) script->records.push_back(record);
  if (!record.problem.empty()) g.unexpected.push_back(record);
  return answer;
}

}  // namespace ui
}  // namespace qvp
