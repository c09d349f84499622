// The progress bar of the main panel's status area: the window class
// "Quorvane Progress Bar". Its text is a format with one integer (the
// position); the bar fills position / range of its width.
#pragma once

#include <cstddef>

#include "qvplatform.h"

inline constexpr char kProgressBarClass[] = "Quorvane Progress Bar";

// Messages of the bar; every one answers 0. A setter repaints the bar only
// when the value changed.
inline constexpr UINT PBQ_SETPOS_USER = WM_USER;  // wParam = position (low 16 bits)
inline constexpr UINT PBQ_SETPOS = 2024;          // the same
inline constexpr UINT PBQ_SETPOS_ALT = 10001;     // the same
inline constexpr UINT PBQ_SETRANGE = 2025;        // wParam = range (low 16 bits)
inline constexpr UINT PBQ_SETFORMAT = 2026;       // lParam = format text (at most 255 characters kept)
inline constexpr UINT PBQ_SETFONT = 2027;         // lParam = font
inline constexpr UINT PBQ_SETFLAGS = 2028;        // wParam = flags (low 16 bits)

// Flags: position 0 shows an empty bar without text; the bar owns its font
// and deletes it when destroyed.
inline constexpr WORD kBarBlankAtZero = 1;
inline constexpr WORD kBarOwnsFont = 2;

// "None": the range and the position before they are first set.
inline constexpr WORD kBarUnset = 0xFFFF;

// Registers the class (CS_HREDRAW | CS_VREDRAW | CS_BYTEALIGNCLIENT, arrow
// cursor, no background, 32 extra bytes). 1 when registered, else 0.
int RegisterProgressBarClass(HINSTANCE instance);
void UnregisterProgressBarClass(HINSTANCE instance);

LRESULT CALLBACK ProgressBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The bar's text for a position: empty when range or position is unset, or
// with kBarBlankAtZero at position 0; else the format with the position ("%d%%"
// for an empty format). A format that is not exactly one integer conversion
// is shown as it stands.
void ProgressBarText(const char* format, WORD flags, WORD range, WORD position, char* out,
                     size_t outSize);

// The filled width of a bar `width` pixels wide: 0 when range or position is
// 0 or unset, width when the position passes the range.
int ProgressBarFill(WORD range, WORD position, int width);
