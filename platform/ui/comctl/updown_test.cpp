// Up-down control: ranges and positions, a user's arrows with and without a
// buddy, UDN_DELTAPOS answers, wrapping, the buddy's text and placement.
#include <gtest/gtest.h>

#include "comctl_test_support.h"

namespace {

using cctest::Parent;

constexpr int kEdit = 20158;
constexpr int kSpin = 20157;

// A window class that keeps its text, standing in for an edit box.
class TextBox {
 public:
  TextBox() {
    WNDCLASSA wc{};
    wc.lpfnWndProc = DefWindowProcA;
    wc.lpszClassName = "UpDownTestText";
    RegisterClassA(&wc);
  }
  ~TextBox() { UnregisterClassA("UpDownTestText", nullptr); }
  HWND Make(HWND parent, RECT r, DWORD style = WS_BORDER) {
    return CreateWindowExA(0, "UpDownTestText", "", WS_CHILD | WS_VISIBLE | style, r.left, r.top, r.right - r.left,
                           r.bottom - r.top, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(kEdit)), nullptr,
                           nullptr);
  }
};

class UpDownTest : public ::testing::Test {
 protected:
  // Clicks the upper (or right) arrow, or the other one.
  void Arrow(HWND ud, bool up) {
    RECT r{};
    GetClientRect(ud, &r);
    const bool horizontal = (GetWindowLongPtrA(ud, GWL_STYLE) & UDS_HORZ) != 0;
    const int x = horizontal ? (up ? r.right * 3 / 4 : r.right / 4) : r.right / 2;
    const int y = horizontal ? r.bottom / 2 : (up ? r.bottom / 4 : r.bottom * 3 / 4);
    cctest::Click(ud, x, y);
  }
  int Pos(HWND ud) { return static_cast<SHORT>(LOWORD(SendMessageA(ud, UDM_GETPOS, 0, 0))); }
  TextBox boxes;
  Parent parent;
};

TEST_F(UpDownTest, DefaultRangeStepsDownWithTheUpperArrow) {
  // No buddy, as the alert pages use them: only UDN_DELTAPOS matters.
  HWND ud = parent.Add(UPDOWN_CLASSA, 0, kSpin, RECT{0, 0, 16, 24});
  EXPECT_EQ(SendMessageA(ud, UDM_GETRANGE, 0, 0), MAKELONG(0, 100));  // maximum 0, minimum 100
  EXPECT_EQ(SendMessageA(ud, UDM_GETBUDDY, 0, 0), 0);
  // Without a buddy there is no text to read the position from.
  EXPECT_NE(HIWORD(SendMessageA(ud, UDM_GETPOS, 0, 0)), 0);

  Arrow(ud, true);
  ASSERT_EQ(parent.Of(UDN_DELTAPOS).size(), 1u);
  EXPECT_EQ(parent.Of(UDN_DELTAPOS)[0].ud.iDelta, -1);
  EXPECT_EQ(parent.Of(UDN_DELTAPOS)[0].ud.iPos, 0);
  EXPECT_EQ(parent.Of(UDN_DELTAPOS)[0].id, static_cast<UINT_PTR>(kSpin));
  Arrow(ud, false);
  EXPECT_EQ(parent.Of(UDN_DELTAPOS)[1].ud.iDelta, 1);
  EXPECT_EQ(LOWORD(SendMessageA(ud, UDM_GETPOS, 0, 0)), 1);
  // Each click ends with WM_VSCROLL: the position, then the end of scrolling.
  ASSERT_EQ(parent.scrolls.size(), 4u);
  EXPECT_EQ(parent.scrolls[0].first, static_cast<UINT>(WM_VSCROLL));
  EXPECT_EQ(LOWORD(parent.scrolls[0].second), SB_THUMBPOSITION);
  EXPECT_EQ(LOWORD(parent.scrolls[1].second), SB_ENDSCROLL);
  EXPECT_EQ(LOWORD(parent.scrolls[2].second), SB_THUMBPOSITION);
  EXPECT_EQ(HIWORD(parent.scrolls[2].second), 1);
}

