// Menus: menu bars and pop-up menus, their items, menus from resources and
// templates, pop-up tracking, the window's menu bar and keyboard accelerators.
//
// Nothing is drawn: a pop-up menu or a menu-bar pick asks a chooser that
// stands in for the user (see qvp::SetMenuChooser below). The messages a
// window receives around a pick are those a user's pick sends.
#pragma once

#include <functional>
#include <vector>

#include "qvplatform/types.h"
#include "qvplatform/errors.h"
#include "qvplatform/ui_message.h"

// ---- Item flags of the classic calls (AppendMenu, InsertMenu, ModifyMenu, ...) ----
#define MF_INSERT 0x00000000L
#define MF_CHANGE 0x00000080L
#define MF_APPEND 0x00000100L
#define MF_DELETE 0x00000200L
#define MF_REMOVE 0x00001000L
#define MF_BYCOMMAND 0x00000000L
#define MF_BYPOSITION 0x00000400L
#define MF_SEPARATOR 0x00000800L
#define MF_ENABLED 0x00000000L
#define MF_GRAYED 0x00000001L
#define MF_DISABLED 0x00000002L
#define MF_UNCHECKED 0x00000000L
#define MF_CHECKED 0x00000008L
#define MF_USECHECKBITMAPS 0x00000200L
#define MF_STRING 0x00000000L
#define MF_BITMAP 0x00000004L
#define MF_OWNERDRAW 0x00000100L
#define MF_POPUP 0x00000010L
#define MF_MENUBARBREAK 0x00000020L
#define MF_MENUBREAK 0x00000040L
#define MF_UNHILITE 0x00000000L
#define MF_HILITE 0x00000080L
#define MF_DEFAULT 0x00001000L
#define MF_SYSMENU 0x00002000L
#define MF_HELP 0x00004000L
#define MF_RIGHTJUSTIFY 0x00004000L
#define MF_MOUSESELECT 0x00008000L
#define MF_END 0x00000080L

// ---- Item types and states of MENUITEMINFOA ----
#define MFT_STRING MF_STRING
#define MFT_BITMAP MF_BITMAP
#define MFT_MENUBARBREAK MF_MENUBARBREAK
#define MFT_MENUBREAK MF_MENUBREAK
#define MFT_OWNERDRAW MF_OWNERDRAW
#define MFT_RADIOCHECK 0x00000200L
#define MFT_SEPARATOR MF_SEPARATOR
#define MFT_RIGHTORDER 0x00002000L
#define MFT_RIGHTJUSTIFY MF_RIGHTJUSTIFY

#define MFS_GRAYED 0x00000003L
#define MFS_DISABLED MFS_GRAYED
#define MFS_CHECKED MF_CHECKED
#define MFS_HILITE MF_HILITE
#define MFS_ENABLED MF_ENABLED
#define MFS_UNCHECKED MF_UNCHECKED
#define MFS_UNHILITE MF_UNHILITE
#define MFS_DEFAULT MF_DEFAULT

#define MIIM_STATE 0x00000001
#define MIIM_ID 0x00000002
#define MIIM_SUBMENU 0x00000004
#define MIIM_CHECKMARKS 0x00000008
#define MIIM_TYPE 0x00000010
#define MIIM_DATA 0x00000020
#define MIIM_STRING 0x00000040
#define MIIM_BITMAP 0x00000080
#define MIIM_FTYPE 0x00000100

#define GMDI_USEDISABLED 0x0001L
#define GMDI_GOINTOPOPUPS 0x0002L

// ---- TrackPopupMenu ----
#define TPM_LEFTBUTTON 0x0000L
#define TPM_RIGHTBUTTON 0x0002L
#define TPM_LEFTALIGN 0x0000L
#define TPM_CENTERALIGN 0x0004L
#define TPM_RIGHTALIGN 0x0008L
#define TPM_TOPALIGN 0x0000L
#define TPM_VCENTERALIGN 0x0010L
#define TPM_BOTTOMALIGN 0x0020L
#define TPM_HORIZONTAL 0x0000L
#define TPM_VERTICAL 0x0040L
#define TPM_NONOTIFY 0x0080L
#define TPM_RETURNCMD 0x0100L
#define TPM_RECURSE 0x0001L

