// Report-style list views built from tab-separated texts, and their selection.
#pragma once

#include "qvplatform.h"

// Every part of titles between tabs becomes a left-aligned column. A part
// that begins with decimal digits gives its width by them, and its title
// starts after the digits and one more character ("120-Name" is "Name", 120
// wide); other parts are 100 wide. Returns 0.
int ListViewSetColumns(HWND listView, const char* titles);

// The first part of row (up to its first tab) becomes a new item at the end of
// the list, the others its subitems 1, 2, ... Returns the new item's index, or
// -1 when it could not be added.
int ListViewAddRow(HWND listView, const char* row);

// The first item that is selected or focused, or -1.
int ListViewFirstSelected(HWND listView);

// How many items are selected or focused.
int ListViewCountSelected(HWND listView);

// The indices of the selected or focused items, at most `most` of them, into
// indices. Returns how many were stored.
int ListViewGetSelection(HWND listView, int most, int* indices);

// Scrolls the item into full view.
void ListViewEnsureVisible(HWND listView, short index);
