// The plug-in object's share of the alert queues: it makes them at load, on
// the spool directory "qvm_alrt\queue" below the program directory (e-mail,
// audio, then pager), registers them for CAlertConfig::Send and the engine, and
// deletes them at unload after their threads have ended.
#pragma once

#include "alert_queues.h"

// Creates the spool directory when missing, makes the three queues and
// registers them with the alert retry count. False (and nothing made) when the
// spool path does not fit.
bool CreatePluginAlertQueues(const char* localDirectory, int alertRetryCount, CEmailAlertQueue** email,
                             CAudioAlertQueue** audio, CPagerAlertQueue** pager);
// Unregisters the queues, stops and waits for their threads, deletes them and
// clears the pointers.
void DeletePluginAlertQueues(CEmailAlertQueue** email, CAudioAlertQueue** audio, CPagerAlertQueue** pager);
