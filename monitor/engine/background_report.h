// The periodic background alert report that AutoReport starts on a worker.
#pragma once

// Runs one background report; reports run one at a time. The report itself
// comes with the alert reports; until then this does nothing.
void GenerateBackgroundReport(int mode, void* unused);
