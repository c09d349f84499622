// What the common dialogs share: the thread's extended error, the checks every
// dialog makes of its structure and owner, and the owner's modality.
#pragma once

#include <string>

#include "qvplatform.h"

namespace qvp::ui::commdlg {

// Sets the calling thread's common dialog error (CommDlgExtendedError).
void SetDialogError(DWORD code);
DWORD DialogError();
// Sets the error and answers FALSE, for the refusals of the dialog functions.
BOOL Refuse(DWORD code);

// A structure size a caller states: our structure's size, or the size the
// same structure has in 32-bit programs (the size their code was written with).
bool SizeOk(DWORD stated, size_t ours, DWORD size_in_32_bits);

// An owner, when one is given, must be a window.
bool OwnerOk(HWND owner);

// While a dialog is up, its owner's top-level window is disabled; the
// destructor enables it again (and only if it was enabled before).
class ModalOwner {
 public:
  explicit ModalOwner(HWND owner);
  ~ModalOwner();
  ModalOwner(const ModalOwner&) = delete;
  ModalOwner& operator=(const ModalOwner&) = delete;

 private:
  HWND disabled_ = nullptr;
};

// The screen's resolution in dots per inch (LOGPIXELSX or LOGPIXELSY).
int ScreenDpi(int index);

// Reads a text of at most `limit` bytes that need not be terminated.
std::string BoundedText(const char* text, size_t limit);

}  // namespace qvp::ui::commdlg
