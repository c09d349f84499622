#include "sizeable_control.h"

#include <mutex>

#include "qv_ui.h"

namespace {

struct SizeableSlot {
  HWND window;
  WNDPROC previous;
  WORD mode;
};

// Controls may live on any GUI thread; the lock is never held while a window
// procedure runs.
std::mutex g_slotLock;
SizeableSlot g_slots[kSizeableSlotCount];

bool SlotIsFree(const SizeableSlot& slot) { return slot.window == nullptr || !IsWindow(slot.window); }

// The control's slot; false when it has none.
bool FindSlot(HWND control, SizeableSlot* found) {
  std::lock_guard<std::mutex> guard(g_slotLock);
  for (const SizeableSlot& slot : g_slots) {
    if (slot.window == control) {
      *found = slot;
      return true;
    }
  }
  return false;
}

void ReleaseSlot(HWND control) {
  std::lock_guard<std::mutex> guard(g_slotLock);
  for (SizeableSlot& slot : g_slots) {
    if (slot.window == control) slot = SizeableSlot{};
  }
}

void DrawFrame(HWND control) {
  HDC dc = GetDC(control);
  if (dc == nullptr) return;
  RECT client;
  GetClientRect(control, &client);
  QVUI_DrawTesselPolygons(dc, &client, 1, GetSysColor(COLOR_BTNSHADOW), GetSysColor(COLOR_BTNHIGHLIGHT));
  ReleaseDC(control, dc);
}

}  // namespace

int PrepSizeableControl(HWND dialog, int id) {
  const int major = LOBYTE(LOWORD(GetVersion()));
  if (major > 3) return major;
  return MakeControlSizeable(GetDlgItem(dialog, id), kSizeableFrame);
}

int MakeControlSizeable(HWND control, WORD mode) {
  if (control == nullptr || !IsWindow(control)) return kSizeableSlotCount;
  std::lock_guard<std::mutex> guard(g_slotLock);
  int freeSlot = kSizeableSlotCount;
  for (int i = 0; i < kSizeableSlotCount; ++i) {
    // Subclassing a control twice would make its procedure call itself.
    if (g_slots[i].window == control && IsWindow(control)) return i;
    if (freeSlot == kSizeableSlotCount && SlotIsFree(g_slots[i])) freeSlot = i;
  }
  if (freeSlot == kSizeableSlotCount) return kSizeableSlotCount;
  SizeableSlot& slot = g_slots[freeSlot];
  // The sizing cursor of the grow-box mode waits for the layer's cursors.
  slot.window = control;
  slot.mode = mode;
  slot.previous = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&SizeableControlWndProc)));
  return freeSlot;
}

LRESULT CALLBACK SizeableControlWndProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam) {
  SizeableSlot slot{};
  if (!FindSlot(control, &slot) || slot.previous == nullptr) {
    return DefWindowProcA(control, message, wParam, lParam);
  }
  const LRESULT result = CallWindowProcA(slot.previous, control, message, wParam, lParam);
  if (message == WM_DESTROY) {
    SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(slot.previous));
    ReleaseSlot(control);
    return result;
  }
  if (!IsWindowVisible(control)) return result;
  if (slot.mode == kSizeableFrame) {
    DrawFrame(control);
  } else if (slot.mode == kSizeableGrowBox && (message == WM_PAINT || message == WM_ERASEBKGND)) {
    QVUI_PaintGrowBox(control);
  }
  return result;
}
