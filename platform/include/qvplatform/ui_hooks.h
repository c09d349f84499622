// Message filter hooks of the calling thread: a procedure that sees each
// message the dialog manager is about to handle (IsDialogMessage, and so every
// modal dialog's loop) and may take it for itself. Not part of the umbrella
// header: include it where hooks are used.
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/errors.h"
#include "qvplatform/ui_message.h"

QV_DECLARE_HANDLE(HHOOK);
typedef LRESULT(CALLBACK* HOOKPROC)(int code, WPARAM wParam, LPARAM lParam);

// Hook kinds; only WH_MSGFILTER is offered.
#define WH_MSGFILTER (-1)
#define WH_KEYBOARD 2

// Hook codes: a negative code is passed on to CallNextHookEx untouched.
#define HC_ACTION 0

#ifndef ERROR_INVALID_HOOK_HANDLE
#define ERROR_INVALID_HOOK_HANDLE 1404L
#endif
#ifndef ERROR_INVALID_HOOK_FILTER
#define ERROR_INVALID_HOOK_FILTER 1426L
#endif
#ifndef ERROR_INVALID_FILTER_PROC
#define ERROR_INVALID_FILTER_PROC 1427L
#endif

// Installs `lpfn` at the head of the calling thread's WH_MSGFILTER chain.
// `dwThreadId` must be the calling thread (system-wide hooks are not offered:
// ERROR_INVALID_PARAMETER); a hook is never seen by another thread. Other kinds
// fail with ERROR_INVALID_HOOK_FILTER, a null procedure with
// ERROR_INVALID_FILTER_PROC.
QV_API HHOOK WINAPI SetWindowsHookExA(int idHook, HOOKPROC lpfn, HINSTANCE hmod, DWORD dwThreadId);
// Removes a hook of the calling thread; a hook may remove itself (or another)
// while it runs: from then on it is no longer called.
QV_API BOOL WINAPI UnhookWindowsHookEx(HHOOK hhk);
// Calls the next hook of the chain after `hhk`; 0 when there is none.
QV_API LRESULT WINAPI CallNextHookEx(HHOOK hhk, int nCode, WPARAM wParam, LPARAM lParam);
// Gives `lpMsg` to the thread's message filter hooks with code `nCode` (e.g.
// MSGF_DIALOGBOX); TRUE when one of them took it.
QV_API BOOL WINAPI CallMsgFilterA(LPMSG lpMsg, int nCode);
