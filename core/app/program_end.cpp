// An end asked for from outside the window thread: the service's stop control
// or a termination signal. The request is remembered, so that one coming
// before the main panel is up is not lost: the start then ends at its message
// loop instead of running the panel.
#include <atomic>

#include "app_start.h"

namespace {

std::atomic<bool> g_endRequested{false};

}  // namespace

void NoteProgramEndRequested() { g_endRequested.store(true); }

bool ProgramEndRequested() { return g_endRequested.load(); }
