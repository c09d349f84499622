// The main panel's profile list: filling it from the ProfileTable, sorting,
// the selection and the commands that depend on it.
#include <cstdio>
#include <cstring>
#include <string>

#include "analysis_status.h"
#include "date_time.h"
#include "host_tables.h"
#include "list_view_helpers.h"
#include "panel_state.h"
#include "plugin_host.h"
#include "product_rsl.h"
#include "program_paths.h"
#include "res_text.h"
#include "settings.h"
#include "settings_keys.h"
#include "settings_values.h"
#include "text_copy.h"

namespace {

inline constexpr int kMaxColumns = 32;

PROFILE* RowAt(LPARAM index) {
  if (index < 0 || index >= ProfileTable.count || !ProfileTable.rows) return nullptr;
  return ProfileTable.rows[index];
}

const char* PluginName(int kind) {
  const PluginEntry* entry = FindPlugin(static_cast<unsigned int>(kind));
  return entry ? entry->name : "";
}

LPARAM ItemParam(HWND list, int item) {
  LVITEMA read{};
  read.mask = LVIF_PARAM;
  read.iItem = item;
  if (!SendMessageA(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&read))) return -1;
  return read.lParam;
}

void SelectItem(HWND list, int item) {
  LVITEMA state{};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  state.state = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageA(list, LVM_SETITEMSTATE, static_cast<WPARAM>(item), reinterpret_cast<LPARAM>(&state));
  ListViewEnsureVisible(list, static_cast<short>(item));
}

int ColumnCount(HWND list) {
  int count = 0;
  LVCOLUMNA column{};
  column.mask = LVCF_WIDTH;
  while (count < kMaxColumns && SendMessageA(list, LVM_GETCOLUMNA, static_cast<WPARAM>(count),
                                             reinterpret_cast<LPARAM>(&column))) {
    ++count;
  }
  return count;
}

void ReadColumnPos(int kind, char* out, size_t outSize) {
  char key[40];
  FormatColumnPosKey(kind, key, sizeof key);
  GetPrivateProfileStringA(ini::kDefaults, key, "", out, static_cast<DWORD>(outSize), GetIniPath());
}

void SetColumnWidths(HWND list, const char* text) {
  int widths[kMaxColumns];
  const int count = ParseColumnWidths(text, widths, kMaxColumns);
  for (int i = 0; i < count; ++i) SendMessageA(list, LVM_SETCOLUMNWIDTH, static_cast<WPARAM>(i), widths[i]);
}

// "%s" replaced by a kind-1 view's time, or the fixed placeholder for 0.
void TimeTexts(int32_t value, char* date, char* time) {
  if (value == 0) {
    CopyText(date, DATE_TIME_TEXT_SIZE, "--");
    CopyText(time, DATE_TIME_TEXT_SIZE, "--");
    return;
  }
  FormatDateTimeGmt(time, date, static_cast<time_t>(static_cast<uint32_t>(value)));
}

// The text and status of one row in the current view.
std::string RowText(PROFILE* row, int* status) {
  *status = -1;
  char text[500];
  if (g_panel.viewKind == kAllProfiles) {
    std::snprintf(text, sizeof text, "%s\t%s\t%s", row->description, row->host, PluginName(row->type));
    if (row->type == 4) {
      const auto listText = GetPluginFunctionAs<PFN_GetMainListText>(4, PF_GET_MAIN_LIST_TEXT);
      char scratch[100] = "";
      if (listText) *status = listText(row, scratch, sizeof scratch);
    }
  } else if (g_panel.viewKind == 1) {
    char unit[kResTextMax + 1];
    char firstDate[DATE_TIME_TEXT_SIZE], firstTime[DATE_TIME_TEXT_SIZE];
    char lastDate[DATE_TIME_TEXT_SIZE], lastTime[DATE_TIME_TEXT_SIZE];
    TimeTexts(row->firstTime, firstDate, firstTime);
    TimeTexts(row->lastTime, lastDate, lastTime);
    std::snprintf(text, sizeof text, "%s\t%s\t%ld %s\t%s %s\t%s %s", row->description, row->host,
                  static_cast<long>(row->itemCount), LoadResText(5729, unit, sizeof unit), firstDate, firstTime,
                  lastDate, lastTime);
  } else {
    std::snprintf(text, sizeof text, "%s\t%s", row->description, row->host);
    const auto listText =
        GetPluginFunctionAs<PFN_GetMainListText>(static_cast<unsigned int>(g_panel.viewKind), PF_GET_MAIN_LIST_TEXT);
    if (listText) {
      *status = listText(row, text, sizeof text);
      text[sizeof text - 1] = '\0';
    }
  }
  return text;
}

void SetColumns(HWND list) {
  char titles[400];
  if (g_panel.viewKind == kAllProfiles) {
    LoadResText(10123, titles, sizeof titles);
  } else if (g_panel.viewKind == 1) {
    LoadResText(10122, titles, sizeof titles);
  } else {
    LoadResText(10115, titles, sizeof titles);
    const auto listText =
        GetPluginFunctionAs<PFN_GetMainListText>(static_cast<unsigned int>(g_panel.viewKind), PF_GET_MAIN_LIST_TEXT);
    if (listText) {
      listText(nullptr, titles, sizeof titles);
      titles[sizeof titles - 1] = '\0';
    }
  }
  ListViewSetColumns(list, titles);
}

}  // namespace

