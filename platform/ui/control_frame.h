// The frame every control's window procedure runs in, standard and common
// controls alike: the control's state record is made at WM_NCCREATE, held
// while a message is handled and dropped at WM_NCDESTROY, and nothing thrown
// while handling a message leaves the procedure.
#pragma once

#include <memory>

#include "qvplatform/ui.h"

namespace qvp::ui {

// The state record of one control class kept in the window itself: the first
// pointer-sized extra bytes of the window (the class registers them with
// `kStateBytes`) hold the record's owner, so a message finds its record
// without a lookup in a shared map. The record is shared: a procedure keeps
// it alive while it runs, even when a notification it sends destroys the window.
inline constexpr int kStateBytes = static_cast<int>(sizeof(LONG_PTR));

template <class State>
class WindowSlot {
 public:
  std::shared_ptr<State> Make(HWND hwnd, std::shared_ptr<State> state) {
    auto holder = std::make_unique<Holder>(Holder{this, state});
    Holder* old = Find(hwnd);
    SetLastError(0);
    if (!SetWindowLongPtrA(hwnd, 0, reinterpret_cast<LONG_PTR>(holder.get())) && GetLastError() != 0)
      return nullptr;  // the window has no room for the record
    holder.release();
    delete old;
    return state;
  }
  std::shared_ptr<State> Get(HWND hwnd) {
    Holder* h = Find(hwnd);
    return h ? h->state : nullptr;
  }
  void Drop(HWND hwnd) {
    std::unique_ptr<Holder> h(Find(hwnd));
    if (h) SetWindowLongPtrA(hwnd, 0, 0);
  }

 private:
  struct Holder {
    const WindowSlot* owner;  // which class's record this is
    std::shared_ptr<State> state;
  };
  Holder* Find(HWND hwnd) const {
    DWORD error = GetLastError();  // looking leaves the caller's last error alone
    auto* h = reinterpret_cast<Holder*>(GetWindowLongPtrA(hwnd, 0));
    SetLastError(error);
    return h && h->owner == this ? h : nullptr;
  }
};

// The one slot of a record type, made on first use and kept for the life of
// the process (windows may outlive every static destructor).
template <class State>
WindowSlot<State>& SlotOf() {
  static auto* slot = new WindowSlot<State>;
  return *slot;
}

// A new record for a control class made from nothing but its defaults.
template <class State>
std::shared_ptr<State> NewRecord(HWND, LPARAM) {
  return std::make_shared<State>();
}

// The style a window is created with, from WM_NCCREATE's lParam (0 without one).
inline DWORD CreateStyle(LPARAM create) {
  auto* cs = reinterpret_cast<const CREATESTRUCTA*>(create);
  return cs ? static_cast<DWORD>(cs->style) : 0;
}

// WM_PAINT and WM_PRINTCLIENT drawn by one function: `paint(hdc)` draws the
// whole client area, into the paint DC or into the DC the caller gives.
template <class Paint>
LRESULT PaintClient(HWND hwnd, UINT msg, WPARAM wp, Paint&& paint) {
  if (msg == WM_PRINTCLIENT) {
    if (wp) paint(reinterpret_cast<HDC>(wp));
    return 0;
  }
  PAINTSTRUCT ps{};
  HDC hdc = BeginPaint(hwnd, &ps);
  if (hdc) paint(hdc);
  EndPaint(hwnd, &ps);
  return 0;
}

// Runs `f`, turning a failure to allocate (or any other exception) into the
// given failure result and ERROR_NOT_ENOUGH_MEMORY, so that nothing thrown
// leaves a window procedure or an exported function.
template <class R, class F>
R Shielded(R failure, F&& f) noexcept {
  try {
    return f();
  } catch (...) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return failure;
  }
}

// The shape of every control procedure. `make(hwnd, create_lparam)` gives the
// new record at WM_NCCREATE (a failure there fails the creation);
// `dispatch(state, hwnd, msg, wp, lp)` handles every message from WM_NCCREATE
// on; at WM_NCDESTROY `on_destroy(state)` frees what the record owns before the
// record is dropped.
template <class Table, class Make, class Dispatch, class OnDestroy>
LRESULT RunControlProc(Table& table, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, Make&& make,
                       Dispatch&& dispatch, OnDestroy&& on_destroy) {
  if (msg == WM_NCCREATE && !Shielded(false, [&] { return table.Make(hwnd, make(hwnd, lp)) != nullptr; }))
    return FALSE;
  auto sp = table.Get(hwnd);
  if (!sp) return DefWindowProcA(hwnd, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    Shielded(0, [&] {
      on_destroy(*sp);
      return 0;
    });
    table.Drop(hwnd);
    return DefWindowProcA(hwnd, msg, wp, lp);
  }
  return Shielded<LRESULT>(0, [&] { return dispatch(*sp, hwnd, msg, wp, lp); });
}

template <class Table, class Make, class Dispatch>
LRESULT RunControlProc(Table& table, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, Make&& make,
                       Dispatch&& dispatch) {
  return RunControlProc(table, hwnd, msg, wp, lp, make, dispatch, [](auto&) {});
}

}  // namespace qvp::ui
