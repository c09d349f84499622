// The host side of the plug-in interface: the list of bound plug-ins, binding
// and unbinding, the run-time lookup of a plug-in's function by kind, and the
// chooser that lets the user pick among several plug-ins.
//
// Binding runs once, on the GUI thread, before the main panel exists; the list
// is read-only from then until ShutdownPlugins.
#pragma once

#include "plugin_api.h"
#include "qvplatform.h"

// One bound plug-in.
struct PluginEntry {
  HMODULE module;
  unsigned int kind;
  int major;
  int minor;
  char name[PLUGIN_NAME_LEN];
  PluginEntry* next;
  PFN_InitializeSupportLibrary InitializeSupportLibrary;
  PFN_SupplyCallback SupplyCallback;
  PFN_IsFunctionSupported IsFunctionSupported;
  // One slot per function id, in the order of kPluginSlotOrder.
  FARPROC slots[32];
};

// The function id held by each slot, in slot order.
extern const int kPluginSlotOrder[32];
// The order in which IsFunctionSupported is asked at binding, and the order in
// which the host callbacks are supplied.
extern const int kPluginFillOrder[32];
extern const int kHostCallbackOrder[15];

// The slot of a function id in the entry (what the plug-in answered at
// binding), or null for an id outside 1..32.
FARPROC PluginSlot(const PluginEntry* entry, int functionId);

// The head of the list, ordered by ascending kind (equal kinds in binding order).
extern PluginEntry* g_pluginList;

// Binds every "qvm*.dll" of the directory (a program path without a trailing
// backslash). 1 when at least one plug-in was bound, else 0.
int LoadPlugins(const char* directory);
int LoadPluginFile(const char* directory, const char* fileName);
int BindPluginEntryPoints(PluginEntry* entry);
void FillPluginSlots(PluginEntry* entry);

// For each plug-in in list order: its function 14 when bound, then the library
// is freed. The list is empty afterwards.
void UnloadPlugins();

// The first plug-in of the kind, or null.
PluginEntry* FindPlugin(unsigned int kind);
// The function of the first plug-in of `kind` for `id`, asked anew from the
// plug-in at every call; null when there is none (and for an id outside 1..32).
FARPROC GetPluginFunction(unsigned int kind, int id);
template <typename F>
F GetPluginFunctionAs(unsigned int kind, int id) {
  return reinterpret_cast<F>(GetPluginFunction(kind, id));
}

// The kind of the plug-in the user picked for function `id` (the chooser
// dialog, template 31002, runs only when several plug-ins support it), or -1.
int ChoosePlugin(HWND owner, int id);
INT_PTR CALLBACK PluginChooserDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The view kind the chooser preselects: the main panel tells it its current
// view kind (-1 for "All Profiles") whenever that changes.
void SetChooserViewKind(int viewKind);
