// The control channel between ControlService and a running service program:
// a Unix stream socket "control-<pid>" in the services directory. The
// controller sends the control code (one 32-bit value); the program's
// dispatcher thread runs the handler and answers with an error code and the
// service's status (eight 32-bit values), then closes the connection.
#pragma once

#include <string>

#include "qvplatform/services.h"

namespace qvp::services {

struct ControlAnswer {
  DWORD error = 0;
  SERVICE_STATUS status{};
};

std::string ControlSocketPath(int pid);

// Binds a listening socket at the path (a stale one is replaced); -1 with
// errno set on failure.
int ListenControlSocket(const std::string& path);

// Sends the control and waits up to timeout_ms for the answer. Returns
// ERROR_SUCCESS with the program's answer, ERROR_SERVICE_REQUEST_TIMEOUT when
// none came in time, or ERROR_SERVICE_NOT_ACTIVE when nobody listens.
DWORD SendControl(const std::string& path, DWORD control, int timeout_ms, ControlAnswer* answer);

// The program's side of one accepted connection: reads the control (waiting
// at most timeout_ms); false when none came.
bool ReadControl(int fd, int timeout_ms, DWORD* control);
void WriteAnswer(int fd, const ControlAnswer& answer);

}  // namespace qvp::services
