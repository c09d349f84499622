// The report-language page's modeless Find/Replace dialog: finds the next
// report item whose text (or label) holds a string, and replaces it in one
// item or in all of them.
#include <cstdio>
#include <string>

#include "language_tree.h"
#include "report_language.h"

using namespace report_language;

namespace {

constexpr int kInText = 16019;
constexpr int kInLabel = 16021;
constexpr int kFindWhat = 16022;
constexpr int kMatchCase = 16023;
constexpr int kReplaceWith = 16024;
constexpr int kFindNext = 16025;
constexpr int kReplace = 16026;
constexpr int kReplaceAll = 16027;
constexpr int kProgress = 16028;

// One find dialog at a time, beside the one page.
struct FindState {
  HWND dialog = nullptr;
  bool running = false;  // a search or a replace is going through the items
  int found = -1;        // the item last found
};
FindState& State() {
  static FindState state;
  return state;
}

std::string FieldText(HWND dialog, int id) {
  HWND field = GetDlgItem(dialog, id);
  std::string text(static_cast<size_t>(GetWindowTextLengthA(field)) + 1, '\0');
  text.resize(static_cast<size_t>(GetWindowTextA(field, text.data(), static_cast<int>(text.size()))));
  return text;
}

bool InTextMode(HWND dialog) { return IsDlgButtonChecked(dialog, kInText) == BST_CHECKED; }
bool MatchCase(HWND dialog) { return IsDlgButtonChecked(dialog, kMatchCase) == BST_CHECKED; }
void Enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }

void UpdateButtons(HWND dialog) {
  const bool text = InTextMode(dialog);
  const bool find = GetWindowTextLengthA(GetDlgItem(dialog, kFindWhat)) > 0;
  Enable(dialog, kFindNext, find);
  Enable(dialog, kReplaceAll, text && find);
  Enable(dialog, kReplaceWith, text);
  if (!text || !find) Enable(dialog, kReplace, false);
}

