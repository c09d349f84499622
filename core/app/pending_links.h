// What the start calls in other parts of the program: the plug-in host, the
// main panel with its progress bar and analysis status, and the network
// library binding. Each has a stand-in in pending_links.cpp, declared weak,
// that the real definition replaces wherever that part is linked.
#pragma once

#include "qvplatform.h"

// The main panel (template 100) and its start flag.
extern "C" __attribute__((visibility("default"))) INT_PTR CALLBACK Big_Buttons_Dialog(HWND panel, UINT message,
                                                                                      WPARAM wParam, LPARAM lParam);
// True once the main panel has finished its start.
bool MainPanelStarted();

// The progress bar's window class "Quorvane Progress Bar".
int RegisterProgressBarClass(HINSTANCE instance);
void UnregisterProgressBarClass(HINSTANCE instance);

// [Defaults] CPUUsage for the analysis status's yield, read once at start-up.
void SetAnalysisCpuUsage(WORD percent);

// Binds the socket and FTP libraries by name; sets g_app.networkLibraries.
void LoadNetworkLibraries();
