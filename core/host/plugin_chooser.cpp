// The chooser: when several plug-ins offer the same function, the user picks
// one in a small dialog (template 31002) with one radio button per plug-in
// and the plug-in's own help text for the function.
#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "app_globals.h"
#include "dialog_fonts.h"
#include "plugin_host.h"
#include "res_templates.h"
#include "res_text.h"
#include "window_geometry.h"

namespace {

constexpr int kChooserTemplate = 31002;
// Controls of the template.
constexpr int kOkButton = 5000;      // also the layout anchor of the buttons' spacing
constexpr int kCancelButton = 5001;  // the other anchor
constexpr int kHelpBox = 1123;
constexpr int kPrompt = 1127;
constexpr int kHeading = 1128;
constexpr int kFirstChoice = 10000;
// Prompts: a new profile, a new schedule event, anything else (also the caption).
constexpr UINT kPromptProfile = 32026;
constexpr UINT kPromptEvent = 32027;
constexpr UINT kPromptOther = 32028;
constexpr ULONG_PTR kHelpContext = 1008;
constexpr int kHelpTextSize = 1000;
constexpr int kHelpBoxMinLines = 3;

// The panel's view kind (-1: all profiles) and the kind chosen last.
int g_viewKind = -1;
int g_lastChosenKind = -1;

struct Choice {
  unsigned int kind;
  std::string name;
  std::string help;
  HWND button;
};

// The dialog's own table.
struct Chooser {
  int functionId = 0;
  std::vector<Choice> choices;
  HFONT bold = nullptr;
};

UINT PromptFor(int functionId) {
  if (functionId == PF_EDIT_PROFILE) return kPromptProfile;
  if (functionId == PF_EDIT_SCHEDULED_EVENT) return kPromptEvent;
  return kPromptOther;
}

// The plug-in's help text for a function: function 26 (id, 1000), read no
// further than that size; empty when it has none.
std::string HelpTextOf(PluginEntry* entry, int functionId) {
  auto help = reinterpret_cast<PFN_GetHelpText>(entry->IsFunctionSupported(PF_GET_HELP_TEXT));
  if (help == nullptr) return {};
  const char* text = help(functionId, kHelpTextSize);
  if (text == nullptr) return {};
  return std::string(text, strnlen(text, kHelpTextSize - 1));
}

RECT ChildRect(HWND dialog, int id) {
  RECT rect{};
  HWND child = GetDlgItem(dialog, id);
  if (child != nullptr) GetChildRectInParent(dialog, child, &rect);
  return rect;
}

// The height the text takes at the control's width in the control's font.
int TextHeight(HWND control, const std::string& text, int* lineHeight) {
  HDC dc = GetDC(control);
  if (dc == nullptr) return 0;
  HFONT font = reinterpret_cast<HFONT>(SendMessageA(control, WM_GETFONT, 0, 0));
  HGDIOBJ old = font != nullptr ? SelectObject(dc, font) : nullptr;
  RECT client{};
  GetClientRect(control, &client);
  RECT rect = {0, 0, client.right, 0};
  const int height = text.empty() ? 0 : DrawTextA(dc, text.c_str(), -1, &rect, DT_CALCRECT | DT_WORDBREAK);
  if (lineHeight != nullptr) {
    TEXTMETRICA metrics{};
    GetTextMetricsA(dc, &metrics);
    *lineHeight = metrics.tmHeight;
  }
  if (old != nullptr) SelectObject(dc, old);
  ReleaseDC(control, dc);
  return height;
}

void MoveBy(HWND dialog, int id, int dy, int grow) {
  HWND child = GetDlgItem(dialog, id);
  if (child == nullptr) return;
  RECT rect = ChildRect(dialog, id);
  MoveWindow(child, rect.left, rect.top + dy, rect.right - rect.left, rect.bottom - rect.top + grow, TRUE);
}

// Builds the radio buttons, fits the prompt and the help box, and grows the
// dialog to hold them. The buttons stand below the prompt at the spacing of
// OK and Cancel; everything below the prompt in its column moves down.
void LayOut(HWND dialog, Chooser* chooser) {
  HWND prompt = GetDlgItem(dialog, kPrompt);
  const RECT ok = ChildRect(dialog, kOkButton);
  const RECT cancel = ChildRect(dialog, kCancelButton);
  const int buttonHeight = std::max<int>(ok.bottom - ok.top, 8);
  int pitch = cancel.top - ok.top;
  if (pitch < buttonHeight) pitch = buttonHeight + 4;

  int moved = 0;
  RECT promptRect = ChildRect(dialog, kPrompt);
  if (prompt != nullptr) {
    char text[kResTextMax + 1];
    GetWindowTextA(prompt, text, sizeof text);
    const int fitted = TextHeight(prompt, text, nullptr);
    if (fitted > 0) {
      moved = fitted - (promptRect.bottom - promptRect.top);
      MoveBy(dialog, kPrompt, 0, moved);
      promptRect.bottom += moved;
    }
  }

  HFONT font = reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0));
  const int left = promptRect.left;
  const int width = std::max<int>(promptRect.right - promptRect.left, 40);
  int top = promptRect.bottom + (pitch - buttonHeight);
  int id = kFirstChoice;
  for (Choice& choice : chooser->choices) {
    // The first button starts the group, so the arrow keys move among them.
    const DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_RADIOBUTTON | (id == kFirstChoice ? WS_GROUP : 0);
    choice.button = CreateWindowExA(0, "BUTTON", choice.name.c_str(), style, left, top, width, buttonHeight, dialog,
                                    reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), g_app.instance, nullptr);
    if (choice.button != nullptr && font != nullptr) {
      SendMessageA(choice.button, WM_SETFONT, reinterpret_cast<WPARAM>(font), 0);
    }
    top += pitch;
    ++id;
  }
  const int choicesHeight = static_cast<int>(chooser->choices.size()) * pitch;

  // The help box: below the buttons, high enough for the longest text.
  int grow = 0;
  HWND helpBox = GetDlgItem(dialog, kHelpBox);
  if (helpBox != nullptr) {
    int lineHeight = 0;
    int needed = 0;
    for (const Choice& choice : chooser->choices) {
      needed = std::max(needed, TextHeight(helpBox, choice.help, &lineHeight));
    }
    needed = std::max(needed, kHelpBoxMinLines * lineHeight);
    const RECT box = ChildRect(dialog, kHelpBox);
    grow = std::max(0, needed - static_cast<int>(box.bottom - box.top));
    MoveBy(dialog, kHelpBox, moved + choicesHeight, grow);
  }
  const int total = moved + choicesHeight + grow;
  if (total > 0) {
    RECT window{};
    GetWindowRect(dialog, &window);
    MoveWindow(dialog, window.left, window.top, window.right - window.left, window.bottom - window.top + total, TRUE);
  }
}

