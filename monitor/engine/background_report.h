// The periodic background alert report that AutoReport starts on a worker.
#pragma once

// Runs one background report (mode 1: AutoReport); reports run one at a
// time, and an AutoReport gives up while another one runs.
void GenerateBackgroundReport(int mode, void* unused);
