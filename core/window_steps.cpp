#include "window_steps.h"

void DestroyWindowAndClear(HWND* holder) {
  if (holder == nullptr) return;
  if (*holder != nullptr && IsWindow(*holder)) DestroyWindow(*holder);
  *holder = nullptr;
}

void PumpPendingMessages() {
  MSG message;
  while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
}
