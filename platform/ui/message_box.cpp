// MessageBoxA and MessageBeep: what a message box offers and answers, asked
// through the prompt interface (and shown to the user when the display is open).
#include <vector>

#include "ui/last_error.h"
#include "ui/message_box_screen.h"
#include "ui/prompt.h"
#include "ui/window_state.h"

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

// While a box is up its owner (or, task-modal without an owner, every
// top-level window of the thread) is disabled; the focus comes back afterwards.
class ModalDisable {
 public:
  ModalDisable(HWND owner, UINT type) : focus_(GetFocus()) {
    if (owner) {
      HWND root = owner;
      {
        qvp::ui::WindowSystem& s = qvp::ui::Sys();
        qvp::ui::Lock g(s.lock);
        if (qvp::ui::Window* w = qvp::ui::FindLocked(owner)) root = qvp::ui::RootOf(w)->handle;
      }
      Disable(root);
    } else if ((type & MB_MODEMASK) == MB_TASKMODAL) {
      for (HWND h : qvp::ui::ThreadTopLevelWindows(GetCurrentThreadId())) Disable(h);
    }
  }
  ~ModalDisable() {
    for (auto it = disabled_.rbegin(); it != disabled_.rend(); ++it) EnableWindow(*it, TRUE);
    if (focus_ && IsWindow(focus_) && GetFocus() != focus_) SetFocus(focus_);
  }
  ModalDisable(const ModalDisable&) = delete;
  ModalDisable& operator=(const ModalDisable&) = delete;

 private:
  void Disable(HWND h) {
    if (IsWindowEnabled(h) && !EnableWindow(h, FALSE)) disabled_.push_back(h);
  }
  HWND focus_;
  std::vector<HWND> disabled_;
};

}  // namespace

int WINAPI MessageBoxExA(HWND hWnd, LPCSTR lpText, LPCSTR lpCaption, UINT uType, WORD /*wLanguageId*/) {
  std::vector<int> buttons = ButtonsOf(uType);
  if (buttons.empty()) {
    qvp::ui::SetError(ERROR_INVALID_MSGBOX_STYLE);
    return 0;
  }
  // A service notification appears on the user's desktop, owned by no window.
  HWND owner = (uType & MB_SERVICE_NOTIFICATION) ? nullptr : hWnd;
  if (owner && !IsWindow(owner)) {
    qvp::ui::SetError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  qvp::PromptRecord record;
  record.kind = qvp::PromptKind::kMessageBox;
  record.owner = owner;
  record.caption = lpCaption ? lpCaption : "Error";
  record.text = lpText ? lpText : "";
  record.flags = uType;

  qvp::PromptAnswer fallback;
  fallback.result = DefaultButton(buttons, uType);
  ModalDisable modal(owner, (uType & MB_SERVICE_NOTIFICATION) ? MB_APPLMODAL : uType);
  const auto check = [&](qvp::PromptAnswer& a) {
    if (Offers(buttons, a.result)) return true;
    // Esc (or the close box) answers Cancel; a box with only OK answers OK to it.
    if (a.result == IDCANCEL && (uType & MB_TYPEMASK) == MB_OK) {
      a.result = IDOK;
      return true;
    }
    return false;
  };
  const auto on_screen = [&]() -> std::optional<qvp::PromptAnswer> {
    std::optional<int> pressed =
        qvp::ui::ShowMessageBoxOnScreen(owner, record.caption, record.text, uType, buttons, fallback.result);
    if (!pressed) return std::nullopt;
    qvp::PromptAnswer a;
    a.result = *pressed;
    return a;
  };
  qvp::PromptAnswer answer = qvp::ui::AskPrompt(record, fallback, check, on_screen);
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
  if (answer.result != 0) qvp::PlayBeepSound(uType);
  return answer.result != 0 ? TRUE : FALSE;
}
