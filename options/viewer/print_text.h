// Printing the viewer's text: the page length on the default printer, the
// [Printing] settings and the print job.
#pragma once

#include <cstdint>

#include "ctlpack4.h"
#include "qvplatform.h"

// A font of a job: the handle (null until made) and its record.
struct PrintFontEntry {
  HFONT font;
  ViewerFontRecord record;
};

struct PrintSettings {
  uint16_t quality = 0;  // 0 fonts and colours, 1 fonts, 2 colours, other: neither
  uint16_t left = 34;
  uint16_t right = 34;
  uint16_t top = 12;
  uint16_t bottom = 12;
};

void ReadPrintSettings(uint16_t* quality, uint16_t* left, uint16_t* right, uint16_t* top, uint16_t* bottom);
void WritePrintSettings(uint16_t quality, uint16_t left, uint16_t right, uint16_t top, uint16_t bottom);
// A margin code (m div 10 inches, divided by m mod 10 when not 0) in pixels.
int MarginPixels(int code, int dpi);
// Lines that fit on a page of the default printer; 60 when it can't be measured.
int GetPrinterPageLineCount(const char* face, BYTE size, BYTE pitchAndFamily);
// Fills the record of entry n (1-16) of the viewer's table.
void FillViewerFontRecord(ViewerFontRecord* record, int entry, const char* face, int size, BYTE pitch);

// Prints the text of the viewer control: asks for the printer and range (mode
// 0, or mode 1 with first set), else prints on the printer of *devNames and
// *devMode. The print dialog's result: non-zero when printing went ahead.
int PrintMegaViewerText(HWND control, int entries, PrintFontEntry* table, int tabCount, const uint16_t* tabStops,
                        int mode, int first, HGLOBAL* devNames, HGLOBAL* devMode);
QV_API BOOL CALLBACK AbortFunc(HDC dc, int error);
QV_API UINT_PTR CALLBACK PrintHookFunc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
QV_API INT_PTR CALLBACK PrintingDlg(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
