// The viewer text control through the messages its owner sends, and the line
// index and search beneath it.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "ctlpack4.h"
#include "qvplatform.h"
#include "viewer_lines.h"

namespace {

std::string TempFile(const std::string& name, const std::string& bytes) {
  const auto path = std::filesystem::temp_directory_path() / ("ctlpack4_" + std::to_string(::getpid()) + "_" + name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path.string();
}

TEST(ViewerLines, LinesEndInLfWithOrWithoutCrAndTheLastNeedsNone) {
  ViewerLines lines;
  const std::string first = "one\r\ntwo\n\nfour";
  lines.Append(first.data(), first.size());
  ASSERT_EQ(lines.Count(), 4u);
  EXPECT_EQ(lines.Line(0), "one");
  EXPECT_EQ(lines.Line(1), "two");
  EXPECT_EQ(lines.Line(2), "");
  EXPECT_EQ(lines.Line(3), "four");
  EXPECT_EQ(lines.Line(4), "");
  // Appending goes on the open last line, then opens new ones.
  lines.Append("th\nfive\n", 8);
  ASSERT_EQ(lines.Count(), 5u);
  EXPECT_EQ(lines.Line(3), "fourth");
  EXPECT_EQ(lines.Line(4), "five");
  lines.Append("six", 3);
  EXPECT_EQ(lines.Count(), 6u);
  EXPECT_EQ(lines.LongestLine(), 6u);

  ViewerLines empty;
  EXPECT_EQ(empty.Count(), 0u);
  size_t end = 0;
  EXPECT_EQ(empty.Find("x", 0, &end), -1);
}

TEST(ViewerLines, PlainDropsMarkupPairsEvenAtTheEnd) {
  EXPECT_EQ(ViewerLines::Plain(std::string("\x02\x08" "a\x01\x02" "b\x01", 7)), "ab");
}

TEST(ViewerLines, FindIgnoresCaseGoesOnAndNeverSpansLines) {
  ViewerLines lines;
  const std::string text = "alpha Beta\ngamma\nBETA end\nbe\nta\n";
  lines.Append(text.data(), text.size());
  size_t end = 0;
  EXPECT_EQ(lines.Find("beta", 0, &end), 0);
  EXPECT_EQ(lines.Find("beta", end, &end), 2);
  EXPECT_EQ(lines.Find("beta", end, &end), -1);  // "be\nta" is no match
  EXPECT_EQ(lines.Find("", 0, &end), -1);
  EXPECT_EQ(lines.Find("a end", 0, &end), 2);
  // A rare upper case of the first letter does not make a frequent lower one slow or wrong.
  std::string many(100000, 'e');
  many += "Ex";
  ViewerLines big;
  big.Append(many.data(), many.size());
  EXPECT_EQ(big.Find("ex", 0, &end), 0);
  EXPECT_EQ(end, many.size());
}

class ViewerControl : public ::testing::Test {
 protected:
  void SetUp() override {
    module_ = LoadLibraryA((std::string(QV_DIST_DIR) + "/" + kCtlPackFileName).c_str());
    ASSERT_NE(module_, nullptr);
    auto reg = reinterpret_cast<PFN_CtlPackRegister>(GetProcAddress(module_, MAKEINTRESOURCEA(66)));
    ASSERT_TRUE(reg(instance_));
    owner_ = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 400, 300, nullptr, nullptr, instance_, nullptr);
    control_ = CreateWindowExA(0, kViewerTextClass, "", WS_CHILD | WS_VSCROLL | WS_HSCROLL, 0, 0, 300, 160, owner_,
                               nullptr, instance_, nullptr);
    ASSERT_NE(control_, nullptr);
  }
  void TearDown() override {
    if (owner_ != nullptr) DestroyWindow(owner_);
    auto unreg = reinterpret_cast<PFN_CtlPackUnregister>(GetProcAddress(module_, MAKEINTRESOURCEA(67)));
    if (unreg != nullptr) unreg(instance_);
    FreeLibrary(module_);
    for (const auto& f : files_) std::filesystem::remove(f);
  }
  std::string File(const std::string& name, const std::string& bytes) {
    files_.push_back(TempFile(name, bytes));
    return files_.back();
  }
  LRESULT Send(UINT message, WPARAM w = 0, LPARAM l = 0) { return SendMessageA(control_, message, w, l); }
  std::string Line(long index, UINT message, WPARAM size = 0xFFFF) {
    Send(kViewerSetCurrentLine, 0, index);
    std::vector<char> buffer(static_cast<size_t>(size) + 8, '#');
    const LRESULT n = Send(message, size, reinterpret_cast<LPARAM>(buffer.data()));
    // Nothing is written past the size given.
    for (size_t i = size; i < buffer.size(); ++i) EXPECT_EQ(buffer[i], '#');
    EXPECT_EQ(static_cast<size_t>(n), std::strlen(buffer.data()));
    return std::string(buffer.data(), static_cast<size_t>(n));
  }

  HMODULE module_ = nullptr;
  HINSTANCE instance_ = GetModuleHandleA(nullptr);
  HWND owner_ = nullptr;
  HWND control_ = nullptr;
  std::vector<std::string> files_;
};

TEST_F(ViewerControl, LoadsAFileAndHandsOutLinesWithAndWithoutMarkup) {
  const std::string path = File("load.txt", "\x02\x08\x02\x10Name\tValue\r\n\x01\x02" "bold\x01\x05red\r\n\r\nlast");
  EXPECT_EQ(Send(kViewerLoadFile, 0, reinterpret_cast<LPARAM>(path.c_str())), TRUE);
  EXPECT_EQ(Send(kViewerLineCount), 4);
  EXPECT_EQ(Line(0, kViewerGetMarkedLine), "\x02\x08\x02\x10Name\tValue");
  EXPECT_EQ(Line(0, kViewerGetPlainLine), "Name\tValue");
  EXPECT_EQ(Line(1, kViewerGetPlainLine), "boldred");
  EXPECT_EQ(Line(2, kViewerGetPlainLine), "");
  EXPECT_EQ(Line(3, kViewerGetMarkedLine), "last");
  Send(kViewerSetCurrentLine, 1, 1);
  EXPECT_EQ(Send(kViewerLineLength), 11);
  // A small buffer gets the start of the line and its terminator, never more.
  EXPECT_EQ(Line(1, kViewerGetPlainLine, 5), "bold");
  EXPECT_EQ(Line(1, kViewerGetMarkedLine, 1), "");

  // A file that isn't there keeps the text.
  EXPECT_EQ(Send(kViewerLoadFile, 0, reinterpret_cast<LPARAM>("/nonexistent/none.txt")), FALSE);
  EXPECT_EQ(Send(kViewerLineCount), 4);
}

TEST_F(ViewerControl, AppendedTextGrowsAndScrollingTellsTheOwner) {
  std::string text;
  for (int i = 0; i < 500; ++i) text += "line " + std::to_string(i) + "\n";
  EXPECT_EQ(Send(kViewerAppendText, text.size(), reinterpret_cast<LPARAM>(text.data())), 500);
  Send(kViewerTextComplete);
  EXPECT_EQ(Send(kViewerFirstVisible), 1);
  // The owner hears of the move: a subclass on the owner counts 1524.
  static int notices = 0;
  notices = 0;
  static WNDPROC previous = nullptr;
  previous = reinterpret_cast<WNDPROC>(GetWindowLongPtrA(owner_, GWLP_WNDPROC));
  SetWindowLongPtrA(owner_, GWLP_WNDPROC,
                    reinterpret_cast<LONG_PTR>(+[](HWND w, UINT m, WPARAM wp, LPARAM lp) -> LRESULT {
                      if (m == kViewerPageChanged) ++notices;
                      return CallWindowProcA(previous, w, m, wp, lp);
                    }));
  Send(WM_VSCROLL, SB_PAGEDOWN);
  EXPECT_GT(Send(kViewerFirstVisible), 1);
  EXPECT_EQ(notices, 1);
  Send(WM_KEYDOWN, VK_END);
  const LRESULT bottom = Send(kViewerFirstVisible);
  EXPECT_GT(bottom, 400);
  EXPECT_LE(bottom, 500);
  Send(WM_KEYDOWN, VK_HOME);
  EXPECT_EQ(Send(kViewerFirstVisible), 1);
  EXPECT_EQ(notices, 3);
  SetWindowLongPtrA(owner_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous));
}