// Lets the user's input in (Close above all) while the items are gone through;
// false when the search must stop.
bool KeepGoing(HWND dialog, size_t count) {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return false;
    }
    if (IsWindow(dialog) && IsDialogMessageA(dialog, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return State().dialog == dialog && IsWindow(dialog) && Editor().items.size() == count;
}

bool ItemHolds(const TemplateItem& item, const std::string& find, bool inText, bool matchCase) {
  if (!inText) return replang::ContainsText(item.label, find, matchCase);
  std::string text;
  return !item.tag.empty() && GetTemplateItemText(item.tag, &text) && replang::ContainsText(text, find, matchCase);
}

// The item's text with every `find` replaced; false when it holds none.
bool ReplaceInItem(int index, const std::string& find, const std::string& with, bool matchCase) {
  const TemplateItem& item = Editor().items[static_cast<size_t>(index)];
  std::string text;
  if (item.tag.empty() || !GetTemplateItemText(item.tag, &text)) return false;
  if (replang::ReplaceEvery(&text, find, with, matchCase) == 0) return false;
  if (!SetTemplateItemText(item.tag, text)) return false;
  MarkItem(index, true);
  return true;
}

bool ReplacementAllowed(HWND dialog, const std::string& with) {
  if (replang::IsValidItemText(with)) return true;
  MessageBoxA(dialog, "The replacement text cannot hold '{' or '}'.", "Find/Replace", MB_OK | MB_ICONSTOP);
  return false;
}

void FindNext(HWND dialog) {
  FindState& state = State();
  const std::string find = FieldText(dialog, kFindWhat);
  const bool inText = InTextMode(dialog);
  const bool matchCase = MatchCase(dialog);
  const size_t count = Editor().items.size();
  HWND progress = GetDlgItem(dialog, kProgress);
  SendMessageA(progress, PBM_SETRANGE32, 0, static_cast<LPARAM>(count));
  const size_t first = count == 0 ? 0 : static_cast<size_t>(SelectedItem() + 1) % count;
  state.running = true;
  for (size_t step = 0; step < count; ++step) {
    if (!KeepGoing(dialog, count)) {
      state.running = false;
      return;
    }
    SendMessageA(progress, PBM_SETPOS, step + 1, 0);
    const size_t index = (first + step) % count;
    if (ItemHolds(Editor().items[index], find, inText, matchCase)) {
      state.running = false;
      state.found = static_cast<int>(index);
      SelectItem(state.found);
      if (inText) Enable(dialog, kReplace, true);
      SendMessageA(progress, PBM_SETPOS, 0, 0);
      return;
    }
  }
  state.running = false;
  state.found = -1;
  SendMessageA(progress, PBM_SETPOS, 0, 0);
  Enable(dialog, kReplace, false);
  MessageBoxA(dialog, "String Not Found!", "Find/Replace", MB_OK | MB_ICONINFORMATION);
}

void ReplaceFound(HWND dialog) {
  const int index = State().found;
  if (index < 0 || static_cast<size_t>(index) >= Editor().items.size()) return;
  const std::string with = FieldText(dialog, kReplaceWith);
  if (!ReplacementAllowed(dialog, with)) return;
  if (ReplaceInItem(index, FieldText(dialog, kFindWhat), with, MatchCase(dialog))) RefreshItemEdit();
}

void ReplaceAll(HWND dialog) {
  const std::string find = FieldText(dialog, kFindWhat);
  const std::string with = FieldText(dialog, kReplaceWith);
  if (find.empty() || !ReplacementAllowed(dialog, with)) return;
  const bool matchCase = MatchCase(dialog);
  const size_t count = Editor().items.size();
  HWND progress = GetDlgItem(dialog, kProgress);
  SendMessageA(progress, PBM_SETRANGE32, 0, static_cast<LPARAM>(count));
  int replaced = 0;
  State().running = true;
  for (size_t index = 0; index < count; ++index) {
    if (!KeepGoing(dialog, count)) {
      State().running = false;
      return;
    }
    SendMessageA(progress, PBM_SETPOS, index + 1, 0);
    if (ReplaceInItem(static_cast<int>(index), find, with, matchCase)) ++replaced;
  }
  State().running = false;
  SendMessageA(progress, PBM_SETPOS, 0, 0);
  RefreshItemEdit();
  char text[64];
  std::snprintf(text, sizeof text, "%d Items replaced", replaced);
  MessageBoxA(dialog, text, "Replace", MB_OK | MB_ICONINFORMATION);
}

}  // namespace

INT_PTR CALLBACK FindReplaceDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG:
      State() = FindState{dialog, false, -1};
      Editor().findDialog = dialog;
      CheckRadioButton(dialog, kInText, kInLabel, kInText);
      SendDlgItemMessageA(dialog, kFindWhat, EM_LIMITTEXT, 256, 0);
      Enable(dialog, kFindNext, false);
      Enable(dialog, kReplace, false);
      Enable(dialog, kReplaceAll, false);
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (id == IDCANCEL) {
        DestroyWindow(dialog);
        return TRUE;
      }
      if (id == kFindWhat && code == EN_CHANGE) {
        UpdateButtons(dialog);
        return TRUE;
      }
      if (code != BN_CLICKED) return FALSE;
      if (id == kInText || id == kInLabel) {
        UpdateButtons(dialog);
        return TRUE;
      }
      if (State().running) return TRUE;  // one pass through the items at a time
      if (id == kFindNext && GetWindowTextLengthA(GetDlgItem(dialog, kFindWhat)) > 0) FindNext(dialog);
      if (id == kReplace) ReplaceFound(dialog);
      if (id == kReplaceAll) ReplaceAll(dialog);
      return TRUE;
    }
    case WM_DESTROY:
      if (State().dialog == dialog) State() = FindState{};
      if (Editor().findDialog == dialog) Editor().findDialog = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}