void ForgetRowsNotInTable() {
  if (!IsProfileInTable(g_panel.selected)) g_panel.selected = nullptr;
  if (!IsProfileInTable(g_panel.previous)) g_panel.previous = nullptr;
}

int GetSelectedProfileIndex(HWND list) {
  const int item = static_cast<int>(SendMessageA(list, LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED));
  if (item < 0 || item == 0xFFFF) return -1;
  const LPARAM index = ItemParam(list, item);
  return RowAt(index) ? static_cast<int>(index) : -1;
}

void GetSelectedProfileName(HWND panel, char* out, int outSize) {
  const PROFILE* row = RowAt(GetSelectedProfileIndex(GetDlgItem(panel, kProfileListId)));
  CopyText(out, static_cast<size_t>(outSize), row ? row->description : "");
}

void LoadColumnWidths(int kind) {
  char text[ini::kColumnPosLen];
  ReadColumnPos(kind, text, sizeof text);
  SetColumnWidths(g_panel.list, text);
  g_panel.loadedKind = kind;
  g_panel.widthsLoaded = true;
}

void FillProfileList(HWND panel, HFONT, bool rebuild, bool notify) {
  const HWND list = GetDlgItem(panel, kProfileListId);
  if (!list) return;
  const bool sameKind = g_panel.widthsLoaded && g_panel.loadedKind == g_panel.viewKind;
  const int top = sameKind ? static_cast<int>(SendMessageA(list, LVM_GETTOPINDEX, 0, 0)) : 0;
  char selectedName[PROFILE_DESCRIPTION_LEN] = "";
  if (!g_panel.pendingName[0]) GetSelectedProfileName(panel, selectedName, sizeof selectedName);

  SendMessageA(list, WM_SETREDRAW, FALSE, 0);
  SendMessageA(list, LVM_DELETEALLITEMS, 0, 0);
  std::string widths;
  const int columns = ColumnCount(list);
  for (int i = 0; i < columns; ++i) {
    if (i) widths += ',';
    widths += std::to_string(SendMessageA(list, LVM_GETCOLUMNWIDTH, static_cast<WPARAM>(i), 0));
  }
  while (SendMessageA(list, LVM_DELETECOLUMN, 0, 0)) {
  }
  SetColumns(list);
  if (columns > 0 && g_panel.widthsLoaded) {
    char key[40];
    FormatColumnPosKey(g_panel.loadedKind, key, sizeof key);
    WritePrivateProfileStringA(ini::kDefaults, key, widths.c_str(), GetIniPath());
  }
  if (columns == 0 || !sameKind) {
    LoadColumnWidths(g_panel.viewKind);
  } else {
    SetColumnWidths(list, widths.c_str());
  }

  if (rebuild) RebuildProfileTable(panel);
  ForgetRowsNotInTable();
  if (notify) NotifyProfilesOfPlugins(panel);

  for (int32_t index = 0; index < ProfileTable.count; ++index) {
    PROFILE* row = ProfileTable.rows[index];
    if (!row) continue;
    if (g_panel.viewKind != kAllProfiles && row->type != g_panel.viewKind) continue;
    int status = -1;
    const std::string text = RowText(row, &status);
    const int item = ListViewAddRow(list, text.c_str());
    if (item < 0) continue;
    LVITEMA change{};
    change.mask = LVIF_PARAM | LVIF_IMAGE;
    change.iItem = item;
    change.lParam = index;
    change.iImage = GetProfileIconIndex(row, 0) + (status != -1 ? status : 0);
    SendMessageA(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&change));
  }

  SendMessageA(list, WM_SETREDRAW, TRUE, 0);
  SendMessageA(list, LVM_SORTITEMS, static_cast<WPARAM>(g_panel.sortColumn),
               reinterpret_cast<LPARAM>(&CompareProfiles));
  SendMessageA(list, LVM_ARRANGE, 0, 0);
  const int count = static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0));
  if (top > 0 && top < count) ListViewEnsureVisible(list, static_cast<short>(top));

  const char* wanted = g_panel.pendingName[0] ? g_panel.pendingName : selectedName;
  int chosen = -1;
  for (int item = 0; item < count && wanted[0]; ++item) {
    const PROFILE* row = RowAt(ItemParam(list, item));
    if (row && std::strcmp(row->description, wanted) == 0) {
      chosen = item;
      break;
    }
  }
  g_panel.pendingName[0] = '\0';
  // A rebuild that lost the named row hands the choice to the saved offset.
  if (rebuild && chosen < 0) g_panel.afterRebuild = true;
  if (chosen < 0 && count > 0) chosen = 0;
  if (chosen >= 0) SelectItem(list, chosen);
  InvalidateRect(list, nullptr, TRUE);
}

