// Dialog boxes: creation from the layer's flat templates, the modal loop,
// the dialog manager's keyboard handling and the dialog item helpers.
#pragma once

#include <functional>

#include "qvplatform/types.h"
#include "qvplatform/errors.h"
#include "qvplatform/ui_consts.h"
#include "qvplatform/ui_message.h"

typedef INT_PTR(CALLBACK* DLGPROC)(HWND, UINT, WPARAM, LPARAM);

// A dialog template as the dialog functions take it: the address of one flat
// template block (qvplatform/dlgtemplate.h). Each control is created with
// WS_CHILD and WS_EX_NOPARENTNOTIFY added, its class named by the template (a
// standard class code becomes its class name), and as window name its text, or
// MAKEINTRESOURCEA(id) when the template gives a resource id (icons, bitmaps);
// its creation data, if any, arrives as CREATESTRUCTA::lpCreateParams. A
// control that cannot be created fails the dialog unless DS_NOFAILCREATE.
typedef const void* LPCDLGTEMPLATEA;

// Dialog styles.
#define DS_ABSALIGN 0x0001L
#define DS_SYSMODAL 0x0002L
#define DS_3DLOOK 0x0004L
#define DS_FIXEDSYS 0x0008L
#define DS_NOFAILCREATE 0x0010L
#define DS_LOCALEDIT 0x0020L
#define DS_SETFONT 0x0040L
#define DS_MODALFRAME 0x0080L
#define DS_NOIDLEMSG 0x0100L
#define DS_SETFOREGROUND 0x0200L
#define DS_CONTROL 0x0400L
#define DS_CENTER 0x0800L
#define DS_CENTERMOUSE 0x1000L
#define DS_CONTEXTHELP 0x2000L
#define DS_SHELLFONT (DS_SETFONT | DS_FIXEDSYS)

// Dialog messages.
#define DM_GETDEFID (WM_USER + 0)
#define DM_SETDEFID (WM_USER + 1)
#define DM_REPOSITION (WM_USER + 2)
#define DC_HASDEFID 0x534B

// WM_GETDLGCODE answers.
#define DLGC_WANTARROWS 0x0001
#define DLGC_WANTTAB 0x0002
#define DLGC_WANTALLKEYS 0x0004
#define DLGC_WANTMESSAGE 0x0004
#define DLGC_HASSETSEL 0x0008
#define DLGC_DEFPUSHBUTTON 0x0010
#define DLGC_UNDEFPUSHBUTTON 0x0020
#define DLGC_RADIOBUTTON 0x0040
#define DLGC_WANTCHARS 0x0080
#define DLGC_STATIC 0x0100
#define DLGC_BUTTON 0x2000

// WM_ENTERIDLE sources.
#define MSGF_DIALOGBOX 0
#define MSGF_MESSAGEBOX 1
#define MSGF_MENU 2

// The dialog class.
#define WC_DIALOG MAKEINTATOM(0x8002)

// Buttons as the dialog manager talks to them.
#ifndef BM_GETCHECK
#define BM_GETCHECK 0x00F0
#define BM_SETCHECK 0x00F1
#define BM_GETSTATE 0x00F2
#define BM_SETSTATE 0x00F3
#define BM_SETSTYLE 0x00F4
#define BM_CLICK 0x00F5
#define BST_UNCHECKED 0x0000
#define BST_CHECKED 0x0001
#define BST_INDETERMINATE 0x0002
#define BS_PUSHBUTTON 0x00000000L
#define BS_DEFPUSHBUTTON 0x00000001L
#define BS_CHECKBOX 0x00000002L
#define BS_AUTOCHECKBOX 0x00000003L
#define BS_RADIOBUTTON 0x00000004L
#define BS_3STATE 0x00000005L
#define BS_AUTO3STATE 0x00000006L
#define BS_GROUPBOX 0x00000007L
#define BS_AUTORADIOBUTTON 0x00000009L
#define BS_OWNERDRAW 0x0000000BL
#define BS_TYPEMASK 0x0000000FL
#define BN_CLICKED 0
#endif
#ifndef EM_SETSEL
#define EM_SETSEL 0x00B1
#endif

