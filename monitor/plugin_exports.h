// The plug-in module's exports: the three binding entry points and the
// functions the program finds through IsFunctionSupported, plus the few
// exports kept for outside callers.
#pragma once

#include "plugin_api.h"
#include "probe_exports.h"
#include "qvplatform.h"

QV_API BOOL DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved);

QV_API int InitializeSupportLibrary(HANDLE logonToken, int* major, int* minor, unsigned int* kind, char* name);
QV_API int SupplyCallback(int callbackId, FARPROC callback);
QV_API FARPROC IsFunctionSupported(int functionId);

QV_API int PSL_GenerateReport(HWND parent, PROFILE* row, int mode);                           // 1
QV_API int QVM_EditProfile(HWND parent, PROFILE* row, PROFILE** out);                         // 2
QV_API int QVM_DeleteProfile(HWND parent, PROFILE* row);                                      // 3
QV_API int QVM_CopyProfile(HWND parent, PROFILE* row, PROFILE** out);                         // 4
QV_API int QVM_FindProfile(HWND parent, PROFILE* previous, PROFILE* row, PROFILE** out);      // 5
QV_API int PSL_EditScheduledEvent(HWND parent, SCHEDULE_EVENT* event, SCHEDULE_EVENT** out);  // 7
QV_API int PSL_DeleteScheduledEvent(HWND parent, SCHEDULE_EVENT* event);                      // 8
QV_API int PSL_FindScheduledEvent(HWND parent, SCHEDULE_EVENT* previous, SCHEDULE_EVENT** out);  // 9
QV_API int PSL_StartScheduledEvent(HWND parent, SCHEDULE_EVENT* event);                       // 11
QV_API int QVM_UpdatePanel(HWND parent, PROFILE* selected, PROFILE* previous, int mode);       // 12
QV_API int QVM_ShutDown();                                                                    // 14
QV_API HWND QVM_CreateOptionDialog(HWND parent, HBITMAP* bitmap, RECT* bitmapPart, char* shortTitle,
                                   char* longTitle);                                         // 22
QV_API char QVM_CloseOptionDialog(int ok);                                                    // 23
QV_API char* QVM_GetProfileHelp(int kind, int size);                                          // 26
QV_API int QVM_GetMainListText(PROFILE* row, char* buffer, int size);                         // 29
QV_API int QVM_IsShutDownOK();                                                                // 30
QV_API int QVM_CompareFunc(PROFILE* a, PROFILE* b, int column);                               // 31
QV_API int QVM_StartService();                                                                // 32

QV_API int QVM_DeleteScheduledEvent(void* any, SCHEDULE_EVENT* event);
QV_API int QVM_OnRemoteCommand(char* command, void* context);
QV_API char* PSL_GetProfileHelp(int kind, int size);

// The stand-alone probes (the fourth argument is not used).
QV_API void WINAPI Ping(void* context, const char* host, DWORD timeoutMs, int unused, PingCallback callback);
QV_API void WINAPI TryConnect(void* context, const char* host, int type, int port, DWORD timeoutMs, int unused,
                              ConnectCallback callback);
