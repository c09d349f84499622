// Entry points of parts of the program that come later. Each body below is a
// stand-in: the part's own module replaces it.
#include "later_parts.h"

// Entry point; the remote report server replaces this body.
__attribute__((weak)) void ApplyWebServerSettings() {}

// Entry point; the style wizard replaces this body.
