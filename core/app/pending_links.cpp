// Stand-in for the network library binding until it is linked: the program
// then runs without network libraries.
#include "pending_links.h"

__attribute__((weak)) void LoadNetworkLibraries() {}
__attribute__((weak)) void StopRemoteServer() {}
