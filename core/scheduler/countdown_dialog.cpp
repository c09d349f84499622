// The countdown before a scheduled run (template 700): ten seconds that the
// user may pause, cut short (run now) or end (skip the run).
#include "app/qv_timer.h"
#include "app_globals.h"
#include "dialog_fonts.h"
#include "modeless_dialog.h"
#include "panel_state.h"
#include "plugin_host.h"
#include "res_text.h"
#include "scheduler.h"
#include "sizeable_control.h"
#include "window_geometry.h"

namespace {

constexpr char kStateProperty[] = "QvCountdownState";
constexpr UINT_PTR kSecondTimer = 1;
constexpr UINT kSecond = 1000;
constexpr uint32_t kCountdownSeconds = 10;

constexpr int kFrameId = 8502;
constexpr int kTimeId = 8355;
constexpr int kGroupId = 14710;
constexpr int kSkipId = 8350;
constexpr int kRunId = 8351;
constexpr int kPauseId = 8352;
constexpr int kPicture = 1149;
constexpr UINT kRunningText = 9107;
constexpr UINT kPausedText = 9108;

constexpr int kAnswerRun = 1;
constexpr int kAnswerSkip = 2;

struct CountdownState {
  uint32_t remaining = kCountdownSeconds;
  bool paused = false;
  HFONT boldFont = nullptr;
  HBITMAP picture = nullptr;
};

CountdownState* StateOf(HWND dialog) { return static_cast<CountdownState*>(GetPropA(dialog, kStateProperty)); }

void ShowRemaining(HWND dialog, uint32_t seconds) {
  char text[kResTextMax + 1];
  FormatTimeSpan(seconds, text, sizeof text);
  SetDlgItemTextA(dialog, kTimeId, text);
}

// The answer ends the dialog; its loop hands the answer on.
void Answer(HWND dialog, int answer) {
  g_modeless.result = answer;
  KillQvTimer(dialog, kSecondTimer);
  DestroyWindow(dialog);
}

void TogglePause(HWND dialog, CountdownState* state) {
  char text[kResTextMax + 1];
  state->paused = !state->paused;
  if (state->paused) {
    KillQvTimer(dialog, kSecondTimer);
    SetDlgItemTextA(dialog, kGroupId, LoadResText(kPausedText, text, sizeof text));
  } else {
    SetQvTimer(dialog, kSecondTimer, kSecond, nullptr);
    SetDlgItemTextA(dialog, kGroupId, LoadResText(kRunningText, text, sizeof text));
  }
}

void PaintPicture(HWND dialog, const CountdownState* state) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(dialog, &paint);
  HWND frame = GetDlgItem(dialog, kFrameId);
  if (state != nullptr && state->picture != nullptr && frame != nullptr) {
    RECT place{};
    GetChildRectInParent(dialog, frame, &place);
    BITMAP size{};
    GetObjectA(state->picture, sizeof size, &size);
    HDC source = CreateCompatibleDC(dc);
    HGDIOBJ old = SelectObject(source, state->picture);
    BitBlt(dc, place.left + 2, place.top + 2, size.bmWidth, size.bmHeight, source, 0, 0, SRCCOPY);
    SelectObject(source, old);
    DeleteDC(source);
  }
  EndPaint(dialog, &paint);
}

// The panel's plug-in part is painted anew after the dialog changed size.
void RefreshPluginPanel() {
  PROFILE* selected = g_panel.selected;
  if (selected == nullptr || g_app.mainPanel == nullptr) return;
  const auto update = GetPluginFunctionAs<PFN_UpdatePanel>(static_cast<unsigned int>(selected->type), PF_UPDATE_PANEL);
  if (update != nullptr) update(GetDlgItem(g_app.mainPanel, kPluginPanelId), selected, g_panel.previous, PANEL_REFRESH);
}

}  // namespace

INT_PTR CALLBACK WaitAndCountDownDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM /*lParam*/) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* state = new CountdownState;
      SetPropA(dialog, kStateProperty, state);
      HFONT bold = PrepWindowFonts(dialog);
      if (bold != nullptr && bold != reinterpret_cast<HFONT>(SendMessageA(dialog, WM_GETFONT, 0, 0)))
        state->boldFont = bold;
      state->picture = LoadBitmapA(g_app.resourceModule, MAKEINTRESOURCEA(kPicture));
      PrepSizeableControl(dialog, kFrameId);
      CenterWindow(dialog);
      ShowRemaining(dialog, state->remaining);
      SetQvTimer(dialog, kSecondTimer, kSecond, nullptr);
      return TRUE;
    }
    case WM_TIMER: {
      CountdownState* state = StateOf(dialog);
      if (wParam != kSecondTimer || state == nullptr || state->paused) return TRUE;
      if (state->remaining != 0) {
        ShowRemaining(dialog, state->remaining);
        --state->remaining;
      } else {
        SendMessageA(dialog, WM_COMMAND, IDOK, 0);
      }
      return TRUE;
    }
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
        case kRunId: Answer(dialog, kAnswerRun); return TRUE;
        case IDCANCEL:
        case kSkipId: Answer(dialog, kAnswerSkip); return TRUE;
        case kPauseId:
          if (CountdownState* state = StateOf(dialog)) TogglePause(dialog, state);
          return TRUE;
        default: return FALSE;
      }
    case WM_CLOSE:
      Answer(dialog, kAnswerSkip);
      return TRUE;
    case WM_PAINT:
      PaintPicture(dialog, StateOf(dialog));
      return TRUE;
    case WM_SIZE:
      ReshowOwnerWindows(dialog, 0);
      RefreshPluginPanel();
      return FALSE;
    case WM_DESTROY: {
      KillQvTimer(dialog, kSecondTimer);
      auto* state = static_cast<CountdownState*>(RemovePropA(dialog, kStateProperty));
      if (state != nullptr) {
        if (state->boldFont != nullptr) DeleteObject(state->boldFont);
        if (state->picture != nullptr) DeleteObject(state->picture);
        delete state;
      }
      return FALSE;
    }
    default:
      return FALSE;
  }
}
