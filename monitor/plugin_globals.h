// Process-wide state of the plug-in module: its instance, its directory, the
// one plug-in object and the host's callbacks. Set at library attach (and by
// tests) before any other thread of the plug-in runs; read everywhere.
#pragma once

#include "plugin_api.h"
#include "qvplatform.h"

class CAlertPlugin;

// The module instance; every dialog and string of the plug-in is loaded from it.
HINSTANCE PluginInstance();
// Keeps the instance and takes the plug-in's local directory from its file name.
void SetPluginInstance(HINSTANCE instance);

// The program's directory as the plug-in sees it (the directory of its own
// file), ending in a backslash; "" before the instance is known.
const char* PluginLocalDirectory();
void SetPluginLocalDirectory(const char* directory);

CAlertPlugin* ThePlugin();
void SetThePlugin(CAlertPlugin* plugin);

// The host callbacks the plug-in keeps: ids 1, 2, 3, 4, 6, 7, 8, 9, 10, 12, 13,
// 14 and 15. Storing any other id is refused (false) and keeps nothing.
bool IsKeptHostCallback(int id);
bool StoreHostCallback(int id, FARPROC callback);
// The stored callback, or null (any thread may ask).
FARPROC HostCallback(int id);
// Forgets every stored callback (library attach and detach).
void ClearHostCallbacks();
