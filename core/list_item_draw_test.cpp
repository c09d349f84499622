#include "list_item_draw.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "list_view_helpers.h"
#include "test_windows.h"
#include "window_geometry.h"

namespace {

class ListItemDrawTest : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = CreatePlainWindow(0, 0, 400, 300);
    list_ = CreateWindowExA(0, WC_LISTVIEWA, "", WS_CHILD | WS_VISIBLE | LVS_REPORT | LVS_OWNERDRAWFIXED, 0, 0,
                            300, 120, parent_, nullptr, nullptr, nullptr);
    ASSERT_NE(list_, nullptr);
    HDC screen = GetDC(nullptr);
    dc_ = CreateCompatibleDC(screen);
    bitmap_ = CreateCompatibleBitmap(screen, 300, 40);
    ReleaseDC(nullptr, screen);
    oldBitmap_ = SelectObject(dc_, bitmap_);
    font_ = CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, 0, 0, 0, 0, "MS Sans Serif");
    oldFont_ = SelectObject(dc_, font_);
  }
  void TearDown() override {
    SelectObject(dc_, oldFont_);
    SelectObject(dc_, oldBitmap_);
    DeleteObject(font_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
    if (images_ != nullptr) ImageList_Destroy(images_);
    DestroyWindow(parent_);
  }

  DRAWITEMSTRUCT Item(UINT state = 0) const {
    DRAWITEMSTRUCT item{};
    item.CtlType = ODT_LISTVIEW;
    item.itemID = 0;
    item.itemAction = ODA_DRAWENTIRE;
    item.itemState = state;
    item.hwndItem = list_;
    item.hDC = dc_;
    item.rcItem = RECT{0, 10, 300, 26};
    return item;
  }
  void GiveIcons() {
    images_ = ImageList_Create(16, 16, ILC_COLOR24, 1, 1);
    HDC screen = GetDC(nullptr);
    HBITMAP picture = CreateCompatibleBitmap(screen, 16, 16);
    ReleaseDC(nullptr, screen);
    ImageList_Add(images_, picture, nullptr);
    DeleteObject(picture);
    SendMessageA(list_, LVM_SETIMAGELIST, LVSIL_SMALL, reinterpret_cast<LPARAM>(images_));
    LVITEMA image{};
    image.mask = LVIF_IMAGE;
    image.iItem = 0;
    image.iImage = 0;
    SendMessageA(list_, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&image));
  }
  std::vector<qvp::PaintRecord> Drawn(qvp::PaintKind kind) const {
    std::vector<qvp::PaintRecord> found;
    for (const auto& record : qvp::GetDCPaintLog(dc_).records) {
      if (record.kind == kind) found.push_back(record);
    }
    return found;
  }

  HWND parent_ = nullptr;
  HWND list_ = nullptr;
  HDC dc_ = nullptr;
  HBITMAP bitmap_ = nullptr;
  HFONT font_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
  HIMAGELIST images_ = nullptr;
};

TEST_F(ListItemDrawTest, ColumnsAreDrawnSideBySideAndShortenedToFit) {
  ListViewSetColumns(list_, "60-Name\t70-Host\t2-X");
  ListViewAddRow(list_, "Alpha\tA rather long host name\tdown");
  DRAWITEMSTRUCT item = Item();
  qvp::ClearDCPaintLog(dc_);
  ASSERT_EQ(DrawListItemWithIcon(&item), 1);
  const auto texts = Drawn(qvp::PaintKind::kText);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].text, "Alpha");
  EXPECT_EQ(texts[0].rect.left, 1);
  EXPECT_EQ(texts[0].rect.top, 10);
  EXPECT_EQ(texts[1].rect.left, 61);
  ASSERT_GT(texts[1].text.size(), 3u);
  EXPECT_EQ(texts[1].text.substr(texts[1].text.size() - 3), "...");
  EXPECT_EQ(texts[1].text.substr(0, 4), "A ra");
  EXPECT_LE(GetTextWidth(dc_, texts[1].text.c_str(), static_cast<int>(texts[1].text.size())), 68);
  // One character more would not have fitted.
  const std::string longer = std::string("A rather long host name").substr(0, texts[1].text.size() - 2) + "...";
  EXPECT_GT(GetTextWidth(dc_, longer.c_str(), static_cast<int>(longer.size())), 68);
  // A column too narrow for any character shows the ellipsis alone.
  EXPECT_EQ(texts[2].text, "...");
  EXPECT_EQ(texts[2].rect.left, 131);
}

