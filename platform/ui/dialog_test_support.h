// Test controls that answer the dialog manager as the standard controls do:
// "TestButton" (push, check and radio buttons after their BS_ style),
// "TestEdit" (takes characters, selects its text on EM_SETSEL) and
// "TestStatic"; and a template builder for tests.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "qvplatform.h"
#include "qvplatform/dlgtemplate.h"

namespace uitest {

// Registers the test control classes once per process.
void RegisterTestControls();

// How many EM_SETSEL (0, -1) a TestEdit received.
int SelectAllCount(HWND edit);

qvp::ControlDesc Control(const char* cls, uint32_t id, const char* text, uint32_t style, int16_t x = 0, int16_t y = 0,
                         int16_t cx = 40, int16_t cy = 12);
// A template block for a dialog with the given controls.
std::vector<uint8_t> Template(const char* caption, uint32_t style, std::vector<qvp::ControlDesc> controls,
                              const char* font = "MS Sans Serif");

// Runs every waiting message through IsDialogMessage (or dispatches it).
void PumpDialog(HWND dlg);

}  // namespace uitest
