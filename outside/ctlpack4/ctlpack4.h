// The custom-controls library "ctlpack4.dll". The program loads it by that
// name at start-up and calls two entry points by ordinal, each with the
// program's instance: 66 registers the control classes, 67 unregisters them.
// Registrations are counted: only the last unregister removes the classes.
#pragma once

#include "qvplatform.h"

inline constexpr const char* kCtlPackFileName = "ctlpack4.dll";
inline constexpr WORD kCtlPackRegisterOrdinal = 66;
inline constexpr WORD kCtlPackUnregisterOrdinal = 67;

// The class of the report viewer's text control: a read-only view of a text
// (a file or text appended by its owner) with font and colour markup, tab
// stops, find with highlight and scrolling.
inline constexpr const char* kViewerTextClass = "QvViewerText";

// Markup inside a line: 0x01 n selects font entry n (1-16) for the rest of the
// line; 0x02 n on the first line declares a tab stop at character column n.
inline constexpr unsigned char kViewerFontCode = 0x01;
inline constexpr unsigned char kViewerTabCode = 0x02;

// Messages of the text control (sent by its owner).
inline constexpr UINT kViewerLoadFile = 1026;       // lParam: path; TRUE when loaded
inline constexpr UINT kViewerSetTabCount = 1028;    // wParam: number of tab stops (at most 16)
inline constexpr UINT kViewerSetTabStops = 1030;    // wParam: count, lParam: const int32_t* pixel stops
inline constexpr UINT kViewerGetPlainLine = 1034;   // wParam: buffer size, lParam: buffer; bytes written
inline constexpr UINT kViewerTextComplete = 1037;   // the appended text is complete
inline constexpr UINT kViewerSetFontEntry = 1040;   // wParam: entry 1-16, lParam: ViewerFontRecord*
inline constexpr UINT kViewerFind = 1041;           // wParam: 1 go on, 0 from the top; lParam: text
inline constexpr UINT kViewerGetMarkedLine = 1042;  // as 1034, with the markup bytes
inline constexpr UINT kViewerLineCount = 1043;
inline constexpr UINT kViewerSetCurrentLine = 1044;  // lParam: line number from 0
inline constexpr UINT kViewerFirstVisible = 1045;    // first visible line, from 1
inline constexpr UINT kViewerSetPageLines = 1046;    // wParam: lines per page
inline constexpr UINT kViewerAppendText = 1047;      // wParam: byte count, lParam: bytes (lines end in LF)
inline constexpr UINT kViewerLineLength = 1048;      // bytes of the current line with its markup
// Sent to the owner when the first visible line changed.
inline constexpr UINT kViewerPageChanged = 1524;

// Results of kViewerFind.
inline constexpr LRESULT kViewerFound = 0;
inline constexpr LRESULT kViewerNotFound = 1;
inline constexpr LRESULT kViewerEndReached = 2;

#pragma pack(push, 1)
// A font entry as exchanged with the control and the printer (39 bytes).
struct ViewerFontRecord {
  char face[32];
  BYTE size;           // points
  BYTE style;          // 1 italic, 2 bold, 4 underline, 8 strike-out
  BYTE pitchAndFamily;
  COLORREF color;
};
#pragma pack(pop)
static_assert(sizeof(ViewerFontRecord) == 39);

// Both answer TRUE on success; FALSE with the last error set otherwise
// (67 without a matching 66: ERROR_CLASS_DOES_NOT_EXIST).
typedef BOOL (*PFN_CtlPackRegister)(HINSTANCE instance);
typedef BOOL (*PFN_CtlPackUnregister)(HINSTANCE instance);

QV_API BOOL CtlPack_RegisterControls(HINSTANCE instance);
QV_API BOOL CtlPack_UnregisterControls(HINSTANCE instance);
