// ChooseFontA, asked through the prompt interface.
#include <cstdio>
#include <cstring>
#include <string>

#include "ui/prompt.h"
#include "ui/shell/commdlg_common.h"

using namespace qvp::ui::commdlg;

namespace {

constexpr DWORD kSizeIn32Bits = 60;

// The size of a LOGFONTA height in tenths of a point, as the dialog lists
// whole points (0 for "any size").
int TenthsOf(LONG height, int dpi) {
  if (height == 0) return 0;
  LONG pixels = height < 0 ? -height : height;
  return MulDiv(pixels, 72, dpi) * 10;
}

}  // namespace

BOOL WINAPI ChooseFontA(LPCHOOSEFONTA lpcf) {
  if (!lpcf) return Refuse(CDERR_INITIALIZATION);
  if (!SizeOk(lpcf->lStructSize, sizeof(CHOOSEFONTA), kSizeIn32Bits)) return Refuse(CDERR_STRUCTSIZE);
  if (!OwnerOk(lpcf->hwndOwner)) return Refuse(CDERR_DIALOGFAILURE);
  if ((lpcf->Flags & CF_ENABLEHOOK) && !lpcf->lpfnHook) return Refuse(CDERR_NOHOOK);
  if (!lpcf->lpLogFont) return Refuse(CDERR_INITIALIZATION);
  // The dialog lists screen or printer fonts (the printer's need its context).
  if (!(lpcf->Flags & CF_BOTH) || ((lpcf->Flags & CF_PRINTERFONTS) && !(lpcf->Flags & CF_SCREENFONTS) && !lpcf->hDC))
    return Refuse(CFERR_NOFONTS);
  const bool limit = (lpcf->Flags & CF_LIMITSIZE) != 0;
  if (limit && lpcf->nSizeMax < lpcf->nSizeMin) return Refuse(CFERR_MAXLESSTHANMIN);

  const int dpi = ScreenDpi(LOGPIXELSY);
  const bool init = (lpcf->Flags & CF_INITTOLOGFONTSTRUCT) != 0;
  const std::string start_face = init ? BoundedText(lpcf->lpLogFont->lfFaceName, LF_FACESIZE) : std::string();
  const int start_tenths = init ? TenthsOf(lpcf->lpLogFont->lfHeight, dpi) : 0;
  const bool effects = (lpcf->Flags & CF_EFFECTS) != 0;

  qvp::PromptRecord record;
  record.kind = qvp::PromptKind::kChooseFont;
  record.owner = lpcf->hwndOwner;
  record.caption = "Font";
  record.flags = lpcf->Flags;
  if (init) {
    char size[32];
    std::snprintf(size, sizeof size, ", %d pt", start_tenths / 10);
    record.text = start_face + size;
  }

  ModalOwner modal(lpcf->hwndOwner);
  qvp::PromptAnswer answer = qvp::ui::AskPrompt(record, qvp::PromptAnswer{}, [&](qvp::PromptAnswer& a) {
    if (a.result == 0) return true;
    a.result = 1;
    qvp::FontChoice& f = a.font;
    // What the answer leaves out stays as the dialog started.
    if (f.face.empty()) f.face = start_face;
    if (f.point_size_tenths == 0) f.point_size_tenths = start_tenths;
    if (f.face.empty() || f.face.size() >= LF_FACESIZE || f.point_size_tenths <= 0) return false;
    if (f.weight <= 0 || f.weight > 1000) return false;
    if (!effects && (f.underline || f.strikeout || a.color != 0)) return false;
    if (limit && (f.point_size_tenths < lpcf->nSizeMin * 10 || f.point_size_tenths > lpcf->nSizeMax * 10)) return false;
    return true;
  });
  SetDialogError(0);
  if (answer.result == 0) return FALSE;

  const qvp::FontChoice& f = answer.font;
  LOGFONTA& lf = *lpcf->lpLogFont;
  if (!init) lf = LOGFONTA{};
  std::memset(lf.lfFaceName, 0, sizeof lf.lfFaceName);
  std::memcpy(lf.lfFaceName, f.face.data(), f.face.size());
  lf.lfHeight = -MulDiv(f.point_size_tenths, dpi, 720);
  lf.lfWidth = 0;
  lf.lfWeight = f.weight;
  lf.lfItalic = f.italic ? 1 : 0;
  lf.lfUnderline = effects && f.underline ? 1 : 0;
  lf.lfStrikeOut = effects && f.strikeout ? 1 : 0;
  lf.lfCharSet = ANSI_CHARSET;
  lpcf->iPointSize = f.point_size_tenths;
  if (effects) lpcf->rgbColors = answer.color;
  lpcf->nFontType = static_cast<WORD>((f.weight >= FW_BOLD ? BOLD_FONTTYPE : REGULAR_FONTTYPE) |
                                      (f.italic ? ITALIC_FONTTYPE : 0) | SCREEN_FONTTYPE);
  return TRUE;
}
