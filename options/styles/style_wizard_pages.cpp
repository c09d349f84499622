// Pages 2-5 of the style wizard (colours, faces, table, layout) and the
// hexadecimal colour edit.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "image_binding.h"
#include "qv_ui.h"
#include "style_preview.h"
#include "style_wizard.h"

using namespace style_wizard;

namespace {

constexpr char kOldProcProp[] = "Edit_OldWndProc";
// The colour slot of each row of the colour page; the last row is the spare colour.
constexpr int kRowSlots[kColorRows] = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 6, 7, kSpareColorSlot};
constexpr int kBorderMax = 5;
constexpr int kSizeMin = 5;
constexpr int kSizeMax = 50;

COLORREF g_customColors[16] = {0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF,
                               0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF, 0xFFFFFF};

COLORREF& RowColor(StyleModel& m, int row) {
  const int slot = kRowSlots[row];
  return slot == kSpareColorSlot ? m.spareColor : m.colors[static_cast<size_t>(slot)];
}

std::string ItemText(HWND page, int id) {
  char text[261] = {};
  GetDlgItemTextA(page, id, text, sizeof text);
  return text;
}

void Answer(HWND page, INT_PTR* result) {
  SetWindowLongPtrA(page, DWL_MSGRESULT, 0);
  *result = TRUE;
}

// Runs the common handling of a page's notification; true when the page is done with it.
bool CommonNotify(HWND page, int index, LPARAM lParam, const NMHDR** header, INT_PTR* result) {
  *header = reinterpret_cast<const NMHDR*>(lParam);
  return HandleCommonNotify(page, index, *header, result);
}

// ---- Page 2 ----

void ShowBackgroundMode(HWND page) {
  const bool image = TheStyleModel().backgroundImageMode != 0;
  CheckDlgButton(page, kBackgroundImageRadio, image ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, kBackgroundColorRadio, image ? BST_UNCHECKED : BST_CHECKED);
  EnableWindow(GetDlgItem(page, kBackgroundBrowse), image);
  EnableWindow(GetDlgItem(page, kFirstColorEdit), !image);
  EnableWindow(GetDlgItem(page, kFirstSwatch), !image);
}

void WriteColor(HWND page, int row, COLORREF color) {
  char text[16];
  std::snprintf(text, sizeof text, "%02X%02X%02X", GetRValue(color), GetGValue(color), GetBValue(color));
  SetDlgItemTextA(page, kFirstColorEdit + row, text);
}

void DrawSwatch(const DRAWITEMSTRUCT* item, int row) {
  StyleModel& m = TheStyleModel();
  HDC dc = item->hDC;
  if (m.colorBitmapStale || m.colorBitmap == nullptr) RefreshColorBitmap(m, dc);
  RECT r = item->rcItem;
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  const bool pressed = (item->itemState & ODS_SELECTED) != 0;
  const COLORREF light = GetSysColor(COLOR_BTNHIGHLIGHT);
  const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
  QVUI_DrawTesselPolygons(dc, &r, 1, pressed ? shadow : light, pressed ? light : shadow);
  if (item->itemState & ODS_FOCUS) {
    RECT focus{r.left + 2, r.top + 2, r.right - 2, r.bottom - 2};
    DrawFocusRect(dc, &focus);
  }
  const RECT inner{r.left + 3, r.top + 3, r.right - 3, r.bottom - 3};
  FillWithStyleColor(m, dc, kRowSlots[row], &inner);
}

void PickColor(HWND page, int row) {
  StyleModel& m = TheStyleModel();
  CHOOSECOLORA choose{};
  choose.lStructSize = 36;
  choose.hwndOwner = page;
  choose.hInstance = reinterpret_cast<HWND>(m.resourceModule);
  choose.rgbResult = RowColor(m, row);
  choose.lpCustColors = g_customColors;
  choose.Flags = CC_RGBINIT | CC_SHOWHELP;
  if (!ChooseColorA(&choose)) return;
  RowColor(m, row) = choose.rgbResult;
  WriteColor(page, row, choose.rgbResult);
}

// ---- Page 4 ----

// Set while the page itself writes the border edit (it is not the user typing).
bool g_writingBorder = false;

void RebuildOrderList(HWND page) {
  const StyleModel& m = TheStyleModel();
  HWND list = GetDlgItem(page, kColumnOrderList);
  SendMessageA(list, LB_RESETCONTENT, 0, 0);
  for (int i = 0; i < m.columnCount; ++i)
    SendMessageA(list, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(m.columnTitles[static_cast<size_t>(m.columnOrder[static_cast<size_t>(i)])].c_str()));
}

