// The viewer's dialog procedure: start-up, the text-complete and counter
// messages, the commands, resizing and closing.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

#include "app_globals.h"
#include "ctlpack4.h"
#include "dialog_fonts.h"
#include "later_parts.h"
#include "mega_view.h"
#include "print_text.h"
#include "qv_ui_shell.h"
#include "res_templates.h"
#include "res_text.h"

namespace {

constexpr UINT kCloseText = 9202;
constexpr UINT kSaveFailCaption = 9205;
constexpr UINT kSaveFailText = 9206;
constexpr UINT kSchedulerLogTitle = 10158;
constexpr DWORD kViewerStyle = 0x90CF0000;
constexpr uint16_t kDefaultHelpTopic = 1037;

// What the dialog keeps besides the caller's record.
struct ViewerDialog {
  MegaViewInfo* info = nullptr;
  HFONT boldFont = nullptr;
  HFONT baseFont = nullptr;
  SIZE client{};     // the client size the controls are laid out for
  POINT minTrack{};  // the smallest window size
  bool busy = false;          // a save or print is running
  bool closeWanted = false;   // WM_CLOSE came while busy
};

ViewerDialog* StateOf(HWND dialog) { return reinterpret_cast<ViewerDialog*>(GetWindowLongPtrA(dialog, DWLP_USER)); }

struct Move {
  int id;
  int x;  // 1: moves right by dx
  int y;  // 1: moves down by dy
  int w;  // 1: grows by dx
  int h;  // 1: grows by dy
};
constexpr Move kMoves[] = {
    {12055, 0, 0, 1, 1}, {12070, 0, 0, 1, 1}, {12075, 0, 1, 1, 0}, {12080, 1, 1, 0, 0}, {16010, 1, 1, 0, 0},
    {IDOK, 1, 1, 0, 0},  {12052, 1, 1, 0, 0}, {12056, 1, 1, 0, 0}, {16200, 1, 1, 0, 0}, {16070, 1, 0, 0, 0},
    {16080, 1, 0, 0, 0}, {16060, 1, 0, 0, 0}, {16050, 0, 1, 0, 0}, {12085, 0, 1, 0, 0}, {16020, 0, 1, 0, 0},
    {12090, 0, 1, 0, 0}, {16310, 0, 1, 0, 0}, {12095, 0, 1, 0, 0}, {16320, 0, 1, 0, 0}, {16090, 0, 1, 0, 0},
    {16100, 0, 1, 0, 0},
};

void SetNumber(HWND dialog, int id, long value) {
  char text[24];
  std::snprintf(text, sizeof text, "%ld", value);
  SetDlgItemTextA(dialog, id, text);
}

void DrawProgress(HWND dialog, int percent) {
  HWND bar = GetDlgItem(dialog, kProgressId);
  if (bar == nullptr) return;
  HDC dc = GetDC(bar);
  if (dc == nullptr) return;
  RECT r;
  GetClientRect(bar, &r);
  r.left += 2;
  r.top += 2;
  r.right -= 2;
  r.bottom -= 2;
  const int split = (r.right - 2) * percent / 100;
  RECT done = r;
  done.right = std::min<LONG>(r.right, split);
  RECT rest = r;
  rest.left = done.right;
  HBRUSH blue = CreateSolidBrush(RGB(0, 0, 0xAF));
  FillRect(dc, &done, blue);
  DeleteObject(blue);
  FillRect(dc, &rest, static_cast<HBRUSH>(GetStockObject(LTGRAY_BRUSH)));
  ReleaseDC(bar, dc);
}

void UpdatePages(HWND dialog, ViewerDialog& v) {
  HWND control = GetDlgItem(dialog, kViewerTextId);
  if (v.info->linesPerPage == 0) v.info->linesPerPage = 60;
  const long perPage = v.info->linesPerPage;
  long top = static_cast<long>(SendMessageA(control, kViewerFirstVisible, 0, 0)) - 1;
  if (top < 0) top = 0;
  const long count = static_cast<long>(SendMessageA(control, kViewerLineCount, 0, 0));
  SetNumber(dialog, kPageId, top / perPage + 1);
  // A text of 0 lines is page 1 of 1.
  SetNumber(dialog, kPageCountId, (count > 0 ? count - 1 : 0) / perPage + 1);
}

void UpdateCounters(HWND dialog, ViewerDialog& v) {
  HWND control = GetDlgItem(dialog, kViewerTextId);
  if (v.info->kind == 0) SendMessageA(control, kViewerTextComplete, 0, 0);
  SetNumber(dialog, kLineCountId, static_cast<long>(SendMessageA(control, kViewerLineCount, 0, 0)));
  UpdatePages(dialog, v);
}

void TextReady(HWND dialog, ViewerDialog& v) {
  char text[kResTextMax + 1];
  SetDlgItemTextA(dialog, IDOK, LoadResText(kCloseText, text, sizeof text));
  EnableWindow(GetDlgItem(dialog, kSaveId), TRUE);
  EnableWindow(GetDlgItem(dialog, kPrintId), TRUE);
  for (int id : {16050, 12085, 16020}) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
  for (int id : {12090, 12095, 16310, 16320}) ShowWindow(GetDlgItem(dialog, id), SW_SHOW);
  v.info->ready = 1;
  UpdateCounters(dialog, v);
}

void ApplyFont(HWND dialog, ViewerDialog& v, const char* face, int size) {
  v.baseFont = SetViewerFont(v.info, dialog, v.baseFont, face, size);
  UpdatePages(dialog, v);
}

void InitDialog(HWND dialog, ViewerDialog& v) {
  v.boldFont = PrepWindowFonts(dialog);
  RECT client;
  GetClientRect(dialog, &client);
  v.client = {client.right - client.left, client.bottom - client.top};
  RECT frame = client;
  AdjustWindowRect(&frame, kViewerStyle, FALSE);
  v.minTrack = {frame.right - frame.left + 1, frame.bottom - frame.top + GetSystemMetrics(SM_CYMENU) + 1};

  MegaViewInfo& info = *v.info;
  HWND control = GetDlgItem(dialog, kViewerTextId);
  info.tabCodes = 0;
  if (info.kind == 1) {
    SendMessageA(control, kViewerLoadFile, 0, reinterpret_cast<LPARAM>(info.path));
    SendMessageA(dialog, kViewerTextReady, 0, 0);
    char first[4] = {};
    SendMessageA(control, kViewerSetCurrentLine, 0, 0);
    SendMessageA(control, kViewerGetMarkedLine, sizeof first, reinterpret_cast<LPARAM>(first));
    if (static_cast<unsigned char>(first[0]) == kViewerTabCode) info.tabCodes = 1;
  }
  char title[sizeof info.title + 1] = {};
  std::memcpy(title, info.title, sizeof info.title);
  SetWindowTextA(dialog, title);

  char face[LF_FACESIZE + 1] = {};
  int size = 8;
  ReadViewerFont(face, sizeof face, &size);
  // A plain text file is shown in a fixed-pitch face, so that its columns line up.
  if (info.kind == 1 && info.tabCodes == 0) std::strcpy(face, "Courier");
  FillFaceCombo(dialog, face);
  FillSizeCombo(dialog, face, size);
  ApplyFont(dialog, v, face, size);

  long left, top, width, height;
  ReadViewerWindowRect(&left, &top, &width, &height);
  RECT desktop;
  GetClientRect(GetDesktopWindow(), &desktop);
  width = std::min<long>(width, desktop.right - desktop.left);
  height = std::min<long>(height, desktop.bottom - desktop.top);
  if (left > desktop.right - desktop.left || left < 0) left = 0;
  if (top > desktop.bottom - desktop.top || top < 0) top = 0;
  if (width > 0 && height > 0) MoveWindow(dialog, left, top, width, height, TRUE);
}

void OnSize(HWND dialog, ViewerDialog& v, int width, int height) {
  const int dx = width - v.client.cx;
  const int dy = height - v.client.cy;
  if (dx == 0 && dy == 0) return;
  for (const Move& m : kMoves) {
    HWND item = GetDlgItem(dialog, m.id);
    if (item == nullptr) continue;
    RECT r;
    GetWindowRect(item, &r);
    MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&r), 2);
    MoveWindow(item, r.left + m.x * dx, r.top + m.y * dy, r.right - r.left + m.w * dx, r.bottom - r.top + m.h * dy,
               FALSE);
  }
  v.client = {width, height};
  InvalidateRect(dialog, nullptr, TRUE);
  UpdateWindow(dialog);
  if (!v.info->ready) DrawProgress(dialog, 100);
}