// ---- Accelerators ----
#define FVIRTKEY 0x01
#define FNOINVERT 0x02
#define FSHIFT 0x04
#define FCONTROL 0x08
#define FALT 0x10

#ifndef ERROR_INVALID_MENU_HANDLE
#define ERROR_INVALID_MENU_HANDLE 1401L
#endif
#ifndef ERROR_INVALID_ACCEL_HANDLE
#define ERROR_INVALID_ACCEL_HANDLE 1403L
#endif
#ifndef ERROR_CHILD_WINDOW_NOMENU
#define ERROR_CHILD_WINDOW_NOMENU 1436L
#endif
#ifndef ERROR_MENU_ITEM_NOT_FOUND
#define ERROR_MENU_ITEM_NOT_FOUND 1456L
#endif

QV_DECLARE_HANDLE(HACCEL);

struct MENUITEMINFOA {
  UINT cbSize;
  UINT fMask;
  UINT fType;
  UINT fState;
  UINT wID;
  HMENU hSubMenu;
  HBITMAP hbmpChecked;
  HBITMAP hbmpUnchecked;
  ULONG_PTR dwItemData;
  LPSTR dwTypeData;
  UINT cch;
  HBITMAP hbmpItem;  // not in the first version of the structure
};
typedef MENUITEMINFOA* LPMENUITEMINFOA;
typedef const MENUITEMINFOA* LPCMENUITEMINFOA;

struct TPMPARAMS {
  UINT cbSize;
  RECT rcExclude;
};
typedef TPMPARAMS* LPTPMPARAMS;

struct ACCEL {
  BYTE fVirt;  // FVIRTKEY, FSHIFT, FCONTROL, FALT, FNOINVERT
  WORD key;    // a virtual key (FVIRTKEY) or a character
  WORD cmd;
};
typedef ACCEL* LPACCEL;

// A menu template as LoadMenuIndirectA takes it: the layer's flat menu block
// (qvplatform/dlgtemplate.h).
typedef void MENUTEMPLATEA;
typedef void* LPMENUTEMPLATEA;

// ---- Menus and items ----
QV_API HMENU WINAPI CreateMenu();
QV_API HMENU WINAPI CreatePopupMenu();
QV_API BOOL WINAPI DestroyMenu(HMENU hMenu);
QV_API BOOL WINAPI IsMenu(HMENU hMenu);
QV_API HMENU WINAPI LoadMenuA(HINSTANCE hInstance, LPCSTR lpMenuName);
QV_API HMENU WINAPI LoadMenuIndirectA(const MENUTEMPLATEA* lpMenuTemplate);
QV_API BOOL WINAPI AppendMenuA(HMENU hMenu, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem);
QV_API BOOL WINAPI InsertMenuA(HMENU hMenu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem);
QV_API BOOL WINAPI ModifyMenuA(HMENU hMnu, UINT uPosition, UINT uFlags, UINT_PTR uIDNewItem, LPCSTR lpNewItem);
QV_API BOOL WINAPI DeleteMenu(HMENU hMenu, UINT uPosition, UINT uFlags);
QV_API BOOL WINAPI RemoveMenu(HMENU hMenu, UINT uPosition, UINT uFlags);
QV_API HMENU WINAPI GetSubMenu(HMENU hMenu, int nPos);
QV_API int WINAPI GetMenuItemCount(HMENU hMenu);
QV_API UINT WINAPI GetMenuItemID(HMENU hMenu, int nPos);
QV_API UINT WINAPI GetMenuState(HMENU hMenu, UINT uId, UINT uFlags);
QV_API int WINAPI GetMenuStringA(HMENU hMenu, UINT uIDItem, LPSTR lpString, int cchMax, UINT flags);
QV_API BOOL WINAPI EnableMenuItem(HMENU hMenu, UINT uIDEnableItem, UINT uEnable);
QV_API DWORD WINAPI CheckMenuItem(HMENU hMenu, UINT uIDCheckItem, UINT uCheck);
QV_API BOOL WINAPI CheckMenuRadioItem(HMENU hmenu, UINT first, UINT last, UINT check, UINT flags);
QV_API BOOL WINAPI GetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPosition, LPMENUITEMINFOA lpmii);
QV_API BOOL WINAPI SetMenuItemInfoA(HMENU hmenu, UINT item, BOOL fByPositon, LPCMENUITEMINFOA lpmii);
QV_API BOOL WINAPI SetMenuDefaultItem(HMENU hMenu, UINT uItem, UINT fByPos);
QV_API UINT WINAPI GetMenuDefaultItem(HMENU hMenu, UINT fByPos, UINT gmdiFlags);

