#include "analysis_status.h"

#include <cstring>

#include "host_tables.h"
#include "int_format.h"
#include "panel_ids.h"
#include "plugin_host.h"
#include "progress_bar.h"
#include "res_text.h"
#include "text_copy.h"

AnalysisStatus g_status;

namespace {

// The five-frame animation of running rows, shared by all of them.
int g_iconFrame = 0;

HWND StatusControl(int id) { return g_status.panel ? GetDlgItem(g_status.panel, id) : nullptr; }

void PostToBar(int value) {
  if (g_status.bar) PostMessageA(g_status.bar, PBQ_SETPOS, LOWORD(static_cast<DWORD>(value)), 0);
}

// The list item that shows table row `index`, or -1.
int FindListItem(int index) {
  const HWND list = StatusControl(kProfileListId);
  if (!list || index < 0) return -1;
  LVFINDINFOA find{};
  find.flags = LVFI_PARAM;
  find.lParam = index;
  return static_cast<int>(SendMessageA(list, LVM_FINDITEMA, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&find)));
}

void SetItemImage(int item, int image) {
  LVITEMA change{};
  change.mask = LVIF_IMAGE;
  change.iItem = item;
  change.iImage = image;
  SendMessageA(StatusControl(kProfileListId), LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
}

const PROFILE* RowAt(int index) {
  if (index < 0 || index >= ProfileTable.count || !ProfileTable.rows) return nullptr;
  return ProfileTable.rows[index];
}

// A cancel asked for since the last callback: answered once.
bool TakeCancel() {
  if (!g_status.cancelRequested) return false;
  g_status.cancelRequested = false;
  ClearAnalysisStatus(g_status.panel);
  return true;
}

void PostPercent(int percent) {
  PostToBar(percent);
  if (percent == 100) PostToBar(0);  // a finished file leaves an empty bar
  g_status.lastPercent = percent;
}

}  // namespace

void SetAnalysisCpuUsage(WORD percent) { g_status.cpuUsage = percent > 100 ? 100 : percent; }

void CreateStatusProgressBar() {
  if (g_status.bar && IsWindow(g_status.bar)) return;
  g_status.bar = nullptr;
  SetProgressBarWindow(nullptr);
  const HWND frame = StatusControl(kProgressFrameId);
  if (!frame) return;
  RECT client;
  GetClientRect(frame, &client);
  const HWND bar = CreateWindowExA(0, kProgressBarClass, "", WS_CHILD | WS_VISIBLE, 1, 1, client.right - 2,
                                   client.bottom - 2, frame, nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!bar) return;
  g_status.bar = bar;
  SetProgressBarWindow(bar);
  PostMessageA(bar, PBQ_SETFLAGS, kBarBlankAtZero | kBarOwnsFont, 0);
  static const char kEmpty[] = "";
  PostMessageA(bar, PBQ_SETFORMAT, 0, reinterpret_cast<LPARAM>(kEmpty));
  PostMessageA(bar, PBQ_SETRANGE, 100, 0);
  PostMessageA(bar, PBQ_SETPOS, 0, 0);
  const HFONT font = CreateFontA(14, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, ANSI_CHARSET, OUT_STRING_PRECIS,
                                 CLIP_DEFAULT_PRECIS, PROOF_QUALITY, VARIABLE_PITCH, "Arial");
  if (font) PostMessageA(bar, PBQ_SETFONT, 0, reinterpret_cast<LPARAM>(font));
}

void SetStatusText(const char* text) { SetWindowTextA(StatusControl(kStatusFileId), text ? text : ""); }
void SetLinesText(const char* text) { SetWindowTextA(StatusControl(kStatusLinesId), text ? text : ""); }
void SetTimeText(const char* text) { SetWindowTextA(StatusControl(kStatusTimeId), text ? text : ""); }

void SetProgressPercent(int value) { PostToBar(value); }

void ClearAnalysisStatus(HWND panel) {
  g_status.lastLines = 0;
  g_status.lastFile[0] = '\0';
  SetStatusText("");
  SetLinesText("");
  SetTimeText("");
  PostToBar(0);
  if (panel) UpdateWindow(panel);
}

int PumpMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(0);
      return 1;
    }
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}

void AnalysisYield() {
  PumpMessages();
  if (g_status.runState != 1 || g_status.commandPending) return;
  if (g_status.yieldCounter != 0) {
    --g_status.yieldCounter;
    return;
  }
  g_status.yieldCounter = g_status.cpuUsage > 100 ? 100 : g_status.cpuUsage;
  if (g_status.yieldCounter < 100) Sleep(0);
}

int CancelAnalysis(HWND panel, PluginResumeProc resume) {
  if (g_status.cancelRequested) return g_status.runState == 1 ? 1 : 0;
  g_status.cancelRequested = true;
  for (PluginEntry* entry = g_pluginList; entry; entry = entry->next) {
    if (!entry->IsFunctionSupported) continue;
    const auto cancel = reinterpret_cast<PFN_CancelAnalysis>(entry->IsFunctionSupported(PF_CANCEL_ANALYSIS));
    if (cancel) cancel(panel, resume);
  }
  g_status.countdownActive = false;
  ClearAnalysisStatus(panel);
  g_status.firstCounter = 10;
  g_status.secondCounter = 10;
  if (g_status.runState == 1) g_status.runStopped = true;
  return 0;
}

