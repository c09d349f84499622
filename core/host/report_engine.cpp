#include "report_engine.h"

#include <mutex>
#include <string>

#include "host_tables.h"
#include "qvplatform.h"

namespace {

using PerlRunFn = int (*)(const char*, void*, ReportSummaryProc, ReportPropertyProc, ReportStatusProc,
                          ReportFileProc);

// Reports run on the GUI thread and on the plug-in's workers: binding is
// guarded; the engine itself keeps no state between runs.
std::mutex g_lock;
std::string g_file = kReportEngineFile;
HMODULE g_module = nullptr;
PerlRunFn g_perlRun = nullptr;

PerlRunFn BindEngine() {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_perlRun == nullptr) {
    if (g_module == nullptr) g_module = LoadLibraryA(g_file.c_str());
    if (g_module != nullptr) g_perlRun = reinterpret_cast<PerlRunFn>(GetProcAddress(g_module, "PerlRun"));
    if (g_perlRun == nullptr) OutputDebugStringA("CreateReport: the report engine cannot be bound\r\n");
  }
  return g_perlRun;
}

}  // namespace

int RunReportEngine(const char* scriptPath, void* request, ReportSummaryProc summary, ReportPropertyProc property,
                    ReportStatusProc status, ReportFileProc files) {
  const PerlRunFn run = BindEngine();
  if (run == nullptr) return kReportEngineGeneralError;
  return run(scriptPath, request, summary, property, status, files);
}

void SetReportEngineFileForTests(const char* file) {
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_module != nullptr) FreeLibrary(g_module);
  g_module = nullptr;
  g_perlRun = nullptr;
  g_file = file != nullptr ? file : kReportEngineFile;
}
