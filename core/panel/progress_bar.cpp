#include "progress_bar.h"

#include <cstring>

#include "int_format.h"
#include "text_copy.h"

namespace {

inline constexpr int kFormatSize = 256;

// The bar's record, in moveable global memory whose handle is window long 0.
struct BarRecord {
  WORD range;
  WORD position;
  char format[kFormatSize];
  HFONT font;
  WORD flags;
};

HGLOBAL RecordHandle(HWND window) { return reinterpret_cast<HGLOBAL>(GetWindowLongPtrA(window, 0)); }

// Runs f on the locked record; nothing when the bar has none.
template <typename F>
void WithRecord(HWND window, F f) {
  const HGLOBAL handle = RecordHandle(window);
  if (!handle) return;
  auto* record = static_cast<BarRecord*>(GlobalLock(handle));
  if (!record) return;
  f(*record);
  GlobalUnlock(handle);
}

void Refresh(HWND window) {
  InvalidateRect(window, nullptr, FALSE);
  UpdateWindow(window);
}

void Paint(HWND window) {
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(window, &paint);
  if (!dc) return;
  WithRecord(window, [&](BarRecord& record) {
    char text[kFormatSize + 64];
    ProgressBarText(record.format, record.flags, record.range, record.position, text, sizeof text);
    HGDIOBJ oldFont = record.font ? SelectObject(dc, record.font) : nullptr;
    const UINT oldAlign = SetTextAlign(dc, TA_CENTER | TA_TOP);
    RECT client;
    GetClientRect(window, &client);
    const int width = client.right;
    SIZE letter{};
    GetTextExtentPoint32A(dc, "X", 1, &letter);
    const int x = width / 2;
    const int y = (client.bottom - letter.cy) / 2;
    const int length = static_cast<int>(std::strlen(text));
    const COLORREF oldBack = GetBkColor(dc);
    const COLORREF oldText = GetTextColor(dc);
    RECT rest = client;
    const int fill = ProgressBarFill(record.range, record.position, width);
    if (fill > 0) {
      RECT filled{0, 0, fill, client.bottom};
      SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
      SetTextColor(dc, GetSysColor(COLOR_WINDOW));
      ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &filled, text, static_cast<UINT>(length), nullptr);
      rest.left = fill;
    }
    if (rest.left < rest.right) {
      SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      ExtTextOutA(dc, x, y, ETO_OPAQUE | ETO_CLIPPED, &rest, text, static_cast<UINT>(length), nullptr);
    }
    SetBkColor(dc, oldBack);
    SetTextColor(dc, oldText);
    SetTextAlign(dc, oldAlign);
    if (oldFont) SelectObject(dc, oldFont);
  });
  EndPaint(window, &paint);
}

// Stores a 16-bit field and repaints when it changed.
void SetField(HWND window, WORD BarRecord::*field, WORD value) {
  bool changed = false;
  WithRecord(window, [&](BarRecord& record) {
    changed = record.*field != value;
    record.*field = value;
  });
  if (changed) Refresh(window);
}

}  // namespace

void ProgressBarText(const char* format, WORD flags, WORD range, WORD position, char* out,
                     size_t outSize) {
  if (outSize == 0) return;
  out[0] = '\0';
  if (range == kBarUnset || position == kBarUnset) return;
  if ((flags & kBarBlankAtZero) && position == 0) return;
  FormatOneInteger(format && format[0] ? format : "%d%%", position, out, outSize);
}

int ProgressBarFill(WORD range, WORD position, int width) {
  if (range == kBarUnset || position == kBarUnset || range == 0 || position == 0 || width <= 0) return 0;
  if (position >= range) return width;
  return static_cast<int>(static_cast<long>(position) * width / range);
}

LRESULT CALLBACK ProgressBarWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE: {
      const HGLOBAL handle = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(BarRecord));
      if (!handle) return -1;  // the window is not made
      SetWindowLongPtrA(window, 0, reinterpret_cast<LONG_PTR>(handle));
      WithRecord(window, [](BarRecord& record) {
        record.range = kBarUnset;
        record.position = kBarUnset;
      });
      return 0;
    }
    case WM_PAINT:
      Paint(window);
      return 0;
    case WM_DESTROY: {
      const HGLOBAL handle = RecordHandle(window);
      if (!handle) return 0;
      WithRecord(window, [](BarRecord& record) {
        if ((record.flags & kBarOwnsFont) && record.font) DeleteObject(record.font);
        record.font = nullptr;
      });
      SetWindowLongPtrA(window, 0, 0);
      GlobalFree(handle);
      return 0;
    }
    case PBQ_SETPOS_USER:
    case PBQ_SETPOS:
    case PBQ_SETPOS_ALT:
      SetField(window, &BarRecord::position, LOWORD(wParam));
      return 0;
    case PBQ_SETRANGE:
      SetField(window, &BarRecord::range, LOWORD(wParam));
      return 0;
    case PBQ_SETFLAGS:
      SetField(window, &BarRecord::flags, LOWORD(wParam));
      return 0;
    case PBQ_SETFORMAT: {
      bool changed = false;
      const char* text = reinterpret_cast<const char*>(lParam);
      WithRecord(window, [&](BarRecord& record) {
        char copy[kFormatSize];
        CopyText(copy, sizeof copy, text);
        changed = std::strcmp(copy, record.format) != 0;
        std::memcpy(record.format, copy, sizeof copy);
      });
      if (changed) Refresh(window);
      return 0;
    }
    case PBQ_SETFONT: {
      bool changed = false;
      const auto font = reinterpret_cast<HFONT>(lParam);
      WithRecord(window, [&](BarRecord& record) {
        changed = record.font != font;
        // A font the bar owns goes when another one takes its place.
        if (changed && (record.flags & kBarOwnsFont) && record.font) DeleteObject(record.font);
        record.font = font;
      });
      if (changed) Refresh(window);
      return 0;
    }
    default:
      return DefWindowProcA(window, message, wParam, lParam);
  }
}

int RegisterProgressBarClass(HINSTANCE instance) {
  WNDCLASSA type{};
  type.style = CS_HREDRAW | CS_VREDRAW | CS_BYTEALIGNCLIENT;
  type.lpfnWndProc = ProgressBarWndProc;
  type.cbWndExtra = 32;
  type.hInstance = instance;
  type.hCursor = LoadCursorA(nullptr, IDC_ARROW);
  type.lpszClassName = kProgressBarClass;
  return RegisterClassA(&type) != 0 ? 1 : 0;
}

void UnregisterProgressBarClass(HINSTANCE instance) { UnregisterClassA(kProgressBarClass, instance); }
