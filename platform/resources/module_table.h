// Where the resource functions find a module's table, and how they match
// resource names, types and languages in it.
#pragma once

#include "qvplatform/resources.h"

namespace qvp {

// The resource table of a module (nullptr: the program): the object the module
// exports as "QvResourceTable", checked for its magic and version, unless a
// test registered a table for the module. Nullptr, with *error set to the
// Windows error to report, when the module carries no resources or is no
// module.
const QvResourceDirectory* FindModuleResourceTable(HMODULE module, DWORD* error);

// True when a resource name or type query (a MAKEINTRESOURCE number, a text, or
// "#123") names the entry's name or type.
bool ResourceNameMatches(const char* entry_name, uint16_t entry_id, LPCSTR query);

// The entry of `type`/`name` in `language`, or, with language 0, in the language
// chosen as the file header of resources.h says. Nullptr, with *error set to
// ERROR_RESOURCE_TYPE_NOT_FOUND, _NAME_NOT_FOUND or _LANG_NOT_FOUND, when absent.
const QvResourceEntry* FindEntry(const QvResourceDirectory& table, LPCSTR type, LPCSTR name, LANGID language,
                                 DWORD* error);

// How well a resource language answers a lookup that names none, for the UI
// language `ui`: 0 is best; 5 is any language at all.
int LanguageRank(LANGID candidate, LANGID ui);

// The entry behind a resource handle of `module`, or nullptr when the handle is
// not one of that module's resources.
const QvResourceEntry* EntryFromHandle(HMODULE module, HRSRC handle);

}  // namespace qvp
