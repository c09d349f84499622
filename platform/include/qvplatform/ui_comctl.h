// The common controls of the window system: image lists, the list view and its
// header, the tree view, the tab strip, the toolbar, the status bar, progress
// bars and up-down controls. Documented Windows values throughout.
//
// Every control is a window class with its own procedure. The classes exist as
// soon as the layer is loaded; InitCommonControls and InitCommonControlsEx are
// offered for code that calls them and register again harmlessly.
//
// Notifications reach the window that was the control's parent when it was
// created, as WM_NOTIFY with the control's id in wParam and an NMHDR (or a
// record that begins with one) in lParam.
#pragma once

#include "qvplatform/types.h"
#include "qvplatform/ui_consts.h"
#include "qvplatform/ui_window.h"
#include "qvplatform/gdi.h"

// The owner-draw records, dialog codes and scroll codes come with the standard controls.
#include "qvplatform/ui_controls.h"

#define ODT_HEADER 100
#define ODT_TAB 101
#define ODT_LISTVIEW 102

#ifndef CLR_NONE
#define CLR_NONE 0xFFFFFFFFu
#endif
#ifndef CLR_DEFAULT
#define CLR_DEFAULT 0xFF000000u
#endif

// ---- Initialisation ----
struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
typedef INITCOMMONCONTROLSEX* LPINITCOMMONCONTROLSEX;

#define ICC_LISTVIEW_CLASSES 0x00000001
#define ICC_TREEVIEW_CLASSES 0x00000002
#define ICC_BAR_CLASSES 0x00000004
#define ICC_TAB_CLASSES 0x00000008
#define ICC_UPDOWN_CLASS 0x00000010
#define ICC_PROGRESS_CLASS 0x00000020
#define ICC_HOTKEY_CLASS 0x00000040
#define ICC_ANIMATE_CLASS 0x00000080
#define ICC_WIN95_CLASSES 0x000000FF
#define ICC_DATE_CLASSES 0x00000100
#define ICC_USEREX_CLASSES 0x00000200
#define ICC_COOL_CLASSES 0x00000400
#define ICC_INTERNET_CLASSES 0x00000800
#define ICC_PAGESCROLLER_CLASS 0x00001000
#define ICC_NATIVEFNTCTL_CLASS 0x00002000
#define ICC_STANDARD_CLASSES 0x00004000
#define ICC_LINK_CLASS 0x00008000

QV_API void WINAPI InitCommonControls(void);
// FALSE (ERROR_INVALID_PARAMETER) when dwSize is not the record's size.
QV_API BOOL WINAPI InitCommonControlsEx(const INITCOMMONCONTROLSEX* picce);

// ---- Class names ----
#define WC_HEADERA "SysHeader32"
#define WC_LISTVIEWA "SysListView32"
#define WC_TREEVIEWA "SysTreeView32"
#define WC_TABCONTROLA "SysTabControl32"
#define TOOLBARCLASSNAMEA "ToolbarWindow32"
#define STATUSCLASSNAMEA "msctls_statusbar32"
#define PROGRESS_CLASSA "msctls_progress32"
#define UPDOWN_CLASSA "msctls_updown32"

// ---- Notification header and the common codes ----
struct NMHDR {
  HWND hwndFrom;
  UINT_PTR idFrom;
  UINT code;
};
typedef NMHDR* LPNMHDR;

#define NM_FIRST (0U - 0U)
#define NM_OUTOFMEMORY (NM_FIRST - 1)
#define NM_CLICK (NM_FIRST - 2)
#define NM_DBLCLK (NM_FIRST - 3)
#define NM_RETURN (NM_FIRST - 4)
#define NM_RCLICK (NM_FIRST - 5)
#define NM_RDBLCLK (NM_FIRST - 6)
#define NM_SETFOCUS (NM_FIRST - 7)
#define NM_KILLFOCUS (NM_FIRST - 8)
#define NM_CUSTOMDRAW (NM_FIRST - 12)
#define NM_HOVER (NM_FIRST - 13)

#define LVN_FIRST (0U - 100U)
#define HDN_FIRST (0U - 300U)
#define TVN_FIRST (0U - 400U)
#define TTN_FIRST (0U - 520U)
#define TCN_FIRST (0U - 550U)
#define TBN_FIRST (0U - 700U)
#define UDN_FIRST (0U - 721U)
#define SBN_FIRST (0U - 880U)

// Messages every common control answers.
#define CCM_FIRST 0x2000
#define CCM_SETBKCOLOR (CCM_FIRST + 1)
#define CCM_SETUNICODEFORMAT (CCM_FIRST + 5)
#define CCM_GETUNICODEFORMAT (CCM_FIRST + 6)
#define CCM_SETVERSION (CCM_FIRST + 7)
#define CCM_GETVERSION (CCM_FIRST + 8)
#define CCM_SETNOTIFYWINDOW (CCM_FIRST + 9)

// Styles of the bars (toolbar, status bar) that place themselves in their parent.
#define CCS_TOP 0x00000001L
#define CCS_NOMOVEY 0x00000002L
#define CCS_BOTTOM 0x00000003L
#define CCS_NORESIZE 0x00000004L
#define CCS_NOPARENTALIGN 0x00000008L
#define CCS_ADJUSTABLE 0x00000020L
#define CCS_NODIVIDER 0x00000040L
#define CCS_VERT 0x00000080L

// ---- Image lists ----
struct _IMAGELIST;
typedef struct _IMAGELIST* HIMAGELIST;