void SetButtons(HWND dialog, BOOL enable) {
  for (int id : {kSaveId, kPrintId, IDOK}) EnableWindow(GetDlgItem(dialog, id), enable);
}

void EndBusy(HWND dialog, ViewerDialog& v) {
  v.busy = false;
  SetButtons(dialog, TRUE);
  if (v.closeWanted) PostMessageA(dialog, WM_CLOSE, 0, 0);
}

void Save(HWND dialog, ViewerDialog& v) {
  v.busy = true;
  SetButtons(dialog, FALSE);
  HWND control = GetDlgItem(dialog, kViewerTextId);
  char path[MAX_PATH] = {};
  int filter = 0;
  const long count = static_cast<long>(SendMessageA(control, kViewerLineCount, 0, 0));
  uint16_t stops[kMaxViewerTabs];
  std::memcpy(stops, v.info->tabStops, sizeof stops);  // the record is packed: an aligned copy
  if (!SaveViewerText(dialog, v.info->kind, count, v.info->tabCount, stops, 0, 1, path, &filter)) {
    char caption[kResTextMax + 1];
    char text[kResTextMax + 1];
    MessageBoxA(dialog, LoadResText(kSaveFailText, text, sizeof text),
                LoadResText(kSaveFailCaption, caption, sizeof caption), MB_OK | MB_ICONEXCLAMATION);
  }
  EndBusy(dialog, v);
}

