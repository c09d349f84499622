// Test helpers: a window class whose procedure records every message and lets
// a test answer chosen messages itself.
#pragma once

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "qvplatform.h"

namespace uitest {

struct Seen {
  HWND hwnd;
  UINT msg;
  WPARAM wp;
  LPARAM lp;
};

// Records the messages of every window of the recording class.
class Recorder {
 public:
  using Hook = std::function<std::optional<LRESULT>(HWND, UINT, WPARAM, LPARAM)>;

  // Registers the class `name` (unregistered again on destruction).
  explicit Recorder(std::string name = "RecorderClass", UINT class_style = 0, int wnd_extra = 0,
                    int cls_extra = 0);
  ~Recorder();

  const char* cls() const { return name_.c_str(); }
  void SetHook(Hook hook);
  void Clear();
  std::vector<Seen> All();
  // The messages one window saw, in order; with `only`, just those messages.
  std::vector<UINT> Of(HWND hwnd, const std::vector<UINT>& only = {});
  // The windows that saw `msg`, in order.
  std::vector<HWND> Receivers(UINT msg);

  HWND Create(DWORD style, HWND parent = nullptr, int id = 0, DWORD ex_style = 0, const char* title = "w",
              RECT r = RECT{10, 20, 210, 170});

  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);

 private:
  std::string name_;
  std::mutex lock_;
  std::vector<Seen> seen_;
  Hook hook_;
};

// Pumps every message that is waiting (PeekMessage/Translate/Dispatch).
int PumpPending();

}  // namespace uitest
