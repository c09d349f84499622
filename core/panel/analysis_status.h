// The main panel's status area while a plug-in analyses logs or the report
// engine builds a report: three status lines (19200 file, 19210 lines, 19220
// time) and the progress bar inside frame 19230; the two progress callbacks
// that carry the user's cancel request back to the engine; the countdown
// shown before queued work; the message pump of long work and its CPU yield.
//
// GUI thread only: the callbacks run inside the long call of the engine or a
// plug-in on the GUI thread and keep the window alive by pumping messages.
#pragma once

#include "plugin_api.h"
#include "qvplatform.h"

inline constexpr int kStatusFileId = 19200;
inline constexpr int kStatusLinesId = 19210;
inline constexpr int kStatusTimeId = 19220;
inline constexpr int kProgressFrameId = 19230;
inline constexpr int kProfileListId = 12301;
inline constexpr int kKindTabsId = 1097;

inline constexpr int kLastFileSize = 128;

struct AnalysisStatus {
  HWND panel = nullptr;       // the main panel whose controls form the status area
  HWND bar = nullptr;         // the progress bar, made on first need
  HWND pleaseWait = nullptr;  // the report engine's please-wait window, when one is open
  WORD runState = 0;          // 1 while a plug-in or scheduled run is in progress
  bool cancelRequested = false;
  bool commandPending = false;  // a user's command waits: no CPU yield meanwhile
  bool runStopped = false;      // the running work was cancelled
  char lastFile[kLastFileSize] = {};
  int lastLines = 0;
  long lastMinutes = 0;
  int lastPercent = 0;
  WORD yieldCounter = 100;
  WORD cpuUsage = 100;  // [Defaults] CPUUsage, read once at start-up
  bool countdownActive = false;
  int firstCounter = 10;
  int secondCounter = 10;
};

extern AnalysisStatus g_status;

// [Defaults] CPUUsage for AnalysisYield, read once at start-up.
void SetAnalysisCpuUsage(WORD percent);

void CreateStatusProgressBar();
void SetStatusText(const char* text);
void SetLinesText(const char* text);
void SetTimeText(const char* text);
// Posts the low 16 bits of value to the bar as its position.
void SetProgressPercent(int value);
void ClearAnalysisStatus(HWND panel);

// Removes and dispatches every pending message; on WM_QUIT posts a new one and
// answers nonzero.
int PumpMessages();
// Pumps, and during a run (and no pending command) gives up the processor
// once every CPUUsage + 1 calls (never for 100).
void AnalysisYield();

// Cancels the running analysis: 1 when a cancel was already requested and a
// run is in progress, else 0 (see the source for the steps).
int CancelAnalysis(HWND panel, PluginResumeProc resume);

void StartCountdown(HWND panel);
// 1 when the countdown has run out (the queued work may start), else 0.
int TickCountdown(HWND panel);

// The row's image: by kind (1, 3, 2, 4 -> 1, 7, 13, 14; others 0); with
// animate, the next frame of a five-frame animation shared by all rows.
int GetProfileIconIndex(const PROFILE* profile, int animate);

// The kind the selected tab of the main panel shows, or -1.
int GetSelectedTab();

extern "C" {
// Progress of a log analysis: the table index of the profile (or -1), the
// file, lines read, percent (-1: this file is done) and the elapsed time.
// 1 cancels, 0 goes on.
__attribute__((visibility("default"))) int RealtimeAnalysisCallback(int index, const char* file, int lines,
                                                                    int percent, int elapsed);
// Progress of a report: 1 cancels, 0 goes on.
__attribute__((visibility("default"))) int RealtimeReportCallback(int ignored, const char* text, int percent);
__attribute__((visibility("default"))) void ChangeProgressToCreatingOutput();
}

// Ends the please-wait window: its owner is enabled and focused again.
void CloseStatusDialog();
