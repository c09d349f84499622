// The Options window: a frame with a bar of module buttons at its left, a
// title bar across the top and the current module's page; the built-in
// "General" sheet first, then one module per plug-in that makes option pages.
#pragma once

#include "qv_ui_windows.h"
#include "qvplatform.h"

// One option module: its button, title, page and kind (-1 for General).
class COptionButton : public CBitmapButton {
 public:
  char title[100] = "";
  char label[100] = "";
  HWND page = nullptr;
  HWND pageParent = nullptr;
  int kind = -1;
  HBITMAP bitmap = nullptr;  // the module's picture, and its part (left, top, width, height)
  RECT part = {0, 0, 0, 0};
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
};

class CTitleText : public CWindow {
 public:
  LRESULT OnPaint() override;
};

class OptionDlg : public CWindow {
 public:
  explicit OptionDlg(HWND owner);
  ~OptionDlg() override;
  LRESULT OnCommand(WPARAM wParam, LPARAM lParam) override;
  LRESULT OnClose() override;
  LRESULT OnWindowPosChanged(WINDOWPOS* position) override;
  LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result) override;
  void RunModal();
  // 0 while running, 1 OK, 2 Cancel.
  int result = 0;

 private:
  HWND owner_;
};

// The program's entry: builds the frame for `owner`, runs it, destroys it.
void ShowOptionWindow(HINSTANCE instance, HWND owner);
// The same for the program's own instance (the main panel's entry).
void ShowOptionWindow(HWND owner);

// Carries out the service and SNMP choices when the window has closed (ok: it
// closed with OK), makes the remote server take up its settings, and frees
// what the sheet held.
void ApplyServiceAndSnmpSettings(int ok);