void Select(HWND dialog, Chooser* chooser, size_t index) {
  if (index >= chooser->choices.size()) return;
  const int id = kFirstChoice + static_cast<int>(index);
  CheckRadioButton(dialog, kFirstChoice, kFirstChoice + static_cast<int>(chooser->choices.size()) - 1, id);
  SetDlgItemTextA(dialog, kHelpBox, chooser->choices[index].help.c_str());
}

// The checked choice's kind, or -1.
int CheckedKind(HWND dialog, const Chooser* chooser) {
  for (size_t i = 0; i < chooser->choices.size(); ++i) {
    if (IsDlgButtonChecked(dialog, kFirstChoice + static_cast<int>(i)) == BST_CHECKED) {
      return static_cast<int>(chooser->choices[i].kind);
    }
  }
  return -1;
}

BOOL InitChooser(HWND dialog, int functionId) {
  auto* chooser = new (std::nothrow) Chooser;
  if (chooser == nullptr) {
    EndDialog(dialog, -1);
    return TRUE;
  }
  chooser->functionId = functionId;
  SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(chooser));
  for (PluginEntry* entry = g_pluginList; entry != nullptr; entry = entry->next) {
    if (entry->IsFunctionSupported(functionId) == nullptr) continue;
    chooser->choices.push_back({entry->kind, entry->name, HelpTextOf(entry, functionId), nullptr});
  }
  if (chooser->choices.empty()) {
    EndDialog(dialog, -1);
    return TRUE;
  }
  char text[kResTextMax + 1];
  SetWindowTextA(dialog, LoadResText(kPromptOther, text, sizeof text));
  SetDlgItemTextA(dialog, kPrompt, LoadResText(PromptFor(functionId), text, sizeof text));
  HFONT bold = PrepWindowFonts(dialog);
  if (bold != reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0))) chooser->bold = bold;
  if (chooser->bold != nullptr) SwitchFontToBold(dialog, kHeading, chooser->bold);
  LayOut(dialog, chooser);

  const int preferred = g_viewKind != -1 ? g_viewKind : g_lastChosenKind;
  size_t selected = 0;
  for (size_t i = 0; i < chooser->choices.size(); ++i) {
    if (static_cast<int>(chooser->choices[i].kind) == preferred) {
      selected = i;
      break;
    }
  }
  Select(dialog, chooser, selected);
  CenterWindow(dialog);
  return TRUE;
}

}  // namespace

