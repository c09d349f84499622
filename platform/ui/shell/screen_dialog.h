// The common dialogs as windows on the screen: a template built in memory and
// run modally over the owner.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "qvplatform.h"
#include "qvplatform/dlgtemplate.h"

namespace qvp::ui::commdlg {

// A new dialog description with the dialogs' frame and font.
DialogDesc ScreenDialog(const std::string& caption, int16_t cx, int16_t cy);
// Adds a control (dialog units) to the description.
void AddControl(DialogDesc& d, const char* cls, int id, const char* text, uint32_t style, int16_t x, int16_t y,
                int16_t cx, int16_t cy);
// Runs the dialog modally; its result, or -1 when it could not be made.
INT_PTR RunScreenDialog(const DialogDesc& d, HWND owner, DLGPROC proc, LPARAM param);

// A control's text.
std::string ItemText(HWND dlg, int id);
// A control's number, or `fallback` when it holds none.
int ItemNumber(HWND dlg, int id, int fallback);

// The dialogs themselves: what the user chose (result 0: cancelled), in the
// form a script answers; nothing when no display is open.
std::optional<PromptAnswer> ShowPrintDialog(PRINTDLGA& pd, const std::vector<std::string>& printers,
                                            const std::string& start);
std::optional<PromptAnswer> ShowColorDialog(const CHOOSECOLORA& cc);
std::optional<PromptAnswer> ShowFileDialog(const OPENFILENAMEA& ofn, bool save, const std::string& title,
                                           const std::string& folder, const std::vector<std::string>& filters);

}  // namespace qvp::ui::commdlg
