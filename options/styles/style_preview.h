// The sample report that every page of the style wizard paints from the
// style model: title, section bar, description and a five-row table over the
// background colour or tiled background picture.
#pragma once

#include "style_model.h"

inline constexpr int kPreviewId = 20100;
inline constexpr int kTitlePlaceholder = 20167;
inline constexpr int kSectionPlaceholder = 20168;
inline constexpr int kDescriptionPlaceholder = 20169;
inline constexpr int kTablePlaceholder = 20170;
inline constexpr int kSpareColorSlot = 12;

// Paints the preview control of the item (owner-draw static controls only).
void DrawStylePreview(StyleModel& model, HWND page, const DRAWITEMSTRUCT* item);
// A 13 x 1 bitmap of 16 bits per pixel: colour slots 0-11 and the spare colour.
HBITMAP BuildColorBitmap(const StyleModel& model, HDC dc);
int RefreshColorBitmap(StyleModel& model, HDC dc);
int FillWithStyleColor(const StyleModel& model, HDC dc, int slot, const RECT* rect);
int DrawBitmapInRect(HDC dc, const BITMAPINFOHEADER* header, HBITMAP bitmap, HPALETTE palette, const RECT* rect,
                     BOOL forceBackground, BOOL tile);
int GetPlaceholderRect(HWND page, int id, RECT* rect);
void DrawEtchedFrame(HDC dc, const RECT* rect, COLORREF shadow, COLORREF light);
void DrawRectFrame(HDC dc, const RECT* rect, int width, COLORREF color);