#define ILC_MASK 0x00000001
#define ILC_COLOR 0x00000000
#define ILC_COLORDDB 0x000000FE
#define ILC_COLOR4 0x00000004
#define ILC_COLOR8 0x00000008
#define ILC_COLOR16 0x00000010
#define ILC_COLOR24 0x00000018
#define ILC_COLOR32 0x00000020
#define ILC_PALETTE 0x00000800
#define ILC_MIRROR 0x00002000

#define ILD_NORMAL 0x00000000
#define ILD_TRANSPARENT 0x00000001
#define ILD_BLEND25 0x00000002
#define ILD_BLEND50 0x00000004
#define ILD_MASK 0x00000010
#define ILD_IMAGE 0x00000020
#define ILD_ROP 0x00000040
#define ILD_OVERLAYMASK 0x00000F00
#define ILD_SELECTED ILD_BLEND50
#define ILD_FOCUS ILD_BLEND25
#define ILD_BLEND ILD_BLEND50
#define INDEXTOOVERLAYMASK(i) ((i) << 8)

#ifndef IMAGE_BITMAP
#define IMAGE_BITMAP 0
#define IMAGE_ICON 1
#define IMAGE_CURSOR 2
#define IMAGE_ENHMETAFILE 3
#endif
#ifndef LR_DEFAULTCOLOR
#define LR_DEFAULTCOLOR 0x00000000
#define LR_MONOCHROME 0x00000001
#define LR_LOADFROMFILE 0x00000010
#define LR_LOADTRANSPARENT 0x00000020
#define LR_DEFAULTSIZE 0x00000040
#define LR_CREATEDIBSECTION 0x00002000
#define LR_SHARED 0x00008000
#endif

// A list of equally sized images (each with an optional transparency mask).
// Pixels are copied in: the caller keeps its bitmaps and icons and may delete them.
QV_API HIMAGELIST WINAPI ImageList_Create(int cx, int cy, UINT flags, int cInitial, int cGrow);
QV_API BOOL WINAPI ImageList_Destroy(HIMAGELIST himl);
QV_API int WINAPI ImageList_GetImageCount(HIMAGELIST himl);
// Adds every image-wide slice of the bitmap; the mask (1 = transparent) may be null.
// Returns the index of the first new image, -1 on failure.
QV_API int WINAPI ImageList_Add(HIMAGELIST himl, HBITMAP hbmImage, HBITMAP hbmMask);
// Like ImageList_Add, with the mask made from the pixels of colour crMask.
QV_API int WINAPI ImageList_AddMasked(HIMAGELIST himl, HBITMAP hbmImage, COLORREF crMask);
// Replaces image i with the icon (i = -1 appends); the index, or -1.
QV_API int WINAPI ImageList_ReplaceIcon(HIMAGELIST himl, int i, HICON hicon);
#define ImageList_AddIcon(himl, hicon) ImageList_ReplaceIcon(himl, -1, hicon)
// Removes image i; -1 removes every image.
QV_API BOOL WINAPI ImageList_Remove(HIMAGELIST himl, int i);
#define ImageList_RemoveAll(himl) ImageList_Remove(himl, -1)
QV_API BOOL WINAPI ImageList_GetIconSize(HIMAGELIST himl, int* cx, int* cy);
QV_API COLORREF WINAPI ImageList_SetBkColor(HIMAGELIST himl, COLORREF clrBk);
QV_API COLORREF WINAPI ImageList_GetBkColor(HIMAGELIST himl);
QV_API BOOL WINAPI ImageList_Draw(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, UINT fStyle);
QV_API BOOL WINAPI ImageList_DrawEx(HIMAGELIST himl, int i, HDC hdcDst, int x, int y, int dx, int dy,
                                    COLORREF rgbBk, COLORREF rgbFg, UINT fStyle);
// A list from a bitmap resource of the module, cut into cx-wide images; crMask
// CLR_NONE for no mask, CLR_DEFAULT for the colour of the top-left pixel.
// IMAGE_BITMAP only.
QV_API HIMAGELIST WINAPI ImageList_LoadImageA(HINSTANCE hi, LPCSTR lpbmp, int cx, int cGrow, COLORREF crMask,
                                              UINT uType, UINT uFlags);
#define ImageList_LoadBitmapA(hi, lpbmp, cx, cGrow, crMask) \
  ImageList_LoadImageA(hi, lpbmp, cx, cGrow, crMask, IMAGE_BITMAP, 0)

#include "qvplatform/ui_comctl_views.h"
#include "qvplatform/ui_comctl_bars.h"

namespace qvp {

// A user's actions on the common controls, for the test driver. Each sends the
// mouse messages a person's click makes where the control shows the item, so
// that the control notifies its parent exactly as it would for a person. False
// when no user could do it: the window is not such a control, is disabled or
// hidden, or the item does not exist (or, for a toolbar button, is disabled).
//
// A click on a list view item (a double click with `twice`), scrolled into view first.
bool UserSelectListViewItem(HWND list, int index, bool twice = false);
// A right click on a list view item, or with -1 on empty space in the list.
bool UserRightClickListView(HWND list, int index);
// A click on the title of a report view's column.
bool UserClickListViewColumn(HWND list, int column);
bool UserSelectTab(HWND tab, int index);
// A click on a tree item's label (a double click with `twice`), shown first.
bool UserSelectTreeItem(HWND tree, HTREEITEM item, bool twice = false);
// A click on the plus/minus button beside a tree item.
bool UserToggleTreeItem(HWND tree, HTREEITEM item);
bool UserClickToolbarButton(HWND toolbar, int command);
// A click on the up (or right) arrow, or on the other one.
bool UserClickUpDown(HWND updown, bool up);

}  // namespace qvp
