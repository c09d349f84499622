// What the server's threads ask of the GUI thread: the main panel's profile
// rows (message 1457), the plug-ins' script directives (function 25) and the
// settings' apply. The work runs on the GUI thread through a hidden window
// made there; while the GUI thread waits for the server to stop it keeps
// serving these requests, so no server thread waits for it for ever.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class RemoteRequest;

// Made and destroyed on the GUI thread (by the server's start and stop).
void CreateGuiBridge();
void DestroyGuiBridge();
// True on the thread that owns the main panel (or any thread without one).
bool OnGuiThread();

// Runs the work on the GUI thread and waits for it; on the calling thread
// when there is no bridge or the caller is the GUI thread. False when the
// work could not be run (the bridge went away).
bool RunOnGuiThread(const std::function<void()>& work);
// Posts the work to the GUI thread without waiting; false when there is no
// bridge to post to.
bool PostToGuiThread(std::function<void()> work);

struct ProfileRowCopy {
  std::string file;
  std::string description;
  int32_t kind = 0;
  std::string owner;  // kind 1 only: the plug-in's owner text of the profile
};

// The main panel's profile rows, copied on the GUI thread.
std::vector<ProfileRowCopy> CopyProfileRows();
// The kind of the first row whose profile file is `file`; false when none.
bool ProfileKindOfFile(const std::string& file, uint32_t* kind);
// Offers a directive to the plug-ins in list order on the GUI thread; the
// first non-zero answer (how many characters it took after the '%'), or 0.
int OfferDirectiveToPlugins(const char* text, RemoteRequest* request);
