// The report viewer (template 320): a text report or log in the viewer text
// control, with font choice, page numbers, find, save and print.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "qvplatform.h"

inline constexpr int kViewerTemplate = 320;
inline constexpr int kSectionTemplate = 590;
inline constexpr int kPrintingTemplate = 160;

// Controls of template 320.
inline constexpr int kViewerTextId = 12055;
inline constexpr int kFaceComboId = 16130;
inline constexpr int kSizeComboId = 16120;
inline constexpr int kLineCountId = 16010;
inline constexpr int kPageId = 16310;
inline constexpr int kPageCountId = 16320;
inline constexpr int kFindTextId = 16090;
inline constexpr int kFindId = 16100;
inline constexpr int kSectionComboId = 16060;
inline constexpr int kSaveId = 12056;
inline constexpr int kPrintId = 12052;
inline constexpr int kViewerHelpId = 16200;
inline constexpr int kProgressId = 16050;

// Messages of the viewer itself: the text is complete, update the counters.
inline constexpr UINT kViewerTextReady = 1124;
inline constexpr UINT kViewerUpdateCounters = 1125;

inline constexpr int kMaxViewerTabs = 16;

#pragma pack(push, 1)
// The caller's record, zero-filled before use.
struct MegaViewInfo {
  int32_t kind;          // 1: the viewer loads path; 0: another party fills the control
  char path[260];
  char title[80];
  int32_t linesPerPage;  // 0 means 60; the viewer stores the printer's value
  int32_t closing;       // set when the viewer closes
  int32_t ready;         // 1 when the text is complete
  char reserved[27];
  int32_t tabCodes;      // 1 when the first line carries tab-stop codes
  uint16_t tabCount;
  uint16_t tabStops[kMaxViewerTabs];  // in characters
  uint16_t helpTopic;
};
#pragma pack(pop)
static_assert(sizeof(MegaViewInfo) == 423);

QV_API INT_PTR CALLBACK MegaViewDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
QV_API INT_PTR CALLBACK SelectCascadeDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
QV_API int CALLBACK FontFamilyFunc(const LOGFONTA* lf, const TEXTMETRICA* tm, DWORD fontType, LPARAM lParam);
QV_API int CALLBACK FontFunc(const LOGFONTA* lf, const TEXTMETRICA* tm, DWORD fontType, LPARAM lParam);
QV_API int CALLBACK FontFindPitchAndFamilyFunc(const LOGFONTA* lf, const TEXTMETRICA* tm, DWORD fontType,
                                              LPARAM lParam);

// [Report] "FontFace" (up to 30 characters, "Arial") and "FontSize" (1-255, else 8).
void ReadViewerFont(char* face, size_t faceSize, int* size);
void WriteViewerFont(const char* face, int size);
// [Report] "WindowLeft", "WindowTop", "WindowWidth", "WindowHeight" (0 each).
void ReadViewerWindowRect(long* left, long* top, long* width, long* height);
void WriteViewerWindowRect(long left, long top, long width, long height);

void FillFaceCombo(HWND dialog, const char* face);
void FillSizeCombo(HWND dialog, const char* face, int size);
void GetChosenFont(HWND dialog, char* face, size_t faceSize, int* size);
BYTE GetFacePitchAndFamily(HWND dialog, const char* face);
// Sets the 16 font entries, the base font, the page length and the tab stops;
// the new font, or the old one when the new one can't be made.
HFONT SetViewerFont(MegaViewInfo* info, HWND dialog, HFONT oldFont, const char* face, int size);

void FindInViewer(HWND dialog);
// Saves the control's text; 1 done or cancelled, 0 failed. In section mode
// (sectionMode != 0) the first section asks for the file and hands its name
// and filter back in path and *filter; later ones append to it.
int SaveViewerText(HWND dialog, int kind, long lineCount, int tabCount, const uint16_t* tabStops, int sectionMode,
                   int firstSection, char* path, int* filter);
// Expands the tabs of a plain line to the next stop (in characters) past the
// column; a tab past the last stop gives one blank.
void ExpandViewerTabs(const char* line, size_t length, int tabCount, const uint16_t* tabStops, std::string* out);

// Entry for the panel and the scheduler: the viewer on a text file (kind 1).
void ShowTextViewer(HWND owner, const char* file, int helpTopic);
