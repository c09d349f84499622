// The plug-in's part of the program's main panel (dialog 15000): the selected
// profile, its device's status and the time of its next test.
#pragma once

#include "plugin_api.h"
#include "qvplatform.h"

class CMonitorProfile;

// The private message that shows a row (lParam, or null) in the panel.
inline constexpr UINT kShowPanelProfile = 9026;
// Posted by the monitor engine's workers when the shown profile's device
// changed: the panel reads the device's status and next test afresh.
inline constexpr UINT kShowPanelStatus = 9027;

// Creates the panel inside `parent` on first use, shows `selected` in it and
// applies the mode (1 show without activating, 2 hide, anything else keeps the
// visibility), then repaints it. False when the panel cannot be made.
bool UpdateStatusPanel(HWND parent, PROFILE* selected, int mode);
// Destroys the panel when it exists.
void DestroyStatusPanel();

// The panel window, or null; and the profile it shows, or null. The monitor
// engine's workers update the panel's status and next-test texts for that profile.
HWND StatusPanelWindow();
CMonitorProfile* StatusPanelProfile();
// A profile about to be deleted is no longer shown.
void ForgetStatusPanelProfile(const CMonitorProfile* profile);

INT_PTR CALLBACK StatusPanelDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
