#include "modules/module_table.h"

#include <dlfcn.h>
#include <link.h>
#include <sys/stat.h>

#include <cstring>
#include <map>

#include "modules/module_paths.h"
#include "qvplatform/nocase.h"

namespace qvp::modules {
namespace {

constexpr uintptr_t kProgramHandle = 0x400000;
constexpr uintptr_t kFirstHandle = 0x10000000;
constexpr uintptr_t kHandleStep = 0x10000;

// "NetApi32.dll", "netapi32", "C:\WINNT\system32\NETAPI32.DLL" -> "NETAPI32".
std::string BuiltinKey(std::string_view name) {
  std::string key(FileNamePart(name));
  for (char& c : key) c = Upper(c);
  if (key.size() > 4 && key.compare(key.size() - 4, 4, ".DLL") == 0) key.resize(key.size() - 4);
  return key;
}

struct Table {
  std::recursive_mutex lock;
  std::map<uintptr_t, std::unique_ptr<Module>> modules;
  std::map<std::string, Module*> named;  // built-in and system modules by BuiltinKey
  uintptr_t next_handle = kFirstHandle;

  Table() {
    auto program = std::make_unique<Module>();
    program->handle = reinterpret_cast<HMODULE>(kProgramHandle);
    program->kind = Kind::kProgram;
    program->path = ExecutablePath();
    program->name = std::string(FileNamePart(program->path));
    program->dl = dlopen(nullptr, RTLD_NOW);
    link_map* lm = nullptr;
    if (program->dl && dlinfo(program->dl, RTLD_DI_LINKMAP, &lm) == 0) program->link_map = lm;
    struct stat st {};
    if (stat(program->path.c_str(), &st) == 0) {
      program->dev = st.st_dev;
      program->ino = st.st_ino;
    }
    program->refs = 1;
    modules.emplace(kProgramHandle, std::move(program));

    // The Windows libraries the system binds by name. Their export tables
    // come from the facilities that implement them.
    for (const char* name : {"KERNEL32", "ICMP", "WININET", "WSOCK32", "MAPI32", "NETAPI32"}) {
      auto m = std::make_unique<Module>();
      m->kind = Kind::kBuiltin;
      m->name = std::string(name) + ".DLL";
      Add(std::move(m));
    }
    auto odbc = std::make_unique<Module>();
    odbc->kind = Kind::kSystem;
    odbc->name = "ODBC32.DLL";
    odbc->soname = "libodbc.so.2";
    odbc->companion = "libodbcinst.so.2";
    Add(std::move(odbc));
  }

