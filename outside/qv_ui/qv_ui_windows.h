// Window classes of the user-interface library: a C++ window whose messages
// reach virtual handlers, a bitmap button, a one-column toolbar of such
// buttons, a coolbar of named bands, and the helpers of frames that hold
// property sheets and dialog pictures.
#pragma once

#include <string>
#include <vector>

#include "qvplatform.h"

#define QVUI_CLASS __attribute__((visibility("default")))

// A window of the library's own class (or any other class) whose messages go
// to the virtual handlers below. A handler answers non-zero when it handled the
// message (the window procedure then answers 0, or 1 for WM_ERASEBKGND and
// WM_PAINT), 0 to leave it to DefWindowProc. The object owns its window:
// destroying the object destroys the window, and the window's end leaves the
// object without a window.
class QVUI_CLASS CWindow {
 public:
  CWindow();
  virtual ~CWindow();
  CWindow(const CWindow&) = delete;
  CWindow& operator=(const CWindow&) = delete;

  // Lays out the children in the client area; the base does nothing.
  virtual void Layout();
  // The size the window would like; the base answers its current size.
  virtual SIZE GetPreferedLayoutSize();
  virtual LRESULT OnCommand(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnSysCommand(WPARAM wParam, LPARAM lParam);
  virtual LRESULT OnDestroy();
  virtual LRESULT OnClose();
  virtual LRESULT OnSize(WPARAM wParam, int width, int height);
  virtual LRESULT OnContextMenu(HWND window, int x, int y);
  virtual LRESULT OnLButtonDown(WPARAM keys, int x, int y);
  virtual LRESULT OnLButtonUp(WPARAM keys, int x, int y);
  virtual LRESULT OnLButtonDblClk(WPARAM keys, int x, int y);
  virtual LRESULT OnRButtonDown(WPARAM keys, int x, int y);
  virtual LRESULT OnRButtonUp(WPARAM keys, int x, int y);
  virtual LRESULT OnMouseMove(WPARAM keys, int x, int y);
  virtual LRESULT OnTimer(WPARAM id);
  virtual LRESULT OnPaint();
  virtual LRESULT OnNotify(WPARAM id, NMHDR* header);
  virtual LRESULT OnMove(int x, int y);
  virtual LRESULT OnWindowPosChanged(WINDOWPOS* position);
  // Every other message; *result is the answer when it returns non-zero.
  virtual LRESULT OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* result);
  virtual LRESULT OnEraseBackground(HDC dc);
  virtual LRESULT OnHorzScroll(WPARAM wParam, HWND bar);
  virtual LRESULT OnVertScroll(WPARAM wParam, HWND bar);

  // Makes the window; a null class name takes the library's own class
  // (ClassName()), registered on first use for `instance`.
  HWND Create(DWORD exStyle, const char* className, const char* text, DWORD style, int x, int y, int width,
              int height, HWND parent, HMENU menuOrId);
  HWND Window() const { return m_hWnd; }
  void MoveTo(int x, int y, int width, int height);

  // The instance the windows of the library's class are made for.
  static HINSTANCE s_instance;
  static const char* ClassName();
  // The window procedure of every CWindow; classes of the caller's own may
  // use it too (their windows find their object as the creation parameter).
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // The object of a window made by Create; null for any other window.
  static CWindow* FromWindow(HWND window);

 protected:
  HWND m_hWnd = nullptr;
};

// A button showing a part of a bitmap above its label. A click calls its
// OnCommand with its own id.
class QVUI_CLASS CBitmapButton : public CWindow {
 public:
  HWND CreateButton(HWND parent, int id, const char* label);
  // The part (left, top, width, height) of `bitmap` to show; the caller keeps
  // the bitmap.
  void SetBitmap(HBITMAP bitmap, int left, int top, int width, int height);
  virtual void Draw(HDC dc);
  LRESULT OnPaint() override;
  LRESULT OnLButtonDown(WPARAM keys, int x, int y) override;
  LRESULT OnLButtonUp(WPARAM keys, int x, int y) override;
  SIZE GetPreferedLayoutSize() override;

 protected:
  HBITMAP m_bitmap = nullptr;
  RECT m_part = {0, 0, 0, 0};
  bool m_pressed = false;
};

// Buttons in rows of a given number of columns; it does not own them.
class QVUI_CLASS CToolbar : public CWindow {
 public:
  HWND CreateToolbar(HWND parent);
  // Setting 1: the number of columns (at least 1).
  void SetSetting(int setting, int value);
  void AddButton(CBitmapButton* button);
  const std::vector<CBitmapButton*>& Buttons() const { return m_buttons; }
  virtual void Draw(HDC dc);
  void Layout() override;
  LRESULT OnPaint() override;

 private:
  std::vector<CBitmapButton*> m_buttons;
  int m_columns = 1;
};

// Bands, each a named child window stacked from the top; it does not own them.
class QVUI_CLASS CCoolbar : public CWindow {
 public:
  HWND CreateCoolbar(HWND parent);
  void AddBand(const char* name, CWindow* child);
  void Layout() override;

 private:
  struct Band {
    std::string name;
    CWindow* child;
  };
  std::vector<Band> m_bands;
};

// Offers a message to the property sheet `sheet` (PSM_ISDIALOGMESSAGE); TRUE
// when the sheet took it. FALSE for no window or a window that is no sheet.
QV_API BOOL IsPropertySheetMessage(HWND sheet, MSG* message);

// Draws `bitmap` at (x, y) of `dc` leaving out its pixels of colour `transparent`.
QV_API void QVUI_DrawTransparentBitmap(HDC dc, HBITMAP bitmap, int x, int y, COLORREF transparent);

// The dialog picture: the library's bitmap `bitmapId` of `instance` drawn into
// control `controlId` of `dialog` (kept per dialog until QVUI_DestroyDlgBmp).
QV_API BOOL QVUI_DisplayDlgBmp(HWND dialog, int controlId, UINT bitmapId, HINSTANCE instance);
QV_API void QVUI_DestroyDlgBmp(HWND dialog);