void LoadTablePage(HWND page) {
  const StyleModel& m = TheStyleModel();
  g_writingBorder = true;
  for (int k = 0; k < kStyleColumns; ++k) {
    const bool shown = m.columnShown[static_cast<size_t>(k)] != 0;
    CheckDlgButton(page, kFirstColumnCheck + k, shown ? BST_CHECKED : BST_UNCHECKED);
    EnableWindow(GetDlgItem(page, kFirstSortRadio + k), shown);
    CheckDlgButton(page, kFirstSortRadio + k, k == m.sortColumn ? BST_CHECKED : BST_UNCHECKED);
  }
  CheckDlgButton(page, kTableLayoutOn, m.tableLayout == 1 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(page, kTableLayoutOff, m.tableLayout == 1 ? BST_UNCHECKED : BST_CHECKED);
  RebuildOrderList(page);
  SetDlgItemInt(page, kBorderEdit, static_cast<UINT>(m.borderWidth), FALSE);
  SendDlgItemMessageA(page, kBorderUpDown, UDM_SETPOS, 0, MAKELPARAM(m.borderWidth, 0));
  g_writingBorder = false;
}

void SwitchColumn(HWND page, int k) {
  StyleModel& m = TheStyleModel();
  auto& shown = m.columnShown[static_cast<size_t>(k)];
  if (IsDlgButtonChecked(page, kFirstColumnCheck + k) == BST_CHECKED) {
    if (shown) return;
    shown = 1;
    EnableWindow(GetDlgItem(page, kFirstSortRadio + k), TRUE);
    if (m.columnCount < kStyleColumns) m.columnOrder[static_cast<size_t>(m.columnCount++)] = k;
  } else {
    if (!shown) return;
    if (m.columnCount <= 1) {  // one column always stays
      CheckDlgButton(page, kFirstColumnCheck + k, BST_CHECKED);
      return;
    }
    shown = 0;
    CheckDlgButton(page, kFirstSortRadio + k, BST_UNCHECKED);
    EnableWindow(GetDlgItem(page, kFirstSortRadio + k), FALSE);
    auto end = m.columnOrder.begin() + m.columnCount;
    auto at = std::find(m.columnOrder.begin(), end, k);
    if (at != end) {
      std::rotate(at, at + 1, end);
      --m.columnCount;
    }
    if (m.sortColumn == k) {
      for (int other = 0; other < kStyleColumns; ++other) {
        if (!m.columnShown[static_cast<size_t>(other)]) continue;
        m.sortColumn = other;
        CheckDlgButton(page, kFirstSortRadio + other, BST_CHECKED);
        break;
      }
    }
  }
  RebuildOrderList(page);
  RepaintPreview(page);
}

void MoveColumn(HWND page, bool up) {
  StyleModel& m = TheStyleModel();
  HWND list = GetDlgItem(page, kColumnOrderList);
  const int at = static_cast<int>(SendMessageA(list, LB_GETCURSEL, 0, 0));
  if (at < 0 || at >= m.columnCount) return;
  const int other = up ? at - 1 : at + 1;
  if (other < 0 || other >= m.columnCount) return;
  std::swap(m.columnOrder[static_cast<size_t>(at)], m.columnOrder[static_cast<size_t>(other)]);
  RebuildOrderList(page);
  SendMessageA(list, LB_SETCURSEL, static_cast<WPARAM>(other), 0);
  RepaintPreview(page);
}

void BorderTyped(HWND page) {
  if (g_writingBorder) return;
  const std::string text = ItemText(page, kBorderEdit);
  if (text.empty()) return;  // being retyped
  const long typed = std::strtol(text.c_str(), nullptr, 10);
  const int value = static_cast<int>(std::clamp(typed, 0L, static_cast<long>(kBorderMax)));
  TheStyleModel().borderWidth = value;
  g_writingBorder = true;
  if (typed != value) SetDlgItemInt(page, kBorderEdit, static_cast<UINT>(value), FALSE);
  SendDlgItemMessageA(page, kBorderUpDown, UDM_SETPOS, 0, MAKELPARAM(value, 0));
  g_writingBorder = false;
  RepaintPreview(page);
}

// ---- Page 5 ----

void LoadLogo(HWND page) {
  StyleModel& m = TheStyleModel();
  if (!LoadLogoPicture(m)) return;
  SetDlgItemTextA(page, kLogoNameText, m.logoName.c_str());
  InvalidateRect(GetDlgItem(page, kLogoPicture), nullptr, FALSE);
}

void DrawLogo(const DRAWITEMSTRUCT* item) {
  StyleModel& m = TheStyleModel();
  HDC dc = item->hDC;
  HPALETTE old = nullptr;
  if (m.logoPalette != nullptr) {
    old = SelectPalette(dc, m.logoPalette, TRUE);
    RealizePalette(dc);
  }
  FillRect(dc, &item->rcItem, GetSysColorBrush(COLOR_BTNFACE));
  const imgdes& logo = m.logoImage;
  if (logo.hBitmap != nullptr && logo.bmh != nullptr) {
    const int width = static_cast<int>(logo.endx - logo.stx + 1);
    const int height = static_cast<int>(logo.endy - logo.sty + 1);
    const RECT at{0, 0, width, height};
    DrawBitmapInRect(dc, logo.bmh, logo.hBitmap, m.logoPalette, &at, FALSE, FALSE);
  }
  if (old != nullptr) SelectPalette(dc, old, TRUE);
}

void SizeLeft(HWND page) {
  StyleModel& m = TheStyleModel();
  const long typed = std::strtol(ItemText(page, kSizeEdit).c_str(), nullptr, 10);
  const int value = static_cast<int>(std::clamp(typed, static_cast<long>(kSizeMin), static_cast<long>(kSizeMax)));
  m.layoutSize = value;
  SetDlgItemInt(page, kSizeEdit, static_cast<UINT>(value), FALSE);
  SendDlgItemMessageA(page, kSizeUpDown, UDM_SETPOS, 0, MAKELPARAM(value, 0));
}

}  // namespace

