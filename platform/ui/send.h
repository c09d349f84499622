// Sending messages: direct calls on the window's own thread, hand-over to the
// owner thread otherwise.
#pragma once

#include <memory>

#include "ui/queue.h"

namespace qvp::ui {

enum class SendOutcome { kReplied, kTimedOut, kFailed };

// Hands a message to another thread's queue and waits for the reply, serving
// messages sent to the calling thread meanwhile unless `block` is set.
// timeout_ms INFINITE waits for ever.
SendOutcome SendAcross(const std::shared_ptr<ThreadQueue>& target, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                       DWORD timeout_ms, bool block, LRESULT* result);

// Runs one message another thread sent to the calling thread and replies.
void ReceiveSent(const std::shared_ptr<SentMessage>& m);

// Messages below WM_USER whose parameters carry pointers: they cannot be posted
// or sent without waiting.
bool CarriesPointer(UINT msg);

// Flags a thread sets while it blocks for messages (it is not hung meanwhile).
void SetWaitingForMessages(bool waiting);

}  // namespace qvp::ui
