// The base resource module as the program uses it: loaded by its file name
// from the program directory, every text, template and picture the program
// asks for present in English, the templates carrying the controls the
// program's dialog procedures address.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>
#include <vector>

#include "program_library.h"
#include "qvplatform/dlgtemplate.h"

namespace {

class BaseModule : public qvtest::ProgramLibraryTest {
 protected:
  void SetUp() override { ASSERT_NO_FATAL_FAILURE(Load("BASE.RSL")); }

  std::string Text(UINT id) {
    char buffer[256] = {};
    const int n = LoadStringA(module_, id, buffer, sizeof buffer);
    return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
  }

  // The controls of a dialog template, as the program finds it: in language 1033.
  std::vector<qvp::DialogControlView> Controls(int id, qvp::DialogHeaderView* header = nullptr) {
    HRSRC found = FindResourceExA(module_, RT_DIALOG, MAKEINTRESOURCEA(id), 1033);
    if (found == nullptr) return {};
    qvp::DialogTemplateReader reader;
    if (!reader.Open(LockResource(LoadResource(module_, found)), SizeofResource(module_, found))) return {};
    if (header != nullptr) *header = reader.header();
    std::vector<qvp::DialogControlView> controls;
    for (size_t i = 0; i < reader.control_count(); ++i) controls.push_back(reader.control(i));
    return controls;
  }

};

// Each text the program loads, with the printf conversions it is formatted with.
struct TextUse {
  UINT id;
  const char* conversions;  // the conversions in order ("s", "d"), "" for plain text
};

constexpr TextUse kTexts[] = {
    {5613, "s"},  {5671, "d"},  {5672, "d"},  {5729, ""},   {5738, ""},   {5739, ""},   {9101, ""},
    {9102, ""},   {9122, ""},   {9123, ""},   {9248, ""},   {9410, ""},   {9411, ""},   {10061, ""},
    {10064, ""},  {10065, ""},  {10066, ""},  {10115, ""},  {10122, ""},  {10123, ""},  {10163, ""},
    {10168, ""},  {11075, ""},  {32006, ""},  {32007, ""},  {32008, "d"}, {32026, ""},  {32027, ""},
    {32028, ""},  {32033, ""},  {32034, ""},
    // The scheduler's texts; the time spans get one number each.
    {5728, ""},   {9105, ""},   {9107, ""},   {9108, ""},   {9138, ""},   {9139, ""},   {9140, ""},
    {9141, ""},   {9142, ""},   {9143, ""},   {9144, ""},   {9145, ""},   {10116, ""},  {10158, ""},
    {10175, "u"}, {10176, "u"}, {10177, "u"}, {11080, "u"}, {11023, ""},
    // Memory and file failures.
    {10018, ""},  {10019, ""},  {10020, ""},  {10021, ""},  {10032, "s"},
};

std::string Conversions(const std::string& text) {
  std::string out;
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    if (text[i] != '%') continue;
    if (text[i + 1] == '%') {
      ++i;
      continue;
    }
    size_t j = i + 1;
    while (j < text.size() && std::string("0123456789l-.").find(text[j]) != std::string::npos) ++j;
    if (j < text.size()) out += text[j];
    i = j;
  }
  return out;
}

std::string ClassName(const qvp::DialogControlView& c) {
  if (c.window_class.kind == qvp::RefKind::kText) return std::string(c.window_class.text);
  const char* name = qvp::StandardClassName(static_cast<uint16_t>(c.window_class.ordinal));
  return name ? name : "";
}

TEST_F(BaseModule, EveryTextIsThereWithTheConversionsItsCallerFormats) {
  for (const TextUse& use : kTexts) {
    const std::string text = Text(use.id);
    EXPECT_FALSE(text.empty()) << use.id;
    // A conversion the caller gives no argument for would read garbage.
    EXPECT_EQ(Conversions(text), use.conversions) << use.id << ": " << text;
    EXPECT_LE(text.size(), 255u) << use.id;  // the program reads at most 255 characters
  }
}

