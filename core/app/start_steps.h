// The named steps of the start and of the shutdown, in their order. Each step
// is announced on the debug output as it begins; tests watch the steps and
// may make one fail as if the step itself had failed.
#pragma once

#include <functional>

enum class StartStep {
  kRegisterClass,
  kHiddenWindow,
  kCommandLine,
  kSchedulerMutex,
  kOwnerDefaults,
  kCpuUsage,
  kNetworkLibraries,
  kDisplayAndControls,
  kLanguage,
  kProductLibrary,
  kProductRegister,
  kResourceModule,
  kHelpPath,
  kProgressBarWindowClass,
  kSplash,
  kPendingMessages,
  kSplashHold,
  kPlugins,
  kFirstStart,
  kPostMainPanel,
  kMessageLoop,
  // The shutdown's own steps.
  kFreeResourceCache,
  kReleaseProductSplash,
  kUnregisterControls,
  kUnloadPlugins,
  kReleaseResourceModule,
  kReleaseProductLibrary,
};

const char* StartStepName(StartStep step);

// Announces the step; false when a test makes it fail.
bool EnterStep(StartStep step);

namespace qvapp {
// Tests only: called at every step; answering false makes the step fail.
// An empty function removes the observer.
void SetStepObserverForTests(std::function<bool(StartStep)> observer);
}  // namespace qvapp