void Print(HWND dialog, ViewerDialog& v) {
  v.busy = true;
  SetButtons(dialog, FALSE);
  char face[LF_FACESIZE + 1] = {};
  int size = 8;
  GetChosenFont(dialog, face, sizeof face, &size);
  const BYTE pitch = GetFacePitchAndFamily(dialog, face);
  PrintFontEntry table[17] = {};
  for (int n = 1; n <= 16; ++n) FillViewerFontRecord(&table[n].record, n, face, size, pitch);
  uint16_t stops[kMaxViewerTabs];
  std::memcpy(stops, v.info->tabStops, sizeof stops);
  PrintMegaViewerText(GetDlgItem(dialog, kViewerTextId), 17, table, v.info->tabCount, stops, 0, 1, nullptr,
                      nullptr);
  EndBusy(dialog, v);
}

void Close(HWND dialog, ViewerDialog& v) {
  if (v.info->closing) return;
  // A save or print pumps messages while it runs: the window goes once it is done.
  if (v.busy) {
    v.closeWanted = true;
    return;
  }
  v.info->closing = 1;
  if (v.baseFont != nullptr) {
    SendDlgItemMessageA(dialog, kViewerTextId, WM_SETFONT, 0, FALSE);
    DeleteObject(v.baseFont);
    v.baseFont = nullptr;
  }
  RECT r;
  GetWindowRect(dialog, &r);
  WriteViewerWindowRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
  if (v.info->kind == 1) {
    if (g_app.statusWindow == dialog) {
      DestroyWindow(dialog);
    } else {
      EndDialog(dialog, 1);
    }
  }
}