TEST_F(BaseModule, ColumnListsGiveAWidthAndTitleForEachColumn) {
  for (UINT id : {10115u, 10116u, 10122u, 10123u}) {
    const std::string text = Text(id);
    size_t start = 0;
    int columns = 0;
    for (;;) {
      const size_t end = text.find('\t', start);
      const std::string part = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
      const size_t digits = part.find_first_not_of("0123456789");
      ASSERT_NE(digits, 0u) << id << ": " << part;
      ASSERT_NE(digits, std::string::npos) << id << ": " << part;
      EXPECT_GT(part.size(), digits + 1) << id << ": no title in " << part;
      ++columns;
      if (end == std::string::npos) break;
      start = end + 1;
    }
    EXPECT_GE(columns, 2) << id;
  }
  // The kind-1 view shows five columns: name, host and the three program integers.
  const std::string kind_one = Text(10122);
  EXPECT_EQ(std::count(kind_one.begin(), kind_one.end(), '\t'), 4);
}

TEST_F(BaseModule, FileFilterHasPairsOfNameAndPattern) {
  const std::string filter = Text(9102);
  ASSERT_FALSE(filter.empty());
  EXPECT_EQ(filter.back(), '|');
  EXPECT_EQ(std::count(filter.begin(), filter.end(), '|') % 2, 0);
}

TEST_F(BaseModule, MainPanelTemplateIsResizableWithEveryPanelControl) {
  qvp::DialogHeaderView header;
  const auto controls = Controls(100, &header);
  ASSERT_FALSE(controls.empty());
  EXPECT_NE(header.style & WS_THICKFRAME, 0u);
  EXPECT_NE(header.style & WS_MAXIMIZEBOX, 0u);
  std::set<uint32_t> ids;
  for (const auto& c : controls) ids.insert(c.id);
  for (uint32_t id : {12301u, 1097u, 19200u, 19210u, 19220u, 19230u, 1132u, 32001u, 5093u, 5094u, 1101u}) {
    EXPECT_EQ(ids.count(id), 1u) << id;
  }
  for (const auto& c : controls) {
    if (c.id == 12301) {
      EXPECT_EQ(ClassName(c), "SysListView32");
      EXPECT_NE(c.style & LVS_OWNERDRAWFIXED, 0u);  // the panel draws its rows
    }
    if (c.id == 1097) {
      EXPECT_EQ(ClassName(c), "SysTabControl32");
    }
  }
}

TEST_F(BaseModule, MainPanelCreatesWithRoomForTheToolbarAboveTheTabs) {
  HRSRC found = FindResourceExA(module_, RT_DIALOG, MAKEINTRESOURCEA(100), 1033);
  ASSERT_NE(found, nullptr);
  auto proc = [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; };
  HWND panel = CreateDialogIndirectParamA(GetModuleHandleA(nullptr),
                                          static_cast<LPCDLGTEMPLATEA>(LockResource(LoadResource(module_, found))),
                                          nullptr, proc, 0);
  ASSERT_NE(panel, nullptr);
  for (int id : {12301, 1097, 19200, 19210, 19220, 19230, 1132, 32001, 5093, 5094, 1101}) {
    EXPECT_NE(GetDlgItem(panel, id), nullptr) << id;
  }
  RECT tabs;
  GetWindowRect(GetDlgItem(panel, 1097), &tabs);
  POINT top{tabs.left, tabs.top};
  ScreenToClient(panel, &top);
  EXPECT_GE(top.y, 44);  // the product library's toolbar is 44 pixels high
  // The list lies inside the tab strip, the status lines below the list.
  RECT list, status;
  GetWindowRect(GetDlgItem(panel, 12301), &list);
  GetWindowRect(GetDlgItem(panel, 19200), &status);
  EXPECT_GE(list.top, tabs.top);
  EXPECT_LE(list.bottom, tabs.bottom);
  EXPECT_GT(status.top, list.bottom);
  DestroyWindow(panel);
}

