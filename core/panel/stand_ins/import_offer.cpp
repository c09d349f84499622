// Stand-ins for start-up entry points that the panel calls, built only while
// start-up's own module is missing from the tree.
#include "later_parts.h"

// Entry point; the import offer of start-up replaces this body.
int OfferImport(HWND) { return 0; }

// Entry point; the import offer of start-up replaces this body.
int FindExcelProgram(char* path) {
  if (path) path[0] = '\0';
  return 0;
}