// ---- Hexadecimal edit ----

BOOL SubclassHexEdit(HWND edit) {
  if (edit == nullptr) return FALSE;
  const LONG_PTR old = GetWindowLongPtrA(edit, GWLP_WNDPROC);
  if (old == 0 || !SetPropA(edit, kOldProcProp, reinterpret_cast<HANDLE>(old))) return FALSE;
  SetWindowLongPtrA(edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(HexEditWndProc));
  return TRUE;
}

LRESULT CALLBACK HexEditWndProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam) {
  auto old = reinterpret_cast<WNDPROC>(GetPropA(edit, kOldProcProp));
  if (old == nullptr) return DefWindowProcA(edit, message, wParam, lParam);
  if (message == WM_CHAR) {
    const WPARAM c = wParam;
    if ((c >= 0x20 && c <= 0x2F) || (c >= 0x3A && c <= 0x40) || (c >= 0x47 && c <= 0x60) || (c >= 0x67 && c <= 0x7F)) {
      MessageBeep(0xFFFFFFFF);
      return 0;
    }
    if (c >= 'a' && c <= 'f') wParam = c - 'a' + 'A';
  } else if (message == WM_NCDESTROY) {
    CallWindowProcA(old, edit, message, wParam, lParam);
    RemovePropA(edit, kOldProcProp);
    return 0;
  }
  return CallWindowProcA(old, edit, message, wParam, lParam);
}

// ---- Page 2: colours and background ----

INT_PTR CALLBACK StyleColorsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = FALSE;
  if (HandleCommonMessage(page, message, wParam, lParam, &result)) return result;
  StyleModel& m = TheStyleModel();
  switch (message) {
    case WM_INITDIALOG:
      for (int row = 0; row < kColorRows; ++row) {
        HWND edit = GetDlgItem(page, kFirstColorEdit + row);
        SubclassHexEdit(edit);
        SendMessageA(edit, EM_LIMITTEXT, 6, 0);
      }
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      const int row = static_cast<int>(item->CtlID) - kFirstSwatch;
      if (row < 0 || row >= kColorRows) return FALSE;
      DrawSwatch(item, row);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      const int editRow = id - kFirstColorEdit;
      const int swatchRow = id - kFirstSwatch;
      if (editRow >= 0 && editRow < kColorRows) {
        if (code == EN_KILLFOCUS) {
          const std::string text = ItemText(page, id);
          if (text.size() < 6) SetDlgItemTextA(page, id, (std::string(6 - text.size(), '0') + text).c_str());
        } else if (code == EN_CHANGE) {
          const unsigned long v = std::strtoul(ItemText(page, id).c_str(), nullptr, 16) & 0xFFFFFF;
          RowColor(m, editRow) = RGB((v >> 16) & 0xFF, (v >> 8) & 0xFF, v & 0xFF);
          m.colorBitmapStale = 1;
          InvalidateRect(GetDlgItem(page, kFirstSwatch + editRow), nullptr, FALSE);
          RepaintPreview(page);
        }
        return TRUE;
      }
      if (swatchRow >= 0 && swatchRow < kColorRows && code == BN_CLICKED) {
        PickColor(page, swatchRow);
      } else if (id == kBackgroundImageRadio && code == BN_CLICKED) {
        m.backgroundImageMode = 1;
        ShowBackgroundMode(page);
      } else if (id == kBackgroundColorRadio && code == BN_CLICKED) {
        m.backgroundImageMode = 0;
        ShowBackgroundMode(page);
      } else if (id == kBackgroundBrowse && code == BN_CLICKED) {
        // The style names the picture even when it can't be shown here; the
        // preview keeps the picture it had.
        if (ChooseImageFile(page, &m.backgroundImageName) == 1) LoadBackgroundPicture(m);
      } else {
        return FALSE;
      }
      m.colorBitmapStale = 1;
      InvalidateRect(reinterpret_cast<HWND>(lParam), nullptr, FALSE);
      RepaintPreview(page);
      return TRUE;
    }
    case WM_NOTIFY: {
      const NMHDR* header = nullptr;
      if (CommonNotify(page, 1, lParam, &header, &result)) return result;
      if (header->code != PSN_SETACTIVE) return FALSE;
      for (int row = 0; row < kColorRows; ++row) WriteColor(page, row, RowColor(m, row));
      ShowBackgroundMode(page);
      Answer(page, &result);
      return result;
    }
    case WM_DESTROY:
      if (m.backgroundImage.hBitmap != nullptr) LazyFreeImage(&m.backgroundImage);
      return FALSE;
    default:
      return FALSE;
  }
}

