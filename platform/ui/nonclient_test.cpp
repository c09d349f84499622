// The non-client area: painted only with raster output on, in the classic look;
// caption buttons hit-tested and clicked; the hooks of what shows the windows.
#include <gtest/gtest.h>

#include <vector>

#include "gdi/window_dc.h"
#include "qvplatform/display.h"
#include "qvplatform/ui_menus.h"
#include "ui/nonclient.h"
#include "ui_test_support.h"

namespace {

using uitest::Recorder;

constexpr COLORREF kNavy = RGB(0, 0, 128), kGrey = RGB(128, 128, 128), kFace = RGB(192, 192, 192),
                   kWhite = RGB(255, 255, 255), kBlack = RGB(0, 0, 0);

// The frame surface of a window, as composed pictures use it.
struct Frame {
  int width = 0, height = 0;
  std::vector<uint32_t> px;
  explicit Frame(HWND hwnd) {
    RECT r;
    GetWindowRect(hwnd, &r);
    width = r.right - r.left;
    height = r.bottom - r.top;
    px.assign(static_cast<size_t>(width) * static_cast<size_t>(height), 0x00FF00FF);
    qvp::CopyWindowPixels(hwnd, true, SIZE{width, height}, px.data(), width, height, POINT{0, 0},
                          RECT{0, 0, width, height});
  }
  COLORREF At(int x, int y) const {
    uint32_t v = px[static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)];
    return RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
  }
  int Count(RECT r, COLORREF c) const {
    int n = 0;
    for (int y = r.top; y < r.bottom; ++y)
      for (int x = r.left; x < r.right; ++x) n += At(x, y) == c;
    return n;
  }
};

class NonClient : public ::testing::Test {
 protected:
  void SetUp() override {
    saved_ = qvp::ui::SetShowHooks(qvp::ui::ShowHooks{});
    qvp::ui::SetShowHooks(saved_);
  }
  void TearDown() override {
    qvp::SetRasterText(false);
    qvp::ui::SetShowHooks(saved_);
  }
  qvp::ui::ShowHooks saved_;
  Recorder rec_{"NonClientTest"};
};

constexpr DWORD kMainStyle = WS_OVERLAPPEDWINDOW | WS_VSCROLL;

TEST_F(NonClient, HeadlessWindowsGetNoNonClientPainting) {
  HWND w = rec_.Create(kMainStyle | WS_VISIBLE);
  UpdateWindow(w);
  uitest::PumpPending();
  EXPECT_TRUE(rec_.Of(w, {WM_NCPAINT}).empty());
  EXPECT_TRUE(rec_.Of(w, {WM_PAINT}).size() >= 1);
  // Nothing was drawn on the frame surface either.
  std::vector<uint32_t> px(4, 7);
  EXPECT_FALSE(qvp::CopyWindowPixels(w, true, SIZE{2, 2}, px.data(), 2, 2, POINT{0, 0}, RECT{0, 0, 2, 2}));
}

TEST_F(NonClient, WithRasterOutputBeginPaintPaintsTheFrameFirst) {
  qvp::SetRasterText(true);
  HWND w = rec_.Create(kMainStyle | WS_VISIBLE);
  HWND plain = rec_.Create(WS_CHILD | WS_VISIBLE, w, 1, 0, "", RECT{0, 0, 20, 20});
  UpdateWindow(w);
  UpdateWindow(plain);
  std::vector<UINT> order = rec_.Of(w, {WM_NCPAINT, WM_ERASEBKGND, WM_PAINT});
  ASSERT_GE(order.size(), 3u);
  EXPECT_EQ(order[0], static_cast<UINT>(WM_PAINT));
  EXPECT_EQ(order[1], static_cast<UINT>(WM_NCPAINT));
  EXPECT_EQ(order[2], static_cast<UINT>(WM_ERASEBKGND));
  EXPECT_TRUE(rec_.Of(plain, {WM_NCPAINT}).empty());  // nothing outside its client area

  Frame f(w);
  const int b = GetSystemMetrics(SM_CXFRAME), cap = GetSystemMetrics(SM_CYCAPTION);
  // Raised sizing frame: light outside, white inside at the top left; black outside at the bottom right.
  EXPECT_EQ(f.At(20, 0), kFace);
  EXPECT_EQ(f.At(20, 1), kWhite);
  EXPECT_EQ(f.At(20, f.height - 1), kBlack);
  EXPECT_EQ(f.At(20, f.height - 2), kGrey);
  // The active caption bar, then the three buttons at its right end.
  EXPECT_EQ(f.At(b + 40, b + 2), kNavy);
  const int right = f.width - b - 2, mid = b + cap / 2;
  EXPECT_EQ(f.At(right - 1, mid), kBlack);       // the close button's dark edge
  EXPECT_EQ(f.At(right - 8, b + 3), kWhite);     // its light top edge, inside the outer one
  EXPECT_GT(f.Count(RECT{right - 16, b + 2, right, b + cap - 3}, kBlack), 12);  // the X
  EXPECT_GT(f.Count(RECT{right - 16 - 2 - 32, b + 2, right - 16 - 2, b + cap - 3}, kFace), 150);  // max, min
  // The vertical scroll bar beside the client area: arrow buttons at both ends.
  RECT client;
  GetClientRect(w, &client);
  POINT o{0, 0};
  ClientToScreen(w, &o);
  RECT wr;
  GetWindowRect(w, &wr);
  const int bar_left = o.x - wr.left + client.right, top = o.y - wr.top, bottom = top + client.bottom;
  EXPECT_EQ(f.At(bar_left + 8, top), kFace);
  EXPECT_GT(f.Count(RECT{bar_left, top, bar_left + 16, top + 16}, kBlack), 5);
  EXPECT_GT(f.Count(RECT{bar_left, bottom - 16, bar_left + 16, bottom}, kBlack), 5);

  // Another window active: the caption turns grey at once (WM_NCACTIVATE).
  HWND other = rec_.Create(WS_POPUP | WS_VISIBLE, nullptr, 0, 0, "", RECT{500, 500, 520, 520});
  SetActiveWindow(other);
  EXPECT_EQ(Frame(w).At(b + 40, b + 2), kGrey);
  SetActiveWindow(w);
  EXPECT_EQ(Frame(w).At(b + 40, b + 2), kNavy);
}

