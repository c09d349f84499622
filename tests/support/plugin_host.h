// Tests only: a host that finds and binds plug-ins exactly as the program
// does, for tests of plug-ins before (and beside) the program itself.
//
// Binding: every "qvm*.dll" that FindFirstFileA finds in the program
// directory is loaded with LoadLibraryA(directory + "\" + name). The host looks
// up InitializeSupportLibrary and calls it (no logon token); then it looks up
// SupplyCallback and IsFunctionSupported. A file that does not load, lacks an
// entry point or refuses is freed and dropped. Otherwise IsFunctionSupported is
// asked for ids 1, 2, 3, 4, 6, 5, 28, 7, 8, 10, 9, 11, 13, 15 ... 19, 12, 14,
// 20, 21, 24, 22, 23, 25, 26, 27, 29, 30, 31, 32 (in that order) and each
// answer stored in its slot, and SupplyCallback is called for host callbacks
// 5, 1, 2, 3, 4, 6, 7, 8, 11, 9, 10, 12, 13, 14, 15. The entry joins the list
// after the last entry whose kind is not greater than its own.
// Unbinding: for each entry in list order, function 14 when its slot holds
// one, then FreeLibrary.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "plugin_api.h"
#include "qvplatform.h"

namespace qvtest {

// The function id of each of the 32 slots, in slot order.
extern const int kPluginSlotOrder[32];
// The order in which IsFunctionSupported is asked at binding.
extern const int kPluginFillOrder[32];
// The order in which host callbacks are supplied.
extern const int kHostCallbackOrder[15];

struct PluginEntry {
  HMODULE module = nullptr;
  std::string file;  // the name FindFirstFileA found
  unsigned int kind = 0;
  int major = 0;
  int minor = 0;
  char name[PLUGIN_NAME_LEN] = {};
  PFN_InitializeSupportLibrary initialize = nullptr;
  PFN_SupplyCallback supplyCallback = nullptr;
  PFN_IsFunctionSupported isFunctionSupported = nullptr;
  FARPROC slots[32] = {};
  // What SupplyCallback answered, in supply order (the program ignores it).
  std::vector<int> supplyAnswers;

  // The slot of a function id, as bound.
  FARPROC Slot(int functionId) const;
};

// What the plug-ins asked of the host through its callbacks.
struct HostCallbackLog {
  std::vector<int> ids;  // every callback id, in call order
  int refreshRequests = 0;
  std::string statusText;
};

class PluginHost {
 public:
  PluginHost();
  ~PluginHost();  // unbinds
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Binds every plug-in file of `directory` (a Windows or Linux path, without
  // a trailing separator). 1 when at least one was bound, else 0.
  int LoadPlugins(const std::string& directory);
  void Unbind();

  const std::vector<PluginEntry*>& plugins() const { return plugins_; }
  // Files dropped while binding, in the order they were found.
  const std::vector<std::string>& dropped() const { return dropped_; }
  PluginEntry* Find(unsigned int kind) const;

  // The function of the first plug-in of `kind` for `id`, asked anew from it.
  FARPROC GetPluginFunction(unsigned int kind, int id) const;
  template <typename F>
  F Function(unsigned int kind, int id) const {
    return reinterpret_cast<F>(GetPluginFunction(kind, id));
  }

  // Rebuilds the profile table through function 5 of every plug-in, reusing
  // the old rows of each kind as the program does.
  const std::vector<PROFILE*>& RebuildProfileTable(HWND panel = nullptr);
  const std::vector<PROFILE*>& profileTable() const { return profiles_; }
  // Deletes a profile through function 3 of its kind's plug-in; the row leaves
  // the table when the plug-in answers 1. 3 when no plug-in has the function.
  int DeleteProfile(PROFILE* row, HWND panel = nullptr);

  HostCallbackLog CallbackLog() const;

 private:
  bool LoadPluginFile(const std::string& directory, const std::string& file);
  bool BindPluginEntryPoints(PluginEntry* entry);
  void FillPluginSlots(PluginEntry* entry);

  std::vector<PluginEntry*> plugins_;
  std::vector<std::string> dropped_;
  std::vector<PROFILE*> profiles_;
};

}  // namespace qvtest
