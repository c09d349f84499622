// Tests only: a look at the link's named mutex from outside the program and
// its agent, to catch an exchange between them while it is in flight.
#pragma once

namespace snmptest {

// Waits (bounded by `seconds`) until another process holds the link's mutex
// of instance n: the side that started an exchange holds it until answered.
bool AwaitExchangeInFlight(unsigned instance, int seconds = 30);

}  // namespace snmptest
