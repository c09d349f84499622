// What the start calls in parts of the program that are not in the tree yet:
// the network library binding. Its stand-in in pending_links.cpp is declared
// weak, so the real definition replaces it wherever that part is linked.
#pragma once

#include "qvplatform.h"

// Binds the socket and FTP libraries by name; sets g_app.networkLibraries.
void LoadNetworkLibraries();
// Stops the remote report server and joins its threads (before the plug-ins
// unload); nothing when it is not linked.
void StopRemoteServer();
