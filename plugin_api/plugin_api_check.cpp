// Compile-only: the record layouts are pinned by static_asserts in the header.
#include "plugin_api.h"
