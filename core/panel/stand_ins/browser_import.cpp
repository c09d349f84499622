// Stand-ins for start-up entry points that the panel calls, built only while
// start-up's own module is missing from the tree.
#include "later_parts.h"

// Entry point; the first-start step replaces this body.
bool ProxySettingsWereImported() { return false; }
