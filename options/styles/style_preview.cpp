#include "style_preview.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "qv_ui.h"
#include "qv_ui_dialogs.h"

namespace {

constexpr COLORREF kShadow = 0x808080;
constexpr COLORREF kLight = 0xFFFFFF;
constexpr const char* kHeaderCells[4] = {"Hits", "Hits%", "User", "User%"};
constexpr const char* kRecords[4][4] = {
    {"128", "75%", "32", "42%"}, {"187", "12%", "79", "46%"}, {"2887", "26%", "13", "71%"}, {"5987", "66%", "17", "3%"}};
constexpr const char* kRowLabels[5] = {"Sub Title", "Odd Row", "EvenRow", "Odd Row", "EvenRow"};

// The preview's fonts: each new one replaces (and deletes) the previous.
struct Fonts {
  HDC dc;
  HGDIOBJ original = nullptr;
  HFONT current = nullptr;
  void Use(const std::string& face, int points, int weight) {
    HFONT font = CreateFontA(-MulDiv(points, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, weight, FALSE, FALSE, FALSE,
                             ANSI_CHARSET, OUT_TT_PRECIS, CLIP_DEFAULT_PRECIS, PROOF_QUALITY, FF_ROMAN, face.c_str());
    if (font == nullptr) return;
    HGDIOBJ previous = SelectObject(dc, font);
    if (original == nullptr) original = previous;
    if (current != nullptr) DeleteObject(current);
    current = font;
  }
  ~Fonts() {
    if (original != nullptr) SelectObject(dc, original);
    if (current != nullptr) DeleteObject(current);
  }
};

void Text(HDC dc, int x, int y, UINT align, COLORREF color, const char* text) {
  SetTextAlign(dc, align);
  SetTextColor(dc, color);
  TextOutA(dc, x, y, text, static_cast<int>(std::strlen(text)));
}

RECT Inner(const RECT& r) { return RECT{r.left + 2, r.top + 2, r.right - 1, r.bottom - 1}; }

void Line(HDC dc, int x1, int y1, int x2, int y2) {
  MoveToEx(dc, x1, y1, nullptr);
  LineTo(dc, x2, y2);
}

void DrawTable(const StyleModel& m, HDC dc, Fonts& fonts, const RECT& t) {
  const int b = m.borderWidth;
  const int h = (t.bottom - t.top) / 6;
  if (b > 1) {
    RECT outer{t.left - b, t.top - b - 4, t.right + b, t.bottom + b - 2};
    QVUI_DrawTesselPolygons(dc, &outer, b, kShadow, kLight);
  }
  RECT bar{t.left, t.top - 4, t.right, t.top + h};
  if (b != 0) {
    DrawEtchedFrame(dc, &bar, kShadow, kLight);
    bar = Inner(bar);
  }
  FillWithStyleColor(m, dc, 4, &bar);
  fonts.Use(m.faces[2], 14, FW_BOLD);
  Text(dc, (bar.left + bar.right) / 2, bar.bottom - 1, TA_CENTER | TA_BOTTOM, m.colors[5], "Table Title");

  const int first = std::clamp(m.sortColumn, 0, 3);
  for (int r = 1; r <= 5; ++r) {
    if (r == 1) fonts.Use(m.faces[3], 10, FW_BOLD);
    if (r == 2) fonts.Use(m.faces[4], 9, FW_NORMAL);
    const RECT row{t.left, t.top + r * h - 1, t.right, t.top + r * h + h};
    const int backSlot = r == 1 ? 6 : (r % 2 == 0 ? 8 : 10);
    const COLORREF textColor = m.colors[static_cast<size_t>(backSlot + 1)];
    RECT inner = row;
    if (b != 0) {
      DrawEtchedFrame(dc, &row, kShadow, kLight);
      inner = Inner(row);
    }
    FillWithStyleColor(m, dc, backSlot, &inner);
    const int innerWidth = inner.right - inner.left;
    const int g = innerWidth / 5;
    int offset = 1;
    UINT align = TA_LEFT | TA_BOTTOM;
    if (r == 1 || m.alignment == 1) {
      offset = g / 2 + 1;
      align = TA_CENTER | TA_BOTTOM;
    } else if (m.alignment == 3) {
      offset = g - 1;
      align = TA_RIGHT | TA_BOTTOM;
    }
    int shown = 0;
    for (int c = 0; c < kStyleColumns; ++c) shown += m.columnShown[static_cast<size_t>(c)] ? 1 : 0;
    int k = 0;
    for (int c = 0; c < kStyleColumns; ++c) {
      if (!m.columnShown[static_cast<size_t>(c)]) continue;
      RECT cell{inner.left + innerWidth - (shown - k) * g, row.top, row.right, row.bottom};
      ++k;
      if (b != 0) {
        DrawEtchedFrame(dc, &cell, kShadow, kLight);
        RECT inside = Inner(cell);
        FillWithStyleColor(m, dc, backSlot, &inside);
      }
      const char* text = r == 1 ? kHeaderCells[c] : kRecords[(first + r - 2) % 4][c];
      Text(dc, cell.left + offset, cell.bottom - 1, align, textColor, text);
    }
    Text(dc, t.left + 3, inner.bottom - 1, TA_LEFT | TA_BOTTOM, textColor, kRowLabels[r - 1]);
  }
}

}  // namespace

HBITMAP BuildColorBitmap(const StyleModel& m, HDC dc) {
  auto* block = static_cast<BITMAPINFO*>(std::calloc(1, sizeof(BITMAPINFOHEADER) + 13 * sizeof(RGBQUAD)));
  if (block == nullptr) return nullptr;
  BITMAPINFOHEADER& h = block->bmiHeader;
  h.biSize = sizeof h;
  h.biWidth = 13;
  h.biHeight = 1;
  h.biPlanes = 1;
  h.biBitCount = 16;
  h.biCompression = BI_RGB;
  h.biSizeImage = ((16 * 13 + 31) & ~31) / 8;
  h.biClrUsed = 13;
  auto color = [&](int i) { return i < kStyleColorSlots ? m.colors[static_cast<size_t>(i)] : m.spareColor; };
  for (int i = 0; i < 13; ++i)
    block->bmiColors[i] = RGBQUAD{GetBValue(color(i)), GetGValue(color(i)), GetRValue(color(i)), 0};
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) {
    std::free(block);
    return nullptr;
  }
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(dc, block, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bitmap != nullptr) {
    HGDIOBJ old = SelectObject(memory, bitmap);
    for (int i = 0; i < 13; ++i) SetPixel(memory, i, 0, color(i));
    SelectObject(memory, old);
    GdiFlush();
  }
  DeleteDC(memory);
  std::free(block);
  return bitmap;
}

