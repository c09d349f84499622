// The host's hidden window on the GUI thread, through which the remote
// server's threads hand their commands for the plug-ins over to that thread.
#pragma once

#include "qvplatform.h"

// Made by LoadPlugins on the GUI thread; destroyed by UnloadPlugins.
void CreateRemoteCommandWindow();
void DestroyRemoteCommandWindow();

// The remote-command walk itself; GUI thread only. Inside another walk over
// the schedule (schedule_walk.h) the command waits for that walk's end.
void OfferRemoteCommandOnGuiThread(const char* text);
// Runs the commands that waited; called when the outermost walk ends.
void RunDeferredRemoteCommands();