TEST_F(NonClient, BordersAndClientEdgesOfChildren) {
  qvp::SetRasterText(true);
  HWND parent = rec_.Create(WS_POPUP | WS_VISIBLE);
  HWND bordered = rec_.Create(WS_CHILD | WS_VISIBLE | WS_BORDER, parent, 1, 0, "", RECT{0, 0, 30, 30});
  HWND sunken = rec_.Create(WS_CHILD | WS_VISIBLE, parent, 2, WS_EX_CLIENTEDGE, "", RECT{40, 0, 70, 30});
  UpdateWindow(bordered);
  UpdateWindow(sunken);
  Frame fb(bordered);
  EXPECT_EQ(fb.At(10, 0), kBlack);
  EXPECT_EQ(fb.At(29, 10), kBlack);
  Frame fs(sunken);
  EXPECT_EQ(fs.At(10, 0), kGrey);   // outer shadow
  EXPECT_EQ(fs.At(10, 1), kBlack);  // inner dark shadow
  EXPECT_EQ(fs.At(10, 29), kWhite);
  EXPECT_EQ(fs.At(10, 28), kFace);
}

TEST_F(NonClient, CaptionButtonsHitTestAndClick) {
  HWND w = rec_.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, 0, "Clicks", RECT{100, 100, 400, 300});
  const int b = GetSystemMetrics(SM_CXFRAME), cap = GetSystemMetrics(SM_CYCAPTION);
  const int y = 100 + b + cap / 2, close_x = 400 - b - 2 - 8, max_x = close_x - 18, min_x = max_x - 16;
  auto hit = [&](int x, int yy) { return SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(x, yy)); };
  EXPECT_EQ(hit(close_x, y), HTCLOSE);
  EXPECT_EQ(hit(max_x, y), HTMAXBUTTON);
  EXPECT_EQ(hit(min_x, y), HTMINBUTTON);
  EXPECT_EQ(hit(200, y), HTCAPTION);
  EXPECT_EQ(hit(200, 200), HTCLIENT);

  // Pressed on close and let go elsewhere: nothing happens.
  SendMessageA(w, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(close_x, y));
  SendMessageA(w, WM_NCLBUTTONUP, HTCAPTION, MAKELPARAM(200, y));
  EXPECT_TRUE(rec_.Of(w, {WM_SYSCOMMAND}).empty());
  // A double click on the caption maximizes, another restores.
  SendMessageA(w, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(200, y));
  EXPECT_TRUE(IsZoomed(w));
  SendMessageA(w, WM_NCLBUTTONDBLCLK, HTCAPTION, MAKELPARAM(200, y));
  EXPECT_FALSE(IsZoomed(w));
  // Pressed and let go on close: SC_CLOSE, then WM_CLOSE, and the window goes.
  rec_.Clear();
  SendMessageA(w, WM_NCLBUTTONDOWN, HTCLOSE, MAKELPARAM(close_x, y));
  SendMessageA(w, WM_NCLBUTTONUP, HTCLOSE, MAKELPARAM(close_x, y));
  std::vector<UINT> seen = rec_.Of(w, {WM_SYSCOMMAND, WM_CLOSE});
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0], static_cast<UINT>(WM_SYSCOMMAND));
  EXPECT_EQ(seen[1], static_cast<UINT>(WM_CLOSE));
  EXPECT_FALSE(IsWindow(w));
}

