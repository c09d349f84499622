// Shared by the paging tests: windows that record the status lines the
// senders send, and a pseudo terminal that "COMn" opens.
#pragma once

#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <mutex>
#include <string>
#include <vector>

#include "alert_runtime.h"
#include "alert_status.h"
#include "qvplatform.h"
#include "status_message.h"

namespace pagertest {

// Lines as "<code> <text>" (1 progress, 3 error), sent to either window.
class StatusLines {
 public:
  StatusLines() {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = Proc;
    windowClass.lpszClassName = "QvPagerStatusTest";
    RegisterClassA(&windowClass);
    test_ = CreateWindowExA(0, "QvPagerStatusTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    errors_ = CreateWindowExA(0, "QvPagerStatusTest", "", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    SetAlertTestStatusWindow(test_);
    SetAlertErrorsWindow(errors_);
    SetAlertTestCancelled(false);
    Clear();
  }
  ~StatusLines() {
    SetAlertTestStatusWindow(nullptr);
    SetAlertErrorsWindow(nullptr);
    SetAlertTestCancelled(false);
    DestroyWindow(test_);
    DestroyWindow(errors_);
  }
  StatusLines(const StatusLines&) = delete;
  StatusLines& operator=(const StatusLines&) = delete;

  static std::vector<std::string> Lines() {
    std::lock_guard<std::mutex> lock(Mutex());
    return Store();
  }
  static void Clear() {
    std::lock_guard<std::mutex> lock(Mutex());
    Store().clear();
  }

 private:
  static std::mutex& Mutex() {
    static std::mutex mutex;
    return mutex;
  }
  static std::vector<std::string>& Store() {
    static std::vector<std::string> lines;
    return lines;
  }
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kStatusMessagePager) {
      const auto* record = reinterpret_cast<const CStatusMessage*>(lParam);
      std::lock_guard<std::mutex> lock(Mutex());
      Store().push_back(std::to_string(record->code) + " " + record->text);
      return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
  }

  HWND test_ = nullptr;
  HWND errors_ = nullptr;
};

}  // namespace pagertest
