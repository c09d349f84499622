// The section chooser (template 590): which sections of a report to save or
// print, listed from the owner's section combo box.
#include <cstring>
#include <vector>

#include "dialog_fonts.h"
#include "mega_view.h"
#include "qv_ui_dialogs.h"
#include "res_text.h"

namespace {

constexpr int kListId = 4510;
constexpr int kInvertId = 4500;
constexpr int kCheckId = 8000;
constexpr UINT kNoneCaption = 9200;
constexpr UINT kNoneText = 9201;

#pragma pack(push, 1)
struct SectionChoice {
  HWND owner;
  uint16_t comboId;
  uint16_t count;
  uint16_t* entries;  // combo entry indexes
  char caption[81];
};
#pragma pack(pop)

struct ChooserState {
  SectionChoice* choice = nullptr;
  HFONT bold = nullptr;
  std::vector<int> entryAt;  // list position -> combo entry
};

ChooserState* StateOf(HWND dialog) { return reinterpret_cast<ChooserState*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

void Init(HWND dialog, ChooserState& s) {
  s.bold = PrepWindowFonts(dialog);
  CheckDlgButton(dialog, kCheckId, BST_CHECKED);
  QVUI_CenterDialog(dialog);
  char caption[sizeof s.choice->caption + 1] = {};
  std::memcpy(caption, s.choice->caption, sizeof s.choice->caption);
  SetWindowTextA(dialog, caption);
  HWND combo = GetDlgItem(s.choice->owner, s.choice->comboId);
  const LRESULT current = SendMessageA(combo, CB_GETCURSEL, 0, 0);
  for (uint16_t i = 0; i < s.choice->count; ++i) {
    const int entry = s.choice->entries[i];
    const LRESULT length = SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(entry), 0);
    if (length < 0) continue;
    std::vector<char> text(static_cast<size_t>(length) + 1, '\0');
    SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(entry), reinterpret_cast<LPARAM>(text.data()));
    const LRESULT at = SendDlgItemMessageA(dialog, kListId, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.data()));
    if (at < 0) continue;
    // A sorted insertion moves the entries after it down by one.
    s.entryAt.insert(s.entryAt.begin() + std::min<size_t>(static_cast<size_t>(at), s.entryAt.size()), entry);
  }
  for (size_t p = 0; p < s.entryAt.size(); ++p)
    if (s.entryAt[p] == current) SendDlgItemMessageA(dialog, kListId, LB_SETSEL, TRUE, static_cast<LPARAM>(p));
}

void Finish(HWND dialog, ChooserState& s) {
  std::vector<uint16_t> chosen;
  for (size_t p = 0; p < s.entryAt.size(); ++p)
    if (SendDlgItemMessageA(dialog, kListId, LB_GETSEL, p, 0) > 0) chosen.push_back(static_cast<uint16_t>(s.entryAt[p]));
  if (chosen.empty()) {
    char caption[kResTextMax + 1];
    char text[kResTextMax + 1];
    MessageBoxA(dialog, LoadResText(kNoneText, text, sizeof text), LoadResText(kNoneCaption, caption, sizeof caption),
                MB_OK | MB_ICONEXCLAMATION);
    return;
  }
  for (size_t i = 0; i < chosen.size(); ++i) s.choice->entries[i] = chosen[i];
  s.choice->count = static_cast<uint16_t>(chosen.size());
  EndDialog(dialog, 1);
}

}  // namespace

QV_API INT_PTR CALLBACK SelectCascadeDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* s = new ChooserState;
    s->choice = reinterpret_cast<SectionChoice*>(lParam);
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(s));
    if (s->choice != nullptr) Init(dialog, *s);
    return TRUE;
  }
  ChooserState* s = StateOf(dialog);
  if (s == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case kInvertId: {
          const LRESULT count = SendDlgItemMessageA(dialog, kListId, LB_GETCOUNT, 0, 0);
          for (LRESULT p = 0; p < count; ++p) {
            const LRESULT on = SendDlgItemMessageA(dialog, kListId, LB_GETSEL, static_cast<WPARAM>(p), 0);
            SendDlgItemMessageA(dialog, kListId, LB_SETSEL, on > 0 ? FALSE : TRUE, p);
          }
          return TRUE;
        }
        case IDOK:
          if (s->choice != nullptr) Finish(dialog, *s);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, 2);
          return TRUE;
        default:
          return FALSE;
      }
    case WM_DESTROY:
      if (s->bold != nullptr) DeleteObject(s->bold);
      SetWindowLongPtrA(dialog, DWLP_USER, 0);
      delete s;
      return FALSE;
    default:
      return FALSE;
  }
}