// ---- A window's menus ----
QV_API BOOL WINAPI SetMenu(HWND hWnd, HMENU hMenu);
QV_API HMENU WINAPI GetMenu(HWND hWnd);
QV_API BOOL WINAPI DrawMenuBar(HWND hWnd);
QV_API HMENU WINAPI GetSystemMenu(HWND hWnd, BOOL bRevert);

// ---- Pop-up menus ----
QV_API BOOL WINAPI TrackPopupMenu(HMENU hMenu, UINT uFlags, int x, int y, int nReserved, HWND hWnd,
                                  const RECT* prcRect);
QV_API BOOL WINAPI TrackPopupMenuEx(HMENU hMenu, UINT uFlags, int x, int y, HWND hwnd, LPTPMPARAMS lptpm);

// ---- Accelerators ----
// An RT_ACCELERATOR resource is an array of 8-byte entries (WORD flags, WORD
// key, WORD command, WORD padding); the last entry has flag 0x80.
QV_API HACCEL WINAPI LoadAcceleratorsA(HINSTANCE hInstance, LPCSTR lpTableName);
QV_API HACCEL WINAPI CreateAcceleratorTableA(LPACCEL paccel, int cAccel);
QV_API BOOL WINAPI DestroyAcceleratorTable(HACCEL hAccel);
QV_API int WINAPI TranslateAcceleratorA(HWND hWnd, HACCEL hAccTable, LPMSG lpMsg);

namespace qvp {

// Stands in for the user whenever a menu is up (TrackPopupMenu, or the menu
// bar entered through WM_SYSCOMMAND): called on the thread that shows the menu,
// after the owner has had WM_INITMENU and WM_INITMENUPOPUP for `menu`. It
// answers the command id of the item to pick, anywhere in `menu` or its
// sub-menus, or 0 to dismiss the menu. An item that is grayed, disabled, a
// separator or inside a disabled pop-up cannot be picked: such an answer
// dismisses the menu. A null chooser (the default) dismisses every menu.
using MenuChooser = std::function<UINT(HMENU menu, HWND owner)>;
void SetMenuChooser(MenuChooser chooser);

// Choices answered before the chooser is asked, one per menu shown, in order.
void QueueMenuChoices(const std::vector<UINT>& ids);
void ClearMenuChoices();

// Picks item `id` of the window's menu bar as a user does with the mouse:
// WM_ENTERMENULOOP, WM_INITMENU, then for each pop-up on the way
// WM_MENUSELECT and WM_INITMENUPOPUP, WM_MENUSELECT for the item, the closing
// WM_MENUSELECT and WM_EXITMENULOOP are sent to the window, and WM_COMMAND
// (HIWORD 0) is posted to it, as the menu loop posts it; pump the queue to
// deliver it. False, with nothing posted, when the window has no menu bar,
// is disabled, or the item is missing, grayed, disabled or inside a disabled
// pop-up (the state after the window has handled WM_INITMENUPOPUP counts).
bool PickMenuBarItem(HWND hwnd, UINT id);

}  // namespace qvp