TEST_F(UpDownTest, RangesAndPositionsFromCode) {
  HWND ud = parent.Add(UPDOWN_CLASSA, 0, kSpin, RECT{0, 0, 16, 24});
  SendMessageA(ud, UDM_SETRANGE, 0, MAKELPARAM(50, 5));  // maximum 50, minimum 5
  EXPECT_EQ(SendMessageA(ud, UDM_GETRANGE, 0, 0), MAKELONG(50, 5));
  EXPECT_EQ(SendMessageA(ud, UDM_SETPOS, 0, MAKELPARAM(20, 0)), 5);  // clamped into the range already
  EXPECT_EQ(SendMessageA(ud, UDM_SETPOS, 0, MAKELPARAM(99, 0)), 20);
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 50);
  SendMessageA(ud, UDM_SETRANGE32, static_cast<WPARAM>(-100000), 100000);
  int lo = 0, hi = 0;
  SendMessageA(ud, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lo), reinterpret_cast<LPARAM>(&hi));
  EXPECT_EQ(lo, -100000);
  EXPECT_EQ(hi, 100000);
  EXPECT_EQ(SendMessageA(ud, UDM_SETPOS32, 0, -70000), 50);
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), -70000);
  EXPECT_EQ(SendMessageA(ud, UDM_SETBASE, 16, 0), 10);
  EXPECT_EQ(SendMessageA(ud, UDM_SETBASE, 7, 0), 0);
  EXPECT_EQ(SendMessageA(ud, UDM_GETBASE, 0, 0), 16);
  EXPECT_TRUE(parent.notes.empty());
  EXPECT_TRUE(parent.scrolls.empty());
}

TEST_F(UpDownTest, BuddyShowsAndFeedsThePosition) {
  HWND edit = boxes.Make(parent.hwnd(), RECT{10, 10, 110, 30});
  HWND ud = parent.Add(UPDOWN_CLASSA, UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_AUTOBUDDY | UDS_ARROWKEYS, kSpin,
                       RECT{0, 0, 16, 0});
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(ud, UDM_GETBUDDY, 0, 0)), edit);
  SendMessageA(ud, UDM_SETRANGE, 0, MAKELPARAM(5000, 0));
  EXPECT_EQ(SendMessageA(ud, UDM_SETPOS, 0, MAKELPARAM(1234, 0)), 0);
  EXPECT_EQ(cctest::Text(edit), "1,234");  // thousands separated
  SendMessageA(ud, UDM_SETRANGE32, static_cast<WPARAM>(-2000000), 2000000);
  SendMessageA(ud, UDM_SETPOS32, 0, -1234567);
  EXPECT_EQ(cctest::Text(edit), "-1,234,567");
  SendMessageA(ud, UDM_SETPOS32, 0, 999);
  EXPECT_EQ(cctest::Text(edit), "999");
  SendMessageA(ud, UDM_SETBASE, 16, 0);
  EXPECT_EQ(cctest::Text(edit), "0x3E7");
  SetWindowTextA(edit, "0x1f");
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 31);
  SendMessageA(ud, UDM_SETBASE, 10, 0);
  SendMessageA(ud, UDM_SETRANGE, 0, MAKELPARAM(5000, 0));
  SendMessageA(ud, UDM_SETPOS, 0, MAKELPARAM(1234, 0));

  // Placed at the buddy's right edge, the buddy narrower by the control's width (less the shared border).
  RECT e{}, u{};
  GetWindowRect(edit, &e);
  GetWindowRect(ud, &u);
  EXPECT_EQ(e.right - e.left, 100 - 16 + 2);
  EXPECT_EQ(u.left, e.right - 2);
  EXPECT_EQ(u.top, e.top);
  EXPECT_EQ(u.bottom - u.top, 20);

  // Typed text is read back; a bad or out-of-range text is an error and keeps the position.
  SetWindowTextA(edit, "42");
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS, 0, 0), MAKELONG(42, 0));
  SetWindowTextA(edit, "4x2");
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS, 0, 0), MAKELONG(42, 1));
  SetWindowTextA(edit, "9999");
  BOOL error = FALSE;
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, reinterpret_cast<LPARAM>(&error)), 42);
  EXPECT_TRUE(error);

  // A click starts from the text the user typed.
  SetWindowTextA(edit, "2,000");
  Arrow(ud, true);
  EXPECT_EQ(cctest::Text(edit), "2,001");
  // The buddy's arrow keys step too.
  cctest::Key(edit, VK_DOWN);
  cctest::Key(edit, VK_DOWN);
  EXPECT_EQ(cctest::Text(edit), "1,999");
  EXPECT_EQ(parent.Of(UDN_DELTAPOS).size(), 3u);
}

