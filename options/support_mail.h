// Mail handed to the user's mail client through Simple MAPI, with the client's
// compose dialog: the main panel's mail to technical support.
#pragma once

#include "qvplatform.h"

// 1 when the client took the message, 0 after a warning (strings 10024-10029).
// The body's first character 0xFF, if any, marks where the attachment goes.
int SendMapiMail(HWND owner, const char* subject, const char* address, const char* addressName, const char* body,
                 const char* attachment);
int SendMapiMail(HWND owner, const char* subject, const char* address, const char* addressName, const char* body);

// Tests: the mail library SendMapiMail loads instead of "MAPI32.DLL" (null
// returns to it).
void SetMapiLibraryForTests(const char* file);
