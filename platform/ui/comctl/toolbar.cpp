// The toolbar ("ToolbarWindow32"): a row of buttons with pictures from an
// image list and optional texts. A user's click on an enabled button (press
// and release over it) toggles a check button - a group's check button stays
// checked and unchecks the rest of its group - and sends WM_COMMAND with the
// button's command id to the parent; disabled and hidden buttons and
// separators take no clicks. Buttons are named by command id in the state
// messages and by index in the others, as on Windows.
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ui/comctl/comctl_classes.h"
#include "ui/comctl/comctl_common.h"
#include "ui/comctl/imagelist.h"

namespace qvp::ui::comctl {
namespace {

constexpr int kSeparator = 8;  // default separator width

struct ToolButton {
  int image = 0;
  int id = 0;
  BYTE state = 0;
  BYTE style = 0;
  DWORD_PTR data = 0;
  INT_PTR string = -1;  // index into the toolbar's strings, or -1
  std::string text;     // a text given directly instead of a string index
};

struct ToolbarState : ControlBase {
  std::vector<ToolButton> buttons;
  std::vector<std::string> strings;
  HIMAGELIST images = nullptr;
  bool own_images = false;  // made by TB_ADDBITMAP, destroyed with the toolbar
  SIZE bitmap{16, 15};
  SIZE button{0, 0};  // set by TB_SETBUTTONSIZE; 0: from the bitmap size
  size_t struct_size = sizeof(TBBUTTON);
  int pressed = -1;  // index of the button the left button went down on

