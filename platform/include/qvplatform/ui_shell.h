// Help requests (WinHelpA) and icons in the taskbar's notification area
// (Shell_NotifyIconA).
//
// Nothing is shown. A help request is recorded as a prompt of kind help
// (qvplatform/ui_prompt.h): caption = the help file, flags = the command,
// data = its data, text = the command's name and its data as text. The
// notification area is a recorded list of icons that a test can read and click.
#pragma once

#include <string>
#include <vector>

#include "qvplatform/types.h"
#include "qvplatform/errors.h"
#include "qvplatform/ui_prompt.h"

// ---- WinHelpA ----
#define HELP_CONTEXT 0x0001L
#define HELP_QUIT 0x0002L
#define HELP_INDEX 0x0003L
#define HELP_CONTENTS 0x0003L
#define HELP_HELPONHELP 0x0004L
#define HELP_SETINDEX 0x0005L
#define HELP_SETCONTENTS 0x0005L
#define HELP_CONTEXTPOPUP 0x0008L
#define HELP_FORCEFILE 0x0009L
#define HELP_CONTEXTMENU 0x000AL
#define HELP_FINDER 0x000BL
#define HELP_WM_HELP 0x000CL
#define HELP_SETPOPUP_POS 0x000DL
#define HELP_TCARD 0x8000L
#define HELP_TCARD_DATA 0x0010L
#define HELP_TCARD_OTHER_CALLER 0x0011L
#define HELP_KEY 0x0101L
#define HELP_COMMAND 0x0102L
#define HELP_PARTIALKEY 0x0105L
#define HELP_MULTIKEY 0x0201L
#define HELP_SETWINPOS 0x0203L

QV_API BOOL WINAPI WinHelpA(HWND hWndMain, LPCSTR lpszHelp, UINT uCommand, ULONG_PTR dwData);

// ---- Shell_NotifyIconA ----
#define NIM_ADD 0x00000000
#define NIM_MODIFY 0x00000001
#define NIM_DELETE 0x00000002
#define NIF_MESSAGE 0x00000001
#define NIF_ICON 0x00000002
#define NIF_TIP 0x00000004

struct NOTIFYICONDATAA {
  DWORD cbSize;
  HWND hWnd;
  UINT uID;
  UINT uFlags;
  UINT uCallbackMessage;
  HICON hIcon;
  CHAR szTip[64];
};
typedef NOTIFYICONDATAA* PNOTIFYICONDATAA;

QV_API BOOL WINAPI Shell_NotifyIconA(DWORD dwMessage, PNOTIFYICONDATAA lpData);

namespace qvp {

// One icon in the notification area.
struct TrayIcon {
  HWND hwnd = nullptr;
  UINT id = 0;
  UINT callback_message = 0;  // 0 until set with NIF_MESSAGE
  HICON icon = nullptr;
  std::string tip;
};

// The icons in the notification area, in the order they were added.
std::vector<TrayIcon> TrayIcons();

// A mouse action on an icon (WM_LBUTTONDBLCLK, WM_RBUTTONUP, ...): posts the
// icon's callback message to its window with wParam = the icon's id and
// lParam = the mouse message, as the taskbar does. False when no such icon
// has a callback message or its window is gone.
bool ClickTrayIcon(HWND hwnd, UINT id, UINT mouse_message);

}  // namespace qvp