int RefreshColorBitmap(StyleModel& m, HDC dc) {
  if (m.colorBitmap != nullptr) DeleteObject(m.colorBitmap);
  m.colorBitmap = BuildColorBitmap(m, dc);
  m.colorBitmapStale = 0;
  return 1;
}

int FillWithStyleColor(const StyleModel& m, HDC dc, int slot, const RECT* rect) {
  if (m.colorBitmap == nullptr || rect == nullptr || slot < 0 || slot > kSpareColorSlot) return 1;
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return 1;
  HGDIOBJ old = SelectObject(memory, m.colorBitmap);
  StretchBlt(dc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, memory, slot, 0, 1, 1,
             SRCCOPY);
  SelectObject(memory, old);
  DeleteDC(memory);
  return 1;
}

namespace {

// Fills the rectangle with copies of the w x h picture of `source`: the picture
// once, then the filled part copied beside and below itself (doubling), so a
// tiny picture costs a few copies rather than one per tile.
void TileInto(HDC dc, const RECT& rect, HDC source, int w, int h) {
  const int width = rect.right - rect.left;
  const int height = rect.bottom - rect.top;
  HDC plane = CreateCompatibleDC(dc);
  HBITMAP canvas = plane != nullptr ? CreateCompatibleBitmap(dc, width, height) : nullptr;
  if (canvas == nullptr) {  // no room for a canvas: tile by tile
    if (plane != nullptr) DeleteDC(plane);
    for (int y = 0; y < height; y += h)
      for (int x = 0; x < width; x += w)
        BitBlt(dc, rect.left + x, rect.top + y, std::min(w, width - x), std::min(h, height - y), source, 0, 0, SRCCOPY);
    return;
  }
  HGDIOBJ old = SelectObject(plane, canvas);
  BitBlt(plane, 0, 0, std::min(w, width), std::min(h, height), source, 0, 0, SRCCOPY);
  for (int done = w; done < width; done *= 2) BitBlt(plane, done, 0, std::min(done, width - done), h, plane, 0, 0, SRCCOPY);
  for (int done = h; done < height; done *= 2)
    BitBlt(plane, 0, done, width, std::min(done, height - done), plane, 0, 0, SRCCOPY);
  BitBlt(dc, rect.left, rect.top, width, height, plane, 0, 0, SRCCOPY);
  SelectObject(plane, old);
  DeleteObject(canvas);
  DeleteDC(plane);
}

}  // namespace

int DrawBitmapInRect(HDC dc, const BITMAPINFOHEADER* header, HBITMAP bitmap, HPALETTE palette, const RECT* rect,
                     BOOL forceBackground, BOOL tile) {
  if (bitmap == nullptr || rect == nullptr) return 0;
  HDC memory = CreateCompatibleDC(dc);
  if (memory == nullptr) return 0;
  HPALETTE oldPalette = nullptr;
  if (palette != nullptr) {
    oldPalette = SelectPalette(memory, palette, forceBackground);
    RealizePalette(memory);
  }
  HGDIOBJ old = SelectObject(memory, bitmap);
  if (tile) {
    const int w = header != nullptr ? header->biWidth : 0;
    const int h = header != nullptr ? std::abs(header->biHeight) : 0;
    const int width = rect->right - rect->left;
    const int height = rect->bottom - rect->top;
    if (w > 0 && h > 0 && width > 0 && height > 0) TileInto(dc, *rect, memory, w, h);
  } else {
    BitBlt(dc, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, memory, 0, 0, SRCCOPY);
  }
  if (palette != nullptr) SelectPalette(memory, oldPalette, FALSE);
  SelectObject(memory, old);
  DeleteDC(memory);
  return 1;
}

