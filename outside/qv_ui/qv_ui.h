// The user-interface helper library: the QVUI_ functions that the program,
// the monitoring plug-in and Logscout call.
#pragma once

#include "qvplatform/types.h"

// Every module that uses the library registers once at start-up (the program
// with its language id, a plug-in with 0) and unregisters at exit.
// Both return the number of registrations that remain in force.
QV_API int QVUI_Register(LANGID language);
QV_API int QVUI_Unregister();

// Reads the string value valueName (REG_SZ or REG_EXPAND_SZ) of the registry
// key root\subKey into out, truncated to outSize characters with the zero.
// TRUE when the value was read; otherwise FALSE with out empty.
QV_API BOOL QVUI_FindRegistryStringData(HKEY root, const char* subKey, const char* valueName,
                                        char* out, DWORD outSize);
