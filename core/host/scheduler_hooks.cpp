// The scheduler's entry points that the host tables call after a change.
// They belong to the scheduler (its own module, still to come); until it
// exists they leave the table's order, the chosen event and every next run
// as they are.
#include "host_tables.h"

// The scheduler's re-ordering and choice of the next due event (mutex held).
void RescheduleAll(int /*startUp*/) {}

// The scheduler's advance of an event's next run past now.
void ComputeNextRunTime(SCHEDULE_EVENT* /*event*/) {}
