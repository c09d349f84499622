// The plug-in's one monitor engine: started by the host's start function,
// stopped and freed at shut-down and before the plug-in object goes.
#pragma once

class CAlertPlugin;
class MonitorEngine;

// Creates the engine for the plug-in, installs it as the plug-in's device
// list and starts it. 1 done (also when it runs already), 3 failed.
int StartMonitorEngine(CAlertPlugin* plugin);
// Stops the engine (every engine thread joined), detaches it from the
// plug-in and frees it. Nothing when none runs.
void ShutDownMonitorEngine(CAlertPlugin* plugin);
// The running engine (for the options pages), or null.
MonitorEngine* RunningMonitorEngine();
