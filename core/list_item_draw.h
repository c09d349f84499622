// The owner-drawn row of the program's report-style list views: the item's
// small icon, then each column's text, shortened with "..." to fit.
#pragma once

#include <string>

#include "qvplatform.h"

// The longest text drawn per column, with its zero.
inline constexpr int kListCellTextSize = 100;

// Draws the row of a WM_DRAWITEM of a list view in report style when the
// whole item is to be drawn: the window colour behind it, the small icon in
// column 0 when that column is at least the icon's width + 4 wide, the
// highlight when the item is selected, each column's text at its left edge +
// 1 (a text wider than its column - 2 loses characters from its end behind
// "...", down to "..." alone), and the focus rectangle. Returns 1 when drawn,
// else 0.
int DrawListItemWithIcon(const DRAWITEMSTRUCT* item);

// The text to show for text in a column that leaves room for `room` pixels in
// the device context's font: the text itself when it fits (or is empty), else
// its longest beginning followed by "..." that fits, else "..." alone.
std::string FitCellText(HDC dc, const char* text, int room);
