// Top-level windows that other processes of the same user can find.
//
// A top-level window of a shared class (qvp::ShareWindowClass) is published
// while it lives: a Unix socket <state>/windows/<CLASS>.sock, served by a
// thread of the owning process. FindWindowA in another process that finds no
// window of its own for such a class looks for that socket; when a live
// owner answers, it hands back a local stand-in window whose procedure
// carries SendMessageA calls of messages from WM_USER up (two integers, no
// pointers) to the real window and returns its answer.
#pragma once

#include <string>

#include "qvplatform/ui.h"

namespace qvp::ui {

// Adds a class to the shared ones; FALSE for a name that cannot be shared.
BOOL ShareClass(LPCSTR class_name);

// Publishes hwnd when its class is shared and no window of the class is
// published by this process yet. Called once a top-level window is created.
void PublishIfShared(HWND hwnd, const std::string& class_name);

// Withdraws hwnd's publication, if any, and waits for the serving thread to
// end, serving messages sent to the calling thread meanwhile.
void Unpublish(HWND hwnd);

// The stand-in of a live published window of another process, or null.
HWND FindRemoteWindow(LPCSTR class_name, LPCSTR title);

// The socket path of a class (for tests).
std::string SharedWindowSocketPath(const std::string& class_name);

}  // namespace qvp::ui
