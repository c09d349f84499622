// The registry: a simulated, file-backed key/value store with the Win32
// registry calls (ANSI forms).
//
// Key paths are '\'-separated and compared without regard to case, as are
// value names. HKEY_CLASSES_ROOT is a view of HKEY_LOCAL_MACHINE\Software\Classes.
// The whole store is kept in one text file; every change is written back at
// once (temporary file + rename, under an advisory lock), and a change made
// to the file by another process is picked up by the next call.
//
// Access masks are accepted and not enforced: the store has one user.
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/errors.h"

typedef DWORD ACCESS_MASK;
typedef ACCESS_MASK REGSAM;

// Predefined keys, with the values (sign-extended) that Windows gives them.
#define QV_PREDEFINED_HKEY(v) (reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(static_cast<LONG_PTR>(static_cast<LONG>(v)))))
#define HKEY_CLASSES_ROOT QV_PREDEFINED_HKEY(0x80000000)
#define HKEY_CURRENT_USER QV_PREDEFINED_HKEY(0x80000001)
#define HKEY_LOCAL_MACHINE QV_PREDEFINED_HKEY(0x80000002)
#define HKEY_USERS QV_PREDEFINED_HKEY(0x80000003)

// Value types.
#define REG_NONE 0
#define REG_SZ 1
#define REG_EXPAND_SZ 2
#define REG_BINARY 3
#define REG_DWORD 4
#define REG_DWORD_LITTLE_ENDIAN 4
#define REG_DWORD_BIG_ENDIAN 5
#define REG_LINK 6
#define REG_MULTI_SZ 7
#define REG_QWORD 11

// Access rights.
#define KEY_QUERY_VALUE 0x0001
#define KEY_SET_VALUE 0x0002
#define KEY_CREATE_SUB_KEY 0x0004
#define KEY_ENUMERATE_SUB_KEYS 0x0008
#define KEY_NOTIFY 0x0010
#define KEY_CREATE_LINK 0x0020
#define KEY_WOW64_64KEY 0x0100
#define KEY_WOW64_32KEY 0x0200
#define KEY_READ 0x20019
#define KEY_WRITE 0x20006
#define KEY_EXECUTE 0x20019
#define KEY_ALL_ACCESS 0xF003F

// RegCreateKeyExA options and dispositions.
#define REG_OPTION_NON_VOLATILE 0x00000000
#define REG_OPTION_VOLATILE 0x00000001
#define REG_CREATED_NEW_KEY 0x00000001
#define REG_OPENED_EXISTING_KEY 0x00000002

QV_API LONG RegOpenKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD ulOptions, REGSAM samDesired, PHKEY phkResult);
QV_API LONG RegOpenKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
QV_API LONG RegCreateKeyExA(HKEY hKey, LPCSTR lpSubKey, DWORD Reserved, LPSTR lpClass, DWORD dwOptions,
                            REGSAM samDesired, LPSECURITY_ATTRIBUTES lpSecurityAttributes, PHKEY phkResult,
                            LPDWORD lpdwDisposition);
QV_API LONG RegCreateKeyA(HKEY hKey, LPCSTR lpSubKey, PHKEY phkResult);
QV_API LONG RegCloseKey(HKEY hKey);
QV_API LONG RegQueryValueExA(HKEY hKey, LPCSTR lpValueName, LPDWORD lpReserved, LPDWORD lpType, LPBYTE lpData,
                             LPDWORD lpcbData);
QV_API LONG RegSetValueExA(HKEY hKey, LPCSTR lpValueName, DWORD Reserved, DWORD dwType, const BYTE* lpData,
                           DWORD cbData);
QV_API LONG RegEnumValueA(HKEY hKey, DWORD dwIndex, LPSTR lpValueName, LPDWORD lpcchValueName, LPDWORD lpReserved,
                          LPDWORD lpType, LPBYTE lpData, LPDWORD lpcbData);
QV_API LONG RegEnumKeyExA(HKEY hKey, DWORD dwIndex, LPSTR lpName, LPDWORD lpcchName, LPDWORD lpReserved,
                          LPSTR lpClass, LPDWORD lpcchClass, LPFILETIME lpftLastWriteTime);
QV_API LONG RegEnumKeyA(HKEY hKey, DWORD dwIndex, LPSTR lpName, DWORD cchName);
QV_API LONG RegDeleteValueA(HKEY hKey, LPCSTR lpValueName);
QV_API LONG RegDeleteKeyA(HKEY hKey, LPCSTR lpSubKey);
QV_API LONG RegQueryInfoKeyA(HKEY hKey, LPSTR lpClass, LPDWORD lpcchClass, LPDWORD lpReserved, LPDWORD lpcSubKeys,
                             LPDWORD lpcbMaxSubKeyLen, LPDWORD lpcbMaxClassLen, LPDWORD lpcValues,
                             LPDWORD lpcbMaxValueNameLen, LPDWORD lpcbMaxValueLen, LPDWORD lpcbSecurityDescriptor,
                             LPFILETIME lpftLastWriteTime);

namespace qvp {

// Chooses the file that holds the store and loads it; null goes back to the
// default: $QV_REGISTRY, else $HOME/.quorvane/registry. Open key handles stay
// valid for keys that exist in the newly loaded store.
void SetRegistryFile(const char* path);

// Replaces the whole store with the given text (the file format below) and
// writes it to the store's file. False, with the store unchanged and the
// reason on stderr, when the text does not parse or cannot be written.
//
// The file format, one item per line:
//   [HKEY_LOCAL_MACHINE\Software\Maker\Product]    a key (HKLM, HKCU, HKU, HKCR also accepted)
//   "Name"=sz:"text"                               REG_SZ (expand_sz: REG_EXPAND_SZ)
//   @=dword:0000000a                               the key's default value, REG_DWORD
//   "Data"=binary:01,02,ff                         REG_BINARY
//   "List"=multi_sz:"one","two"                    REG_MULTI_SZ
//   "Other"=hex(11):01,00,00,00,00,00,00,00        any type, raw bytes
// Inside quotes and key paths, '%', '"', ']' and control characters are
// written as %HH. Blank lines and lines starting with ';' or '#' are ignored.
bool PreloadRegistry(const char* text);

}  // namespace qvp
