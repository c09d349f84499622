// The product's about box: title and version, a line on what it does, OK.
#include "module_state.h"
#include "prd_exports.h"
#include "product_ids.h"

namespace {

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG: {
      char title[100];
      PRD_GetTitleAndVersion(title, sizeof title);
      SetDlgItemTextA(dialog, IDC_ABOUT_TITLE, title);
      return TRUE;
    }
    case WM_COMMAND:
      if (LOWORD(wParam) == IDOK || LOWORD(wParam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wParam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

QV_API void PRD_ShowAboutBox(HWND owner) {
  DialogBoxParamA(ProductModule(), MAKEINTRESOURCEA(IDD_PRD_ABOUT), owner, AboutProc, 0);
}
