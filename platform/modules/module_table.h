// The table of modules the process knows: the program itself, the module
// files loaded through LoadLibrary, and the built-in and system modules.
//
// Everything here runs under the loader lock, a recursive lock held across
// the whole of a load or unload, DllMain calls included, so that a module's
// DllMain may itself ask for modules and addresses.
#pragma once

#include <sys/types.h>

#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "qvplatform/modules.h"

namespace qvp::modules {

enum class Kind {
  kProgram,  // the executable
  kFile,     // one of our module files, dlopen'ed
  kBuiltin,  // exports from tables of the layer
  kSystem,   // a system library of Linux standing in for a Windows one
};

struct Module {
  HMODULE handle = nullptr;
  Kind kind = Kind::kFile;
  std::string name;  // the file name, or the built-in module's name
  std::string path;  // Linux path of the file ("" for a system module not loaded yet)
  void* dl = nullptr;
  const void* link_map = nullptr;  // the loader's record of the object: tells its own symbols apart
  dev_t dev = 0;
  ino_t ino = 0;
  long refs = 0;
  bool attached = false;  // DLL_PROCESS_ATTACH was sent and accepted
  std::vector<const qvp::BuiltinExport*> tables;  // kBuiltin
  const char* soname = nullptr;                   // kSystem
  // kSystem: a library its plug-ins load and unload on their own, kept
  // resident with it (the ODBC drivers' configuration library).
  const char* companion = nullptr;
};

std::recursive_mutex& LoaderLock();

// Null stands for the program. Null result: no such module.
Module* FindModule(HMODULE handle);
// A built-in or system module by name ("icmp", "ICMP.DLL", ...), or null.
Module* FindNamedModule(std::string_view name);
// A loaded module file by its final name component, without regard to case.
Module* FindFileByName(std::string_view file_name);
// A loaded module file (or the program) that is this file on disk.
Module* FindFileByIdentity(dev_t dev, ino_t ino);

Module& ProgramModule();
// Adds a module under a fresh handle.
Module& InsertModule(std::unique_ptr<Module> module);
void EraseModule(HMODULE handle);

// What the module itself exports (not its dependencies), or null.
void* OwnSymbol(const Module& module, const char* name);
// Functions and data by name, or by ordinal when `name` is below 0x10000.
void* ExportedAddress(const Module& module, const char* name);

// Loads the system library behind a system module on first use.
bool OpenSystemModule(Module& module);

// The layer library's own file (what built-in modules report as their file).
std::string LayerLibraryPath();

// "SQLDriverConnect" of "ODBC32.DLL": the layer's own, which answers
// SQL_DRIVER_PROMPT with its data-source chooser (odbc_prompt.cpp); null for
// every other module and name.
void* OdbcPromptingExport(const Module& module, const char* name);

}  // namespace qvp::modules
