// Controls drawn with a three-dimensional frame or a grow box, by subclassing:
// a table of 100 slots holds each such control with its previous window
// procedure. A slot is free again once its control no longer exists.
#pragma once

#include "qvplatform.h"

inline constexpr int kSizeableSlotCount = 100;

enum SizeableMode : WORD {
  kSizeableFrame = 1,    // a three-dimensional frame around the client area
  kSizeableGrowBox = 2,  // a grow box in the bottom-right corner
};

// On Windows whose major version is above 3 (which draw their own frames)
// returns that major version and does nothing; otherwise makes control id of
// the dialog sizeable with a frame and returns MakeControlSizeable's answer.
int PrepSizeableControl(HWND dialog, int id);

// Subclasses the control with SizeableControlWndProc in the given mode and
// returns the slot it took. A control already in the table keeps its slot
// (and its first mode). Returns kSizeableSlotCount, having done nothing, when
// every slot is taken or the control is no window.
int MakeControlSizeable(HWND control, WORD mode);

// Calls the control's previous procedure first and answers its result. Then:
// WM_DESTROY frees the slot and restores the previous procedure; any other
// message while the control is visible draws its decoration (the frame on
// every message, the grow box on WM_PAINT and WM_ERASEBKGND).
LRESULT CALLBACK SizeableControlWndProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam);