void SetChooserViewKind(int viewKind) { g_viewKind = viewKind; }

int ChoosePlugin(HWND owner, int id) {
  if (id < PLUGIN_FUNCTION_FIRST || id > PLUGIN_FUNCTION_LAST) return -1;
  int supporting = 0;
  int lastKind = -1;
  for (PluginEntry* entry = g_pluginList; entry != nullptr; entry = entry->next) {
    if (entry->IsFunctionSupported(id) == nullptr) continue;
    ++supporting;
    lastKind = static_cast<int>(entry->kind);
  }
  if (supporting <= 1) return supporting == 1 ? lastKind : -1;
  LPCDLGTEMPLATEA dialog = LoadDialogTemplate(kChooserTemplate);
  if (dialog == nullptr) {
    OutputDebugStringA("ChoosePlugin: no chooser dialog template\r\n");
    return -1;
  }
  const INT_PTR result = DialogBoxIndirectParamA(g_app.instance, dialog, owner, PluginChooserDlg, id);
  return result < 0 ? -1 : static_cast<int>(result);
}

INT_PTR CALLBACK PluginChooserDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* chooser = reinterpret_cast<Chooser*>(GetWindowLongPtrA(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG:
      return InitChooser(dialog, static_cast<int>(lParam));
    case WM_COMMAND: {
      if (chooser == nullptr) return FALSE;
      const int id = LOWORD(wParam);
      if (id >= kFirstChoice && id < kFirstChoice + static_cast<int>(chooser->choices.size())) {
        if (HIWORD(wParam) == BN_CLICKED) Select(dialog, chooser, static_cast<size_t>(id - kFirstChoice));
        return TRUE;
      }
      switch (id) {
        case IDOK:
        case kOkButton: {
          const int kind = CheckedKind(dialog, chooser);
          if (kind != -1) g_lastChosenKind = kind;
          EndDialog(dialog, kind);
          return TRUE;
        }
        case IDCANCEL:
        case kCancelButton:
          EndDialog(dialog, -1);
          return TRUE;
        case IDHELP:
          WinHelpA(dialog, g_app.helpPath, HELP_CONTEXT, kHelpContext);
          return TRUE;
        default:
          return FALSE;
      }
    }
    case WM_DESTROY:
      if (chooser != nullptr) {
        for (Choice& choice : chooser->choices) {
          if (choice.button != nullptr) DestroyWindow(choice.button);
        }
        if (chooser->bold != nullptr) DeleteObject(chooser->bold);
        SetWindowLongPtrA(dialog, DWLP_USER, 0);
        delete chooser;
      }
      return FALSE;
    default:
      return FALSE;
  }
}
