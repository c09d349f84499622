// The window procedures of the standard controls and their registration as
// classes of the layer.
#pragma once

#include "qvplatform/ui.h"

namespace qvp::ui {

LRESULT CALLBACK StaticWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK ButtonWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK EditWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK ListBoxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK ComboBoxWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
LRESULT CALLBACK ScrollBarWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);

// Registers "Static", "Button", "Edit", "ListBox", "ComboBox", "ScrollBar" and
// "ComboLBox" (a combo box's open list) for every instance. Runs when the layer is loaded; running it again changes nothing.
void RegisterControlClasses();

}  // namespace qvp::ui
