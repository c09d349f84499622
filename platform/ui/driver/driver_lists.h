// The documented messages of the list controls the driver reads and picks
// from: list box, combo box, list view and tab strip.
#pragma once

#include "qvplatform.h"
#include "ui/propsheet/sheet_tabs.h"

#ifndef LB_GETCURSEL
#define LB_GETSEL 0x0187
#define LB_GETCURSEL 0x0188
#define LB_GETTEXT 0x0189
#define LB_GETTEXTLEN 0x018A
#define LB_GETCOUNT 0x018B
#define LB_GETTOPINDEX 0x018E
#define LB_GETSELCOUNT 0x0190
#define LB_GETSELITEMS 0x0191
#define LB_SETTOPINDEX 0x0197
#define LB_GETITEMRECT 0x0198
#define LB_FINDSTRINGEXACT 0x01A2
#endif
#ifndef LBS_MULTIPLESEL
#define LBS_MULTIPLESEL 0x0008L
#define LBS_EXTENDEDSEL 0x0800L
#endif

#ifndef CB_GETCURSEL
#define CB_GETCOUNT 0x0146
#define CB_GETCURSEL 0x0147
#define CB_GETLBTEXT 0x0148
#define CB_GETLBTEXTLEN 0x0149
#define CB_SHOWDROPDOWN 0x014F
#define CB_GETDROPPEDCONTROLRECT 0x0152
#define CB_GETITEMHEIGHT 0x0154
#define CB_GETDROPPEDSTATE 0x0157
#define CB_FINDSTRINGEXACT 0x0158
#define CB_GETTOPINDEX 0x015B
#define CB_SETTOPINDEX 0x015C
#endif
#ifndef CBS_SIMPLE
#define CBS_SIMPLE 0x0001L
#define CBS_DROPDOWN 0x0002L
#define CBS_DROPDOWNLIST 0x0003L
#endif

#ifndef LVM_FIRST
#define LVM_FIRST 0x1000
#endif
#ifndef LVM_GETITEMCOUNT
#define LVM_GETITEMCOUNT (LVM_FIRST + 4)
#define LVM_GETNEXTITEM (LVM_FIRST + 12)
#define LVM_GETITEMRECT (LVM_FIRST + 14)
#define LVM_ENSUREVISIBLE (LVM_FIRST + 19)
#define LVM_GETITEMTEXTA (LVM_FIRST + 45)
#endif
#ifndef LVNI_SELECTED
#define LVNI_SELECTED 0x0002
#endif
#ifndef LVIR_LABEL
#define LVIR_LABEL 2
#endif

namespace qvp::driver {

// The leading fields of the list view's item record, as LVM_GETITEMTEXTA reads them.
struct ListViewItemText {
  UINT mask;
  int iItem;
  int iSubItem;
  UINT state;
  UINT stateMask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
  int iIndent;
  int iGroupId;
  UINT cColumns;
  UINT* puColumns;
};

enum class ListKind { kNone, kListBox, kComboBox, kListView, kTabs };
ListKind KindOfList(HWND list);

}  // namespace qvp::driver