TEST_F(ViewerControl, FindReportsFoundNotFoundAndEndReached) {
  std::string text;
  for (int i = 0; i < 300; ++i) text += (i == 120 || i == 250 ? "the Needle here\n" : "hay\n");
  Send(kViewerAppendText, text.size(), reinterpret_cast<LPARAM>(text.data()));
  const auto find = [&](WPARAM goOn, const char* what) { return Send(kViewerFind, goOn, reinterpret_cast<LPARAM>(what)); };
  EXPECT_EQ(find(1, "needle"), kViewerFound);
  // The found line is the current one and in view.
  EXPECT_EQ(Line(-1 + 1 + 120, kViewerGetPlainLine), "the Needle here");
  LRESULT top = Send(kViewerFirstVisible) - 1;
  EXPECT_LE(top, 120);
  EXPECT_GT(top + 10, 120);
  EXPECT_EQ(find(1, "NEEDLE"), kViewerFound);
  top = Send(kViewerFirstVisible) - 1;
  EXPECT_LE(top, 250);
  EXPECT_EQ(find(1, "needle"), kViewerEndReached);
  EXPECT_EQ(find(0, "needle"), kViewerFound);  // from the top again
  EXPECT_EQ(find(0, "straw"), kViewerNotFound);
  EXPECT_EQ(find(1, ""), kViewerNotFound);
}

