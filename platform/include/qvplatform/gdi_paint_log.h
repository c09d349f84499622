// The paint log: what was drawn on a window, the screen or a bitmap, in the
// order it was drawn, for tests to read. Text is recorded with its position,
// font and colour (the layer does not rasterise glyphs yet); fills, lines,
// shapes, blits and icons are recorded besides changing the pixels.
//
// Coordinates are device pixels on the target: bitmap pixels for a memory DC,
// the window's paint surface for a window DC (client coordinates when the
// window system gives the DC the origin 0,0).
//
// A blit from a memory DC to another target carries the text records of the
// source rectangle along, moved to the destination, so double-buffered text
// still shows up in the window's log.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "qvplatform/types.h"

namespace qvp {

enum class PaintKind {
  kText,       // a run of text on one line
  kFill,       // a rectangle filled with a brush (FillRect, PatBlt, ETO_OPAQUE, ...)
  kFrame,      // FrameRect
  kInvert,     // InvertRect, DSTINVERT
  kFocusRect,  // DrawFocusRect
  kLine,       // one pen segment: from..to, the end point not drawn
  kRectangle,
  kRoundRect,
  kEllipse,
  kPolygon,
  kBlit,   // BitBlt, StretchBlt, StretchDIBits, SetDIBitsToDevice
  kIcon,   // DrawIcon, DrawIconEx
  kEdge,   // DrawEdge
};

struct PaintRecord {
  PaintKind kind = PaintKind::kFill;
  RECT rect{};             // text cell, filled area, shape bounds, blit destination
  POINT from{};            // kLine
  POINT to{};              // kLine
  std::vector<POINT> points;  // kPolygon
  DWORD color = 0;         // COLORREF: text colour, brush colour, pen colour
  DWORD fill = 0;          // COLORREF: text background when opaque, shape brush colour
  bool opaque = false;     // text background painted / shape interior filled
  std::string text;        // kText: the characters (mnemonic '&' removed)
  int mnemonic = -1;       // kText: index in text of the underlined mnemonic, -1 none
  std::string face;        // kText: font face
  LONG font_height = 0;    // kText: lfHeight of the font
  LONG weight = 0;         // kText: font weight
  bool italic = false;
  bool underline = false;
  bool strikeout = false;
  bool clipped = false;    // kText: clipped to clip_rect
  RECT clip_rect{};
  DWORD rop = 0;           // kBlit: raster operation
  UINT flags = 0;          // kEdge: edge | (BF_ flags << 16)
};

struct PaintLog {
  std::vector<PaintRecord> records;

  std::vector<PaintRecord> Texts() const;
  // The first text record whose text equals `text`, or null.
  const PaintRecord* FindText(std::string_view text) const;
  // Every text record's text, in drawing order, joined by '\n'.
  std::string JoinedText() const;
};

// A copy of what was drawn on the window (hwnd null: the screen). Empty when
// nothing was drawn. The log keeps the latest 20000 records.
PaintLog GetWindowPaintLog(HWND hwnd);
void ClearWindowPaintLog(HWND hwnd);
// The log of whatever the DC draws on (its window, the screen, or the bitmap
// selected into a memory DC).
PaintLog GetDCPaintLog(HDC hdc);
void ClearDCPaintLog(HDC hdc);

}  // namespace qvp
