// Window device contexts. Until the GDI offers window contexts, the window
// system hands out distinct placeholder handles and keeps track of them, so
// that BeginPaint/EndPaint and GetDC/ReleaseDC pair up as they must.
#include "ui/window_dc.h"

#include <mutex>
#include <unordered_map>

namespace qvp::ui {
namespace {

struct DCTable {
  std::mutex lock;
  std::unordered_map<uintptr_t, HWND> open;
  uintptr_t next = 0x7d000010;
};

DCTable& Table() {
  static DCTable* t = new DCTable;
  return *t;
}

}  // namespace

HDC AcquireWindowDC(HWND hwnd, bool /*whole_window*/) {
  DCTable& t = Table();
  std::lock_guard<std::mutex> g(t.lock);
  uintptr_t value = t.next;
  t.next += 4;
  t.open.emplace(value, hwnd);
  return reinterpret_cast<HDC>(value);
}

bool ReleaseWindowDC(HWND hwnd, HDC hdc) {
  DCTable& t = Table();
  std::lock_guard<std::mutex> g(t.lock);
  auto it = t.open.find(reinterpret_cast<uintptr_t>(hdc));
  if (it == t.open.end() || (hwnd && it->second != hwnd)) return false;
  t.open.erase(it);
  return true;
}

void FillBackground(HDC /*hdc*/, const RECT& /*rect*/, HBRUSH /*brush*/) {}

}  // namespace qvp::ui
