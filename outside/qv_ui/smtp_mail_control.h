// Steering the mail calls from tests: where the settings come from, the
// time-outs and the EHLO argument. Each null / 0 returns to the default.
#pragma once

#include <string>

#include "qvplatform.h"

namespace qvui::smtp {

// The settings file the mail calls read instead of the program's.
void SetMailSettingsPathForTests(const char* path);
// Connect, reply and end-of-message time-outs in milliseconds (0: default).
void SetMailTimeoutsForTests(DWORD connect_ms, DWORD reply_ms, DWORD data_end_ms);
// The name the client gives in EHLO / HELO.
void SetMailClientDomainForTests(const char* domain);

// The settings file mail is sent with: the one set for tests, else the
// program's own.
std::string MailSettingsPath();

}  // namespace qvui::smtp