int CALLBACK CompareProfiles(LPARAM a, LPARAM b, LPARAM column) {
  const PROFILE* first = RowAt(a);
  const PROFILE* second = RowAt(b);
  if (!first || !second) return 0;
  const int kind = g_panel.viewKind;
  if (kind == kAllProfiles || kind == 1) {
    if (column == 0) return std::strcmp(first->description, second->description);
    if (column == 1) return std::strcmp(first->host, second->host);
    if (kind == kAllProfiles && column == 2) return second->type < first->type ? 1 : 0;
    if (kind == 1 && column >= 2 && column <= 4) {
      const int32_t PROFILE::*fields[] = {&PROFILE::itemCount, &PROFILE::firstTime, &PROFILE::lastTime};
      const auto field = fields[column - 2];
      return static_cast<uint32_t>(second->*field) < static_cast<uint32_t>(first->*field) ? 1 : 0;
    }
  }
  if (kind != kAllProfiles) {
    const auto compare = GetPluginFunctionAs<PFN_CompareRows>(static_cast<unsigned int>(kind), PF_COMPARE_ROWS);
    if (compare) {
      return compare(const_cast<PROFILE*>(first), const_cast<PROFILE*>(second), static_cast<int>(column));
    }
  }
  return std::strcmp(first->description, second->description);
}

void UpdateProgressPanelProfiles(int mode) {
  ForgetRowsNotInTable();
  const HWND control = g_panel.panel ? GetDlgItem(g_panel.panel, kPluginPanelId) : nullptr;
  PROFILE* selected = g_panel.selected;
  PROFILE* previous = g_panel.previous;
  if (mode == 1 && selected && previous && selected != previous && selected->type != previous->type) {
    const auto show = GetPluginFunctionAs<PFN_UpdatePanel>(static_cast<unsigned int>(selected->type), PF_UPDATE_PANEL);
    if (show) show(control, selected, previous, PANEL_SHOW);
    const auto hide = GetPluginFunctionAs<PFN_UpdatePanel>(static_cast<unsigned int>(previous->type), PF_UPDATE_PANEL);
    if (hide) hide(control, selected, previous, PANEL_HIDE);
  } else if (selected) {
    const auto refresh =
        GetPluginFunctionAs<PFN_UpdatePanel>(static_cast<unsigned int>(selected->type), PF_UPDATE_PANEL);
    if (refresh) refresh(control, selected, previous, PANEL_REFRESH);
  }
  if (control) InvalidateRect(control, nullptr, TRUE);
}

void UpdateProfileCommands(HWND panel, bool enable) {
  const HWND list = GetDlgItem(panel, kProfileListId);
  PROFILE* row = list ? RowAt(GetSelectedProfileIndex(list)) : nullptr;
  const int count = list ? static_cast<int>(SendMessageA(list, LVM_GETITEMCOUNT, 0, 0)) : 0;
  ForgetRowsNotInTable();
  if (g_panel.afterRebuild && list) {
    g_panel.afterRebuild = false;
    short offset = 0;
    ReadListPosition(nullptr, &offset);
    if (offset >= 0 && offset < count) {
      SelectItem(list, offset);
      row = RowAt(ItemParam(list, offset));
    }
  }
  if (!row && count > 0) row = g_panel.previous;
  g_panel.selected = row;
  UpdateProgressPanelProfiles(1);
  g_panel.previous = g_panel.selected;
  if (g_panel.inTick) return;
  const bool on = enable && row != nullptr;
  static const int kToolbarCommands[] = {kCmdReport, kCmdSchedule, kCmdEditProfile, kCmdDeleteProfile};
  if (g_panel.toolbar) {
    for (int command : kToolbarCommands) {
      PostMessageA(g_panel.toolbar, QV_TOOLBAR_ENABLE, on ? 1 : 0, command);
    }
  }
  const HMENU first = g_panel.menu ? GetSubMenu(g_panel.menu, 0) : nullptr;
  if (first) {
    static const int kMenuCommands[] = {kCmdUpdateNow, kCmdReport, kCmdSchedule, kCmdEditProfile, kCmdDeleteProfile,
                                        kCmdCopyProfile};
    for (int command : kMenuCommands) {
      bool itemOn = on;
      if (command == kCmdUpdateNow && row) itemOn = on && row->type == 1;
      EnableMenuItem(first, static_cast<UINT>(command), MF_BYCOMMAND | (itemOn ? MF_ENABLED : MF_GRAYED));
    }
  }
}

void SetListStyle(HWND list, int style) {
  static const DWORD kTypes[] = {LVS_REPORT, LVS_ICON, LVS_SMALLICON, LVS_LIST};
  if (style < 0 || style > 3) style = 0;
  const LONG_PTR current = GetWindowLongPtrA(list, GWL_STYLE);
  SetWindowLongPtrA(list, GWL_STYLE, (current & ~static_cast<LONG_PTR>(LVS_TYPEMASK)) | kTypes[style]);
  InvalidateRect(list, nullptr, TRUE);
}

int GetListStyle(HWND list) {
  switch (GetWindowLongPtrA(list, GWL_STYLE) & LVS_TYPEMASK) {
    case LVS_ICON: return 1;
    case LVS_SMALLICON: return 2;
    case LVS_LIST: return 3;
    default: return 0;
  }
}
