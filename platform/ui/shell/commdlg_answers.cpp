// Script entries that answer the common dialogs.
#include <utility>

#include "qvplatform.h"

namespace qvp {

namespace {

ExpectedPrompt Entry(PromptKind kind) {
  ExpectedPrompt e;
  e.kind = kind;
  e.answer.result = 1;
  return e;
}

}  // namespace

ExpectedPrompt OpenFileAnswer(std::string path, int filter_index) {
  ExpectedPrompt e = Entry(PromptKind::kOpenFile);
  e.answer.text = std::move(path);
  e.answer.filter_index = filter_index;
  return e;
}

ExpectedPrompt OpenFilesAnswer(std::vector<std::string> paths) {
  ExpectedPrompt e = Entry(PromptKind::kOpenFile);
  e.answer.files = std::move(paths);
  return e;
}

ExpectedPrompt SaveFileAnswer(std::string path, int filter_index) {
  ExpectedPrompt e = Entry(PromptKind::kSaveFile);
  e.answer.text = std::move(path);
  e.answer.filter_index = filter_index;
  return e;
}

ExpectedPrompt ColorAnswer(COLORREF color) {
  ExpectedPrompt e = Entry(PromptKind::kChooseColor);
  e.answer.color = color;
  return e;
}

ExpectedPrompt FontAnswer(FontChoice font, COLORREF color) {
  ExpectedPrompt e = Entry(PromptKind::kChooseFont);
  e.answer.font = std::move(font);
  e.answer.color = color;
  return e;
}

ExpectedPrompt PrintAnswer(PrintChoice choice, std::string printer) {
  ExpectedPrompt e = Entry(PromptKind::kPrint);
  e.answer.print = choice;
  e.answer.text = std::move(printer);
  return e;
}

ExpectedPrompt CancelAnswer(PromptKind kind) {
  ExpectedPrompt e;
  e.kind = kind;
  e.answer.result = 0;
  return e;
}

}  // namespace qvp
