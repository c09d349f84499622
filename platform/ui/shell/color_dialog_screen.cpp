// The colour dialog on the screen: the sixteen basic colours and the caller's
// custom ones to pick from, the red, green and blue parts to type, and a swatch.
#include <string>

#include "ui/shell/screen_dialog.h"

namespace qvp::ui::commdlg {

namespace {

constexpr int kBasic = 700, kCustom = 701, kRed = 706, kGreen = 707, kBlue = 708, kSwatch = 709;

struct Named {
  const char* name;
  COLORREF color;
};
constexpr Named kBasicColours[] = {
    {"Black", RGB(0, 0, 0)},         {"Maroon", RGB(128, 0, 0)},    {"Green", RGB(0, 128, 0)},
    {"Olive", RGB(128, 128, 0)},     {"Navy", RGB(0, 0, 128)},      {"Purple", RGB(128, 0, 128)},
    {"Teal", RGB(0, 128, 128)},      {"Grey", RGB(128, 128, 128)},  {"Silver", RGB(192, 192, 192)},
    {"Red", RGB(255, 0, 0)},         {"Lime", RGB(0, 255, 0)},      {"Yellow", RGB(255, 255, 0)},
    {"Blue", RGB(0, 0, 255)},        {"Fuchsia", RGB(255, 0, 255)}, {"Aqua", RGB(0, 255, 255)},
    {"White", RGB(255, 255, 255)}};

struct Run {
  const CHOOSECOLORA& cc;
  COLORREF color = 0;
  HBRUSH swatch = nullptr;
  bool filling = false;
};

void Show(HWND dlg, Run& run, COLORREF c) {
  run.filling = true;
  SetDlgItemInt(dlg, kRed, GetRValue(c), FALSE);
  SetDlgItemInt(dlg, kGreen, GetGValue(c), FALSE);
  SetDlgItemInt(dlg, kBlue, GetBValue(c), FALSE);
  run.filling = false;
  run.color = c;
  InvalidateRect(GetDlgItem(dlg, kSwatch), nullptr, TRUE);
}

// The colour the three parts give, or false when one is not 0-255.
bool Typed(HWND dlg, COLORREF* c) {
  const int r = ItemNumber(dlg, kRed, -1), g = ItemNumber(dlg, kGreen, -1), b = ItemNumber(dlg, kBlue, -1);
  if (r < 0 || r > 255 || g < 0 || g > 255 || b < 0 || b > 255) return false;
  *c = RGB(r, g, b);
  return true;
}

std::string HexOf(COLORREF c) {
  char text[16];
  wsprintfA(text, "#%02X%02X%02X", GetRValue(c), GetGValue(c), GetBValue(c));
  return text;
}

INT_PTR CALLBACK ColorProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* run = reinterpret_cast<Run*>(GetWindowLongPtrA(dlg, DWLP_USER));
  switch (msg) {
    case WM_INITDIALOG: {
      run = reinterpret_cast<Run*>(lp);
      SetWindowLongPtrA(dlg, DWLP_USER, lp);
      for (const Named& n : kBasicColours)
        SendDlgItemMessageA(dlg, kBasic, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(n.name));
      if (run->cc.lpCustColors != nullptr) {
        for (int i = 0; i < 16; ++i)
          SendDlgItemMessageA(dlg, kCustom, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(HexOf(run->cc.lpCustColors[i]).c_str()));
      }
      Show(dlg, *run, (run->cc.Flags & CC_RGBINIT) ? (run->cc.rgbResult & 0xFFFFFF) : 0);
      return TRUE;
    }
    case WM_CTLCOLORSTATIC:
      if (run != nullptr && reinterpret_cast<HWND>(lp) == GetDlgItem(dlg, kSwatch)) {
        if (run->swatch != nullptr) DeleteObject(run->swatch);
        run->swatch = CreateSolidBrush(run->color);
        return reinterpret_cast<INT_PTR>(run->swatch);
      }
      return FALSE;
    case WM_COMMAND: {
      if (run == nullptr) return FALSE;
      const int id = LOWORD(wp);
      if ((id == kBasic || id == kCustom) && HIWORD(wp) == LBN_SELCHANGE) {
        const LRESULT at = SendDlgItemMessageA(dlg, id, LB_GETCURSEL, 0, 0);
        if (at < 0 || at >= 16) return TRUE;
        Show(dlg, *run, id == kBasic ? kBasicColours[at].color : run->cc.lpCustColors[at] & 0xFFFFFF);
        return TRUE;
      }
      if ((id == kRed || id == kGreen || id == kBlue) && HIWORD(wp) == EN_CHANGE && !run->filling) {
        COLORREF c;
        if (Typed(dlg, &c)) {
          run->color = c;
          InvalidateRect(GetDlgItem(dlg, kSwatch), nullptr, TRUE);
        }
        return TRUE;
      }
      if (id == IDOK) {
        if (!Typed(dlg, &run->color)) {
          MessageBoxA(dlg, "Enter red, green and blue as numbers from 0 to 255.", "Color", MB_OK | MB_ICONEXCLAMATION);
          return TRUE;
        }
        EndDialog(dlg, IDOK);
        return TRUE;
      }
      if (id == IDCANCEL) {
        EndDialog(dlg, IDCANCEL);
        return TRUE;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}

}  // namespace

std::optional<PromptAnswer> ShowColorDialog(const CHOOSECOLORA& cc) {
  if (!DisplayOpen()) return std::nullopt;
  Run run{cc};
  constexpr uint32_t kList = LBS_NOTIFY | WS_VSCROLL | WS_BORDER | WS_TABSTOP;
  constexpr uint32_t kEdit = ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP;
  DialogDesc d = ScreenDialog("Color", 230, 150);
  AddControl(d, "Static", -1, "&Basic colors:", SS_LEFT, 6, 6, 70, 8);
  AddControl(d, "ListBox", kBasic, "", kList, 6, 16, 70, 106);
  AddControl(d, "Static", -1, "&Custom colors:", SS_LEFT, 82, 6, 70, 8);
  AddControl(d, "ListBox", kCustom, "", kList, 82, 16, 60, 106);
  AddControl(d, "Static", kSwatch, "", SS_LEFT | WS_BORDER, 150, 16, 72, 40);
  AddControl(d, "Static", -1, "&Red:", SS_LEFT, 150, 64, 30, 8);
  AddControl(d, "Edit", kRed, "", kEdit, 184, 62, 38, 12);
  AddControl(d, "Static", -1, "&Green:", SS_LEFT, 150, 80, 30, 8);
  AddControl(d, "Edit", kGreen, "", kEdit, 184, 78, 38, 12);
  AddControl(d, "Static", -1, "Bl&ue:", SS_LEFT, 150, 96, 30, 8);
  AddControl(d, "Edit", kBlue, "", kEdit, 184, 94, 38, 12);
  AddControl(d, "Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP, 118, 130, 50, 14);
  AddControl(d, "Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 172, 130, 50, 14);
  const INT_PTR result = RunScreenDialog(d, cc.hwndOwner, ColorProc, reinterpret_cast<LPARAM>(&run));
  if (run.swatch != nullptr) DeleteObject(run.swatch);
  if (result < 0) return std::nullopt;
  PromptAnswer answer;
  if (result == IDOK) {
    answer.result = 1;
    answer.color = run.color;
  }
  return answer;
}

}  // namespace qvp::ui::commdlg
