// ChooseColorA, asked through the prompt interface.
#include <cstdio>

#include "ui/prompt.h"
#include "ui/shell/commdlg_common.h"
#include "ui/shell/screen_dialog.h"

using namespace qvp::ui::commdlg;

namespace {
constexpr DWORD kSizeIn32Bits = 36;
}  // namespace

BOOL WINAPI ChooseColorA(LPCHOOSECOLORA lpcc) {
  if (!lpcc) return Refuse(CDERR_INITIALIZATION);
  if (!SizeOk(lpcc->lStructSize, sizeof(CHOOSECOLORA), kSizeIn32Bits)) return Refuse(CDERR_STRUCTSIZE);
  if (!OwnerOk(lpcc->hwndOwner)) return Refuse(CDERR_DIALOGFAILURE);
  if ((lpcc->Flags & CC_ENABLEHOOK) && !lpcc->lpfnHook) return Refuse(CDERR_NOHOOK);
  // The dialog keeps its sixteen custom colours in the caller's array.
  if (!lpcc->lpCustColors) return Refuse(CDERR_INITIALIZATION);

  qvp::PromptRecord record;
  record.kind = qvp::PromptKind::kChooseColor;
  record.owner = lpcc->hwndOwner;
  record.caption = "Color";
  record.flags = lpcc->Flags;
  if (lpcc->Flags & CC_RGBINIT) {
    char text[32];
    std::snprintf(text, sizeof text, "RGB(%u,%u,%u)", GetRValue(lpcc->rgbResult), GetGValue(lpcc->rgbResult),
                  GetBValue(lpcc->rgbResult));
    record.text = text;
  }
  ModalOwner modal(lpcc->hwndOwner);
  qvp::PromptAnswer answer = qvp::ui::AskPrompt(
      record, qvp::PromptAnswer{},
      [](qvp::PromptAnswer& a) {
        if (a.result == 0) return true;
        a.result = 1;
        return (a.color & 0xFF000000u) == 0;  // a plain RGB value
      },
      [lpcc] { return ShowColorDialog(*lpcc); });
  SetDialogError(0);
  if (answer.result == 0) return FALSE;
  lpcc->rgbResult = answer.color;
  return TRUE;
}
