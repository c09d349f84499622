// Printing the viewer's text page by page: the print dialog, margins from the
// settings, the font and colour markup, tab stops, a footer on every page,
// and the progress dialog through which the user can stop the job.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "app_globals.h"
#include "mega_view.h"
#include "print_text.h"
#include "qv_ui_dialogs.h"
#include "res_templates.h"
#include "res_text.h"

namespace {

constexpr UINT kFooterText = 9208;
constexpr UINT kMarkupFontCaption = 9209;
constexpr UINT kMarkupFontText = 9210;
constexpr UINT kDocCaption = 9211;
constexpr UINT kDocText = 9212;
constexpr UINT kBaseFontCaption = 9213;
constexpr UINT kBaseFontText = 9214;
constexpr char kDocumentName[] = "Quorvane(tm) Report";
constexpr int kEntries = 16;

// The job's state: the abort flag and the progress dialog.
int g_abort = 0;
HWND g_progress = nullptr;

void Box(HWND owner, UINT captionId, UINT textId) {
  char caption[kResTextMax + 1];
  char text[kResTextMax + 1];
  MessageBoxA(owner, LoadResText(textId, text, sizeof text), LoadResText(captionId, caption, sizeof caption),
              MB_OK | MB_ICONEXCLAMATION);
}

HFONT MakeFont(HDC dc, const ViewerFontRecord& r) {
  char face[33] = {};
  std::memcpy(face, r.face, 32);
  return CreateFontA(-MulDiv(r.size, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, (r.style & 2) ? FW_BOLD : FW_NORMAL,
                     (r.style & 1) ? TRUE : FALSE, (r.style & 4) ? TRUE : FALSE, (r.style & 8) ? TRUE : FALSE,
                     DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, r.pitchAndFamily, face);
}

// The footer text: its first "%d" takes the page, its second the page count.
std::string FormatFooter(const char* format, int page, int pages) {
  std::string out;
  int used = 0;
  for (const char* p = format; *p != '\0'; ++p) {
    if (p[0] == '%' && p[1] == 'd' && used < 2) {
      out += std::to_string(used++ == 0 ? page : pages);
      ++p;
    } else {
      out.push_back(*p);
    }
  }
  return out;
}

int PagesOf(long lines, int perPage) { return static_cast<int>((lines > 0 ? lines - 1 : 0) / perPage + 1); }

struct Layout {
  int left = 0;
  int top = 0;
  int lineHeight = 1;
  int centerX = 0;
  int footerY = 0;
  int tabCount = 0;
  INT stops[kMaxViewerTabs] = {};
};

void WriteSegment(HDC dc, const Layout& lay, int& x, int y, const std::string& segment) {
  if (segment.empty()) return;
  const int count = static_cast<int>(segment.size());
  if (lay.tabCount > 0) {
    x += LOWORD(static_cast<DWORD>(TabbedTextOutA(dc, x, y, segment.data(), count, lay.tabCount, lay.stops, lay.left)));
  } else {
    TextOutA(dc, x, y, segment.data(), count);
    SIZE size{};
    GetTextExtentPoint32A(dc, segment.data(), count, &size);
    x += size.cx;
  }
}

void PrintLine(HDC dc, HWND owner, const Layout& lay, PrintFontEntry* table, int entries, int quality,
               const std::string& line, int y) {
  int x = lay.left;
  std::string segment;
  bool switched = false;
  COLORREF oldColor = 0;
  HGDIOBJ oldFont = nullptr;
  for (size_t i = 0; i < line.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(line[i]);
    if (c != 0x01 && c != 0x02) {
      segment.push_back(static_cast<char>(c));
      continue;
    }
    // A code at the line's end has no argument: it is dropped.
    if (i + 1 >= line.size()) break;
    const int n = static_cast<unsigned char>(line[++i]);
    if (c == 0x02 || n < 1 || n > kEntries || n >= entries) continue;
    WriteSegment(dc, lay, x, y, segment);
    segment.clear();
    PrintFontEntry& e = table[n];
    if (quality == 0 || quality == 2) {
      const COLORREF previous = SetTextColor(dc, e.record.color);
      if (!switched) oldColor = previous;
      if (e.record.color == 0 && oldColor != 0) SetTextColor(dc, oldColor);
    }
    if (quality == 0 || quality == 1) {
      if (e.font == nullptr && e.record.face[0] != '\0') {
        e.font = MakeFont(dc, e.record);
        if (e.font == nullptr) Box(owner, kMarkupFontCaption, kMarkupFontText);
      }
      HGDIOBJ previous = SelectObject(dc, e.font != nullptr ? static_cast<HGDIOBJ>(e.font) : oldFont);
      if (!switched) oldFont = previous;
    }
    switched = true;
  }
  WriteSegment(dc, lay, x, y, segment);
  if (switched) {
    if (quality == 0 || quality == 2) SetTextColor(dc, oldColor);
    if ((quality == 0 || quality == 1) && oldFont != nullptr) SelectObject(dc, oldFont);
  }
}

}  // namespace

QV_API BOOL CALLBACK AbortFunc(HDC, int error) {
  if (error != 0) {
    MessageBoxA(nullptr, "AbortFunc != 0", "Error", MB_OK | MB_ICONSTOP);
    return FALSE;
  }
  MSG msg;
  while (!g_abort && PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (g_progress != nullptr && IsDialogMessageA(g_progress, &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return g_abort != 1;
}

QV_API UINT_PTR CALLBACK PrintHookFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  if (message == WM_INITDIALOG) {
    for (int id : {1136, 1091, 1154, 1092, 1041}) ShowWindow(GetDlgItem(dialog, id), SW_HIDE);
    QVUI_CenterDialog(dialog);
    return 0;
  }
  if (message == WM_COMMAND && LOWORD(wParam) == 16200) {
    WinHelpA(dialog, g_app.helpPath, HELP_FINDER, 0);
    return 1;
  }
  return 0;
}

QV_API INT_PTR CALLBACK PrintingDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  auto show = [dialog](LPARAM pages) {
    char text[16];
    std::snprintf(text, sizeof text, "%d", HIWORD(static_cast<DWORD>(pages)));
    SetDlgItemTextA(dialog, 16310, text);
    std::snprintf(text, sizeof text, "%d", LOWORD(static_cast<DWORD>(pages)));
    SetDlgItemTextA(dialog, 16320, text);
  };
  switch (message) {
    case WM_INITDIALOG:
      QVUI_CenterDialog(dialog);
      show(lParam);
      return TRUE;
    case WM_USER:
      show(lParam);
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL) {
        g_abort = 1;
        return TRUE;
      }
      if (LOWORD(wParam) == 16200) {
        WinHelpA(dialog, g_app.helpPath, HELP_FINDER, 0);
        return TRUE;
      }
      return FALSE;
    case WM_SYSCOMMAND:
      if ((wParam & 0xFFF0) == SC_CLOSE) {
        g_abort = 1;
        return TRUE;
      }
      return FALSE;
    case WM_DESTROY:
      g_abort = 1;
      g_progress = nullptr;
      return FALSE;
    default:
      return FALSE;
  }
}

int PrintMegaViewerText(HWND control, int entries, PrintFontEntry* table, int tabCount, const uint16_t* tabStops,
                        int mode, int first, HGLOBAL* devNames, HGLOBAL* devMode) {
  if (table == nullptr || entries < 2) return 0;
  uint16_t quality, leftM, rightM, topM, bottomM;
  ReadPrintSettings(&quality, &leftM, &rightM, &topM, &bottomM);
  char face[33] = {};
  std::memcpy(face, table[1].record.face, 32);
  int perPage = GetPrinterPageLineCount(face, table[1].record.size, table[1].record.pitchAndFamily);
  const long count = static_cast<long>(SendMessageA(control, kViewerLineCount, 0, 0));

  PRINTDLGA pd{};
  pd.lStructSize = sizeof pd;
  pd.hwndOwner = GetParent(control);
  pd.Flags = PD_RETURNDC | PD_ENABLEPRINTHOOK | PD_USEDEVMODECOPIES | PD_HIDEPRINTTOFILE | PD_NOSELECTION |
             (mode == 1 ? PD_NOPAGENUMS : 0);
  pd.lpfnPrintHook = PrintHookFunc;
  pd.nCopies = 1;
  pd.nFromPage = 1;
  pd.nToPage = static_cast<WORD>(PagesOf(count, perPage));
  pd.nMinPage = 1;
  pd.nMaxPage = pd.nToPage;
  PrintSettings settings{quality, leftM, rightM, topM, bottomM};
  pd.lCustData = reinterpret_cast<LPARAM>(&settings);
  BOOL result = FALSE;
  if (mode == 0 || first != 0) {
    result = PrintDlgA(&pd);
    if (!result) return 0;
  } else if (devNames != nullptr && devMode != nullptr && *devNames != nullptr) {
    auto* names = static_cast<const DEVNAMES*>(GlobalLock(*devNames));
    const auto* dm = static_cast<const DEVMODEA*>(GlobalLock(*devMode));
    if (names != nullptr) {
      const char* base = reinterpret_cast<const char*>(names);
      pd.hDC = CreateDCA(base + names->wDriverOffset, base + names->wDeviceOffset, base + names->wOutputOffset, dm);
    }
    GlobalUnlock(*devNames);
    GlobalUnlock(*devMode);
    result = pd.hDC != nullptr;
  }
  HDC dc = pd.hDC;
  if (dc == nullptr) return 0;
  HWND owner = GetParent(control);
  const int oldMap = SetMapMode(dc, MM_TEXT);
  HGDIOBJ initialFont = nullptr;

  table[1].font = MakeFont(dc, table[1].record);
  if (table[1].font == nullptr) {
    Box(owner, kBaseFontCaption, kBaseFontText);
  } else {
    initialFont = SelectObject(dc, table[1].font);
    TEXTMETRICA tm{};
    GetTextMetricsA(dc, &tm);
    const int dpiX = GetDeviceCaps(dc, LOGPIXELSX);
    const int dpiY = GetDeviceCaps(dc, LOGPIXELSY);
    const int width = GetDeviceCaps(dc, HORZRES);
    const int height = GetDeviceCaps(dc, VERTRES);
    Layout lay;
    lay.lineHeight = std::max<int>(1, tm.tmHeight + tm.tmExternalLeading);
    const int unit = tm.tmAveCharWidth + tm.tmAveCharWidth / 3;
    lay.left = MarginPixels(leftM, dpiX);
    const int right = MarginPixels(rightM, dpiX);
    lay.top = MarginPixels(topM, dpiY);
    const int bottom = MarginPixels(bottomM, dpiY);
    lay.centerX = (width - lay.left - right) / 2 + lay.left;
    lay.footerY = height - lay.lineHeight;
    perPage = std::max(1, (height - lay.top - bottom) / lay.lineHeight);
    lay.tabCount = std::min(tabCount, kMaxViewerTabs);
    for (int i = 0; i < lay.tabCount; ++i) lay.stops[i] = tabStops[i] * unit + lay.left;

    g_abort = 0;
    SetAbortProc(dc, AbortFunc);
    DOCINFOA doc{};
    doc.cbSize = sizeof doc;
    doc.lpszDocName = kDocumentName;
    if (StartDocA(dc, &doc) <= 0) {
      Box(owner, kDocCaption, kDocText);
    } else {
      long from = 0;
      long to = count;
      if (pd.Flags & PD_PAGENUMS) {
        from = std::min<long>(static_cast<long>(pd.nFromPage - 1) * perPage, count);
        to = std::min<long>(static_cast<long>(pd.nToPage) * perPage, count);
      }
      const int totalPages = PagesOf(count, perPage);
      const int firstPage = static_cast<int>(from / perPage) + 1;
      const int lastPage = to > from ? static_cast<int>((to - 1) / perPage) + 1 : firstPage;
      LPCDLGTEMPLATEA tmpl = LoadDialogTemplate(kPrintingTemplate);
      g_progress = tmpl != nullptr ? CreateDialogIndirectParamA(g_app.instance, tmpl, control, PrintingDlg,
                                                                MAKELPARAM(firstPage, lastPage))
                                   : nullptr;
      EnableWindow(control, FALSE);
      if (g_progress != nullptr) {
        ShowWindow(g_progress, SW_SHOW);
        UpdateWindow(g_progress);
      }
      char footerFormat[kResTextMax + 1];
      LoadResText(kFooterText, footerFormat, sizeof footerFormat);
      bool pageOpen = StartPage(dc) > 0;
      std::string line;
      for (long l = from; l < to && pageOpen; ++l) {
        const int k = static_cast<int>((l - from) % perPage);
        if (GetCurrentObject(dc, OBJ_FONT) != table[1].font) SelectObject(dc, table[1].font);
        if (k == 0) {
          const int page = static_cast<int>(l / perPage) + 1;
          if (g_progress != nullptr) SendMessageA(g_progress, WM_USER, 0, MAKELPARAM(page, lastPage));
          const std::string footer = FormatFooter(footerFormat, page, totalPages);
          SIZE size{};
          GetTextExtentPoint32A(dc, footer.data(), static_cast<int>(footer.size()), &size);
          TextOutA(dc, lay.centerX - size.cx / 2, lay.footerY, footer.data(), static_cast<int>(footer.size()));
        }
        SendMessageA(control, kViewerSetCurrentLine, 0, l);
        // Lines of any length print whole.
        const LRESULT length = SendMessageA(control, kViewerLineLength, 0, 0);
        line.assign(static_cast<size_t>(std::max<LRESULT>(length, 0)) + 1, '\0');
        const LRESULT got =
            SendMessageA(control, kViewerGetMarkedLine, line.size(), reinterpret_cast<LPARAM>(line.data()));
        line.resize(static_cast<size_t>(std::max<LRESULT>(got, 0)));
        if (!line.empty()) PrintLine(dc, owner, lay, table, entries, quality, line, lay.top + k * lay.lineHeight);
        if (k + 1 >= perPage && l + 1 < to) {
          pageOpen = EndPage(dc) > 0 && StartPage(dc) > 0;
        }
      }
      if (pageOpen) EndPage(dc);
      if (g_abort != 1) {
        if (EndDoc(dc) <= 0) Box(owner, kDocCaption, kDocText);
      } else {
        AbortDoc(dc);
      }
      if (g_progress != nullptr) DestroyWindow(g_progress);
      g_progress = nullptr;
      EnableWindow(control, TRUE);
    }
  }
  if (initialFont != nullptr) SelectObject(dc, initialFont);
  for (int i = 1; i < entries; ++i) {
    if (table[i].font != nullptr) DeleteObject(table[i].font);
    table[i].font = nullptr;
  }
  SetMapMode(dc, oldMap);
  DeleteDC(dc);
  if (mode == 0) {
    if (pd.hDevMode != nullptr) GlobalFree(pd.hDevMode);
    if (pd.hDevNames != nullptr) GlobalFree(pd.hDevNames);
  } else if (first != 0 && devNames != nullptr && devMode != nullptr) {
    *devNames = pd.hDevNames;
    *devMode = pd.hDevMode;
  }
  return result;
}
