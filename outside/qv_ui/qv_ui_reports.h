// The library's services for reports and schedules: memory blocks, file
// tests, the date and time of a log line, integer settings, the progress bar,
// timers, TAB order, the keyboard hook, and report delivery by mail and FTP.
// Included by qv_ui.h.
#pragma once

#include "qvplatform.h"

// ---------------------------------------------------------------------------
// Memory blocks. QVUI_MyAlloc: a zeroed block of `size` bytes (0 gives a
// block too), null when memory runs out. QVUI_MyRealloc: the block resized to
// `size` bytes, its contents kept and any new bytes zeroed; a null block is
// allocated anew. A block keeps room for growing (it doubles when it must
// move), so growing a table one element at a time costs amortised constant
// time; the block may move. Null when memory runs out (the old block stays
// valid) or when `block` did not come from these calls. QVUI_MyFree2: frees
// a block of these calls; TRUE when freed, FALSE for null or a block that did
// not come from here (it is left alone).
QV_API void* QVUI_MyAlloc(DWORD size);
QV_API void* QVUI_MyRealloc(void* block, DWORD size);
QV_API BOOL QVUI_MyFree2(void* block);

// ---------------------------------------------------------------------------
// Files. QVUI_FindFile: TRUE when `path` names an existing file or directory
// (wildcards match any). QVUI_CountFiles: the number of files matching
// `pattern` ("dir\*.AMS"); 0 when none.
QV_API BOOL QVUI_FindFile(const char* path);
QV_API int QVUI_CountFiles(const char* pattern);

// Writes `value` as decimal text to a settings file; TRUE when written.
QV_API BOOL QVUI_WritePrivateProfileInt(const char* section, const char* key, int value, const char* file);

// The present local date and time as the regional settings show them: the
// date ([intl] iDate order, sDate separator, two digits a field), a blank and
// the time (sTime separator): "12/31/99 23:59:58". Written into out of outSize
// characters with the zero; the text's length.
QV_API int QVUI_GetDateTime(char* out, int outSize);

// ---------------------------------------------------------------------------
// Dialog helpers.
//
// QVUI_CreateProgressBar: a progress control put in place of the dialog's
// item `itemId` (which is hidden), taking message 2025 (wParam: the range's
// upper end) and 2024 (wParam: the position) besides the control's own
// messages; null when it cannot be made.
#define QVUI_PROGRESS_SETRANGE 2025
#define QVUI_PROGRESS_SETPOS 2024
QV_API HWND QVUI_CreateProgressBar(HWND dialog, int itemId);

// Timers of a window: QVUI_SetTimerEx starts (or restarts) timer `id` of
// `window` firing WM_TIMER every `elapseMs`; QVUI_KillTimerEx stops it.
QV_API BOOL QVUI_SetTimerEx(HWND window, UINT id, UINT elapseMs);
QV_API BOOL QVUI_KillTimerEx(HWND window, UINT id);

// Handles the waiting messages of the calling thread (dialog keys through the
// dialog `dialog`, when given). FALSE when WM_QUIT was seen (it is posted again).
QV_API BOOL QVUI_PumpMessages(HWND dialog);

// TAB order: gives the dialog's controls `ids` (count of them, in order) the
// TAB stop order of the list: each is placed after the one before it.
QV_API BOOL QVUI_SetTabOrder(HWND dialog, const int* ids, int count);

// The keyboard hook a dialog with tab pages installs so that Ctrl+Tab moves
// between its pages; QVUI_RemoveKeyboardHook takes it away again.
QV_API BOOL QVUI_SetKeyboardHook(HWND dialog, HWND tabControl);
QV_API void QVUI_RemoveKeyboardHook(HWND dialog);

// ---------------------------------------------------------------------------
// Report delivery.
//
// QVUI_SendMail: one message to `address` with the files as MIME attachments
// (base64), subject and transport from [eMail] of the program's settings file
// (see smtp_mail.h). 0 when sent, -1 when not (the reason goes to the debug
// output). `progress` (a progress bar or null) is moved as files are read.
QV_API int QVUI_SendMail(HWND progress, const char* address, int count, char** files);

// QVUI_FTPSendFiles: uploads the files (binary, passive) to the FTP target
// "ftp://host[:port]/dir/name" or "host/dir/name": each file goes into the
// target's directory under its own name, except the first (the report), which
// takes the target's name. Through the FTP library "FTP4W32.DLL" of the
// program directory. 1 when every file was sent; 0 otherwise (the library is
// missing, the log-in failed, a transfer failed).
QV_API int QVUI_FTPSendFiles(HWND progress, const char* target, int count, char** files, const char* user,
                             const char* password);

// QVUI_FtpBrowse: the login record of the web server login dialog (int kind;
// char user[41]; char password[41]; char target[300]): connects to the target's
// host with the user and password and lists the target's directory to check
// them. TRUE when the log-in and the listing worked; a message box tells what
// failed, or that the FTP library is missing.
QV_API BOOL QVUI_FtpBrowse(HWND owner, void* loginRecord);
