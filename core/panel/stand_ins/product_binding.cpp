// Stand-ins for start-up entry points that the panel calls, built only while
// start-up's own module is missing from the tree.
#include "later_parts.h"

// Entry point; the resource helpers replace this body.
const char* GetProductWebPage(HINSTANCE, int, char*) { return nullptr; }
