// Whether the environment asks for the windows to be shown.
#pragma once

namespace qvp::display {

// DISPLAY is set and neither QV_HEADLESS nor QV_TEST is: the first top-level
// window shown opens the display, and text is drawn from the real fonts from
// the start, so that layouts are made with the fonts that are shown.
bool DisplayWantedByEnvironment();

}  // namespace qvp::display
