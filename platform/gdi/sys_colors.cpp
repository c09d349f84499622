#include "gdi/sys_colors.h"

#include <atomic>
#include <memory>

#include "gdi/gdi_error.h"
#include "gdi/objects.h"

namespace qvp::gdi {
namespace {

// The classic Windows colour scheme.
constexpr COLORREF kDefaults[kSysColorCount] = {
    RGB(192, 192, 192),  // COLOR_SCROLLBAR
    RGB(0, 128, 128),    // COLOR_BACKGROUND
    RGB(0, 0, 128),      // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(192, 192, 192),  // COLOR_ACTIVEBORDER
    RGB(192, 192, 192),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(0, 0, 128),      // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(192, 192, 192),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(192, 192, 192),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(0, 0, 0),        // COLOR_3DDKSHADOW
    RGB(192, 192, 192),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(192, 192, 192),  // 25: unused
    RGB(0, 0, 255),      // COLOR_HOTLIGHT
    RGB(16, 132, 208),   // COLOR_GRADIENTACTIVECAPTION
    RGB(181, 181, 181),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(0, 0, 128),      // 29: menu highlight
    RGB(192, 192, 192),  // 30: menu bar
};

std::atomic<COLORREF>* Colors() {
  static std::atomic<COLORREF>* colors = [] {
    auto* c = new std::atomic<COLORREF>[kSysColorCount];
    for (int i = 0; i < kSysColorCount; ++i) c[i].store(kDefaults[i]);
    return c;
  }();
  return colors;
}

}  // namespace

COLORREF SysColor(int index) {
  if (index < 0 || index >= kSysColorCount) return 0;
  return Colors()[index].load(std::memory_order_relaxed);
}

}  // namespace qvp::gdi

using namespace qvp::gdi;

DWORD GetSysColor(int nIndex) { return SysColor(nIndex); }

BOOL SetSysColors(int cElements, const INT* lpaElements, const COLORREF* lpaRgbValues) {
  if (cElements < 0 || (cElements > 0 && (lpaElements == nullptr || lpaRgbValues == nullptr))) {
    SetError(ERROR_INVALID_PARAMETER);
    return FALSE;
  }
  for (int i = 0; i < cElements; ++i) {
    int index = lpaElements[i];
    if (index >= 0 && index < kSysColorCount)
      Colors()[index].store(lpaRgbValues[i] & 0x00FFFFFFu, std::memory_order_relaxed);
  }
  return TRUE;
}

HBRUSH GetSysColorBrush(int nIndex) {
  if (nIndex < 0 || nIndex >= kSysColorCount) return nullptr;
  static std::shared_ptr<BrushObj>* brushes = new std::shared_ptr<BrushObj>[kSysColorCount];
  Guard g(Lock());
  if (!brushes[nIndex]) {
    auto b = std::make_shared<BrushObj>();
    b->style = BS_SOLID;
    b->sys_color = nIndex;
    b->stock = true;
    Insert(b);
    brushes[nIndex] = std::move(b);
  }
  return static_cast<HBRUSH>(brushes[nIndex]->handle);
}
