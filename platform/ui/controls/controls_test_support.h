// Test helpers: a parent window that records what its controls tell it
// (WM_COMMAND notifications, owner-draw requests) and lets a test answer
// WM_MEASUREITEM and WM_COMPAREITEM.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "qvplatform.h"

namespace ctltest {

struct Command {
  int id;
  int code;
  HWND from;
};

class Parent {
 public:
  Parent();
  ~Parent();
  Parent(const Parent&) = delete;
  Parent& operator=(const Parent&) = delete;

  HWND hwnd() const { return hwnd_; }
  HWND Add(const char* cls, const char* text, DWORD style, int id, RECT r = RECT{10, 10, 210, 40}, DWORD ex = 0);

  // Notification codes received from one control, in order.
  std::vector<int> Codes(int id) const;
  void Clear();

  std::vector<Command> commands;
  std::vector<DRAWITEMSTRUCT> draws;
  std::vector<MEASUREITEMSTRUCT> measures;
  std::vector<DELETEITEMSTRUCT> deletes;
  std::vector<std::pair<UINT, WPARAM>> scrolls;  // WM_HSCROLL / WM_VSCROLL and their wParam

  // Answers WM_MEASUREITEM (the struct arrives filled with the defaults).
  std::function<void(MEASUREITEMSTRUCT&)> on_measure;
  // Answers WM_COMPAREITEM.
  std::function<int(const COMPAREITEMSTRUCT&)> on_compare;
  // Answers WM_CTLCOLOR* (null: the control's own colours).
  std::function<HBRUSH(UINT msg, HDC hdc)> on_colour;
  // Runs on every WM_COMMAND after it was recorded.
  std::function<void(const Command&)> on_command;

  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);

 private:
  HWND hwnd_ = nullptr;
};

// The text a control answers to WM_GETTEXT.
std::string Text(HWND hwnd);
// A click of the left button at a client point: press and release.
void Click(HWND hwnd, int x, int y);
// Typing: one WM_CHAR for each character.
void Type(HWND hwnd, const std::string& chars);
// A key press (WM_KEYDOWN then WM_KEYUP).
void Key(HWND hwnd, UINT vk);
// What a control draws of itself (WM_PRINTCLIENT into a memory DC of its size).
qvp::PaintLog Print(HWND hwnd);

}  // namespace ctltest
