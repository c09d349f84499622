// The main panel's size and place: the layout table applied when it is
// resized, the size grip, and the placement kept in the settings file.
#include "analysis_status.h"
#include "app_globals.h"
#include "later_parts.h"
#include "panel_state.h"
#include "program_paths.h"
#include "settings.h"
#include "settings_keys.h"
#include "window_geometry.h"

namespace {

struct LayoutRule {
  int id;
  bool moveRight, moveDown, growWide, growTall;
};

constexpr LayoutRule kRules[kLayoutCount] = {
    {kSizeGripId, true, true, false, false},     {kTopLineId, false, false, true, false},
    {kBarLineId, false, false, true, false},     {kPluginPanelId, false, true, true, false},
    {kProfileListId, false, false, true, true},  {kStatusFileId, false, true, false, false},
    {kStatusLinesId, false, true, false, false}, {kStatusTimeId, false, true, false, false},
    {kProgressFrameId, false, true, false, false}, {kKindTabsId, false, false, true, true},
    {kListFrameId, false, false, true, true},
};

int ReadDefault(const char* key, int fallback) {
  return static_cast<int>(GetPrivateProfileIntA(ini::kDefaults, key, fallback, GetIniPath()));
}

}  // namespace

void ShowSizeGrip(HWND panel, bool show) {
  const HWND grip = GetDlgItem(panel, kSizeGripId);
  if (grip) ShowWindow(grip, show ? SW_SHOW : SW_HIDE);
}

void ReplaceSizeGrip(HWND panel) {
  const HWND old = GetDlgItem(panel, kSizeGripId);
  if (!old) return;
  RECT rect;
  GetChildRectInParent(panel, old, &rect);
  DestroyWindow(old);
  CreateWindowExA(0, "SCROLLBAR", "", WS_CHILD | WS_VISIBLE | SBS_SIZEGRIP, rect.left, rect.top,
                  rect.right - rect.left, rect.bottom - rect.top, panel,
                  reinterpret_cast<HMENU>(static_cast<INT_PTR>(kSizeGripId)), g_app.instance, nullptr);
}

void RecordLayout(HWND panel) {
  GetWindowRect(panel, &g_panel.minRect);
  GetClientRect(panel, &g_panel.startRect);
  for (int i = 0; i < kLayoutCount; ++i) {
    LayoutEntry& entry = g_panel.layout[i];
    entry = LayoutEntry{};
    entry.id = kRules[i].id;
    entry.moveRight = kRules[i].moveRight;
    entry.moveDown = kRules[i].moveDown;
    entry.growWide = kRules[i].growWide;
    entry.growTall = kRules[i].growTall;
    entry.window = GetDlgItem(panel, entry.id);
    if (entry.window) {
      GetChildRectInParent(panel, entry.window, &entry.start);
      entry.width = entry.start.right - entry.start.left;
      entry.height = entry.start.bottom - entry.start.top;
    }
  }
  g_panel.layoutRecorded = true;
}

void ApplyLayout(HWND panel) {
  RECT client;
  GetClientRect(panel, &client);
  const int dx = (client.right - client.left) - (g_panel.startRect.right - g_panel.startRect.left);
  const int dy = (client.bottom - client.top) - (g_panel.startRect.bottom - g_panel.startRect.top);
  HDWP positions = BeginDeferWindowPos(kLayoutCount);
  for (const LayoutEntry& entry : g_panel.layout) {
    if (!entry.window || !IsWindow(entry.window) || !positions) continue;
    positions = DeferWindowPos(positions, entry.window, nullptr, entry.start.left + (entry.moveRight ? dx : 0),
                               entry.start.top + (entry.moveDown ? dy : 0), entry.width + (entry.growWide ? dx : 0),
                               entry.height + (entry.growTall ? dy : 0), SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (positions) EndDeferWindowPos(positions);
  InvalidateRect(panel, nullptr, TRUE);
  if (g_panel.list) SendMessageA(g_panel.list, LVM_ARRANGE, 0, 0);
}

// Message 5029: keeps polling while the mouse button is down, then lays the
// controls out for the new size.
void PollSizing(HWND panel) {
  if ((GetKeyState(VK_LBUTTON) & 0x8000) || !g_panel.layoutRecorded) {
    SetQvTimer(panel, kSizePollTimer, 150, nullptr);
    return;
  }
  KillQvTimer(panel, kSizePollTimer);
  g_panel.sizing = false;
  if (!IsZoomed(panel)) ShowSizeGrip(panel, true);
  ApplyLayout(panel);
}

void PlacePanel(HWND panel) {
  RECT current;
  GetWindowRect(panel, &current);
  RECT units{0, 0, current.right - current.left, current.bottom - current.top};
  PixelsToDialogUnits(&units);
  const int x = ReadDefault(ini::kMainPanelX, current.left);
  const int y = ReadDefault(ini::kMainPanelY, current.top);
  const int width = ReadDefault(ini::kMainPanelWidth, units.right);
  const int height = ReadDefault(ini::kMainPanelHeight, units.bottom);
  if (x == 0 && y == 0 && width == 0 && height == 0) {
    ShowWindow(panel, SW_SHOWMAXIMIZED);
    return;
  }
  RECT size{0, 0, width, height};
  DialogUnitsToPixels(&size);
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  const int minWidth = g_panel.minRect.right - g_panel.minRect.left;
  const int minHeight = g_panel.minRect.bottom - g_panel.minRect.top;
  int pixelsWide = size.right, pixelsHigh = size.bottom;
  // A size the screen cannot hold goes back to the template's.
  if (pixelsWide > screenWidth || pixelsWide < minWidth) pixelsWide = minWidth;
  if (pixelsHigh > screenHeight || pixelsHigh < minHeight) pixelsHigh = minHeight;
  int left = x < 0 ? 0 : x, top = y < 0 ? 0 : y;
  if (left + pixelsWide > screenWidth) left = screenWidth > pixelsWide ? screenWidth - pixelsWide : 0;
  if (top + pixelsHigh > screenHeight) top = screenHeight > pixelsHigh ? screenHeight - pixelsHigh : 0;
  SetWindowPos(panel, nullptr, left, top, pixelsWide, pixelsHigh, SWP_NOZORDER | SWP_NOACTIVATE);
  ApplyLayout(panel);
}

void SavePlacement(HWND panel) {
  const char* ini = GetIniPath();
  if (IsZoomed(panel)) {
    // All four 0: the next start shows the panel maximised again.
    WriteIntSetting(ini::kDefaults, ini::kMainPanelX, 0, ini);
    WriteIntSetting(ini::kDefaults, ini::kMainPanelY, 0, ini);
    WriteIntSetting(ini::kDefaults, ini::kMainPanelWidth, 0, ini);
    WriteIntSetting(ini::kDefaults, ini::kMainPanelHeight, 0, ini);
    return;
  }
  RECT rect;
  GetWindowRect(panel, &rect);
  RECT units{0, 0, rect.right - rect.left, rect.bottom - rect.top};
  PixelsToDialogUnits(&units);
  WriteIntSetting(ini::kDefaults, ini::kMainPanelX, static_cast<DWORD>(rect.left < 0 ? 0 : rect.left), ini);
  WriteIntSetting(ini::kDefaults, ini::kMainPanelY, static_cast<DWORD>(rect.top < 0 ? 0 : rect.top), ini);
  WriteIntSetting(ini::kDefaults, ini::kMainPanelWidth, static_cast<DWORD>(units.right), ini);
  WriteIntSetting(ini::kDefaults, ini::kMainPanelHeight, static_cast<DWORD>(units.bottom), ini);
}
