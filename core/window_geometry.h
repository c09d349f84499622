// Geometry helpers of the program's dialogs: centring, text measures, child
// rectangles and the conversion between dialog units and pixels.
#pragma once

#include "qvplatform.h"

// Moves the window to the middle of the screen: x = (screen width - window
// width) / 2 when the window is narrower than the screen, else 0, where the
// width counts both edges (right - left + 1); likewise y. Size and z-order
// stay.
void CenterWindow(HWND window);

// Width and height of the first length characters of text in the device
// context's font; 0 when they cannot be measured.
int GetTextWidth(HDC dc, const char* text, int length);
int GetTextHeight(HDC dc, const char* text, int length);

// The child's window rectangle in the parent's client coordinates.
void GetChildRectInParent(HWND parent, HWND child, RECT* rect);

// value * multiplier / divisor in integer arithmetic, plus 1 when the
// remainder of the division is 6 or more (the rounding rule of both
// conversions below). 0 when divisor is 0.
int DialogUnitRound(int value, int multiplier, int divisor);

// Dialog units to pixels with the dialog base units (GetDialogBaseUnits):
// x values * horizontal base / 4, y values * vertical base / 8.
void DialogUnitsToPixels(RECT* rect);

// Pixels to dialog units: x values * 4 / horizontal base, y values * 8 /
// vertical base.
void PixelsToDialogUnits(RECT* rect);
