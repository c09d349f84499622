// Tests only: the layer's service "SNMP" made to run qvagent, started and stopped
// through the service control manager.
#pragma once

#include <string>

namespace snmptest {

// Creates the service with the command line and starts it; false on failure.
bool StartSnmpService(const std::string& commandLine);
// Stops it and waits (bounded) until it reports stopped; false on failure.
bool StopSnmpService();

}  // namespace snmptest
