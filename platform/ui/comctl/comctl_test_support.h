// Test helpers: a parent window that records what its common controls tell it
// (WM_NOTIFY records, WM_COMMAND, owner-draw requests, scroll messages) and
// lets a test answer notifications; and a user's mouse and keys.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "qvplatform.h"

namespace cctest {

// One WM_NOTIFY as the parent received it, with the parts of the record the
// tests look at copied out.
struct Note {
  HWND from = nullptr;
  UINT_PTR id = 0;
  UINT code = 0;
  NMLISTVIEW lv{};     // list view notifications (NM_CLICK and the like carry the same fields)
  NMTREEVIEWA tv{};    // tree view notifications
  NMUPDOWN ud{};       // UDN_DELTAPOS
  int header_item = -1;  // HDN_* item
  WORD key = 0;        // LVN_KEYDOWN, TVN_KEYDOWN, TCN_KEYDOWN
  std::string text;    // TVN_* itemNew text when it was given
};

class Parent {
 public:
  Parent();
  ~Parent();
  Parent(const Parent&) = delete;
  Parent& operator=(const Parent&) = delete;

  HWND hwnd() const { return hwnd_; }
  HWND Add(const char* cls, DWORD style, int id, RECT r = RECT{0, 0, 300, 200}, const char* text = "",
           DWORD ex_style = 0);

  // Notification codes received, in order; with `from`, only those of one control.
  std::vector<UINT> Codes(HWND from = nullptr) const;
  // The notifications with one code.
  std::vector<Note> Of(UINT code) const;
  // Forgets what was received (measure requests are kept: they come with creation).
  void Clear();

  std::vector<Note> notes;
  std::vector<std::pair<WORD, WORD>> commands;  // WM_COMMAND: id, code
  std::vector<DRAWITEMSTRUCT> draws;
  std::vector<MEASUREITEMSTRUCT> measures;
  std::vector<std::pair<UINT, WPARAM>> scrolls;  // WM_HSCROLL / WM_VSCROLL and their wParam
  int context_menus = 0;

  // Answers WM_NOTIFY (after it was recorded); 0 when unset.
  std::function<LRESULT(NMHDR*)> on_notify;
  // Answers WM_MEASUREITEM (the record arrives filled with the control's default).
  std::function<void(MEASUREITEMSTRUCT&)> on_measure;
  // Runs on WM_DRAWITEM after it was recorded.
  std::function<void(const DRAWITEMSTRUCT&)> on_draw;

  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);

 private:
  HWND hwnd_ = nullptr;
};

// A user's left click at a client point: press and release.
void Click(HWND hwnd, int x, int y);
// A double click as Windows delivers it: press, release, double-click press, release.
void DoubleClick(HWND hwnd, int x, int y);
void RightClick(HWND hwnd, int x, int y);
// A key press (WM_KEYDOWN then WM_KEYUP).
void Key(HWND hwnd, UINT vk);
// Holds a modifier (VK_CONTROL, VK_SHIFT) down or lets it go, as the thread's key state sees it.
void Hold(UINT vk, bool down);
// The centre of a rectangle.
POINT Centre(const RECT& r);
// The text a window answers to WM_GETTEXT.
std::string Text(HWND hwnd);
// Paints the window now and returns the texts it drew, in order.
std::vector<std::string> PaintedTexts(HWND hwnd);

}  // namespace cctest
