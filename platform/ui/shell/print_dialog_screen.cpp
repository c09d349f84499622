// The print and print-setup dialogs on the screen, with the control ids of the
// system's dialog so that a caller's hook finds the controls it changes.
#include <string>

#include "ui/shell/screen_dialog.h"

namespace qvp::ui::commdlg {

namespace {

// The system print dialog's control ids.
constexpr int kPrinterLabel = 1093, kPrinter = 1139, kRangeGroup = 1072, kAll = 1056, kSelection = 1057,
              kPages = 1058, kFromLabel = 1089, kFrom = 1152, kToLabel = 1090, kTo = 1153, kQualityLabel = 1091,
              kQuality = 1136, kCopiesLabel = 1092, kCopies = 1154, kCollate = 1041, kToFile = 1040, kHelp = 1038;

struct Run {
  PRINTDLGA& pd;
  const std::vector<std::string>& printers;
  std::string start;
  PromptAnswer answer;
  bool setup = false;
};

LPPRINTHOOKPROC HookOf(const Run& run) {
  if (run.setup) return (run.pd.Flags & PD_ENABLESETUPHOOK) ? run.pd.lpfnSetupHook : nullptr;
  return (run.pd.Flags & PD_ENABLEPRINTHOOK) ? run.pd.lpfnPrintHook : nullptr;
}

void Fill(HWND dlg, Run& run) {
  const PRINTDLGA& pd = run.pd;
  HWND combo = GetDlgItem(dlg, kPrinter);
  for (const std::string& name : run.printers) {
    const LRESULT at = SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    if (name == run.start) SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
  }
  if (run.setup) return;
  const int range = (pd.Flags & PD_PAGENUMS) ? kPages : (pd.Flags & PD_SELECTION) ? kSelection : kAll;
  CheckRadioButton(dlg, kAll, kPages, range);
  EnableWindow(GetDlgItem(dlg, kSelection), (pd.Flags & PD_NOSELECTION) == 0);
  const bool pages = (pd.Flags & PD_NOPAGENUMS) == 0;
  for (int id : {kPages, kFrom, kTo, kFromLabel, kToLabel}) EnableWindow(GetDlgItem(dlg, id), pages);
  SetDlgItemInt(dlg, kFrom, pd.nFromPage != 0 ? pd.nFromPage : pd.nMinPage, FALSE);
  SetDlgItemInt(dlg, kTo, pd.nToPage != 0 ? pd.nToPage : pd.nMaxPage, FALSE);
  SetDlgItemInt(dlg, kCopies, pd.nCopies != 0 ? pd.nCopies : 1, FALSE);
  CheckDlgButton(dlg, kCollate, (pd.Flags & PD_COLLATE) ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(dlg, kToFile, (pd.Flags & PD_PRINTTOFILE) ? BST_CHECKED : BST_UNCHECKED);
  if (pd.Flags & PD_HIDEPRINTTOFILE) ShowWindow(GetDlgItem(dlg, kToFile), SW_HIDE);
  if (pd.Flags & PD_DISABLEPRINTTOFILE) EnableWindow(GetDlgItem(dlg, kToFile), FALSE);
  SendDlgItemMessageA(dlg, kQuality, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>("Printer's own"));
  SendDlgItemMessageA(dlg, kQuality, CB_SETCURSEL, 0, 0);
  EnableWindow(GetDlgItem(dlg, kQuality), FALSE);
}

// The user's choice, or false (with the reason shown) when the dialog can't take it.
bool Collect(HWND dlg, Run& run) {
  const PRINTDLGA& pd = run.pd;
  const LRESULT at = SendDlgItemMessageA(dlg, kPrinter, CB_GETCURSEL, 0, 0);
  if (at >= 0 && static_cast<size_t>(at) < run.printers.size()) run.answer.text = run.printers[static_cast<size_t>(at)];
  run.answer.result = 1;
  if (run.setup) return true;
  PrintChoice& c = run.answer.print;
  c.range = IsDlgButtonChecked(dlg, kPages) ? PD_PAGENUMS : IsDlgButtonChecked(dlg, kSelection) ? PD_SELECTION : 0;
  if (c.range == PD_PAGENUMS) {
    const int from = ItemNumber(dlg, kFrom, -1), to = ItemNumber(dlg, kTo, -1);
    if (from < pd.nMinPage || to > pd.nMaxPage || from > to) {
      const std::string text = "This value is out of range.\nEnter pages from " + std::to_string(pd.nMinPage) +
                               " to " + std::to_string(pd.nMaxPage) + ".";
      MessageBoxA(dlg, text.c_str(), "Print", MB_OK | MB_ICONEXCLAMATION);
      SetFocus(GetDlgItem(dlg, from < pd.nMinPage || from > pd.nMaxPage ? kFrom : kTo));
      return false;
    }
    c.from_page = static_cast<WORD>(from);
    c.to_page = static_cast<WORD>(to);
  }
  const int copies = ItemNumber(dlg, kCopies, -1);
  if (copies < 1 || copies > 9999) {
    MessageBoxA(dlg, "Enter a number of copies from 1 to 9999.", "Print", MB_OK | MB_ICONEXCLAMATION);
    SetFocus(GetDlgItem(dlg, kCopies));
    return false;
  }
  c.copies = static_cast<WORD>(copies);
  c.collate = IsDlgButtonChecked(dlg, kCollate) == BST_CHECKED;
  c.to_file = IsDlgButtonChecked(dlg, kToFile) == BST_CHECKED && IsWindowVisible(GetDlgItem(dlg, kToFile));
  return true;
}

INT_PTR CALLBACK PrintProc(HWND dlg, UINT msg, WPARAM wp, LPARAM lp) {
  auto* run = reinterpret_cast<Run*>(GetWindowLongPtrA(dlg, DWLP_USER));
  if (msg == WM_INITDIALOG) {
    run = reinterpret_cast<Run*>(lp);
    SetWindowLongPtrA(dlg, DWLP_USER, lp);
    Fill(dlg, *run);
    // The caller's hook sees the dialog made and filled, with its structure.
    if (LPPRINTHOOKPROC hook = HookOf(*run)) return hook(dlg, msg, wp, reinterpret_cast<LPARAM>(&run->pd)) != 0;
    return TRUE;
  }
  if (run == nullptr) return FALSE;
  if (LPPRINTHOOKPROC hook = HookOf(*run)) {
    if (hook(dlg, msg, wp, lp) != 0) return TRUE;
  }
  if (msg != WM_COMMAND) return FALSE;
  switch (LOWORD(wp)) {
    case IDOK:
      if (Collect(dlg, *run)) EndDialog(dlg, IDOK);
      return TRUE;
    case IDCANCEL:
      EndDialog(dlg, IDCANCEL);
      return TRUE;
    case kFrom:
    case kTo:
      // Typing a page number chooses the page range.
      if (HIWORD(wp) == EN_CHANGE && GetFocus() == reinterpret_cast<HWND>(lp))
        CheckRadioButton(dlg, kAll, kPages, kPages);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

std::optional<PromptAnswer> ShowPrintDialog(PRINTDLGA& pd, const std::vector<std::string>& printers,
                                            const std::string& start) {
  if (!DisplayOpen()) return std::nullopt;
  Run run{pd, printers, start, {}, (pd.Flags & PD_PRINTSETUP) != 0};
  constexpr uint32_t kList = CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP;
  constexpr uint32_t kEdit = ES_AUTOHSCROLL | ES_NUMBER | WS_BORDER | WS_TABSTOP;
  DialogDesc d = ScreenDialog(run.setup ? "Print Setup" : "Print", 260, run.setup ? 70 : 160);
  AddControl(d, "Button", -1, "Printer", BS_GROUPBOX, 6, 4, 248, 36);
  AddControl(d, "Static", kPrinterLabel, "&Name:", SS_LEFT, 14, 20, 30, 8);
  AddControl(d, "ComboBox", kPrinter, "", kList, 48, 18, 196, 120);
  int y = 46;
  if (!run.setup) {
    AddControl(d, "Button", kToFile, "Print to fi&le", BS_AUTOCHECKBOX | WS_TABSTOP, 190, 30, 60, 10);
    AddControl(d, "Button", kRangeGroup, "Print range", BS_GROUPBOX, 6, 46, 120, 70);
    AddControl(d, "Button", kAll, "&All", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 14, 58, 100, 10);
    AddControl(d, "Button", kPages, "Pa&ges", BS_AUTORADIOBUTTON, 14, 72, 36, 10);
    AddControl(d, "Static", kFromLabel, "&from:", SS_RIGHT, 50, 73, 20, 8);
    AddControl(d, "Edit", kFrom, "", kEdit, 72, 71, 20, 12);
    AddControl(d, "Static", kToLabel, "&to:", SS_RIGHT, 92, 73, 12, 8);
    AddControl(d, "Edit", kTo, "", kEdit, 104, 71, 18, 12);
    AddControl(d, "Button", kSelection, "&Selection", BS_AUTORADIOBUTTON, 14, 86, 100, 10);
    AddControl(d, "Static", kCopiesLabel, "Number of &copies:", SS_LEFT, 134, 52, 64, 8);
    AddControl(d, "Edit", kCopies, "", kEdit | WS_GROUP, 200, 50, 30, 12);
    AddControl(d, "Button", kCollate, "C&ollate", BS_AUTOCHECKBOX | WS_TABSTOP, 134, 68, 60, 10);
    AddControl(d, "Static", kQualityLabel, "Print &quality:", SS_LEFT, 134, 86, 50, 8);
    AddControl(d, "ComboBox", kQuality, "", kList, 186, 84, 64, 60);
    y = 124;
  }
  const int16_t bottom = static_cast<int16_t>(y);
  AddControl(d, "Button", IDOK, "OK", BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 90, bottom, 50, 14);
  AddControl(d, "Button", IDCANCEL, "Cancel", BS_PUSHBUTTON | WS_TABSTOP, 146, bottom, 50, 14);
  if (pd.Flags & PD_SHOWHELP) AddControl(d, "Button", kHelp, "&Help", BS_PUSHBUTTON | WS_TABSTOP, 202, bottom, 50, 14);
  d.cy = static_cast<int16_t>(bottom + 20);
  const INT_PTR result = RunScreenDialog(d, pd.hwndOwner, PrintProc, reinterpret_cast<LPARAM>(&run));
  if (result < 0) return std::nullopt;
  if (result != IDOK) return PromptAnswer{};
  return run.answer;
}

}  // namespace qvp::ui::commdlg