TEST_F(ViewerControl, PaintsMarkedLinesInTheirEntryColours) {
  ViewerFontRecord red{};
  std::strcpy(red.face, "Arial");
  red.size = 10;
  red.style = 2;
  red.color = RGB(255, 0, 0);
  EXPECT_EQ(Send(kViewerSetFontEntry, 5, reinterpret_cast<LPARAM>(&red)), TRUE);
  EXPECT_EQ(Send(kViewerSetFontEntry, 17, reinterpret_cast<LPARAM>(&red)), FALSE);
  const std::string text = "plain \x01\x05red bold\x01\x11 same\nnext\n";
  Send(kViewerAppendText, text.size(), reinterpret_cast<LPARAM>(text.data()));
  ShowWindow(owner_, SW_SHOW);
  ShowWindow(control_, SW_SHOW);
  qvp::ClearWindowPaintLog(control_);
  InvalidateRect(control_, nullptr, TRUE);
  UpdateWindow(control_);
  const qvp::PaintLog log = qvp::GetWindowPaintLog(control_);
  const qvp::PaintRecord* plain = log.FindText("plain ");
  // 0x01 17 names no entry: it is skipped and the run goes on.
  const qvp::PaintRecord* marked = log.FindText("red bold same");
  ASSERT_NE(plain, nullptr) << log.JoinedText();
  ASSERT_NE(marked, nullptr) << log.JoinedText();
  EXPECT_EQ(marked->color, RGB(255, 0, 0));
  EXPECT_EQ(marked->weight, FW_BOLD);
  EXPECT_EQ(marked->face, "Arial");
  EXPECT_GT(marked->rect.left, plain->rect.left);
  EXPECT_EQ(plain->color, GetSysColor(COLOR_WINDOWTEXT));
  ASSERT_NE(log.FindText("next"), nullptr);
  EXPECT_GT(log.FindText("next")->rect.top, plain->rect.top);
}

}  // namespace
