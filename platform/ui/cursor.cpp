// Stock cursors and the current cursor. The layer draws no pointer of its own:
// a cursor is a monochrome icon that a display may show and a test may compare.
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>

#include "qvplatform.h"

namespace {

constexpr WORD kStockIds[] = {32512, 32513, 32514, 32515, 32516, 32642, 32643,
                              32644, 32645, 32646, 32648, 32649, 32650};

std::mutex g_lock;
std::map<WORD, HCURSOR>& Stock() {
  static auto* cursors = new std::map<WORD, HCURSOR>;  // lives for the process
  return *cursors;
}
std::atomic<HCURSOR> g_current{nullptr};

// A 32x32 cursor whose AND mask keeps the screen and whose XOR mask draws a
// one-pixel cross through the hot spot.
HCURSOR MakeStockCursor() {
  constexpr int kSize = 32;
  constexpr int kStride = kSize / 8;  // monochrome rows are already word aligned
  BYTE bits[kStride * kSize * 2];
  std::memset(bits, 0xFF, kStride * kSize);           // AND: transparent
  std::memset(bits + kStride * kSize, 0, kStride * kSize);  // XOR: nothing
  BYTE* xor_rows = bits + kStride * kSize;
  for (int i = 0; i < kSize; ++i) {
    xor_rows[(kSize / 2) * kStride + i / 8] |= static_cast<BYTE>(0x80 >> (i % 8));
    xor_rows[i * kStride + (kSize / 2) / 8] |= static_cast<BYTE>(0x80 >> ((kSize / 2) % 8));
  }
  HBITMAP mask = CreateBitmap(kSize, kSize * 2, 1, 1, bits);
  if (!mask) return nullptr;
  ICONINFO info{FALSE, kSize / 2, kSize / 2, mask, nullptr};
  HCURSOR cursor = CreateIconIndirect(&info);
  DeleteObject(mask);
  return cursor;
}

}  // namespace

QV_API HCURSOR WINAPI LoadCursorA(HINSTANCE hInstance, LPCSTR lpCursorName) {
  if (hInstance != nullptr || !IS_INTRESOURCE(lpCursorName)) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  const WORD id = static_cast<WORD>(reinterpret_cast<ULONG_PTR>(lpCursorName));
  bool known = false;
  for (WORD stock : kStockIds) known = known || stock == id;
  if (!known) {
    SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
    return nullptr;
  }
  std::lock_guard<std::mutex> guard(g_lock);
  HCURSOR& cursor = Stock()[id];
  if (!cursor) cursor = MakeStockCursor();
  if (!cursor) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return cursor;
}

QV_API HCURSOR WINAPI SetCursor(HCURSOR hCursor) { return g_current.exchange(hCursor); }

QV_API HCURSOR WINAPI GetCursor() { return g_current.load(); }
