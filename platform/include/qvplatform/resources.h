// Resources of the layer's modules: finding, loading and enumerating the
// resources a module carries, string tables, and message texts.
//
// Every module (the program, a plug-in, a resource library) carries its
// resources as one constant table built from its resource script by the
// resource compiler, exported under the name "QvResourceTable". A null module
// handle means the program itself.
//
// Resources are named by a number or a text and typed by a number (RT_DIALOG,
// ...) or a text ("TEXT"); texts are compared without regard to case, and a
// text "#123" names the number 123. Each resource exists in one or more
// languages.
//
// Language choice when the caller names none (FindResourceA, LoadStringA, and
// FindResourceExA with language 0): the layer's UI language
// (qvp::SetResourceLanguage, 1033 until set), then that language's primary
// language with the neutral sub-language, then the neutral language (0), then
// any sub-language of the UI language's primary language, then 1033, then the
// first language the module lists.
//
// String tables are stored as RT_STRING resources of 16 strings each (block
// id / 16 + 1), each string a 16-bit little-endian byte count followed by its
// bytes, without terminator, in the layer's ANSI bytes as the script wrote them.
#pragma once

#include <cstdarg>

#include "qvplatform/types.h"
#include "qvplatform/errors.h"

// ---- Names and types ------------------------------------------------------------

#define MAKEINTRESOURCEA(i) (reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(static_cast<WORD>(i))))
#define MAKEINTRESOURCE MAKEINTRESOURCEA
#define IS_INTRESOURCE(r) ((reinterpret_cast<ULONG_PTR>(r) >> 16) == 0)

#define RT_CURSOR MAKEINTRESOURCEA(1)
#define RT_BITMAP MAKEINTRESOURCEA(2)
#define RT_ICON MAKEINTRESOURCEA(3)
#define RT_MENU MAKEINTRESOURCEA(4)
#define RT_DIALOG MAKEINTRESOURCEA(5)
#define RT_STRING MAKEINTRESOURCEA(6)
#define RT_FONTDIR MAKEINTRESOURCEA(7)
#define RT_FONT MAKEINTRESOURCEA(8)
#define RT_ACCELERATOR MAKEINTRESOURCEA(9)
#define RT_RCDATA MAKEINTRESOURCEA(10)
#define RT_MESSAGETABLE MAKEINTRESOURCEA(11)
#define RT_GROUP_CURSOR MAKEINTRESOURCEA(12)
#define RT_GROUP_ICON MAKEINTRESOURCEA(14)
#define RT_VERSION MAKEINTRESOURCEA(16)

#ifndef LANG_NEUTRAL
#define LANG_NEUTRAL 0x00
#endif
#ifndef LANG_GERMAN
#define LANG_GERMAN 0x07
#endif
#ifndef LANG_ENGLISH
#define LANG_ENGLISH 0x09
#endif
#ifndef LANG_FRENCH
#define LANG_FRENCH 0x0c
#endif
#ifndef LANG_JAPANESE
#define LANG_JAPANESE 0x11
#endif
#ifndef SUBLANG_NEUTRAL
#define SUBLANG_NEUTRAL 0x00
#endif
#ifndef SUBLANG_DEFAULT
#define SUBLANG_DEFAULT 0x01
#endif

#ifndef ERROR_MR_MID_NOT_FOUND
#define ERROR_MR_MID_NOT_FOUND 317L
#endif
#ifndef ERROR_RESOURCE_ENUM_USER_STOP
#define ERROR_RESOURCE_ENUM_USER_STOP 15106L
#endif

// ---- FormatMessageA -----------------------------------------------------------

#define FORMAT_MESSAGE_ALLOCATE_BUFFER 0x00000100
#define FORMAT_MESSAGE_IGNORE_INSERTS 0x00000200
#define FORMAT_MESSAGE_FROM_STRING 0x00000400
#define FORMAT_MESSAGE_FROM_HMODULE 0x00000800
#define FORMAT_MESSAGE_FROM_SYSTEM 0x00001000
#define FORMAT_MESSAGE_ARGUMENT_ARRAY 0x00002000
#define FORMAT_MESSAGE_MAX_WIDTH_MASK 0x000000FF