void StartCountdown(HWND) {
  g_status.firstCounter = 10;
  g_status.secondCounter = 10;
  g_status.countdownActive = true;
}

int TickCountdown(HWND) {
  if (!g_status.countdownActive) return 0;
  if (g_status.secondCounter == 0) {
    g_status.firstCounter = 10;
    g_status.secondCounter = 10;
    return 1;
  }
  if (g_status.firstCounter != 0) {
    g_status.firstCounter -= 2;
  } else {
    char pattern[kResTextMax + 1];
    char text[kResTextMax + 32];
    FormatOneInteger(LoadResText(32008, pattern, sizeof pattern), g_status.secondCounter, text, sizeof text);
    SetStatusText(text);
    g_status.secondCounter -= 2;
  }
  return 0;
}

int GetProfileIconIndex(const PROFILE* profile, int animate) {
  if (!profile) return 0;
  int base;
  switch (profile->type) {
    case 1: base = 1; break;
    case 3: base = 7; break;
    case 2: base = 13; break;
    case 4: base = 14; break;
    default: return 0;
  }
  if (animate) {
    if (profile->type == 2 || profile->state != 1) return 0;
    const int frame = g_iconFrame;
    g_iconFrame = (g_iconFrame + 1) % 5;
    return base + frame % 5;
  }
  g_iconFrame = 0;
  if (profile->state != 1) return base - 1;
  return profile->type == 2 ? 0 : base;
}

int GetSelectedTab() {
  const HWND tabs = StatusControl(kKindTabsId);
  if (!tabs) return -1;
  const int selected = static_cast<int>(SendMessageA(tabs, TCM_GETCURSEL, 0, 0));
  if (selected < 0) return -1;
  TCITEMA item{};
  item.mask = TCIF_PARAM;
  if (!SendMessageA(tabs, TCM_GETITEMA, static_cast<WPARAM>(selected), reinterpret_cast<LPARAM>(&item))) return -1;
  return static_cast<int>(item.lParam);
}

extern "C" int RealtimeAnalysisCallback(int index, const char* file, int lines, int percent, int elapsed) {
  const int item = index != -1 ? FindListItem(index) : -1;
  const PROFILE* row = item >= 0 ? RowAt(index) : nullptr;
  CreateStatusProgressBar();
  AnalysisYield();
  if (TakeCancel()) return 1;
  if (file && file[0] && std::strcmp(file, g_status.lastFile) != 0) {
    char pattern[kResTextMax + 1];
    char text[kResTextMax + kLastFileSize + 1];
    FormatWithText(text, sizeof text, LoadResText(5613, pattern, sizeof pattern), file);
    SetStatusText(text);
    CopyText(g_status.lastFile, sizeof g_status.lastFile, file);
  }
  if (lines - g_status.lastLines > 300) {
    g_status.lastLines = lines;
    char pattern[kResTextMax + 1];
    char text[kResTextMax + 32] = "";
    if (lines != 0) FormatOneInteger(LoadResText(5671, pattern, sizeof pattern), lines, text, sizeof text);
    SetLinesText(text);
  }
  if (elapsed != 0) {
    const long minutes = static_cast<long>(static_cast<long long>(elapsed) * 60 / 1000000);
    if (minutes != 0 && minutes != g_status.lastMinutes) {
      g_status.lastMinutes = minutes;
      char pattern[kResTextMax + 1];
      char text[kResTextMax + 32];
      FormatOneInteger(LoadResText(5672, pattern, sizeof pattern), minutes, text, sizeof text);
      SetTimeText(text);
    }
  }
  if (percent == -1) {
    if (row) SetItemImage(item, GetProfileIconIndex(row, 0));
    g_status.lastLines = 0;
    return 0;
  }
  if ((lines - g_status.lastLines) % 50 == 0 && row) SetItemImage(item, GetProfileIconIndex(row, 1));
  PostPercent(percent);
  return 0;
}

extern "C" int RealtimeReportCallback(int, const char* text, int percent) {
  PumpMessages();
  if (TakeCancel()) return 1;
  if (text && text[0] && std::strcmp(text, g_status.lastFile) != 0) {
    SetStatusText(text);
    CopyText(g_status.lastFile, sizeof g_status.lastFile, text);
  }
  if (percent == -1) return 0;
  PostPercent(percent);
  return 0;
}

extern "C" void ChangeProgressToCreatingOutput() {
  if (!g_status.pleaseWait || !IsWindow(g_status.pleaseWait)) return;
  char text[kResTextMax + 1];
  SendMessageA(g_status.pleaseWait, 1044, 0, reinterpret_cast<LPARAM>(LoadResText(9248, text, sizeof text)));
  EnableWindow(GetDlgItem(g_status.pleaseWait, kPleaseWaitCancelId), FALSE);
}

void CloseStatusDialog() {
  const HWND window = g_status.pleaseWait;
  g_status.pleaseWait = nullptr;
  if (!window || !IsWindow(window)) return;
  const HWND parent = GetParent(window);
  if (parent) {
    EnableWindow(parent, TRUE);
    SetFocus(parent);
  }
  DestroyWindow(window);
}
