// The library's entry point, its ordinals and the sample logs.
#include <cstring>

#include "logscout_internal.h"

namespace {

HINSTANCE g_module = nullptr;

// The sample logs shipped with the product.
const char* const kSamples[] = {"file:///..\\samples\\sample.log",
                                "file:///..\\samples\\intranet.log",
                                "file:///..\\samples\\domino.log",
                                "file:///..\\samples\\firewall.log",
                                "file:///..\\samples\\raptor.log",
                                "ftp://ftp.quorvane.example/samples/sample.log",
                                "ftp://ftp2.quorvane.example/samples/sample.log",
                                "http://www.quorvane.example/download/samples/sample.log",
                                "http://www2.quorvane.example/download/samples/sample.log",
                                nullptr};

}  // namespace

bool StartsWithNoCase(const char* text, const char* prefix) {
  for (; *prefix != '\0'; ++text, ++prefix) {
    const char a = (*text >= 'A' && *text <= 'Z') ? static_cast<char>(*text + 32) : *text;
    if (a != *prefix) return false;
  }
  return true;
}

HINSTANCE LogscoutModule() { return g_module; }

QV_API BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) g_module = instance;
  return TRUE;
}

QV_API int WINAPI Logscout_IsItASampleProfile(LPCSTR url) {
  if (url == nullptr) return 0;
  for (const char* const* sample = kSamples; *sample != nullptr; ++sample) {
    if (lstrcmpiA(url, *sample) == 0) return 1;
  }
  return 0;
}

extern "C" __attribute__((visibility("default"))) const QvOrdinalExport QvOrdinalExports[] = {
    {100, "Logscout_Find"}, {103, "Logscout_IsItASampleProfile"}, {0, nullptr}};