int GetPlaceholderRect(HWND page, int id, RECT* rect) {
  RECT control{};
  RECT origin{};
  GetWindowRect(GetDlgItem(page, id), &control);
  GetWindowRect(GetDlgItem(page, kPreviewId), &origin);
  *rect = RECT{control.left - origin.left, control.top - origin.top, control.right - origin.left,
               control.bottom - origin.top};
  return 1;
}

void DrawEtchedFrame(HDC dc, const RECT* r, COLORREF shadow, COLORREF light) {
  HPEN lightPen = CreatePen(PS_SOLID, 1, light);
  HPEN shadowPen = CreatePen(PS_SOLID, 1, shadow);
  HGDIOBJ old = SelectObject(dc, lightPen);
  Line(dc, r->left, r->top, r->left, r->bottom);
  Line(dc, r->left, r->top, r->right - 1, r->top);
  Line(dc, r->right - 1, r->top, r->right - 1, r->bottom - 1);
  Line(dc, r->left, r->bottom - 1, r->right, r->bottom - 1);
  SelectObject(dc, shadowPen);
  Line(dc, r->left + 1, r->top + 1, r->left + 1, r->bottom - 1);
  Line(dc, r->left + 1, r->top + 1, r->right - 1, r->top + 1);
  Line(dc, r->right, r->top, r->right, r->bottom);
  Line(dc, r->left, r->bottom, r->right + 1, r->bottom);
  SelectObject(dc, old);
  DeleteObject(lightPen);
  DeleteObject(shadowPen);
}

void DrawRectFrame(HDC dc, const RECT* r, int width, COLORREF color) {
  if (width == 0) return;
  HPEN pen = CreatePen(PS_SOLID, width, color);
  HGDIOBJ oldPen = SelectObject(dc, pen);
  HGDIOBJ oldBrush = SelectObject(dc, GetStockObject(NULL_BRUSH));
  Rectangle(dc, r->left, r->top, r->right, r->bottom);
  SelectObject(dc, oldBrush);
  SelectObject(dc, oldPen);
  DeleteObject(pen);
}

void DrawStylePreview(StyleModel& m, HWND page, const DRAWITEMSTRUCT* item) {
  if (item == nullptr || item->CtlType != ODT_STATIC) return;
  RECT client;
  GetClientRect(item->hwndItem, &client);
  const int width = client.right - client.left;
  const int height = client.bottom - client.top;
  HDC memory = CreateCompatibleDC(item->hDC);
  if (memory == nullptr) return;
  HGDIOBJ previous = nullptr;
  HBITMAP bitmap = QVUI_GetCompatibleBitmap(memory, width, height, &previous);
  if (bitmap == nullptr) {
    DeleteDC(memory);
    return;
  }
  if (m.colorBitmapStale || m.colorBitmap == nullptr) RefreshColorBitmap(m, item->hDC);
  const RECT all{0, 0, width, height};
  if (m.backgroundImageMode && m.backgroundImage.hBitmap != nullptr) {
    DrawBitmapInRect(memory, m.backgroundImage.bmh, m.backgroundImage.hBitmap, nullptr, &all, TRUE, TRUE);
  } else {
    const RECT upper{0, 0, width, height / 2};
    const RECT lower{0, height / 2, width, height};
    FillWithStyleColor(m, memory, 0, &upper);
    FillWithStyleColor(m, memory, 0, &lower);
  }
  SetBkMode(memory, TRANSPARENT);
  const UINT oldAlign = GetTextAlign(memory);
  {
    Fonts fonts{memory};
    RECT r{};
    GetPlaceholderRect(page, kTitlePlaceholder, &r);
    fonts.Use(m.faces[0], 16, FW_BOLD);
    Text(memory, (r.right - r.left) / 2, r.top, TA_CENTER | TA_TOP, m.colors[1], "Quorvane Report");
    GetPlaceholderRect(page, kSectionPlaceholder, &r);
    FillWithStyleColor(m, memory, 2, &r);
    DrawRectFrame(memory, &r, 1, RGB(0, 0, 0));
    fonts.Use(m.faces[1], 17, FW_BOLD);
    Text(memory, r.left + 2, r.top + 2, TA_LEFT | TA_TOP, m.colors[3], "Section Title");
    GetPlaceholderRect(page, kDescriptionPlaceholder, &r);
    fonts.Use(m.faces[0], 9, FW_NORMAL);
    Text(memory, r.left, r.top, TA_LEFT | TA_TOP, m.colors[1], "Some Description Text Here...");
    GetPlaceholderRect(page, kTablePlaceholder, &r);
    DrawTable(m, memory, fonts, r);
    BitBlt(item->hDC, 0, 0, width, height, memory, 0, 0, SRCCOPY);
  }
  SetTextAlign(memory, oldAlign);
  QVUI_DeleteBitmapAndHDC(memory, bitmap, previous);
}
