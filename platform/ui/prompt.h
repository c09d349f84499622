// The one place where the layer asks a user something (internal side).
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "qvplatform/ui_prompt.h"

namespace qvp::ui {

// Tells whether a prompt can give an answer, normalising it on the way
// (Esc on an OK-only message box answers IDOK). False: the prompt cannot give it.
using AnswerCheck = std::function<bool(PromptAnswer&)>;

// Shows the prompt to the user on the screen and answers what the user chose;
// nothing when it cannot be shown there (no display).
using ScreenAsk = std::function<std::optional<PromptAnswer>()>;

// Asks the active prompt script, if any, and records the prompt; without a
// script the user answers on the screen when `on_screen` can show it, and
// otherwise (headless) the prompt goes to the debug sink and `fallback`
// answers. Fills record.answer / answer_text with what was answered.
PromptAnswer AskPrompt(PromptRecord& record, const PromptAnswer& fallback, const AnswerCheck& check,
                       const ScreenAsk& on_screen = {});

}  // namespace qvp::ui