HWND g_moved = nullptr;
UINT g_edge = 99;
std::vector<HWND> g_changed;
LRESULT g_answer = 0;

TEST_F(NonClient, HooksHearOfMovesChangesAndRegisteredMessages) {
  qvp::ui::ShowHooks hooks;
  hooks.begin_move = [](HWND h, UINT edge) {
    g_moved = h;
    g_edge = edge;
  };
  hooks.changed = [](HWND h) { g_changed.push_back(h); };
  hooks.message = [](HWND, UINT msg, WPARAM wp, LPARAM, LRESULT* result) {
    if (msg != RegisterWindowMessageA("NonClientTestMessage")) return false;
    *result = g_answer = static_cast<LRESULT>(wp) + 1;
    return true;
  };
  qvp::ui::SetShowHooks(hooks);
  g_changed.clear();
  HWND w = rec_.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, 0, "Hooks", RECT{100, 100, 400, 300});
  EXPECT_NE(std::find(g_changed.begin(), g_changed.end(), w), g_changed.end());

  // The caption pressed starts a move through WM_SYSCOMMAND SC_MOVE.
  SendMessageA(w, WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(200, 110));
  EXPECT_EQ(g_moved, w);
  EXPECT_EQ(g_edge, 0u);
  EXPECT_EQ(rec_.Of(w, {WM_SYSCOMMAND}).size(), 1u);
  // The sizing border's bottom-right corner starts a resize from that corner.
  LRESULT corner = SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(398, 298));
  EXPECT_EQ(corner, HTBOTTOMRIGHT);
  EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(101, 200)), HTLEFT);
  EXPECT_EQ(SendMessageA(w, WM_NCHITTEST, 0, MAKELPARAM(250, 101)), HTTOP);
  SendMessageA(w, WM_NCLBUTTONDOWN, static_cast<WPARAM>(corner), MAKELPARAM(398, 298));
  EXPECT_EQ(g_edge, 8u);  // WMSZ_BOTTOMRIGHT

  g_changed.clear();
  SetWindowTextA(w, "Renamed");
  EXPECT_NE(std::find(g_changed.begin(), g_changed.end(), w), g_changed.end());

  UINT mine = RegisterWindowMessageA("NonClientTestMessage");
  EXPECT_EQ(SendMessageA(w, mine, 41, 0), 42);
  EXPECT_EQ(SendMessageA(w, RegisterWindowMessageA("SomebodyElses"), 41, 0), 0);
  EXPECT_EQ(SendMessageA(w, WM_USER + 5, 41, 0), 0);

  g_changed.clear();
  DestroyWindow(w);
  EXPECT_NE(std::find(g_changed.begin(), g_changed.end(), w), g_changed.end());
}

TEST_F(NonClient, TitleChangesRepaintTheCaption) {
  if (!qvp::RasterTextAvailable()) {
    if (std::getenv("CI")) FAIL() << "no fonts installed";
    GTEST_SKIP() << "fonts-liberation2 is not installed";
  }
  qvp::SetRasterText(true);
  HWND w = rec_.Create(WS_OVERLAPPEDWINDOW | WS_VISIBLE, nullptr, 0, 0, "", RECT{10, 10, 310, 210});
  UpdateWindow(w);
  const int b = GetSystemMetrics(SM_CXFRAME), cap = GetSystemMetrics(SM_CYCAPTION);
  RECT text{b + 2, b, b + 150, b + cap - 1};
  EXPECT_EQ(Frame(w).Count(text, kWhite), 0);
  SetWindowTextA(w, "Monitoring Console");
  EXPECT_GT(Frame(w).Count(text, kWhite), 40);

  // A menu bar under the caption: its items written on the menu colour, a grayed one etched.
  HMENU bar = CreateMenu();
  AppendMenuA(bar, MF_STRING, 1, "&File");
  AppendMenuA(bar, MF_STRING | MF_GRAYED, 2, "&Help");
  SetMenu(w, bar);
  UpdateWindow(w);
  const int menu_top = b + cap, menu_bottom = menu_top + GetSystemMetrics(SM_CYMENU);
  Frame f(w);
  EXPECT_GT(f.Count(RECT{b, menu_top, b + 40, menu_bottom}, kBlack), 10);  // "File"
  EXPECT_GT(f.Count(RECT{b + 30, menu_top, b + 90, menu_bottom}, kGrey), 10);  // "Help", grayed
  EXPECT_GT(f.Count(RECT{b + 30, menu_top, b + 90, menu_bottom}, kWhite), 5);  // and its light shadow
  EXPECT_GT(f.Count(RECT{b + 100, menu_top, 300 - b, menu_bottom}, kFace), 100);
}

}  // namespace
