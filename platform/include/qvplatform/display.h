// Making the windows visible: text drawn from real fonts, pictures of windows
// and the X11 display.
//
// Raster text. By default the GDI measures text with its fixed metric model and
// draws no glyphs, so that layouts are the same on every machine. With raster
// text on, fonts come from the installed font files (fontconfig and FreeType):
// the faces programs name map to metric-compatible families ("MS Sans Serif",
// "Arial", "System" -> a sans face; "Times New Roman" -> a serif face;
// "Courier", "Courier New" -> a fixed-pitch face), at the requested height,
// weight and slant; GetTextMetricsA and the extents then measure that font and
// text output draws its glyphs. QV_RASTER_TEXT=1 turns it on at start; opening a
// display, QV_SNAPSHOT_DIR and SnapshotWindow turn it on by themselves.
//
// Snapshots. A window with its frame and all its visible children composed,
// written as a PNG file. With QV_SNAPSHOT_DIR set, every dialog made from a
// numbered template is written there the first time it is shown, as
// dialog_<id>.png.
//
// Display. When DISPLAY is set and neither QV_HEADLESS nor QV_TEST is, the first
// top-level window shown opens the display: every visible top-level window is
// then an X11 window showing what the window painted, and the user's mouse and
// keys reach the windows as the messages Windows sends. Tests open a display of
// their own with OpenDisplay.
#pragma once

#include "qvplatform/types.h"

#ifndef ERROR_WRITE_FAULT
#define ERROR_WRITE_FAULT 29L
#endif
#ifndef WHEEL_DELTA
#define WHEEL_DELTA 120
#endif

namespace qvp {

// ---- Raster text ----
void SetRasterText(bool on);
bool RasterTextEnabled();
// True when a font file for the usual faces can be found (fonts are installed).
bool RasterTextAvailable();

// ---- Snapshots ----
// Repaints the window and everything in it with raster text on, composes it
// (frame, client area, visible children in z-order) and writes a PNG file.
// False (with a Windows error code set) for a bad window or an unwritable path.
// Call it on the window's own thread or while that thread takes messages.
bool SnapshotWindow(HWND hwnd, const char* path);

// ---- Display ----
// Opens the display of that name (null: $DISPLAY) unless one is open; turns raster
// text on. False when the X server cannot be reached.
bool OpenDisplay(const char* name);
// Closes the display: its windows go away and its event thread is joined. The
// program's windows stay as they are.
void CloseDisplay();
bool DisplayOpen();

}  // namespace qvp
