// The tab strip the sheet talks to: the documented tab control messages,
// records and notifications it uses.
#pragma once

#include "qvplatform.h"

#if __has_include("qvplatform/ui_comctl.h")
#include "qvplatform/ui_comctl.h"
#else
#define TCIF_TEXT 0x0001
#define TCIF_PARAM 0x0008

struct TCITEMA {
  UINT mask;
  DWORD dwState;
  DWORD dwStateMask;
  LPSTR pszText;
  int cchTextMax;
  int iImage;
  LPARAM lParam;
};
typedef TCITEMA* LPTCITEMA;

#define TCM_FIRST 0x1300
#define TCM_GETITEMCOUNT (TCM_FIRST + 4)
#define TCM_GETITEMA (TCM_FIRST + 5)
#define TCM_SETITEMA (TCM_FIRST + 6)
#define TCM_INSERTITEMA (TCM_FIRST + 7)
#define TCM_DELETEITEM (TCM_FIRST + 8)
#define TCM_DELETEALLITEMS (TCM_FIRST + 9)
#define TCM_GETITEMRECT (TCM_FIRST + 10)
#define TCM_GETCURSEL (TCM_FIRST + 11)
#define TCM_SETCURSEL (TCM_FIRST + 12)
#define TCM_ADJUSTRECT (TCM_FIRST + 40)

#define TCN_FIRST (0U - 550U)
#define TCN_SELCHANGE (TCN_FIRST - 1)
#define TCN_SELCHANGING (TCN_FIRST - 2)
#endif

namespace qvp::ui::sheet {

// Registers the sheet's stand-in tab strip class when no "SysTabControl32"
// exists; the name of the class to use either way.
const char* TabClassName();

}  // namespace qvp::ui::sheet