QV_API INT_PTR WINAPI DialogBoxParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                                      DLGPROC lpDialogFunc, LPARAM dwInitParam);
QV_API INT_PTR WINAPI DialogBoxIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA hDialogTemplate,
                                              HWND hWndParent, DLGPROC lpDialogFunc, LPARAM dwInitParam);
QV_API HWND WINAPI CreateDialogParamA(HINSTANCE hInstance, LPCSTR lpTemplateName, HWND hWndParent,
                                      DLGPROC lpDialogFunc, LPARAM dwInitParam);
QV_API HWND WINAPI CreateDialogIndirectParamA(HINSTANCE hInstance, LPCDLGTEMPLATEA lpTemplate, HWND hWndParent,
                                              DLGPROC lpDialogFunc, LPARAM dwInitParam);
#define DialogBoxA(inst, name, parent, proc) DialogBoxParamA(inst, name, parent, proc, 0L)
#define DialogBoxIndirectA(inst, tmpl, parent, proc) DialogBoxIndirectParamA(inst, tmpl, parent, proc, 0L)
#define CreateDialogA(inst, name, parent, proc) CreateDialogParamA(inst, name, parent, proc, 0L)
#define CreateDialogIndirectA(inst, tmpl, parent, proc) CreateDialogIndirectParamA(inst, tmpl, parent, proc, 0L)
QV_API BOOL WINAPI EndDialog(HWND hDlg, INT_PTR nResult);
QV_API LRESULT WINAPI DefDlgProcA(HWND hDlg, UINT Msg, WPARAM wParam, LPARAM lParam);
QV_API BOOL WINAPI IsDialogMessageA(HWND hDlg, LPMSG lpMsg);

QV_API HWND WINAPI GetDlgItem(HWND hDlg, int nIDDlgItem);
QV_API int WINAPI GetDlgCtrlID(HWND hWnd);
QV_API BOOL WINAPI SetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPCSTR lpString);
QV_API UINT WINAPI GetDlgItemTextA(HWND hDlg, int nIDDlgItem, LPSTR lpString, int cchMax);
QV_API BOOL WINAPI SetDlgItemInt(HWND hDlg, int nIDDlgItem, UINT uValue, BOOL bSigned);
QV_API UINT WINAPI GetDlgItemInt(HWND hDlg, int nIDDlgItem, BOOL* lpTranslated, BOOL bSigned);
QV_API BOOL WINAPI CheckDlgButton(HWND hDlg, int nIDButton, UINT uCheck);
QV_API UINT WINAPI IsDlgButtonChecked(HWND hDlg, int nIDButton);
QV_API BOOL WINAPI CheckRadioButton(HWND hDlg, int nIDFirstButton, int nIDLastButton, int nIDCheckButton);
QV_API LRESULT WINAPI SendDlgItemMessageA(HWND hDlg, int nIDDlgItem, UINT Msg, WPARAM wParam, LPARAM lParam);
QV_API HWND WINAPI GetNextDlgTabItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
QV_API HWND WINAPI GetNextDlgGroupItem(HWND hDlg, HWND hCtl, BOOL bPrevious);
QV_API LONG WINAPI GetDialogBaseUnits();
QV_API BOOL WINAPI MapDialogRect(HWND hDlg, LPRECT lpRect);

namespace qvp {

// Called by every modal loop of the layer (dialog boxes, and message boxes and
// property sheets once they run loops of their own) whenever its queue is
// empty, so that a test driver can act on a dialog however deeply it is
// nested. An empty function removes the hook. Process-wide.
void SetModalIdleHook(std::function<void()> hook);

}  // namespace qvp