TEST_F(UpDownTest, DeltaPosAnswersCancelOrChangeTheStep) {
  HWND edit = boxes.Make(parent.hwnd(), RECT{10, 10, 110, 30});
  HWND ud = parent.Add(UPDOWN_CLASSA, UDS_SETBUDDYINT | UDS_NOTHOUSANDS, kSpin, RECT{120, 10, 136, 30});
  SendMessageA(ud, UDM_SETBUDDY, reinterpret_cast<WPARAM>(edit), 0);
  SendMessageA(ud, UDM_SETRANGE32, 0, 20000);
  SendMessageA(ud, UDM_SETPOS32, 0, 10000);
  EXPECT_EQ(cctest::Text(edit), "10000");

  parent.on_notify = [](NMHDR* h) -> LRESULT { return h->code == UDN_DELTAPOS ? TRUE : 0; };
  Arrow(ud, true);
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 10000);
  EXPECT_EQ(cctest::Text(edit), "10000");
  // A cancelled step scrolls nothing; only the release is reported.
  ASSERT_EQ(parent.scrolls.size(), 1u);
  EXPECT_EQ(LOWORD(parent.scrolls[0].second), SB_ENDSCROLL);

  parent.on_notify = [](NMHDR* h) -> LRESULT {
    if (h->code == UDN_DELTAPOS) reinterpret_cast<NMUPDOWN*>(h)->iDelta = 250;
    return 0;
  };
  Arrow(ud, false);
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 10250);
  EXPECT_EQ(cctest::Text(edit), "10250");
}

TEST_F(UpDownTest, LimitsStopUnlessTheControlWraps) {
  HWND ud = parent.Add(UPDOWN_CLASSA, 0, kSpin, RECT{0, 0, 16, 24});
  SendMessageA(ud, UDM_SETRANGE32, 1, 3);
  SendMessageA(ud, UDM_SETPOS32, 0, 3);
  Arrow(ud, true);
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 3);
  EXPECT_EQ(parent.Of(UDN_DELTAPOS).size(), 1u);  // asked even at the end
  DestroyWindow(ud);

  ud = parent.Add(UPDOWN_CLASSA, UDS_WRAP | UDS_HORZ, kSpin, RECT{0, 0, 32, 16});
  SendMessageA(ud, UDM_SETRANGE32, 1, 3);
  SendMessageA(ud, UDM_SETPOS32, 0, 3);
  parent.Clear();
  Arrow(ud, true);  // the right arrow
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 1);
  Arrow(ud, false);
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 3);
  ASSERT_FALSE(parent.scrolls.empty());
  EXPECT_EQ(parent.scrolls[0].first, static_cast<UINT>(WM_HSCROLL));

  // A disabled control ignores clicks.
  EnableWindow(ud, FALSE);
  parent.Clear();
  Arrow(ud, true);
  EXPECT_TRUE(parent.notes.empty());
  EXPECT_EQ(SendMessageA(ud, UDM_GETPOS32, 0, 0), 3);
}

TEST_F(UpDownTest, BuddyGoneOrChangedLeavesNoHookBehind) {
  HWND a = boxes.Make(parent.hwnd(), RECT{10, 10, 110, 30});
  HWND b = boxes.Make(parent.hwnd(), RECT{10, 40, 110, 60});
  HWND ud = parent.Add(UPDOWN_CLASSA, UDS_SETBUDDYINT | UDS_ARROWKEYS, kSpin, RECT{120, 10, 136, 30});
  const LONG_PTR plain = GetWindowLongPtrA(a, GWL_WNDPROC);
  SendMessageA(ud, UDM_SETBUDDY, reinterpret_cast<WPARAM>(a), 0);
  EXPECT_NE(GetWindowLongPtrA(a, GWL_WNDPROC), plain);
  EXPECT_EQ(reinterpret_cast<HWND>(SendMessageA(ud, UDM_SETBUDDY, reinterpret_cast<WPARAM>(b), 0)), a);
  EXPECT_EQ(GetWindowLongPtrA(a, GWL_WNDPROC), plain);
  cctest::Key(a, VK_UP);  // no longer the control's buddy
  EXPECT_TRUE(parent.Of(UDN_DELTAPOS).empty());
  DestroyWindow(b);
  EXPECT_EQ(SendMessageA(ud, UDM_GETBUDDY, 0, 0), 0);
  Arrow(ud, true);  // still works without one
  EXPECT_EQ(parent.Of(UDN_DELTAPOS).size(), 1u);
  DestroyWindow(ud);
}

}  // namespace