// ---- Page 3: faces ----

namespace {
int CALLBACK AddFamily(const LOGFONTA* font, const TEXTMETRICA*, DWORD, LPARAM lParam) {
  HWND page = reinterpret_cast<HWND>(lParam);
  for (int id : kFaceCombos) {
    HWND combo = GetDlgItem(page, id);
    if (SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(font->lfFaceName)) ==
        CB_ERR)
      SendMessageA(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(font->lfFaceName));
  }
  return 1;
}
}  // namespace

INT_PTR CALLBACK StyleFontsPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = FALSE;
  if (HandleCommonMessage(page, message, wParam, lParam, &result)) return result;
  StyleModel& m = TheStyleModel();
  switch (message) {
    case WM_INITDIALOG: {
      HDC dc = GetDC(page);
      EnumFontFamiliesA(dc, nullptr, AddFamily, reinterpret_cast<LPARAM>(page));
      ReleaseDC(page, dc);
      return TRUE;
    }
    case WM_COMMAND: {
      if (HIWORD(wParam) != CBN_SELCHANGE) return FALSE;
      for (int face = 0; face < kStyleFaces; ++face) {
        if (LOWORD(wParam) != kFaceCombos[face]) continue;
        HWND combo = GetDlgItem(page, kFaceCombos[face]);
        const LRESULT at = SendMessageA(combo, CB_GETCURSEL, 0, 0);
        if (at == CB_ERR) return TRUE;
        char text[LF_FACESIZE + 1] = {};
        if (SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0) < static_cast<LRESULT>(sizeof text))
          SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(text));
        m.faces[static_cast<size_t>(face)] = text;
        RepaintPreview(page);
        return TRUE;
      }
      return FALSE;
    }
    case WM_NOTIFY: {
      const NMHDR* header = nullptr;
      if (CommonNotify(page, 2, lParam, &header, &result)) return result;
      if (header->code != PSN_SETACTIVE) return FALSE;
      for (int face = 0; face < kStyleFaces; ++face) {
        HWND combo = GetDlgItem(page, kFaceCombos[face]);
        const LRESULT at = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(m.faces[static_cast<size_t>(face)].c_str()));
        SendMessageA(combo, CB_SETCURSEL, at == CB_ERR ? 0 : static_cast<WPARAM>(at), 0);
      }
      Answer(page, &result);
      return result;
    }
    default:
      return FALSE;
  }
}

// ---- Page 4: table ----

