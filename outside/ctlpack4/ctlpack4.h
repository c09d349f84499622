// The custom-controls library "ctlpack4.dll". The program loads it by that
// name at start-up and calls two entry points by ordinal, each with the
// program's instance: 66 registers the control classes, 67 unregisters them.
// Registrations are counted: only the last unregister removes the classes.
#pragma once

#include "qvplatform.h"

inline constexpr const char* kCtlPackFileName = "ctlpack4.dll";
inline constexpr WORD kCtlPackRegisterOrdinal = 66;
inline constexpr WORD kCtlPackUnregisterOrdinal = 67;

// The class of the report viewer's text control. For now its procedure only
// keeps a window text and paints a blank page; the viewer's own messages are
// answered with 0.
inline constexpr const char* kViewerTextClass = "QvViewerText";

// Both answer TRUE on success; FALSE with the last error set otherwise
// (67 without a matching 66: ERROR_CLASS_DOES_NOT_EXIST).
typedef BOOL (*PFN_CtlPackRegister)(HINSTANCE instance);
typedef BOOL (*PFN_CtlPackUnregister)(HINSTANCE instance);

QV_API BOOL CtlPack_RegisterControls(HINSTANCE instance);
QV_API BOOL CtlPack_UnregisterControls(HINSTANCE instance);
