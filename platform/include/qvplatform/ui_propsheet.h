// Property sheets and wizards: the sheet window with its tab strip and
// buttons, pages made from dialog templates, the PSN_ notifications a sheet
// sends its pages and the PSM_ messages pages and owners send the sheet.
// Documented Windows values throughout.
//
// The sheet is a dialog window. Its pages are child dialogs, each created the
// first time it is shown (WM_INITDIALOG, whose lParam is the address of the
// sheet's own copy of the page's PROPSHEETPAGEA, then PSN_SETACTIVE). Pages
// answer notifications through DWL_MSGRESULT.
#pragma once

#include <cstddef>

#include "qvplatform/dlgtemplate.h"
#include "qvplatform/types.h"
#include "qvplatform/ui_consts.h"
#include "qvplatform/ui_dialog.h"

#include "qvplatform/ui_comctl.h"  // NMHDR

// The fixed head of the layer's flat dialog template (qvplatform/dlgtemplate.h)
// under the documented field names. A sheet's PSCB_PRECREATE callback gets the
// sheet's template as lParam and may change style and extended style in place.
#ifndef QV_DLGTEMPLATE_HEAD
#define QV_DLGTEMPLATE_HEAD
struct DLGTEMPLATE {
  DWORD qvMagic;
  WORD qvVersion;
  WORD qvHeaderSize;
  DWORD qvTotalSize;
  DWORD style;
  DWORD dwExtendedStyle;
  WORD cdit;
  WORD qvControlSize;
  DWORD qvControlsOffset;
  short x;
  short y;
  short cx;
  short cy;
};
typedef DLGTEMPLATE* LPDLGTEMPLATEA;
static_assert(offsetof(DLGTEMPLATE, style) == offsetof(qvp::DialogBlockHeader, style));
static_assert(offsetof(DLGTEMPLATE, dwExtendedStyle) == offsetof(qvp::DialogBlockHeader, exstyle));
static_assert(offsetof(DLGTEMPLATE, cdit) == offsetof(qvp::DialogBlockHeader, control_count));
static_assert(offsetof(DLGTEMPLATE, x) == offsetof(qvp::DialogBlockHeader, x));
static_assert(offsetof(DLGTEMPLATE, cy) == offsetof(qvp::DialogBlockHeader, cy));
#endif

// ---- Pages ----
struct QvPropSheetPage;
typedef QvPropSheetPage* HPROPSHEETPAGE;

struct PROPSHEETPAGEA;
typedef UINT(CALLBACK* LPFNPSPCALLBACKA)(HWND hwnd, UINT uMsg, PROPSHEETPAGEA* ppsp);

struct PROPSHEETPAGEA {
  DWORD dwSize;  // the bytes the sheet copies: this record and whatever the caller appends to it
  DWORD dwFlags;
  HINSTANCE hInstance;
  union {
    LPCSTR pszTemplate;
    LPCDLGTEMPLATEA pResource;
  };
  union {
    HICON hIcon;
    LPCSTR pszIcon;
  };
  LPCSTR pszTitle;
  DLGPROC pfnDlgProc;
  LPARAM lParam;
  LPFNPSPCALLBACKA pfnCallback;
  UINT* pcRefParent;
};
typedef PROPSHEETPAGEA* LPPROPSHEETPAGEA;
typedef const PROPSHEETPAGEA* LPCPROPSHEETPAGEA;
#define PROPSHEETPAGEA_V1_SIZE (offsetof(PROPSHEETPAGEA, pcRefParent) + sizeof(UINT*))

#define PSP_DEFAULT 0x00000000
#define PSP_DLGINDIRECT 0x00000001
#define PSP_USEHICON 0x00000002
#define PSP_USEICONID 0x00000004
#define PSP_USETITLE 0x00000008
#define PSP_RTLREADING 0x00000010
#define PSP_HASHELP 0x00000020
#define PSP_USEREFPARENT 0x00000040
#define PSP_USECALLBACK 0x00000080
#define PSP_PREMATURE 0x00000400

// pfnCallback messages of a page.
#define PSPCB_RELEASE 1
#define PSPCB_CREATE 2

// ---- The sheet ----
typedef int(CALLBACK* PFNPROPSHEETCALLBACK)(HWND hwnd, UINT uMsg, LPARAM lParam);

struct PROPSHEETHEADERA {
  DWORD dwSize;
  DWORD dwFlags;
  HWND hwndParent;
  HINSTANCE hInstance;
  union {
    HICON hIcon;
    LPCSTR pszIcon;
  };
  LPCSTR pszCaption;
  UINT nPages;
  union {
    UINT nStartPage;
    LPCSTR pStartPage;
  };
  union {
    LPCPROPSHEETPAGEA ppsp;
    HPROPSHEETPAGE* phpage;
  };
  PFNPROPSHEETCALLBACK pfnCallback;
};
typedef PROPSHEETHEADERA* LPPROPSHEETHEADERA;
typedef const PROPSHEETHEADERA* LPCPROPSHEETHEADERA;
#define PROPSHEETHEADERA_V1_SIZE (offsetof(PROPSHEETHEADERA, pfnCallback) + sizeof(PFNPROPSHEETCALLBACK))

