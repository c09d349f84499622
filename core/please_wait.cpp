#include "please_wait.h"

#include "dialog_fonts.h"
#include "res_text.h"
#include "sizeable_control.h"
#include "window_geometry.h"

namespace {

// The bold font stays with its own box, so that two boxes never share one.
constexpr char kBoldFontProperty[] = "QvPleaseWaitBoldFont";

constexpr int kBadLogFileCode = 11;
constexpr UINT kBadLogFileCaption = 5738;
constexpr UINT kBadLogFileText = 5739;

}  // namespace

QV_API INT_PTR CALLBACK PleaseWaitDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG: {
      PrepSizeableControl(dialog, kPleaseWaitSizeableId);
      HFONT bold = PrepWindowFonts(dialog);
      // Only a font made for this box is the box's to delete.
      if (bold != nullptr && bold != reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0))) {
        SetPropA(dialog, kBoldFontProperty, bold);
      }
      CenterWindow(dialog);
      return TRUE;
    }
    case WM_DESTROY:
      if (HANDLE bold = RemovePropA(dialog, kBoldFontProperty)) DeleteObject(bold);
      return FALSE;
    case WM_SYSCOMMAND:
      return (wParam & 0xFFF0) == SC_CLOSE ? TRUE : FALSE;
    default:
      return FALSE;
  }
}

QV_API void BadLogFileErrorProc(int code) {
  if (code != kBadLogFileCode) return;
  char caption[kResTextMax + 1];
  char text[kResTextMax + 1];
  LoadResText(kBadLogFileCaption, caption, sizeof caption);
  LoadResText(kBadLogFileText, text, sizeof text);
  MessageBoxA(nullptr, text, caption, MB_OK);
}
