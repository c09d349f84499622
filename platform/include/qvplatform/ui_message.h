// Message queues: posting, sending, retrieving and dispatching messages, timers
// and waiting for messages and objects together.
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/errors.h"
#include "qvplatform/kernel.h"
#include "qvplatform/ui_consts.h"

struct MSG {
  HWND hwnd;
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
  DWORD time;
  POINT pt;
};
typedef MSG* LPMSG;
typedef MSG* PMSG;

typedef void(CALLBACK* TIMERPROC)(HWND, UINT, UINT_PTR, DWORD);

#define PM_NOREMOVE 0x0000
#define PM_REMOVE 0x0001
#define PM_NOYIELD 0x0002

#define QS_KEY 0x0001
#define QS_MOUSEMOVE 0x0002
#define QS_MOUSEBUTTON 0x0004
#define QS_POSTMESSAGE 0x0008
#define QS_TIMER 0x0010
#define QS_PAINT 0x0020
#define QS_SENDMESSAGE 0x0040
#define QS_HOTKEY 0x0080
#define QS_ALLPOSTMESSAGE 0x0100
#define QS_MOUSE (QS_MOUSEMOVE | QS_MOUSEBUTTON)
#define QS_INPUT (QS_MOUSE | QS_KEY)
#define QS_ALLEVENTS (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY)
#define QS_ALLINPUT (QS_INPUT | QS_POSTMESSAGE | QS_TIMER | QS_PAINT | QS_HOTKEY | QS_SENDMESSAGE)

#define SMTO_NORMAL 0x0000
#define SMTO_BLOCK 0x0001
#define SMTO_ABORTIFHUNG 0x0002
#define SMTO_NOTIMEOUTIFNOTHUNG 0x0008

#define ISMEX_NOSEND 0x00000000
#define ISMEX_SEND 0x00000001
#define ISMEX_NOTIFY 0x00000002
#define ISMEX_CALLBACK 0x00000004
#define ISMEX_REPLIED 0x00000008

#define MWMO_WAITALL 0x0001
#define MWMO_ALERTABLE 0x0002
#define MWMO_INPUTAVAILABLE 0x0004

#define USER_TIMER_MINIMUM 0x0000000A
#define USER_TIMER_MAXIMUM 0x7FFFFFFF


QV_API BOOL WINAPI GetMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax);
QV_API BOOL WINAPI PeekMessageA(LPMSG lpMsg, HWND hWnd, UINT wMsgFilterMin, UINT wMsgFilterMax, UINT wRemoveMsg);
QV_API BOOL WINAPI PostMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
QV_API BOOL WINAPI PostThreadMessageA(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam);
QV_API LRESULT WINAPI SendMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
QV_API LRESULT WINAPI SendMessageTimeoutA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, UINT fuFlags,
                                          UINT uTimeout, DWORD_PTR* lpdwResult);
QV_API BOOL WINAPI SendNotifyMessageA(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam);
QV_API BOOL WINAPI InSendMessage();
QV_API DWORD WINAPI InSendMessageEx(LPVOID lpReserved);
QV_API BOOL WINAPI ReplyMessage(LRESULT lResult);
QV_API BOOL WINAPI TranslateMessage(const MSG* lpMsg);
QV_API LRESULT WINAPI DispatchMessageA(const MSG* lpMsg);
QV_API void WINAPI PostQuitMessage(int nExitCode);
QV_API BOOL WINAPI WaitMessage();
QV_API DWORD WINAPI GetMessagePos();
QV_API LONG WINAPI GetMessageTime();
QV_API DWORD WINAPI GetQueueStatus(UINT flags);
QV_API UINT_PTR WINAPI SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc);
QV_API BOOL WINAPI KillTimer(HWND hWnd, UINT_PTR uIDEvent);
QV_API DWORD WINAPI MsgWaitForMultipleObjects(DWORD nCount, const HANDLE* pHandles, BOOL fWaitAll,
                                              DWORD dwMilliseconds, DWORD dwWakeMask);
QV_API DWORD WINAPI MsgWaitForMultipleObjectsEx(DWORD nCount, const HANDLE* pHandles, DWORD dwMilliseconds,
                                                DWORD dwWakeMask, DWORD dwFlags);
QV_API UINT WINAPI RegisterWindowMessageA(LPCSTR lpString);
// The layer's queues grow as needed: any positive size is accepted.
QV_API BOOL WINAPI SetMessageQueue(int cMessagesMax);
QV_API SHORT WINAPI GetKeyState(int nVirtKey);
QV_API SHORT WINAPI GetAsyncKeyState(int vKey);