#define PSH_DEFAULT 0x00000000
#define PSH_PROPTITLE 0x00000001
#define PSH_USEHICON 0x00000002
#define PSH_USEICONID 0x00000004
#define PSH_PROPSHEETPAGE 0x00000008
#define PSH_WIZARDHASFINISH 0x00000010
#define PSH_WIZARD 0x00000020
#define PSH_USEPSTARTPAGE 0x00000040
#define PSH_NOAPPLYNOW 0x00000080
#define PSH_USECALLBACK 0x00000100
#define PSH_HASHELP 0x00000200
#define PSH_MODELESS 0x00000400
#define PSH_RTLREADING 0x00000800
#define PSH_WIZARDCONTEXTHELP 0x00001000

// pfnCallback messages of a sheet.
#define PSCB_INITIALIZED 1
#define PSCB_PRECREATE 2

#define MAXPROPPAGES 100

// What PropertySheetA returns for a modal sheet closed after a page asked for a restart.
#define ID_PSRESTARTWINDOWS 0x2
#define ID_PSREBOOTSYSTEM (ID_PSRESTARTWINDOWS | 0x1)

// The ids of the sheet's own controls.
#define IDD_PROPSHEET_TABS 0x3020
#define ID_APPLY_NOW 0x3021
#define ID_WIZBACK 0x3023
#define ID_WIZNEXT 0x3024
#define ID_WIZFINISH 0x3025
#define ID_WIZDIVIDER 0x3026

// ---- Notifications to pages (WM_NOTIFY, lParam a PSHNOTIFY) ----
struct PSHNOTIFY {
  NMHDR hdr;
  LPARAM lParam;
};
typedef PSHNOTIFY* LPPSHNOTIFY;

#define PSN_FIRST (0U - 200U)
#define PSN_LAST (0U - 299U)
#define PSN_SETACTIVE (PSN_FIRST - 0)
#define PSN_KILLACTIVE (PSN_FIRST - 1)
#define PSN_APPLY (PSN_FIRST - 2)
#define PSN_RESET (PSN_FIRST - 3)
#define PSN_HELP (PSN_FIRST - 5)
#define PSN_WIZBACK (PSN_FIRST - 6)
#define PSN_WIZNEXT (PSN_FIRST - 7)
#define PSN_WIZFINISH (PSN_FIRST - 8)
#define PSN_QUERYCANCEL (PSN_FIRST - 9)

// PSN_APPLY answers.
#define PSNRET_NOERROR 0
#define PSNRET_INVALID 1
#define PSNRET_INVALID_NOCHANGEPAGE 2

// ---- Messages to the sheet ----
#define PSM_SETCURSEL (WM_USER + 101)
#define PSM_REMOVEPAGE (WM_USER + 102)
#define PSM_ADDPAGE (WM_USER + 103)
#define PSM_CHANGED (WM_USER + 104)
#define PSM_RESTARTWINDOWS (WM_USER + 105)
#define PSM_REBOOTSYSTEM (WM_USER + 106)
#define PSM_CANCELTOCLOSE (WM_USER + 107)
#define PSM_QUERYSIBLINGS (WM_USER + 108)
#define PSM_UNCHANGED (WM_USER + 109)
#define PSM_APPLY (WM_USER + 110)
#define PSM_SETTITLEA (WM_USER + 111)
#define PSM_SETWIZBUTTONS (WM_USER + 112)
#define PSM_PRESSBUTTON (WM_USER + 113)
#define PSM_SETCURSELID (WM_USER + 114)
#define PSM_SETFINISHTEXTA (WM_USER + 115)
#define PSM_GETTABCONTROL (WM_USER + 116)
#define PSM_ISDIALOGMESSAGE (WM_USER + 117)
#define PSM_GETCURRENTPAGEHWND (WM_USER + 118)
#define PSM_INDEXTOHWND (WM_USER + 130)
#define PSM_GETRESULT (WM_USER + 135)

// PSM_SETWIZBUTTONS flags.
#define PSWIZB_BACK 0x00000001
#define PSWIZB_NEXT 0x00000002
#define PSWIZB_FINISH 0x00000004
#define PSWIZB_DISABLEDFINISH 0x00000008

// PSM_PRESSBUTTON buttons.
#define PSBTN_BACK 0
#define PSBTN_NEXT 1
#define PSBTN_FINISH 2
#define PSBTN_OK 3
#define PSBTN_APPLYNOW 4
#define PSBTN_CANCEL 5
#define PSBTN_HELP 6
#define PSBTN_MAX 6

// A copy of the page record is kept (dwSize bytes); null with
// ERROR_INVALID_PARAMETER for a missing record, a size below
// PROPSHEETPAGEA_V1_SIZE or a page without template.
QV_API HPROPSHEETPAGE WINAPI CreatePropertySheetPageA(LPCPROPSHEETPAGEA constPropSheetPagePointer);
// For pages never handed to a sheet (a sheet destroys its own pages).
QV_API BOOL WINAPI DestroyPropertySheetPage(HPROPSHEETPAGE hPropPage);
// Modal: runs the sheet and returns 1 when changes were applied (OK, Apply,
// Finish), ID_PSRESTARTWINDOWS / ID_PSREBOOTSYSTEM when a page asked for
// that, 0 when cancelled without any, -1 on error. With PSH_MODELESS: the
// sheet window, or -1 (cast) on error.
QV_API INT_PTR WINAPI PropertySheetA(LPCPROPSHEETHEADERA lppsph);