TEST_F(BaseModule, ChooserAndImportTemplatesCarryTheirControls) {
  std::set<uint32_t> chooser;
  const auto chooser_controls = Controls(31002);
  for (const auto& c : chooser_controls) chooser.insert(c.id);
  for (uint32_t id : {5000u, 5001u, 1127u, 1123u, 1128u, 1131u, 1u, 2u, 9u}) EXPECT_EQ(chooser.count(id), 1u) << id;
  // The anchors 5000 and 5001 lie exactly on OK and Cancel, so their spacing is the buttons'.
  auto at = [&](uint32_t id) {
    for (const auto& c : chooser_controls) {
      if (c.id == id) return std::vector<int>{c.x, c.y, c.cx, c.cy};
    }
    return std::vector<int>{};
  };
  EXPECT_EQ(at(5000), at(IDOK));
  EXPECT_EQ(at(5001), at(IDCANCEL));
  EXPECT_GT(at(5001)[1], at(5000)[1]);
  // No radio button ids of the program's own (10000 up) are taken.
  EXPECT_LT(*chooser.rbegin() & 0xFFFF, 10000u);

  std::set<uint32_t> offer;
  bool check_box = false;
  for (const auto& c : Controls(31003)) {
    offer.insert(c.id);
    if (c.id == 1135) check_box = (c.style & 0x0F) == BS_AUTOCHECKBOX;
  }
  for (uint32_t id : {1135u, 1137u, 1138u}) EXPECT_EQ(offer.count(id), 1u) << id;
  EXPECT_TRUE(check_box);
}

TEST_F(BaseModule, SchedulerAndCountdownTemplatesCarryTheirControls) {
  std::set<uint32_t> scheduler;
  for (const auto& c : Controls(640)) scheduler.insert(c.id);
  for (uint32_t id : {15001u, 15010u, 15020u, 15030u, 15040u, 15046u, 15047u, 15048u, 16200u, 1131u, 1u, 2u}) {
    EXPECT_EQ(scheduler.count(id), 1u) << id;
  }
  std::set<uint32_t> countdown;
  for (const auto& c : Controls(700)) {
    countdown.insert(c.id);
    // The control whose text says running or paused is a button (a group box).
    if (c.id == 14710) {
      EXPECT_EQ(ClassName(c), "BUTTON");
    }
  }
  for (uint32_t id : {8502u, 8355u, 8350u, 8351u, 8352u, 14710u}) EXPECT_EQ(countdown.count(id), 1u) << id;
  HBITMAP clock = LoadBitmapA(module_, MAKEINTRESOURCEA(1149));
  EXPECT_NE(clock, nullptr);
  if (clock != nullptr) DeleteObject(clock);
}

TEST_F(BaseModule, ListImagesCutIntoTwentyCellsWithMagentaTransparent) {
  struct Strip {
    int id;
    int cell;
  };
  for (const Strip& s : {Strip{3201, 16}, Strip{122, 32}}) {
    HBITMAP bitmap = LoadBitmapA(module_, MAKEINTRESOURCEA(s.id));
    ASSERT_NE(bitmap, nullptr) << s.id;
    BITMAP info{};
    ASSERT_NE(GetObjectA(bitmap, sizeof info, &info), 0);
    EXPECT_EQ(info.bmHeight, s.cell);
    EXPECT_EQ(info.bmWidth, 20 * s.cell);
    DeleteObject(bitmap);

    HIMAGELIST list = ImageList_LoadImageA(module_, MAKEINTRESOURCEA(s.id), s.cell, 0, RGB(255, 0, 255),
                                           IMAGE_BITMAP, 0);
    ASSERT_NE(list, nullptr) << s.id;
    EXPECT_EQ(ImageList_GetImageCount(list), 20);
    ImageList_Destroy(list);
  }
}

TEST_F(BaseModule, ProgramIconHasLargeAndSmallImages) {
  HANDLE icon = LoadImageA(module_, MAKEINTRESOURCEA(1), IMAGE_ICON, 32, 32, 0);
  EXPECT_NE(icon, nullptr);
  if (icon != nullptr) DestroyIcon(static_cast<HICON>(icon));
  const qvp::ResourceBytes small = qvp::FindIconImage(module_, MAKEINTRESOURCEA(1), 16, 16);
  const qvp::ResourceBytes large = qvp::FindIconImage(module_, MAKEINTRESOURCEA(1), 32, 32);
  ASSERT_TRUE(small);
  ASSERT_TRUE(large);
  EXPECT_NE(small.data, large.data);
}

}  // namespace
