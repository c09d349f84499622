// Dialog templates, menus and "TEXT" resources of the program's resource
// libraries, through the resource cache, in the program's language.
#pragma once

#include "qvplatform.h"

// The type name of the program's text resources.
inline constexpr char kTextResourceType[] = "TEXT";

// Menu id of the product library (AppGlobals::productModule), for
// LoadMenuIndirectA; null when missing.
const void* LoadProductMenuTemplate(int id);

// Dialog template id of the resource module, shared by every dialog made from
// it (DialogBoxIndirectParamA, CreateDialogIndirectParamA); null when missing.
LPCDLGTEMPLATEA LoadDialogTemplate(int id);

// The caller's own copy of dialog template id of the resource module, with its
// size in bytes in *size (when size is not null). The block has one zero byte
// beyond the template; the caller frees it with std::free. Null when missing.
void* CopyDialogTemplate(int id, int* size);

// The caller's own copy of "TEXT" resource id of the resource module, ending
// in a zero byte, with the resource's size (without that zero) in *size. The
// caller frees it with std::free. Null when missing.
char* LoadTextResource(int id, int* size);
