// MessageBoxA and MessageBeep: what a message box offers and answers, asked
// through the prompt interface.
#include <vector>

#include "ui/last_error.h"
#include "ui/prompt.h"

namespace {

// The buttons of a box in their order on screen, or empty for an unknown kind.
std::vector<int> ButtonsOf(UINT type) {
  switch (type & MB_TYPEMASK) {
    case MB_OK: return {IDOK};
    case MB_OKCANCEL: return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE: return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL: return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO: return {IDYES, IDNO};
    case MB_RETRYCANCEL: return {IDRETRY, IDCANCEL};
    case MB_CANCELTRYCONTINUE: return {IDCANCEL, IDTRYAGAIN, IDCONTINUE};
    default: return {};
  }
}

bool Offers(const std::vector<int>& buttons, int id) {
  for (int b : buttons)
    if (b == id) return true;
  return false;
}

// The button Enter presses. The Help button never closes a box, so a default
// that names it (or no button at all) falls back to the first button.
int DefaultButton(const std::vector<int>& buttons, UINT type) {
  size_t index = (type & MB_DEFMASK) >> 8;
  return index < buttons.size() ? buttons[index] : buttons.front();
}

}  // namespace

int WINAPI MessageBoxExA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType, WORD /*wLanguageId*/) {
  std::vector<int> buttons = ButtonsOf(uType);
  if (buttons.empty()) {
    qvp::ui::SetError(ERROR_INVALID_MSGBOX_STYLE);
    return 0;
  }
  qvp::PromptRecord record;
  record.kind = qvp::PromptKind::kMessageBox;
  // A service notification appears on the user's desktop, owned by no window.
  record.owner = (uType & MB_SERVICE_NOTIFICATION) ? nullptr : hWnd;
  record.caption = lpCaption ? lpCaption : "Error";
  record.text = lpText ? lpText : "";
  record.flags = uType;

  qvp::PromptAnswer fallback;
  fallback.result = DefaultButton(buttons, uType);
  qvp::PromptAnswer answer = qvp::ui::AskPrompt(record, fallback, [&](qvp::PromptAnswer& a) {
    if (Offers(buttons, a.result)) return true;
    // Esc (or the close box) answers Cancel; a box with only OK answers OK to it.
    if (a.result == IDCANCEL && (uType & MB_TYPEMASK) == MB_OK) {
      a.result = IDOK;
      return true;
    }
    return false;
  });
  return answer.result;
}

int WINAPI MessageBoxA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType) {
  return MessageBoxExA(hWnd, lpText, lpCaption, uType, 0);
}

BOOL WINAPI MessageBeep(UINT uType) {
  qvp::PromptRecord record;
  record.kind = qvp::PromptKind::kBeep;
  record.flags = uType;
  qvp::PromptAnswer fallback;
  fallback.result = TRUE;
  qvp::PromptAnswer answer = qvp::ui::AskPrompt(record, fallback, [](qvp::PromptAnswer&) { return true; });
  return answer.result != 0 ? TRUE : FALSE;
}
