// Pictures of a property sheet whose page holds a list view, a tree view, a
// progress bar and a check box: the common controls and the sheet's tab strip
// and buttons paint themselves where their templates put them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

#include "display/display_test_support.h"
#include "qvplatform.h"
#include "qvplatform/ui_comctl.h"
#include "qvplatform/ui_propsheet.h"
#include "testdata/snapshot_ids.h"

namespace {

using qvp::display::Image;

void Fill(HWND page) {
  HWND list = GetDlgItem(page, IDC_LIST);
  const char* columns[2] = {"Monitor", "Status"};
  for (int i = 0; i < 2; ++i) {
    LVCOLUMNA col{};
    col.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    col.cx = 120 - 40 * i;
    col.pszText = const_cast<char*>(columns[i]);
    col.iSubItem = i;
    SendMessageA(list, LVM_INSERTCOLUMNA, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&col));
  }
  const char* rows[3][2] = {{"Web server", "OK"}, {"Mail relay", "Down"}, {"Disk C:", "OK"}};
  for (int r = 0; r < 3; ++r) {
    LVITEMA item{};
    item.mask = LVIF_TEXT;
    item.iItem = r;
    item.pszText = const_cast<char*>(rows[r][0]);
    SendMessageA(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item));
    item.iSubItem = 1;
    item.pszText = const_cast<char*>(rows[r][1]);
    SendMessageA(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(r), reinterpret_cast<LPARAM>(&item));
  }
  HWND tree = GetDlgItem(page, IDC_TREE);
  TVINSERTSTRUCTA ins{};
  ins.hParent = TVI_ROOT;
  ins.hInsertAfter = TVI_LAST;
  ins.item.mask = TVIF_TEXT;
  ins.item.pszText = const_cast<char*>("Servers");
  auto root = reinterpret_cast<HTREEITEM>(SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins)));
  ins.hParent = root;
  ins.item.pszText = const_cast<char*>("web01");
  SendMessageA(tree, TVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&ins));
  SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(root));
  SendDlgItemMessageA(page, IDC_PROGRESS, PBM_SETPOS, 50, 0);
}

INT_PTR CALLBACK PageProc(HWND page, UINT msg, WPARAM, LPARAM) {
  if (msg != WM_INITDIALOG) return FALSE;
  if (GetDlgItem(page, IDC_LIST)) Fill(page);
  return TRUE;
}

int Count(const Image& img, RECT r, COLORREF c) {
  int n = 0;
  for (int y = std::max<LONG>(r.top, 0); y < std::min<LONG>(r.bottom, img.height); ++y)
    for (int x = std::max<LONG>(r.left, 0); x < std::min<LONG>(r.right, img.width); ++x) n += img.ColorAt(x, y) == c;
  return n;
}

// A window's rectangle in the picture of `top`.
RECT InPicture(HWND top, HWND child) {
  RECT t, c;
  GetWindowRect(top, &t);
  GetWindowRect(child, &c);
  return RECT{c.left - t.left, c.top - t.top, c.right - t.left, c.bottom - t.top};
}

TEST(ComctlSnapshot, PropertySheetWithListViewTreeViewAndProgressBar) {
  QV_NEED_FONTS();
  disptest::ScratchDir dir;
  PROPSHEETPAGEA pages[2] = {};
  const UINT ids[2] = {IDD_PAGE_LIST, IDD_PAGE_MORE};
  for (int i = 0; i < 2; ++i) {
    pages[i].dwSize = sizeof(PROPSHEETPAGEA);
    pages[i].pszTemplate = MAKEINTRESOURCEA(ids[i]);
    pages[i].pfnDlgProc = PageProc;
  }
  PROPSHEETHEADERA h{};
  h.dwSize = sizeof h;
  h.dwFlags = PSH_PROPSHEETPAGE | PSH_MODELESS;
  h.pszCaption = "Monitor Properties";
  h.nPages = 2;
  h.ppsp = pages;
  auto sheet = reinterpret_cast<HWND>(PropertySheetA(&h));
  ASSERT_TRUE(sheet);
  auto page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
  ASSERT_TRUE(page);
  const std::string path = dir.file("sheet.png");
  ASSERT_TRUE(qvp::SnapshotWindow(sheet, path.c_str()));
  if (const char* keep = std::getenv("QV_KEEP_SNAPSHOTS"))
    std::filesystem::copy_file(path, std::string(keep) + "/sheet.png", std::filesystem::copy_options::overwrite_existing);
  Image img;
  ASSERT_TRUE(qvp::display::ReadPng(path.c_str(), &img));

  const COLORREF white = RGB(255, 255, 255), black = RGB(0, 0, 0), face = RGB(192, 192, 192);
  // The sheet's caption, and its buttons with their raised edges.
  EXPECT_EQ(img.ColorAt(40, 6), RGB(0, 0, 128));
  for (int id : {IDOK, IDCANCEL}) {
    HWND b = GetDlgItem(sheet, id);
    ASSERT_TRUE(b) << id;
    RECT r = InPicture(sheet, b);
    // A white line along the top: the edge itself, or inside the default button's black frame.
    EXPECT_GT(Count(img, RECT{r.left + 2, r.top, r.right - 2, r.top + 2}, white), r.right - r.left - 6) << id;
    EXPECT_GT(Count(img, RECT{r.left + 3, r.top + 3, r.right - 3, r.bottom - 3}, black), 8) << id;
  }
  // The tab strip above the page: its labels written on the face colour.
  RECT pr = InPicture(sheet, page);
  RECT tabs{pr.left - 4, pr.top - 26, pr.left + 140, pr.top - 2};
  EXPECT_GT(Count(img, tabs, black), 20);
  EXPECT_GT(Count(img, tabs, white), 10);  // the tabs' light edges

  // The list view: its column header's raised items, then the rows' text on white.
  RECT lv = InPicture(sheet, GetDlgItem(page, IDC_LIST));
  EXPECT_GT(Count(img, RECT{lv.left + 2, lv.top + 2, lv.right - 2, lv.top + 18}, face), 200);
  EXPECT_GT(Count(img, RECT{lv.left + 2, lv.top + 20, lv.left + 120, lv.bottom - 2}, black), 40);
  EXPECT_GT(Count(img, RECT{lv.left + 2, lv.top + 20, lv.right - 2, lv.bottom - 2}, white), 500);

  // The tree view's items, the progress bar half filled with the highlight colour.
  RECT tv = InPicture(sheet, GetDlgItem(page, IDC_TREE));
  EXPECT_GT(Count(img, RECT{tv.left + 2, tv.top + 2, tv.right - 2, tv.bottom - 2}, black), 20);
  RECT pb = InPicture(sheet, GetDlgItem(page, IDC_PROGRESS));
  const COLORREF highlight = GetSysColor(COLOR_HIGHLIGHT);
  const int left_half = Count(img, RECT{pb.left, pb.top, (pb.left + pb.right) / 2, pb.bottom}, highlight);
  const int right_half = Count(img, RECT{(pb.left + pb.right) / 2 + 2, pb.top, pb.right, pb.bottom}, highlight);
  EXPECT_GT(left_half, 40);
  EXPECT_EQ(right_half, 0);
  DestroyWindow(sheet);
}

}  // namespace
