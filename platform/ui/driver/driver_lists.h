// The documented messages of the list controls the driver reads and picks
// from: list box, combo box, list view and tab strip.
#pragma once

#include "qvplatform.h"
#include "ui/propsheet/sheet_tabs.h"

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
