// PrintDlgA: the print and print-setup dialogs asked through the prompt
// interface, and the default printer handed out without a dialog.
#include <string>

#include "ui/prompt.h"
#include "ui/shell/commdlg_common.h"
#include "ui/shell/printers.h"
#include "ui/shell/screen_dialog.h"

using namespace qvp::ui::commdlg;

namespace {

constexpr DWORD kSizeIn32Bits = 66;

// Hands the printer's blocks (and context, when asked for) to the caller,
// freeing the blocks the caller passed in.
BOOL HandOut(PRINTDLGA& pd, const std::string& printer, const DEVMODEA& mode) {
  HGLOBAL devmode = NewDevMode(mode);
  HGLOBAL devnames = NewDevNames(printer, printer == PrinterList().front());
  if (!devmode || !devnames) {
    if (devmode) GlobalFree(devmode);
    if (devnames) GlobalFree(devnames);
    return Refuse(CDERR_MEMALLOCFAILURE);
  }
  HDC dc = nullptr;
  if (pd.Flags & (PD_RETURNDC | PD_RETURNIC)) {
    dc = NewPrinterDC(printer, mode, (pd.Flags & PD_RETURNDC) == 0);
    if (!dc) {
      GlobalFree(devmode);
      GlobalFree(devnames);
      return Refuse(PDERR_CREATEICFAILURE);
    }
  }
  if (pd.hDevMode && pd.hDevMode != devmode) GlobalFree(pd.hDevMode);
  if (pd.hDevNames && pd.hDevNames != devnames) GlobalFree(pd.hDevNames);
  pd.hDevMode = devmode;
  pd.hDevNames = devnames;
  if (dc) pd.hDC = dc;
  SetDialogError(0);
  return TRUE;
}

bool ChoiceFits(const PRINTDLGA& pd, const qvp::PromptAnswer& a) {
  if (!a.text.empty() && !KnownPrinter(a.text)) return false;
  if (pd.Flags & PD_PRINTSETUP) return true;  // the setup dialog has no range or copies
  const qvp::PrintChoice& c = a.print;
  if (c.copies < 1 || c.copies > 9999) return false;
  if (c.to_file && (pd.Flags & (PD_DISABLEPRINTTOFILE | PD_HIDEPRINTTOFILE))) return false;
  switch (c.range) {
    case PD_ALLPAGES: return true;
    case PD_SELECTION: return (pd.Flags & PD_NOSELECTION) == 0;
    case PD_PAGENUMS:
      return (pd.Flags & PD_NOPAGENUMS) == 0 && pd.nMinPage <= c.from_page && c.from_page <= c.to_page &&
             c.to_page <= pd.nMaxPage;
    default: return false;
  }
}

}  // namespace

BOOL WINAPI PrintDlgA(LPPRINTDLGA pPD) {
  if (!pPD) return Refuse(CDERR_INITIALIZATION);
  PRINTDLGA& pd = *pPD;
  if (!SizeOk(pd.lStructSize, sizeof(PRINTDLGA), kSizeIn32Bits)) return Refuse(CDERR_STRUCTSIZE);
  if (!OwnerOk(pd.hwndOwner)) return Refuse(CDERR_DIALOGFAILURE);
  if (((pd.Flags & PD_ENABLEPRINTHOOK) && !pd.lpfnPrintHook) || ((pd.Flags & PD_ENABLESETUPHOOK) && !pd.lpfnSetupHook))
    return Refuse(CDERR_NOHOOK);
  const std::vector<std::string> printers = PrinterList();

  if (pd.Flags & PD_RETURNDEFAULT) {
    // The default printer without a dialog, into blocks the caller does not have yet.
    if (pd.hDevMode || pd.hDevNames) return Refuse(PDERR_RETDEFFAILURE);
    if (printers.empty()) return Refuse(PDERR_NODEFAULTPRN);
    return HandOut(pd, printers.front(), DefaultDevMode(printers.front()));
  }
  if (printers.empty()) return Refuse(PDERR_NODEVICES);

  // The dialog starts on the printer the caller's blocks name, else the default.
  std::string start = DeviceOf(pd.hDevNames);
  if (!KnownPrinter(start)) start = DeviceOfDevMode(pd.hDevMode);
  if (!KnownPrinter(start)) start = printers.front();

  qvp::PromptRecord record;
  record.kind = qvp::PromptKind::kPrint;
  record.owner = pd.hwndOwner;
  record.caption = (pd.Flags & PD_PRINTSETUP) ? "Print Setup" : "Print";
  record.text = start;
  record.flags = pd.Flags;
  ModalOwner modal(pd.hwndOwner);
  qvp::PromptAnswer answer = qvp::ui::AskPrompt(
      record, qvp::PromptAnswer{},
      [&](qvp::PromptAnswer& a) {
        if (a.result == 0) return true;
        a.result = 1;
        return ChoiceFits(pd, a);
      },
      [&] { return ShowPrintDialog(pd, printers, start); });
  if (answer.result == 0) {
    SetDialogError(0);
    return FALSE;
  }

  const std::string printer = answer.text.empty() ? start : answer.text;
  DEVMODEA mode = DevModeFrom(pd.hDevMode, printer);
  if (!(pd.Flags & PD_PRINTSETUP)) {
    const qvp::PrintChoice& c = answer.print;
    pd.Flags &= ~static_cast<DWORD>(PD_SELECTION | PD_PAGENUMS | PD_PRINTTOFILE | PD_COLLATE);
    pd.Flags |= c.range | (c.to_file ? PD_PRINTTOFILE : 0) | (c.collate ? PD_COLLATE : 0);
    if (c.range == PD_PAGENUMS) {
      pd.nFromPage = c.from_page;
      pd.nToPage = c.to_page;
    }
    if (pd.Flags & PD_USEDEVMODECOPIESANDCOLLATE) {
      // The copies and collation travel in the printer settings.
      mode.dmCopies = static_cast<short>(c.copies);
      mode.dmCollate = c.collate ? DMCOLLATE_TRUE : DMCOLLATE_FALSE;
      pd.nCopies = 1;
    } else {
      mode.dmCopies = 1;
      pd.nCopies = c.copies;
    }
  }
  return HandOut(pd, printer, mode);
}
