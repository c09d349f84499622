// The Test buttons of the alert pages: a test alert through the queues' test
// slots, with its progress in the "Test Alert Status" dialog.
#pragma once

#include "alert_runtime.h"
#include "qvplatform.h"

class CAlertConfig;

// Runs the test of `copy` (one channel enabled, filled from the page): the
// test status dialog opens, takes the copy's alerts to the queues once it can
// show their progress, and returns when every channel is done. Refused with a
// message box (nothing sent) while an earlier test of the same channel is
// still in its queue's test slot. `copy` is the caller's.
void RunAlertTest(HWND page, CAlertConfig* copy, AlertChannel channel);
