// Step names on the debug output, and the tests' observer.
#include "start_steps.h"

#include <string>
#include <utility>

#include "qvplatform.h"

namespace {

std::function<bool(StartStep)>& Observer() {
  static std::function<bool(StartStep)> observer;
  return observer;
}

}  // namespace

const char* StartStepName(StartStep step) {
  switch (step) {
    case StartStep::kRegisterClass: return "main window class";
    case StartStep::kHiddenWindow: return "hidden main window";
    case StartStep::kCommandLine: return "command line and program directory";
    case StartStep::kSchedulerMutex: return "scheduler mutex";
    case StartStep::kOwnerDefaults: return "owner and organisation";
    case StartStep::kCpuUsage: return "CPU usage setting";
    case StartStep::kNetworkLibraries: return "network libraries";
    case StartStep::kDisplayAndControls: return "colour depth and custom controls";
    case StartStep::kLanguage: return "language";
    case StartStep::kProductLibrary: return "product library";
    case StartStep::kProductRegister: return "product registration";
    case StartStep::kResourceModule: return "resource module";
    case StartStep::kHelpPath: return "help path";
    case StartStep::kProgressBarWindowClass: return "progress bar class";
    case StartStep::kSplash: return "splash";
    case StartStep::kPendingMessages: return "pending messages";
    case StartStep::kSplashHold: return "splash hold";
    case StartStep::kPlugins: return "plug-ins";
    case StartStep::kFirstStart: return "first-start step";
    case StartStep::kPostMainPanel: return "main panel request";
    case StartStep::kMessageLoop: return "message loop";
    case StartStep::kFreeResourceCache: return "shutdown: resource cache";
    case StartStep::kReleaseProductSplash: return "shutdown: splash and registrations";
    case StartStep::kUnregisterControls: return "shutdown: window classes and custom controls";
    case StartStep::kUnloadPlugins: return "shutdown: plug-ins";
    case StartStep::kReleaseResourceModule: return "shutdown: resource module";
    case StartStep::kReleaseProductLibrary: return "shutdown: product library";
  }
  return "?";
}

bool EnterStep(StartStep step) {
  const std::string line = std::string("Start-up step: ") + StartStepName(step) + "\r\n";
  OutputDebugStringA(line.c_str());
  const auto& observer = Observer();
  return !observer || observer(step);
}

namespace qvapp {
void SetStepObserverForTests(std::function<bool(StartStep)> observer) { Observer() = std::move(observer); }
}  // namespace qvapp
