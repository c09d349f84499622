// Tests only: the program's own plug-in host (core/host) without the program's
// windows, for tests of plug-ins before (and beside) the program itself.
// Binding, unbinding, the host callbacks every plug-in is handed and the
// profile table are the program's; this class adds what tests look at.
//
// The program's plug-in list and tables are process-wide: one host at a time.
#pragma once

#include <string>
#include <vector>

#include "host_tables.h"
#include "plugin_api.h"
#include "plugin_host.h"
#include "qvplatform.h"

namespace qvtest {

class PluginHost {
 public:
  PluginHost() = default;
  ~PluginHost();  // unbinds
  PluginHost(const PluginHost&) = delete;
  PluginHost& operator=(const PluginHost&) = delete;

  // Binds every plug-in file of `directory` (a Windows or Linux path, without
  // a trailing separator). 1 when at least one was bound, else 0.
  int LoadPlugins(const std::string& directory);
  // Shuts every plug-in down and frees it; the tables are emptied.
  void Unbind();

  // The bound plug-ins, in list order.
  std::vector<const PluginEntry*> plugins() const;

  // The function of the first plug-in of `kind` for `id`, asked anew from it.
  FARPROC GetPluginFunction(unsigned int kind, int id) const { return ::GetPluginFunction(kind, id); }
  template <typename F>
  F Function(unsigned int kind, int id) const {
    return reinterpret_cast<F>(GetPluginFunction(kind, id));
  }

  // Rebuilds the program's profile table through function 5 of every
  // plug-in, as the panel does; the rows in table order.
  std::vector<PROFILE*> RebuildProfileTable(HWND panel = nullptr);
  std::vector<PROFILE*> profileTable() const;
  // Deletes a profile through function 3 of its kind's plug-in; the row leaves
  // the table when the plug-in answers 1. 3 when no plug-in has the function.
  int DeleteProfile(PROFILE* row, HWND panel = nullptr);

  // Whether a plug-in asked the panel for a refresh (callback 14) since the
  // last call; the requests are consumed, as the panel's tick does.
  bool TakeRefreshRequest();

 private:
  bool bound_ = false;
};

}  // namespace qvtest