BOOL OnCommand(HWND dialog, ViewerDialog& v, int id, int code) {
  switch (id) {
    case IDOK:
    case IDCANCEL:
      if (v.busy) return TRUE;
      if (v.info->ready) {
        SendMessageA(dialog, WM_CLOSE, 0, 0);
      } else {
        SendMessageA(dialog, kViewerTextReady, 0, 0);
      }
      return TRUE;
    case kFaceComboId:
    case kSizeComboId: {
      if (code != CBN_SELCHANGE) return FALSE;
      char face[LF_FACESIZE + 1] = {};
      int size = 8;
      GetChosenFont(dialog, face, sizeof face, &size);
      if (id == kFaceComboId) {
        FillSizeCombo(dialog, face, size);
        GetChosenFont(dialog, face, sizeof face, &size);
      }
      WriteViewerFont(face, size);
      ApplyFont(dialog, v, face, size);
      return TRUE;
    }
    case kPrintId:
      if (!v.busy) Print(dialog, v);
      return TRUE;
    case kFindId:
      FindInViewer(dialog);
      return TRUE;
    case kSaveId:
      if (!v.busy) Save(dialog, v);
      return TRUE;
    case kViewerHelpId:
      WinHelpA(dialog, g_app.helpPath, HELP_CONTEXT, v.info->helpTopic);
      return TRUE;
    case kSectionComboId:
      if (code == CBN_SELCHANGE) SendMessageA(dialog, kViewerUpdateCounters, 0, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

QV_API INT_PTR CALLBACK MegaViewDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    auto* v = new (std::nothrow) ViewerDialog;
    if (v == nullptr || lParam == 0) {
      delete v;
      EndDialog(dialog, 0);
      return TRUE;
    }
    v->info = reinterpret_cast<MegaViewInfo*>(lParam);
    SetWindowLongPtrA(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(v));
    InitDialog(dialog, *v);
    return TRUE;
  }
  ViewerDialog* v = StateOf(dialog);
  if (v == nullptr) return FALSE;
  switch (message) {
    case kViewerTextReady:
      TextReady(dialog, *v);
      return TRUE;
    case kViewerUpdateCounters:
      UpdateCounters(dialog, *v);
      return TRUE;
    case kViewerPageChanged:
      UpdatePages(dialog, *v);
      return TRUE;
    case WM_GETMINMAXINFO: {
      auto* mm = reinterpret_cast<MINMAXINFO*>(lParam);
      mm->ptMinTrackSize = v->minTrack;
      return TRUE;
    }
    case WM_SIZE:
      if (wParam == SIZE_RESTORED || wParam == SIZE_MAXIMIZED) OnSize(dialog, *v, LOWORD(lParam), HIWORD(lParam));
      return TRUE;
    case WM_COMMAND:
      return OnCommand(dialog, *v, LOWORD(wParam), HIWORD(wParam));
    case WM_CLOSE:
      Close(dialog, *v);
      return TRUE;
    case WM_DESTROY:
      v->busy = false;
      Close(dialog, *v);
      if (v->boldFont != nullptr) DeleteObject(v->boldFont);
      SetWindowLongPtrA(dialog, DWLP_USER, 0);
      delete v;
      return FALSE;
    default:
      return FALSE;
  }
}

void ShowTextViewer(HWND owner, const char* file, int helpTopic) {
  if (file == nullptr) return;
  MegaViewInfo info;
  std::memset(&info, 0, sizeof info);
  info.kind = 1;
  std::strncpy(info.path, file, sizeof info.path - 1);
  // The scheduler log has its own title; a report shows its file name.
  const char* log = QVUI_GetScheduleLogFilename(g_app.instance);
  char title[kResTextMax + 1] = {};
  if (log != nullptr && std::strcmp(log, file) == 0) {
    LoadResText(kSchedulerLogTitle, title, sizeof title);
  } else {
    const char* name = file;
    for (const char* p = file; *p != '\0'; ++p)
      if (*p == '\\' || *p == '/') name = p + 1;
    std::strncpy(title, name, sizeof title - 1);
  }
  // The caption field is shorter than a file name: a long title is cut.
  std::memcpy(info.title, title, std::min(std::strlen(title), sizeof info.title - 1));
  info.helpTopic = static_cast<uint16_t>(helpTopic != 0 ? helpTopic : kDefaultHelpTopic);
  LPCDLGTEMPLATEA tmpl = LoadDialogTemplate(kViewerTemplate);
  if (tmpl == nullptr) return;
  DialogBoxIndirectParamA(g_app.instance, tmpl, owner, MegaViewDlg, reinterpret_cast<LPARAM>(&info));
}