  int count() const { return static_cast<int>(buttons.size()); }
  bool valid(int i) const { return i >= 0 && i < count(); }
  int IndexOf(int id) const {
    for (int i = 0; i < count(); ++i)
      if (buttons[static_cast<size_t>(i)].id == id) return i;
    return -1;
  }
};

WindowSlot<ToolbarState>& States() { return SlotOf<ToolbarState>(); }

bool IsSeparator(const ToolButton& b) { return (b.style & TBSTYLE_SEP) != 0; }

std::string Label(const ToolbarState& s, const ToolButton& b) {
  if (!b.text.empty()) return b.text;
  if (b.string >= 0 && b.string < static_cast<INT_PTR>(s.strings.size())) return s.strings[static_cast<size_t>(b.string)];
  return {};
}

bool AnyLabel(const ToolbarState& s) {
  return std::any_of(s.buttons.begin(), s.buttons.end(),
                     [&](const ToolButton& b) { return !IsSeparator(b) && !Label(s, b).empty(); });
}

SIZE ButtonSize(const ToolbarState& s) {
  SIZE size{s.bitmap.cx + 7, s.bitmap.cy + 7};
  if (AnyLabel(s)) size.cy += LineHeight(s.Font()) + 2;
  if (s.button.cx > 0) size.cx = std::max(size.cx, s.button.cx);
  if (s.button.cy > 0) size.cy = std::max(size.cy, s.button.cy);
  return size;
}

int TopMargin(const ToolbarState& s) { return (s.Style() & CCS_NODIVIDER) ? 0 : 2; }

// Button rectangles in order; hidden buttons get empty ones.
std::vector<RECT> Layout(const ToolbarState& s) {
  std::vector<RECT> out;
  const SIZE size = ButtonSize(s);
  int x = 0, y = TopMargin(s);
  for (const ToolButton& b : s.buttons) {
    if (b.state & TBSTATE_HIDDEN) {
      out.push_back(RECT{x, y, x, y});
      continue;
    }
    const int w = IsSeparator(b) ? (b.image > 0 ? b.image : kSeparator) : size.cx;
    out.push_back(RECT{x, y, x + w, y + size.cy});
    x += w;
    if (b.state & TBSTATE_WRAP) {
      x = 0;
      y += size.cy + (IsSeparator(b) ? kSeparator : 0);
    }
  }
  return out;
}

int HitButton(const ToolbarState& s, POINT p) {
  const std::vector<RECT> rects = Layout(s);
  for (int i = 0; i < s.count(); ++i) {
    const ToolButton& b = s.buttons[static_cast<size_t>(i)];
    if (!IsSeparator(b) && !(b.state & TBSTATE_HIDDEN) && Inside(rects[static_cast<size_t>(i)], p)) return i;
  }
  return -1;
}

// Places the toolbar along its parent's top (or bottom) edge at its own height.
void AutoSize(ToolbarState& s) {
  int bottom = TopMargin(s) + ButtonSize(s).cy;
  for (const RECT& r : Layout(s)) bottom = std::max<int>(bottom, r.bottom);
  PlaceAlongParent(s.self, s.Style(), bottom + 2, CCS_TOP);
}

ToolButton FromRecord(const ToolbarState& s, const TBBUTTON* rec) {
  TBBUTTON full{};
  std::memcpy(&full, rec, std::min(s.struct_size, sizeof(TBBUTTON)));
  ToolButton b;
  b.image = full.iBitmap;
  b.id = full.idCommand;
  b.state = full.fsState;
  b.style = full.fsStyle;
  b.data = full.dwData;
  // A small number indexes the toolbar's strings; anything else is a text's address.
  if (full.iString >= 0 && full.iString < 0x10000)
    b.string = full.iString;
  else if (full.iString != -1)
    b.text = TextIn(reinterpret_cast<LPCSTR>(full.iString));
  return b;
}

LRESULT AddBitmap(ToolbarState& s, const TBADDBITMAP* add) {
  if (!add || add->hInst == HINST_COMMCTRL) return -1;
  HBITMAP bmp = add->hInst ? LoadBitmapResource(add->hInst, reinterpret_cast<LPCSTR>(add->nID))
                           : reinterpret_cast<HBITMAP>(add->nID);
  if (!bmp) return -1;
  if (!s.images) {
    s.images = ImageList_Create(s.bitmap.cx, s.bitmap.cy, ILC_COLOR, 4, 4);
    s.own_images = s.images != nullptr;
  }
  const int first = s.images ? ImageList_Add(s.images, bmp, nullptr) : -1;
  if (add->hInst) DeleteObject(bmp);
  s.Repaint();
  return first;
}

LRESULT AddStrings(ToolbarState& s, WPARAM wp, LPARAM lp) {
  const int first = static_cast<int>(s.strings.size());
  if (wp) {
    // A string resource whose first character separates the texts.
    char buf[1024] = {};
    const int n = LoadStringA(reinterpret_cast<HINSTANCE>(wp), LOWORD(lp), buf, sizeof(buf));
    if (n <= 1) return -1;
    const char sep = buf[0];
    std::string cur;
    for (int i = 1; i < n; ++i) {
      if (buf[i] == sep) {
        s.strings.push_back(cur);
        cur.clear();
      } else {
        cur.push_back(buf[i]);
      }
    }
    if (!cur.empty()) s.strings.push_back(cur);
  } else {
    const char* p = reinterpret_cast<const char*>(lp);
    if (!p) return -1;
    while (*p) {
      s.strings.emplace_back(p);
      p += s.strings.back().size() + 1;
    }
  }
  s.Repaint();
  return first;
}

void SetStateBit(ToolbarState& s, int i, BYTE bit, bool on) {
  ToolButton& b = s.buttons[static_cast<size_t>(i)];
  const BYTE now = static_cast<BYTE>(on ? (b.state | bit) : (b.state & ~bit));
  if (now == b.state) return;
  b.state = now;
  s.Repaint();
}

// A user's completed click: check buttons change, then the parent is told.
void Clicked(ToolbarState& s, int i) {
  ToolButton& b = s.buttons[static_cast<size_t>(i)];
  if (b.style & TBSTYLE_CHECK) {
    if (b.style & TBSTYLE_GROUP) {
      if (!(b.state & TBSTATE_CHECKED)) {
        // The group is the run of group check buttons around this one.
        int lo = i, hi = i;
        auto in_group = [&](int k) {
          const ToolButton& o = s.buttons[static_cast<size_t>(k)];
          return (o.style & TBSTYLE_CHECKGROUP) == TBSTYLE_CHECKGROUP;
        };
        while (lo > 0 && in_group(lo - 1)) --lo;
        while (hi + 1 < s.count() && in_group(hi + 1)) ++hi;
        for (int k = lo; k <= hi; ++k) SetStateBit(s, k, TBSTATE_CHECKED, k == i);
      }
    } else {
      SetStateBit(s, i, TBSTATE_CHECKED, !(b.state & TBSTATE_CHECKED));
    }
  }
  s.Command(static_cast<WORD>(s.buttons[static_cast<size_t>(i)].id), BN_CLICKED);
}

void Paint(ToolbarState& s, HDC hdc) {
  RECT client{};
  GetClientRect(s.self, &client);
  FillSolid(hdc, client, GetSysColor(COLOR_BTNFACE));
  if (!(s.Style() & CCS_NODIVIDER)) {
    RECT line{client.left, 0, client.right, 2};
    DrawEdge(hdc, &line, EDGE_ETCHED, BF_TOP);
  }
  HGDIOBJ old_font = SelectObject(hdc, s.Font());
  SetBkMode(hdc, TRANSPARENT);
  const std::vector<RECT> rects = Layout(s);
  const bool flat = (s.Style() & TBSTYLE_FLAT) != 0;
  for (int i = 0; i < s.count(); ++i) {
    const ToolButton& b = s.buttons[static_cast<size_t>(i)];
    RECT r = rects[static_cast<size_t>(i)];
    if (b.state & TBSTATE_HIDDEN) continue;
    if (IsSeparator(b)) {
      if (flat) {
        RECT mark{(r.left + r.right) / 2 - 1, r.top, (r.left + r.right) / 2 + 1, r.bottom};
        DrawEdge(hdc, &mark, EDGE_ETCHED, BF_LEFT);
      }
      continue;
    }
    const bool down = (b.state & (TBSTATE_PRESSED | TBSTATE_CHECKED)) != 0;
    const bool enabled = (b.state & TBSTATE_ENABLED) != 0;
    if (down || !flat) DrawEdge(hdc, &r, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
    const int shift = down ? 1 : 0;
    if (s.images && b.image >= 0) {
      const int x = r.left + (r.right - r.left - s.bitmap.cx) / 2 + shift;
      ImageList_DrawEx(s.images, b.image, hdc, x, r.top + 3 + shift, 0, 0, CLR_NONE, GetSysColor(COLOR_BTNFACE),
                       enabled ? ILD_TRANSPARENT : (ILD_TRANSPARENT | ILD_BLEND50));
    }
    const std::string label = Label(s, b);
    if (!label.empty()) {
      SetTextColor(hdc, GetSysColor(enabled ? COLOR_BTNTEXT : COLOR_GRAYTEXT));
      const int top = r.top + 3 + s.bitmap.cy + 1;
      DrawLabel(hdc, label, RECT{r.left + 2 + shift, top + shift, r.right - 2 + shift, r.bottom - 2 + shift}, DT_CENTER);
    }
  }
  SelectObject(hdc, old_font);
}

LRESULT ByCommand(ToolbarState& s, WPARAM id, BYTE bit, bool on) {
  const int i = s.IndexOf(static_cast<int>(id));
  if (i < 0) return FALSE;
  SetStateBit(s, i, bit, on);
  return TRUE;
}

LRESULT Dispatch(ToolbarState& s, HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_CREATE:
      s.Attach(hwnd, reinterpret_cast<const CREATESTRUCTA*>(lp));
      AutoSize(s);
      return 0;
    case WM_SETFONT:
    case WM_GETFONT:
    case WM_ERASEBKGND:
      return s.Common(hwnd, msg, wp, lp);
    case WM_PAINT:
    case WM_PRINTCLIENT:
      return PaintClient(hwnd, msg, wp, [&](HDC hdc) { Paint(s, hdc); });
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      const int i = HitButton(s, PointOf(lp));
      if (i < 0 || !(s.buttons[static_cast<size_t>(i)].state & TBSTATE_ENABLED)) return 0;
      s.pressed = i;
      SetStateBit(s, i, TBSTATE_PRESSED, true);
      SetCapture(hwnd);
      return 0;
    }
    case WM_LBUTTONUP: {
      const int i = s.pressed;
      if (i < 0) return 0;
      s.pressed = -1;
      if (GetCapture() == hwnd) ReleaseCapture();
      if (!s.valid(i)) return 0;
      SetStateBit(s, i, TBSTATE_PRESSED, false);
      if (HitButton(s, PointOf(lp)) == i && (s.buttons[static_cast<size_t>(i)].state & TBSTATE_ENABLED)) Clicked(s, i);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (s.valid(s.pressed)) SetStateBit(s, s.pressed, TBSTATE_PRESSED, false);
      s.pressed = -1;
      return 0;

    case TB_BUTTONSTRUCTSIZE:
      s.struct_size = std::clamp<size_t>(static_cast<size_t>(wp), 1, sizeof(TBBUTTON));
      return 0;
    case TB_ADDBITMAP:
      return AddBitmap(s, reinterpret_cast<const TBADDBITMAP*>(lp));
    case TB_ADDSTRINGA:
      return AddStrings(s, wp, lp);
    case TB_ADDBUTTONSA:
    case TB_INSERTBUTTONA: {
      const auto* rec = reinterpret_cast<const BYTE*>(lp);
      if (!rec) return FALSE;
      const bool insert = msg == TB_INSERTBUTTONA;
      const size_t n = insert ? 1 : static_cast<size_t>(wp);
      size_t at = insert ? std::min(static_cast<size_t>(wp), s.buttons.size()) : s.buttons.size();
      if (insert && static_cast<int>(wp) < 0) at = s.buttons.size();
      for (size_t k = 0; k < n; ++k) {
        ToolButton b = FromRecord(s, reinterpret_cast<const TBBUTTON*>(rec + k * s.struct_size));
        s.buttons.insert(s.buttons.begin() + static_cast<std::ptrdiff_t>(at + k), std::move(b));
      }
      s.Repaint();
      return TRUE;
    }
    case TB_DELETEBUTTON: {
      const int i = static_cast<int>(wp);
      if (!s.valid(i)) return FALSE;
      s.buttons.erase(s.buttons.begin() + i);
      FollowErase(s.pressed, i);
      s.Repaint();
      return TRUE;
    }
    case TB_GETBUTTON: {
      auto* out = reinterpret_cast<TBBUTTON*>(lp);
      const int i = static_cast<int>(wp);
      if (!out || !s.valid(i)) return FALSE;
      const ToolButton& b = s.buttons[static_cast<size_t>(i)];
      TBBUTTON full{};
      full.iBitmap = b.image;
      full.idCommand = b.id;
      full.fsState = b.state;
      full.fsStyle = b.style;
      full.dwData = b.data;
      full.iString = b.string;
      std::memcpy(out, &full, std::min(s.struct_size, sizeof(TBBUTTON)));
      return TRUE;
    }
    case TB_BUTTONCOUNT:
      return s.count();
    case TB_COMMANDTOINDEX:
      return s.IndexOf(static_cast<int>(wp));
    case TB_ENABLEBUTTON:
      return ByCommand(s, wp, TBSTATE_ENABLED, LOWORD(lp) != 0);
    case TB_CHECKBUTTON:
      return ByCommand(s, wp, TBSTATE_CHECKED, LOWORD(lp) != 0);
    case TB_PRESSBUTTON:
      return ByCommand(s, wp, TBSTATE_PRESSED, LOWORD(lp) != 0);
    case TB_HIDEBUTTON:
      return ByCommand(s, wp, TBSTATE_HIDDEN, LOWORD(lp) != 0);
    case TB_INDETERMINATE:
      return ByCommand(s, wp, TBSTATE_INDETERMINATE, LOWORD(lp) != 0);
    case TB_ISBUTTONENABLED:
    case TB_ISBUTTONCHECKED:
    case TB_ISBUTTONPRESSED:
    case TB_ISBUTTONHIDDEN:
    case TB_ISBUTTONINDETERMINATE: {
      const int i = s.IndexOf(static_cast<int>(wp));
      if (i < 0) return 0;
      const BYTE bit = msg == TB_ISBUTTONENABLED ? TBSTATE_ENABLED
                       : msg == TB_ISBUTTONCHECKED ? TBSTATE_CHECKED
                       : msg == TB_ISBUTTONPRESSED ? TBSTATE_PRESSED
                       : msg == TB_ISBUTTONHIDDEN ? TBSTATE_HIDDEN
                                                  : TBSTATE_INDETERMINATE;
      return (s.buttons[static_cast<size_t>(i)].state & bit) ? TRUE : FALSE;
    }
    case TB_SETSTATE: {
      const int i = s.IndexOf(static_cast<int>(wp));
      if (i < 0) return FALSE;
      s.buttons[static_cast<size_t>(i)].state = static_cast<BYTE>(LOWORD(lp));
      s.Repaint();
      return TRUE;
    }
    case TB_GETSTATE: {
      const int i = s.IndexOf(static_cast<int>(wp));
      return i < 0 ? -1 : s.buttons[static_cast<size_t>(i)].state;
    }
    case TB_SETBUTTONSIZE:
      s.button = SIZE{static_cast<SHORT>(LOWORD(lp)), static_cast<SHORT>(HIWORD(lp))};
      s.Repaint();
      return TRUE;
    case TB_GETBUTTONSIZE: {
      const SIZE size = ButtonSize(s);
      return MAKELONG(static_cast<WORD>(size.cx), static_cast<WORD>(size.cy));
    }
    case TB_SETBITMAPSIZE:
      s.bitmap = SIZE{std::max<SHORT>(1, static_cast<SHORT>(LOWORD(lp))), std::max<SHORT>(1, static_cast<SHORT>(HIWORD(lp)))};
      s.Repaint();
      return TRUE;
    case TB_AUTOSIZE:
      AutoSize(s);
      return 0;
    case TB_GETITEMRECT:
    case TB_GETRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      const int i = msg == TB_GETRECT ? s.IndexOf(static_cast<int>(wp)) : static_cast<int>(wp);
      if (!r || !s.valid(i) || (s.buttons[static_cast<size_t>(i)].state & TBSTATE_HIDDEN)) return FALSE;
      *r = Layout(s)[static_cast<size_t>(i)];
      return TRUE;
    }
    case TB_SETIMAGELIST: {
      HIMAGELIST old = s.images;
      s.images = reinterpret_cast<HIMAGELIST>(lp);
      if (s.own_images && old) {
        ImageList_Destroy(old);
        old = nullptr;
      }
      s.own_images = false;
      int cx = 0, cy = 0;
      if (s.images && ImageList_GetIconSize(s.images, &cx, &cy)) s.bitmap = SIZE{cx, cy};
      s.Repaint();
      return reinterpret_cast<LRESULT>(old);
    }
    case TB_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(s.images);
    case TB_SETPARENT: {
      const HWND old = s.notify;
      s.notify = reinterpret_cast<HWND>(wp);
      return reinterpret_cast<LRESULT>(old);
    }
    default:
      return DefWindowProcA(hwnd, msg, wp, lp);
  }
}

}  // namespace

LRESULT CALLBACK ToolbarWndProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  return RunCommonControl(States(), hwnd, msg, wp, lp, Dispatch, [](ToolbarState& s) {
    if (s.own_images && s.images) ImageList_Destroy(s.images);
  });
}

}  // namespace qvp::ui::comctl
