// Process-wide state of the alerting part of the plug-in: the flags that the
// test status window, the monitor engine and the senders share, the status
// windows the senders report to, the alert retry count, and the three queues
// of the plug-in object. The plug-in object and the engine set these; the
// channels and queues read them. Every value is atomic: many threads read them
// while the user-interface thread or the engine changes them.
#pragma once

#include "qvplatform.h"

class CAudioAlertQueue;
class CEmailAlertQueue;
class CPagerAlertQueue;

enum class AlertChannel { Email = 0, Audio = 1, Pager = 2 };

// The test-cancel flag: set by the test status window, cleared when a test
// starts, polled by the senders. Its address is handed to the mail library,
// which reads it atomically.
const volatile BYTE* AlertTestCancelFlag();
bool IsAlertTestCancelled();
void SetAlertTestCancelled(bool cancelled);

// One test-running flag per channel: set when a test alert is handed to its
// queue, read and cleared by the test status window.
bool IsAlertTestRunning(AlertChannel channel);
void SetAlertTestRunning(AlertChannel channel, bool running);

// [General] DisableAlertModule in effect: the queues hold their spooled alerts
// (test alerts still go out).
bool IsAlertingDisabled();
void SetAlertingDisabled(bool disabled);

// [General] AlertRetryCount: how often an e-mail or page is tried in all
// (3 until the plug-in sets it; 0 and 1 both mean once).
int AlertRetryCount();
void SetAlertRetryCount(int count);

// The windows status lines go to: the test status window while a test runs
// (null otherwise) and the hidden "Alert Errors" window.
HWND AlertTestStatusWindow();
void SetAlertTestStatusWindow(HWND window);
HWND AlertErrorsWindow();
void SetAlertErrorsWindow(HWND window);

// The plug-in object's queues, which CAlertConfig::Send hands alerts to. Any
// of them may be null (that channel then sends nothing).
struct AlertQueues {
  CEmailAlertQueue* email = nullptr;
  CAudioAlertQueue* audio = nullptr;
  CPagerAlertQueue* pager = nullptr;
};
AlertQueues GetAlertQueues();
void SetAlertQueues(const AlertQueues& queues);

// Starts the registered queues' delivery threads in the order e-mail, audio,
// pager (the monitor engine at start-up); false when one could not start.
bool StartAlertQueues();
// Stops every registered queue's thread and waits for it: a send in progress
// finishes first. Called by the engine when monitoring stops, and by the
// plug-in object before it deletes the queues, so no delivery thread outlives
// the module.
void StopAlertQueues();
