// Run-time binding of "icmp.dll", "ODBC32.DLL" and "WININET.DLL".
#include "probe_libraries.h"

#include <mutex>

namespace {

template <typename F>
void Bind(HMODULE module, const char* name, F& slot) {
  slot = reinterpret_cast<F>(GetProcAddress(module, name));
}

std::mutex g_lock;  // guards the three bindings below
std::shared_ptr<const IcmpLibrary> g_icmp;
std::shared_ptr<const OdbcLibrary> g_odbc;
std::shared_ptr<const WinInetLibrary> g_wininet;

std::shared_ptr<const IcmpLibrary> LoadIcmp() {
  auto lib = std::make_shared<IcmpLibrary>();
  lib->module = LoadLibraryA("icmp.dll");
  if (lib->module == nullptr) return nullptr;
  Bind(lib->module, "IcmpCreateFile", lib->createFile);
  Bind(lib->module, "IcmpSendEcho", lib->sendEcho);
  Bind(lib->module, "IcmpCloseHandle", lib->closeHandle);
  if (!lib->createFile || !lib->sendEcho || !lib->closeHandle) return nullptr;
  return lib;
}

std::shared_ptr<const OdbcLibrary> LoadOdbc() {
  auto lib = std::make_shared<OdbcLibrary>();
  lib->module = LoadLibraryA("ODBC32.DLL");
  if (lib->module == nullptr) return nullptr;
  Bind(lib->module, "SQLAllocEnv", lib->allocEnv);
  Bind(lib->module, "SQLAllocConnect", lib->allocConnect);
  Bind(lib->module, "SQLDriverConnect", lib->driverConnect);
  Bind(lib->module, "SQLDisconnect", lib->disconnect);
  Bind(lib->module, "SQLFreeConnect", lib->freeConnect);
  Bind(lib->module, "SQLFreeEnv", lib->freeEnv);
  Bind(lib->module, "SQLConnect", lib->connect);
  Bind(lib->module, "SQLSetConnectAttr", lib->setConnectAttr);
  if (!lib->allocEnv || !lib->allocConnect || !lib->driverConnect || !lib->disconnect || !lib->freeConnect ||
      !lib->freeEnv || !lib->connect) {
    return nullptr;
  }
  // A trial environment tells whether the driver manager works at all.
  SQLHENV env = nullptr;
  const SQLRETURN rc = lib->allocEnv(&env);
  if (rc != SQL_SUCCESS && rc != SQL_SUCCESS_WITH_INFO) return nullptr;
  lib->freeEnv(env);
  return lib;
}

std::shared_ptr<const WinInetLibrary> LoadWinInet() {
  auto lib = std::make_shared<WinInetLibrary>();
  lib->module = LoadLibraryA("WININET.DLL");
  if (lib->module == nullptr) return nullptr;
  Bind(lib->module, "InternetOpenA", lib->open);
  Bind(lib->module, "InternetOpenUrlA", lib->openUrl);
  Bind(lib->module, "InternetReadFile", lib->readFile);
  Bind(lib->module, "InternetGetLastResponseInfoA", lib->getLastResponseInfo);
  Bind(lib->module, "InternetCloseHandle", lib->closeHandle);
  Bind(lib->module, "InternetSetOptionA", lib->setOption);
  if (!lib->open || !lib->openUrl || !lib->readFile || !lib->getLastResponseInfo || !lib->closeHandle) {
    return nullptr;
  }
  return lib;
}

template <typename T, typename Loader>
std::shared_ptr<const T> Binding(std::shared_ptr<const T>& slot, Loader load) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (!slot) slot = load();
  return slot;
}

}  // namespace

IcmpLibrary::~IcmpLibrary() {
  if (module != nullptr) FreeLibrary(module);
}

OdbcLibrary::~OdbcLibrary() {
  if (module != nullptr) FreeLibrary(module);
}

WinInetLibrary::~WinInetLibrary() {
  if (module != nullptr) FreeLibrary(module);
}

std::shared_ptr<const IcmpLibrary> IcmpBinding() { return Binding(g_icmp, LoadIcmp); }
std::shared_ptr<const OdbcLibrary> OdbcBinding() { return Binding(g_odbc, LoadOdbc); }
std::shared_ptr<const WinInetLibrary> WinInetBinding() { return Binding(g_wininet, LoadWinInet); }

bool LoadProbeLibraries() {
  const bool icmp = IcmpBinding() != nullptr;
  const bool odbc = OdbcBinding() != nullptr;
  return icmp && odbc;
}

void UnloadProbeLibraries() {
  std::shared_ptr<const IcmpLibrary> icmp;
  std::shared_ptr<const OdbcLibrary> odbc;
  std::shared_ptr<const WinInetLibrary> wininet;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    icmp.swap(g_icmp);
    odbc.swap(g_odbc);
    wininet.swap(g_wininet);
  }
  // The libraries are freed here, outside the lock, unless a test still holds one.
}