INT_PTR CALLBACK StyleTablePageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = FALSE;
  if (HandleCommonMessage(page, message, wParam, lParam, &result)) return result;
  StyleModel& m = TheStyleModel();
  switch (message) {
    case WM_INITDIALOG:
      g_writingBorder = true;
      SendDlgItemMessageA(page, kBorderUpDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(page, kBorderEdit)), 0);
      SendDlgItemMessageA(page, kBorderUpDown, UDM_SETRANGE, 0, MAKELPARAM(kBorderMax, 0));
      g_writingBorder = false;
      return TRUE;
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (id >= kFirstColumnCheck && id < kFirstColumnCheck + kStyleColumns && code == BN_CLICKED) {
        SwitchColumn(page, id - kFirstColumnCheck);
      } else if (id >= kFirstSortRadio && id < kFirstSortRadio + kStyleColumns && code == BN_CLICKED) {
        m.sortColumn = id - kFirstSortRadio;
        RepaintPreview(page);
      } else if (id == kOrderUp || id == kOrderDown) {
        MoveColumn(page, id == kOrderUp);
      } else if (id == kBorderEdit && code == EN_CHANGE) {
        BorderTyped(page);
      } else if (id == kTableLayoutOn && code == BN_CLICKED) {
        m.tableLayout = 1;
      } else if (id == kTableLayoutOff && code == BN_CLICKED) {
        m.tableLayout = 0;
      } else {
        return FALSE;
      }
      return TRUE;
    }
    case WM_NOTIFY: {
      const NMHDR* header = nullptr;
      if (CommonNotify(page, 3, lParam, &header, &result)) return result;
      if (header->code == UDN_DELTAPOS && header->idFrom == static_cast<UINT_PTR>(kBorderUpDown)) {
        const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
        const int value = change->iPos + change->iDelta;
        if (value >= 0 && value <= kBorderMax) {
          m.borderWidth = value;
          RepaintPreview(page);
        }
        SetWindowLongPtrA(page, DWL_MSGRESULT, 0);
        return TRUE;
      }
      if (header->code != PSN_SETACTIVE) return FALSE;
      LoadTablePage(page);
      Answer(page, &result);
      return result;
    }
    default:
      return FALSE;
  }
}

// ---- Page 5: layout and logo ----

INT_PTR CALLBACK StyleLayoutPageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = FALSE;
  if (HandleCommonMessage(page, message, wParam, lParam, &result)) return result;
  StyleModel& m = TheStyleModel();
  switch (message) {
    case WM_INITDIALOG:
      SendDlgItemMessageA(page, kSizeUpDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(GetDlgItem(page, kSizeEdit)), 0);
      SendDlgItemMessageA(page, kSizeUpDown, UDM_SETRANGE, 0, MAKELPARAM(kSizeMax, kSizeMin));
      return TRUE;
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
      if (item->CtlID != static_cast<UINT>(kLogoPicture)) return FALSE;
      DrawLogo(item);
      return TRUE;
    }
    case WM_COMMAND: {
      const int id = LOWORD(wParam);
      const int code = HIWORD(wParam);
      if (code == BN_CLICKED && (id == kAlignLeft || id == kAlignCentre || id == kAlignRight)) {
        m.alignment = id == kAlignLeft ? 2 : id == kAlignCentre ? 1 : 3;
        RepaintPreview(page);
      } else if (id == kShowTitlesCheck && code == BN_CLICKED) {
        m.showTitles = IsDlgButtonChecked(page, kShowTitlesCheck) == BST_CHECKED ? 1 : 0;
      } else if (id == kSizeEdit && code == EN_KILLFOCUS) {
        SizeLeft(page);
      } else if (id == kLogoBrowse && code == BN_CLICKED) {
        if (ChooseImageFile(page, &m.logoName) == 1) LoadLogo(page);
      } else {
        return FALSE;
      }
      return TRUE;
    }
    case WM_NOTIFY: {
      const NMHDR* header = nullptr;
      if (CommonNotify(page, 4, lParam, &header, &result)) return result;
      if (header->code == UDN_DELTAPOS && header->idFrom == static_cast<UINT_PTR>(kSizeUpDown)) {
        const auto* change = reinterpret_cast<const NMUPDOWN*>(lParam);
        const int value = change->iPos + change->iDelta;
        if (value >= kSizeMin && value <= kSizeMax) m.layoutSize = value;
        SetWindowLongPtrA(page, DWL_MSGRESULT, 0);
        return TRUE;
      }
      if (header->code != PSN_SETACTIVE) return FALSE;
      CheckRadioButton(page, kAlignLeft, kAlignCentre,
                       m.alignment == 2 ? kAlignLeft : m.alignment == 3 ? kAlignRight : kAlignCentre);
      CheckDlgButton(page, kShowTitlesCheck, m.showTitles ? BST_CHECKED : BST_UNCHECKED);
      if (!m.logoName.empty()) LoadLogo(page);
      SetDlgItemInt(page, kSizeEdit, static_cast<UINT>(m.layoutSize), FALSE);
      SendDlgItemMessageA(page, kSizeUpDown, UDM_SETPOS, 0, MAKELPARAM(m.layoutSize, 0));
      Answer(page, &result);
      return result;
    }
    default:
      return FALSE;
  }
}