TEST_F(ListItemDrawTest, OnlyWholeItemsOfReportListsAreDrawnAndLongTextsAreCut) {
  ListViewSetColumns(list_, "2000-Name");
  ListViewAddRow(list_, std::string(300, 'w').c_str());
  DRAWITEMSTRUCT item = Item();
  item.itemAction = ODA_FOCUS;
  EXPECT_EQ(DrawListItemWithIcon(&item), 0);
  EXPECT_EQ(DrawListItemWithIcon(nullptr), 0);
  EXPECT_TRUE(qvp::GetDCPaintLog(dc_).records.empty());

  item = Item();
  ASSERT_EQ(DrawListItemWithIcon(&item), 1);
  const auto texts = Drawn(qvp::PaintKind::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].text, std::string(kListCellTextSize - 1, 'w'));

  qvp::ClearDCPaintLog(dc_);
  SetWindowLongPtrA(list_, GWL_STYLE, (GetWindowLongPtrA(list_, GWL_STYLE) & ~LVS_TYPEMASK) | LVS_LIST);
  EXPECT_EQ(DrawListItemWithIcon(&item), 0);
  EXPECT_TRUE(qvp::GetDCPaintLog(dc_).records.empty());
}

TEST_F(ListItemDrawTest, ASelectedFocusedItemIsHighlightedAndFramed) {
  ListViewSetColumns(list_, "60-Name");
  ListViewAddRow(list_, "Alpha");
  DRAWITEMSTRUCT item = Item(ODS_SELECTED | ODS_FOCUS);
  qvp::ClearDCPaintLog(dc_);
  ASSERT_EQ(DrawListItemWithIcon(&item), 1);
  const auto fills = Drawn(qvp::PaintKind::kFill);
  ASSERT_GE(fills.size(), 2u);
  EXPECT_EQ(fills[0].color, GetSysColor(COLOR_WINDOW));
  EXPECT_EQ(fills[1].color, GetSysColor(COLOR_HIGHLIGHT));
  EXPECT_EQ(fills[1].rect.left, 1);
  EXPECT_EQ(fills[1].rect.top, 11);
  EXPECT_EQ(fills[1].rect.right, 299);
  EXPECT_EQ(fills[1].rect.bottom, 25);
  const auto texts = Drawn(qvp::PaintKind::kText);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].color, GetSysColor(COLOR_HIGHLIGHTTEXT));
  EXPECT_EQ(Drawn(qvp::PaintKind::kFocusRect).size(), 1u);
  EXPECT_EQ(GetTextColor(dc_), GetSysColor(COLOR_WINDOWTEXT));
}

TEST_F(ListItemDrawTest, TheIconTakesRoomOnlyWhenColumnZeroHasIt) {
  ListViewSetColumns(list_, "60-Name\t50-Host");
  ListViewAddRow(list_, "Alpha\thost");
  GiveIcons();
  DRAWITEMSTRUCT item = Item();
  qvp::ClearDCPaintLog(dc_);
  ASSERT_EQ(DrawListItemWithIcon(&item), 1);
  const auto blits = Drawn(qvp::PaintKind::kBlit);
  ASSERT_FALSE(blits.empty());
  EXPECT_EQ(blits[0].rect.left, 2);
  EXPECT_EQ(blits[0].rect.top, 10);
  auto texts = Drawn(qvp::PaintKind::kText);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rect.left, 21);  // after the icon's 16 + 4
  EXPECT_EQ(texts[1].rect.left, 61);  // column 1 stays where it was

  SendMessageA(list_, LVM_SETCOLUMNWIDTH, 0, 19);  // narrower than the icon's room
  qvp::ClearDCPaintLog(dc_);
  ASSERT_EQ(DrawListItemWithIcon(&item), 1);
  EXPECT_TRUE(Drawn(qvp::PaintKind::kBlit).empty());
  texts = Drawn(qvp::PaintKind::kText);
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0].rect.left, 1);
}

}  // namespace
