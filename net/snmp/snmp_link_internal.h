// Between the SNMP link's files.
#pragma once

// Posts ApplyWebServerSettings to the program's GUI thread (the thread that
// sent the first trap); nothing when there is none.
void HandSnmpApplyToGuiThread();