// ---- The module table the resource compiler generates -----------------------------

struct QvResourceEntry {
  const char* type_name;      // a named type (upper case), or nullptr for a numbered type
  const char* name;           // a named resource (upper case), or nullptr for a numbered one
  const unsigned char* data;  // never nullptr
  uint32_t size;
  uint16_t type_id;           // the type's number when type_name is nullptr
  uint16_t id;                // the resource's number when name is nullptr
  uint16_t language;
  uint16_t reserved;
};

#define QV_RESOURCE_TABLE_MAGIC 0x53525651u  // "QVRS"
#define QV_RESOURCE_TABLE_VERSION 1u

// The object a module exports as "QvResourceTable".
struct QvResourceDirectory {
  uint32_t magic;    // QV_RESOURCE_TABLE_MAGIC
  uint32_t version;  // QV_RESOURCE_TABLE_VERSION
  uint32_t count;
  uint32_t reserved;
  const QvResourceEntry* entries;
};

// ---- Win32 calls ----------------------------------------------------------------

typedef BOOL(CALLBACK* ENUMRESLANGPROCA)(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage,
                                          LONG_PTR lParam);

QV_API HRSRC WINAPI FindResourceA(HMODULE hModule, LPCSTR lpName, LPCSTR lpType);
QV_API HRSRC WINAPI FindResourceExA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName, WORD wLanguage);
QV_API HGLOBAL WINAPI LoadResource(HMODULE hModule, HRSRC hResInfo);
QV_API LPVOID WINAPI LockResource(HGLOBAL hResData);
QV_API DWORD WINAPI SizeofResource(HMODULE hModule, HRSRC hResInfo);
QV_API BOOL WINAPI FreeResource(HGLOBAL hResData);
QV_API int WINAPI LoadStringA(HINSTANCE hInstance, UINT uID, LPSTR lpBuffer, int cchBufferMax);
QV_API BOOL WINAPI EnumResourceLanguagesA(HMODULE hModule, LPCSTR lpType, LPCSTR lpName,
                                          ENUMRESLANGPROCA lpEnumFunc, LONG_PTR lParam);
QV_API DWORD WINAPI FormatMessageA(DWORD dwFlags, LPCVOID lpSource, DWORD dwMessageId, DWORD dwLanguageId,
                                   LPSTR lpBuffer, DWORD nSize, va_list* Arguments);

// ---- Layer control and the data other facilities build on --------------------------

namespace qvp {

// The UI language for lookups that name no language (see above).
void SetResourceLanguage(LANGID language);
LANGID GetResourceLanguage();

// Bytes of one resource, pointing into the module's constant table.
struct ResourceBytes {
  const BYTE* data = nullptr;
  DWORD size = 0;
  explicit operator bool() const { return data != nullptr; }
};

// The packed DIB of a bitmap resource (BITMAPINFOHEADER, colour table, bits:
// the bitmap file without its 14-byte file header), in the UI language.
// Empty, with the last error set, when the module has no such bitmap.
ResourceBytes FindBitmapDib(HMODULE module, LPCSTR name);
// The flat menu template (qvplatform/dlgtemplate.h) of a menu resource.
ResourceBytes FindMenuTemplate(HMODULE module, LPCSTR name);
// The flat dialog template of a dialog resource.
ResourceBytes FindDialogTemplate(HMODULE module, LPCSTR name);
// One image of an icon group (the icon file's BITMAPINFOHEADER, XOR and AND
// masks): the one of exactly the wanted size with the most colours, else the
// smallest larger one, else the largest one.
ResourceBytes FindIconImage(HMODULE module, LPCSTR name, int cx, int cy);

// Tests: serve `table` (a QvResourceDirectory) as the resources of `module`
// (nullptr: the program) without a loaded module; a null table removes the entry.
void RegisterResourceTableForTests(HMODULE module, const void* table);

}  // namespace qvp
