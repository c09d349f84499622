// The program's cache of loaded resources: dialog templates, menus and "TEXT"
// resources are searched and loaded once and then handed out from a fixed
// table of 1000 entries, keyed by module, id and type. The language is not
// part of the key: it is fixed for the run.
#pragma once

#include "qvplatform.h"

inline constexpr int kResourceCacheSize = 1000;

// Looks up resource id of type in module (null: the program itself); id and
// type are compared by value, so a named type must always be passed through
// the same pointer. On a miss the resource is searched (with FindResourceExA
// in language, or FindResourceA when language is 0), loaded and kept, as long
// as the table has a free entry; a full table still answers what it holds but
// takes nothing new. A search in a language that fails with an error code
// shows that error's system text in a message box captioned "GetLastError".
//
// Every output may be null. With copy, the caller receives its own block of
// size + 1 bytes (the resource and a terminating zero), allocated with
// std::malloc, which the caller frees with std::free; every call that asks for
// a copy gets a new one. Returns 1 when found, 0 otherwise (outputs untouched).
int FindCachedResource(HMODULE module, LPCSTR id, LPCSTR type, HGLOBAL* loaded, const void** locked,
                       void** copy, DWORD* size, LANGID language);

// Frees what the cache keeps and empties all of its entries (at shut-down).
void FreeResourceCache();