  Module& Add(std::unique_ptr<Module> m) {
    uintptr_t value = next_handle;
    next_handle += kHandleStep;
    m->handle = reinterpret_cast<HMODULE>(value);
    Module& ref = *m;
    modules.emplace(value, std::move(m));
    if (ref.kind == Kind::kBuiltin || ref.kind == Kind::kSystem) named[BuiltinKey(ref.name)] = &ref;
    return ref;
  }
};

Table& TheTable() {
  static Table* table = new Table;  // outlives static destructors of other modules
  return *table;
}

}  // namespace

std::recursive_mutex& LoaderLock() { return TheTable().lock; }

Module* FindModule(HMODULE handle) {
  Table& t = TheTable();
  if (!handle) return t.modules.at(kProgramHandle).get();
  auto it = t.modules.find(reinterpret_cast<uintptr_t>(handle));
  return it == t.modules.end() ? nullptr : it->second.get();
}

Module* FindNamedModule(std::string_view name) {
  Table& t = TheTable();
  auto it = t.named.find(BuiltinKey(name));
  return it == t.named.end() ? nullptr : it->second;
}

Module* FindFileByName(std::string_view file_name) {
  for (auto& [value, m] : TheTable().modules) {
    if ((m->kind == Kind::kFile || m->kind == Kind::kProgram) && EqualNoCase(m->name, file_name)) return m.get();
  }
  return nullptr;
}

Module* FindFileByIdentity(dev_t dev, ino_t ino) {
  for (auto& [value, m] : TheTable().modules) {
    if ((m->kind == Kind::kFile || m->kind == Kind::kProgram) && m->ino != 0 && m->dev == dev && m->ino == ino) {
      return m.get();
    }
  }
  return nullptr;
}

Module& ProgramModule() { return *TheTable().modules.at(kProgramHandle); }

Module& InsertModule(std::unique_ptr<Module> module) { return TheTable().Add(std::move(module)); }

void EraseModule(HMODULE handle) {
  Table& t = TheTable();
  auto it = t.modules.find(reinterpret_cast<uintptr_t>(handle));
  if (it == t.modules.end()) return;
  for (auto n = t.named.begin(); n != t.named.end();) {
    n = n->second == it->second.get() ? t.named.erase(n) : std::next(n);
  }
  t.modules.erase(it);
}

void* OwnSymbol(const Module& module, const char* name) {
  if (!module.dl || !name) return nullptr;
  dlerror();
  void* address = dlsym(module.dl, name);
  if (!address) return nullptr;
  // dlsym also searches the libraries the module depends on; Windows modules
  // export only their own.
  Dl_info info{};
  void* owner = nullptr;
  if (!dladdr1(address, &info, &owner, RTLD_DL_LINKMAP) || owner != module.link_map) return nullptr;
  return address;
}

void* ExportedAddress(const Module& module, const char* name) {
  auto value = reinterpret_cast<uintptr_t>(name);
  if (module.kind == Kind::kBuiltin) {
    if (value < 0x10000) return nullptr;
    for (const BuiltinExport* table : module.tables) {
      for (const BuiltinExport* e = table; e->name; ++e) {
        if (std::strcmp(e->name, name) == 0) return reinterpret_cast<void*>(e->proc);
      }
    }
    return nullptr;
  }
  if (value >= 0x10000) {
    // The driver manager cannot prompt here: the layer's chooser stands in.
    void* own = module.kind == Kind::kSystem ? OdbcPromptingExport(module, name) : nullptr;
    if (own != nullptr) return own;
    return OwnSymbol(module, name);
  }
  if (value == 0) return nullptr;
  auto* ordinals = static_cast<const QvOrdinalExport*>(OwnSymbol(module, "QvOrdinalExports"));
  if (!ordinals) return nullptr;
  for (const QvOrdinalExport* e = ordinals; e->ordinal != 0; ++e) {
    if (e->ordinal == value) return e->name ? OwnSymbol(module, e->name) : nullptr;
  }
  return nullptr;
}

bool OpenSystemModule(Module& module) {
  if (module.dl) return true;
  // Never unloaded: system libraries keep process-wide state of their own.
  void* dl = dlopen(module.soname, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);
  if (!dl) return false;
  link_map* lm = nullptr;
  if (dlinfo(dl, RTLD_DI_LINKMAP, &lm) != 0 || !lm) {
    dlclose(dl);
    return false;
  }
  if (module.companion) dlopen(module.companion, RTLD_NOW | RTLD_LOCAL | RTLD_NODELETE);  // optional
  module.dl = dl;
  module.link_map = lm;
  module.path = lm->l_name ? lm->l_name : "";
  return true;
}

std::string LayerLibraryPath() {
  Dl_info info{};
  if (dladdr(reinterpret_cast<void*>(&LayerLibraryPath), &info) && info.dli_fname) return info.dli_fname;
  return {};
}

}  // namespace qvp::modules

namespace qvp {

void RegisterBuiltinModule(const char* name, const BuiltinExport* exports) {
  if (!name || !*name) return;
  std::lock_guard<std::recursive_mutex> g(modules::LoaderLock());
  modules::Module* m = modules::FindNamedModule(name);
  if (!m) {
    auto fresh = std::make_unique<modules::Module>();
    fresh->kind = modules::Kind::kBuiltin;
    fresh->name = std::string(modules::FileNamePart(name));
    m = &modules::InsertModule(std::move(fresh));
  }
  if (m->kind != modules::Kind::kBuiltin || !exports) return;
  m->tables.push_back(exports);
}

}  // namespace qvp
